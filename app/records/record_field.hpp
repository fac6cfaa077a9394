// Typed fields of a fixed-layout record: where a field lies in a record
// (offset and width) and how its bytes read and write.
//
// The layouts of the office's record files are generated from their one
// description (record_files.txt) as constants of these types, so code reads
// layout::VPagos::paymentBase.Read(area) instead of decoding bytes at an
// offset. The same fields serve the program's record areas and the tools that
// build records (the demo office), on any byte area at least a record long.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vela {

// How a field's bytes are encoded.
enum class FieldKind { text, code, date, amount, count, byte };

using RecordBytes = std::span<char>;
using ConstRecordBytes = std::span<const char>;

// Fixed width, code page 850, blank-padded on the right.
struct TextField {
    std::size_t offset;
    std::size_t width;
    std::string Read(ConstRecordBytes area) const;
    // Cut or blank-padded to the width.
    void Write(RecordBytes area, std::string_view text) const;
};

// Packed digits, two per byte; also a packed date (4 bytes YYYYMMDD).
struct PackedField {
    std::size_t offset;
    std::size_t width;
    // The packed bytes as they stand.
    std::string Read(ConstRecordBytes area) const;
    // The digits, two per byte.
    std::string Digits(ConstRecordBytes area) const;
    // Packed bytes, cut or padded with 0x80 (the digits "00").
    void Write(RecordBytes area, std::string_view packed) const;
    // Digits, right-aligned and zero-filled to 2 x width digits first.
    void WriteDigits(RecordBytes area, std::string_view digits) const;
};
using CodeField = PackedField;
using DateField = PackedField;

// Signed 32-bit little-endian integer: an amount in cents.
struct AmountField {
    std::size_t offset;
    std::size_t width;  // always 4
    std::int32_t Read(ConstRecordBytes area) const;
    void Write(RecordBytes area, std::int32_t value) const;
};

// Signed 16-bit little-endian integer.
struct CountField {
    std::size_t offset;
    std::size_t width;  // always 2
    std::int16_t Read(ConstRecordBytes area) const;
    void Write(RecordBytes area, std::int16_t value) const;
};

// One raw byte (a state byte tested against 0).
struct ByteField {
    std::size_t offset;
    std::size_t width;  // always 1
    std::uint8_t Read(ConstRecordBytes area) const;
    void Write(RecordBytes area, std::uint8_t value) const;
};

// count consecutive fields of one kind, numbered from 1.
template <typename Field>
struct RepeatedField {
    std::size_t offset;
    std::size_t width;  // of one element
    std::size_t count;
    constexpr Field operator[](std::size_t number) const {
        return Field{offset + (number - 1) * width, width};
    }
};

}  // namespace vela
