// A clerk's year-end at the keyboard, in a real terminal (tmux, 80 x 25), on
// the demo installation: the return files chosen on the selection form, the
// presenter form filled in, the run confirmed, every completion message
// read; the files must be those a batch run writes for the same selection.
// Then a listing and the certificates, which reach the print program, and
// Esc, after which the presenter's data is in "Vela.ini".
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

#include "platform/code_page_850.hpp"
#include "tests/support/temp_folder.hpp"
#include "tests/support/tmux_terminal.hpp"

namespace vela {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempFolder;
using testing::TmuxTerminal;

int Shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The return files under an installation root, by their path below it.
std::map<std::string, std::string> ReturnFiles(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        // The check's report names the installation's own folders.
        if (entry.is_regular_file() && entry.path().parent_path().filename() == "190M2025.0A" &&
            entry.path().filename() != "REVISIO.TXT") {
            files[fs::relative(entry.path(), root).string()] = ReadFile(entry.path().string());
        }
    }
    return files;
}

class InteractiveRun : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!TmuxTerminal::Available()) GTEST_SKIP() << "tmux is not installed";
        for (const char* root : {"keyboard", "batch"}) {
            ASSERT_EQ(
                Shell(std::string(BIN_DIR) + "/vela-demo " + folder_.path() + root + " >/dev/null"),
                0);
        }
    }

    std::string Dump() {
        std::string text;
        for (const auto& row : terminal_->Screen()) text += row + "\n";
        return text;
    }
    bool Shows(const std::string& text) {
        for (const auto& row : terminal_->Screen()) {
            if (row.find(text) != std::string::npos) return true;
        }
        return false;
    }
    void Key(const std::string& name) { terminal_->SendKey(name); }

    // Starts the program through the session launcher in the terminal. The
    // exit status is written to a file by a shell around it: tmux may call
    // a pane dead without ever learning the status of its process.
    void Start(const std::string& root, const std::string& sessionOption) {
        statusFile_ = folder_.path() + "status";
        fs::remove(statusFile_);
        terminal_ = std::make_unique<TmuxTerminal>(std::vector<std::string>{
            "/bin/sh", "-c",
            std::string(BIN_DIR) + "/vela-session " + root + " --date 20260115 " + sessionOption +
                " -- KELD0190; echo $? >" + statusFile_});
    }
    bool Ended(int& status) {
        if (!terminal_->WaitFor(
                [&] { return fs::exists(statusFile_) && !ReadFile(statusFile_).empty(); }, 30000)) {
            return false;
        }
        status = std::stoi(ReadFile(statusFile_));
        return true;
    }

    // Waits for the confirmation form, answers, and reads every completion
    // message until the selection form is being edited again. Each message belongs to the
    // territory named in the progress window's frame; a message is answered
    // again when the key came before the message had flushed the keyboard.
    int ConfirmAndReadMessages() {
        EXPECT_TRUE(terminal_->WaitForText("Confirmeu el proc")) << Dump();
        terminal_->SendText("S");
        Key("Enter");
        std::set<std::string> answered;
        for (;;) {
            std::string territory;
            const bool message = terminal_->WaitFor(
                [&] {
                    const bool informe = Shows("INFORME : GENERATS");
                    territory = terminal_->Row(23);
                    if (informe) return answered.count(territory) == 0;
                    // The kind's choice marks: the form is being edited
                    // again, so the print program has finished too.
                    return Shows("Tipus de sortida :\u25c4");
                },
                60000);
            if (!message) {
                ADD_FAILURE() << "neither a message nor the selection form\n" << Dump();
                return -1;
            }
            if (!Shows("INFORME : GENERATS")) break;
            answered.insert(territory);
            Key("Enter");
            while (!terminal_->WaitFor(
                [&] { return !Shows("INFORME") || terminal_->Row(23) != territory; }, 1500)) {
                Key("Enter");
            }
        }
        return static_cast<int>(answered.size());
    }

    // Confirms a listing or certificate run: the print program's page
    // viewer comes up with the documents, Esc leaves it, and the print
    // program's line shows as the completion message until a key.
    void ConfirmViewAndReadCompletion(const std::string& shown) {
        EXPECT_TRUE(terminal_->WaitForText("Confirmeu el proc")) << Dump();
        terminal_->SendText("S");
        Key("Enter");
        ASSERT_TRUE(terminal_->WaitForText("PgUp PgDn Home End", 60000)) << Dump();
        EXPECT_TRUE(terminal_->WaitForText(shown)) << Dump();
        Key("Escape");
        ASSERT_TRUE(terminal_->WaitForText(" DOCUMENTS, ", 30000)) << Dump();
        EXPECT_TRUE(Shows("/ROVODOVO/")) << Dump();
        Key("Enter");
        EXPECT_TRUE(terminal_->WaitForText("Tipus de sortida :\u25c4", 30000)) << Dump();
    }

    TempFolder folder_;
    std::unique_ptr<TmuxTerminal> terminal_;
    std::string statusFile_;
};

