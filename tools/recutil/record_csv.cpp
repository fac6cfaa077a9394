#include "tools/recutil/record_csv.hpp"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>

#include "platform/code_page_850.hpp"

namespace vela::recutil {

namespace {

constexpr char kPackedZero = static_cast<char>(0x80);

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Digits(std::string_view packed) {
    std::string digits;
    for (const char c : packed) {
        const int value = (static_cast<unsigned char>(c) & 127) % 100;
        digits += static_cast<char>('0' + value / 10);
        digits += static_cast<char>('0' + value % 10);
    }
    return digits;
}

void WritePacked(std::string& record, std::size_t offset, std::string_view digits) {
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
        record[offset + i / 2] =
            static_cast<char>(0x80 + 10 * (digits[i] - '0') + (digits[i + 1] - '0'));
    }
}

std::int64_t ReadLittleEndian(std::string_view record, std::size_t offset, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = width; i-- > 0;)
        value = (value << 8) | static_cast<std::uint8_t>(record[offset + i]);
    return static_cast<std::int64_t>(value);
}

void WriteLittleEndian(std::string& record, std::size_t offset, std::size_t width,
                       std::uint64_t value) {
    for (std::size_t i = 0; i < width; ++i) {
        record[offset + i] = static_cast<char>(value & 0xFF);
        value >>= 8;
    }
}

bool LeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// A whole number with an optional sign, within [low, high].
bool WholeNumber(std::string_view text, std::int64_t low, std::int64_t high, std::int64_t& value) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (!AllDigits(text) || text.size() > 12) return false;
    value = std::stoll(std::string(text));
    if (negative) value = -value;
    return value >= low && value <= high;
}

bool WriteText(const CsvColumn& column, std::string_view text, std::string& record,
               std::string& why) {
    std::string bytes;
    for (std::size_t at = 0; at < text.size();) {
        const char32_t ch = DecodeUtf8(text, at);
        if (ch < 0x20 || ch == 0x7F) {
            why = "a line break or control character cannot stand in a text";
            return false;
        }
        const auto code = ch == 0xFFFD ? std::nullopt : UnicodeToCp850(ch);
        if (!code) {
            why = "a character the office's code page (850) does not have";
            return false;
        }
        bytes.push_back(static_cast<char>(*code));
    }
    while (!bytes.empty() && bytes.back() == ' ') bytes.pop_back();
    if (bytes.size() > column.width) {
        why = "longer than " + std::to_string(column.width) + " characters";
        return false;
    }
    bytes.resize(column.width, ' ');
    record.replace(column.offset, column.width, bytes);
    return true;
}

bool WriteCode(const CsvColumn& column, std::string_view text, std::string& record,
               std::string& why) {
    const std::size_t digits = 2 * column.width;
    if (!text.empty() && (!AllDigits(text) || text.size() > digits)) {
        why = "not a code of up to " + std::to_string(digits) + " digits";
        return false;
    }
    std::string padded(digits - text.size(), '0');
    padded += text;
    WritePacked(record, column.offset, padded);
    return true;
}

bool WriteDate(const CsvColumn& column, std::string_view text, std::string& record,
               std::string& why) {
    if (text.empty()) {
        record.replace(column.offset, column.width, column.width, kPackedZero);
        return true;
    }
    why = "not a date written day.month.year (31.12.2025)";
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '.' || text[i] == '/' || text[i] == '-') {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    if (parts.size() != 3 || !AllDigits(parts[0]) || parts[0].size() > 2 || !AllDigits(parts[1]) ||
        parts[1].size() > 2 || !AllDigits(parts[2]) || parts[2].size() != 4) {
        return false;
    }
    const int day = std::stoi(std::string(parts[0]));
    const int month = std::stoi(std::string(parts[1]));
    const int year = std::stoi(std::string(parts[2]));
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || month < 1 || month > 12 || day < 1 ||
        day > kDays[month - 1] + (month == 2 && LeapYear(year) ? 1 : 0)) {
        why = "there is no such date";
        return false;
    }
    const std::string digits = std::string(parts[2]) + (month < 10 ? "0" : "") +
                               std::to_string(month) + (day < 10 ? "0" : "") + std::to_string(day);
    WritePacked(record, column.offset, digits);
    return true;
}

