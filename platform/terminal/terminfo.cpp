#include "platform/terminal/terminfo.hpp"

#include <array>

// term.h defines macros with common names; it stays in this file.
#include <curses.h>
#include <term.h>

namespace vela::terminal {
namespace {

struct Capability {
    const char* name;
    Key key;
    std::uint8_t modifiers;
};

// The function keys beyond F12 are the shifted and controlled F1-F12 in
// the xterm family's descriptions (kf13 Shift+F1, kf25 Ctrl+F1).
std::vector<Capability> KeyCapabilities() {
    std::vector<Capability> capabilities = {
        {"kich1", Key::Insert, 0}, {"kdch1", Key::Delete, 0}, {"khome", Key::Home, 0},
        {"kend", Key::End, 0},     {"kpp", Key::PageUp, 0},   {"knp", Key::PageDown, 0},
        {"kcuu1", Key::Up, 0},     {"kcud1", Key::Down, 0},   {"kcub1", Key::Left, 0},
        {"kcuf1", Key::Right, 0},  {"kb2", Key::Centre, 0},   {"kcbt", Key::Tab, modifiers::kShift},
    };
    static const std::array<const char*, 36> kFunctionKeys = {
        "kf1",  "kf2",  "kf3",  "kf4",  "kf5",  "kf6",  "kf7",  "kf8",  "kf9",
        "kf10", "kf11", "kf12", "kf13", "kf14", "kf15", "kf16", "kf17", "kf18",
        "kf19", "kf20", "kf21", "kf22", "kf23", "kf24", "kf25", "kf26", "kf27",
        "kf28", "kf29", "kf30", "kf31", "kf32", "kf33", "kf34", "kf35", "kf36"};
    static const std::array<std::uint8_t, 3> kModifiers = {0, modifiers::kShift, modifiers::kCtrl};
    for (std::size_t i = 0; i < kFunctionKeys.size(); ++i) {
        capabilities.push_back({kFunctionKeys[i],
                                static_cast<Key>(static_cast<int>(Key::F1) + i % 12),
                                kModifiers[i / 12]});
    }
    return capabilities;
}

std::string StringCapability(const char* name) {
    const char* value = tigetstr(const_cast<char*>(name));
    if (value == nullptr || value == reinterpret_cast<const char*>(-1)) return "";
    return value;
}

}  // namespace

TerminalDescription LoadTerminalDescription(int fd) {
    TerminalDescription description;
    int status = 0;
    if (setupterm(nullptr, fd, &status) != OK) return description;
    description.found = true;
    const std::string bellText = StringCapability("bel");
    if (!bellText.empty()) description.bellSequence = bellText;
    for (const auto& capability : KeyCapabilities()) {
        const std::string sequence = StringCapability(capability.name);
        if (sequence.size() < 2 || sequence[0] != '\x1b') continue;
        description.keys.push_back({sequence, capability.key, capability.modifiers});
    }
    return description;
}

}  // namespace vela::terminal
