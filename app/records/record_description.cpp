#include "app/records/record_description.hpp"

#include <map>
#include <sstream>

#include "datenum/text_utils.hpp"

namespace vela {

namespace {

// Key flags of a key segment's entry in the record manager's Create buffer.
constexpr std::uint16_t kDuplicates = 0x01;
constexpr std::uint16_t kBinary = 0x04;
constexpr std::uint16_t kSegmented = 0x10;
constexpr std::uint16_t kAlternateCollating = 0x20;

const std::map<std::string, FieldKind> kKinds = {
    {"text", FieldKind::text},     {"code", FieldKind::code},   {"date", FieldKind::date},
    {"amount", FieldKind::amount}, {"count", FieldKind::count}, {"byte", FieldKind::byte},
};

// Widths a kind must have (0: any).
std::size_t FixedWidth(FieldKind kind) {
    switch (kind) {
        case FieldKind::date:
            return 4;
        case FieldKind::amount:
            return 4;
        case FieldKind::count:
            return 2;
        case FieldKind::byte:
            return 1;
        default:
            return 0;
    }
}

void Put16(std::string& out, std::uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

void Put32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

bool ParseNumber(const std::string& text, std::size_t& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::stoul(text);
    return true;
}

}  // namespace

const FieldDescription* RecordFileDescription::Field(const std::string& fieldName) const {
    for (const FieldDescription& field : fields) {
        if (field.name == fieldName) return &field;
    }
    return nullptr;
}

std::vector<RecordFileDescription> ParseRecordDescription(const std::string& text,
                                                          std::string& error) {
    std::vector<RecordFileDescription> files;
    std::istringstream lines(text);
    std::string line;
    int lineNumber = 0;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(lineNumber) + ": " + why;
        return std::vector<RecordFileDescription>{};
    };
    while (std::getline(lines, line)) {
        ++lineNumber;
        if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;) w.push_back(word);
        if (w.empty()) continue;
        if (w[0] == "file") {
            if (w.size() != 2) return fail("file takes one name");
            files.push_back({});
            files.back().name = w[1];
            continue;
        }
        if (files.empty()) return fail("\"" + w[0] + "\" before the first file");
        RecordFileDescription& file = files.back();
        std::size_t number = 0;
        if (w[0] == "number" || w[0] == "length" || w[0] == "page") {
            if (w.size() != 2 || !ParseNumber(w[1], number)) return fail(w[0] + " takes a number");
            if (w[0] == "number") file.fileNumber = static_cast<int>(number);
            if (w[0] == "length") file.recordLength = number;
            if (w[0] == "page") {
                if (number < 512 || number > 4096 || number % 512 != 0) {
                    return fail("page size must be 512 ... 4096 in steps of 512");
                }
                file.pageSize = number;
            }
        } else if (w[0] == "path") {
            if (w.size() != 2) return fail("path takes one text");
            file.path = w[1];
        } else if (w[0] == "field") {
            FieldDescription field;
            if (w.size() != 5 && w.size() != 6) return fail("field NAME OFFSET WIDTH KIND [N]");
            field.name = w[1];
            if (!ParseNumber(w[2], field.offset) || !ParseNumber(w[3], field.width) ||
                field.width == 0) {
                return fail("field offset and width must be numbers");
            }
            const auto kind = kKinds.find(w[4]);
            if (kind == kKinds.end()) return fail("unknown field kind " + w[4]);
            field.kind = kind->second;
            if (FixedWidth(field.kind) != 0 && FixedWidth(field.kind) != field.width) {
                return fail(w[4] + " field " + field.name + " must be " +
                            std::to_string(FixedWidth(field.kind)) + " bytes wide");
            }
            if (w.size() == 6 && (!ParseNumber(w[5], field.repeat) || field.repeat == 0)) {
                return fail("repeat count must be a positive number");
            }
            if (file.recordLength == 0) return fail("field before the record length");
            if (field.offset + field.width * field.repeat > file.recordLength) {
                return fail("field " + field.name + " lies beyond the record");
            }
            if (file.Field(field.name) != nullptr) return fail("field " + field.name + " twice");
            file.fields.push_back(field);
        } else if (w[0] == "key") {
            KeyDescription key;
            if (w.size() < 4 || !ParseNumber(w[1], number)) {
                return fail("key N unique|duplicates SEGMENT...");
            }
            key.number = static_cast<int>(number);
            if (key.number != static_cast<int>(file.keys.size())) {
                return fail("keys must be numbered 0, 1, 2 ... in order");
            }
            if (w[2] != "unique" && w[2] != "duplicates") return fail("unique or duplicates");
            key.duplicates = w[2] == "duplicates";
            for (std::size_t i = 3; i < w.size(); ++i) {
                KeySegmentDescription segment{w[i], false};
                if (const auto colon = segment.field.find(':'); colon != std::string::npos) {
                    if (segment.field.substr(colon + 1) != "upper") {
                        return fail("unknown collating sequence in " + w[i]);
                    }
                    segment.field.erase(colon);
                    segment.upper = true;
                }
                const FieldDescription* field = file.Field(segment.field);
                if (field == nullptr) return fail("key segment names no field: " + segment.field);
                if (field->repeat != 1) return fail("a repeated field cannot be a key segment");
                key.segments.push_back(segment);
            }
            file.keys.push_back(key);
        } else {
            return fail("unknown word " + w[0]);
        }
    }
    for (const RecordFileDescription& file : files) {
        if (file.fileNumber == 0 || file.path.empty() || file.recordLength == 0 ||
            file.pageSize == 0 || file.keys.empty()) {
            error = "file " + file.name + " lacks its number, path, length, page size or keys";
            return {};
        }
    }
    return files;
}

