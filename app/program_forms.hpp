// The program's three forms and its browse list as the application uses
// them: form 1 the selection (output kind, closing date, owner range),
// form 2 the presenter's contact name and telephone, which follows form 1
// when return files are chosen, form 3 the confirmation asked before a run;
// list 1 the owners, opened with F4 on the owner codes.
//
// The hooks the form engine calls for this program: PaintForm draws the
// titles, labels and values; CheckFormExit checks the selection when form 1
// is accepted (the owner range silently, the presenter data with a message
// per fault, in turn), copies it into Selection and asks for confirmation;
// the list hooks fill the owner list and store the chosen owner's code.
// RegisterProgramForms installs them.
#pragma once

#include <cstdint>
#include <string>

#include "app/selection.hpp"
#include "app/start_up.hpp"

namespace vela {

namespace program_forms {
inline constexpr std::int16_t kSelection = 1;
inline constexpr std::int16_t kPresenter = 2;
inline constexpr std::int16_t kConfirmation = 3;
inline constexpr std::int16_t kOwnerList = 1;

// Fields of the selection form.
inline constexpr std::int16_t kOutputKindField = 1;
inline constexpr std::int16_t kClosingDateField = 2;
inline constexpr std::int16_t kFirstOwnerField = 3;
inline constexpr std::int16_t kLastOwnerField = 4;
// Fields of the presenter form.
inline constexpr std::int16_t kContactNameField = 1;
inline constexpr std::int16_t kContactPhoneField = 2;
// The answer of the confirmation form.
inline constexpr std::int16_t kAnswerField = 1;
}  // namespace program_forms

void PaintForm(std::int16_t form);
std::int16_t CheckFormExit(std::int16_t form, std::int16_t& key);

std::int16_t ListStartKey(std::int16_t list, std::string& prefix, std::string& startKey);
std::string ListRowText(std::int16_t list);
std::int16_t ApplyListChoice(std::int16_t list, std::int16_t form, std::int16_t field);

void RegisterProgramForms();

// The selection as the forms hold it: form 1's fields, and the presenter's
// from the form linked to form 1 (empty when none is linked).
SelectionFields SelectionFromForms();

// The selection form's starting values: output kind "R", the closing date
// 31 December of the year before the working date, owners 1 to 9999.
void SetInitialSelection(const std::string& packedWorkDate);

// The presenter's data in and out of the presenter form, with the form
// fields' blank padding.
void PresenterIntoForm(const PresenterData& presenter);
PresenterData PresenterFromForm();

// The presenter's data that "Vela.ini" gets at the end of the program: what
// was loaded at start-up, replaced by the presenter form's values each time
// a selection for return files is accepted (and so checked). Values that
// were typed but never accepted are not kept.
void KeepPresenter(const PresenterData& presenter);
const PresenterData& KeptPresenter();

}  // namespace vela
