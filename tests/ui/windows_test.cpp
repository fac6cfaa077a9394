#include "ui/windows.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <vector>

#include "env/session.hpp"
#include "platform/code_page_850.hpp"
#include "platform/headless_console.hpp"
#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

// A session folder of its own, a fresh 80 x 25 screen filled with a pattern
// of every code and many attributes, and no window open.
class WindowsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Session.tmpDir = folder_.path();
        Session.colourPairs = {{{15, 0}, {7, 1}, {0, 7}, {14, 4}, {12, 2}}};
        InstallHeadless(25, 80);
        winTop = winLeft = winBottom = winRight = windowDepth = 0;
        textStyle = 0;
        styleStack.clear();
        for (int row = 1; row <= 25; ++row) {
            for (int column = 1; column <= 80; ++column) {
                Screen().Set(row, column,
                             Cell{static_cast<std::uint8_t>(row * 80 + column),
                                  static_cast<std::uint8_t>(row * 7 + column)});
            }
        }
        Screen().Locate(7, 9);
        Screen().SetColours(3, 5);
    }

    std::vector<Cell> Snapshot() const {
        std::vector<Cell> cells;
        for (int row = 1; row <= 25; ++row) {
            for (int column = 1; column <= 80; ++column) cells.push_back(Screen().At(row, column));
        }
        return cells;
    }

    bool StackExists() const { return FileExists(folder_ / "WinPush.tmp"); }

    TempFolder folder_;
};

TEST_F(WindowsTest, OpenDrawCloseRestoresEveryCellAndTheCursor) {
    const auto before = Snapshot();
    OpenWindow(5, 10, 12, 40);
    EXPECT_EQ(windowDepth, 1);
    std::string style = "n";
    SetTextStyle(style);
    DrawFrame(kFrameDouble);
    LocateInWindow(1, 2);
    Screen().Print("TEXT");
    ASSERT_NE(Snapshot(), before);

    CloseWindow();
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(Screen().CursorRow(), 7);
    EXPECT_EQ(Screen().CursorColumn(), 9);
    EXPECT_EQ(windowDepth, 0);
    EXPECT_EQ(winTop, 0);
    EXPECT_EQ(winRight, 0);
    EXPECT_FALSE(StackExists());
    // The colours are those of the last cell put back.
    EXPECT_EQ(Screen().Attribute(), Screen().At(12, 40).attribute);
}

TEST_F(WindowsTest, StackFileLayout) {
    OpenWindow(2, 3, 3, 4);
    const std::string file = ReadFile(folder_ / "WinPush.tmp");
    // 20 digits, 4 cells of 2 bytes, 5 digits of length: 33 bytes at 5.
    ASSERT_EQ(file.size(), 4u + 33u);
    EXPECT_EQ(file.substr(0, 4), std::string("\x26\0\0\0", 4));  // next entry at 38
    EXPECT_EQ(file.substr(4, 20), "07090000000002030304");
    std::string cells;
    for (auto [row, column] : {std::pair{2, 3}, {2, 4}, {3, 3}, {3, 4}}) {
        cells.push_back(static_cast<char>(Screen().At(row, column).code));
        cells.push_back(static_cast<char>(Screen().At(row, column).attribute));
    }
    EXPECT_EQ(file.substr(24, 8), cells);
    EXPECT_EQ(file.substr(32, 5), "00033");

    // The second entry records the first window as the previous one.
    Screen().Locate(3, 4);
    OpenWindow(1, 1, 1, 1);
    const std::string two = ReadFile(folder_ / "WinPush.tmp");
    ASSERT_EQ(two.size(), 4u + 33u + 27u);
    EXPECT_EQ(two.substr(0, 4), std::string("\x41\0\0\0", 4));
    EXPECT_EQ(two.substr(37, 20), "03040203030401010101");
    EXPECT_EQ(two.substr(59, 5), "00027");
}

