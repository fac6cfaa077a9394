// The description of the office's record files (record_files.txt): its
// reader and the data dictionary entry built from it.
//
// The build's layout generator uses this to write the ddf\<name>.xdf files
// and the typed field constants; nothing else parses the description.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/records/record_field.hpp"

namespace vela {

struct FieldDescription {
    std::string name;
    std::size_t offset = 0;
    std::size_t width = 0;
    FieldKind kind = FieldKind::text;
    std::size_t repeat = 1;  // consecutive elements of this width
};

struct KeySegmentDescription {
    std::string field;
    bool upper = false;  // alternate collating sequence "UPPER"
};

struct KeyDescription {
    int number = 0;
    bool duplicates = false;
    std::vector<KeySegmentDescription> segments;
};

struct RecordFileDescription {
    std::string name;  // base name: "VPropiet"
    int fileNumber = 0;
    std::string path;  // under the installation root: "DADES\VPropiet"
    std::size_t recordLength = 0;
    std::size_t pageSize = 0;
    std::vector<FieldDescription> fields;
    std::vector<KeyDescription> keys;

    const FieldDescription* Field(const std::string& fieldName) const;
};

// Reads the description. On a malformed line, an unknown field kind or key
// segment, a field beyond the record or keys out of order, returns an empty
// list and says why in error (with the line number).
std::vector<RecordFileDescription> ParseRecordDescription(const std::string& text,
                                                          std::string& error);

// The record manager's Create buffer for the file: the 16-byte file header,
// one 16-byte entry per key segment, and the "UPPER" collating sequence when a
// segment uses it.
std::string CreateBuffer(const RecordFileDescription& file);

// The data dictionary entry (.xdf): the buffer's length as a little-endian
// 16-bit integer, then the buffer.
std::string DictionaryEntry(const RecordFileDescription& file);

// The name and 256-byte table of the "UPPER" collating sequence: code page
// 850 letters folded to capitals without accents, as the search mode folds.
std::string UpperCollatingSequence();

}  // namespace vela
