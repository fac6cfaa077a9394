// Read lock modes of an open record file and the process-wide stack that
// saves them: "D" 0 reads take no lock, "A" 1 reads lock and wait while
// another user holds the record, "B" 2 reads lock and report the conflict.
// "+" saves the slot's mode, "-" puts back the newest saved mode of that
// slot. So "+d" switches locks off for a while and a later "-" restores them.
#pragma once

#include <cstdint>
#include <string>

namespace vela {

inline constexpr int16_t kLockModeNone = 0;    // "D"
inline constexpr int16_t kLockModeWait = 1;    // "A"
inline constexpr int16_t kLockModeReport = 2;  // "B"

// Pairs of bytes (slot number, saved mode), newest at the end.
extern std::string lockModeStack;

// Applies the letters to the mode of slot.
void ApplyLockMode(const std::string& letters, int slot, int16_t& mode, std::string& stack);

}  // namespace vela
