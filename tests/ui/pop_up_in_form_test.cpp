// What opens from inside a field of a form - the calendar, the calculator,
// the browse list and its filter form: what the tools return is typed into
// the field, and the field keeps its own exit keys and its mask afterwards
// although the form engine holds the exit-key table's save slot while it is
// edited.
#include <gtest/gtest.h>

#include "datenum/calendar_dates.hpp"
#include "env/session.hpp"
#include "platform/headless_console.hpp"
#include "tests/support/temp_folder.hpp"
#include "tests/ui/recording_console.hpp"
#include "ui/browse_list.hpp"
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
        console_ = &testing::InstallRecording();
        winTop = winLeft = winBottom = winRight = windowDepth = 0;
        textStyle = 0;
        styleStack.clear();
        FormFileError error;
        // Form 1: two fields, F4 on the first opens list 1, whose filter
        // form is form 2. Form 3: a masked field with the same list.
        ASSERT_TRUE(ReadFormDescription(
            "3,2\r\n\"d,1b,5000,4800,3e00\",2,0,0,0,0,0\r\n"
            "2,2,\"Text: \",12,0,0,0,0,1,\"\"\r\n"
            "4,2,\"Next: \",5,0,0,0,0,0,\"\"\r\n"
            "\"d,1b\",1,0,12,10,14,60\r\n"
            "1,2,\"Name: \",10,0,0,0,0,0,\"\"\r\n"
            "\"d,1b,3e00\",1,0,0,0,0,0\r\n"
            "6,2,\"Key: \",8,0,0,2,0,1,\"\"\r\n"
            "1\r\n6,1,3,10,9,31,2,\"OWNERS\",0\r\n",
            [](const std::string& text) { return text; }, formTables, error))
            << error.reason;
        resumeForm = 0;
        SetFormHooks({});
        SetFieldEditor({});
        InstallPopUpTools();
        InstallBrowseLists();
    }
    void TearDown() override {
        ResetKeyboard();
        InstallConsole(nullptr);
    }

    // The screen row as it was shown for the last key read so far.
    std::string Shown(int row) const {
        return console_->frames.back().rows[static_cast<std::size_t>(row - 1)];
    }

    TempFolder folder_;
    testing::RecordingConsole* console_ = nullptr;
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

TEST_F(PopUpInFormTest, EscInTheFilterFormOfF4LeavesTheFieldItsExitKeys) {
    console_->PushExtended(0x3e);  // F4: the filter form
    console_->PushText("ab");
    console_->PushCharacter(0x1b);  // no list: back to the field
    console_->PushExtended(0x3d);   // F3 is no exit key of the form
    console_->PushText("X");
    console_->PushCharacter(0x0d);
    console_->PushCharacter(0x0d);  // the last field: the form ends
    std::int16_t key = 0;
    EditForm(1, 0, 0, key);
    EXPECT_EQ(key, 0x0d);
    EXPECT_EQ(Field(1, 1).value, "X           ");
    EXPECT_EQ(Field(2, 1).value, std::string(10, ' '));  // Esc there stores nothing
    EXPECT_EQ(exitKeys, "");
    EXPECT_EQ(windowDepth, 0);
}

TEST_F(PopUpInFormTest, AMaskedFieldStaysMaskedAroundTheFilterFormAndThePopUps) {
    console_->PushText("p");
    console_->PushExtended(0x3e);  // F4
    console_->PushText("ab");
    console_->PushCharacter(0x1b);
    console_->PushExtended(0x2d, control_keys::kLeftAlt);  // Alt+X
    console_->PushText("7F");
    console_->PushExtended(0x2e, control_keys::kLeftAlt);  // Alt+C
    console_->PushCharacter(0x1b);
    console_->PushText("q");
    console_->PushExtended(0x3d);  // F3: ignored
    console_->PushCharacter(0x0d);
    std::int16_t key = 0;
    EditForm(3, 0, 0, key);
    EXPECT_EQ(key, 0x0d);
    EXPECT_EQ(Field(3, 1).value, "700q    ");
    // The filter form's own field is not masked; the key field is, before
    // and after: its text never shows.
    bool filterShown = false;
    for (const auto& frame : console_->frames) {
        if (frame.rows[12].find("Name: ab") != std::string::npos) filterShown = true;
        const std::string field = frame.rows[5].substr(0, 20);  // the calendar is further right
        EXPECT_EQ(field.find_first_of("pq7"), std::string::npos) << field;
    }
    EXPECT_TRUE(filterShown);
    EXPECT_NE(Shown(6).find("Key: XXXX"), std::string::npos) << Shown(6);
    EXPECT_EQ(maskChar, 0);
}

TEST_F(PopUpInFormTest, ACalculatorResultQueuedAtAMessageIsNotItsAnswer) {
    // The calculator opened by a key read that only looks for Esc (as a run
    // does while it works): its result waits to be typed.
    console_->PushExtended(0x2d, control_keys::kLeftAlt);
    console_->PushText("42F");
    std::int16_t key = 0, button = 0, row = 0, column = 0;
    ReadKey(key, button, row, column);
    ASSERT_EQ(key, 0x2d00);
    ASSERT_EQ(pendingKeys, "4200");
    // A message clears the keyboard and waits for a key pressed after it.
    console_->PushPause();
    console_->PushCharacter(0x0d);
    MessageWindow(12, "3 FITXERS");
    FlushKeys();
    WaitKey(key);
    EXPECT_EQ(key, 0x0d);
    EXPECT_EQ(pendingKeys, "");
    CloseWindow();
}

}  // namespace
}  // namespace vela