bool WriteAmount(const CsvColumn& column, std::string_view text, std::string& record,
                 std::string& why) {
    std::int64_t cents = 0;
    if (!text.empty()) {
        why = "not an amount in euros with a decimal point (1234.56)";
        std::string_view number = text;
        bool negative = false;
        if (number.front() == '-' || number.front() == '+') {
            negative = number.front() == '-';
            number.remove_prefix(1);
        }
        const std::size_t point = number.find('.');
        const std::string_view euros = number.substr(0, point);
        const std::string_view decimals =
            point == std::string_view::npos ? std::string_view{} : number.substr(point + 1);
        if (!AllDigits(euros) || euros.size() > 12 ||
            (point != std::string_view::npos && (!AllDigits(decimals) || decimals.size() > 2))) {
            return false;
        }
        cents = std::stoll(std::string(euros)) * 100;
        if (!decimals.empty())
            cents += std::stoi(std::string(decimals)) * (decimals.size() == 1 ? 10 : 1);
        if (negative) cents = -cents;
        if (cents < INT32_MIN || cents > INT32_MAX) {
            why = "too large an amount (up to 21474836.47)";
            return false;
        }
    }
    WriteLittleEndian(record, column.offset, 4, static_cast<std::uint64_t>(cents));
    return true;
}

bool WriteWhole(const CsvColumn& column, std::string_view text, std::string& record,
                std::string& why) {
    const bool isByte = column.kind == FieldKind::byte;
    const std::int64_t low = isByte ? 0 : INT16_MIN;
    const std::int64_t high = isByte ? 255 : INT16_MAX;
    std::int64_t value = 0;
    if (!text.empty() && !WholeNumber(text, low, high, value)) {
        why = "not a whole number from " + std::to_string(low) + " to " + std::to_string(high);
        return false;
    }
    WriteLittleEndian(record, column.offset, column.width, static_cast<std::uint64_t>(value));
    return true;
}

// The record before any value is written: blanks, and zero in every field
// that is not a text.
std::string EmptyRecord(const RecordFileInfo& file, const std::vector<CsvColumn>& columns) {
    std::string record(file.recordLength, ' ');
    std::string none;
    for (const CsvColumn& column : columns) {
        if (column.kind != FieldKind::text) WriteCsvFieldText(column, "", record, none);
    }
    return record;
}

bool Overlap(const CsvColumn& a, const CsvColumn& b) {
    return a.offset < b.offset + b.width && b.offset < a.offset + a.width;
}

std::string ColumnName(std::size_t index, const CsvColumn& column) {
    return "column " + std::to_string(index + 1) + " (" + column.name + ")";
}

}  // namespace

const RecordFileInfo* RecordFileOfPath(std::string_view hostPath) {
    std::string_view name = hostPath;
    if (const auto slash = name.find_last_of("/\\"); slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    if (const auto dot = name.find('.'); dot != std::string_view::npos) name = name.substr(0, dot);
    for (const RecordFileInfo& file : kRecordFiles) {
        if (file.name.size() == name.size() &&
            std::equal(name.begin(), name.end(), file.name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            })) {
            return &file;
        }
    }
    return nullptr;
}

std::vector<CsvColumn> CsvColumns(const RecordFileInfo& file) {
    std::vector<CsvColumn> columns;
    for (const RecordFieldInfo& field : file.fields) {
        for (std::size_t n = 1; n <= field.repeat; ++n) {
            std::string name(field.name);
            if (field.repeat > 1) name += std::to_string(n);
            columns.push_back(
                {name, field.kind, field.offset + (n - 1) * field.width, field.width});
        }
    }
    return columns;
}

std::vector<std::string> CsvHeader(const RecordFileInfo& file) {
    std::vector<std::string> names;
    for (const CsvColumn& column : CsvColumns(file)) names.push_back(column.name);
    return names;
}

