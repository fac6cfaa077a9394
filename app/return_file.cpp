#include "app/return_file.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "app/program_values.hpp"
#include "app/return_records.hpp"
#include "datenum/calendar_dates.hpp"
#include "platform/host_path.hpp"
#include "ui/path_utils.hpp"

namespace vela {
namespace {

constexpr std::size_t kRandomLength = 8;
constexpr char kRandomLetters[] = "0123456789abcdefghijklmnopqrstuvwxyz";

// ".P" + four digits + "." + eight letters or digits + ".tmp".
bool IsTemporaryName(const std::string& name) {
    if (name.size() != 2 + 4 + 1 + kRandomLength + 4) return false;
    if (name.compare(0, 2, ".P") != 0 || name[6] != '.' ||
        name.compare(name.size() - 4, 4, ".tmp") != 0) {
        return false;
    }
    for (std::size_t i = 2; i < 6; ++i) {
        if (name[i] < '0' || name[i] > '9') return false;
    }
    for (std::size_t i = 7; i < 7 + kRandomLength; ++i) {
        if (std::strchr(kRandomLetters, name[i]) == nullptr || name[i] == '\0') return false;
    }
    return true;
}

std::string RandomLetters() {
    static std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kRandomLetters - 2);
    std::string letters;
    for (std::size_t i = 0; i < kRandomLength; ++i) letters += kRandomLetters[pick(random)];
    return letters;
}

std::string FolderOf(const std::string& hostPath) {
    const std::size_t slash = hostPath.find_last_of('/');
    return slash == std::string::npos ? "." : hostPath.substr(0, slash + 1);
}

}  // namespace

std::string ReturnFolder(const std::string& rootDir, int territoryNumber, const std::string& year) {
    std::string folder = AdministrationFolder(territoryNumber);
    if (folder.empty()) folder = "TERR" + ZeroPad(territoryNumber, 2) + "\\";
    return FullPath(rootDir + folder + "190M" + year + ".0A");
}

void SyncReturnFolder(const std::string& returnFolder) {
    const int fd =
        ::open(ResolveHostPath(returnFolder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

int RemoveStrayReturnFiles(const std::string& returnFolder) {
    const std::string host = ResolveHostPath(returnFolder);
    DIR* folder = ::opendir(host.c_str());
    if (folder == nullptr) return 0;
    int removed = 0;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (!IsTemporaryName(name)) continue;
        // unlink never follows a link: a planted link goes, not its target.
        if (::unlinkat(::dirfd(folder), name.c_str(), 0) == 0) ++removed;
    }
    ::closedir(folder);
    return removed;
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
    hostPath_ = ResolveHostPath(name);
    const std::string folder = FolderOf(hostPath_);
    // A new file of a name nobody else uses: O_EXCL never opens an existing
    // file, nor follows a link planted under the name.
    do {
        temporaryPath_ = folder + ".P" + ownerDigits + "." + RandomLetters() + ".tmp";
        fd_ = ::open(temporaryPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                     0666);
    } while (fd_ < 0 && errno == EEXIST);
    if (fd_ < 0) {
        Fail();
        temporaryPath_.clear();
        return false;
    }
    size_ = 0;
    if (!Append(std::string(kReturnRecordLength, ' '))) {
        const std::string reason = error_;
        Abandon();
        error_ = reason;
        return false;
    }
    return true;
}

bool ReturnFile::Append(const std::string& record) {
    if (fd_ < 0) return false;
    const std::string bytes = record + recordTerminator;
    if (!WriteAt(bytes, size_)) return false;
    size_ += static_cast<long>(bytes.size());
    return true;
}

bool ReturnFile::Finish(const std::string& declarantRecord) {
    if (fd_ < 0) return false;
    bool ok = WriteAt(declarantRecord + recordTerminator, 0);
    if (ok && ::fsync(fd_) != 0) ok = Fail();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && ok) ok = Fail();
    if (ok) {
        // A folder of the final name is removed as an older file is; a file
        // or a link of that name is replaced by the rename itself, which
        // never follows a link.
        struct stat info {};
        if (::lstat(hostPath_.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            RemovePath(hostPath_);
        }
        if (::rename(temporaryPath_.c_str(), hostPath_.c_str()) != 0) ok = Fail();
    }
    if (!ok) {
        ::unlink(temporaryPath_.c_str());
        temporaryPath_.clear();
        return false;
    }
    temporaryPath_.clear();
    return true;
}

void ReturnFile::Abandon() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
}

}  // namespace vela
