// The desktop's clipboard, through the clipboard tool the desktop has:
// wl-copy and wl-paste on Wayland, xclip or xsel on X. Where there is none
// the terminal console falls back to the terminal's clipboard (OSC 52,
// copy only) and its own copy inside the program.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vela::terminal {

struct ClipboardTool {
    std::vector<std::string> copy;   // reads the text on its standard input
    std::vector<std::string> paste;  // writes the text on its standard output
};

// The tool to use, given the environment (a missing variable is empty) and
// whether a program is installed.
std::optional<ClipboardTool> ChooseClipboardTool(
    const std::function<std::string(const char*)>& environment,
    const std::function<bool(const std::string&)>& installed);

// Whether a program of that name is found in PATH.
bool ProgramInPath(const std::string& name);

}  // namespace vela::terminal
