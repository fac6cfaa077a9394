#include "platform/terminal/renderer.hpp"

#include <gtest/gtest.h>

#include "platform/code_page_850.hpp"

namespace vela::terminal {
namespace {

TEST(Renderer, ConsoleColoursSwapRedAndBlue) {
    const std::vector<std::array<int, 3>> cases = {
        // console colour, as foreground, as background
        {0, 30, 40},   {1, 34, 44},   {2, 32, 42},   {3, 36, 46},  {4, 31, 41},
        {5, 35, 45},   {6, 33, 43},   {7, 37, 47},   {8, 90, 100}, {9, 94, 104},
        {12, 91, 101}, {14, 93, 103}, {15, 97, 107},
    };
    for (const auto& [colour, foreground, background] : cases) {
        EXPECT_EQ(AnsiColour(colour, false), foreground) << colour;
        EXPECT_EQ(AnsiColour(colour, true), background) << colour;
    }
}

TEST(Renderer, FirstFrameDrawsEverythingThenOnlyChanges) {
    ScreenGrid grid(2, 3);
    grid.SetColours(15, 1);
    grid.Locate(1, 1);
    grid.Print(Cp850("╔") + "\x01" + "A");
    grid.SetCursorShape(CursorShape::Hidden);
    Renderer renderer;
    const std::string first = renderer.Frame(grid);
    EXPECT_EQ(first,
              "\x1b[?25l\x1b[0m\x1b[2J\x1b[1;1H\x1b[97;44m\xe2\x95\x94\xe2\x98\xba"
              "A"
              "\x1b[2;1H\x1b[37;40m   ");
    EXPECT_EQ(renderer.Frame(grid), "");

    // One cell: one move, the colour that changed, the character.
    grid.Set(2, 2, Cell{'x', 7 + 16 * 4});
    EXPECT_EQ(renderer.Frame(grid), "\x1b[2;2H\x1b[41mx");
    grid.Set(2, 3, Cell{'y', 7 + 16 * 4});
    EXPECT_EQ(renderer.Frame(grid), "\x1b[2;3Hy");
    EXPECT_EQ(renderer.Frame(grid), "");

    renderer.Invalidate();
    EXPECT_EQ(renderer.Frame(grid).substr(0, 14), "\x1b[?25l\x1b[0m\x1b[2J");
}

TEST(Renderer, CursorPositionShapeAndVisibility) {
    ScreenGrid grid(3, 5);
    grid.SetCursorShape(CursorShape::Underline);
    grid.Locate(2, 3);
    Renderer renderer;
    const std::string first = renderer.Frame(grid);
    EXPECT_TRUE(first.ends_with("\x1b[4 q\x1b[2;3H\x1b[?25h")) << first;

    grid.Locate(3, 1);
    EXPECT_EQ(renderer.Frame(grid), "\x1b[3;1H");
    grid.SetCursorShape(CursorShape::Block);
    EXPECT_EQ(renderer.Frame(grid), "\x1b[2 q");
    grid.SetCursorShape(CursorShape::Bar);
    EXPECT_EQ(renderer.Frame(grid), "\x1b[6 q");

    // Drawing hides the cursor and shows it again where it belongs.
    grid.Set(1, 1, Cell{'Z', 7});
    EXPECT_EQ(renderer.Frame(grid), "\x1b[?25l\x1b[1;1HZ\x1b[3;1H\x1b[?25h");

    grid.SetCursorShape(CursorShape::Hidden);
    EXPECT_EQ(renderer.Frame(grid), "\x1b[?25l");
    EXPECT_EQ(renderer.Frame(grid), "");
    grid.SetCursorShape(CursorShape::Underline);
    EXPECT_EQ(renderer.Frame(grid), "\x1b[4 q\x1b[?25h");
}

TEST(Renderer, EveryCodeIsAPrintableCharacter) {
    ScreenGrid grid(16, 16);
    for (int code = 0; code < 256; ++code) {
        grid.Set(code / 16 + 1, code % 16 + 1, Cell{static_cast<std::uint8_t>(code), 7});
    }
    Renderer renderer;
    const std::string frame = renderer.Frame(grid);
    // No control character but those of the escape sequences themselves.
    for (char c : frame) {
        const auto byte = static_cast<unsigned char>(c);
        EXPECT_TRUE(byte >= 0x20 || byte == 0x1b) << static_cast<int>(byte);
        EXPECT_NE(byte, 0x7f);
    }
}

}  // namespace
}  // namespace vela::terminal
