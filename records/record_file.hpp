// The record file layer: every access of the program to the office's record
// files. A caller names an open file by a small file number of its own and
// owns the record area that reads fill; the layer keeps, per open file, the
// record manager's position block, the current key number and key value and
// a read lock mode, in a table of 40 slots.
//
// Files open by a logical path (".dat" added when the name has no extension)
// with the installation's owner name; a missing file is created from its
// dictionary entry, rootDir + "ddf\" + base name + ".xdf"; a file locked by
// another user is waited for; any other failure to open shows a message in
// the session language and ends the program. Reads go by key (equal, greater
// or equal, less or equal), step along the current key, or go to a physical
// position. The layer only reads: files stay open until ResetRecordFiles.
//
// Statuses are the record manager's, plus 3 (file number not open), 1002
// (file number already open), 1003 (no free slot), 1004 (no such key).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vela {

inline constexpr int kRecordFileSlots = 40;

enum RecordFileStatus : int16_t {
    kRecordFileNotOpen = 3,
    kRecordFileNumberInUse = 1002,
    kRecordFileNoFreeSlot = 1003,
    kRecordFileNoSuchKey = 1004,
};

// Opens path as file number fileNo, reading into recordArea (which must hold
// the file's record length). Status 0, 1002 or 1003; any other failure ends
// the program after its message.
void OpenRecordFile(int16_t fileNo, const std::string& path, void* recordArea, int16_t& status);

// Closes every file and frees every slot (status of the record manager's
// Reset).
void ResetRecordFiles(int16_t& status);

// Reads along key keyNumber the record equal to (direction 0), greater or
// equal to (positive) or less or equal to (negative) keyValue, which is cut
// or padded with zero bytes to the key's length.
void FindRecord(int16_t fileNo, int16_t keyNumber, std::string keyValue, int16_t direction,
                int16_t& status);

// Reads the record count steps away along the current key (backwards for a
// negative count); only the last one reaches the record area.
void StepRecord(int16_t fileNo, int16_t count, int16_t& status);

// Position 0: the physical position of the current record (0 on failure).
// Otherwise reads the record at that position and returns the status. 0 if
// the file is not open.
int32_t RecordPosition(int16_t fileNo, int32_t position);

// Lock mode letters "D", "A", "B" with "+" and "-" (lock_mode.hpp). Sets
// status 3 when the file is not open and leaves it alone otherwise.
void SetLockMode(int16_t fileNo, const std::string& letters, int16_t& status);

// The current key value in comparable form; "" if the file is not open.
std::string CurrentKey(int16_t fileNo);

// keyValue transformed so that byte comparison orders as the current key's
// index does; unchanged if the file is not open.
std::string ComparableKey(const std::string& keyValue, int16_t fileNo);

// Key length of keyNumber (0 when the file has no such key) and record
// length of an open file; both 0 if it is not open.
void KeyInfo(int16_t fileNo, int16_t keyNumber, int16_t& keyLength, int32_t& recordLength);

// How a fatal open failure is reported instead of the message window and
// its key: given the host path of the file, the status and, when the file
// was missing and could not be created, a few words on why; returns the
// exit code the program ends with. A batch run installs one that says it
// on standard error. nullptr puts the window back.
using OpenFailureReport =
    std::function<int(const std::string& hostPath, int16_t status, const std::string& detail)>;
void SetOpenFailureReport(OpenFailureReport report);

// Test seams. The pause between attempts on a locked file or record (the
// waits themselves keep their rule: 3,000 ms before opening again, 1 to
// 10,001 ms before reading again); the default sleeps. And the end of the
// program after a fatal open failure; the default ends the process with
// exit code 0. nullptr puts the default back.
void SetRecordFilePauseForTesting(std::function<void(int milliseconds)> pause);
void SetProgramEndForTesting(std::function<void()> end);

}  // namespace vela
