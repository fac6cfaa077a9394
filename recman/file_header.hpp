// A look at a file's first pages before the storage engine maps it: a file
// that is not a record file, or that was cut short, must give a status and
// never reach the engine, which would read past the end of a shortened
// mapping.
#pragma once

#include <cstdint>
#include <span>

namespace vela::recman {

// Checks the two meta pages found at the start of the file (bytes holds at
// least its first 2 × 64 KiB, or the whole file when shorter) against the
// file's size. Returns 0 or 30 (not a record file, or damaged).
int16_t CheckFileHeader(std::span<const uint8_t> bytes, uint64_t fileSize);

// Reads the start of the file at path and checks it; 0, 12, 30 or 2.
int16_t CheckFileAt(const char* path);

}  // namespace vela::recman
