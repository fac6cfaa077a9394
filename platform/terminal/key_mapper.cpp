#include "platform/terminal/key_mapper.hpp"

#include <array>

#include "platform/code_page_850.hpp"

namespace vela::terminal {
namespace {

namespace ck = control_keys;

// PC scan codes of the extended keys and of the keys with a control
// character.
struct KeyCodes {
    Key key;
    std::uint8_t character;
    std::uint8_t scanCode;
};

constexpr std::array<KeyCodes, 27> kKeyCodes = {{
    {Key::Enter, 0x0d, 0x1c},  {Key::Tab, 0x09, 0x0f}, {Key::Backspace, 0x08, 0x0e},
    {Key::Escape, 0x1b, 0x01}, {Key::Insert, 0, 0x52}, {Key::Delete, 0, 0x53},
    {Key::Home, 0, 0x47},      {Key::End, 0, 0x4f},    {Key::PageUp, 0, 0x49},
    {Key::PageDown, 0, 0x51},  {Key::Up, 0, 0x48},     {Key::Down, 0, 0x50},
    {Key::Left, 0, 0x4b},      {Key::Right, 0, 0x4d},  {Key::Centre, 0, 0x4c},
    {Key::F1, 0, 0x3b},        {Key::F2, 0, 0x3c},     {Key::F3, 0, 0x3d},
    {Key::F4, 0, 0x3e},        {Key::F5, 0, 0x3f},     {Key::F6, 0, 0x40},
    {Key::F7, 0, 0x41},        {Key::F8, 0, 0x42},     {Key::F9, 0, 0x43},
    {Key::F10, 0, 0x44},       {Key::F11, 0, 0x85},    {Key::F12, 0, 0x86},
}};

// Scan codes of the keypad keys 0-9 without Num Lock: Ins, End, Down, PgDn,
// Left, centre, Right, Home, Up, PgUp.
constexpr std::array<std::uint8_t, 10> kKeypadScanCodes = {0x52, 0x4f, 0x50, 0x51, 0x4b,
                                                           0x4c, 0x4d, 0x47, 0x48, 0x49};

constexpr std::array<std::uint8_t, 26> kLetterScanCodes = {
    0x1e, 0x30, 0x2e, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
    0x31, 0x18, 0x19, 0x10, 0x13, 0x1f, 0x14, 0x16, 0x2f, 0x11, 0x2d, 0x15, 0x2c};

struct ModifierKey {
    Key key;
    std::uint16_t bit;
};
constexpr std::array<ModifierKey, 6> kModifierKeys = {{
    {Key::LeftShift, ck::kShift},
    {Key::RightShift, ck::kShift},
    {Key::LeftCtrl, ck::kLeftCtrl},
    {Key::RightCtrl, ck::kRightCtrl},
    {Key::LeftAlt, ck::kLeftAlt},
    {Key::RightAlt, ck::kRightAlt},
}};

ConsoleEvent KeyEvent(std::uint8_t character, std::uint8_t scanCode, std::uint16_t controlKeys,
                      bool keyDown) {
    ConsoleEvent event;
    event.type = ConsoleEvent::Type::Key;
    event.character = character;
    event.scanCode = scanCode;
    event.controlKeys = controlKeys;
    event.keyDown = keyDown;
    return event;
}

}  // namespace

std::uint8_t LetterScanCode(char32_t letter) {
    if (letter >= U'a' && letter <= U'z') return kLetterScanCodes[letter - U'a'];
    if (letter >= U'A' && letter <= U'Z') return kLetterScanCodes[letter - U'A'];
    return 0;
}

std::uint16_t KeyMapper::ControlKeysOf(std::uint8_t mods) const {
    std::uint16_t keys = 0;
    if ((mods & modifiers::kShift) != 0) keys |= ck::kShift;
    if ((mods & modifiers::kAlt) != 0)
        keys |= (held_ & ck::kAlt) != 0 ? held_ & ck::kAlt : ck::kLeftAlt;
    if ((mods & modifiers::kCtrl) != 0) {
        keys |= (held_ & ck::kCtrl) != 0 ? held_ & ck::kCtrl : ck::kLeftCtrl;
    }
    return keys;
}

void KeyMapper::Map(const InputEvent& input, std::vector<ConsoleEvent>& out) {
    switch (input.type) {
        case InputEvent::Type::Key:
            break;
        case InputEvent::Type::Mouse: {
            if (input.action != InputEvent::Action::Press || input.wheel || input.motion) return;
            static constexpr std::array<std::uint8_t, 3> kButtons = {
                mouse_buttons::kLeft, mouse_buttons::kMiddle, mouse_buttons::kRight};
            if (input.button < 0 || input.button > 2) return;
            ConsoleEvent event;
            event.type = ConsoleEvent::Type::Mouse;
            event.button = kButtons[input.button];
            event.row = input.row;
            event.column = input.column;
            event.controlKeys = ControlKeysOf(input.modifiers);
            out.push_back(event);
            return;
        }
        case InputEvent::Type::Paste: {
            // Pasted text is typed character by character; line ends and
            // other control characters would end fields and are left out.
            std::size_t pos = 0;
            while (pos < input.text.size()) {
                const char32_t ch = DecodeUtf8(input.text, pos);
                if (ch < 32 || ch == 0x7f) continue;
                if (const auto code = UnicodeToCp850(ch)) {
                    out.push_back(KeyEvent(*code, LetterScanCode(ch), 0, true));
                }
            }
            return;
        }
        default:
            return;
    }

    const bool keyDown = input.action != InputEvent::Action::Release;
    for (const auto& modifier : kModifierKeys) {
        if (modifier.key != input.key) continue;
        if (keyDown) {
            held_ |= modifier.bit;
        } else {
            held_ &= static_cast<std::uint16_t>(~modifier.bit);
        }
        ConsoleEvent event;
        event.type = ConsoleEvent::Type::ControlState;
        event.controlKeys = held_;
        out.push_back(event);
        return;
    }

    // Every key says which modifiers are down: one whose release went
    // unreported (the terminal lost the focus meanwhile) is no longer held.
    if ((input.modifiers & modifiers::kAlt) == 0) held_ &= static_cast<std::uint16_t>(~ck::kAlt);
    if ((input.modifiers & modifiers::kCtrl) == 0) held_ &= static_cast<std::uint16_t>(~ck::kCtrl);
    if ((input.modifiers & modifiers::kShift) == 0)
        held_ &= static_cast<std::uint16_t>(~ck::kShift);

    const std::uint16_t controlKeys = ControlKeysOf(input.modifiers);
    const bool alt = (controlKeys & ck::kAlt) != 0;
    const bool ctrl = (controlKeys & ck::kCtrl) != 0;

    if (input.key == Key::Character) {
        const char32_t ch = input.character;
        const std::uint8_t scan = LetterScanCode(ch);
        if (ch < 32) {  // a control character as the terminal sends it
            out.push_back(
                KeyEvent(static_cast<std::uint8_t>(ch), 0, controlKeys | ck::kLeftCtrl, keyDown));
            return;
        }
        if (alt && scan != 0) {
            out.push_back(KeyEvent(0, scan, controlKeys, keyDown));
            return;
        }
        if (ctrl && scan != 0) {
            out.push_back(
                KeyEvent(static_cast<std::uint8_t>(ch & 0x1f), scan, controlKeys, keyDown));
            return;
        }
        if (const auto code = UnicodeToCp850(ch)) {
            out.push_back(KeyEvent(*code, scan, controlKeys, keyDown));
        }
        return;
    }
    if (input.key == Key::KeypadDigit) {
        const int digit = static_cast<int>(input.character - U'0');
        if (digit < 0 || digit > 9) return;
        // With Alt held the keypad types character codes: the keys report
        // themselves as the navigation keys they also are.
        if (alt) {
            out.push_back(KeyEvent(0, kKeypadScanCodes[digit], controlKeys, keyDown));
        } else {
            out.push_back(KeyEvent(static_cast<std::uint8_t>('0' + digit), kKeypadScanCodes[digit],
                                   controlKeys, keyDown));
        }
        return;
    }
    if (input.key == Key::Tab && (controlKeys & ck::kShift) != 0) {
        out.push_back(KeyEvent(0, 0x0f, controlKeys, keyDown));  // Shift+Tab, back tab
        return;
    }
    for (const auto& codes : kKeyCodes) {
        if (codes.key == input.key) {
            out.push_back(KeyEvent(codes.character, codes.scanCode, controlKeys, keyDown));
            return;
        }
    }
}

}  // namespace vela::terminal
