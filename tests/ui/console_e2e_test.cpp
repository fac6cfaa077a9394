// The console in a real terminal: the test program runs in tmux at 80 x 25
// and every key travels the whole way, from tmux's encoding through the
// decoder, the key mapper and the key reading to the echo on the screen.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>
#include <vector>

#include "platform/process.hpp"
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

    // The terminal is back in its normal mode: lines edited and echoed,
    // signals from the keyboard.
    void ExpectNormalMode() { ExpectNormalMode(terminal_->SettingsAfterTheEnd()); }
    void ExpectNormalMode(const std::string& stty) {
        std::string settings = " " + stty + " ";
        for (char& c : settings) {
            if (c == '\n') c = ' ';
        }
        for (const char* flag : {" icanon", " echo ", " isig", " icrnl", " opost"}) {
            EXPECT_NE(settings.find(flag), std::string::npos) << flag << "\n" << settings;
        }
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
    ExpectNormalMode();
}

TEST_F(ConsoleEndToEnd, AChildProgramGetsTheNormalTerminalAndTheScreenComesBack) {
    terminal_->SendKey("F2");
    ASSERT_TRUE(terminal_->WaitForText("WINDOW 1")) << Dump();
    const auto before = terminal_->Screen();
    terminal_->SendKey("F5");
    ASSERT_TRUE(terminal_->WaitForText("CHILD RUNNING")) << Dump();
    EXPECT_EQ(Dump().find("KEY ECHO"), std::string::npos) << Dump();
    // The child reads a line in the terminal's normal (cooked) mode.
    terminal_->SendText("yes");
    terminal_->SendKey("Enter");
    ASSERT_TRUE(terminal_->WaitForRow(23, "CHILD 4")) << Dump();
    const auto after = terminal_->Screen();
    for (int row = 0; row < 22; ++row) EXPECT_EQ(after[row], before[row]) << "row " << row + 1;
    // Keys are read as before.
    terminal_->SendKey("F1");
    EXPECT_TRUE(Echoed("3b00", 3)) << Dump();
}

TEST_F(ConsoleEndToEnd, TheTerminalIsGivenBackWhenTheProgramIsKilled) {
    terminal_->SendKey("F2");
    ASSERT_TRUE(terminal_->WaitForText("WINDOW 1")) << Dump();
    const int pid = terminal_->Pid();
    ASSERT_GT(pid, 1);  // never the whole process group
    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    int status = -1;
    ASSERT_TRUE(terminal_->WaitFor([&] { return terminal_->Ended(status); })) << Dump();
    EXPECT_EQ(status, 128 + SIGTERM);
    EXPECT_EQ(Dump().find("KEY ECHO"), std::string::npos) << Dump();
    ExpectNormalMode();
}

TEST_F(ConsoleEndToEnd, TheTerminalIsGivenBackAfterAFatalError) {
    terminal_->SendKey("F2");
    ASSERT_TRUE(terminal_->WaitForText("WINDOW 1")) << Dump();
    terminal_->SendKey("F9");
    int status = -1;
    ASSERT_TRUE(terminal_->WaitFor([&] { return terminal_->Ended(status); })) << Dump();
    EXPECT_EQ(status, 128 + SIGABRT);
    EXPECT_EQ(Dump().find("KEY ECHO"), std::string::npos) << Dump();
    ExpectNormalMode();
}

TEST_F(ConsoleEndToEnd, ContinuedAfterAStopTheTerminalIsTakenAgain) {
    terminal_->SendKey("F2");
    ASSERT_TRUE(terminal_->WaitForText("WINDOW 1")) << Dump();
    const auto before = terminal_->Screen();
    const int pid = terminal_->Pid();
    ASSERT_GT(pid, 1);  // never the whole process group

    // Stopped; meanwhile the shell puts the terminal back in its normal
    // mode and clears the screen.
    ASSERT_EQ(::kill(pid, SIGSTOP), 0);
    ASSERT_EQ(RunPiped({"stty", "sane", "-F", terminal_->Tty()}, "", nullptr), 0);
    testing::WriteFile(terminal_->Tty(), "\x1b[2J\x1b[Hshell$ ");
    ASSERT_TRUE(terminal_->WaitForText("shell$")) << Dump();
    ExpectNormalMode(terminal_->Settings());

    // Continued: raw mode and the whole screen come back; keys are read.
    ASSERT_EQ(::kill(pid, SIGCONT), 0);
    ASSERT_TRUE(terminal_->WaitForText("WINDOW 1")) << Dump();
    EXPECT_TRUE(terminal_->WaitFor(
        [&] { return terminal_->Settings().find("-icanon") != std::string::npos; }));
    const auto after = terminal_->Screen();
    for (int row = 0; row < 22; ++row) EXPECT_EQ(after[row], before[row]) << "row " << row + 1;
    terminal_->SendKey("F1");
    EXPECT_TRUE(Echoed("3b00", 2)) << Dump();
}

