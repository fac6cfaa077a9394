#include "platform/terminal/input_decoder.hpp"

#include <algorithm>
#include <array>
#include <optional>

namespace vela::terminal {
namespace {

// Beyond these lengths a sequence is garbage and is dropped whole.
constexpr std::size_t kLongestSequence = 256;
constexpr std::size_t kLongestString = 4096;  // OSC, DCS and the like
constexpr std::size_t kLongestPaste = 1 << 20;
constexpr std::string_view kPasteEnd = "\x1b[201~";

constexpr char kEsc = '\x1b';

InputEvent MakeKey(Key key, std::uint8_t mods = 0, char32_t character = 0) {
    InputEvent event;
    event.key = key;
    event.modifiers = mods;
    event.character = character;
    return event;
}

InputEvent ControlByte(unsigned char byte) {
    switch (byte) {
        case 0x0d:
            return MakeKey(Key::Enter);
        case 0x09:
            return MakeKey(Key::Tab);
        case 0x7f:
        case 0x08:
            return MakeKey(Key::Backspace);
        case 0x1b:
            return MakeKey(Key::Escape);
        default:
            return MakeKey(Key::Character, modifiers::kCtrl, byte);
    }
}

int Utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0 && lead >= 0xC2) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// The character at text[pos] of length bytes, or nothing when malformed.
std::optional<char32_t> DecodeCharacter(std::string_view text, std::size_t pos, int length) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    if (length == 1) return byte(0);
    char32_t ch = byte(0) & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return std::nullopt;
        ch = (ch << 6) | (byte(i) & 0x3F);
    }
    static constexpr std::array<char32_t, 5> kSmallest = {0, 0, 0x80, 0x800, 0x10000};
    if (ch < kSmallest[length] || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF)) {
        return std::nullopt;
    }
    return ch;
}

// The numbers of one parameter field ("5:3"); an empty number is 0.
using Field = std::vector<int>;

std::vector<Field> SplitParameters(std::string_view params) {
    std::vector<Field> fields(1);
    long number = 0;
    bool any = false;
    const auto endNumber = [&] {
        fields.back().push_back(any ? static_cast<int>(number) : 0);
        number = 0;
        any = false;
    };
    for (char c : params) {
        if (c >= '0' && c <= '9') {
            number = std::min(number * 10 + (c - '0'), 0x10FFFFL + 1);
            any = true;
        } else if (c == ':') {
            endNumber();
        } else if (c == ';') {
            endNumber();
            fields.emplace_back();
        }
    }
    endNumber();
    return fields;
}

int FieldValue(const std::vector<Field>& fields, std::size_t field, std::size_t sub, int fallback) {
    if (field >= fields.size() || sub >= fields[field].size() || fields[field][sub] == 0) {
        return fallback;
    }
    return fields[field][sub];
}

// The modifier number of xterm and kitty (1 + bits); Meta counts as Alt.
std::uint8_t ModifierBits(int value) {
    const int bits = std::max(value - 1, 0);
    std::uint8_t mods = bits & (modifiers::kShift | modifiers::kAlt | modifiers::kCtrl);
    if ((bits & 32) != 0) mods |= modifiers::kAlt;
    return mods;
}

InputEvent::Action ActionOf(int value) {
    switch (value) {
        case 2:
            return InputEvent::Action::Repeat;
        case 3:
            return InputEvent::Action::Release;
        default:
            return InputEvent::Action::Press;
    }
}

// Keys numbered in "CSI n ~".
Key TildeKey(int n) {
    switch (n) {
        case 1:
        case 7:
            return Key::Home;
        case 2:
            return Key::Insert;
        case 3:
            return Key::Delete;
        case 4:
        case 8:
            return Key::End;
        case 5:
            return Key::PageUp;
        case 6:
            return Key::PageDown;
        case 11:
            return Key::F1;
        case 12:
            return Key::F2;
        case 13:
            return Key::F3;
        case 14:
            return Key::F4;
        case 15:
            return Key::F5;
        case 17:
            return Key::F6;
        case 18:
            return Key::F7;
        case 19:
            return Key::F8;
        case 20:
            return Key::F9;
        case 21:
            return Key::F10;
        case 23:
            return Key::F11;
        case 24:
            return Key::F12;
        default:
            return Key::None;
    }
}

