// The batch mode end to end, as an office scripts its year-end: a demo
// installation, a session, one run per output kind.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::TempFolder;

class BatchRunE2e : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder_ = new TempFolder;
        ASSERT_EQ(Run(std::string(BIN_DIR) + "/vela-demo " + folder_->path() + "root >/dev/null"),
                  0);
    }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }
    static int Run(const std::string& command) {
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    int Batch(const std::string& arguments) {
        return Run(std::string(BIN_DIR) + "/vela-session " + root() +
                   " --date 20260115 --session " + folder_->path() +
                   "session -- KELD0190 --batch " + arguments + " > " + folder_->path() +
                   "out.txt 2> " + folder_->path() + "err.txt");
    }
    std::string root() const { return folder_->path() + "root"; }
    std::string Output() const { return ReadFile(folder_->path() + "out.txt"); }
    std::string Errors() const { return ReadFile(folder_->path() + "err.txt"); }
    static TempFolder* folder_;
};
TempFolder* BatchRunE2e::folder_ = nullptr;

TEST_F(BatchRunE2e, ReturnFilesForEveryTerritoryWithWithholdings) {
    // The demo office's data holds faults that the check of the files
    // written reports as errors: exit status 5.
    ASSERT_EQ(Batch("--kind S --closing 31.12.2025 --first 1 --last 9999 --contact-name \"GARCIA "
                    "LOPEZ ANNA\" --contact-phone 933000000"),
              5)
        << Output();
    EXPECT_NE(Output().find("INFORME : GENERATS"), std::string::npos);
    // Standard output holds the run's messages and nothing else, each with
    // the counts of the check of its folder.
    const std::string out = Output();
    for (std::size_t at = 0; at < out.size(); at = out.find('\n', at) + 1) {
        EXPECT_EQ(out.compare(at, 19, "INFORME : GENERATS "), 0) << out;
        const std::string line = out.substr(at, out.find('\n', at) - at);
        EXPECT_NE(line.find(" - REVISIÓ: "), std::string::npos) << line;
        EXPECT_NE(line.find("/190M2025.0A/REVISIO.TXT"), std::string::npos) << line;
    }
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root())) {
        if (entry.path().filename().string().rfind("P", 0) == 0 &&
            entry.path().parent_path().filename() == "190M2025.0A") {
            const std::string file = ReadFile(entry.path());
            ASSERT_GT(file.size(), 502u);
            EXPECT_EQ(file.size() % 502, 0u);
            EXPECT_EQ(file.substr(0, 8), "11902025");
            EXPECT_EQ(file.substr(502, 8), "21902025");
            EXPECT_TRUE(FileExists((entry.path().parent_path() / "REVISIO.TXT").string()))
                << entry.path();
            ++files;
        }
    }
    EXPECT_GT(files, 3);
    // The presenter typed on the command line is kept for the next run.
    EXPECT_NE(ReadFile(root() + "/Vela.ini").find("Nom=GARCIA LOPEZ ANNA"), std::string::npos);
}

// The print program's one line: the run folder, then its counts.
std::string RunFolderOf(const std::string& output) {
    const auto counts = output.find(": ");
    return counts == std::string::npos ? std::string() : output.substr(0, counts);
}

// The demo office holds a case of every check: its data in this year's
// run, its sample files in last year's folder.
TEST_F(BatchRunE2e, TheDemoOfficeShowsEveryCheck) {
    ASSERT_EQ(Batch("--kind S --closing 31.12.2025 --first 1 --last 9999 --contact-name \"GARCIA "
                    "LOPEZ ANNA\" --contact-phone 933000000"),
              5);
    const auto codes = [](const std::string& report) {
        std::set<std::string> found;
        for (std::size_t at = 0; at < report.size(); at = report.find('\n', at) + 1) {
            const std::string line = report.substr(at, report.find('\n', at) - at);
            const std::size_t severity =
                line.find(": E ") != std::string::npos ? line.find(": E ") : line.find(": W ");
            if (severity == std::string::npos) continue;
            const std::size_t code = severity + 4;
            found.insert(line.substr(code, line.find(' ', code) - code));
        }
        return found;
    };
    std::set<std::string> run;
    for (const char* folder : {"AEAT", "DFA", "TERR10"}) {
        for (const std::string& code :
             codes(ReadFile(root() + "/" + folder + "/190M2025.0A/REVISIO.TXT"))) {
            run.insert(code);
        }
    }
    EXPECT_EQ(run, (std::set<std::string>{"D1", "D2", "D6", "D9", "F5", "P1", "P3", "P4", "P7",
                                          "P8", "P11", "P12", "P13", "P15"}));

    ASSERT_EQ(Run(std::string(BIN_DIR) + "/check190 " + root() + "/AEAT/190M2024.0A > " +
                  folder_->path() + "check.txt"),
              2);
    EXPECT_EQ(codes(ReadFile(folder_->path() + "check.txt")),
              (std::set<std::string>{"D4", "D5", "D8", "F1", "F2", "F3", "F4", "P5", "P6"}));
    // With last year's listing at hand: X1 for owner 0002.
    EXPECT_EQ(Run(std::string(BIN_DIR) + "/check190 --listing " + root() + "/LLISTAT2024.TXT " +
                  root() + "/AEAT/190M2024.0A/P0002 > " + folder_->path() + "check.txt"),
              2);
    EXPECT_EQ(codes(ReadFile(folder_->path() + "check.txt")), (std::set<std::string>{"F1", "X1"}));
}

