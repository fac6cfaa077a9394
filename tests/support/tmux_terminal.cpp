#include "tests/support/tmux_terminal.hpp"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "platform/process.hpp"

namespace vela::testing {
namespace {

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

}  // namespace

bool TmuxTerminal::Available() { return RunPiped({"tmux", "-V"}, "", nullptr) == 0; }

TmuxTerminal::TmuxTerminal(const std::vector<std::string>& command,
                           const std::vector<std::pair<std::string, std::string>>& environment,
                           int rows, int columns) {
    static int sessions = 0;
    socket_ = "vela-e2e-" + std::to_string(::getpid()) + "-" + std::to_string(++sessions);
    WriteFile(folder_ / "tmux.conf",
              "set -g escape-time 0\n"
              "set -g extended-keys on\n"
              "set -g status off\n"
              "set -g remain-on-exit on\n"
              "set -g default-terminal tmux-256color\n");
    // A shell runs the program and writes down its exit status: tmux's own
    // record of it is not always there when the pane closes.
    std::string shellCommand;
    for (const auto& part : command) shellCommand += ShellQuote(part) + " ";
    const std::string status = ShellQuote(folder_ / "status");
    // The terminal's settings as the program left them are kept too.
    shellCommand += "; echo $? > " + status + ".tmp; stty -a > " +
                    ShellQuote(folder_ / "settings") + "; mv " + status + ".tmp " + status;
    std::vector<std::string> arguments = {"-f",          folder_ / "tmux.conf",
                                          "new-session", "-d",
                                          "-s",          "e2e",
                                          "-x",          std::to_string(columns),
                                          "-y",          std::to_string(rows)};
    for (const auto& [name, value] : environment) {
        arguments.push_back("-e");
        arguments.push_back(name + "=" + value);
    }
    arguments.push_back(shellCommand);
    Tmux(arguments);
}

TmuxTerminal::~TmuxTerminal() { Tmux({"kill-server"}); }

std::string TmuxTerminal::Tmux(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"tmux", "-L", socket_});
    std::string output;
    RunPiped(arguments, "", &output);
    return output;
}

void TmuxTerminal::Resize(int rows, int columns) {
    Tmux({"resize-window", "-t", "e2e", "-x", std::to_string(columns), "-y", std::to_string(rows)});
}

void TmuxTerminal::SendKey(const std::string& tmuxKeyName) {
    Tmux({"send-keys", "-t", "e2e", tmuxKeyName});
}

void TmuxTerminal::SendText(const std::string& literal) {
    Tmux({"send-keys", "-t", "e2e", "-l", literal});
}

void TmuxTerminal::SendBytes(const std::string& bytes) {
    std::vector<std::string> arguments = {"send-keys", "-t", "e2e", "-H"};
    for (char c : bytes) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(c));
        arguments.push_back(hex);
    }
    Tmux(arguments);
}

void TmuxTerminal::Click(int row, int column, int button) {
    const std::string position =
        std::to_string(button) + ";" + std::to_string(column) + ";" + std::to_string(row);
    SendBytes("\x1b[<" + position + "M\x1b[<" + position + "m");
}

std::vector<std::string> TmuxTerminal::Screen() {
    std::istringstream text(Tmux({"capture-pane", "-p", "-t", "e2e"}));
    std::vector<std::string> rows;
    for (std::string line; std::getline(text, line);) rows.push_back(line);
    return rows;
}

std::vector<std::string> TmuxTerminal::ScreenWithColours() {
    std::istringstream text(Tmux({"capture-pane", "-p", "-e", "-t", "e2e"}));
    std::vector<std::string> rows;
    for (std::string line; std::getline(text, line);) rows.push_back(line);
    return rows;
}

std::string TmuxTerminal::Cursor() {
    std::string cursor = Tmux(
        {"display-message", "-p", "-t", "e2e", "#{?cursor_flag,#{cursor_x}#,#{cursor_y},hidden}"});
    while (!cursor.empty() && cursor.back() == '\n') cursor.pop_back();
    return cursor;
}

std::string TmuxTerminal::History() { return Tmux({"capture-pane", "-p", "-S", "-", "-t", "e2e"}); }

std::string TmuxTerminal::Row(int row) {
    const auto rows = Screen();
    return row >= 1 && row <= static_cast<int>(rows.size()) ? rows[row - 1] : "";
}

std::string TmuxTerminal::Title() {
    std::string title = Tmux({"display-message", "-p", "-t", "e2e", "#{pane_title}"});
    while (!title.empty() && title.back() == '\n') title.pop_back();
    return title;
}

bool TmuxTerminal::WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool TmuxTerminal::WaitForText(const std::string& text, int timeoutMs) {
    return WaitFor(
        [&] {
            for (const auto& row : Screen()) {
                if (row.find(text) != std::string::npos) return true;
            }
            return false;
        },
        timeoutMs);
}

bool TmuxTerminal::WaitForRow(int row, const std::string& text, int timeoutMs) {
    return WaitFor([&] { return Row(row).starts_with(text); }, timeoutMs);
}

int TmuxTerminal::Pid() {
    // The pane runs the shell; the program is its child.
    const std::string shell = std::to_string(
        std::atoi(Tmux({"display-message", "-p", "-t", "e2e", "#{pane_pid}"}).c_str()));
    return std::atoi(ReadFile("/proc/" + shell + "/task/" + shell + "/children").c_str());
}

std::string TmuxTerminal::Tty() {
    std::string tty = Tmux({"display-message", "-p", "-t", "e2e", "#{pane_tty}"});
    while (!tty.empty() && tty.back() == '\n') tty.pop_back();
    return tty;
}

std::string TmuxTerminal::Settings() {
    std::string settings;
    RunPiped({"stty", "-a", "-F", Tty()}, "", &settings);
    return settings;
}

std::string TmuxTerminal::SettingsAfterTheEnd() { return ReadFile(folder_ / "settings"); }

bool TmuxTerminal::Ended(int& status) {
    if (!FileExists(folder_ / "status")) return false;
    status = std::atoi(ReadFile(folder_ / "status").c_str());
    return true;
}

}  // namespace vela::testing
