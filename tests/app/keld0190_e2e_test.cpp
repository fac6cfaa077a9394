// The interactive program in a real terminal: KELD0190 started through a
// session on a demo installation, run in tmux at 80 x 25, with the owner
// list on F4 and the two pop-up tools typing into the selection form.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/temp_folder.hpp"
#include "tests/support/tmux_terminal.hpp"

namespace vela {
namespace {

using testing::TempFolder;
using testing::TmuxTerminal;

class Keld0190EndToEnd : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder_ = new TempFolder;
        const std::string demo =
            std::string(BIN_DIR) + "/vela-demo " + folder_->path() + "root >/dev/null";
        const int status = std::system(demo.c_str());
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }
    void SetUp() override {
        if (!TmuxTerminal::Available()) GTEST_SKIP() << "tmux is not installed";
        Start("CAT");
        ASSERT_TRUE(terminal_->WaitForText("Del propietari : 1")) << Dump();
    }
    void Start(const std::string& language) {
        terminal_.reset();
        terminal_ = std::make_unique<TmuxTerminal>(std::vector<std::string>{
            std::string(BIN_DIR) + "/vela-session", folder_->path() + "root", "--date", "20260115",
            "--lang", language, "--session", session_.path(), "--", "KELD0190"});
    }

    std::string Dump() {
        std::string text;
        for (const auto& row : terminal_->Screen()) text += row + "\n";
        return text;
    }
    bool RowHas(int row, const std::string& text) {
        return terminal_->WaitFor(
            [&] { return terminal_->Row(row).find(text) != std::string::npos; });
    }

    static TempFolder* folder_;
    TempFolder session_;
    std::unique_ptr<TmuxTerminal> terminal_;
};

TempFolder* Keld0190EndToEnd::folder_ = nullptr;

TEST_F(Keld0190EndToEnd, F4OnTheFirstOwnerPicksAnOwnerByTheBeginningOfItsName) {
    terminal_->SendKey("Down");
    terminal_->SendKey("Down");
    terminal_->SendKey("F4");
    ASSERT_TRUE(terminal_->WaitForText("Nom del propietari :")) << Dump();
    terminal_->SendText("garc");
    terminal_->SendKey("Enter");
    ASSERT_TRUE(terminal_->WaitForText(" PROPIETARIS ")) << Dump();
    // The demo office's owners whose names begin with GARC, by name.
    ASSERT_TRUE(RowHas(6, "0009  GARCIA CORT")) << Dump();
    terminal_->SendKey("Enter");
    EXPECT_TRUE(RowHas(9, "Del propietari : 0009")) << Dump();
    EXPECT_TRUE(terminal_->WaitFor([&] {
        return terminal_->Screen()[5].find("PROPIETARIS") == std::string::npos;
    })) << Dump();
}

TEST_F(Keld0190EndToEnd, AltCAndAltXTypeTheirResultsIntoTheField) {
    terminal_->SendKey("Down");
    terminal_->SendKey("M-c");
    ASSERT_TRUE(terminal_->WaitForText(" 2026 ")) << Dump();
    terminal_->SendKey("Right");
    terminal_->SendText("f");
    EXPECT_TRUE(RowHas(7, "Data de tancament : 16/1/2026")) << Dump();
    // Down stores the date; the owner field is edited next.
    terminal_->SendKey("Down");
    terminal_->SendKey("M-x");
    ASSERT_TRUE(terminal_->WaitForText("└────")) << Dump();
    terminal_->SendText("12");
    terminal_->SendText("F");
    EXPECT_TRUE(RowHas(9, "Del propietari : 1200")) << Dump();
}

TEST_F(Keld0190EndToEnd, EscInTheOwnerFilterLeavesTheFieldWithItsOwnKeys) {
    terminal_->SendKey("Down");
    terminal_->SendKey("Down");
    terminal_->SendKey("F4");
    ASSERT_TRUE(terminal_->WaitForText("Nom del propietari :")) << Dump();
    terminal_->SendKey("Escape");
    ASSERT_TRUE(terminal_->WaitFor([&] {
        return Dump().find("Nom del propietari") == std::string::npos;
    })) << Dump();
    // F3 is none of the selection form's keys: it does nothing, and the
    // owner field goes on being edited.
    terminal_->SendKey("F3");
    terminal_->SendText("7");
    EXPECT_TRUE(RowHas(9, "Del propietari : 7")) << Dump();
    const std::string screen = Dump();
    EXPECT_EQ(screen.find("PRESENTADOR"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("PROCESSANT"), std::string::npos) << screen;
    // Enter stores it and goes on to the last owner.
    terminal_->SendKey("Enter");
    terminal_->SendText("8");
    EXPECT_TRUE(RowHas(11, "Al propietari : 8")) << Dump();
}

TEST_F(Keld0190EndToEnd, ATerminalMadeTooSmallWaitsInTheSessionsLanguage) {
    Start("SPA");
    ASSERT_TRUE(terminal_->WaitForText("Del propietario : 1")) << Dump();
    // The owner list open over the selection form.
    terminal_->SendKey("Down");
    terminal_->SendKey("Down");
    terminal_->SendKey("F4");
    ASSERT_TRUE(terminal_->WaitForText("Nombre de propietario :")) << Dump();
    terminal_->SendText("garc");
    terminal_->SendKey("Enter");
    ASSERT_TRUE(RowHas(6, "0009  GARCIA CORT")) << Dump();
    const auto before = terminal_->ScreenWithColours();
    const std::string cursor = terminal_->Cursor();

    terminal_->Resize(20, 60);
    ASSERT_TRUE(terminal_->WaitForText("SE NECESITA UN TERMINAL DE 80 COLUMNAS POR 25 FILAS"))
        << Dump();
    // Not acted on: Esc would close the list, Enter choose an owner.
    terminal_->SendKey("Escape");
    terminal_->SendKey("Down");
    terminal_->SendKey("Enter");

    terminal_->Resize(25, 80);
    EXPECT_TRUE(terminal_->WaitFor([&] { return terminal_->ScreenWithColours() == before; }))
        << Dump();
    EXPECT_EQ(terminal_->Cursor(), cursor);
    // The list carries on where it stood: Enter chooses the first owner.
    terminal_->SendKey("Enter");
    EXPECT_TRUE(RowHas(9, "Del propietario : 0009")) << Dump();
}

}  // namespace
}  // namespace vela
