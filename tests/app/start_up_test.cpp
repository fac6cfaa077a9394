#include "app/start_up.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "tests/app/installation_fixture.hpp"

#include "datenum/calendar_dates.hpp"
#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

TEST(StartUp, DefaultClosingDateIsTheLastDayOfThePreviousYear) {
    EXPECT_EQ(DefaultClosingDate(PackDigits("20240510")), PackDigits("20231231"));
    EXPECT_EQ(DefaultClosingDate(PackDigits("20250115")), PackDigits("20241231"));
    EXPECT_EQ(DateFieldText(DefaultClosingDate(PackDigits("20250115"))).substr(0, 4), "3112");
}

TEST(StartUp, PresenterDataKeepsTheFieldsBlankPadding) {
    TempFolder root;
    WriteFile(root / "Vela.ini",
              "[Usuari]\r\nIdioma=CAT\r\n\r\n[Presentador]\r\nNom=ANNA PUIG\r\n");
    const PresenterData presenter = LoadPresenterData(root.path());
    EXPECT_EQ(presenter.contactName, "ANNA PUIG" + std::string(31, ' '));
    EXPECT_EQ(presenter.contactPhone, std::string(9, ' '));
    SavePresenterData(root.path(), {FixedField("JOAN", kContactNameWidth), FixedField("93", 9)});
    EXPECT_EQ(ReadFile(root / "Vela.ini"),
              "[Usuari]\r\nIdioma=CAT\r\n\r\n[Presentador]\r\nNom=JOAN" + std::string(36, ' ') +
                  "\r\nTelefon=93       \r\n");
}

TEST(StartUp, ProgramReadsItsSessionAndWritesThePresenterKeysBack) {
    TempFolder root, session;
    // The program opens the office's record files, creating them from the
    // dictionaries. A batch run goes through the same start-up and shut-down
    // without a terminal.
    testing::WriteDictionaries(root);
    testing::WriteProgramForms(root);
    WriteFile(root / "Vela.ini", "[Presentador]\r\nNom=MARIA\r\nTelefon=972000000\r\n");
    WriteFile(session / "VelaTerm.ini", "[Sistema]\r\nData=20250115\r\nIdioma=CAT\r\n");
    // The print program is found where the build puts it: a run without it fails.
    const std::string command = "env -i RUKROOT=" + root.path() + " RUKTMP=" + session.path() +
                                " RUKEXE=" BIN_DIR "/ " + KELD0190_PATH +
                                " --batch --kind R --closing 311224 --first 1 --last 9999"
                                " </dev/null >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadFile(root / "Vela.ini"),
              "[Presentador]\r\nNom=MARIA" + std::string(35, ' ') + "\r\nTelefon=972000000\r\n");
}

// A missing or damaged form description stops the program before it takes
// the terminal, with a message naming the file and the line, and leaves the
// presenter keys alone.
TEST(StartUp, AFormDescriptionThatCannotBeReadStopsTheProgram) {
    TempFolder session;
    WriteFile(session / "VelaTerm.ini", "[Sistema]\r\nData=20250115\r\nIdioma=CAT\r\n");
    const struct {
        const char* contents;  // nullptr: no file
        const char* mode;
        int exitCode;
        const char* messagePart;
    } cases[] = {
        {nullptr, "", 1, "KELD0190.KFM cannot be read"},
        {"3,4\r\n\"d,1b\",4,0,0,0,0,0\r\n5,8,\"Tipus\",x\r\n", "", 1, "damaged at line 3"},
        {nullptr, " --batch --kind R --closing 311224 --first 1 --last 9999", 4,
         "KELD0190.KFM cannot be read"},
    };
    for (const auto& c : cases) {
        TempFolder root;
        WriteFile(root / "Vela.ini", "[Presentador]\r\nNom=MARIA\r\n");
        if (c.contents != nullptr) {
            std::filesystem::create_directories(root / "FORMS");
            WriteFile(root / "FORMS/KELD0190.KFM", c.contents);
        }
        const std::string command = "env -i RUKROOT=" + root.path() + " RUKTMP=" + session.path() +
                                    " " + KELD0190_PATH + c.mode + " </dev/null >/dev/null 2>" +
                                    session.path() + "stderr";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), c.exitCode) << c.messagePart;
        const std::string message = ReadFile(session / "stderr");
        EXPECT_NE(message.find(c.messagePart), std::string::npos) << message;
        EXPECT_NE(message.find(root.path() + "FORMS/KELD0190.KFM"), std::string::npos) << message;
        EXPECT_EQ(ReadFile(root / "Vela.ini"), "[Presentador]\r\nNom=MARIA\r\n");
    }
}

TEST(StartUp, AMissingInstallationFolderIsReportedNotCrashedOn) {
    TempFolder session;
    const std::string command = std::string("env -i RUKROOT=/nonexistent/vela/ RUKTMP=") +
                                session.path() + " " + KELD0190_PATH + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 0);
}

// Started by hand without a session, the program and its print program say
// which variables are missing instead of taking the terminal type for the
// session folder.
TEST(StartUp, WithoutASessionTheProgramsSaySoAndWriteNothing) {
    TempFolder folder;
    for (const std::string& program :
         {std::string(KELD0190_PATH) + " --batch --kind R --closing 311224 --first 1 --last 9999",
          std::string(BIN_DIR) + "/ROVODOVO"}) {
        const std::string command = "cd " + folder.path() + " && env -i TERM=xterm " + program +
                                    " </dev/null >/dev/null 2>" + folder.path() + "stderr";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_NE(WEXITSTATUS(status), 0) << program;
        EXPECT_NE(ReadFile(folder / "stderr")
                      .find("started without a session: RUKROOT, RUKEXE and RUKTMP are not set"),
                  std::string::npos)
            << ReadFile(folder / "stderr");
        EXPECT_FALSE(FileExists(folder / "xterm"));
    }
}

}  // namespace
}  // namespace vela
