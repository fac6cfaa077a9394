// The state of the console, the session, the language table, the editing
// settings, the keyboard, the windows and the forms, as at start-up: a
// blank 80 x 25 headless screen, an empty session, nothing loaded.
#include "datenum/edit_settings.hpp"
#include "env/session.hpp"
#include "env/translation.hpp"
#include "platform/clock.hpp"
#include "platform/console.hpp"
#include "tests/support/fresh_state.hpp"
#include "ui/form_tables.hpp"
#include "ui/forms.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace vela::testing {
namespace {

void ResetUiState() {
    Session = SessionRecord{};
    ForgetTranslationModule();
    ReloadEditSettings();
    SetTodayForTesting(0);
    Screen() = ScreenGrid();
    InstallConsole(nullptr);
    SetSmallScreenNotice(nullptr);
    ResetKeyboard();
    winTop = winLeft = winBottom = winRight = windowDepth = 0;
    textStyle = 0;
    styleStack.clear();
    formTables = FormTables{};
    resumeForm = 0;
    SetFormHooks({});
    SetFieldEditor({});
    SetHelpViewer({});
    SetListBrowser({});
}

const bool added = ResetBeforeEveryTest(ResetUiState);

}  // namespace
}  // namespace vela::testing
