// The form description file: rootDir + "FORMS\" + module name + ".KFM",
// code page 850 text with CR LF line ends, read item by item as sequential
// input. Items are separated by commas or line ends; a text item may stand
// between double quotes (it must when it holds a comma); numbers are
// decimal. A line whose first character is an apostrophe is a comment; a
// comment may stand only in front of a record, never inside one. Records:
//
//   formCount, maxFields
//   per form: keyList, fieldCount, linkedForm, windowTop, windowLeft,
//             windowBottom, windowRight, then per field: row, column, label,
//             length, lineWidth, trailWidth, flags, dataType, listNo, choices
//   listCount
//   per list: recordFile, keyNo, top, left, bottom, right, filterForm,
//             title, nextList
//
// A record may take as many lines as it likes. Labels, choices and list
// titles are translated as they are read; every value starts as blanks.
//
// The file is checked as it is read, so that a damaged or hand-edited file
// stops the program with the line at fault instead of leaving forms that
// cannot be drawn: every number must be a whole number within the bounds
// the screen and the tables allow, every count must be met before the file
// ends (only the list section may be missing as a whole), continuation forms
// must not lead back to themselves and list numbers must name lists that
// exist.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "ui/form_tables.hpp"

namespace vela {

// Bounds of the tables and of the positions in them.
inline constexpr std::int16_t kMostForms = 99;
inline constexpr std::int16_t kMostFields = 99;
inline constexpr std::int16_t kMostLists = 99;
inline constexpr std::int16_t kMostScreenPosition = 99;
inline constexpr std::int16_t kMostFieldLength = 999;

struct FormFileError {
    int line = 0;        // 1-based line where reading failed
    std::string reason;  // in plain words, for the operator
};

using TextTranslator = std::function<std::string(const std::string&)>;

// Reads a form description into tables. False with the line and the reason
// when the contents are not a sound form description; tables are then left
// as they were.
bool ReadFormDescription(std::string_view contents, const TextTranslator& translate,
                         FormTables& tables, FormFileError& error);

// The form description file of a module under the session's rootDir, as the
// program names it.
std::string FormFilePath(const std::string& moduleName);

// Reads the module's form description file into formTables, translating
// through the language table. False with a message naming the file (its host
// path) and the line where reading failed.
bool LoadForms(const std::string& moduleName, std::string& message);

}  // namespace vela
