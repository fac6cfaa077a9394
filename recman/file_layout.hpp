// The description of a record file: record length, page size and its keys,
// each made of segments, plus the optional alternate collating sequence. It
// is read from a Create buffer and written back as the Stat buffer; both use
// one little-endian layout:
//
//   file description, 16 bytes: record length (2), page size (2), number
//   of keys (2), number of records (4, Stat only), file flags (2),
//   reserved (2), preallocated pages (2);
//   one 16-byte description per segment, keys in order: position, 1-based
//   (2), length (2), flags (2), distinct key values (4, Stat only), extended
//   type (1), null value (1), reserved (2), key number (1), collating
//   sequence number (1);
//   when a segment has flag 0x20: the collating sequence, 265 bytes
//   (signature 0xAC, 8 name bytes, 256-byte translation table).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vela::recman {

enum KeyFlag : uint16_t {
    kKeyDuplicates = 0x01,
    kKeyModifiable = 0x02,
    kKeyBinary = 0x04,
    kKeyNull = 0x08,
    kKeySegmented = 0x10,
    kKeyCollating = 0x20,
    kKeyDescending = 0x40,
};

inline constexpr uint16_t kSupportedKeyFlags = 0x7F;
inline constexpr std::size_t kFileHeaderSize = 16;
inline constexpr std::size_t kSegmentSize = 16;
inline constexpr std::size_t kCollatingSize = 265;
inline constexpr uint8_t kCollatingSignature = 0xAC;
inline constexpr std::size_t kMaxKeyLength = 255;
inline constexpr std::size_t kMaxRecordLength = 4096;

struct KeySegment {
    uint16_t position = 0;  // 1-based
    uint16_t length = 0;
    uint16_t flags = 0;
    uint8_t extendedType = 0;
    uint8_t nullValue = 0;
    uint8_t keyNumber = 0;
    uint8_t collatingNumber = 0;
};

struct KeyDefinition {
    std::vector<KeySegment> segments;
    std::size_t length = 0;  // sum of the segment lengths
    bool duplicates = false;
    bool modifiable = false;
    bool nullKey = false;
};

struct FileLayout {
    uint16_t recordLength = 0;
    uint16_t pageSize = 0;
    uint16_t fileFlags = 0;
    uint16_t preallocatedPages = 0;
    std::vector<KeyDefinition> keys;
    bool hasCollating = false;
    std::array<uint8_t, kCollatingSize> collating{};  // signature, name, table

    const uint8_t* CollatingTable() const { return collating.data() + 9; }
    std::size_t SegmentCount() const;
};

// Reads and checks a Create buffer. Returns 0, or the status that refuses it:
// 22 buffer too short for what it declares, 24 page size, 28 record length,
// 6 no keys, 27 segment flags or position, 29 key length, 48 collating
// sequence missing or without its signature.
int16_t ParseFileLayout(std::span<const uint8_t> buffer, FileLayout& layout);

// The Stat layout of layout with the given counts (distinct per key; missing
// counts are 0).
std::vector<uint8_t> StatBuffer(const FileLayout& layout, uint32_t records,
                                std::span<const uint32_t> distinctPerKey);

}  // namespace vela::recman
