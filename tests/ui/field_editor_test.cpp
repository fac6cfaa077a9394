#include "ui/field_editor.hpp"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "env/session.hpp"
#include "platform/headless_console.hpp"
#include "tests/support/temp_folder.hpp"
#include "ui/insert_toggle.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace vela {
namespace {

namespace ck = control_keys;

// Key codes typed in the tests, as the console delivers them.
constexpr std::int16_t kTab = 0x09;
constexpr std::int16_t kBackspace = 0x08;
constexpr std::int16_t kCtrlC = 0x03;
constexpr std::int16_t kCtrlV = 0x16;
constexpr std::int16_t kCtrlY = 0x19;
constexpr std::int16_t kShiftTab = 0x0f00;
constexpr std::int16_t kCtrlHome = 0x7700;
constexpr std::int16_t kCtrlLeft = 0x7300;
constexpr std::int16_t kCtrlRight = 0x7400;
constexpr std::int16_t kCtrlF4 = 0x6100;
constexpr std::int16_t kAltF4 = 0x6b00;
constexpr std::int16_t kF2 = 0x3c00;
constexpr std::int16_t kF5 = 0x3f00;

struct Result {
    std::string text;
    std::int16_t position;
    std::int16_t key;
    std::int16_t lineWidth;
};

class FieldEditorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Session.tmpDir = folder_.path();
        Session.colourPairs = {{{15, 0}, {7, 1}, {0, 7}, {14, 4}, {12, 2}}};
        ResetKeyboard();
        console_ = &InstallHeadless(25, 80);
        winTop = winLeft = winBottom = winRight = windowDepth = 0;
        textStyle = 0;
        styleStack.clear();
    }
    void TearDown() override {
        ResetKeyboard();
        InstallConsole(nullptr);
    }

    // Types a key by its code, with the modifier the console reports.
    void Press(std::int16_t code) {
        static const std::map<std::int16_t, std::pair<std::uint8_t, std::uint16_t>> modified = {
            {kCtrlHome, {0x47, ck::kLeftCtrl}},  {kCtrlLeft, {0x4b, ck::kLeftCtrl}},
            {kCtrlRight, {0x4d, ck::kLeftCtrl}}, {kCtrlF4, {0x3e, ck::kLeftCtrl}},
            {kAltF4, {0x3e, ck::kRightAlt}},
        };
        if (const auto found = modified.find(code); found != modified.end()) {
            console_->PushExtended(found->second.first, found->second.second);
        } else if (code > 0 && code < 256) {
            console_->PushCharacter(static_cast<std::uint8_t>(code));
        } else {
            console_->PushExtended(static_cast<std::uint8_t>((code >> 8) & 0xff));
        }
    }
    void Press(const std::vector<std::int16_t>& codes) {
        for (std::int16_t code : codes) Press(code);
    }

    // Edits text at (row, column); the script must end the edit (an empty
    // script answers Esc).
    Result Edit(std::string text, std::int16_t position = 1, std::int16_t lineWidth = 0,
                std::int16_t row = 5, std::int16_t column = 10) {
        std::int16_t key = 0;
        EditField(row, column, lineWidth, text, position, key);
        return {text, position, key, lineWidth};
    }

    std::string ScreenText(int row, int column, int width) const {
        return Screen().RowText(row).substr(static_cast<std::size_t>(column - 1),
                                            static_cast<std::size_t>(width));
    }

    testing::TempFolder folder_;
    HeadlessConsole* console_ = nullptr;
};

