#include "app/selection.hpp"

#include "app/return_text.hpp"
#include "datenum/calendar_dates.hpp"
#include "datenum/dotted_codes.hpp"
#include "datenum/numeric_value.hpp"
#include "datenum/text_utils.hpp"
#include "platform/code_page_850.hpp"

namespace vela {

SelectionValues Selection;

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
        } else if (ContactNameIsInvalid(Selection.contactName) != 0) {
            check.messages.push_back("NOM DE CONTACTE INCORRECTE");
            accepted = false;
        }
        if (NumericValue(Selection.contactPhone) == 0) {
            check.messages.push_back(Cp850("HEU D'INDICAR EL TELÈFON DE CONTACTE"));
            accepted = false;
        }
    }
    check.accepted = accepted;
    return check;
}

}  // namespace vela