TEST_F(WindowsTest, NestedWindowsRestoreBothLayers) {
    const auto bare = Snapshot();
    OpenWindow(3, 5, 20, 70);
    DrawFrame(kFrameSingle);
    LocateInWindow(1, 2);
    EXPECT_EQ(Screen().CursorRow(), 4);
    EXPECT_EQ(Screen().CursorColumn(), 7);
    Screen().Print("OUTER");
    const auto outer = Snapshot();

    OpenWindow(10, 20, 15, 50);
    DrawFrame(kFrameDouble);
    EXPECT_EQ(InteriorTop(), 11);
    EXPECT_EQ(InteriorLeft(), 21);
    EXPECT_EQ(InteriorRight(), 49);
    LocateInWindow(2, 3);
    EXPECT_EQ(Screen().CursorRow(), 12);
    EXPECT_EQ(Screen().CursorColumn(), 23);
    Screen().Print("INNER");

    CloseWindow();
    EXPECT_EQ(Snapshot(), outer);
    EXPECT_EQ(windowDepth, 1);
    EXPECT_TRUE(StackExists());
    LocateInWindow(2, 3);
    EXPECT_EQ(Screen().CursorRow(), 5);
    EXPECT_EQ(Screen().CursorColumn(), 8);
    EXPECT_EQ(InteriorRight(), 69);

    CloseWindow();
    EXPECT_EQ(Snapshot(), bare);
    EXPECT_FALSE(StackExists());
    EXPECT_EQ(InteriorTop(), 1);
    EXPECT_EQ(InteriorLeft(), 1);
    EXPECT_EQ(InteriorRight(), 80);
    LocateInWindow(2, 3);
    EXPECT_EQ(Screen().CursorRow(), 2);
    EXPECT_EQ(Screen().CursorColumn(), 3);
}

TEST_F(WindowsTest, FramesInTheCurrentColours) {
    std::string style = "u";
    SetTextStyle(style);
    const std::uint8_t attribute = 12 + 16 * 2;
    OpenWindow(2, 2, 5, 6);
    struct Case {
        std::int16_t style;
        std::vector<std::string> rows;
    };
    const std::vector<Case> cases = {
        {kFrameSingle, {"┌───┐", "│   │", "│   │", "└───┘"}},
        {kFrameDouble, {"╔═══╗", "║   ║", "║   ║", "╚═══╝"}},
        {kFrameBlank, {"     ", "     ", "     ", "     "}},
    };
    for (const auto& c : cases) {
        DrawFrame(c.style);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(Screen().RowText(2 + i).substr(1, 5), Cp850(c.rows[i])) << c.style;
            for (int column = 2; column <= 6; ++column) {
                EXPECT_EQ(Screen().At(2 + i, column).attribute, attribute);
            }
        }
        EXPECT_EQ(Screen().At(2, 1), (Cell{static_cast<std::uint8_t>(2 * 80 + 1), 2 * 7 + 1}));
        EXPECT_EQ(Screen().At(2, 7), (Cell{static_cast<std::uint8_t>(2 * 80 + 7), 2 * 7 + 7}));
    }
}

