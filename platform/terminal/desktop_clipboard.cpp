#include "platform/terminal/desktop_clipboard.hpp"

#include <unistd.h>

#include <array>

#include "platform/environment.hpp"

namespace vela::terminal {
namespace {

struct Candidate {
    const char* display;  // the variable that says the desktop is there
    ClipboardTool tool;
};

const std::array<Candidate, 3>& Candidates() {
    static const std::array<Candidate, 3> kCandidates = {{
        {"WAYLAND_DISPLAY", {{"wl-copy"}, {"wl-paste", "--no-newline"}}},
        {"DISPLAY",
         {{"xclip", "-selection", "clipboard", "-in"},
          {"xclip", "-selection", "clipboard", "-out"}}},
        {"DISPLAY", {{"xsel", "--clipboard", "--input"}, {"xsel", "--clipboard", "--output"}}},
    }};
    return kCandidates;
}

}  // namespace

std::optional<ClipboardTool> ChooseClipboardTool(
    const std::function<std::string(const char*)>& environment,
    const std::function<bool(const std::string&)>& installed) {
    for (const auto& candidate : Candidates()) {
        if (environment(candidate.display).empty()) continue;
        if (installed(candidate.tool.copy[0]) && installed(candidate.tool.paste[0])) {
            return candidate.tool;
        }
    }
    return std::nullopt;
}

bool ProgramInPath(const std::string& name) {
    const std::string path = GetEnvironment("PATH");
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(':', start);
        if (end == std::string::npos) end = path.size();
        const std::string folder = end > start ? path.substr(start, end - start) : ".";
        if (::access((folder + "/" + name).c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace vela::terminal
