#include "platform/file_lock.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

namespace vela {

FileLock::~FileLock() { Release(); }

void FileLock::Release() {
    if (fd_ >= 0) ::close(fd_);  // closing the description releases its lock
    fd_ = -1;
}

FileLock::Result FileLock::TryAcquire(const std::string& hostPath) {
    Release();
    error_.clear();
    const int fd = ::open(hostPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        error_ = hostPath + ": " + std::strerror(errno);
        return Result::failed;
    }
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;  // the whole file, however long
    if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) {
        fd_ = fd;
        return Result::acquired;
    }
    const int reason = errno;
    ::close(fd);
    if (reason == EAGAIN || reason == EACCES) return Result::busy;
    error_ = hostPath + ": " + std::strerror(reason);
    return Result::failed;
}

FileLock::Result FileLock::Acquire(const std::string& hostPath, std::chrono::milliseconds bound,
                                   const std::function<void()>& waiting) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    bool told = false;
    for (;;) {
        const Result result = TryAcquire(hostPath);
        if (result != Result::busy) return result;
        if (std::chrono::steady_clock::now() >= deadline) return Result::busy;
        if (!told && waiting) waiting();
        told = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

}  // namespace vela
