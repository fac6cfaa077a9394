#include "ui/keyboard.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "platform/headless_console.hpp"

namespace vela {
namespace {

namespace ck = control_keys;

class KeyboardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetKeyboard();
        console_ = &InstallHeadless();
    }
    void TearDown() override {
        ResetKeyboard();
        InstallConsole(nullptr);
    }

    std::int16_t Read() {
        std::int16_t key = 0, button = 0, row = 0, column = 0;
        ReadKey(key, button, row, column);
        return key;
    }
    std::int16_t Wait() {
        std::int16_t key = 0;
        WaitKey(key);
        return key;
    }

    HeadlessConsole* console_ = nullptr;
};

TEST_F(KeyboardTest, KeyCodesWithModifiers) {
    struct Case {
        const char* name;
        std::uint8_t character;
        std::uint8_t scanCode;
        std::uint16_t controlKeys;
        std::uint16_t code;
    };
    const std::vector<Case> cases = {
        {"a", 'a', 0x1e, 0, 0x61},
        {"e acute", 130, 0x12, 0, 0x82},
        {"Enter", 0x0d, 0x1c, 0, 0x0d},
        {"Esc", 0x1b, 0x01, 0, 0x1b},
        {"Ctrl+A", 0x01, 0x1e, ck::kLeftCtrl, 0x01},
        {"F1", 0, 0x3b, 0, 0x3b00},
        {"F10", 0, 0x44, 0, 0x4400},
        {"F11", 0, 0x85, 0, 0x8500},
        {"F12", 0, 0x86, 0, 0x8600},
        {"Alt+F1", 0, 0x3b, ck::kLeftAlt, 0x6800},
        {"Alt+F10", 0, 0x44, ck::kRightAlt, 0x7100},
        {"Alt+F12", 0, 0x86, ck::kLeftAlt, 0x8c00},
        {"Ctrl+F1", 0, 0x3b, ck::kLeftCtrl, 0x5e00},
        {"Ctrl+F10", 0, 0x44, ck::kRightCtrl, 0x6700},
        {"Ctrl+F11", 0, 0x85, ck::kLeftCtrl, 0x8900},
        {"Shift+F1", 0, 0x3b, ck::kShift, 0x5400},
        {"Shift+F10", 0, 0x44, ck::kShift, 0x5d00},
        {"Shift+F12", 0, 0x86, ck::kShift, 0x8800},
        {"Ctrl+Home", 0, 0x47, ck::kLeftCtrl, 0x7700},
        {"Ctrl+Left", 0, 0x4b, ck::kLeftCtrl, 0x7300},
        {"Ctrl+Right", 0, 0x4d, ck::kRightCtrl, 0x7400},
        {"Ctrl+End keeps End", 0, 0x4f, ck::kLeftCtrl, 0x4f00},
        {"Shift+Home keeps Home", 0, 0x47, ck::kShift, 0x4700},
        // Only the first modifier held counts: Alt, then Ctrl, then Shift.
        {"Alt+Ctrl+F1", 0, 0x3b, ck::kRightAlt | ck::kLeftCtrl, 0x6800},
        {"Ctrl+Shift+F2", 0, 0x3c, ck::kLeftCtrl | ck::kShift, 0x5f00},
        {"Alt+Ctrl+Left", 0, 0x4b, ck::kRightAlt | ck::kLeftCtrl, 0x4b00},
        {"Alt+X", 0, 0x2d, ck::kRightAlt, 0x2d00},
        {"Alt+E is the euro sign", 0, 0x12, ck::kRightAlt, 0xd5},
        {"PgDn", 0, 0x51, 0, 0x5100},
        {"Insert", 0, 0x52, 0, 0x5200},
    };
    for (const auto& c : cases) {
        ConsoleEvent event;
        event.type = ConsoleEvent::Type::Key;
        event.character = c.character;
        event.scanCode = c.scanCode;
        event.controlKeys = c.controlKeys;
        console_->PushEvent(event);
        EXPECT_EQ(static_cast<std::uint16_t>(Read()), c.code) << c.name;
    }
}

