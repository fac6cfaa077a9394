#include "platform/terminal/key_mapper.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "platform/terminal/input_decoder.hpp"

namespace vela::terminal {
namespace {

namespace ck = control_keys;

struct Expected {
    std::uint8_t character;
    std::uint8_t scanCode;
    std::uint16_t controlKeys;
    bool keyDown = true;
};

// Whole path from the terminal's bytes to the PC console's key events.
std::vector<ConsoleEvent> MapBytes(const std::string& bytes, KeyMapper& mapper) {
    InputDecoder decoder;
    std::vector<InputEvent> inputs;
    decoder.Feed(bytes, 0, inputs);
    decoder.Expire(1000, inputs);
    std::vector<ConsoleEvent> events;
    for (const auto& input : inputs) mapper.Map(input, events);
    return events;
}

TEST(KeyMapper, KeysAsThePcConsoleReportsThem) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<Expected> events;
    };
    const std::vector<Case> cases = {
        {"a", "a", {{'a', 0x1e, 0}}},
        {"e acute", "\xc3\xa9", {{130, 0, 0}}},
        {"euro", "\xe2\x82\xac", {{213, 0, 0}}},
        {"a character CP850 lacks", "\xe4\xb8\xad", {}},
        {"Enter", "\r", {{0x0d, 0x1c, 0}}},
        {"Esc", "\x1b[27u", {{0x1b, 0x01, 0}}},
        {"Tab and Shift+Tab", "\t\x1b[Z", {{0x09, 0x0f, 0}, {0, 0x0f, ck::kShift}}},
        {"Backspace", "\x7f", {{0x08, 0x0e, 0}}},
        {"Delete", "\x1b[3~", {{0, 0x53, 0}}},
        {"F1", "\x1bOP", {{0, 0x3b, 0}}},
        {"F11 F12", "\x1b[23~\x1b[24~", {{0, 0x85, 0}, {0, 0x86, 0}}},
        {"Shift+F10", "\x1b[21;2~", {{0, 0x44, ck::kShift}}},
        {"Ctrl+F1", "\x1b[1;5P", {{0, 0x3b, ck::kLeftCtrl}}},
        {"Alt+F12", "\x1b[24;3~", {{0, 0x86, ck::kLeftAlt}}},
        {"Ctrl+Left", "\x1b[1;5D", {{0, 0x4b, ck::kLeftCtrl}}},
        {"Insert PgDn centre", "\x1b[2~\x1b[6~\x1b[E", {{0, 0x52, 0}, {0, 0x51, 0}, {0, 0x4c, 0}}},
        {"Alt+X", "\x1bx", {{0, 0x2d, ck::kLeftAlt}}},
        {"Alt+Shift+C",
         "\x1b"
         "C",
         {{0, 0x2e, ck::kLeftAlt}}},
        {"Alt+E",
         "\x1b"
         "e",
         {{0, 0x12, ck::kLeftAlt}}},
        {"Ctrl+A as a control byte", "\x01", {{0x01, 0, ck::kLeftCtrl}}},
        {"Ctrl+A from kitty", "\x1b[97;5u", {{0x01, 0x1e, ck::kLeftCtrl}}},
        {"keypad digit", "\x1bOq", {{'1', 0x4f, 0}}},
        {"Alt+keypad digit", "\x1b[57400;3u", {{0, 0x4f, ck::kLeftAlt}}},
        {"release", "\x1b[97;1:3u", {{'a', 0x1e, 0, false}}},
        {"paste", "\x1b[200~a\r\n\xc3\xb1\xe4\xb8\xad\x1b[201~", {{'a', 0x1e, 0}, {164, 0, 0}}},
    };
    for (const auto& c : cases) {
        KeyMapper mapper;
        const auto events = MapBytes(c.bytes, mapper);
        ASSERT_EQ(events.size(), c.events.size()) << c.name;
        for (std::size_t i = 0; i < events.size(); ++i) {
            EXPECT_EQ(events[i].type, ConsoleEvent::Type::Key) << c.name;
            EXPECT_EQ(events[i].character, c.events[i].character) << c.name;
            EXPECT_EQ(events[i].scanCode, c.events[i].scanCode) << c.name;
            EXPECT_EQ(events[i].controlKeys, c.events[i].controlKeys) << c.name;
            EXPECT_EQ(events[i].keyDown, c.events[i].keyDown) << c.name;
        }
    }
}

TEST(KeyMapper, HeldModifierKeysFromTheKittyProtocol) {
    KeyMapper mapper;
    auto events = MapBytes("\x1b[57449;3u", mapper);  // right Alt down
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].type, ConsoleEvent::Type::ControlState);
    EXPECT_EQ(mapper.HeldControlKeys(), ck::kRightAlt);
    events = MapBytes("\x1b[1;3P", mapper);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].controlKeys, ck::kRightAlt);
    MapBytes("\x1b[57443;3u\x1b[57449;3:3u", mapper);  // left down, right up
    EXPECT_EQ(mapper.HeldControlKeys(), ck::kLeftAlt);
    events = MapBytes("\x1b[57443;1:3u", mapper);
    EXPECT_EQ(mapper.HeldControlKeys(), 0);
    EXPECT_EQ(events[0].controlKeys, 0);
}

TEST(KeyMapper, AKeyWithoutTheModifierEndsAnUnreportedHold) {
    KeyMapper mapper;
    MapBytes("\x1b[57443;3u\x1b[57442;7u", mapper);  // left Alt, then left Ctrl down
    EXPECT_EQ(mapper.HeldControlKeys(), ck::kLeftAlt | ck::kLeftCtrl);
    MapBytes("\x1b[97;5u", mapper);  // Ctrl+A: Alt is not down any more
    EXPECT_EQ(mapper.HeldControlKeys(), ck::kLeftCtrl);
    MapBytes("\x1b[97u", mapper);
    EXPECT_EQ(mapper.HeldControlKeys(), 0);
}

TEST(KeyMapper, MouseButtons) {
    KeyMapper mapper;
    const auto events = MapBytes(
        "\x1b[<0;10;5M\x1b[<1;2;3M\x1b[<2;80;25M\x1b[<0;10;5m\x1b[<64;1;1M\x1b[<35;1;1M\x1b[<16;4;"
        "4M",
        mapper);
    ASSERT_EQ(events.size(), 4u);
    const std::vector<std::array<int, 3>> expected = {
        {1, 5, 10}, {4, 3, 2}, {2, 25, 80}, {1, 4, 4}};
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].type, ConsoleEvent::Type::Mouse);
        EXPECT_EQ(events[i].button, expected[i][0]);
        EXPECT_EQ(events[i].row, expected[i][1]);
        EXPECT_EQ(events[i].column, expected[i][2]);
    }
    EXPECT_EQ(events[3].controlKeys, ck::kLeftCtrl);
}

}  // namespace
}  // namespace vela::terminal
