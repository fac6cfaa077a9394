// A small program of the project for the end-to-end tests of the pop-up
// tools: one text field on row 10 that takes the characters typed, with the
// calendar (Alt+C) and the calculator (Alt+X) behind the hot keys, so what a
// tool returns is typed into the field like any other keys. F10 ends it.
//
// The calculator keeps its state in the session folder (RUKTMP); a session
// without a working date opens the calendar on 29 February 2024.
#include <cstdio>
#include <string>

#include "datenum/calendar_dates.hpp"
#include "env/session.hpp"
#include "platform/console.hpp"
#include "platform/terminal/terminal_console.hpp"
#include "ui/keyboard.hpp"
#include "ui/pop_up_tools.hpp"

namespace {

using namespace vela;

void ShowField(const std::string& text, std::int16_t key) {
    ScreenGrid& screen = Screen();
    screen.SetColours(15, 1);
    screen.Locate(10, 1);
    std::string line = "CAMP: " + text + "_";
    line.resize(80, ' ');
    screen.Print(line);
    char status[32];
    std::snprintf(status, sizeof status, "KEY %04x",
                  static_cast<unsigned>(static_cast<std::uint16_t>(key)));
    screen.Locate(24, 1);
    screen.Print(status);
}

}  // namespace

int main() {
    ReadSession();
    Session.terminalDir = Session.tmpDir;
    if (Session.workDate.size() != 4) Session.workDate = PackDigits("20240229");
    std::string error;
    auto console = terminal::TerminalConsole::Open(error);
    if (!console) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    InstallConsole(std::move(console));
    InstallPopUpTools();

    std::string field;
    std::int16_t key = 0;
    ShowField(field, key);
    for (;;) {
        WaitKey(key);
        if (key == 0x4400) break;
        if (key == 0x08 && !field.empty()) field.pop_back();
        if (key >= 32 && key <= 255) field += static_cast<char>(key);
        ShowField(field, key);
    }
    InstallConsole(nullptr);
    return 0;
}
