// The record areas: one fixed-layout byte buffer per record file, owned by
// the application for the whole run. The record layer copies the record last
// read into its file's area; the application reads fields straight out of the
// areas (through the layouts of record_layouts.hpp) and presets some of them
// before a look-up, so that a failed look-up leaves a known value.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "app/records/record_layouts.hpp"

namespace vela {

// The record layer never copies more than its 1,536-byte data buffer into an
// area, so an area of that size is safe whatever record length a file copied
// from another installation declares.
inline constexpr std::size_t kRecordAreaSize = 1536;
static_assert(kLongestRecord <= kRecordAreaSize);

using RecordArea = std::array<char, kRecordAreaSize>;

struct RecordAreas {
    RecordArea owner;         // VPropiet
    RecordArea group;         // VGrups
    RecordArea payment;       // VPagos
    RecordArea payee;         // Industri
    RecordArea family;        // UIndFami
    RecordArea periodHeader;  // VCapPeri
    RecordArea periodLine;    // VLinPeri
    RecordArea territory;     // UTerrito
    RecordArea fiscal;        // UFiscal
};

// Zero-filled at start.
extern RecordAreas recordAreas;

// The area of a record file by its file number; nullptr for a number that
// is not one of the nine.
RecordArea* AreaOfFile(std::int16_t fileNumber);

}  // namespace vela