std::string CsvFieldText(const CsvColumn& column, std::string_view record) {
    const std::string_view bytes = record.substr(column.offset, column.width);
    switch (column.kind) {
        case FieldKind::text: {
            // Trimmed after conversion: a zero byte reads as a blank.
            std::string text = Utf8FromCp850(bytes);
            while (!text.empty() && text.back() == ' ') text.pop_back();
            return text;
        }
        case FieldKind::code:
            return Digits(bytes);
        case FieldKind::date: {
            const std::string digits = Digits(bytes);
            if (digits == "00000000") return "";
            return digits.substr(6, 2) + "." + digits.substr(4, 2) + "." + digits.substr(0, 4);
        }
        case FieldKind::amount: {
            const auto cents =
                static_cast<std::int32_t>(ReadLittleEndian(record, column.offset, 4));
            const std::int64_t magnitude = cents < 0 ? -std::int64_t{cents} : cents;
            char text[32];
            std::snprintf(text, sizeof text, "%s%lld.%02lld", cents < 0 ? "-" : "",
                          static_cast<long long>(magnitude / 100),
                          static_cast<long long>(magnitude % 100));
            return text;
        }
        case FieldKind::count:
            return std::to_string(
                static_cast<std::int16_t>(ReadLittleEndian(record, column.offset, 2)));
        case FieldKind::byte:
            return std::to_string(static_cast<std::uint8_t>(record[column.offset]));
    }
    return {};
}

std::vector<std::string> CsvRecordValues(const RecordFileInfo& file, std::string_view record) {
    std::vector<std::string> values;
    for (const CsvColumn& column : CsvColumns(file)) values.push_back(CsvFieldText(column, record));
    return values;
}

bool WriteCsvFieldText(const CsvColumn& column, std::string_view text, std::string& record,
                       std::string& why) {
    if (column.kind == FieldKind::text) return WriteText(column, text, record, why);
    text = TrimBlanks(text);
    switch (column.kind) {
        case FieldKind::code:
            return WriteCode(column, text, record, why);
        case FieldKind::date:
            return WriteDate(column, text, record, why);
        case FieldKind::amount:
            return WriteAmount(column, text, record, why);
        default:
            return WriteWhole(column, text, record, why);
    }
}

std::optional<CsvRecordBuilder> CsvRecordBuilder::FromHeader(const RecordFileInfo& file,
                                                             const std::vector<std::string>& header,
                                                             std::string& error) {
    CsvRecordBuilder builder;
    const std::vector<CsvColumn> all = CsvColumns(file);
    builder.empty_ = EmptyRecord(file, all);
    for (std::size_t i = 0; i < header.size(); ++i) {
        const std::string_view name = TrimBlanks(header[i]);
        const auto column = std::find_if(all.begin(), all.end(),
                                         [&](const CsvColumn& c) { return c.name == name; });
        if (column == all.end()) {
            error = "column " + std::to_string(i + 1) + ": " + std::string(name) +
                    " is not a field of " + std::string(file.name) + " (its fields: ";
            for (std::size_t k = 0; k < all.size(); ++k) error += (k > 0 ? ", " : "") + all[k].name;
            error += ")";
            return std::nullopt;
        }
        for (std::size_t j = 0; j < builder.columns_.size(); ++j) {
            if (builder.columns_[j].name == name) {
                error = "column " + std::to_string(i + 1) + ": " + std::string(name) +
                        " stands twice (also column " + std::to_string(j + 1) + ")";
                return std::nullopt;
            }
        }
        builder.columns_.push_back(*column);
    }
    return builder;
}

bool CsvRecordBuilder::Build(const std::vector<std::string>& values, std::string& record,
                             std::string& error) const {
    if (values.size() != columns_.size()) {
        error = std::to_string(values.size()) + " values where the header names " +
                std::to_string(columns_.size()) + " columns";
        return false;
    }
    record = empty_;
    std::vector<std::string> written(columns_.size());
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        std::string why;
        if (!WriteCsvFieldText(columns_[i], values[i], record, why)) {
            error = ColumnName(i, columns_[i]) + ": " + why + ": \"" + values[i] + "\"";
            return false;
        }
        written[i] = CsvFieldText(columns_[i], record);
    }
    // Fields that share bytes: a later one must not have changed an earlier.
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (CsvFieldText(columns_[i], record) == written[i]) continue;
        std::size_t j = i + 1;
        while (j + 1 < columns_.size() && !Overlap(columns_[i], columns_[j])) ++j;
        if (j >= columns_.size()) j = i;
        error = ColumnName(i, columns_[i]) + ": \"" + values[i] + "\" does not agree with " +
                ColumnName(j, columns_[j]) + ": \"" + values[j] + "\"";
        return false;
    }
    return true;
}

}  // namespace vela::recutil
