#include "app/batch_run.hpp"

#include <cstdio>
#include <string>

#include "app/program_forms.hpp"
#include "app/run_messages.hpp"
#include "app/selection.hpp"
#include "app/withholding_run.hpp"
#include "env/translation.hpp"
#include "platform/code_page_850.hpp"
#include "recman/status_text.hpp"
#include "records/record_file.hpp"
#include "ui/form_tables.hpp"
#include "ui/forms.hpp"

namespace vela {
namespace {

using namespace program_forms;

int Reject(const std::string& reason) {
    std::fprintf(stderr, "KELD0190: selection rejected: %s\n", reason.c_str());
    return kExitRejected;
}

enum class Typed { accepted, tooLong, refused };

// Types a value into a form field as the clerk would, ending it with Enter:
// refused when it is longer than the field or the field's check refuses it.
Typed TypeInto(std::int16_t form, std::int16_t field, const std::string& typed) {
    const std::int16_t length = Field(form, field).length;
    if (typed.size() > static_cast<std::size_t>(length)) return Typed::tooLong;
    std::string text = FieldText(typed, length);
    return StoreField(form, text, field, 0x0d) == 0 ? Typed::accepted : Typed::refused;
}

}  // namespace

int RunBatch(const BatchArguments& arguments) {
    SetBatchMessages(true);

    if (arguments.kind != "R" && arguments.kind != "C" && arguments.kind != "S") {
        return Reject("--kind must be R (listing), C (certificates) or S (return files)");
    }
    // The kind's field links the presenter form for "S".
    TypeInto(kSelection, kOutputKindField, arguments.kind);

    // A blank date field is the working date, and the text must be a date.
    switch (TypeInto(kSelection, kClosingDateField, Cp850(arguments.closingDate))) {
        case Typed::tooLong:
            return Reject("--closing " + arguments.closingDate + " is longer than the date field");
        case Typed::refused:
            return Reject("--closing " + arguments.closingDate + " is not a valid date");
        case Typed::accepted:
            break;
    }

    const struct {
        const char* option;
        const std::string& typed;
        std::int16_t field;
    } codes[] = {{"--first", arguments.firstOwner, kFirstOwnerField},
                 {"--last", arguments.lastOwner, kLastOwnerField}};
    for (const auto& code : codes) {
        if (TypeInto(kSelection, code.field, Cp850(code.typed)) != Typed::accepted) {
            return Reject(std::string(code.option) + " " + code.typed + " is not an owner code");
        }
    }

    const struct {
        const char* option;
        const std::optional<std::string>& typed;
        std::int16_t field;
    } contact[] = {{"--contact-name", arguments.contactName, kContactNameField},
                   {"--contact-phone", arguments.contactPhone, kContactPhoneField}};
    for (const auto& value : contact) {
        if (value.typed &&
            TypeInto(kPresenter, value.field, Cp850(*value.typed)) != Typed::accepted) {
            return Reject(std::string(value.option) + " is longer than " +
                          std::to_string(Field(kPresenter, value.field).length) + " characters");
        }
    }

    const SelectionCheck check = CheckSelection(SelectionFromForms());
    for (const std::string& message : check.messages) ShowRunMessage(Translate(message));
    if (!check.accepted) {
        return Reject(check.messages.empty() ? "the first owner comes after the last owner"
                                             : "see the messages above");
    }

    // The presenter's values are kept for the next run only once accepted.
    if (Selection.outputKind == "S") KeepPresenter(PresenterFromForm());

    RunOutcome outcome;
    const bool done = RunWithholdings(outcome);
    if (arguments.figures)
        std::fprintf(stderr, "KELD0190: %ld record reads\n", outcome.recordReads);
    if (!done) {
        // Each failure has been said on standard error as it happened.
        std::fprintf(stderr, "KELD0190: the run failed\n");
        return kExitFailed;
    }
    if (outcome.checkErrors > 0) return kExitCheckErrors;
    return kExitDone;
}

void ReportOpenFailuresPlainly() {
    SetOpenFailureReport(
        [](const std::string& hostPath, std::int16_t status, const std::string& detail) {
            std::fprintf(stderr, "KELD0190: the record file %s cannot be opened: %s%s%s\n",
                         hostPath.c_str(), StatusText(status).c_str(), detail.empty() ? "" : "; ",
                         detail.c_str());
            return kExitFailed;
        });
}

}  // namespace vela