// Keys named by the final letter of "CSI 1;m X" and "SS3 X".
Key LetterKey(char final) {
    switch (final) {
        case 'A':
            return Key::Up;
        case 'B':
            return Key::Down;
        case 'C':
            return Key::Right;
        case 'D':
            return Key::Left;
        case 'E':
            return Key::Centre;
        case 'F':
            return Key::End;
        case 'H':
            return Key::Home;
        case 'P':
            return Key::F1;
        case 'Q':
            return Key::F2;
        case 'R':
            return Key::F3;
        case 'S':
            return Key::F4;
        default:
            return Key::None;
    }
}

// The application keypad of SS3: digits and operators.
std::optional<InputEvent> Ss3Keypad(char final) {
    if (final >= 'p' && final <= 'y') {
        InputEvent event = MakeKey(Key::KeypadDigit, 0, U'0' + (final - 'p'));
        event.keypad = true;
        return event;
    }
    constexpr std::string_view kFinals = "jklmnoX";
    constexpr std::string_view kCharacters = "*+,-./=";
    if (const auto at = kFinals.find(final); at != std::string_view::npos) {
        InputEvent event = MakeKey(Key::Character, 0, static_cast<char32_t>(kCharacters[at]));
        event.keypad = true;
        return event;
    }
    if (final == 'M') {
        InputEvent event = MakeKey(Key::Enter);
        event.keypad = true;
        return event;
    }
    return std::nullopt;
}

// The kitty protocol's numbers for keys that have no character.
std::optional<InputEvent> KittyKey(int code) {
    struct Entry {
        int code;
        Key key;
        char32_t character;
        bool keypad;
    };
    static constexpr std::array<Entry, 31> kKeys = {{
        {9, Key::Tab, 0, false},
        {13, Key::Enter, 0, false},
        {27, Key::Escape, 0, false},
        {127, Key::Backspace, 0, false},
        {57409, Key::Character, U'.', true},
        {57410, Key::Character, U'/', true},
        {57411, Key::Character, U'*', true},
        {57412, Key::Character, U'-', true},
        {57413, Key::Character, U'+', true},
        {57414, Key::Enter, 0, true},
        {57415, Key::Character, U'=', true},
        {57416, Key::Character, U',', true},
        {57417, Key::Left, 0, true},
        {57418, Key::Right, 0, true},
        {57419, Key::Up, 0, true},
        {57420, Key::Down, 0, true},
        {57421, Key::PageUp, 0, true},
        {57422, Key::PageDown, 0, true},
        {57423, Key::Home, 0, true},
        {57424, Key::End, 0, true},
        {57425, Key::Insert, 0, true},
        {57426, Key::Delete, 0, true},
        {57427, Key::Centre, 0, true},
        {57441, Key::LeftShift, 0, false},
        {57442, Key::LeftCtrl, 0, false},
        {57443, Key::LeftAlt, 0, false},
        {57446, Key::LeftAlt, 0, false},  // left Meta
        {57447, Key::RightShift, 0, false},
        {57448, Key::RightCtrl, 0, false},
        {57449, Key::RightAlt, 0, false},
        {57452, Key::RightAlt, 0, false},  // right Meta
    }};
    if (code >= 57399 && code <= 57408) {
        InputEvent event = MakeKey(Key::KeypadDigit, 0, U'0' + (code - 57399));
        event.keypad = true;
        return event;
    }
    for (const auto& entry : kKeys) {
        if (entry.code == code) {
            InputEvent event = MakeKey(entry.key, 0, entry.character);
            event.keypad = entry.keypad;
            return event;
        }
    }
    // The rest of the private-use area is keys the program has no use for
    // (Caps Lock, media keys, F13 and up).
    if (code >= 0xE000 && code <= 0xF8FF) return std::nullopt;
    if (code < 32 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
    return MakeKey(Key::Character, 0, static_cast<char32_t>(code));
}

}  // namespace

void InputDecoder::AddSequence(std::string sequence, Key key, std::uint8_t mods) {
    if (sequence.empty()) return;
    sequences_.push_back({std::move(sequence), key, mods});
}