TEST_F(FieldEditorTest, TypingInInsertAndOverwriteMode) {
    struct Case {
        const char* name;
        bool insert;
        std::string text;
        std::int16_t position;
        std::string typed;
        std::string expected;
        std::int16_t expectedPosition;
    };
    const std::vector<Case> cases = {
        {"insert shifts right", true, "ABC  ", 2, "X", "AXBC ", 3},
        {"insert drops the last blank", true, "ABCD ", 1, "XY", "XABCD", 2},
        {"insert into a full field is refused", true, "ABCDE", 2, "X", "ABCDE", 2},
        {"overwrite replaces", false, "ABCDE", 2, "XY", "AXYDE", 4},
        {"overwrite still accepts in a full field", false, "ABCDE", 5, "X", "ABCDX", 6},
        {"nothing beyond the end", false, "ABC", 4, "X", "ABC", 4},
        {"accented character", false, "   ", 1, "\x82", "\x82  ", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetInsertToggle(c.insert);
        console_->PushText(c.typed);
        Press(keys::kEsc);
        const Result result = Edit(c.text, c.position);
        EXPECT_EQ(result.text, c.expected);
        EXPECT_EQ(result.position, c.expectedPosition);
        EXPECT_EQ(result.key, keys::kEsc);
        EXPECT_EQ(ScreenText(5, 10, static_cast<int>(c.text.size())), c.expected);
    }
}

TEST_F(FieldEditorTest, InsertKeyFlipsTheSessionToggleAndTheCursorShape) {
    SetInsertToggle(false);
    console_->PushText("A");
    Press(keys::kInsert);
    console_->PushText("B");
    Press(keys::kEsc);
    const Result result = Edit("xyz  ");
    EXPECT_EQ(result.text, "AByz ");  // A overwrote x, B was inserted
    EXPECT_TRUE(InsertToggle());
    EXPECT_EQ(testing::ReadFile(folder_ / "Insert.tmp"), "1");

    // The next field starts in insert mode, with the insert cursor until a
    // key arrives.
    std::int16_t row = 5, column = 10, width = 0, position = 1, key = 0;
    std::string text = "     ";
    Press(keys::kInsert);
    Press(keys::kEsc);
    EditField(row, column, width, text, position, key);
    EXPECT_FALSE(InsertToggle());
    EXPECT_EQ(Screen().GetCursorShape(), CursorShape::Hidden);  // hidden once a key came
}

TEST_F(FieldEditorTest, CursorShapeFollowsTheToggleWhileWaiting) {
    SetExitKeys("ea", "1b");
    for (const bool insert : {true, false}) {
        SetInsertToggle(insert);
        CursorShape seen = CursorShape::Hidden;
        SetCalculatorTool([&] {
            seen = Screen().GetCursorShape();
            return std::string();
        });
        Press(keys::kAltX);  // the pop-up tool looks at the cursor while the field waits
        Press(keys::kEsc);
        Edit("   ");
        EXPECT_EQ(seen, insert ? CursorShape::Bar : CursorShape::Block);
    }
}

TEST_F(FieldEditorTest, EditingKeys) {
    struct Case {
        const char* name;
        std::string text;
        std::int16_t position;
        std::vector<std::int16_t> keys;
        std::string expected;
        std::int16_t expectedPosition;
    };
    const std::vector<Case> cases = {
        {"Left", "ABCDE", 3, {keys::kLeft}, "ABCDE", 2},
        {"Left stops at 1", "ABCDE", 1, {keys::kLeft}, "ABCDE", 1},
        {"Right stops after the end", "ABC", 3, {keys::kRight, keys::kRight}, "ABC", 4},
        {"Backspace", "ABCDE", 3, {kBackspace}, "ACDE ", 2},
        {"Backspace at 1", "ABCDE", 1, {kBackspace}, "ABCDE", 1},
        {"Del", "ABCDE", 2, {keys::kDelete}, "ACDE ", 2},
        {"Del after the end", "ABC", 4, {keys::kDelete}, "ABC", 4},
        {"End", "AB D  ", 1, {keys::kEnd}, "AB D  ", 5},
        {"End of blanks", "    ", 3, {keys::kEnd}, "    ", 1},
        {"Home", "ABCDE", 4, {keys::kHome}, "ABCDE", 1},
        {"Ctrl+Home clears", "ABCDE", 4, {kCtrlHome}, "     ", 1},
        {"Ctrl+Y clears", "ABCDE", 4, {kCtrlY}, "     ", 1},
        {"Ctrl+Left inside a word", "ONE TWO", 7, {kCtrlLeft}, "ONE TWO", 5},
        {"Ctrl+Left at a word start", "ONE TWO", 5, {kCtrlLeft}, "ONE TWO", 1},
        {"Ctrl+Left over separators", "A,B.;C", 6, {kCtrlLeft}, "A,B.;C", 3},
        {"Ctrl+Left at the start", "  ONE", 2, {kCtrlLeft}, "  ONE", 1},
        {"Ctrl+Right", "ONE TWO", 2, {kCtrlRight}, "ONE TWO", 5},
        {"Ctrl+Right without a next word", "ONE TWO  ", 6, {kCtrlRight}, "ONE TWO  ", 10},
        {"Ctrl+Right over separators", "A: B", 1, {kCtrlRight}, "A: B", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Press(c.keys);
        Press(keys::kEsc);
        const Result result = Edit(c.text, c.position);
        EXPECT_EQ(result.text, c.expected);
        EXPECT_EQ(result.position, c.expectedPosition);
        EXPECT_EQ(result.key, keys::kEsc);
        EXPECT_EQ(ScreenText(5, 10, static_cast<int>(c.text.size())), c.expected);
    }
}

TEST_F(FieldEditorTest, EntryDefaults) {
    // Position clamped, one-line width written back.
    Press(keys::kEsc);
    Result result = Edit("ABC", 9);
    EXPECT_EQ(result.position, 4);
    EXPECT_EQ(result.lineWidth, 4);
    Press(keys::kEsc);
    EXPECT_EQ(Edit("ABC", -2).position, 1);

    // Row and column 0 take the cursor's, relative to the window.
    OpenWindow(3, 5, 10, 40);
    Screen().Locate(6, 12);
    std::int16_t row = 0, column = 0, width = 0, position = 1, key = 0;
    std::string text = "AB";
    console_->PushText("X");
    Press(keys::kEsc);
    EditField(row, column, width, text, position, key);
    EXPECT_EQ(row, 3);
    EXPECT_EQ(column, 7);
    EXPECT_EQ(Screen().RowText(6).substr(11, 2), "XB");
    // The cursor goes back to the field's start; the style is "h".
    EXPECT_EQ(Screen().CursorRow(), 6);
    EXPECT_EQ(Screen().CursorColumn(), 12);
    EXPECT_EQ(textStyle, 0);
    CloseWindow();
}

TEST_F(FieldEditorTest, ExitKeysAndFixedTranslations) {
    struct Case {
        const char* name;
        std::string exitList;  // "" for an empty table
        std::vector<std::int16_t> keys;
        std::int16_t expected;
    };
    const std::vector<Case> cases = {
        {"empty table: any unused key ends", "", {kF5}, kF5},
        {"Enter with End in the table gives End", "0d,4f00,1b", {keys::kEnter}, keys::kEnd},
        {"Enter without End stays Enter", "0d,1b", {keys::kEnter}, keys::kEnter},
        {"Tab is Enter", "0d,1b", {kTab}, keys::kEnter},
        {"Tab is End where End exits", "4f00,1b", {kTab}, keys::kEnd},
        {"Shift+Tab on the first line is Up", "4800,1b", {kShiftTab}, keys::kUp},
        {"Ctrl+F4 is Esc", "1b", {kCtrlF4}, keys::kEsc},
        {"Alt+F4 is Esc", "1b", {kAltF4}, keys::kEsc},
        {"keys outside the table are ignored", "3b00", {kF5, keys::kEnter, keys::kF1}, keys::kF1},
        {"the table's result replaces the key", "3c00=1b,0d", {kF2}, keys::kEsc},
        {"Up on the first line ends", "4800", {keys::kUp}, keys::kUp},
        {"Down on the last line ends", "5000", {keys::kDown}, keys::kDown},
        {"Enter with an empty table", "", {keys::kEnter}, keys::kEnter},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetExitKeys("e", "");
        if (!c.exitList.empty()) SetExitKeys("a", c.exitList);
        Press(c.keys);
        const Result result = Edit("ABC");
        EXPECT_EQ(result.key, c.expected);
        EXPECT_EQ(result.text, "ABC");
        EXPECT_EQ(console_->PendingScript(), 0u);
    }
}

TEST_F(FieldEditorTest, MaskedFieldShowsOnlyEchoCharacters) {
    SetExitKeys("h", "");
    for (const bool insert : {false, true}) {
        SCOPED_TRACE(insert ? "insert" : "overwrite");
        SetInsertToggle(insert);
        Screen().Locate(1, 1);
        Screen().Print(std::string(80, '.'));
        console_->PushText("se");
        Press(keys::kEnd);
        console_->PushText("c");
        Press(keys::kEnter);
        const Result result = Edit("      ", 1, 0, 1, 10);
        EXPECT_EQ(result.text, "sec   ");
        EXPECT_EQ(ScreenText(1, 10, 7), "XXXXXX.");
        EXPECT_EQ(Screen().RowText(1).find_first_of("sec"), std::string::npos);
    }
}

TEST_F(FieldEditorTest, MultiLineField) {
    // Two lines of five: Down and Up move by a line, the position after the
    // last character stays at the end of the last line.
    Press({keys::kDown, keys::kEnd, keys::kUp});
    console_->PushText("Z");
    Press(keys::kEsc);
    Result result = Edit("ABCDEFGHIJ", 2, 5);
    EXPECT_EQ(result.text, "ABCDEZGHIJ");
    EXPECT_EQ(ScreenText(5, 10, 6), "ABCDE ");
    EXPECT_EQ(ScreenText(6, 10, 6), "ZGHIJ ");
    EXPECT_EQ(result.lineWidth, 5);

    // Down from the last line and Up from the first end the edit.
    SetExitKeys("ea", "4800,5000");
    Press(keys::kDown);
    EXPECT_EQ(Edit("ABCDEFGHIJ", 7, 5).key, keys::kDown);
    Press({kShiftTab, kShiftTab});
    result = Edit("ABCDEFGHIJ", 7, 5);
    EXPECT_EQ(result.key, keys::kUp);
    EXPECT_EQ(result.position, 2);
}

TEST_F(FieldEditorTest, CursorCell) {
    struct Case {
        const char* name;
        std::string text;
        std::int16_t lineWidth;
        std::int16_t position;
        int row;
        int column;
    };
    const std::vector<Case> cases = {
        {"one line, first character", "ABC", 0, 1, 5, 10},
        {"one line, after the end", "ABC", 0, 4, 5, 13},
        {"second line", "ABCDEFGHIJ", 5, 7, 6, 11},
        {"after a full last line", "ABCDEFGHIJ", 5, 11, 6, 14},
    };
    SetExitKeys("ea", "1b");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int row = 0, column = 0;
        SetCalculatorTool([&] {
            row = Screen().CursorRow();
            column = Screen().CursorColumn();
            return std::string();
        });
        Press(keys::kAltX);
        Press(keys::kEsc);
        Edit(c.text, c.position, c.lineWidth);
        EXPECT_EQ(row, c.row);
        EXPECT_EQ(column, c.column);
    }
}

class CodedFieldTest : public FieldEditorTest {
  protected:
    void SetUp() override {
        FieldEditorTest::SetUp();
        SetFieldChoices("unused|R,LLISTAT|C,CERTIFICATS|S,FITXERS|c2,SEGON C");
    }
};

TEST_F(CodedFieldTest, StepsAndLetterSearch) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::int16_t> keys;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"starts on the matching code", "S ", {}, "S "},
        {"blank steps to the next", "R ", {' '}, "C "},
        {"Right steps to the next, round the list", "c2", {keys::kRight}, "R "},
        {"Left from the first goes to the last", "R ", {keys::kLeft}, "c2"},
        {"letter search ignores case", "R ", {'s'}, "S "},
        {"letter search starts after the current", "C ", {'C'}, "c2"},
        {"letter search wraps once", "c2", {'c'}, "C "},
        {"no match leaves the choice", "S ", {'z'}, "S "},
        {"an unknown text starts on the first", "X ", {}, "R "},
        {"editing keys of free text do nothing", "S ", {kBackspace, kCtrlY}, "S "},
    };
    SetExitKeys("ea", "1b");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Press(c.keys);
        Press(keys::kEsc);
        const Result result = Edit(c.text);
        EXPECT_EQ(result.text, c.expected);
        EXPECT_EQ(result.key, keys::kEsc);
    }
}

