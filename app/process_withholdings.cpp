#include "app/process_withholdings.hpp"

#include <cstdint>
#include <string>

#include "app/program_forms.hpp"
#include "app/withholding_run.hpp"
#include "platform/console.hpp"
#include "ui/forms.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace vela {
namespace {

void ClearScreen() {
    std::string plain = "n";
    SetTextStyle(plain);
    ScreenGrid& screen = Screen();
    const Cell blank{' ', screen.Attribute()};
    for (int row = 1; row <= screen.Rows(); ++row) {
        for (int column = 1; column <= screen.Columns(); ++column) screen.Set(row, column, blank);
    }
    screen.Locate(1, 1);
}

}  // namespace

void ProcessWithholdings() {
    ClearScreen();
    // The form keeps the values of the last selection from run to run.
    for (;;) {
        std::int16_t key = 0;
        EditForm(program_forms::kSelection, 0, 0, key);
        if (key == keys::kEsc) return;
        // What went wrong in the run has been shown as it happened.
        RunOutcome outcome;
        RunWithholdings(outcome);
    }
}

}  // namespace vela
