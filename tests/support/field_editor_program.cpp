// A small program of the project for the end-to-end tests of the field
// editor and the help window in a real terminal. Three fields on the
// screen: a free-text field of 20 at row 5, a coded field at row 7 and a
// masked field of 8 at row 9, all at column 12. Enter and Down go to the
// next field, Up to the previous one, F1 shows the help of topic
// "KELD0190", Esc ends the program.
//
// Row 24 shows "KEY cccc POS p FIELD f": the key that ended the last edit,
// the cursor position it left and the field now edited; row 25 the text of
// the field last edited between brackets.
#include <cstdio>
#include <string>

#include "env/session.hpp"
#include "platform/console.hpp"
#include "platform/terminal/terminal_console.hpp"
#include "ui/field_editor.hpp"
#include "ui/help.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace {

using namespace vela;

struct Field {
    const char* label;
    std::int16_t row;
    std::string text;
    const char* choices;
    bool masked;
};

void Status(std::int16_t key, std::int16_t position, int field, const std::string& text) {
    char line[64];
    std::snprintf(line, sizeof line, "KEY %04x POS %d FIELD %d",
                  static_cast<unsigned>(static_cast<std::uint16_t>(key)), position, field + 1);
    std::string plain = "n";
    SetTextStyle(plain);
    Screen().Locate(24, 1);
    Screen().Print(line + std::string(40, ' '));
    Screen().Locate(25, 1);
    Screen().Print("[" + text + "]" + std::string(40, ' '));
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

    Field fields[] = {
        {"NAME", 5, std::string(20, ' '), "", false},
        {"KIND", 7, "S", "|R,LLISTAT|C,CERTIFICATS|S,FITXERS", false},
        {"CODE", 9, std::string(8, ' '), "", true},
    };
    std::string style = "n";
    SetTextStyle(style);
    for (const Field& field : fields) {
        Screen().Locate(field.row, 2);
        Screen().Print(field.label);
    }
    SetExitKeys("ea", "0d,1b,4800,5000,3b00");

    int current = 0;
    std::int16_t key = 0;
    std::int16_t position = 1;
    Status(key, position, current, "");
    for (;;) {
        Field& field = fields[current];
        SetFieldChoices(field.choices);
        SetExitKeys(field.masked ? "h" : "v", "");
        std::int16_t row = field.row, column = 12, width = 0;
        position = 1;
        EditField(row, column, width, field.text, position, key);
        SetExitKeys("v", "");
        if (key == keys::kEsc) break;
        if (key == keys::kF1) ShowHelp("KELD0190");
        if ((key == keys::kEnter || key == keys::kDown) && current < 2) ++current;
        if (key == keys::kUp && current > 0) --current;
        Status(key, position, current, field.text);
    }
    InstallConsole(nullptr);
    for (const Field& field : fields) std::printf("[%s]\n", field.text.c_str());
    return 0;
}
