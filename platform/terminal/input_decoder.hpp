// Terminal input as events: a pure state machine fed with the bytes the
// terminal sends and the time they arrived, with no I/O inside, so that it
// can be tested with tables and fuzzed.
//
// It understands UTF-8 text, control characters, Esc-prefixed Alt (a lone
// Esc is the Esc key once no byte follows within the timeout), CSI and SS3
// keys with xterm modifiers (xterm, tmux, rxvt and the Linux console),
// xterm's modifyOtherKeys form, the kitty keyboard protocol (CSI ... u,
// with key releases and the modifier keys themselves), SGR and X10 mouse
// reports, bracketed paste, and the terminal's replies to the kitty and
// device-attribute queries. A sequence it does not know is swallowed whole,
// never typed as text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vela::terminal {

enum class Key : std::uint8_t {
    None,
    Character,  // the character field holds it
    Enter,
    Tab,
    Backspace,
    Escape,
    Insert,
    Delete,
    Home,
    End,
    PageUp,
    PageDown,
    Up,
    Down,
    Left,
    Right,
    Centre,  // keypad 5 without Num Lock
    F1,
    F2,
    F3,
    F4,
    F5,
    F6,
    F7,
    F8,
    F9,
    F10,
    F11,
    F12,
    KeypadDigit,  // the character field holds '0'-'9'
    LeftShift,
    LeftCtrl,
    LeftAlt,
    RightShift,
    RightCtrl,
    RightAlt,
};

// Modifier bits, as xterm and kitty number them (their value minus 1).
namespace modifiers {
inline constexpr std::uint8_t kShift = 1;
inline constexpr std::uint8_t kAlt = 2;
inline constexpr std::uint8_t kCtrl = 4;
}  // namespace modifiers

struct InputEvent {
    enum class Type : std::uint8_t {
        Key,
        Mouse,
        Paste,             // text holds the pasted UTF-8 text
        KittyFlags,        // reply to the kitty query; value holds the flags
        DeviceAttributes,  // reply to the primary device-attributes query
    };
    enum class Action : std::uint8_t { Press, Repeat, Release };

    Type type = Type::Key;
    Action action = Action::Press;
    Key key = Key::None;
    char32_t character = 0;
    std::uint8_t modifiers = 0;
    bool keypad = false;  // the key is on the numeric keypad
    // Mouse: button 0 left, 1 middle, 2 right; wheel and motion reports are
    // flagged. Row and column are 1-based.
    int button = 0;
    bool wheel = false;
    bool motion = false;
    int row = 0;
    int column = 0;
    std::string text;
    int value = 0;

    bool operator==(const InputEvent&) const = default;
};

class InputDecoder {
  public:
    explicit InputDecoder(int escapeTimeoutMs = 40) : escapeTimeoutMs_(escapeTimeoutMs) {}

    // Decodes what can be decoded of bytes (with what was left over from
    // earlier calls) and appends the events to out.
    void Feed(std::string_view bytes, long long nowMs, std::vector<InputEvent>& out);

    // No byte arrived: a lone Esc or a sequence cut short whose time has run
    // out is settled (the Esc key; Alt with the next character; a cut
    // sequence is dropped).
    void Expire(long long nowMs, std::vector<InputEvent>& out);

    // Milliseconds until pending bytes expire; -1 when nothing is pending
    // or only a paste is in progress.
    int TimeUntilExpiry(long long nowMs) const;

    // A key string the terminal's description gives, recognised before the
    // built-in sequences.
    void AddSequence(std::string sequence, Key key, std::uint8_t modifiers = 0);

    // Forgets pending bytes and any paste in progress.
    void Reset();

  private:
    enum class Parse { Done, Incomplete };
    void Decode(std::vector<InputEvent>& out);
    Parse ParseOne(bool expired, std::vector<InputEvent>& out);
    Parse ParseEscape(bool expired, std::vector<InputEvent>& out);
    Parse ParseCsi(std::size_t start, std::uint8_t extraModifiers, std::vector<InputEvent>& out);
    void FeedPaste(std::vector<InputEvent>& out);
    void DropGarbage();
    bool DropString();  // true once the end of the string is dropped

    struct Sequence {
        std::string bytes;
        Key key;
        std::uint8_t modifiers;
    };

    int escapeTimeoutMs_;
    std::string pending_;
    long long pendingSince_ = 0;
    bool inPaste_ = false;
    bool discarding_ = false;        // inside an overlong sequence
    bool discardingString_ = false;  // inside an overlong OSC or APC string
    std::string paste_;
    std::vector<Sequence> sequences_;
};

}  // namespace vela::terminal
