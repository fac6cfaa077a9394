// A small program of the project for the end-to-end tests: it draws a
// patterned screen on the terminal, echoes the code of every key and click
// it reads, and opens and closes windows on F2, F3 and F4. "Q" ends it.
//
// Row 24 shows "KEY cccc N n": the last key code in hexadecimal and how
// many keys came so far; row 25 the window depth and whether the window
// stack file exists.
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "env/session.hpp"
#include "platform/console.hpp"
#include "platform/process.hpp"
#include "platform/terminal/terminal_console.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace {

using namespace vela;

void DrawBackground() {
    ScreenGrid& screen = Screen();
    for (int row = 1; row <= ScreenRows(); ++row) {
        for (int column = 1; column <= ScreenColumns(); ++column) {
            const auto code = static_cast<std::uint8_t>('A' + (row + column) % 26);
            screen.Set(row, column,
                       Cell{code, static_cast<std::uint8_t>((row % 7) + 16 * (column % 3))});
        }
    }
    screen.SetColours(15, 1);
    screen.Locate(1, 1);
    screen.Print(" KEY ECHO ");
}

void ShowStatus(std::int16_t key, int count) {
    char text[64];
    std::snprintf(text, sizeof text, "KEY %04x N %d",
                  static_cast<unsigned>(static_cast<std::uint16_t>(key)), count);
    ScreenGrid& screen = Screen();
    const int row = screen.CursorRow();
    const int column = screen.CursorColumn();
    const std::uint8_t attribute = screen.Attribute();
    screen.SetColours(14, 0);
    screen.Locate(ScreenRows() - 1, 1);
    screen.Print(std::string(text) + std::string(30 - std::string(text).size(), ' '));
    std::snprintf(text, sizeof text, "DEPTH %d STACK %s", windowDepth,
                  ::access(WindowStackPath().c_str(), F_OK) == 0 ? "yes" : "no ");
    screen.Locate(ScreenRows(), 1);
    screen.Print(text);
    screen.Locate(row, column);
    screen.SetAttribute(attribute);
}

void OpenNumberedWindow() {
    const int d = windowDepth;
    OpenWindow(static_cast<std::int16_t>(4 + 2 * d), static_cast<std::int16_t>(10 + 4 * d),
               static_cast<std::int16_t>(12 + 2 * d), static_cast<std::int16_t>(50 + 4 * d));
    std::string style = "+n";
    SetTextStyle(style);
    DrawFrame(kFrameDouble);
    LocateInWindow(1, 2);
    Screen().Print("WINDOW " + std::to_string(windowDepth));
    style = "-";
    SetTextStyle(style);
}

}  // namespace

int main() {
    ReadSession();
    std::string error;
    auto console = terminal::TerminalConsole::Open(error);
    if (!console) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    InstallConsole(std::move(console));
    Screen().SetCursorShape(CursorShape::Underline);
    DrawBackground();
    Screen().Locate(3, 5);
    ShowStatus(0, 0);

    int count = 0;
    for (;;) {
        std::int16_t key = 0;
        WaitKey(key);
        ShowStatus(key, ++count);
        if (key == 'Q') break;
        switch (key) {
            case 0x3c00:  // F2
                OpenNumberedWindow();
                break;
            case 0x3d00:  // F3
                CloseWindow();
                break;
            case 0x3e00:  // F4
                MessageWindow(12, "MISSATGE DE PROVA");
                break;
            case 0x3f00: {  // F5
                const int code =
                    RunProgram({"sh", "-c", "printf 'CHILD RUNNING\\n'; read answer; exit 4"});
                Screen().Locate(ScreenRows() - 2, 1);
                Screen().Print("CHILD " + std::to_string(code));
                break;
            }
            case 0x4300:  // F9
                throw std::runtime_error("fatal error asked for");
            default:
                break;
        }
        ShowStatus(key, count);
    }
    while (windowDepth > 0) CloseWindow();
    InstallConsole(nullptr);
    return 0;
}
