// The record manager: the office's keyed record files, reached through one
// entry point, RecordManagerCall, as every program of the family reaches
// them. A file has fixed-length records and one or more keys (indexes) made
// of segments; records are read along a key (equal, greater, less, first,
// last, next, previous), by physical position, or stepped in physical order,
// and are inserted, updated and deleted one at a time.
//
// The caller owns a 128-byte position block per open file; the library keeps
// in it what it needs to find the open file again. Every operation is its own
// short transaction, so several processes share a file and each sees what the
// others committed by its next operation. Record locks are byte-range locks
// that vanish with the process that holds them.
#pragma once

#include <cstdint>

namespace vela {

inline constexpr int kPositionBlockSize = 128;

int16_t RecordManagerCall(uint16_t operation, uint8_t positionBlock[kPositionBlockSize], void* data,
                          uint16_t* dataLength, void* keyBuffer, uint8_t keyLength,
                          int8_t keyNumber);

// Operation codes.
enum RecordOperation : uint16_t {
    kOpOpen = 0,
    kOpClose = 1,
    kOpInsert = 2,
    kOpUpdate = 3,
    kOpDelete = 4,
    kOpGetEqual = 5,
    kOpGetNext = 6,
    kOpGetPrevious = 7,
    kOpGetGreater = 8,
    kOpGetGreaterOrEqual = 9,
    kOpGetLess = 10,
    kOpGetLessOrEqual = 11,
    kOpGetFirst = 12,
    kOpGetLast = 13,
    kOpCreate = 14,
    kOpStat = 15,
    kOpBeginTransaction = 19,
    kOpEndTransaction = 20,
    kOpAbortTransaction = 21,
    kOpGetPosition = 22,
    kOpGetDirect = 23,
    kOpStepNext = 24,
    kOpUnlock = 27,
    kOpReset = 28,
    kOpSetOwner = 29,
    kOpClearOwner = 30,
    kOpStepFirst = 33,
    kOpStepLast = 34,
    kOpStepPrevious = 35,
};

// Lock biases added to a read operation.
inline constexpr uint16_t kLockWaitBias = 100;
inline constexpr uint16_t kLockNoWaitBias = 200;

// Open modes, passed as the key number of Open.
inline constexpr int8_t kOpenNormal = 0;
inline constexpr int8_t kOpenReadOnly = -2;
inline constexpr int8_t kOpenExclusive = -4;

// Statuses.
enum RecordStatus : int16_t {
    kStatusOk = 0,
    kStatusInvalidOperation = 1,
    kStatusIoError = 2,
    kStatusFileNotOpen = 3,
    kStatusKeyNotFound = 4,
    kStatusDuplicateKey = 5,
    kStatusInvalidKeyNumber = 6,
    kStatusDifferentKeyNumber = 7,
    kStatusInvalidPositioning = 8,
    kStatusEndOfFile = 9,
    kStatusModifiableKey = 10,
    kStatusFileNotFound = 12,
    kStatusDiskFull = 18,
    kStatusKeyBufferTooShort = 21,
    kStatusDataBufferLength = 22,
    kStatusPageSize = 24,
    kStatusInvalidKeyPosition = 27,
    kStatusInvalidRecordLength = 28,
    kStatusInvalidKeyLength = 29,
    kStatusNotRecordFile = 30,
    kStatusTransactionActive = 37,
    kStatusNoTransaction = 39,
    kStatusInvalidRecordAddress = 43,
    kStatusAccessDenied = 46,
    kStatusInvalidCollating = 48,
    kStatusInvalidOwner = 51,
    kStatusFileExists = 59,
    kStatusRecordInUse = 84,
    kStatusFileInUse = 85,
    // The file is on a network file system, which the installation has not
    // accepted (recman/network_files.hpp).
    kStatusNetworkFileSystem = 94,
};

}  // namespace vela
