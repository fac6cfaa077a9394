// recutil export and import on the demo office, as an office moves its
// records through a spreadsheet.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "app/records/record_layouts.hpp"
#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

int RunCommand(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string DataFile(const std::string& root, const RecordFileInfo& file) {
    std::string path = root + "/" + std::string(file.path) + ".dat";
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

class CsvRoundTrip : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder_ = new TempFolder;
        const std::string demo = VELA_DEMO_PATH;
        ASSERT_EQ(
            RunCommand(demo + " " + Path("office") + " --csv " + Path("sheets") + " >/dev/null"),
            0);
        ASSERT_EQ(RunCommand(demo + " " + Path("empty") + " --no-data >/dev/null"), 0);
        ASSERT_EQ(RunCommand(demo + " " + Path("fromsheets") + " --no-data >/dev/null"), 0);
    }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }
    static std::string Path(const std::string& name) { return folder_->path() + name; }
    // Runs recutil; its standard output goes to out, its errors to err.
    static int Recutil(const std::string& arguments, const std::string& out) {
        return RunCommand(std::string(RECUTIL_PATH) + " " + arguments + " >" + Path(out) + " 2>" +
                          Path("err.txt"));
    }
    static std::string Errors() { return ReadFile(Path("err.txt")); }
    static TempFolder* folder_;
};
TempFolder* CsvRoundTrip::folder_ = nullptr;

TEST_F(CsvRoundTrip, ExportImportIntoAnEmptyFileAndExportAgainGiveTheSameBytes) {
    for (const RecordFileInfo& file : kRecordFiles) {
        const std::string name(file.name);
        SCOPED_TRACE(name);
        ASSERT_EQ(Recutil("export " + DataFile(Path("office"), file), name + ".csv"), 0)
            << Errors();
        const std::string exported = ReadFile(Path(name + ".csv"));
        EXPECT_GT(std::count(exported.begin(), exported.end(), '\n'), 1);
        ASSERT_EQ(Recutil("import " + DataFile(Path("empty"), file) + " " + Path(name + ".csv"),
                          "import.txt"),
                  0)
            << Errors();
        ASSERT_EQ(Recutil("export " + DataFile(Path("empty"), file), name + ".again.csv"), 0)
            << Errors();
        EXPECT_EQ(ReadFile(Path(name + ".again.csv")), exported);

        // The demo generator's own CSV files hold the same records.
        ASSERT_EQ(Recutil("import " + DataFile(Path("fromsheets"), file) + " " +
                              Path("sheets/" + name + ".csv"),
                          "import.txt"),
                  0)
            << Errors();
        ASSERT_EQ(Recutil("export " + DataFile(Path("fromsheets"), file), name + ".sheets.csv"), 0);
        EXPECT_EQ(ReadFile(Path(name + ".sheets.csv")), exported);
    }
    // Another key order: payments by payee.
    ASSERT_EQ(Recutil("export " + Path("office/DADES/VPagos.dat") + " --key 2", "bypayee.csv"), 0);
    const std::string byPayee = ReadFile(Path("bypayee.csv"));
    EXPECT_NE(byPayee, ReadFile(Path("VPagos.csv")));
    EXPECT_EQ(byPayee.size(), ReadFile(Path("VPagos.csv")).size());
}

TEST_F(CsvRoundTrip, ABadValueNamesLineAndColumnAndNothingIsImported) {
    const std::string payments = Path("empty2/DADES/VPagos.dat");
    ASSERT_EQ(
        RunCommand(std::string(VELA_DEMO_PATH) + " " + Path("empty2") + " --no-data >/dev/null"),
        0);
    ASSERT_EQ(Recutil("export " + Path("office/DADES/VPagos.dat"), "pagos.csv"), 0);
    std::string text = ReadFile(Path("pagos.csv"));
    // Line 5 gets a date that does not exist.
    std::size_t at = 0;
    for (int line = 1; line < 5; ++line) at = text.find('\n', at) + 1;
    const std::size_t comma = text.find(',', text.find(',', at) + 1);
    text.replace(comma + 1, 10, "30.02.2025");
    WriteFile(Path("bad.csv"), text);
    EXPECT_EQ(Recutil("import " + payments + " " + Path("bad.csv"), "out.txt"), 1);
    EXPECT_NE(Errors().find("bad.csv: line 5, column 3 (paymentDate): there is no such date: "
                            "\"30.02.2025\"; nothing was imported"),
              std::string::npos)
        << Errors();
    ASSERT_EQ(Recutil("export " + payments, "after.csv"), 0);
    EXPECT_EQ(ReadFile(Path("after.csv")), text.substr(0, text.find('\n') + 1));  // header only

    // A record the file refuses (a code that stands twice) stops the import
    // at its line, and the records before it are not kept either.
    const std::string owners = Path("empty2/DADES/VPropiet.dat");
    ASSERT_EQ(Recutil("export " + Path("office/DADES/VPropiet.dat"), "owners.csv"), 0);
    std::string ownersText = ReadFile(Path("owners.csv"));
    const std::size_t second = ownersText.find('\n') + 1;
    ownersText += ownersText.substr(second, ownersText.find('\n', second) + 1 - second);
    WriteFile(Path("twice.csv"), ownersText);
    const long lines = std::count(ownersText.begin(), ownersText.end(), '\n');
    EXPECT_EQ(Recutil("import " + owners + " " + Path("twice.csv"), "out.txt"), 1);
    EXPECT_NE(Errors().find("twice.csv: line " + std::to_string(lines) +
                            ": the record cannot be inserted"),
              std::string::npos)
        << Errors();
    EXPECT_NE(Errors().find("nothing was imported"), std::string::npos);
    ASSERT_EQ(Recutil("export " + owners, "after.csv"), 0);
    EXPECT_EQ(ReadFile(Path("after.csv")), ownersText.substr(0, second));

    // Files the tool has no layout for, and CSV files that are not ones.
    EXPECT_EQ(Recutil("export " + Path("office/Vela.ini"), "out.txt"), 1);
    EXPECT_NE(Errors().find("not one of the installation's record files"), std::string::npos);
    WriteFile(Path("header.csv"), "ownerCode,ownerNom\r\n");
    EXPECT_EQ(Recutil("import " + owners + " " + Path("header.csv"), "out.txt"), 1);
    EXPECT_NE(Errors().find("header.csv: line 1, column 2: ownerNom is not a field of VPropiet"),
              std::string::npos)
        << Errors();
    EXPECT_EQ(Recutil("import " + owners + " " + Path("missing.csv"), "out.txt"), 1);
    EXPECT_EQ(Recutil("export " + owners + " --key x", "out.txt"), 2);
}

}  // namespace
}  // namespace vela
