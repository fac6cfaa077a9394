// Record and file locks of one open file, held as open-file-description
// byte-range locks on a lock file beside the data file. Each opening has its
// own description, so its locks conflict with every other opening (another
// process, or another opening in this one), and they vanish when the
// process ends, however it ends.
//
// Byte 0 stands for the file: every opening holds a shared lock on it, an
// exclusive opening a write lock on the whole range. Byte N stands for the
// record at position N.
//
// Besides the one record lock a caller asks for, an opening holds the
// records it is changing: for the length of the write, or until the end of
// the explicit transaction that the write belongs to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vela::recman {

class RecordLocks {
  public:
    RecordLocks() = default;
    ~RecordLocks();
    RecordLocks(const RecordLocks&) = delete;
    RecordLocks& operator=(const RecordLocks&) = delete;

    // Opens the lock file of dataPath and takes the file lock; 0, 85 (another
    // opening conflicts) or 2.
    int16_t Open(const std::string& dataPath, bool exclusive);
    void Close();

    // Locks the record at position (releasing any other record lock of this
    // opening); 0, 84 (another opening holds it), 85 (the file is open
    // exclusively elsewhere) or 2. With wait, blocks until it is free.
    int16_t LockRecord(uint32_t position, bool wait);
    void UnlockRecord();
    uint32_t lockedPosition() const { return locked_; }

    // Holds the record at position for a write; 0 when no other opening
    // holds it (it may be this opening's record lock), else 84, 85 or 2.
    int16_t HoldForWrite(uint32_t position);
    // Lets go of every record held for a write (the record lock stays).
    void ReleaseWriteHolds();

    // True when no other opening holds any lock on the file of dataPath
    // (used before a file is replaced).
    static bool FileIsFree(const std::string& dataPath);

    static std::string LockPathOf(const std::string& dataPath) { return dataPath + ".locks"; }

  private:
    // A write lock on the byte of position: 0, 84, 85 or 2.
    int16_t Take(uint32_t position, bool wait);
    bool IsHeldForWrite(uint32_t position) const;

    int fd_ = -1;
    uint32_t locked_ = 0;
    std::vector<uint32_t> held_;
};

}  // namespace vela::recman