TEST_F(KeyboardTest, AltAndTheKeypadTypeACharacterByItsCode) {
    struct Case {
        std::vector<std::uint8_t> keypad;  // scan codes of the keys typed
        std::int16_t code;
    };
    const std::vector<Case> cases = {
        {{0x4f, 0x51, 0x52}, 0x82},  // 1 3 0: é
        {{0x51, 0x50, 0x4f}, 0x41},  // 3 2 1: 321 mod 256 is "A"
        {{0x4c, 0x49}, 59},          // centre and PgUp are 5 and 9
        {{0x50, 0x4d, 0x4d, 0x4b}, static_cast<std::int16_t>(2664 % 256)},
    };
    for (const auto& c : cases) {
        console_->PushControlState(ck::kLeftAlt);
        for (std::uint8_t scan : c.keypad) {
            console_->PushExtended(scan, ck::kLeftAlt);
            console_->PushEvent({ConsoleEvent::Type::Key, false, 0, scan, ck::kLeftAlt});
        }
        console_->PushPause();  // Alt still held while the user thinks
        console_->PushControlState(0);
        console_->PushCharacter('z');
        EXPECT_EQ(Read(), c.code);
        EXPECT_EQ(Read(), 'z');
    }
}

TEST_F(KeyboardTest, AltKeypadEndsAtAnotherKeyAndNeedsTheLeftAlt) {
    // Another key ends the digits; the character typed so far is the key.
    console_->PushExtended(0x4f, ck::kLeftAlt);
    console_->PushExtended(0x3b, ck::kLeftAlt);
    console_->PushCharacter('q');
    EXPECT_EQ(Read(), 1);
    EXPECT_EQ(Read(), 'q');
    // The right Alt does not type codes.
    console_->PushExtended(0x4f, ck::kRightAlt);
    EXPECT_EQ(Read(), 0x4f00);
    // Alt with F1 is Alt+F1.
    console_->PushExtended(0x3b, ck::kLeftAlt);
    EXPECT_EQ(Read(), 0x6800);
}

TEST_F(KeyboardTest, MouseClicks) {
    console_->PushClick(5, 10, mouse_buttons::kLeft);
    std::int16_t key = -1, button = 0, row = 0, column = 0;
    ReadKey(key, button, row, column);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(button, 1);
    EXPECT_EQ(row, 5);
    EXPECT_EQ(column, 10);
    EXPECT_FALSE(console_->MouseEnabled());  // off again after a click

    console_->PushClick(25, 80, mouse_buttons::kRight);
    EXPECT_EQ(Wait(), static_cast<std::int16_t>(80 * 256 + 2 * 64 + 25));

    ReadKey(key, button, row, column);  // nothing waiting: mouse stays on
    EXPECT_EQ(key, 0);
    EXPECT_TRUE(console_->MouseEnabled());
}

TEST_F(KeyboardTest, NoMouseButtonsMeansNoMouseForGood) {
    console_->SetMouseButtons(0);
    console_->PushClick(5, 10);
    console_->PushCharacter('a');
    EXPECT_EQ(Wait(), 'a');
    EXPECT_FALSE(console_->MouseEnabled());
    console_->SetMouseButtons(3);
    console_->PushClick(5, 10);
    console_->PushCharacter('b');
    EXPECT_EQ(Wait(), 'b');
}

TEST_F(KeyboardTest, WaitKeySkipsReleasesAndModifierChanges) {
    console_->PushControlState(ck::kShift);
    console_->PushEvent({ConsoleEvent::Type::Key, false, 'a', 0x1e, 0});
    console_->PushPause();
    console_->PushExtended(0x44, ck::kShift);
    EXPECT_EQ(Wait(), 0x5d00);
    EXPECT_EQ(console_->ExhaustedReads(), 0);
}