TEST_F(CodedFieldTest, ShowsTheDescriptionBetweenMarks) {
    SetExitKeys("ea", "0d,1b");
    int shownWhileEditing = 0;
    std::string row;
    SetCalculatorTool([&] {
        row = Screen().RowText(5);
        ++shownWhileEditing;
        return std::string();
    });
    Press({' ', keys::kAltX, keys::kEnter});
    const Result result = Edit("R ");
    EXPECT_EQ(result.key, keys::kEnter);
    EXPECT_EQ(result.text, "C ");
    ASSERT_EQ(shownWhileEditing, 1);
    // Marks at column - 1 and column + the longest description (11).
    EXPECT_EQ(row.substr(8, 13),
              "\x11"
              "CERTIFICATS\x10");
    // The marks go when the edit ends; the description stays.
    EXPECT_EQ(Screen().RowText(5).substr(8, 13), " CERTIFICATS ");
    // A shorter description is blank-padded to the longest.
    Press({'s', keys::kEnter});
    Edit("R ");
    EXPECT_EQ(Screen().RowText(5).substr(8, 13), " FITXERS     ");
}

TEST_F(CodedFieldTest, Clicks) {
    struct Case {
        const char* name;
        int row;
        int column;
        std::string expected;
        bool ends;
    };
    // The field is at row 5, column 10; its marks at columns 9 and 21.
    const std::vector<Case> cases = {
        {"left mark", 5, 9, "R ", false},           {"right mark", 5, 21, "S ", false},
        {"on the description", 5, 15, "C ", false}, {"left of the marks", 5, 8, "C ", true},
        {"right of the marks", 5, 22, "C ", true},  {"another row", 6, 15, "C ", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        console_->PushClick(c.row, c.column);
        Press(keys::kEsc);
        const Result result = Edit("C ");
        EXPECT_EQ(result.text, c.expected);
        EXPECT_EQ(result.key, c.ends ? -(100 * c.column + c.row) : keys::kEsc);
        console_->FlushInput();  // the Esc left over when the click ended the edit
    }
}

TEST_F(FieldEditorTest, ClicksInsideAndOutsideAFreeTextField) {
    struct Case {
        const char* name;
        int row;
        int column;
        std::int16_t position;  // 0: the click ends the edit
    };
    // Inside a window at (3, 5): the field is at window row 2, column 10,
    // two lines of five, so screen rows 5-6, columns 15-19.
    const std::vector<Case> cases = {
        {"first character", 5, 15, 1},   {"last column of the first line", 5, 19, 5},
        {"second line", 6, 17, 8},       {"right of the field", 5, 20, 0},
        {"left of the field", 6, 14, 0}, {"below the field", 7, 15, 0},
        {"above the field", 4, 15, 0},
    };
    OpenWindow(3, 5, 20, 60);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetExitKeys("ea", "1b");
        console_->PushClick(c.row, c.column);
        Press(keys::kEsc);
        const Result result = Edit("ABCDEFGHIJ", 3, 5, 2, 10);
        if (c.position == 0) {
            EXPECT_EQ(result.key, -(100 * c.column + c.row));
            EXPECT_EQ(result.position, 3);
            console_->FlushInput();
        } else {
            EXPECT_EQ(result.key, keys::kEsc);
            EXPECT_EQ(result.position, c.position);
        }
    }
    CloseWindow();

    // A one-line field covers the cell after its text too.
    console_->PushClick(5, 13);
    Press(keys::kEsc);
    EXPECT_EQ(Edit("ABC").position, 4);
}