std::string UpperCollatingSequence() {
    std::string sequence(1, static_cast<char>(0xAC));
    sequence += "UPPER   ";
    for (int code = 0; code < 256; ++code) {
        sequence += static_cast<char>(FoldCode(static_cast<std::uint8_t>(code), true));
    }
    return sequence;
}

std::string CreateBuffer(const RecordFileDescription& file) {
    std::string buffer;
    Put16(buffer, static_cast<std::uint16_t>(file.recordLength));
    Put16(buffer, static_cast<std::uint16_t>(file.pageSize));
    Put16(buffer, static_cast<std::uint16_t>(file.keys.size()));
    Put32(buffer, 0);  // number of records: Stat only
    Put16(buffer, 0);  // file flags
    Put16(buffer, 0);  // reserved
    Put16(buffer, 0);  // preallocated pages
    bool anyUpper = false;
    for (const KeyDescription& key : file.keys) {
        for (std::size_t i = 0; i < key.segments.size(); ++i) {
            const KeySegmentDescription& segment = key.segments[i];
            const FieldDescription& field = *file.Field(segment.field);
            std::uint16_t flags = key.duplicates ? kDuplicates : 0;
            if (field.kind == FieldKind::count) flags |= kBinary;
            if (segment.upper) flags |= kAlternateCollating;
            if (i + 1 < key.segments.size()) flags |= kSegmented;
            anyUpper = anyUpper || segment.upper;
            Put16(buffer, static_cast<std::uint16_t>(field.offset + 1));
            Put16(buffer, static_cast<std::uint16_t>(field.width));
            Put16(buffer, flags);
            Put32(buffer, 0);  // distinct key values: Stat only
            buffer += '\0';    // extended type
            buffer += '\0';    // null value
            Put16(buffer, 0);  // reserved
            buffer += static_cast<char>(key.number);
            buffer += '\0';  // alternate collating sequence number: the one table
        }
    }
    if (anyUpper) buffer += UpperCollatingSequence();
    return buffer;
}

std::string DictionaryEntry(const RecordFileDescription& file) {
    const std::string buffer = CreateBuffer(file);
    std::string entry;
    Put16(entry, static_cast<std::uint16_t>(buffer.size()));
    return entry + buffer;
}

}  // namespace vela
