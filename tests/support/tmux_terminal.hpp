// End-to-end test helper: runs a program of the project in a real terminal,
// a tmux pane of 80 x 25 on a tmux server of its own, types keys into it
// and reads the screen back.
//
// tmux runs with escape-time 0 and extended-keys on, without a status line,
// and keeps the pane after the program ends so that its exit can be seen.
// Keys are tmux key names ("F1", "S-F10", "C-Left", "M-x", "IC", "NPage",
// "Escape"); text is typed literally; raw bytes (mouse reports) are sent as
// they are.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/temp_folder.hpp"

namespace vela::testing {

class TmuxTerminal {
  public:
    // Whether tmux can be run here.
    static bool Available();

    // Starts command (program and arguments) with extra environment in a
    // terminal of the given size.
    TmuxTerminal(const std::vector<std::string>& command,
                 const std::vector<std::pair<std::string, std::string>>& environment = {},
                 int rows = 25, int columns = 80);
    ~TmuxTerminal();
    TmuxTerminal(const TmuxTerminal&) = delete;
    TmuxTerminal& operator=(const TmuxTerminal&) = delete;

    // The terminal changes size, as when the user resizes its window.
    void Resize(int rows, int columns);

    void SendKey(const std::string& tmuxKeyName);
    void SendText(const std::string& literal);
    void SendBytes(const std::string& bytes);
    // A press and release of a mouse button (0 left, 1 middle, 2 right) at
    // a 1-based row and column, as SGR reports.
    void Click(int row, int column, int button = 0);

    // The screen as text (UTF-8), one entry per row.
    std::vector<std::string> Screen();
    std::string Row(int row);  // 1-based
    // The screen with its colours (SGR sequences), and the cursor as
    // "column,row" (0-based) or "hidden": together, all that the user sees.
    std::vector<std::string> ScreenWithColours();
    std::string Cursor();
    // Everything shown so far, the lines scrolled off the top included.
    std::string History();
    std::string Title();

    // Polls the screen until condition holds or timeoutMs passes.
    bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000);
    bool WaitForText(const std::string& text, int timeoutMs = 5000);
    bool WaitForRow(int row, const std::string& text, int timeoutMs = 5000);

    // The process id of the program.
    int Pid();

    // The terminal's device and its settings ("stty -a") now.
    std::string Tty();
    std::string Settings();

    // The program has ended; its exit code in status (128 + the signal
    // that ended it, as a shell shows it).
    bool Ended(int& status);

    // The terminal's settings ("stty -a") once the program has ended.
    std::string SettingsAfterTheEnd();

  private:
    std::string Tmux(std::vector<std::string> arguments);

    TempFolder folder_;
    std::string socket_;
};

}  // namespace vela::testing
