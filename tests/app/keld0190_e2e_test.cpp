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
        terminal_ = std::make_unique<TmuxTerminal>(std::vector<std::string>{
            std::string(BIN_DIR) + "/vela-session", folder_->path() + "root", "--date", "20260115",
            "--session", session_.path(), "--", "KELD0190"});
        ASSERT_TRUE(terminal_->WaitForText("Del propietari : 1")) << Dump();
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

}  // namespace
}  // namespace vela
