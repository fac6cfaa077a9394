// The forms of the program as its form description file gives them: per form
// the exit keys, the fields, the continuation form and the window; per field
// its place, label, width, kind and current value; and the table of browse
// lists. Forms and fields are numbered from 1, lists from 1 (entry 0 of the
// list table exists and is not used).
//
// The tables are filled once by LoadForms (form_file.hpp). Afterwards only a
// field's value, a form's linkedForm (through a yes/no field) and resumeForm
// change; the application reads and writes the values directly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vela {

// Bits of a field's flags.
namespace field_flags {
// Editing starts from an empty text and an empty result keeps the old value.
inline constexpr std::int16_t kStartsEmpty = 1;
// Never displayed; typed characters echo as "X"; starts empty as well.
inline constexpr std::int16_t kMasked = 2;
// Shown only: never edited, passed over by the keys and the mouse.
inline constexpr std::int16_t kDisplayOnly = 4;
// The cursor starts after the last non-blank character.
inline constexpr std::int16_t kCursorAtEnd = 8;
}  // namespace field_flags

// A field's dataType.
namespace field_types {
inline constexpr std::int16_t kText = 0;
inline constexpr std::int16_t kDate = 1;
inline constexpr std::int16_t kCode = 2;    // dotted code number (owner codes)
inline constexpr std::int16_t kSwitch = 3;  // "S" links continuation form 2, else none
}  // namespace field_types

struct FormField {
    std::int16_t row = 0;     // of the label, relative to the form's window
    std::int16_t column = 0;  // of the label; the value follows it
    std::string label;
    std::int16_t length = 0;      // of the value
    std::int16_t lineWidth = 0;   // 0 one line, else lines of this width
    std::int16_t trailWidth = 0;  // description area after the value
    std::int16_t flags = 0;
    std::int16_t dataType = 0;
    std::int16_t listNo = 0;  // browse list F4 opens, 0 none
    std::string choices;      // "|code,description|..." for a coded field
    std::string value;        // exactly length characters, blank-padded
};

struct FormEntry {
    std::string keyList;  // exit keys, hexadecimal codes "k" or "k=r"
    std::int16_t fieldCount = 0;
    std::int16_t linkedForm = 0;  // continuation form, 0 none
    std::int16_t windowTop = 0;   // 0: no window of its own
    std::int16_t windowLeft = 0;
    std::int16_t windowBottom = 0;
    std::int16_t windowRight = 0;
    std::vector<FormField> fields;  // 1 .. maxFields; entry 0 unused
};

struct BrowseListEntry {
    std::int16_t recordFile = 0;  // 0: lines written into the line cache beforehand
    std::int16_t keyNo = 0;
    std::int16_t top = 0;
    std::int16_t left = 0;
    std::int16_t bottom = 0;
    std::int16_t right = 0;
    std::int16_t filterForm = 0;
    std::string title;
    std::int16_t nextList = 0;
};

struct FormTables {
    std::int16_t formCount = 0;
    std::int16_t maxFields = 0;
    std::int16_t listCount = 0;
    std::vector<FormEntry> forms;        // 1 .. formCount; entry 0 unused
    std::vector<BrowseListEntry> lists;  // 0 .. listCount; entry 0 unused
};

// The program's forms.
extern FormTables formTables;

// The form last left with PgUp or PgDn at its edge, 0 for none.
extern std::int16_t resumeForm;

// Table entries by number. A number outside the tables gives an empty entry
// that is not part of them, so a stray number never reaches beyond a table.
FormEntry& Form(std::int16_t form);
FormField& Field(std::int16_t form, std::int16_t field);
BrowseListEntry& List(std::int16_t list);

// A value as a field of the given width holds it: cut or blank-padded.
std::string FieldText(const std::string& text, std::int16_t width);

// Stores text into a field's value, cut or blank-padded to its length.
void SetFieldValue(std::int16_t form, std::int16_t field, const std::string& text);

}  // namespace vela
