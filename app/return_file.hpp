// One owner's return file: 502-byte records (500 characters and CR LF),
// record 1 the declarant record. The file is written under a temporary name
// in its own folder (".P0042.<random>.tmp", created new, never through a
// link): a blank first record as a placeholder, the payee records appended
// as the owner's payees are emitted, the declarant record over the
// placeholder when the owner is finished. Only then is it flushed to disk
// and renamed to its final name ("P0042"), replacing the previous run's
// file in one step. So a file under a final name is always complete, the
// previous file stays until its replacement is, and a run that dies leaves
// at most a temporary file, which the next run removes. A file that cannot
// be completed is removed; the caller is told why.
#pragma once

#include <string>

namespace vela {

// The folder of the returns of one territory and year under the
// installation root: root + administration folder + "190M" + year + ".0A",
// made canonical. A territory without an administration folder of its own
// (number 9 and above) gets "TERR" + its two-digit number.
std::string ReturnFolder(const std::string& rootDir, int territoryNumber, const std::string& year);

// Removes the temporary files that an earlier run left in returnFolder
// when it died; the count removed. Only while no other return-file run can
// be writing there (the run holds the installation's lock).
int RemoveStrayReturnFiles(const std::string& returnFolder);

// Makes the renames of the files finished in returnFolder durable: one
// flush of the folder once its files are in place, rather than one a file.
void SyncReturnFolder(const std::string& returnFolder);

class ReturnFile {
  public:
    ReturnFile() = default;
    ~ReturnFile();
    ReturnFile(const ReturnFile&) = delete;
    ReturnFile& operator=(const ReturnFile&) = delete;

    // Creates the folders of returnFolder and opens the temporary file of
    // "P" + ownerDigits there with its placeholder record.
    bool Open(const std::string& returnFolder, const std::string& ownerDigits);
    // Appends one 500-character record and its line end.
    bool Append(const std::string& record);
    // Writes the declarant record as record 1, flushes and closes the file
    // and puts it in place under its final name (a file or folder of that
    // name is replaced).
    bool Finish(const std::string& declarantRecord);
    // Closes and removes a file that could not be completed; a previous
    // file under the final name is left as it was.
    void Abandon();

    bool isOpen() const { return fd_ >= 0; }
    // The final name's host path.
    const std::string& hostPath() const { return hostPath_; }
    // The temporary file's host path while it is being written.
    const std::string& temporaryPath() const { return temporaryPath_; }
    // The system's reason for the last failure.
    const std::string& error() const { return error_; }

  private:
    bool Fail();
    bool WriteAt(const std::string& bytes, long offset);

    int fd_ = -1;
    long size_ = 0;
    std::string hostPath_;
    std::string temporaryPath_;
    std::string error_;
};

}  // namespace vela