TEST_F(BatchRunE2e, ListingAndCertificatesReachThePrintProgram) {
    ASSERT_EQ(Batch("--kind R --closing 311225 --first 1 --last 9999"), 0) << Output();
    // The completion message is the print program's line, on standard output.
    const std::string listingRun = RunFolderOf(Output());
    EXPECT_EQ(listingRun.rfind(folder_->path() + "session/ROVODOVO/", 0), 0u) << Output();
    EXPECT_NE(Output().find(": 1 DOCUMENTS, "), std::string::npos) << Output();
    const std::string listing = ReadFile(listingRun + "/DOC0001.txt");
    EXPECT_NE(listing.find("RELACIÓ ANYAL DE RETENCIONS"), std::string::npos);
    EXPECT_NE(listing.find("INGRESSOS A COMPTE"), std::string::npos);
    EXPECT_TRUE(FileExists(listingRun + "/DOC0001.pdf"));

    ASSERT_EQ(Batch("--kind C --closing 31.12.2025 --first 1 --last 9999"), 0) << Output();
    const std::string certificateRun = RunFolderOf(Output());
    ASSERT_NE(certificateRun, listingRun);  // every run has a folder of its own
    const std::string index = ReadFile(certificateRun + "/INDEX.txt");
    EXPECT_NE(index.find("@"), std::string::npos);
    EXPECT_NE(index.find("to print"), std::string::npos);
    EXPECT_TRUE(FileExists(certificateRun + "/DOC0002.txt"));
    EXPECT_FALSE(FileExists(certificateRun + "/DOC0002.txt.new"));
    EXPECT_NE(Output().find("CORREUS DESATS A LA CARPETA"), std::string::npos) << Output();
    EXPECT_NE(ReadFile(folder_->path() + "session/ROVODOVO.INI").find("Correu=S"),
              std::string::npos);
}

TEST_F(BatchRunE2e, RejectedSelectionsSayWhy) {
    EXPECT_EQ(Batch("--kind S --closing 31.12.2025 --first 1 --last 9999 --contact-name \"GARCIA "
                    "LOPEZ\" --contact-phone \"\""),
              3);
    EXPECT_NE(Output().find("NOM DE CONTACTE INCORRECTE"), std::string::npos);
    EXPECT_NE(Output().find("HEU D'INDICAR EL TELÈFON DE CONTACTE"), std::string::npos);
    EXPECT_EQ(Batch("--kind R --closing 31.2.2025 --first 1 --last 9999"), 3);
    EXPECT_EQ(Batch("--kind R --closing 31.12.2025 --first 100 --last 50"), 3);
    EXPECT_EQ(Batch("--kind X --closing 31.12.2025 --first 1 --last 50"), 3);
    EXPECT_EQ(Batch("--kind R --closing 31.12.2025"), 2);
    // Values longer than their form fields, as the forms give the widths.
    EXPECT_EQ(Batch("--kind R --closing 31.12.2025 --first 12345 --last 50"), 3);
    EXPECT_NE(Errors().find("--first 12345 is not an owner code"), std::string::npos);
    EXPECT_EQ(Batch("--kind S --closing 31.12.2025 --first 1 --last 50 --contact-name " +
                    std::string(41, 'A')),
              3);
    EXPECT_NE(Errors().find("--contact-name is longer than 40 characters"), std::string::npos);
}

}  // namespace
}  // namespace vela
