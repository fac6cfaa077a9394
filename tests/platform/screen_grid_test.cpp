#include "platform/screen_grid.hpp"

#include <gtest/gtest.h>

#include "platform/console.hpp"
#include "platform/headless_console.hpp"

namespace vela {
namespace {

TEST(ScreenGrid, PrintWritesInTheCurrentColoursAndCutsAtTheRightEdge) {
    ScreenGrid grid(3, 10);
    grid.SetColours(14, 1);
    grid.Locate(2, 8);
    grid.Print("ABCDE");
    EXPECT_EQ(grid.RowText(2), "       ABC");
    EXPECT_EQ(grid.At(2, 8), (Cell{'A', 14 + 16}));
    EXPECT_EQ(grid.At(2, 7), Cell{});
    EXPECT_EQ(grid.CursorColumn(), 11);
    EXPECT_EQ(grid.RowText(3), "          ");
}

TEST(ScreenGrid, CellsOffTheGridReadBlankAndIgnoreWrites) {
    ScreenGrid grid(2, 2);
    for (auto [row, column] : {std::pair{0, 1}, {1, 0}, {3, 1}, {1, 3}, {-5, -5}}) {
        grid.Set(row, column, Cell{'X', 1});
        EXPECT_EQ(grid.At(row, column), Cell{});
    }
    EXPECT_EQ(grid.RowText(1), "  ");
}

TEST(ScreenGrid, Scroll) {
    struct Case {
        int lines;
        std::vector<std::string> rows;
    };
    const std::vector<Case> cases = {
        {1, {"a....", "b22..", "b33..", "b###.", "e...."}},
        {-1, {"a....", "b###.", "b11..", "b22..", "e...."}},
        {2, {"a....", "b33..", "b###.", "b###.", "e...."}},
        {3, {"a....", "b###.", "b###.", "b###.", "e...."}},
        {-7, {"a....", "b###.", "b###.", "b###.", "e...."}},
        {0, {"a....", "b11..", "b22..", "b33..", "e...."}},
    };
    for (const auto& c : cases) {
        ScreenGrid grid(5, 5);
        const std::vector<std::string> start = {"a....", "b11..", "b22..", "b33..", "e...."};
        for (int r = 1; r <= 5; ++r) {
            grid.Locate(r, 1);
            grid.Print(start[r - 1]);
        }
        grid.Scroll(2, 2, 4, 4, c.lines, Cell{'#', 7});
        for (int r = 1; r <= 5; ++r) EXPECT_EQ(grid.RowText(r), c.rows[r - 1]) << c.lines;
    }
}

TEST(ScreenGrid, ResizeKeepsTheTopLeft) {
    ScreenGrid grid(3, 3);
    grid.Locate(3, 3);
    grid.Print("Z");
    grid.Locate(1, 1);
    grid.Print("AB");
    grid.Resize(2, 4);
    EXPECT_EQ(grid.RowText(1), "AB  ");
    EXPECT_EQ(grid.Rows(), 2);
    grid.Locate(9, 9);
    EXPECT_EQ(grid.CursorRow(), 2);
}

TEST(HeadlessConsole, ScriptPausesFlushAndExhaustion) {
    HeadlessConsole& console = InstallHeadless();
    console.PushCharacter('a', control_keys::kShift);
    console.PushPause();
    console.PushExtended(0x3b);
    ConsoleEvent event;
    ASSERT_TRUE(Console().NextEvent(event, 0));
    EXPECT_EQ(event.character, 'a');
    EXPECT_EQ(Console().ControlKeyState(), control_keys::kShift);
    // The pause: a read that does not wait finds nothing and time passes.
    EXPECT_FALSE(Console().NextEvent(event, 30));
    EXPECT_EQ(console.NowMs(), 30);
    ASSERT_TRUE(Console().NextEvent(event, 0));
    EXPECT_EQ(event.scanCode, 0x3b);

    // A flush drops what waits before the pause, not what comes later.
    console.PushText("xy");
    console.PushPause();
    console.PushText("z");
    Console().FlushInput();
    ASSERT_TRUE(Console().NextEvent(event, -1));
    EXPECT_EQ(event.character, 'z');

    // Out of script: released keys, nothing for a timed read, Esc for ever.
    EXPECT_FALSE(Console().NextEvent(event, 0));
    EXPECT_EQ(Console().ControlKeyState(), 0);
    ASSERT_TRUE(Console().NextEvent(event, -1));
    EXPECT_EQ(event.character, 0x1b);
    EXPECT_EQ(console.ExhaustedReads(), 1);
    InstallConsole(nullptr);
}

}  // namespace
}  // namespace vela
