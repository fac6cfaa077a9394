// A lock that keeps two processes of the installation from doing one thing
// at once (writing the return files, using a session's spool file): an
// exclusive lock on a whole lock file, held by this program's open of it
// (an open-file-description lock), so that it is released when the holder
// ends however it ends, and two holders in one process exclude each other
// too. The lock file itself stays; its contents mean nothing.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace vela {

class FileLock {
  public:
    enum class Result { acquired, busy, failed };

    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Takes the lock on hostPath (created when missing, never through a
    // symbolic link) if nobody holds it: acquired, busy (held by another),
    // or failed (the file cannot be opened or locked; error says why).
    Result TryAcquire(const std::string& hostPath);

    // Takes the lock, waiting up to bound for another holder to let it go.
    // waiting is called once, before the first pause, so the caller can say
    // that it waits. busy when the bound passed.
    Result Acquire(const std::string& hostPath, std::chrono::milliseconds bound,
                   const std::function<void()>& waiting);

    void Release();
    bool held() const { return fd_ >= 0; }
    const std::string& error() const { return error_; }

  private:
    int fd_ = -1;
    std::string error_;
};

}  // namespace vela
