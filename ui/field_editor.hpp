// The field editor: edits one fixed-length text in place on the screen and
// returns the key that ended the edit. A field is free text (one line, or
// several lines of lineWidth characters) or, when the keyboard's field
// choices (SetFieldChoices) are not empty, a coded field that shows the
// description of one of its codes and steps through them.
//
// Keys come from the keyboard (ui/keyboard.hpp); the exit-key table decides
// which of the keys the editor does not use itself end the edit, and what is
// returned for them. Tab is taken as Enter, Shift+Tab as Up, Ctrl+F4 and
// Alt+F4 as Esc, and Enter as End when End is an exit key, so that Enter
// finishes a form in one step. A mouse click outside the field ends the edit
// and comes back as -(100 x screen column + screen row).
//
// Positions are window-relative (LocateInWindow). The text never changes
// length: typing, deleting and pasting shift characters within it. Insert
// or overwrite follows the keyboard's Insert toggle (ui/insert_toggle.hpp),
// shown by the cursor's shape: a bar in insert mode, a block in overwrite.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vela {

// Edits text at (row, column). Row or column 0: the cursor's current row or
// column is used and written back. lineWidth 0: one line (lineWidth becomes
// the text's length + 1 and is written back). position, 1-based, is clamped
// to 1 .. length + 1 on entry and holds the cursor position on return. key
// receives the key that ended the edit, after the exit-key table's
// replacement. A coded field's text comes back as the chosen code,
// blank-padded.
void EditField(std::int16_t& row, std::int16_t& column, std::int16_t& lineWidth, std::string& text,
               std::int16_t& position, std::int16_t& key);

// One item of a choice list "|code,description|code,description".
struct FieldChoice {
    std::string code;
    std::string description;
    bool operator==(const FieldChoice&) const = default;
};

// The items of a choice list; text before the first "|" is not used, an
// item without "," has an empty description.
std::vector<FieldChoice> ParseFieldChoices(const std::string& choices);

}  // namespace vela