TEST_F(ConsoleEndToEnd, TheScreenFollowsTheTerminalsSize) {
    const std::string title = terminal_->Title();
    terminal_->Resize(30, 90);
    // The program draws the whole screen again once it knows.
    ASSERT_TRUE(terminal_->WaitFor([&] { return terminal_->Title() != title; })) << title;
    terminal_->SendKey("F1");
    ASSERT_TRUE(terminal_->WaitForRow(29, "KEY 3b00 N 1")) << Dump();
    EXPECT_TRUE(terminal_->WaitForRow(30, "DEPTH 0 STACK no")) << Dump();
    // Windows still open and close on the larger screen.
    terminal_->SendKey("F4");
    ASSERT_TRUE(terminal_->WaitForText("MISSATGE DE PROVA")) << Dump();
    terminal_->SendKey("F3");
    EXPECT_TRUE(terminal_->WaitFor([&] { return Dump().find("MISSATGE") == std::string::npos; }));
}

TEST_F(ConsoleEndToEnd, ATerminalMadeTooSmallShowsANoticeAndComesBackAsItWas) {
    terminal_->SendKey("F2");  // a window open over the pattern
    ASSERT_TRUE(Echoed("3c00", 1)) << Dump();
    ASSERT_TRUE(terminal_->WaitForText("WINDOW 1")) << Dump();
    const auto before = terminal_->ScreenWithColours();
    const std::string cursor = terminal_->Cursor();

    terminal_->Resize(20, 60);
    ASSERT_TRUE(terminal_->WaitForText("80 COLUMNES PER 25 FILES")) << Dump();
    EXPECT_TRUE(terminal_->WaitForText("60 x 20")) << Dump();
    const std::string notice = Dump();
    EXPECT_EQ(notice.find("WINDOW"), std::string::npos) << notice;
    EXPECT_EQ(notice.find("KEY"), std::string::npos) << notice;
    // Typed while too small: F3 would close the window, Q end the program.
    terminal_->SendKey("F3");
    terminal_->SendText("Q");
    // The notice follows the size while it stays too small.
    terminal_->Resize(24, 79);
    ASSERT_TRUE(terminal_->WaitForText("79 x 24")) << Dump();

    terminal_->Resize(25, 80);
    EXPECT_TRUE(terminal_->WaitFor([&] { return terminal_->ScreenWithColours() == before; }))
        << Dump();
    EXPECT_EQ(terminal_->Cursor(), cursor);
    // The next key read is the first typed after the screen came back.
    terminal_->SendKey("F1");
    EXPECT_TRUE(Echoed("3b00", 2)) << Dump();
    EXPECT_TRUE(terminal_->WaitForRow(25, "DEPTH 1 STACK yes")) << Dump();
}

TEST(ConsoleEndToEndSmall, ATerminalTooSmallIsRefusedClearly) {
    if (!TmuxTerminal::Available()) GTEST_SKIP() << "tmux is not installed";
    TempFolder session;
    TmuxTerminal terminal({VELA_WINDOW_KEY_ECHO}, {{"RUKTMP", session.path()}}, 24, 80);
    int status = -1;
    ASSERT_TRUE(terminal.WaitFor([&] { return terminal.Ended(status); }));
    EXPECT_EQ(status, 2);
    // What a program prints on leaving may have scrolled by the time tmux
    // marks the pane dead.
    EXPECT_NE(terminal.History().find("El terminal té 24 files i 80 columnes; en calen com a "
                                      "mínim 25 i 80."),
              std::string::npos)
        << terminal.History();
}

}  // namespace
}  // namespace vela