TEST_F(FieldEditorTest, ClipboardCopyAndPaste) {
    Press(kCtrlC);
    Press(keys::kEsc);
    Edit("  ONE TWO  ");
    EXPECT_EQ(console_->Clipboard(), "ONE TWO");

    console_->SetClipboard(
        "  A\tB\x7f\xff\x01"
        "C  \r\n");
    Press(kCtrlV);
    Press(keys::kEsc);
    Result result = Edit("1234567", 3);
    EXPECT_EQ(result.text, "12ABC67");
    EXPECT_EQ(result.position, 3);
    EXPECT_EQ(ScreenText(5, 10, 7), "12ABC67");

    // Cut at the field's end.
    console_->SetClipboard("WXYZ");
    Press(kCtrlV);
    Press(keys::kEsc);
    EXPECT_EQ(Edit("12345", 4).text, "123WX");

    // A coded field copies its code and does not take a paste.
    SetFieldChoices("|S,SI|N,NO");
    SetExitKeys("ea", "16");
    Press(keys::kRight);
    Press(kCtrlC);
    Press(kCtrlV);
    result = Edit("S");
    EXPECT_EQ(console_->Clipboard(), "N");
    EXPECT_EQ(result.key, kCtrlV);
    EXPECT_EQ(result.text, "N");
}

TEST(FieldChoicesTest, Parse) {
    EXPECT_EQ(ParseFieldChoices(""), std::vector<FieldChoice>{});
    EXPECT_EQ(ParseFieldChoices("no items"), std::vector<FieldChoice>{});
    EXPECT_EQ(ParseFieldChoices("x|R,listing|C,a, b|S"),
              (std::vector<FieldChoice>{{"R", "listing"}, {"C", "a, b"}, {"S", ""}}));
}

}  // namespace
}  // namespace vela