TEST_F(WindowsTest, DrawFrameWithoutWindowDrawsNothing) {
    const auto before = Snapshot();
    DrawFrame(kFrameDouble);
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(WindowsTest, OffScreenOpenDoesNothingAndTheCloseTakesThePreviousWindow) {
    const auto bare = Snapshot();
    OpenWindow(2, 2, 10, 30);
    DrawFrame(kFrameSingle);
    for (auto [t, l, b, r] : {std::array<int, 4>{0, 1, 5, 5},
                              {1, 0, 5, 5},
                              {1, 1, 26, 5},
                              {1, 1, 5, 81},
                              {-3, 1, 5, 5}}) {
        OpenWindow(t, l, b, r);
        EXPECT_EQ(windowDepth, 1);
        EXPECT_EQ(winTop, 2);
        EXPECT_EQ(winRight, 30);
    }
    CloseWindow();
    EXPECT_EQ(Snapshot(), bare);
    EXPECT_FALSE(StackExists());
    CloseWindow();  // no entry: nothing to do
    EXPECT_EQ(Snapshot(), bare);
    EXPECT_EQ(windowDepth, 0);
}

TEST_F(WindowsTest, TextStyles) {
    struct Case {
        const char* letters;
        const char* upperCased;
        std::int16_t style;
    };
    const std::vector<Case> cases = {
        {"n", "N", 1},   {"R", "R", 2},     {"rn", "RN", 3},   {"ur", "UR", 4},
        {"NU", "NU", 4}, {"xyz", "XYZ", 0}, {"+rh", "+RH", 2},
    };
    for (const auto& c : cases) {
        std::string letters = c.letters;
        SetTextStyle(letters);
        EXPECT_EQ(letters, c.upperCased);
        EXPECT_EQ(textStyle, c.style) << c.letters;
        const auto& pair = Session.colourPairs[c.style];
        EXPECT_EQ(Screen().Attribute(), pair[0] + 16 * pair[1]) << c.letters;
    }
}

TEST_F(WindowsTest, StyleStack) {
    std::string letters = "r";
    SetTextStyle(letters);
    letters = "+n";
    SetTextStyle(letters);
    EXPECT_EQ(textStyle, 1);
    letters = "+u";
    SetTextStyle(letters);
    EXPECT_EQ(styleStack, std::string("\x02\x01", 2));
    letters = "-";
    SetTextStyle(letters);
    EXPECT_EQ(textStyle, 1);
    letters = "-";
    SetTextStyle(letters);
    EXPECT_EQ(textStyle, 2);
    EXPECT_EQ(Screen().Attribute(), 0 + 16 * 7);
    // An empty stack gives the plain style.
    letters = "-";
    SetTextStyle(letters);
    EXPECT_EQ(textStyle, 0);
    EXPECT_EQ(Screen().Attribute(), 15);
    // Blanks change nothing, not even the colours.
    Screen().SetColours(1, 1);
    for (const char* nothing : {"", "   "}) {
        letters = nothing;
        SetTextStyle(letters);
        EXPECT_EQ(Screen().Attribute(), 17);
    }
}

TEST_F(WindowsTest, MessageWindowGeometry) {
    struct Case {
        std::int16_t centre;
        std::string text;
        int top, bottom, left, right;
    };
    const std::string wide(76, 'W');
    const std::vector<Case> cases = {
        {12, "HOLA", 9, 11, 37, 44},          {24, "HOLA", 21, 23, 37, 44},
        {25, "HOLA", 22, 24, 37, 44},         {1, "HOLA", 1, 3, 37, 44},
        {12, "HOLAS", 9, 11, 36, 44},         {12, wide, 9, 11, 1, 80},
        {12, wide + " SEGONA", 9, 12, 1, 80}, {24, wide + " SEGONA", 21, 24, 1, 80},
    };
    for (const auto& c : cases) {
        SetUp();
        const auto before = Snapshot();
        MessageWindow(c.centre, c.text);
        EXPECT_EQ(windowDepth, 1) << c.text;
        EXPECT_EQ(winTop, c.top) << c.centre << " " << c.text;
        EXPECT_EQ(winBottom, c.bottom) << c.centre << " " << c.text;
        EXPECT_EQ(winLeft, c.left) << c.text;
        EXPECT_EQ(winRight, c.right) << c.text;
        EXPECT_EQ(Screen().At(c.top, c.left).code, static_cast<std::uint8_t>(Cp850("┌")[0]));
        // The text is in the style "R", the style is back afterwards.
        EXPECT_EQ(Screen().At(c.top + 1, c.left + 2),
                  (Cell{static_cast<std::uint8_t>(c.text[0]), 0 + 16 * 7}));
        EXPECT_EQ(textStyle, 0);
        EXPECT_TRUE(styleStack.empty());
        CloseWindow();
        EXPECT_EQ(Snapshot(), before);
    }
}

TEST_F(WindowsTest, MessageTextOnTheRowsOfTheWindow) {
    MessageWindow(12, "PRIMERA");
    EXPECT_EQ(Screen().RowText(10).substr(34, 11), Cp850("│ PRIMERA │"));
    EXPECT_EQ(Screen().RowText(9).substr(34, 11), Cp850("┌─────────┐"));
    EXPECT_EQ(Screen().RowText(11).substr(34, 11), Cp850("└─────────┘"));
    CloseWindow();

    // Two lines: the longest sets the width, the text is wrapped at words.
    MessageWindow(12, std::string(70, 'A') + " BBBBBBBB");
    EXPECT_EQ(winTop, 9);
    EXPECT_EQ(winBottom, 12);
    EXPECT_EQ(Screen().RowText(10).substr(winLeft + 1, 70), std::string(70, 'A'));
    EXPECT_EQ(Screen().RowText(11).substr(winLeft + 1, 10), "BBBBBBBB  ");
}

TEST_F(WindowsTest, MessagesAreShownAtOnce) {
    HeadlessConsole* console = InstalledHeadless();
    ASSERT_NE(console, nullptr);
    MessageWindow(12, "ESPEREU");
    EXPECT_EQ(console->Presents(), 1);
    // Other drawing waits for the next key read or an explicit present.
    CloseWindow();
    OpenWindow(2, 2, 5, 5);
    DrawFrame(kFrameSingle);
    EXPECT_EQ(console->Presents(), 1);
}

TEST_F(WindowsTest, MessageTooTallForTheScreenShowsNothing) {
    const auto before = Snapshot();
    std::string text;
    for (int i = 0; i < 24; ++i) text += std::string(70, 'L') + " ";
    std::string style = "n";
    SetTextStyle(style);
    MessageWindow(12, text);
    EXPECT_EQ(windowDepth, 0);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(textStyle, 1);
    EXPECT_TRUE(styleStack.empty());
    EXPECT_FALSE(StackExists());
}

// Another program that crashed may leave a stack file cut short or
// overwritten: no window operation may crash or write outside the screen.
TEST_F(WindowsTest, DamagedStackFile) {
    struct Case {
        const char* name;
        std::string contents;
    };
    const std::vector<Case> cases = {
        {"tiny", std::string("\x05\x00", 2)},
        {"header past the end", std::string("\xff\xff\x00\x00", 4) + "0709"},
        {"header below the first entry", std::string("\x02\x00\x00\x00", 4)},
        {"length not digits", std::string("\x26\x00\x00\x00", 4) + "07090000000002030304" +
                                  std::string(8, 'x') + "00x33"},
        {"length too long", std::string("\x26\x00\x00\x00", 4) + "07090000000002030304" +
                                std::string(8, 'x') + "99999"},
        {"cells do not match the rectangle", std::string("\x26\x00\x00\x00", 4) +
                                                 "07090000000002030309" + std::string(8, 'x') +
                                                 "00033"},
        {"huge rectangle", std::string("\x26\x00\x00\x00", 4) + "07090000000001019999" +
                               std::string(8, 'x') + "00033"},
    };
    for (const auto& c : cases) {
        SetUp();
        const auto before = Snapshot();
        WriteFile(folder_ / "WinPush.tmp", c.contents);
        CloseWindow();
        EXPECT_EQ(Snapshot(), before) << c.name;
        EXPECT_FALSE(StackExists()) << c.name;

        // Opening over a damaged file still saves and restores the screen.
        WriteFile(folder_ / "WinPush.tmp", c.contents);
        OpenWindow(4, 4, 8, 8);
        DrawFrame(kFrameSingle);
        CloseWindow();
        EXPECT_EQ(Snapshot(), before) << c.name;
        EXPECT_EQ(windowDepth, 0) << c.name;
    }
}

TEST_F(WindowsTest, EntriesLeftByACrashedProgramStayBeneath) {
    OpenWindow(2, 2, 4, 4);
    windowDepth = 0;  // as if another program had left its window on the stack
    winTop = winLeft = winBottom = winRight = 0;
    const auto before = Snapshot();
    OpenWindow(5, 5, 9, 9);
    DrawFrame(kFrameDouble);
    CloseWindow();
    EXPECT_EQ(Snapshot(), before);
    EXPECT_TRUE(StackExists());
}

TEST_F(WindowsTest, UnwritableSessionFolderOpensNoWindow) {
    Session.tmpDir = folder_.path() + "missing/";
    const auto before = Snapshot();
    OpenWindow(2, 2, 5, 5);
    EXPECT_EQ(windowDepth, 0);
    MessageWindow(12, "HOLA");
    EXPECT_EQ(windowDepth, 0);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(textStyle, 0);
}

}  // namespace
}  // namespace vela
