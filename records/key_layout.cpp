#include "records/key_layout.hpp"

#include <algorithm>
#include <vector>

namespace vela {

namespace {

constexpr std::size_t kSegmentsStart = 16;
constexpr std::size_t kSegmentSize = 16;
constexpr uint16_t kSegmentFollows = 0x10;
constexpr uint16_t kBinary = 0x04;
constexpr uint16_t kCollating = 0x20;
// Signature byte and 8 name bytes come before the translation table.
constexpr std::size_t kTableOffset = 9;
constexpr std::size_t kTableSize = 256;

uint16_t Read16(const std::string& b, std::size_t at) {
    if (at + 2 > b.size()) return 0;
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) |
                                 (static_cast<uint8_t>(b[at + 1]) << 8));
}

struct Segment {
    uint16_t length;
    uint16_t flags;
};

// The segments of every key, in order; stops where the buffer ends.
std::vector<std::vector<Segment>> KeysOf(const std::string& stat, std::size_t& end) {
    std::vector<std::vector<Segment>> keys;
    const int keyCount = Read16(stat, 4);
    std::size_t at = kSegmentsStart;
    for (int k = 0; k < keyCount; ++k) {
        std::vector<Segment> segments;
        for (;;) {
            if (at + kSegmentSize > stat.size()) {
                end = at;
                keys.push_back(segments);
                return keys;
            }
            const Segment segment{Read16(stat, at + 2), Read16(stat, at + 4)};
            segments.push_back(segment);
            at += kSegmentSize;
            if ((segment.flags & kSegmentFollows) == 0) break;
        }
        keys.push_back(segments);
    }
    end = at;
    return keys;
}

}  // namespace

int32_t StatRecordLength(const std::string& stat) { return Read16(stat, 0); }

int16_t StatKeyLength(const std::string& stat, int keyNumber) {
    // Walked in place: every keyed read of the layer asks for a key length.
    if (keyNumber < 0 || keyNumber >= Read16(stat, 4)) return 0;
    std::size_t at = kSegmentsStart;
    int length = 0;
    for (int k = 0; k <= keyNumber; ++k) {
        length = 0;
        for (;;) {
            if (at + kSegmentSize > stat.size()) return 0;
            const uint16_t flags = Read16(stat, at + 4);
            length += Read16(stat, at + 2);
            at += kSegmentSize;
            if ((flags & kSegmentFollows) == 0) break;
        }
    }
    return static_cast<int16_t>(length);
}

std::string ComparableKeyFromStat(const std::string& stat, int keyNumber, std::string value) {
    std::size_t end = 0;
    const auto keys = KeysOf(stat, end);
    if (keyNumber < 0 || keyNumber >= static_cast<int>(keys.size())) return value;
    const std::size_t table = end + kTableOffset;
    const bool hasTable = table + kTableSize <= stat.size();
    std::size_t offset = 0;
    for (const Segment& segment : keys[keyNumber]) {
        if ((segment.flags & kBinary) != 0) {
            if (value.size() < offset + segment.length) value.resize(offset + segment.length, '\0');
            std::reverse(value.begin() + offset, value.begin() + offset + segment.length);
        } else if ((segment.flags & kCollating) != 0 && hasTable) {
            for (std::size_t i = offset; i < offset + segment.length && i < value.size(); ++i) {
                value[i] = stat[table + static_cast<uint8_t>(value[i])];
            }
        }
        offset += segment.length;
    }
    return value;
}

}  // namespace vela
