// The field editor and the help window in a real terminal: a small program
// with three fields runs in tmux at 80 x 25, and every key travels from
// tmux's encoding through the decoder and the key reading to the editor.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_folder.hpp"
#include "tests/support/tmux_terminal.hpp"

namespace vela {
namespace {

using testing::TempFolder;
using testing::TmuxTerminal;

class FieldEditorEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!TmuxTerminal::Available()) GTEST_SKIP() << "tmux is not installed";
        std::filesystem::copy(std::filesystem::path(VELA_SOURCE_DIR) / "data/AJUDA",
                              root_ / "AJUDA", std::filesystem::copy_options::recursive);
        terminal_ = std::make_unique<TmuxTerminal>(
            std::vector<std::string>{VELA_FIELD_EDITOR_PROGRAM},
            std::vector<std::pair<std::string, std::string>>{{"RUKTMP", session_.path()},
                                                             {"RUKROOT", root_.path()}});
        ASSERT_TRUE(terminal_->WaitForRow(24, "KEY 0000 POS 1 FIELD 1")) << Dump();
    }

    std::string Dump() {
        std::string text;
        for (const auto& row : terminal_->Screen()) text += row + "\n";
        return text;
    }

    bool Shows(int row, const std::string& text) { return terminal_->WaitForRow(row, text); }

    TempFolder root_;
    TempFolder session_;
    std::unique_ptr<TmuxTerminal> terminal_;
};

TEST_F(FieldEditorEndToEnd, TypingChoosingAndMasking) {
    // Free text: typed in overwrite mode, then Insert and one more letter
    // at the start.
    terminal_->SendText("HELLO WORLD");
    terminal_->SendKey("Home");
    terminal_->SendKey("IC");
    terminal_->SendText("X");
    terminal_->SendKey("Enter");
    ASSERT_TRUE(Shows(24, "KEY 000d POS 2 FIELD 2")) << Dump();
    EXPECT_TRUE(Shows(25, "[XHELLO WORLD        ]")) << Dump();
    EXPECT_EQ(testing::ReadFile(session_ / "Insert.tmp"), "1");

    // Coded field: its description between the marks; the blank steps and
    // a letter jumps.
    EXPECT_TRUE(Shows(7, " KIND     ◄FITXERS    ►")) << Dump();
    terminal_->SendText(" ");
    EXPECT_TRUE(Shows(7, " KIND     ◄LLISTAT    ►")) << Dump();
    terminal_->SendText("c");
    EXPECT_TRUE(Shows(7, " KIND     ◄CERTIFICATS►")) << Dump();
    terminal_->SendKey("Down");
    ASSERT_TRUE(Shows(24, "KEY 5000 POS 1 FIELD 3")) << Dump();
    EXPECT_TRUE(Shows(25, "[C]")) << Dump();
    EXPECT_TRUE(Shows(7, " KIND      CERTIFICATS")) << Dump();

    // Masked field: only echo characters on the screen. Shift+Tab is Up.
    terminal_->SendText("abc");
    terminal_->SendKey("BTab");
    ASSERT_TRUE(Shows(24, "KEY 4800 POS 4 FIELD 2")) << Dump();
    EXPECT_TRUE(Shows(25, "[abc     ]")) << Dump();
    EXPECT_TRUE(Shows(9, " CODE      XXXXXXXX")) << Dump();

    // Back to the first field: Ctrl+Y clears it, Tab is Enter.
    terminal_->SendKey("Up");
    ASSERT_TRUE(Shows(24, "KEY 4800 POS 1 FIELD 1")) << Dump();
    terminal_->SendKey("C-y");
    terminal_->SendKey("Tab");
    ASSERT_TRUE(Shows(24, "KEY 000d POS 1 FIELD 2")) << Dump();
    EXPECT_TRUE(Shows(25, "[                    ]")) << Dump();

    // Esc ends the program, which then prints the three texts on the
    // normal screen. (The pane's exit status is not looked at: tmux may
    // report the pane dead before it knows the status.)
    terminal_->SendKey("Escape");
    EXPECT_TRUE(terminal_->WaitForText("[abc     ]")) << Dump();
    int status = -1;
    EXPECT_TRUE(terminal_->WaitFor([&] { return terminal_->Ended(status); })) << Dump();
}

TEST_F(FieldEditorEndToEnd, ClicksInsideAndOutside) {
    terminal_->SendText("ABCDEF");
    terminal_->Click(5, 14);  // on C
    terminal_->SendText("Z");
    terminal_->Click(12, 40);
    // The click outside ends the edit: -(100 x 40 + 12) = -4012.
    ASSERT_TRUE(Shows(24, "KEY f054 POS 4 FIELD 1")) << Dump();
    EXPECT_TRUE(Shows(25, "[ABZDEF              ]")) << Dump();
}

TEST_F(FieldEditorEndToEnd, HelpWindowOnF1) {
    terminal_->SendKey("F1");
    ASSERT_TRUE(terminal_->WaitForText("KELD0190 - MODEL 190: RESUM ANUAL DE RETENCIONS"))
        << Dump();
    EXPECT_TRUE(Shows(4, "╔═════")) << Dump();
    terminal_->SendKey("NPage");
    ASSERT_TRUE(terminal_->WaitForText("TECLES")) << Dump();
    terminal_->SendKey("F1");
    ASSERT_TRUE(terminal_->WaitForText("AJUDA DEL MENÚ")) << Dump();
    terminal_->SendKey("Escape");
    ASSERT_TRUE(terminal_->WaitForText("TECLES")) << Dump();
    terminal_->SendKey("Escape");
    ASSERT_TRUE(Shows(24, "KEY 3b00 POS 1 FIELD 1")) << Dump();
    EXPECT_EQ(Dump().find("TECLES"), std::string::npos) << Dump();
}

}  // namespace
}  // namespace vela
