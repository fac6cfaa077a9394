// The form engine: EditForm runs one form of the form tables (form_tables.hpp)
// field by field with the field editor, hands each edited text to StoreField,
// follows the form's continuation form, runs a field's browse list on F4 and
// help on F1, and returns the key that ended the form. It is re-entrant: a
// continuation form, a list's filter form or a confirmation form asked for by
// the form-exit check runs as a nested call over the outer form's window.
//
// What is particular to a program lives in hooks it registers (SetFormHooks):
// the painting of a form (titles, labels, values), the check made whenever a
// form is about to be left, and the browse-list hooks. The field editor, the
// help window and the browse list are services of the console interface,
// registered in the same way; the console interface registers its own at
// start, tests may put scripted ones in their place.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vela {

// Keys with a meaning for the form engine beyond keyboard.hpp's.
namespace form_keys {
inline constexpr std::int16_t kCtrlB = 0x02;  // leave the form
inline constexpr std::int16_t kF2 = 0x3c00;   // to the continuation form
inline constexpr std::int16_t kF4 = 0x3e00;   // the field's browse list
}  // namespace form_keys

struct FormHooks {
    // Draws a form's fixed content when it is entered. Default: PaintFields.
    std::function<void(std::int16_t form)> paintForm;
    // Called whenever a form is about to be left with key (which it may
    // change, for instance through a nested form); non-zero sends the user
    // back to the form's first editable field. Default: 0.
    std::function<std::int16_t(std::int16_t form, std::int16_t& key)> checkFormExit;
    // Browse-list hooks: the prefix every listed key shares and the key to
    // start from (non-zero cancels the list); the line shown for the record
    // just read; storing the chosen record into a field (form and field 0:
    // no field). Defaults: 0, "" and 0.
    std::function<std::int16_t(std::int16_t list, std::string& prefix, std::string& startKey)>
        listStartKey;
    std::function<std::string(std::int16_t list)> listRowText;
    std::function<std::int16_t(std::int16_t list, std::int16_t form, std::int16_t field)>
        applyListChoice;
};

// Installs the application's hooks; members left empty take the defaults.
void SetFormHooks(FormHooks hooks);
// The hooks in force (with the defaults filled in), for the browse lists.
const FormHooks& Hooks();

// Services of the console interface that the engine calls.
using FieldEditor =
    std::function<void(std::int16_t& row, std::int16_t& column, std::int16_t& lineWidth,
                       std::string& text, std::int16_t& position, std::int16_t& key)>;
using HelpViewer = std::function<void(const std::string& topic)>;
using ListBrowser = std::function<void(std::int16_t list, std::int16_t& result)>;

// Each empty function puts back the service the console interface offers:
// the field editor (field_editor.hpp) and help by topic (help.hpp); until
// the browse lists are in place every list is left without a choice.
void SetFieldEditor(FieldEditor editor);
void SetHelpViewer(HelpViewer viewer);
void SetListBrowser(ListBrowser browser);

// Runs form (negative: as the continuation of another form). allowPrev lets
// PgUp on the first editable field leave the form, allowNext PgDn on the
// last. key receives the key that ended the form (Esc 0x1b when the user
// left with Esc).
void EditForm(std::int16_t form, std::int16_t allowPrev, std::int16_t allowNext, std::int16_t& key);

// Displays a field's value at its place: a yes/no field first links
// continuation form 2 when it holds "S" and unlinks it otherwise; a masked
// field shows nothing, a date its short numeric text, a coded field the
// description of its code (nothing when no code matches), a multi-line field
// its lines, any other field its value.
void ShowField(std::int16_t form, std::int16_t field);

// Checks an edited text by the field's type (a blank date becomes the
// working date; dates and code numbers must be valid) and stores it,
// left-aligned and blank-padded, redisplaying it. Non-zero refuses it.
std::int16_t StoreField(std::int16_t form, std::string& text, std::int16_t field, std::int16_t key);

// The generic painting: every label in plain colours, every value in the
// highlight colours.
void PaintFields(std::int16_t form);

}  // namespace vela