TEST_F(KeyboardTest, WaitEventWaitsAndReportsAClickUnfolded) {
    console_->PushControlState(ck::kShift);
    console_->PushPause();
    console_->PushClick(25, 200, mouse_buttons::kMiddle);  // too wide to fold into a key
    console_->PushExtended(0x44, ck::kShift);
    std::int16_t key = -1, button = 0, row = 0, column = 0;
    WaitEvent(key, button, row, column);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(button, 4);
    EXPECT_EQ(row, 25);
    EXPECT_EQ(column, 200);
    WaitEvent(key, button, row, column);
    EXPECT_EQ(key, 0x5d00);
    EXPECT_EQ(button, 0);
    EXPECT_EQ(console_->ExhaustedReads(), 0);
}

TEST_F(KeyboardTest, PendingKeysComeFirst) {
    console_->PushCharacter('z');
    pendingKeys = "ab";
    EXPECT_EQ(Read(), 'a');
    EXPECT_EQ(Wait(), 'b');
    EXPECT_EQ(Read(), 'z');
    EXPECT_EQ(Read(), 0);
}

TEST_F(KeyboardTest, HotKeysTypeTheToolsResultAfterTheHotKey) {
    int calls = 0;
    SetCalculatorTool([&] {
        ++calls;
        // The tool reads keys itself; its own Alt+X opens nothing.
        EXPECT_EQ(Read(), 0x2d00);
        return std::string("1234");
    });
    console_->PushExtended(0x2d, ck::kLeftAlt);
    console_->PushExtended(0x2d, ck::kLeftAlt);
    console_->PushCharacter('!');
    EXPECT_EQ(Wait(), 0x2d00);
    for (char c : std::string("1234")) EXPECT_EQ(Read(), c);
    EXPECT_EQ(Read(), '!');
    EXPECT_EQ(calls, 1);

    // No calendar yet: Alt+C is only returned.
    console_->PushExtended(0x2e, ck::kLeftAlt);
    EXPECT_EQ(Read(), 0x2e00);
    EXPECT_TRUE(pendingKeys.empty());
}

TEST_F(KeyboardTest, FlushKeysDiscardsWaitingInputAndTheQueuedKeys) {
    console_->PushText("abc");
    console_->PushPause();
    console_->PushCharacter('d');
    pendingKeys = "1250";  // a pop-up tool's result not yet typed
    FlushKeys();
    EXPECT_EQ(Wait(), 'd');
    EXPECT_TRUE(pendingKeys.empty());
}

TEST_F(KeyboardTest, ExitKeyTable) {
    SetExitKeys("ea", "4d00,4b00,3c00=1b,1b");
    EXPECT_EQ(exitKeys, std::string("\x00\x4d\x00\x4b\x00\x3c\x1b\x00", 8));
    EXPECT_EQ(exitResults, std::string("\x00\x4d\x00\x4b\x1b\x00\x1b\x00", 8));
    // F2 ends the field as if Esc had been pressed.
    EXPECT_EQ(ExitResult(ExitKeyIndex(0x3c00)), 0x1b);
    EXPECT_EQ(ExitKeyIndex(0x4b00), 1);
    // A code found only across two entries is not in the table.
    EXPECT_EQ(ExitKeyIndex(0x004d), -1);
    EXPECT_EQ(ExitKeyIndex(0x3c4b), -1);

    SetExitKeys("D", "4b00,5000");
    EXPECT_EQ(exitKeys, std::string("\x00\x4d\x00\x3c\x1b\x00", 6));
    EXPECT_EQ(exitResults, std::string("\x00\x4d\x1b\x00\x1b\x00", 6));
    // "A" does not look for duplicates; "D" removes the first.
    SetExitKeys("a", "1b=0d");
    EXPECT_EQ(ExitResult(ExitKeyIndex(0x1b)), 0x1b);
    SetExitKeys("d", "1b");
    EXPECT_EQ(ExitResult(ExitKeyIndex(0x1b)), 0x0d);
}