TEST_F(InteractiveRun, AClerksYearEndFromTheKeyboard) {
    const std::string root = folder_.path() + "keyboard";
    const std::string session = folder_.path() + "session";
    Start(root, "--session " + session);
    ASSERT_TRUE(terminal_->WaitForText("Tipus de sortida :")) << Dump();
    // The starting values: a listing, the last year, every owner.
    EXPECT_TRUE(Shows("Llistat anual de retencions")) << Dump();
    EXPECT_TRUE(Shows("Data de tancament : 31/12/2025")) << Dump();

    // Return files: "S" on the kind, the date and owners as they are.
    terminal_->SendText("S");
    for (int field = 1; field <= 4; ++field) Key("Enter");
    ASSERT_TRUE(terminal_->WaitForText("DADES PRESENTADOR")) << Dump();
    Key("C-y");
    terminal_->SendText("FERRER COLL JORDI");
    Key("Enter");
    Key("C-y");
    terminal_->SendText("972101010");
    Key("Enter");
    const int messages = ConfirmAndReadMessages();
    EXPECT_GT(messages, 1);

    // The same selection in a batch run on an identical installation.
    const std::string batchRoot = folder_.path() + "batch";
    ASSERT_EQ(Shell(std::string(BIN_DIR) + "/vela-session " + batchRoot +
                    " --date 20260115 --session " + folder_.path() +
                    "batch-session -- KELD0190 --batch --kind S --closing 311225 --first 1"
                    " --last 9999 --contact-name \"FERRER COLL JORDI\" --contact-phone 972101010"
                    " >" +
                    folder_.path() + "batch.txt 2>&1"),
              5)  // the demo office's faults, found by the check of the files
        << ReadFile(folder_.path() + "batch.txt");
    const auto keyboardFiles = ReturnFiles(root);
    const auto batchFiles = ReturnFiles(batchRoot);
    EXPECT_GT(keyboardFiles.size(), 3u);
    EXPECT_EQ(keyboardFiles.size(), batchFiles.size());
    for (const auto& [path, contents] : keyboardFiles) {
        const auto other = batchFiles.find(path);
        ASSERT_NE(other, batchFiles.end()) << path;
        EXPECT_TRUE(contents == other->second) << path << " differs from the batch run's";
    }

    // A listing: "R" takes the presenter form out of the way.
    terminal_->SendText("R");
    for (int field = 1; field <= 4; ++field) Key("Enter");
    ConfirmViewAndReadCompletion("RELACIÓ ANYAL DE RETENCIONS");
    bool listed = false;
    for (const auto& entry : fs::recursive_directory_iterator(session + "/ROVODOVO")) {
        listed = listed || (entry.path().extension() == ".txt" &&
                            ReadFile(entry.path().string()).find("RELACIÓ ANYAL DE RETENCIONS") !=
                                std::string::npos);
    }
    EXPECT_TRUE(listed) << "no listing among the print program's documents";

    // Certificates, then Esc ends the program.
    terminal_->SendText("C");
    for (int field = 1; field <= 4; ++field) Key("Enter");
    ConfirmViewAndReadCompletion("Certificat de retencions");
    EXPECT_NE(ReadFile(session + "/ROVODOVO.INI").find("Correu=S"), std::string::npos);
    Key("Escape");
    int status = -1;
    ASSERT_TRUE(Ended(status)) << Dump();
    EXPECT_EQ(status, 0);
    const std::string ini = ReadFile(root + "/Vela.ini");
    EXPECT_NE(ini.find("Nom=FERRER COLL JORDI" + std::string(23, ' ') + "\r\n"), std::string::npos)
        << ini;
    EXPECT_NE(ini.find("Telefon=972101010\r\n"), std::string::npos) << ini;
}

TEST_F(InteractiveRun, EscOnTheFirstShowingStillWritesThePresenterBack) {
    const std::string root = folder_.path() + "keyboard";
    fs::remove(root + "/Vela.ini");
    Start(root, "");
    ASSERT_TRUE(terminal_->WaitForText("Tipus de sortida :")) << Dump();
    Key("Escape");
    int status = -1;
    ASSERT_TRUE(Ended(status)) << Dump();
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFile(root + "/Vela.ini"), "[Presentador]\r\nNom=" + std::string(40, ' ') +
                                                "\r\nTelefon=" + std::string(9, ' ') + "\r\n");
}

}  // namespace
}  // namespace vela
