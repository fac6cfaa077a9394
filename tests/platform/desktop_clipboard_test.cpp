#include "platform/terminal/desktop_clipboard.hpp"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace vela::terminal {
namespace {

TEST(DesktopClipboard, ToolChosenByDesktopAndWhatIsInstalled) {
    struct Case {
        const char* name;
        std::map<std::string, std::string> environment;
        std::set<std::string> installed;
        const char* copy;  // nullptr: no tool
    };
    const std::vector<Case> cases = {
        {"wayland",
         {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}},
         {"wl-copy", "wl-paste", "xclip"},
         "wl-copy"},
        {"wayland without its tools uses X",
         {{"WAYLAND_DISPLAY", "w"}, {"DISPLAY", ":0"}},
         {"xclip"},
         "xclip"},
        {"xsel when xclip is missing", {{"DISPLAY", ":0"}}, {"xsel"}, "xsel"},
        {"tools but no desktop", {}, {"wl-copy", "wl-paste", "xclip", "xsel"}, nullptr},
        {"desktop but no tool", {{"DISPLAY", ":0"}}, {}, nullptr},
        {"half of wayland's pair", {{"WAYLAND_DISPLAY", "w"}}, {"wl-copy"}, nullptr},
    };
    for (const auto& c : cases) {
        const auto tool = ChooseClipboardTool(
            [&](const char* name) {
                const auto it = c.environment.find(name);
                return it == c.environment.end() ? std::string() : it->second;
            },
            [&](const std::string& program) { return c.installed.count(program) > 0; });
        if (c.copy == nullptr) {
            EXPECT_FALSE(tool) << c.name;
        } else {
            ASSERT_TRUE(tool) << c.name;
            EXPECT_EQ(tool->copy[0], c.copy) << c.name;
            EXPECT_EQ(tool->paste[0], std::string(c.copy) == "wl-copy" ? "wl-paste" : c.copy);
        }
    }
}

TEST(DesktopClipboard, ProgramInPath) {
    EXPECT_TRUE(ProgramInPath("sh"));
    EXPECT_FALSE(ProgramInPath("vela-no-such-program"));
}

}  // namespace
}  // namespace vela::terminal
