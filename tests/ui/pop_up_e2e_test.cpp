// The pop-up tools in a real terminal: Alt+X and Alt+C typed through tmux
// open the calculator and the calendar over a field, and what they return
// arrives in the field as typed keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/temp_folder.hpp"
#include "tests/support/tmux_terminal.hpp"

namespace vela {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::TempFolder;
using testing::TmuxTerminal;

class PopUpEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!TmuxTerminal::Available()) GTEST_SKIP() << "tmux is not installed";
        terminal_ = std::make_unique<TmuxTerminal>(
            std::vector<std::string>{VELA_POP_UP_FIELD},
            std::vector<std::pair<std::string, std::string>>{{"RUKTMP", session_.path()},
                                                             {"VELA_FRAME_TITLE", "1"}});
        ASSERT_TRUE(terminal_->WaitForRow(10, "CAMP: _")) << Dump();
    }

    std::string Dump() {
        std::string text;
        for (const auto& row : terminal_->Screen()) text += row + "\n";
        return text;
    }

    TempFolder session_;
    std::unique_ptr<TmuxTerminal> terminal_;
};

TEST_F(PopUpEndToEnd, CalculatorResultIsTypedIntoTheField) {
    terminal_->SendKey("M-x");
    ASSERT_TRUE(terminal_->WaitFor([&] {
        return terminal_->Row(24).find(" 0  ") != std::string::npos;
    })) << Dump();
    terminal_->SendText("200+10%");
    ASSERT_TRUE(terminal_->WaitFor([&] {
        return terminal_->Row(24).find(" 20  ") != std::string::npos;
    })) << Dump();
    terminal_->SendText("=");
    terminal_->SendText("F");
    EXPECT_TRUE(terminal_->WaitForRow(10, "CAMP: 22000_")) << Dump();
    EXPECT_TRUE(FileExists(session_ / "RUKCALC.TMP"));
    EXPECT_EQ(ReadFile(session_ / "RUKCALC.TMP").substr(0, 10), "1,19,220,2");
}

TEST_F(PopUpEndToEnd, CalendarDateIsTypedIntoTheField) {
    terminal_->SendKey("M-c");
    ASSERT_TRUE(terminal_->WaitForText(" 2024 ")) << Dump();
    terminal_->SendKey("Right");
    terminal_->SendText("f");
    EXPECT_TRUE(terminal_->WaitForRow(10, "CAMP: 1/3/2024")) << Dump();
    terminal_->SendKey("M-c");
    ASSERT_TRUE(terminal_->WaitForText(" 2024 ")) << Dump();
    terminal_->SendKey("Escape");
    // Esc and a key right after it would arrive as Alt with that key.
    ASSERT_TRUE(terminal_->WaitFor([&] {
        return terminal_->Row(1).find("2024") == std::string::npos;
    })) << Dump();
    terminal_->SendText("X");
    EXPECT_TRUE(terminal_->WaitForRow(10, "CAMP: 1/3/2024  X_")) << Dump();
}

}  // namespace
}  // namespace vela