void InputDecoder::Reset() {
    pending_.clear();
    discarding_ = false;
    discardingString_ = false;
    inPaste_ = false;
    paste_.clear();
}

int InputDecoder::TimeUntilExpiry(long long nowMs) const {
    if (pending_.empty() || inPaste_) return -1;
    return static_cast<int>(
        std::clamp<long long>(pendingSince_ + escapeTimeoutMs_ - nowMs, 0, escapeTimeoutMs_));
}

void InputDecoder::Feed(std::string_view bytes, long long nowMs, std::vector<InputEvent>& out) {
    if (!bytes.empty()) pendingSince_ = nowMs;
    // Taken in slices, so that what waits to be decoded stays short and
    // removing each decoded event from its front stays cheap.
    constexpr std::size_t kSlice = 256;
    std::size_t at = 0;
    do {
        pending_.append(bytes.substr(at, kSlice));
        at += kSlice;
        Decode(out);
    } while (at < bytes.size());
}

void InputDecoder::Decode(std::vector<InputEvent>& out) {
    while (!pending_.empty()) {
        if (discarding_) {
            DropGarbage();
            continue;
        }
        if (discardingString_) {
            if (!DropString()) break;
            continue;
        }
        if (inPaste_) {
            FeedPaste(out);
            if (inPaste_) break;
            continue;
        }
        if (ParseOne(false, out) == Parse::Incomplete) break;
    }
}

void InputDecoder::Expire(long long nowMs, std::vector<InputEvent>& out) {
    if (inPaste_ || nowMs - pendingSince_ < escapeTimeoutMs_) return;
    if (discardingString_ || discarding_) {
        // The end never came: what is left is dropped with the rest.
        pending_.clear();
        discardingString_ = false;
        discarding_ = false;
        return;
    }
    while (!pending_.empty() && !inPaste_) ParseOne(true, out);
    if (inPaste_) FeedPaste(out);
}

void InputDecoder::DropGarbage() {
    std::size_t end = 0;
    while (end < pending_.size() && pending_[end] >= 0x20 && pending_[end] <= 0x3F) ++end;
    if (end < pending_.size()) {
        discarding_ = false;
        if (pending_[end] >= 0x40 && pending_[end] <= 0x7E) ++end;  // its final byte
    }
    pending_.erase(0, end);
}

bool InputDecoder::DropString() {
    for (std::size_t i = 0; i < pending_.size(); ++i) {
        if (pending_[i] == '\a' ||
            (pending_[i] == kEsc && i + 1 < pending_.size() && pending_[i + 1] == '\\')) {
            pending_.erase(0, i + (pending_[i] == '\a' ? 1 : 2));
            discardingString_ = false;
            return true;
        }
    }
    // Keep a last Esc: it may begin the string terminator.
    const bool endMayFollow = !pending_.empty() && pending_.back() == kEsc;
    pending_.clear();
    if (endMayFollow) pending_.push_back(kEsc);
    return false;
}

void InputDecoder::FeedPaste(std::vector<InputEvent>& out) {
    const auto end = pending_.find(kPasteEnd);
    const std::size_t take =
        end != std::string::npos
            ? end
            : pending_.size() - std::min(pending_.size(), kPasteEnd.size() - 1);
    if (paste_.size() < kLongestPaste) {
        paste_.append(pending_, 0, std::min(take, kLongestPaste - paste_.size()));
    }
    pending_.erase(0, take);
    if (end == std::string::npos) return;
    pending_.erase(0, kPasteEnd.size());
    InputEvent event;
    event.type = InputEvent::Type::Paste;
    event.text = std::move(paste_);
    out.push_back(std::move(event));
    paste_.clear();
    inPaste_ = false;
}

