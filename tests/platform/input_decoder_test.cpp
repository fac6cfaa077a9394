#include "platform/terminal/input_decoder.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace vela::terminal {
namespace {

const char* KeyName(Key key) {
    static const char* const kNames[] = {
        "None", "Char", "Enter", "Tab",    "Backspace", "Esc",  "Insert", "Delete", "Home",
        "End",  "PgUp", "PgDn",  "Up",     "Down",      "Left", "Right",  "Centre", "F1",
        "F2",   "F3",   "F4",    "F5",     "F6",        "F7",   "F8",     "F9",     "F10",
        "F11",  "F12",  "Kp",    "LShift", "LCtrl",     "LAlt", "RShift", "RCtrl",  "RAlt"};
    return kNames[static_cast<int>(key)];
}

// A short text for an event: "C-A-S-F1", "a", "Kp1", "release A-x",
// "mouse press 0 r5 c10", "paste hi", "kitty 27", "da".
std::string Describe(const InputEvent& e) {
    std::string text;
    if (e.action == InputEvent::Action::Release) text += "release ";
    if (e.action == InputEvent::Action::Repeat) text += "repeat ";
    switch (e.type) {
        case InputEvent::Type::Mouse:
            return text + "mouse " + (e.wheel ? "wheel " : "") + (e.motion ? "motion " : "") +
                   std::to_string(e.button) + " r" + std::to_string(e.row) + " c" +
                   std::to_string(e.column);
        case InputEvent::Type::Paste:
            return "paste " + e.text;
        case InputEvent::Type::KittyFlags:
            return "kitty " + std::to_string(e.value);
        case InputEvent::Type::DeviceAttributes:
            return "da";
        case InputEvent::Type::Key:
            break;
    }
    if (e.modifiers & modifiers::kCtrl) text += "C-";
    if (e.modifiers & modifiers::kAlt) text += "A-";
    if (e.modifiers & modifiers::kShift) text += "S-";
    if (e.key == Key::Character || e.key == Key::KeypadDigit) {
        if (e.keypad) text += "Kp";
        if (e.character < 32) return text + "0x" + std::to_string(e.character);
        std::string utf8;
        if (e.character < 0x80) {
            utf8.push_back(static_cast<char>(e.character));
        } else {
            utf8 = "U+" + std::to_string(static_cast<unsigned>(e.character));
        }
        return text + utf8;
    }
    if (e.keypad) text += "Kp";
    return text + KeyName(e.key);
}

std::string Describe(const std::vector<InputEvent>& events) {
    std::string text;
    for (const auto& e : events) text += (text.empty() ? "" : ", ") + Describe(e);
    return text;
}

struct Case {
    const char* name;
    std::string bytes;
    const char* events;
};

// Sequences as xterm, tmux, rxvt, the Linux console and kitty send them.
const std::vector<Case> kCases = {
    {"text", "aZ9 ", "a, Z, 9,  "},
    {"utf-8", "\xc3\xa9\xe2\x82\xac", "U+233, U+8364"},
    {"Enter Tab Backspace", "\r\t\x7f\x08", "Enter, Tab, Backspace, Backspace"},
    {"control characters", "\x01\x1a", "C-0x1, C-0x26"},
    {"F1 ss3", "\x1bOP", "F1"},
    {"F1 tilde", "\x1b[11~", "F1"},
    {"F1 linux console", "\x1b[[A\x1b[[E", "F1, F5"},
    {"F5-F12", "\x1b[15~\x1b[17~\x1b[21~\x1b[23~\x1b[24~", "F5, F6, F10, F11, F12"},
    {"Shift+F1 xterm", "\x1b[1;2P", "S-F1"},
    {"Shift+F10", "\x1b[21;2~", "S-F10"},
    {"Ctrl+F1", "\x1b[1;5P", "C-F1"},
    {"Alt+F12", "\x1b[24;3~", "A-F12"},
    {"Ctrl+Alt+Shift+F3", "\x1b[13;8~", "C-A-S-F3"},
    {"Ctrl+F1 ss3 with modifier", "\x1bO5P", "C-F1"},
    {"rxvt Ctrl and Shift", "\x1b[11^\x1b[2$", "C-F1, S-Insert"},
    {"arrows", "\x1b[A\x1b[B\x1b[C\x1b[D\x1bOA", "Up, Down, Right, Left, Up"},
    {"Ctrl+Home Left Right", "\x1b[1;5H\x1b[1;5D\x1b[1;5C", "C-Home, C-Left, C-Right"},
    {"Home End variants", "\x1b[H\x1b[F\x1b[1~\x1b[4~\x1b[7~\x1b[8~\x1bOH\x1bOF",
     "Home, End, Home, End, Home, End, Home, End"},
    {"Insert Delete PgUp PgDn", "\x1b[2~\x1b[3~\x1b[5~\x1b[6~", "Insert, Delete, PgUp, PgDn"},
    {"keypad centre", "\x1b[E\x1bOE\x1bOu", "Centre, Centre, Kp5"},
    {"application keypad", "\x1bOp\x1bOy\x1bOk\x1bOM", "Kp0, Kp9, Kp+, KpEnter"},
    {"Shift+Tab", "\x1b[Z", "S-Tab"},
    {"Alt+letter", "\x1bx\x1bX", "A-x, A-X"},
    {"Alt+utf-8", "\x1b\xc3\xa9", "A-U+233"},
    {"Alt+Backspace", "\x1b\x7f", "A-Backspace"},
    {"Alt+arrow rxvt", "\x1b\x1b[A", "A-Up"},
    {"Esc then key sequence", "\x1b\x1bOP", "A-F1"},
    {"two Esc then a letter", "\x1b\x1bq", "Esc, A-q"},
    {"SGR mouse", "\x1b[<0;10;5M\x1b[<0;10;5m\x1b[<2;80;25M",
     "mouse 0 r5 c10, release mouse 0 r5 c10, mouse 2 r25 c80"},
    {"SGR wheel and motion", "\x1b[<64;3;4M\x1b[<32;3;4M",
     "mouse wheel 0 r4 c3, mouse motion 0 r4 c3"},
    {"X10 mouse", "\x1b[M !%", "mouse 0 r5 c1"},
    {"bracketed paste", "\x1b[200~hi\x1b[A\r\x1b[201~x", "paste hi\x1b[A\r, x"},
    {"kitty text", "\x1b[97u\x1b[97;2;65u\x1b[97;2u", "a, S-A, S-A"},
    {"kitty Ctrl and release", "\x1b[97;5u\x1b[97;1:3u\x1b[97;1:2u", "C-a, release a, repeat a"},
    {"kitty functional keys", "\x1b[13u\x1b[27u\x1b[9;2u\x1b[127u", "Enter, Esc, S-Tab, Backspace"},
    {"kitty F1 and arrows with events", "\x1b[1;1:3P\x1b[1;5:1D\x1b[21;3:3~",
     "release F1, C-Left, release A-F10"},
    {"kitty modifier keys", "\x1b[57443;3u\x1b[57443;1:3u\x1b[57449;3u\x1b[57441;2u",
     "A-LAlt, release LAlt, A-RAlt, S-LShift"},
    {"kitty keypad", "\x1b[57400;3u\x1b[57402;3:3u\x1b[57425u\x1b[57427u\x1b[57413u",
     "A-Kp1, release A-Kp3, KpInsert, KpCentre, Kp+"},
    {"kitty private keys swallowed", "\x1b[57358u\x1b[57376;5ua", "a"},
    {"kitty reply and device attributes", "\x1b[?27u\x1b[?62;22c", "kitty 27, da"},
    {"modifyOtherKeys", "\x1b[27;5;105~\x1b[27;3;13~", "C-i, A-Enter"},
    {"unknown CSI swallowed", "\x1b[99;99za\x1b[?1049hb\x1b[>1;2mc", "a, b, c"},
    {"cursor report swallowed", "\x1b[24;80Ra", "a"},
    {"focus swallowed", "\x1b[I\x1b[Oa", "a"},
    {"OSC and APC swallowed",
     "\x1b]52;c;aGk=\x07"
     "a\x1b]11;rgb:0/0/0\x1b\\b\x1b_Gi=1;OK\x1b\\c",
     "a, b, c"},
    {"Esc with other string openers is Alt", "\x1bP\x1bX\x1b^", "A-P, A-X, A-^"},
    {"CSI broken by a control byte", "\x1b[12\x01", "C-0x1"},
    {"unknown tilde key swallowed", "\x1b[99~\x1b[200xa", "a"},
    {"invalid utf-8 dropped", "\xff\x80\xc0\xafz\xed\xa0\x80y", "z, y"},
};

std::string DecodeWhole(const std::string& bytes) {
    InputDecoder decoder;
    std::vector<InputEvent> events;
    decoder.Feed(bytes, 0, events);
    decoder.Expire(1000, events);
    return Describe(events);
}

TEST(InputDecoder, Sequences) {
    for (const auto& c : kCases) EXPECT_EQ(DecodeWhole(c.bytes), c.events) << c.name;
}

// Terminals send in pieces as they please: one byte at a time gives the
// same events, as long as the pieces come quicker than the Esc timeout.
TEST(InputDecoder, SplitReads) {
    for (const auto& c : kCases) {
        InputDecoder decoder;
        std::vector<InputEvent> events;
        long long now = 0;
        for (char byte : c.bytes) decoder.Feed(std::string_view(&byte, 1), now += 5, events);
        decoder.Expire(now + 1000, events);
        EXPECT_EQ(Describe(events), c.events) << c.name;
    }
}

TEST(InputDecoder, LoneEscWaitsForItsTimeout) {
    InputDecoder decoder(40);
    std::vector<InputEvent> events;
    decoder.Feed("\x1b", 100, events);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(decoder.TimeUntilExpiry(100), 40);
    EXPECT_EQ(decoder.TimeUntilExpiry(130), 10);
    decoder.Expire(139, events);
    EXPECT_TRUE(events.empty());
    decoder.Expire(140, events);
    EXPECT_EQ(Describe(events), "Esc");
    EXPECT_EQ(decoder.TimeUntilExpiry(140), -1);

    // A byte within the timeout makes it Alt; after it, two keys.
    events.clear();
    decoder.Feed("\x1b", 200, events);
    decoder.Feed("x", 220, events);
    EXPECT_EQ(Describe(events), "A-x");
    events.clear();
    decoder.Feed("\x1b", 300, events);
    decoder.Expire(345, events);
    decoder.Feed("x", 346, events);
    EXPECT_EQ(Describe(events), "Esc, x");
}

TEST(InputDecoder, CutSequencesExpire) {
    const std::vector<std::pair<std::string, const char*>> cases = {
        {"\x1b[", "A-["}, {"\x1bO", "A-O"}, {"\x1b[1;5", ""},         {"\x1b]52;c;", ""},
        {"\xc3", ""},     {"\x1b\xc3", ""}, {"\x1b\x1b", "Esc, Esc"},
    };
    for (const auto& [bytes, expected] : cases) {
        InputDecoder decoder;
        std::vector<InputEvent> events;
        decoder.Feed(bytes, 0, events);
        EXPECT_TRUE(events.empty()) << bytes;
        decoder.Expire(1000, events);
        EXPECT_EQ(Describe(events), expected);
        decoder.Feed("z", 1001, events);
        EXPECT_EQ(Describe(events), std::string(expected) + (*expected ? ", z" : "z"));
    }
}

TEST(InputDecoder, PasteNeverExpiresAndIsCapped) {
    InputDecoder decoder;
    std::vector<InputEvent> events;
    decoder.Feed("\x1b[200~abc\x1b[20", 0, events);
    decoder.Expire(10000, events);
    EXPECT_EQ(decoder.TimeUntilExpiry(10000), -1);
    EXPECT_TRUE(events.empty());
    decoder.Feed("1~", 10001, events);
    EXPECT_EQ(Describe(events), "paste abc");

    events.clear();
    decoder.Feed("\x1b[200~", 0, events);
    const std::string chunk(1 << 16, 'p');
    for (int i = 0; i < 20; ++i) decoder.Feed(chunk, 0, events);
    decoder.Feed("\x1b[201~", 0, events);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].text.size(), 1u << 20);
}

