// The selection of one run: what to produce (listing "R", certificates "C"
// or return files "S"), the closing date whose year is the year of the
// return, the range of owner codes, and for return files the presenter's
// contact name and telephone. CheckSelection applies the checks made when
// the clerk accepts the selection form: the owner range (silently), and for
// return files the contact name and telephone, each failure with its message.
// The contact name must not be blank, must be a valid contact name and must
// hold no control characters; the telephone must not be blank or zero and
// must be digits only (before its blank padding).
#pragma once

#include <string>
#include <vector>

namespace vela {

// Widths of the selection and presenter fields, as the form description
// gives them.
inline constexpr std::size_t kOutputKindWidth = 1;
inline constexpr std::size_t kClosingDateWidth = 10;
inline constexpr std::size_t kOwnerCodeWidth = 4;

struct SelectionValues {
    std::string outputKind;    // "R", "C" or "S"
    std::string closingDate;   // packed date
    std::string firstOwner;    // packed owner code, 2 bytes
    std::string lastOwner;     // packed owner code, 2 bytes
    std::string contactName;   // with the field's blank padding
    std::string contactPhone;  // with the field's blank padding
};

// The selection of the run in progress.
extern SelectionValues Selection;

// The texts of the selection and presenter forms, as typed (blank-padded to
// their fields).
struct SelectionFields {
    std::string outputKind;
    std::string closingDate;
    std::string firstOwner;
    std::string lastOwner;
    std::string contactName;
    std::string contactPhone;
};

struct SelectionCheck {
    bool accepted = false;
    std::vector<std::string> messages;  // Catalan texts, in the order shown
};

// Copies the fields into Selection and checks them.
SelectionCheck CheckSelection(const SelectionFields& fields);

}  // namespace vela
