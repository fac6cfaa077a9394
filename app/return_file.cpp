#include "app/return_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/program_values.hpp"
#include "app/return_records.hpp"
#include "datenum/calendar_dates.hpp"
#include "platform/host_path.hpp"
#include "ui/path_utils.hpp"

namespace vela {

std::string ReturnFolder(const std::string& rootDir, int territoryNumber, const std::string& year) {
    std::string folder = AdministrationFolder(territoryNumber);
    if (folder.empty()) folder = "TERR" + ZeroPad(territoryNumber, 2) + "\\";
    return FullPath(rootDir + folder + "190M" + year + ".0A");
}

ReturnFile::~ReturnFile() {
    if (fd_ >= 0) Abandon();
}

bool ReturnFile::Fail() {
    error_ = std::strerror(errno);
    return false;
}

bool ReturnFile::WriteAt(const std::string& bytes, long offset) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done,
                                   static_cast<off_t>(offset + static_cast<long>(done)));
        if (n < 0) {
            if (errno == EINTR) continue;
            return Fail();
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool ReturnFile::Open(const std::string& returnFolder, const std::string& ownerDigits) {
    if (fd_ >= 0) Abandon();
    error_.clear();
    MakePath(returnFolder);
    // The folder text ends in a separator already; the doubled one that
    // joining gives is read as one.
    const std::string name = returnFolder + "\\P" + ownerDigits;
    RemovePath(name);
    hostPath_ = ResolveHostPath(name);
    fd_ = ::open(hostPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) return Fail();
    if (!WriteAt(std::string(kReturnRecordLength, ' ') + recordTerminator, 0)) {
        const std::string reason = error_;
        Abandon();
        error_ = reason;
        return false;
    }
    return true;
}

bool ReturnFile::Append(const std::string& record) {
    if (fd_ < 0) return false;
    const off_t end = ::lseek(fd_, 0, SEEK_END);
    if (end < 0) return Fail();
    return WriteAt(record + recordTerminator, static_cast<long>(end));
}

bool ReturnFile::Finish(const std::string& declarantRecord) {
    if (fd_ < 0) return false;
    bool ok = WriteAt(declarantRecord + recordTerminator, 0);
    if (ok && ::fsync(fd_) != 0) ok = Fail();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && ok) ok = Fail();
    if (!ok) ::unlink(hostPath_.c_str());
    return ok;
}

void ReturnFile::Abandon() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!hostPath_.empty()) ::unlink(hostPath_.c_str());
}

}  // namespace vela