TEST_F(KeyboardTest, SaveSlotHoldsOneLevel) {
    SetExitKeys("A", "1b");
    const std::string keys = exitKeys;
    SetExitKeys("+E", "");
    EXPECT_TRUE(exitKeys.empty());
    SetExitKeys("-", "");
    EXPECT_EQ(exitKeys, keys);
    EXPECT_EQ(exitResults, keys);

    // A second save before the restore is ignored.
    SetExitKeys("+eA", "0d");
    SetExitKeys("+eA", "4800");
    SetExitKeys("-", "");
    EXPECT_EQ(exitKeys, keys);
    SetExitKeys("-", "");  // slot free: nothing
    EXPECT_EQ(exitKeys, keys);

    // The example of the forms: save, empty, ten keys; later restore.
    SetExitKeys("+ea", "4d00,4b00,5000,4800,5100,4900,4700,4f00,2100,1b");
    EXPECT_EQ(exitKeys.size(), 20u);
    SetExitKeys("-", "");
    EXPECT_EQ(exitKeys, keys);
}

TEST_F(KeyboardTest, ANestedUserGetsAFreeSlotAndPutsEverythingBack) {
    // A field being edited: its table saved in the slot, masked.
    SetExitKeys("ea", "1b");
    const std::string beforeTheForm = exitKeys;
    SetExitKeys("+eah", "0d,5000");
    const std::string fieldKeys = exitKeys;
    SetFieldChoices("|R,listing");
    {
        const NestedKeyTable nested;
        EXPECT_EQ(maskChar, 0);
        // The nested user's own save and restore work as at the top.
        SetExitKeys("+ea", "4800");
        EXPECT_EQ(exitKeys, std::string("\x00\x48", 2));
        SetFieldChoices("");
        {
            const NestedKeyTable deeper;
            SetExitKeys("+eh", "");
            SetExitKeys("-", "");
        }
        EXPECT_EQ(exitKeys, std::string("\x00\x48", 2));
        EXPECT_EQ(maskChar, 0);
        SetExitKeys("-", "");
        EXPECT_EQ(exitKeys, fieldKeys);
        // Even one that saves and never restores.
        SetExitKeys("+e", "");
    }
    EXPECT_EQ(exitKeys, fieldKeys);
    EXPECT_EQ(maskChar, 88);
    EXPECT_EQ(fieldChoices, "|R,listing");
    // The field's restore still finds the table of before the form.
    SetExitKeys("-", "");
    EXPECT_EQ(exitKeys, beforeTheForm);
}

TEST_F(KeyboardTest, MaskSwitchAndOtherLetters) {
    SetExitKeys("h", "");
    EXPECT_EQ(maskChar, 88);
    SetExitKeys("xyz?", "1b");
    EXPECT_EQ(maskChar, 88);
    EXPECT_TRUE(exitKeys.empty());
    SetExitKeys("V", "");
    EXPECT_EQ(maskChar, 0);
    // The list is read once for every letter that uses it.
    SetExitKeys("aa", "0d");
    EXPECT_EQ(exitKeys, std::string("\x0d\x00\x0d\x00", 4));
}

TEST(ParseKeyCode, HexadecimalWithoutPrefix) {
    const std::vector<std::pair<const char*, std::uint16_t>> cases = {
        {"1b", 0x1b}, {"4D00", 0x4d00}, {" 3b00", 0x3b00}, {"", 0},
        {"zz", 0},    {"12x4", 0x12},   {"ffff", 0xffff},  {"12345", 0x2345},
    };
    for (const auto& [text, code] : cases) {
        EXPECT_EQ(static_cast<std::uint16_t>(ParseKeyCode(text)), code) << text;
    }
}

}  // namespace
}  // namespace vela
