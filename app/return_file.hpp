// One owner's return file: 502-byte records (500 characters and CR LF),
// record 1 the declarant record. The file is opened with a blank first record
// as a placeholder, payee records are appended as the owner's payees are
// emitted, and the declarant record replaces the placeholder when the owner
// is finished. A file that cannot be created or written is removed, never
// left behind looking complete; the caller is told why.
#pragma once

#include <string>

namespace vela {

// The folder of the returns of one territory and year under the
// installation root: root + administration folder + "190M" + year + ".0A",
// made canonical. A territory without an administration folder of its own
// (number 9 and above) gets "TERR" + its two-digit number.
std::string ReturnFolder(const std::string& rootDir, int territoryNumber, const std::string& year);

class ReturnFile {
  public:
    ReturnFile() = default;
    ~ReturnFile();
    ReturnFile(const ReturnFile&) = delete;
    ReturnFile& operator=(const ReturnFile&) = delete;

    // Creates the folders of returnFolder, removes an older file of the
    // owner and opens "P" + ownerDigits there with its placeholder record.
    bool Open(const std::string& returnFolder, const std::string& ownerDigits);
    // Appends one 500-character record and its line end.
    bool Append(const std::string& record);
    // Writes the declarant record as record 1 and closes the file.
    bool Finish(const std::string& declarantRecord);
    // Closes and removes a file that could not be completed.
    void Abandon();

    bool isOpen() const { return fd_ >= 0; }
    const std::string& hostPath() const { return hostPath_; }
    // The system's reason for the last failure.
    const std::string& error() const { return error_; }

  private:
    bool Fail();
    bool WriteAt(const std::string& bytes, long offset);

    int fd_ = -1;
    std::string hostPath_;
    std::string error_;
};

}  // namespace vela