TEST(InputDecoder, OverlongSequencesAreDropped) {
    InputDecoder decoder;
    std::vector<InputEvent> events;
    decoder.Feed("\x1b[" + std::string(300, '1'), 0, events);
    decoder.Feed("1;1", 0, events);
    decoder.Feed("a", 0, events);  // its final byte
    decoder.Expire(1000, events);
    EXPECT_EQ(Describe(events), "");
    decoder.Feed("c", 1000, events);
    EXPECT_EQ(Describe(events), "c");
}

TEST(InputDecoder, OverlongStringsAreDroppedToTheirEnd) {
    for (const char* end : {"\a", "\x1b\\"}) {
        InputDecoder decoder;
        std::vector<InputEvent> events;
        decoder.Feed("\x1b]52;c;" + std::string(5000, 'Q') + "\x1b", 0, events);
        decoder.Feed(std::string(3000, 'Q') + end + "ok", 0, events);
        EXPECT_EQ(Describe(events), "o, k");
    }
    InputDecoder decoder;
    std::vector<InputEvent> events;
    decoder.Feed("\x1b]" + std::string(5000, 'Q'), 0, events);
    decoder.Expire(1000, events);
    decoder.Feed("ok", 1000, events);
    EXPECT_EQ(Describe(events), "o, k");
}

TEST(InputDecoder, SequencesFromTheTerminalDescription) {
    InputDecoder decoder;
    decoder.AddSequence("\x1b[[Z", Key::F12, modifiers::kShift);
    std::vector<InputEvent> events;
    decoder.Feed("\x1b[[", 0, events);
    EXPECT_TRUE(events.empty());
    decoder.Feed("Z\x1b[[A", 0, events);
    EXPECT_EQ(Describe(events), "S-F12, F1");
}

}  // namespace
}  // namespace vela::terminal
