#include "app/program_forms.hpp"

#include <cfenv>
#include <cmath>

#include "app/records/record_areas.hpp"
#include "app/run_messages.hpp"
#include "app/selection.hpp"
#include "datenum/calendar_dates.hpp"
#include "datenum/text_utils.hpp"
#include "env/session.hpp"
#include "env/translation.hpp"
#include "platform/console.hpp"
#include "ui/form_tables.hpp"
#include "ui/forms.hpp"
#include "ui/windows.hpp"

namespace vela {
namespace {

using namespace program_forms;

void Style(const char* letters) {
    std::string spec = letters;
    SetTextStyle(spec);
}

// The column where a title of the given length is centred on the 80-column
// screen: 41 - length / 2, halves going to the even neighbour.
int TitleColumn(std::size_t length) {
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double column = std::nearbyint(41.0 - static_cast<double>(length) / 2.0);
    std::fesetround(saved);
    return static_cast<int>(column);
}

}  // namespace

void PaintForm(std::int16_t form) {
    Style("rh");
    if (form == kSelection) {
        Screen().Locate(1, TitleColumn(Session.menuTitle.size()));
        Screen().Print(Session.menuTitle);
    } else if (form == kPresenter) {
        LocateInWindow(0, 1);
        Screen().Print(Translate(" DADES PRESENTADOR "));
    }
    PaintFields(form);
}

std::int16_t CheckFormExit(std::int16_t form, std::int16_t& key) {
    if (key == 0x1b || form != kSelection) return 0;

    const SelectionCheck check = CheckSelection(SelectionFromForms());
    for (const std::string& message : check.messages) ShowRunMessage(Translate(message));
    if (!check.accepted) return -1;

    SetFieldValue(kConfirmation, kAnswerField, "");
    EditForm(kConfirmation, 0, 0, key);
    if (Field(kConfirmation, kAnswerField).value != "S") return -1;
    if (Selection.outputKind == "S") KeepPresenter(PresenterFromForm());
    return 0;
}

std::int16_t ListStartKey(std::int16_t list, std::string& prefix, std::string& startKey) {
    if (list != kOwnerList) return 0;
    prefix = TrimRight(Field(List(list).filterForm, 1).value);
    startKey = prefix;
    return 0;
}

std::string ListRowText(std::int16_t list) {
    if (list != kOwnerList) return "";
    const RecordArea& owner = recordAreas.owner;
    return UnpackDigits(layout::VPropiet::ownerCode.Read(owner)) + "  " +
           layout::VPropiet::ownerName.Read(owner);
}

std::int16_t ApplyListChoice(std::int16_t list, std::int16_t form, std::int16_t field) {
    if (list != kOwnerList || form == 0 || field == 0) return 0;
    std::string code = UnpackDigits(layout::VPropiet::ownerCode.Read(recordAreas.owner));
    return StoreField(form, code, field, 0);
}

SelectionFields SelectionFromForms() {
    SelectionFields fields;
    fields.outputKind = Field(kSelection, kOutputKindField).value;
    fields.closingDate = Field(kSelection, kClosingDateField).value;
    fields.firstOwner = Field(kSelection, kFirstOwnerField).value;
    fields.lastOwner = Field(kSelection, kLastOwnerField).value;
    // The presenter's data is that of the form linked to the selection,
    // which the output kind "S" links.
    const std::int16_t presenter = Form(kSelection).linkedForm;
    if (presenter > 0) {
        fields.contactName = Field(presenter, kContactNameField).value;
        fields.contactPhone = Field(presenter, kContactPhoneField).value;
    }
    return fields;
}

void RegisterProgramForms() {
    FormHooks hooks;
    hooks.paintForm = PaintForm;
    hooks.checkFormExit = CheckFormExit;
    hooks.listStartKey = ListStartKey;
    hooks.listRowText = ListRowText;
    hooks.applyListChoice = ApplyListChoice;
    SetFormHooks(std::move(hooks));
}

void SetInitialSelection(const std::string& packedWorkDate) {
    SetFieldValue(kSelection, kOutputKindField, "R");
    SetFieldValue(kSelection, kClosingDateField, DateFieldText(DefaultClosingDate(packedWorkDate)));
    SetFieldValue(kSelection, kFirstOwnerField, "1");
    SetFieldValue(kSelection, kLastOwnerField, "9999");
}

void PresenterIntoForm(const PresenterData& presenter) {
    SetFieldValue(kPresenter, kContactNameField, presenter.contactName);
    SetFieldValue(kPresenter, kContactPhoneField, presenter.contactPhone);
}

PresenterData PresenterFromForm() {
    return {Field(kPresenter, kContactNameField).value,
            Field(kPresenter, kContactPhoneField).value};
}

namespace {
PresenterData keptPresenter;
}

void KeepPresenter(const PresenterData& presenter) { keptPresenter = presenter; }

const PresenterData& KeptPresenter() { return keptPresenter; }

}  // namespace vela
