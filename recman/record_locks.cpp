#include "recman/record_locks.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "recman/record_manager.hpp"

namespace vela::recman {

namespace {

int SetLock(int fd, short type, off_t start, off_t length, bool wait) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = start;
    lock.l_len = length;
    int rc;
    do {
        rc = ::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock);
    } while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : errno;
}

bool IsConflict(int error) { return error == EAGAIN || error == EACCES; }

// Whether another opening holds the file exclusively: a write lock on byte 0.
bool FileHeldExclusively(int fd) {
    struct flock probe {};
    probe.l_type = F_RDLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = 0;
    probe.l_len = 1;
    if (::fcntl(fd, F_OFD_GETLK, &probe) != 0) return false;
    return probe.l_type == F_WRLCK;
}

}  // namespace

RecordLocks::~RecordLocks() { Close(); }

int16_t RecordLocks::Open(const std::string& dataPath, bool exclusive) {
    Close();
    fd_ = ::open(LockPathOf(dataPath).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        fd_ = ::open(LockPathOf(dataPath).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) return kStatusIoError;
    }
    const int error =
        exclusive ? SetLock(fd_, F_WRLCK, 0, 0, false) : SetLock(fd_, F_RDLCK, 0, 1, false);
    if (error != 0) {
        Close();
        return IsConflict(error) ? kStatusFileInUse : kStatusIoError;
    }
    return kStatusOk;
}

void RecordLocks::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    locked_ = 0;
    held_.clear();
}

int16_t RecordLocks::LockRecord(uint32_t position, bool wait) {
    if (fd_ < 0) return kStatusIoError;
    if (locked_ == position) return kStatusOk;
    if (!IsHeldForWrite(position)) {
        if (int16_t status = Take(position, wait); status != 0) return status;
    }
    UnlockRecord();
    locked_ = position;
    return kStatusOk;
}

void RecordLocks::UnlockRecord() {
    if (fd_ >= 0 && locked_ != 0 && !IsHeldForWrite(locked_)) {
        SetLock(fd_, F_UNLCK, locked_, 1, false);
    }
    locked_ = 0;
}

int16_t RecordLocks::Take(uint32_t position, bool wait) {
    const int error = SetLock(fd_, F_WRLCK, position, 1, wait);
    if (error == 0) return kStatusOk;
    if (!IsConflict(error)) return kStatusIoError;
    return FileHeldExclusively(fd_) ? kStatusFileInUse : kStatusRecordInUse;
}

bool RecordLocks::IsHeldForWrite(uint32_t position) const {
    return std::find(held_.begin(), held_.end(), position) != held_.end();
}

int16_t RecordLocks::HoldForWrite(uint32_t position) {
    if (fd_ < 0) return kStatusIoError;
    if (IsHeldForWrite(position)) return kStatusOk;
    if (position != locked_) {
        if (int16_t status = Take(position, false); status != 0) return status;
    }
    held_.push_back(position);
    return kStatusOk;
}

void RecordLocks::ReleaseWriteHolds() {
    std::vector<uint32_t> held;
    held.swap(held_);
    if (fd_ < 0) return;
    for (uint32_t position : held) {
        if (position != locked_) SetLock(fd_, F_UNLCK, position, 1, false);
    }
}

bool RecordLocks::FileIsFree(const std::string& dataPath) {
    const int fd = ::open(LockPathOf(dataPath).c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return true;
    const bool free = SetLock(fd, F_WRLCK, 0, 0, false) == 0;
    ::close(fd);
    return free;
}

}  // namespace vela::recman
