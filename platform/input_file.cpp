#include "platform/input_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace vela {
namespace {

// Opens without waiting on a pipe or device and without taking a terminal;
// -1 with result set when the file is not to be read.
int OpenChecked(const std::string& hostPath, std::size_t limit, InputFile& result,
                struct stat& info) {
    const int fd = ::open(hostPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        result = errno == ENOENT || errno == ENOTDIR ? InputFile::missing : InputFile::unreadable;
        return -1;
    }
    if (::fstat(fd, &info) != 0) {
        result = InputFile::unreadable;
    } else if (!S_ISREG(info.st_mode)) {
        result = InputFile::notAFile;
    } else if (static_cast<unsigned long long>(info.st_size) > limit) {
        result = InputFile::tooLarge;
    } else {
        result = InputFile::read;
        return fd;
    }
    ::close(fd);
    return -1;
}

}  // namespace

InputFile CheckInputFile(const std::string& hostPath, std::size_t limit) {
    InputFile result = InputFile::read;
    struct stat info {};
    const int fd = OpenChecked(hostPath, limit, result, info);
    if (fd >= 0) ::close(fd);
    return result;
}

InputFile ReadInputFile(const std::string& hostPath, std::string& contents, std::size_t limit) {
    contents.clear();
    InputFile result = InputFile::read;
    struct stat info {};
    const int fd = OpenChecked(hostPath, limit, result, info);
    if (fd < 0) return result;
    // The file may grow while it is read: the limit holds for what is read,
    // not only for the size it had when it was opened.
    std::string read;
    read.resize(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t done = 0;
    for (;;) {
        if (done == read.size()) {
            if (read.size() > limit) break;
            read.resize(std::min(read.size() * 2, limit + 1));
        }
        const ssize_t n = ::read(fd, read.data() + done, read.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return InputFile::unreadable;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (done > limit) return InputFile::tooLarge;
    read.resize(done);
    contents = std::move(read);
    return InputFile::read;
}

std::string InputFileProblem(const std::string& hostPath, InputFile result, std::size_t limit) {
    switch (result) {
        case InputFile::read:
            return "";
        case InputFile::missing:
            return hostPath + " is missing";
        case InputFile::notAFile:
            return hostPath + " is a folder or a device, not a file";
        case InputFile::tooLarge:
            return hostPath + " is larger than " + std::to_string(limit / (1024 * 1024)) +
                   " MB, far beyond any real file of its kind";
        case InputFile::unreadable:
            break;
    }
    return hostPath + " cannot be read";
}

}  // namespace vela
