// The form engine on the headless console, with the real field editor: keys
// and clicks are scripted, the values and the screen read back.
#include "ui/forms.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "datenum/calendar_dates.hpp"
#include "env/session.hpp"
#include "platform/headless_console.hpp"
#include "tests/support/temp_folder.hpp"
#include "ui/form_file.hpp"
#include "ui/form_tables.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace vela {
namespace {

// Form 1: no window; field 2 display-only between editable ones, field 3
// with a description area, field 4 with list 1.
// Form 2: its own window; a name and a masked field.
// Form 3: a yes/no field that links form 2 with "S", and a date.
const std::string kForms =
    "3,4\r\n"
    "' form 1\r\n"
    "\"d,1b,4800,5000,4900,5100,3c00,3e00\",4,0,0,0,0,0\r\n"
    "2,2,\"One: \",5,0,0,0,0,0,\"\"\r\n"
    "3,2,\"Shown: \",5,0,0,4,0,0,\"\"\r\n"
    "4,2,\"Three: \",5,0,10,0,0,0,\"\"\r\n"
    "5,2,\"Four: \",5,0,0,0,0,1,\"\"\r\n"
    "' form 2\r\n"
    "\"d,1b,4800,5000,4900,5100\",2,0,10,10,15,60\r\n"
    "1,2,\"Name: \",10,0,0,0,0,0,\"\"\r\n"
    "2,2,\"Secret: \",6,0,0,2,0,0,\"\"\r\n"
    "' form 3\r\n"
    "\"d,1b,4800,5000,4900,5100,3c00\",2,0,0,0,0,0\r\n"
    "2,2,\"Kind: \",1,0,20,0,3,0,\"|R,listing|S,returns\"\r\n"
    "3,2,\"Date: \",10,0,0,0,1,0,\"\"\r\n"
    "1\r\n"
    "0,0,5,20,20,60,0,\"L\",0\r\n";

constexpr std::int16_t kEnter = 0x0d;
constexpr std::int16_t kEsc = 0x1b;
constexpr std::int16_t kCtrlY = 0x19;
constexpr std::int16_t kF1 = 0x3b00;
constexpr std::int16_t kF2 = 0x3c00;
constexpr std::int16_t kF4 = 0x3e00;
constexpr std::int16_t kUp = 0x4800;
constexpr std::int16_t kDown = 0x5000;
constexpr std::int16_t kPageUp = 0x4900;

class FormsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Session.tmpDir = folder_.path();
        Session.menuName = "";
        Session.workDate = PackDigits("20250115");
        Session.colourPairs = {{{15, 0}, {7, 1}, {0, 7}, {14, 4}, {12, 2}}};
        ResetKeyboard();
        console_ = &InstallHeadless(25, 80);
        winTop = winLeft = winBottom = winRight = windowDepth = 0;
        textStyle = 0;
        styleStack.clear();
        FormFileError error;
        ASSERT_TRUE(ReadFormDescription(
            kForms, [](const std::string& text) { return text; }, formTables, error))
            << error.reason;
        resumeForm = 0;
        FormHooks hooks;
        hooks.checkFormExit = [this](std::int16_t form, std::int16_t& key) {
            exits_.push_back({form, key});
            if (refusals_ > 0) {
                --refusals_;
                return std::int16_t{-1};
            }
            return std::int16_t{0};
        };
        hooks.applyListChoice = [this](std::int16_t list, std::int16_t form, std::int16_t field) {
            applied_.push_back({list, form, field});
            return std::int16_t{0};
        };
        SetFormHooks(hooks);
        SetHelpViewer({});
        SetListBrowser({});
    }
    void TearDown() override {
        SetFormHooks({});
        SetHelpViewer({});
        SetListBrowser({});
        ResetKeyboard();
        InstallConsole(nullptr);
    }

    void Press(std::int16_t code) {
        if (code > 0 && code < 256) {
            console_->PushCharacter(static_cast<std::uint8_t>(code));
        } else {
            console_->PushExtended(static_cast<std::uint8_t>((code >> 8) & 0xff));
        }
    }
    void Type(const std::string& text) { console_->PushText(text); }

    std::int16_t Run(std::int16_t form, std::int16_t allowPrev = 0, std::int16_t allowNext = 0) {
        std::int16_t key = 0;
        EditForm(form, allowPrev, allowNext, key);
        EXPECT_EQ(console_->PendingScript(), 0u) << "keys left over";
        return key;
    }

    std::string ScreenText(int row, int column, int width) const {
        return Screen().RowText(row).substr(static_cast<std::size_t>(column - 1),
                                            static_cast<std::size_t>(width));
    }

    struct Exit {
        std::int16_t form;
        std::int16_t key;
        bool operator==(const Exit&) const = default;
    };
    std::vector<Exit> exits_;
    int refusals_ = 0;
    std::vector<std::vector<std::int16_t>> applied_;
    testing::TempFolder folder_;
    HeadlessConsole* console_ = nullptr;
};

