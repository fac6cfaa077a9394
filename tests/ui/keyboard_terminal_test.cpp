// The whole way from the bytes a terminal sends to the program's key codes:
// terminal input (decoder and key mapper) under a console fed with byte
// chunks on a fake clock, read through ReadKey and WaitKey.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/console.hpp"
#include "platform/terminal/terminal_input.hpp"
#include "ui/keyboard.hpp"

namespace vela {
namespace {

// Each chunk arrives at one read; between chunks no time passes unless the
// reader waits on an empty line.
class ByteFedConsole : public ConsoleBackend {
  public:
    void Arrive(std::string chunk) { chunks_.push_back(std::move(chunk)); }

    int Rows() const override { return 25; }
    int Columns() const override { return 80; }
    void Present(const ScreenGrid&) override {}
    bool NextEvent(ConsoleEvent& event, int timeoutMs) override {
        for (;;) {
            if (input_.Pop(event)) return true;
            if (chunks_.empty()) break;
            input_.Feed(chunks_.front(), ++now_);
            chunks_.pop_front();
        }
        now_ += timeoutMs < 0 ? 1000 : timeoutMs;
        input_.Expire(now_);
        if (input_.Pop(event)) return true;
        if (timeoutMs >= 0) return false;
        event = ConsoleEvent{ConsoleEvent::Type::Key, true, 0x1b, 0x01};  // nobody there
        return true;
    }
    std::uint16_t ControlKeyState() const override { return input_.HeldControlKeys(); }
    int MouseButtons() const override { return 3; }
    void EnableMouse(bool) override {}
    void FlushInput() override { input_.Flush(); }
    void Beep() override {}
    void SetClipboard(const std::string&) override {}
    std::string Clipboard() override { return ""; }

  private:
    std::deque<std::string> chunks_;
    terminal::TerminalInput input_;
    long long now_ = 0;
};

class KeyboardOnATerminal : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetKeyboard();
        auto backend = std::make_unique<ByteFedConsole>();
        console_ = backend.get();
        InstallConsole(std::move(backend));
    }
    void TearDown() override {
        ResetKeyboard();
        InstallConsole(nullptr);
    }
    std::uint16_t Read() {
        std::int16_t key = 0, button = 0, row = 0, column = 0;
        ReadKey(key, button, row, column);
        return static_cast<std::uint16_t>(key);
    }
    std::uint16_t Wait() {
        std::int16_t key = 0;
        WaitKey(key);
        return static_cast<std::uint16_t>(key);
    }

    ByteFedConsole* console_ = nullptr;
};

// Kitty keyboard protocol: left Alt down, a keypad digit pressed and
// released (with the Alt modifier), left Alt up.
std::string KittyAltDown() { return "\x1b[57443;3u"; }
std::string KittyAltUp() { return "\x1b[57443;1:3u"; }
std::string KittyKeypad(int digit) {
    const std::string code = std::to_string(57399 + digit);
    return "\x1b[" + code + ";3u\x1b[" + code + ";3:3u";
}

TEST_F(KeyboardOnATerminal, AltAndTheKeypadWithTheKittyProtocol) {
    struct Case {
        std::vector<int> digits;
        std::uint16_t code;
    };
    for (const auto& c : std::vector<Case>{{{1, 3, 0}, 0x82}, {{3, 2, 1}, 0x41}, {{6, 5}, 'A'}}) {
        console_->Arrive(KittyAltDown());
        for (int digit : c.digits) console_->Arrive(KittyKeypad(digit));
        console_->Arrive(KittyAltUp());
        console_->Arrive("z");
        EXPECT_EQ(Wait(), c.code);
        EXPECT_EQ(Wait(), 'z');
    }
}

TEST_F(KeyboardOnATerminal, AltAndTheKeypadInOneRead) {
    // One read brings the whole gesture and the next key: each key counts
    // with the modifiers held at its time.
    console_->Arrive(KittyAltDown() + KittyKeypad(1) + KittyKeypad(3) + KittyKeypad(0) +
                     KittyAltUp() + "\x1b[57400u\x1b[57400;1:3u" + "z");
    EXPECT_EQ(Wait(), 0x82);
    EXPECT_EQ(Wait(), '1');
    EXPECT_EQ(Wait(), 'z');
}

TEST_F(KeyboardOnATerminal, AltReleasedLaterThanTheDigits) {
    console_->Arrive(KittyAltDown() + KittyKeypad(1) + KittyKeypad(3));
    // The reader polls while Alt is held; the last digit and the release
    // come after a while.
    console_->Arrive(KittyKeypad(0));
    console_->Arrive(KittyAltUp());
    EXPECT_EQ(Read(), 0x82);
}

TEST_F(KeyboardOnATerminal, AltWithOtherKeysAndTheRightAlt) {
    console_->Arrive(KittyAltDown() + "\x1b[1;3P\x1b[1;3:3P" + KittyAltUp());
    EXPECT_EQ(Wait(), 0x6800);  // Alt+F1
    // The right Alt does not type codes: the keypad key stays End.
    console_->Arrive("\x1b[57449;3u\x1b[57400;3u\x1b[57449;1:3u");
    EXPECT_EQ(Wait(), 0x4f00);
}

TEST_F(KeyboardOnATerminal, KeysOfXtermAndTmux) {
    struct Case {
        const char* name;
        std::string bytes;
        std::uint16_t code;
    };
    const std::vector<Case> cases = {
        {"F1", "\x1bOP", 0x3b00},
        {"Ctrl+F1", "\x1b[1;5P", 0x5e00},
        {"Alt+F12", "\x1b[24;3~", 0x8c00},
        {"Shift+F10", "\x1b[21;2~", 0x5d00},
        {"Ctrl+Home", "\x1b[1;5H", 0x7700},
        {"Ctrl+Right", "\x1b[1;5C", 0x7400},
        {"Alt+X", "\x1bx", 0x2d00},
        {"Alt+E",
         "\x1b"
         "e",
         0xd5},
        {"Esc alone", "\x1b", 0x1b},
        {"Shift+Tab", "\x1b[Z", 0x0f00},
        {"e acute", "\xc3\xa9", 0x82},
        {"mouse click", "\x1b[<0;10;5M\x1b[<0;10;5m", 0x0a45},
        {"pasted text arrives as keys", "\x1b[200~\xc3\xb1\x1b[201~", 164},
    };
    for (const auto& c : cases) {
        console_->Arrive(c.bytes);
        EXPECT_EQ(Wait(), c.code) << c.name;
    }
}

}  // namespace
}  // namespace vela
