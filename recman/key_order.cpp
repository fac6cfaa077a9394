#include "recman/key_order.hpp"

namespace vela::recman {

std::string KeyValueOf(const KeyDefinition& key, const uint8_t* record) {
    std::string value;
    value.reserve(key.length);
    for (const KeySegment& segment : key.segments) {
        value.append(reinterpret_cast<const char*>(record) + segment.position - 1, segment.length);
    }
    return value;
}

void AppendOrderBytes(const FileLayout& layout, const KeyDefinition& key, const uint8_t* keyValue,
                      std::string& out) {
    const uint8_t* table = layout.CollatingTable();
    for (const KeySegment& segment : key.segments) {
        const std::size_t start = out.size();
        if ((segment.flags & kKeyBinary) != 0) {
            for (std::size_t i = segment.length; i-- > 0;) out.push_back(keyValue[i]);
        } else if ((segment.flags & kKeyCollating) != 0 && layout.hasCollating) {
            for (std::size_t i = 0; i < segment.length; ++i) out.push_back(table[keyValue[i]]);
        } else {
            out.append(reinterpret_cast<const char*>(keyValue), segment.length);
        }
        if ((segment.flags & kKeyDescending) != 0) {
            for (std::size_t i = start; i < out.size(); ++i) out[i] = static_cast<char>(~out[i]);
        }
        keyValue += segment.length;
    }
}

bool IsNullKeyValue(const KeyDefinition& key, const uint8_t* keyValue) {
    if (!key.nullKey) return false;
    for (const KeySegment& segment : key.segments) {
        for (std::size_t i = 0; i < segment.length; ++i) {
            if (keyValue[i] != segment.nullValue) return false;
        }
        keyValue += segment.length;
    }
    return true;
}

void AppendPosition(std::string& out, uint32_t position) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>(position >> shift));
}

uint32_t EntryPosition(const void* entry, std::size_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(entry) + size - kEntryPositionSize;
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

}  // namespace vela::recman