TEST_F(FormsTest, DisplayOnlyFieldsArePassedOverBothWays) {
    Field(1, 2).value = "fixed";
    Type("a");
    Press(kEnter);  // field 1 -> 3, over 2
    Type("b");
    Press(kUp);  // field 3 -> 1, over 2
    Press(kCtrlY);
    Type("c");
    Press(kDown);  // field 1 -> 3
    Press(kEsc);   // back to the first field
    Press(kEsc);   // and out
    EXPECT_EQ(Run(1), kEsc);
    EXPECT_EQ(Field(1, 1).value, "c    ");
    EXPECT_EQ(Field(1, 2).value, "fixed");
    EXPECT_EQ(Field(1, 3).value, "b    ");
    EXPECT_EQ(exits_, (std::vector<Exit>{{1, kEsc}}));
    EXPECT_EQ(ScreenText(3, 9, 5), "fixed");  // painted, never edited
}

TEST_F(FormsTest, EnterOnTheLastFieldLeavesDownThereDoesNothing) {
    Press(kDown);
    Press(kDown);  // field 4, the last
    Press(kDown);  // stays
    Type("z");
    Press(kEnter);
    EXPECT_EQ(Run(1), kEnter);
    EXPECT_EQ(Field(1, 4).value, "z    ");
    EXPECT_EQ(exits_, (std::vector<Exit>{{1, kEnter}}));
}

TEST_F(FormsTest, PageUpLeavesOnlyWhenAllowedAndResumesIntoTheContinuationForm) {
    // Not allowed: PgUp stays in the form.
    Press(kPageUp);
    Press(kEsc);
    EXPECT_EQ(Run(1), kEsc);
    EXPECT_EQ(resumeForm, 0);

    // From the continuation form, with PgUp allowed: both forms are left.
    Field(3, 1).value = "S";
    Press(kF2);
    Press(kPageUp);
    EXPECT_EQ(Run(3, 1, 1), kPageUp);
    EXPECT_EQ(resumeForm, 2);
    EXPECT_EQ(Form(3).linkedForm, 2);

    // The next showing of form 3 goes straight into form 2.
    exits_.clear();
    Type("Joan");
    Press(kEnter);
    Press(kEnter);  // the last field of form 2: both forms end with Enter
    EXPECT_EQ(Run(3, 1, 1), kEnter);
    EXPECT_EQ(Field(2, 1).value, "Joan      ");
    EXPECT_EQ(resumeForm, 0);
    EXPECT_EQ(exits_, (std::vector<Exit>{{2, kEnter}, {3, kEnter}}));
}

TEST_F(FormsTest, UpOnTheFirstFieldOfAContinuationFormGoesBack) {
    Field(3, 1).value = "S";
    Press(kDown);   // the date, the last field of form 3
    Press(kEnter);  // into form 2
    Press(kUp);     // back to the date
    Type("311224");
    Press(kEsc);  // the typed date is dropped
    Press(kEsc);
    EXPECT_EQ(Run(3), kEsc);
    // Enter stored the blank date as the working date before form 2 ran.
    EXPECT_EQ(Field(3, 2).value, FieldText(DateFieldText(Session.workDate), 10));
    EXPECT_EQ(exits_, (std::vector<Exit>{{2, kEsc}, {3, kEsc}}));
}

TEST_F(FormsTest, AMaskedFieldEchoesXAndKeepsItsValueWhenLeftBlank) {
    Field(2, 2).value = "abc   ";
    Press(kDown);
    Type("xy");
    Press(kEnter);  // stored; the last field: the form ends
    Run(2);
    EXPECT_EQ(Field(2, 2).value, "xy    ");
    Press(kDown);
    Press(kEnter);  // left blank: the old value stays
    Run(2);
    EXPECT_EQ(Field(2, 2).value, "xy    ");
    // Shown as nothing: the window's row holds the label and blanks.
    EXPECT_EQ(Screen().RowText(12).find("xy"), std::string::npos);
}

TEST_F(FormsTest, ClicksOnALabelAndInADescriptionAreaChooseTheField) {
    console_->PushClick(5, 3);  // the label of field 4
    Type("q");
    console_->PushClick(4, 20);  // inside field 3's description area
    Type("w");
    console_->PushClick(3, 3);  // a display-only field's label: nothing
    Press(kEnter);              // field 3 -> 4
    Press(kEsc);
    Press(kEsc);
    EXPECT_EQ(Run(1), kEsc);
    EXPECT_EQ(Field(1, 4).value, "q    ");
    EXPECT_EQ(Field(1, 3).value, "w    ");
    EXPECT_EQ(Field(1, 1).value, std::string(5, ' '));

    // In a form with a window the click is taken relative to it.
    console_->PushClick(12, 13);  // "Secret: " of form 2 at window row 2
    Type("k");
    Press(kEnter);
    Run(2);
    EXPECT_EQ(Field(2, 2).value, "k     ");
}

TEST_F(FormsTest, ARefusedExitStartsTheFormAgainAtItsFirstField) {
    refusals_ = 1;
    Press(kDown);
    Press(kDown);
    Press(kEnter);  // past the last field: refused
    Type("s");
    Press(kEnter);
    Press(kEsc);
    Press(kEsc);
    EXPECT_EQ(Run(1), kEsc);
    EXPECT_EQ(Field(1, 1).value, "s    ");
    EXPECT_EQ(exits_, (std::vector<Exit>{{1, kEnter}, {1, kEsc}}));
}

