// The console in a real terminal: the test program runs in tmux at 80 x 25
// and every key travels the whole way, from tmux's encoding through the
// decoder, the key mapper and the key reading to the echo on the screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/temp_folder.hpp"
#include "tests/support/tmux_terminal.hpp"

namespace vela {
namespace {

using testing::TempFolder;
using testing::TmuxTerminal;

class ConsoleEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!TmuxTerminal::Available()) GTEST_SKIP() << "tmux is not installed";
        terminal_ = std::make_unique<TmuxTerminal>(
            std::vector<std::string>{VELA_WINDOW_KEY_ECHO},
            std::vector<std::pair<std::string, std::string>>{{"RUKTMP", session_.path()},
                                                             {"VELA_FRAME_TITLE", "1"}});
        ASSERT_TRUE(terminal_->WaitForRow(25, "DEPTH 0 STACK no")) << Dump();
    }

    std::string Dump() {
        std::string text;
        for (const auto& row : terminal_->Screen()) text += row + "\n";
        return text;
    }

    // Waits for the echo of the count-th key.
    bool Echoed(const std::string& code, int count) {
        return terminal_->WaitForRow(24, "KEY " + code + " N " + std::to_string(count));
    }

    TempFolder session_;
    std::unique_ptr<TmuxTerminal> terminal_;
};

TEST_F(ConsoleEndToEnd, KeyCodesThatArrive) {
    struct Case {
        const char* tmuxKey;
        const char* code;
    };
    const std::vector<Case> cases = {
        {"F1", "3b00"},     {"S-F10", "5d00"},  {"C-Left", "7300"}, {"M-x", "2d00"},
        {"IC", "5200"},     {"NPage", "5100"},  {"Escape", "001b"}, {"C-F1", "5e00"},
        {"M-F12", "8c00"},  {"C-Home", "7700"}, {"BTab", "0f00"},   {"Enter", "000d"},
        {"BSpace", "0008"}, {"DC", "5300"},     {"M-e", "00d5"},
    };
    int count = 0;
    for (const auto& c : cases) {
        terminal_->SendKey(c.tmuxKey);
        EXPECT_TRUE(Echoed(c.code, ++count)) << c.tmuxKey << "\n" << Dump();
    }
    terminal_->SendText("a");
    EXPECT_TRUE(Echoed("0061", ++count)) << Dump();
    terminal_->SendText("\xc3\xa9");  // é, 130 in code page 850
    EXPECT_TRUE(Echoed("0082", ++count)) << Dump();
}

TEST_F(ConsoleEndToEnd, MouseClick) {
    terminal_->Click(5, 10);
    // Column 10 x 256 + left button 1 x 64 + row 5.
    EXPECT_TRUE(Echoed("0a45", 1)) << Dump();
    terminal_->Click(25, 80, 2);
    EXPECT_TRUE(Echoed("5099", 2)) << Dump();  // 80 x 256 + 2 x 64 + 25
}

TEST_F(ConsoleEndToEnd, WindowsDrawnAndRemovedRestoreTheScreen) {
    const auto before = terminal_->Screen();
    ASSERT_EQ(before.size(), 25u);
    EXPECT_EQ(before[0].substr(0, 10), " KEY ECHO ");

    terminal_->SendKey("F2");
    ASSERT_TRUE(terminal_->WaitForText("WINDOW 1")) << Dump();
    terminal_->SendKey("F2");
    ASSERT_TRUE(terminal_->WaitForText("WINDOW 2")) << Dump();
    EXPECT_TRUE(terminal_->WaitForRow(25, "DEPTH 2 STACK yes"));
    const auto inner = terminal_->Screen();
    EXPECT_NE(inner[5].find("║   ╔═══"), std::string::npos) << Dump();

    terminal_->SendKey("F3");
    EXPECT_TRUE(terminal_->WaitForRow(25, "DEPTH 1 STACK yes")) << Dump();
    terminal_->SendKey("F4");
    ASSERT_TRUE(terminal_->WaitForText("│ MISSATGE DE PROVA │")) << Dump();
    terminal_->SendKey("F3");
    terminal_->SendKey("F3");
    ASSERT_TRUE(terminal_->WaitForRow(25, "DEPTH 0 STACK no")) << Dump();
    const auto after = terminal_->Screen();
    for (int row = 0; row < 22; ++row) EXPECT_EQ(after[row], before[row]) << "row " << row + 1;
    EXPECT_TRUE(terminal_->Title().starts_with("frame ")) << terminal_->Title();
}

TEST_F(ConsoleEndToEnd, TheTerminalIsGivenBackAtTheEnd) {
    terminal_->SendText("Q");
    int status = -1;
    ASSERT_TRUE(terminal_->WaitFor([&] { return terminal_->Ended(status); })) << Dump();
    EXPECT_EQ(status, 0);
    // Back on the normal screen: nothing of the program's is left there.
    EXPECT_EQ(Dump().find("KEY ECHO"), std::string::npos) << Dump();
}

}  // namespace
}  // namespace vela