InputDecoder::Parse InputDecoder::ParseOne(bool expired, std::vector<InputEvent>& out) {
    const unsigned char lead = static_cast<unsigned char>(pending_[0]);
    if (lead == kEsc) {
        for (const auto& sequence : sequences_) {
            if (pending_.starts_with(sequence.bytes)) {
                out.push_back(MakeKey(sequence.key, sequence.modifiers));
                pending_.erase(0, sequence.bytes.size());
                return Parse::Done;
            }
        }
        if (!expired) {
            for (const auto& sequence : sequences_) {
                if (sequence.bytes.starts_with(pending_)) return Parse::Incomplete;
            }
        }
        return ParseEscape(expired, out);
    }
    if (lead < 0x20 || lead == 0x7f) {
        out.push_back(ControlByte(lead));
        pending_.erase(0, 1);
        return Parse::Done;
    }
    const int length = Utf8Length(lead);
    if (length == 0) {
        pending_.erase(0, 1);  // a stray byte of no character
        return Parse::Done;
    }
    if (pending_.size() < static_cast<std::size_t>(length)) {
        if (!expired) return Parse::Incomplete;
        pending_.clear();
        return Parse::Done;
    }
    const auto ch = DecodeCharacter(pending_, 0, length);
    if (!ch) {
        pending_.erase(0, 1);
        return Parse::Done;
    }
    out.push_back(MakeKey(Key::Character, 0, *ch));
    pending_.erase(0, length);
    return Parse::Done;
}

InputDecoder::Parse InputDecoder::ParseEscape(bool expired, std::vector<InputEvent>& out) {
    if (pending_.size() == 1) {
        if (!expired) return Parse::Incomplete;
        out.push_back(MakeKey(Key::Escape));
        pending_.clear();
        return Parse::Done;
    }
    const char second = pending_[1];
    switch (second) {
        case '[': {
            if (ParseCsi(2, 0, out) == Parse::Done) return Parse::Done;
            if (!expired) return Parse::Incomplete;
            if (pending_.size() == 2) {
                out.push_back(MakeKey(Key::Character, modifiers::kAlt, U'['));
            }
            pending_.clear();  // a sequence cut short
            return Parse::Done;
        }
        case 'O': {
            std::size_t end = 2;
            while (end < pending_.size() && end < 8 &&
                   ((pending_[end] >= '0' && pending_[end] <= '9') || pending_[end] == ';')) {
                ++end;
            }
            if (end >= pending_.size()) {
                if (!expired) return Parse::Incomplete;
                if (pending_.size() == 2) {
                    out.push_back(MakeKey(Key::Character, modifiers::kAlt, U'O'));
                }
                pending_.clear();
                return Parse::Done;
            }
            const char final = pending_[end];
            const auto fields = SplitParameters(std::string_view(pending_).substr(2, end - 2));
            const std::uint8_t mods =
                ModifierBits(fields.back().empty() ? 1 : fields.back().back());
            pending_.erase(0, end + 1);
            if (const Key key = LetterKey(final); key != Key::None) {
                out.push_back(MakeKey(key, mods));
            } else if (auto keypad = Ss3Keypad(final)) {
                keypad->modifiers = mods;
                out.push_back(*keypad);
            }
            return Parse::Done;
        }
        case ']':
        case '_': {
            // Strings (OSC replies such as colours and the clipboard, APC
            // replies) end at BEL or ST. Esc with the other string openers
            // (P, X, ^) is taken as Alt with the letter: the program asks
            // nothing that is answered that way.
            for (std::size_t i = 2; i < pending_.size(); ++i) {
                if (pending_[i] == '\a' && second == ']') {
                    pending_.erase(0, i + 1);
                    return Parse::Done;
                }
                if (pending_[i] == kEsc && i + 1 < pending_.size() && pending_[i + 1] == '\\') {
                    pending_.erase(0, i + 2);
                    return Parse::Done;
                }
            }
            if (!expired && pending_.size() <= kLongestString) return Parse::Incomplete;
            // Too long: the rest of it is dropped as it arrives, up to its end.
            const bool endMayFollow = pending_.back() == kEsc;
            pending_.clear();
            if (!expired) {
                discardingString_ = true;
                if (endMayFollow) pending_.push_back(kEsc);
            }
            return Parse::Done;
        }
        case kEsc: {
            // Esc before a key sequence is Alt with that key (rxvt, and
            // xterm without its modifier parameters); otherwise the first
            // Esc is a key of its own.
            if (pending_.size() == 2 && !expired) return Parse::Incomplete;
            if (pending_.size() > 2 && (pending_[2] == '[' || pending_[2] == 'O')) {
                const std::size_t before = out.size();
                pending_.erase(0, 1);
                if (ParseEscape(expired, out) == Parse::Incomplete) {
                    pending_.insert(0, 1, kEsc);
                    return Parse::Incomplete;
                }
                for (std::size_t i = before; i < out.size(); ++i) {
                    if (out[i].type == InputEvent::Type::Key) out[i].modifiers |= modifiers::kAlt;
                }
                return Parse::Done;
            }
            out.push_back(MakeKey(Key::Escape));
            pending_.erase(0, 1);
            return Parse::Done;
        }
        default:
            break;
    }
    const unsigned char next = static_cast<unsigned char>(second);
    if (next < 0x20 || next == 0x7f) {
        InputEvent event = ControlByte(next);
        event.modifiers |= modifiers::kAlt;
        out.push_back(event);
        pending_.erase(0, 2);
        return Parse::Done;
    }
    const int length = Utf8Length(next);
    if (length == 0) {
        pending_.erase(0, 2);
        return Parse::Done;
    }
    if (pending_.size() < 1 + static_cast<std::size_t>(length)) {
        if (!expired) return Parse::Incomplete;
        pending_.clear();
        return Parse::Done;
    }
    if (const auto ch = DecodeCharacter(pending_, 1, length)) {
        out.push_back(MakeKey(Key::Character, modifiers::kAlt, *ch));
        pending_.erase(0, 1 + length);
    } else {
        pending_.erase(0, 2);
    }
    return Parse::Done;
}