TEST_F(FormsTest, HelpAndTheBrowseList) {
    std::vector<std::string> topics;
    SetHelpViewer([&](const std::string& topic) { topics.push_back(topic); });
    std::int16_t listResult = -1;
    std::vector<std::int16_t> lists;
    SetListBrowser([&](std::int16_t list, std::int16_t& result) {
        lists.push_back(list);
        result = listResult;
    });

    Press(kF1);  // no menu name: no help
    Press(kF4);  // field 1 has no list: nothing
    Press(kEsc);
    Run(1);
    EXPECT_EQ(topics, std::vector<std::string>{});

    Session.menuName = "KOBAMENU  ";
    Press(kF1);
    Press(kEsc);
    Run(1);
    EXPECT_EQ(topics, std::vector<std::string>{"KOBAMENU"});

    // Left without a choice: a beep and the same field again.
    Press(kDown);
    Press(kDown);
    Press(kF4);
    Press(kEsc);
    Press(kEsc);
    const int beeps = console_->Beeps();
    Run(1);
    EXPECT_EQ(console_->Beeps(), beeps + 1);
    EXPECT_EQ(lists, std::vector<std::int16_t>{1});
    EXPECT_TRUE(applied_.empty());

    // A choice on the last field of a form without continuation: as Enter.
    listResult = 0;
    exits_.clear();
    Press(kDown);
    Press(kDown);
    Press(kF4);
    EXPECT_EQ(Run(1), kEnter);
    EXPECT_EQ(applied_, (std::vector<std::vector<std::int16_t>>{{1, 1, 4}}));
    EXPECT_EQ(exits_, (std::vector<Exit>{{1, kEnter}}));
}

TEST_F(FormsTest, TheYesNoFieldLinksTheContinuationForm) {
    Field(3, 1).value = "S";
    ShowField(3, 1);
    EXPECT_EQ(Form(3).linkedForm, 2);
    EXPECT_EQ(ScreenText(2, 8, 21), "returns              ");
    Field(3, 1).value = "R";
    ShowField(3, 1);
    EXPECT_EQ(Form(3).linkedForm, 0);
    EXPECT_EQ(ScreenText(2, 8, 21), "listing              ");
    // A code outside the choices shows nothing at all.
    Field(3, 1).value = "X";
    ShowField(3, 1);
    EXPECT_EQ(ScreenText(2, 8, 21), "listing              ");

    // Choosing "S" in the form links form 2 at once: Enter on the date,
    // the last field, then goes on into it.
    Field(3, 1).value = "R";
    Type(" ");  // the blank steps to the next choice
    Press(kEnter);
    Press(kEnter);  // date left blank: the working date
    Press(kEsc);    // form 2, first field: leave it
    Press(kEsc);    // form 3: to its first field
    Press(kEsc);    // and out
    Run(3);
    EXPECT_EQ(Field(3, 1).value, "S");
    EXPECT_EQ(Form(3).linkedForm, 2);
    EXPECT_EQ(exits_.front(), (Exit{2, kEsc}));
}

TEST_F(FormsTest, StoreFieldChecksDatesAndCodes) {
    const auto store = [](std::int16_t form, std::int16_t field, std::string text) {
        return StoreField(form, text, field, kEnter);
    };
    // A blank date is the working date, stored as the field editor's text.
    EXPECT_EQ(store(3, 2, std::string(10, ' ')), 0);
    EXPECT_EQ(Field(3, 2).value, FieldText(DateFieldText(Session.workDate), 10));
    EXPECT_EQ(store(3, 2, "31122024  "), 0);
    EXPECT_EQ(Field(3, 2).value, "31122024  ");
    EXPECT_NE(store(3, 2, "32132024  "), 0);
    EXPECT_EQ(Field(3, 2).value, "31122024  ");  // a refused text is not stored

    // Free text is stored left-aligned.
    EXPECT_EQ(store(1, 1, "  ab "), 0);
    EXPECT_EQ(Field(1, 1).value, "ab   ");
    EXPECT_EQ(ScreenText(2, 7, 5), "ab   ");

    // Code numbers: as the owner codes are typed.
    formTables.forms[1].fields[4].dataType = field_types::kCode;
    EXPECT_EQ(store(1, 4, "12   "), 0);
    EXPECT_NE(store(1, 4, "a1   "), 0);
    EXPECT_EQ(Field(1, 4).value, "12   ");
}

TEST_F(FormsTest, AFormWithNothingToEditIsPaintedAndLeft) {
    for (std::int16_t f = 1; f <= 4; ++f)
        formTables.forms[1].fields[f].flags = field_flags::kDisplayOnly;
    Field(1, 1).value = "only ";
    refusals_ = 1;  // cannot send the user back into it
    EXPECT_EQ(Run(1), 0);
    EXPECT_EQ(exits_.size(), 1u);
    EXPECT_EQ(ScreenText(2, 2, 10), "One: only ");
}

}  // namespace
}  // namespace vela
