#include "recman/file_layout.hpp"

#include "recman/record_manager.hpp"

namespace vela::recman {

namespace {

uint16_t Read16(std::span<const uint8_t> b, std::size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

void Put16(std::vector<uint8_t>& b, std::size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Put32(std::vector<uint8_t>& b, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

std::size_t FileLayout::SegmentCount() const {
    std::size_t count = 0;
    for (const KeyDefinition& key : keys) count += key.segments.size();
    return count;
}

int16_t ParseFileLayout(std::span<const uint8_t> buffer, FileLayout& layout) {
    layout = FileLayout{};
    if (buffer.size() < kFileHeaderSize) return kStatusDataBufferLength;
    layout.recordLength = Read16(buffer, 0);
    layout.pageSize = Read16(buffer, 2);
    const uint16_t keyCount = Read16(buffer, 4);
    layout.fileFlags = Read16(buffer, 10);
    layout.preallocatedPages = Read16(buffer, 14);
    if (layout.pageSize < 512 || layout.pageSize > 4096 || layout.pageSize % 512 != 0) {
        return kStatusPageSize;
    }
    if (layout.recordLength < 1 || layout.recordLength > kMaxRecordLength) {
        return kStatusInvalidRecordLength;
    }
    if (keyCount == 0 || keyCount > 119) return kStatusInvalidKeyNumber;

    std::size_t at = kFileHeaderSize;
    for (uint16_t k = 0; k < keyCount; ++k) {
        KeyDefinition key;
        for (;;) {
            if (at + kSegmentSize > buffer.size()) return kStatusDataBufferLength;
            KeySegment segment;
            segment.position = Read16(buffer, at);
            segment.length = Read16(buffer, at + 2);
            segment.flags = Read16(buffer, at + 4);
            segment.extendedType = buffer[at + 10];
            segment.nullValue = buffer[at + 11];
            segment.keyNumber = buffer[at + 14];
            segment.collatingNumber = buffer[at + 15];
            at += kSegmentSize;
            if ((segment.flags & ~kSupportedKeyFlags) != 0) return kStatusInvalidKeyPosition;
            if (segment.length == 0) return kStatusInvalidKeyLength;
            if (segment.position < 1 ||
                segment.position + segment.length - 1 > layout.recordLength) {
                return kStatusInvalidKeyPosition;
            }
            if ((segment.flags & kKeyCollating) != 0) layout.hasCollating = true;
            if (key.segments.empty()) {
                key.duplicates = (segment.flags & kKeyDuplicates) != 0;
                key.modifiable = (segment.flags & kKeyModifiable) != 0;
                key.nullKey = (segment.flags & kKeyNull) != 0;
            }
            key.length += segment.length;
            key.segments.push_back(segment);
            if (key.length > kMaxKeyLength) return kStatusInvalidKeyLength;
            if ((segment.flags & kKeySegmented) == 0) break;
            if (key.segments.size() >= 119) return kStatusInvalidKeyPosition;
        }
        layout.keys.push_back(std::move(key));
    }
    if (layout.hasCollating) {
        if (at + kCollatingSize > buffer.size() || buffer[at] != kCollatingSignature) {
            return kStatusInvalidCollating;
        }
        for (std::size_t i = 0; i < kCollatingSize; ++i) layout.collating[i] = buffer[at + i];
    }
    return kStatusOk;
}

std::vector<uint8_t> StatBuffer(const FileLayout& layout, uint32_t records,
                                std::span<const uint32_t> distinctPerKey) {
    std::vector<uint8_t> out(kFileHeaderSize + kSegmentSize * layout.SegmentCount() +
                             (layout.hasCollating ? kCollatingSize : 0));
    Put16(out, 0, layout.recordLength);
    Put16(out, 2, layout.pageSize);
    Put16(out, 4, static_cast<uint16_t>(layout.keys.size()));
    Put32(out, 6, records);
    Put16(out, 10, layout.fileFlags);
    Put16(out, 14, layout.preallocatedPages);
    std::size_t at = kFileHeaderSize;
    for (std::size_t k = 0; k < layout.keys.size(); ++k) {
        const uint32_t distinct = k < distinctPerKey.size() ? distinctPerKey[k] : 0;
        for (const KeySegment& segment : layout.keys[k].segments) {
            Put16(out, at, segment.position);
            Put16(out, at + 2, segment.length);
            Put16(out, at + 4, segment.flags);
            Put32(out, at + 6, distinct);
            out[at + 10] = segment.extendedType;
            out[at + 11] = segment.nullValue;
            out[at + 14] = segment.keyNumber;
            out[at + 15] = segment.collatingNumber;
            at += kSegmentSize;
        }
    }
    if (layout.hasCollating) {
        for (std::size_t i = 0; i < kCollatingSize; ++i) out[at + i] = layout.collating[i];
    }
    return out;
}

}  // namespace vela::recman
