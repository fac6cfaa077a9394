// What the record file layer reads from a file's Stat buffer: the record
// length, the length of a key (the sum of its segment lengths, following the
// "another segment follows" flag 0x10), and the comparable form of a key
// value: binary segments (flag 0x04) reversed so that they compare as
// numbers, alternate collating segments (flag 0x20) translated through the
// file's table. Plain byte comparison of comparable keys orders as the
// file's index does for ascending keys.
#pragma once

#include <cstdint>
#include <string>

namespace vela {

// Record length of a Stat buffer (0 when too short).
int32_t StatRecordLength(const std::string& stat);

// Length of key keyNumber; 0 when the file has no such key.
int16_t StatKeyLength(const std::string& stat, int keyNumber);

// The comparable form of value along key keyNumber.
std::string ComparableKeyFromStat(const std::string& stat, int keyNumber, std::string value);

}  // namespace vela
