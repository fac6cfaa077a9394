#include "app/selection.hpp"

#include "app/return_text.hpp"
#include "datenum/calendar_dates.hpp"
#include "datenum/dotted_codes.hpp"
#include "datenum/numeric_value.hpp"
#include "datenum/text_utils.hpp"
#include "platform/code_page_850.hpp"

namespace vela {

SelectionValues Selection;

namespace {

// A contact value holding a control character (a tab, a line end) would
// break the return record's fixed layout and the INI file it is kept in.
bool HasControlCharacters(const std::string& text) {
    for (char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 32 || code == 127 || code == 255) return true;
    }
    return false;
}

// The telephone goes into the return as typed: digits only, then the
// field's blank padding.
bool IsDigitsOnly(const std::string& phone) {
    const std::string typed = TrimRight(phone);
    for (char c : typed) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

}  // namespace

SelectionCheck CheckSelection(const SelectionFields& fields) {
    Selection.outputKind = fields.outputKind;
    Selection.closingDate = ParseDate(fields.closingDate);
    Selection.firstOwner = PackCode(fields.firstOwner);
    Selection.lastOwner = PackCode(fields.lastOwner);

    SelectionCheck check;
    // A reversed owner range is refused without a message.
    bool accepted = !(Selection.firstOwner > Selection.lastOwner);
    if (Selection.outputKind == "S") {
        Selection.contactName = fields.contactName;
        Selection.contactPhone = fields.contactPhone;
        if (IsAllChar(Selection.contactName, ' ') != 0) {
            check.messages.push_back("HEU D'INDICAR EL NOM DE CONTACTE");
            accepted = false;
        } else if (HasControlCharacters(Selection.contactName) ||
                   ContactNameIsInvalid(Selection.contactName) != 0) {
            check.messages.push_back("NOM DE CONTACTE INCORRECTE");
            accepted = false;
        }
        if (NumericValue(Selection.contactPhone) == 0) {
            check.messages.push_back(Cp850("HEU D'INDICAR EL TELÈFON DE CONTACTE"));
            accepted = false;
        } else if (!IsDigitsOnly(Selection.contactPhone)) {
            check.messages.push_back(Cp850("TELÈFON DE CONTACTE INCORRECTE"));
            accepted = false;
        }
    }
    check.accepted = accepted;
    return check;
}

}  // namespace vela
