#include "app/records/record_field.hpp"

#include <algorithm>

#include "datenum/calendar_dates.hpp"

namespace vela {

namespace {

std::uint32_t ReadLittleEndian(ConstRecordBytes area, std::size_t offset, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;) {
        value = (value << 8) | static_cast<std::uint8_t>(area[offset + i]);
    }
    return value;
}

void WriteLittleEndian(RecordBytes area, std::size_t offset, std::size_t width,
                       std::uint32_t value) {
    for (std::size_t i = 0; i < width; ++i) {
        area[offset + i] = static_cast<char>(value & 0xFF);
        value >>= 8;
    }
}

void WritePadded(RecordBytes area, std::size_t offset, std::size_t width, std::string_view bytes,
                 char pad) {
    const std::size_t n = std::min(width, bytes.size());
    std::copy_n(bytes.begin(), n, area.begin() + offset);
    std::fill_n(area.begin() + offset + n, width - n, pad);
}

}  // namespace

std::string TextField::Read(ConstRecordBytes area) const {
    return std::string(area.data() + offset, width);
}

void TextField::Write(RecordBytes area, std::string_view text) const {
    WritePadded(area, offset, width, text, ' ');
}

std::string PackedField::Read(ConstRecordBytes area) const {
    return std::string(area.data() + offset, width);
}

std::string PackedField::Digits(ConstRecordBytes area) const { return UnpackDigits(Read(area)); }

void PackedField::Write(RecordBytes area, std::string_view packed) const {
    WritePadded(area, offset, width, packed, static_cast<char>(0x80));
}

void PackedField::WriteDigits(RecordBytes area, std::string_view digits) const {
    std::string text(digits.substr(digits.size() > 2 * width ? digits.size() - 2 * width : 0));
    text.insert(0, 2 * width - text.size(), '0');
    Write(area, PackDigits(text));
}

std::int32_t AmountField::Read(ConstRecordBytes area) const {
    return static_cast<std::int32_t>(ReadLittleEndian(area, offset, 4));
}

void AmountField::Write(RecordBytes area, std::int32_t value) const {
    WriteLittleEndian(area, offset, 4, static_cast<std::uint32_t>(value));
}

std::int16_t CountField::Read(ConstRecordBytes area) const {
    return static_cast<std::int16_t>(ReadLittleEndian(area, offset, 2));
}

void CountField::Write(RecordBytes area, std::int16_t value) const {
    WriteLittleEndian(area, offset, 2, static_cast<std::uint16_t>(value));
}

std::uint8_t ByteField::Read(ConstRecordBytes area) const {
    return static_cast<std::uint8_t>(area[offset]);
}

void ByteField::Write(RecordBytes area, std::uint8_t value) const {
    area[offset] = static_cast<char>(value);
}

}  // namespace vela
