#include "app/batch_run.hpp"

#include <cstdio>

#include "app/run_messages.hpp"
#include "app/selection.hpp"
#include "app/withholding_run.hpp"
#include "datenum/calendar_dates.hpp"
#include "datenum/dotted_codes.hpp"
#include "datenum/text_utils.hpp"
#include "env/session.hpp"
#include "env/translation.hpp"
#include "platform/code_page_850.hpp"

namespace vela {
namespace {

int Reject(const std::string& reason) {
    std::printf("KELD0190: selection rejected: %s\n", reason.c_str());
    return kExitRejected;
}

// A value as a field of the given width holds it; false when it is longer
// than the clerk could type.
bool FitField(const std::string& typed, std::size_t width, std::string& field) {
    if (typed.size() > width) return false;
    field = FixedField(typed, width);
    return true;
}

}  // namespace

int RunBatch(const BatchArguments& arguments, PresenterData& presenter) {
    SetBatchMessages(true);
    SelectionFields fields;

    if (arguments.kind != "R" && arguments.kind != "C" && arguments.kind != "S") {
        return Reject("--kind must be R (listing), C (certificates) or S (return files)");
    }
    fields.outputKind = arguments.kind;

    // The closing date as the date field takes it: a blank field is the
    // working date, and the text must be a valid date.
    if (!FitField(Cp850(arguments.closingDate), kClosingDateWidth, fields.closingDate)) {
        return Reject("--closing " + arguments.closingDate + " is longer than the date field");
    }
    if (IsAllChar(fields.closingDate, ' ') != 0) {
        fields.closingDate = FixedField(DateFieldText(Session.workDate), kClosingDateWidth);
    }
    if (CheckDate(fields.closingDate) != 0) {
        return Reject("--closing " + arguments.closingDate + " is not a valid date");
    }

    const struct {
        const char* option;
        const std::string& typed;
        std::string& field;
    } codes[] = {{"--first", arguments.firstOwner, fields.firstOwner},
                 {"--last", arguments.lastOwner, fields.lastOwner}};
    for (const auto& code : codes) {
        if (!FitField(Cp850(code.typed), kOwnerCodeWidth, code.field) ||
            CheckCode(code.field) != 0) {
            return Reject(std::string(code.option) + " " + code.typed + " is not an owner code");
        }
    }

    if (arguments.contactName) {
        if (!FitField(Cp850(*arguments.contactName), kContactNameWidth, presenter.contactName)) {
            return Reject("--contact-name is longer than 40 characters");
        }
    }
    if (arguments.contactPhone) {
        if (!FitField(Cp850(*arguments.contactPhone), kContactPhoneWidth, presenter.contactPhone)) {
            return Reject("--contact-phone is longer than 9 characters");
        }
    }
    fields.contactName = presenter.contactName;
    fields.contactPhone = presenter.contactPhone;

    const SelectionCheck check = CheckSelection(fields);
    for (const std::string& message : check.messages) ShowRunMessage(Translate(message));
    if (!check.accepted) {
        return Reject(check.messages.empty() ? "the first owner comes after the last owner"
                                             : "see the messages above");
    }

    RunOutcome outcome;
    if (!RunWithholdings(outcome)) {
        std::printf("KELD0190: the run failed: the spool file cannot be written\n");
        return kExitFailed;
    }
    std::printf("KELD0190: %ld record reads\n", outcome.recordReads);
    if (outcome.returnFilesFailed > 0) {
        std::printf("KELD0190: the run failed: %d return file(s) could not be written\n",
                    outcome.returnFilesFailed);
        return kExitFailed;
    }
    return kExitDone;
}

}  // namespace vela
