// The pop-up tools opened from a field of a form: what they return is typed
// into the field, and the field keeps its own exit keys afterwards although
// the form engine holds the exit-key table's save slot while it is edited.
#include <gtest/gtest.h>

#include "datenum/calendar_dates.hpp"
#include "env/session.hpp"
#include "platform/headless_console.hpp"
#include "tests/support/temp_folder.hpp"
#include "ui/calculator.hpp"
#include "ui/calendar_picker.hpp"
#include "ui/form_file.hpp"
#include "ui/form_tables.hpp"
#include "ui/forms.hpp"
#include "ui/keyboard.hpp"
#include "ui/pop_up_tools.hpp"
#include "ui/windows.hpp"

namespace vela {
namespace {

using testing::TempFolder;

class PopUpInFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Session.tmpDir = folder_.path();
        Session.terminalDir = folder_.path();
        Session.rootDir = folder_.path();
        Session.menuName = "";
        Session.language = "CAT";
        Session.workDate = PackDigits("20240229");
        Session.colourPairs = {{{15, 0}, {7, 1}, {0, 7}, {14, 4}, {12, 2}}};
        ResetKeyboard();
        console_ = &InstallHeadless(25, 80);
        winTop = winLeft = winBottom = winRight = windowDepth = 0;
        textStyle = 0;
        styleStack.clear();
        FormFileError error;
        ASSERT_TRUE(ReadFormDescription(
            "1,2\r\n\"d,1b,5000,4800\",2,0,0,0,0,0\r\n"
            "2,2,\"Text: \",12,0,0,0,0,0,\"\"\r\n"
            "4,2,\"Next: \",5,0,0,0,0,0,\"\"\r\n0\r\n",
            [](const std::string& text) { return text; }, formTables, error))
            << error.reason;
        resumeForm = 0;
        SetFormHooks({});
        SetFieldEditor({});
        InstallPopUpTools();
    }
    void TearDown() override {
        ResetKeyboard();
        InstallConsole(nullptr);
    }

    TempFolder folder_;
    HeadlessConsole* console_ = nullptr;
};

TEST_F(PopUpInFormTest, TheChosenDateIsTypedAndTheFieldGoesOnEditing) {
    console_->PushExtended(0x2e, control_keys::kLeftAlt);  // Alt+C
    console_->PushExtended(0x4d);                          // Right: 1 March
    console_->PushCharacter('F');
    console_->PushText("X");
    console_->PushCharacter(0x0d);
    std::int16_t key = 0;
    EditForm(1, 0, 0, key);
    EXPECT_EQ(Field(1, 1).value, "1/3/2024  X ");
}

TEST_F(PopUpInFormTest, TheCalculatorResultIsTypedAndEscTypesNothing) {
    console_->PushExtended(0x2d, control_keys::kLeftAlt);  // Alt+X
    console_->PushText("12.5F");
    console_->PushExtended(0x2e, control_keys::kLeftAlt);
    console_->PushCharacter(0x1b);  // the calendar left with Esc
    console_->PushCharacter(0x0d);
    std::int16_t key = 0;
    EditForm(1, 0, 0, key);
    EXPECT_EQ(Field(1, 1).value, "1250        ");
}

TEST_F(PopUpInFormTest, TheToolsLeaveTheExitKeysAndTheSaveSlotAsTheyFoundThem) {
    SetExitKeys("ea", "1b");
    SetExitKeys("+ea", "d,5000");  // as the form engine does for a field
    const std::string fieldKeys = exitKeys;
    console_->PushCharacter(0x1b);
    PickDate();
    EXPECT_EQ(exitKeys, fieldKeys);
    console_->PushCharacter(0x1b);
    Calculator();
    EXPECT_EQ(exitKeys, fieldKeys);
    SetExitKeys("-", "");  // the form engine's restore still finds its copy
    EXPECT_EQ(exitKeys, std::string("\x1b\0", 2));
}

}  // namespace
}  // namespace vela