InputDecoder::Parse InputDecoder::ParseCsi(std::size_t start, std::uint8_t extraModifiers,
                                           std::vector<InputEvent>& out) {
    const std::size_t size = pending_.size();
    if (start >= size) return Parse::Incomplete;
    // The Linux console's F1-F5: ESC [ [ A ... ESC [ [ E.
    if (pending_[start] == '[') {
        if (start + 1 >= size) return Parse::Incomplete;
        const char letter = pending_[start + 1];
        pending_.erase(0, start + 2);
        if (letter >= 'A' && letter <= 'E') {
            out.push_back(MakeKey(static_cast<Key>(static_cast<int>(Key::F1) + (letter - 'A')),
                                  extraModifiers));
        }
        return Parse::Done;
    }
    // X10 mouse: ESC [ M and three bytes of button, column and row + 32.
    if (pending_[start] == 'M') {
        if (start + 4 > size) return Parse::Incomplete;
        const int b = static_cast<unsigned char>(pending_[start + 1]) - 32;
        InputEvent event;
        event.type = InputEvent::Type::Mouse;
        event.button = b & 3;
        event.action = (b & 3) == 3 ? InputEvent::Action::Release : InputEvent::Action::Press;
        event.motion = (b & 32) != 0;
        event.wheel = (b & 64) != 0;
        event.column = static_cast<unsigned char>(pending_[start + 2]) - 32;
        event.row = static_cast<unsigned char>(pending_[start + 3]) - 32;
        pending_.erase(0, start + 4);
        if (b >= 0 && event.column > 0 && event.row > 0) out.push_back(event);
        return Parse::Done;
    }

    std::size_t end = start;
    while (end < size && pending_[end] >= 0x30 && pending_[end] <= 0x3F) ++end;
    // rxvt ends Shift+key sequences with "$", which is otherwise an
    // intermediate byte.
    const bool rxvtShift =
        end < size && pending_[end] == '$' && pending_[start] >= '0' && pending_[start] <= '9';
    if (!rxvtShift) {
        while (end < size && pending_[end] >= 0x20 && pending_[end] <= 0x2F) ++end;
    }
    if (end >= size) {
        if (size - start > kLongestSequence) {
            // Garbage: what remains of it is dropped as it arrives.
            pending_.clear();
            discarding_ = true;
            return Parse::Done;
        }
        return Parse::Incomplete;
    }
    const char final = pending_[end];
    if (!rxvtShift && (final < 0x40 || final > 0x7E)) {
        pending_.erase(0, end);  // broken off by a byte that cannot be in it
        return Parse::Done;
    }
    const std::string params = pending_.substr(start, end - start);
    pending_.erase(0, end + 1);

    const char marker = params.empty() ? '\0' : params[0];
    if (marker == '<' || marker == '?' || marker == '>' || marker == '=') {
        const auto fields = SplitParameters(std::string_view(params).substr(1));
        if (marker == '<' && (final == 'M' || final == 'm')) {
            const int b = FieldValue(fields, 0, 0, 0);
            InputEvent event;
            event.type = InputEvent::Type::Mouse;
            event.action = final == 'M' ? InputEvent::Action::Press : InputEvent::Action::Release;
            event.button = b & 3;
            event.motion = (b & 32) != 0;
            event.wheel = (b & 64) != 0;
            event.modifiers = static_cast<std::uint8_t>(((b & 4) != 0 ? modifiers::kShift : 0) |
                                                        ((b & 8) != 0 ? modifiers::kAlt : 0) |
                                                        ((b & 16) != 0 ? modifiers::kCtrl : 0));
            event.column = FieldValue(fields, 1, 0, 0);
            event.row = FieldValue(fields, 2, 0, 0);
            if (event.column > 0 && event.row > 0) out.push_back(event);
        } else if (marker == '?' && final == 'u') {
            InputEvent event;
            event.type = InputEvent::Type::KittyFlags;
            event.value = FieldValue(fields, 0, 0, 0);
            out.push_back(event);
        } else if (marker == '?' && final == 'c') {
            InputEvent event;
            event.type = InputEvent::Type::DeviceAttributes;
            out.push_back(event);
        }
        return Parse::Done;
    }

    const auto fields = SplitParameters(params);
    const std::uint8_t mods = ModifierBits(FieldValue(fields, 1, 0, 1)) | extraModifiers;
    const InputEvent::Action action = ActionOf(FieldValue(fields, 1, 1, 1));
    const auto emit = [&](InputEvent event) {
        event.modifiers |= mods;
        event.action = action;
        out.push_back(event);
    };

    switch (final) {
        case '~':
        case '^':    // rxvt: with Ctrl
        case '$': {  // rxvt: with Shift
            const int n = FieldValue(fields, 0, 0, 0);
            if (final == '~' && n == 200) {
                inPaste_ = true;
                paste_.clear();
                return Parse::Done;
            }
            if (final == '~' && n == 27) {  // xterm's modifyOtherKeys
                InputEvent event = KittyKey(FieldValue(fields, 2, 0, 0)).value_or(InputEvent{});
                if (event.key == Key::None) return Parse::Done;
                event.modifiers = ModifierBits(FieldValue(fields, 1, 0, 1)) | extraModifiers;
                out.push_back(event);
                return Parse::Done;
            }
            const Key key = TildeKey(n);
            if (key == Key::None) return Parse::Done;
            InputEvent event = MakeKey(key);
            if (final == '^') event.modifiers |= modifiers::kCtrl;
            if (final == '$') event.modifiers |= modifiers::kShift;
            emit(event);
            return Parse::Done;
        }
        case 'u': {
            auto event = KittyKey(FieldValue(fields, 0, 0, 0));
            if (!event) return Parse::Done;
            if (event->key == Key::Character) {
                // The text the key produces, where the terminal sends it,
                // already has Shift and the keyboard layout applied.
                const int text = FieldValue(fields, 2, 0, 0);
                if (text >= 32 && text <= 0x10FFFF && !(text >= 0xD800 && text <= 0xDFFF)) {
                    event->character = static_cast<char32_t>(text);
                } else if ((mods & modifiers::kShift) != 0 && event->character >= U'a' &&
                           event->character <= U'z') {
                    event->character -= 32;
                }
            }
            emit(*event);
            return Parse::Done;
        }
        case 'Z':
            emit(MakeKey(Key::Tab, modifiers::kShift));
            return Parse::Done;
        default: {
            const Key key = LetterKey(final);
            // A first number other than 1 is no key: "CSI row;col R" is the
            // cursor position report.
            if (key == Key::None || FieldValue(fields, 0, 0, 1) != 1) return Parse::Done;
            emit(MakeKey(key));
            return Parse::Done;
        }
    }
}

}  // namespace vela::terminal
