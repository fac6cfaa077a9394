#include "env/session.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "datenum/calendar_dates.hpp"
#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

using testing::ScopedEnvironment;
using testing::TempFolder;
using testing::WriteFile;

// Every test starts from an environment with none of the session's
// variables, so the machine's own TERM or WINDIR do not leak in.
class SessionTest : public ::testing::Test {
  protected:
    ScopedEnvironment root_{"RUKROOT", nullptr};
    ScopedEnvironment exe_{"RUKEXE", nullptr};
    ScopedEnvironment tmp_{"RUKTMP", nullptr};
    ScopedEnvironment term_{"TERM", nullptr};
    ScopedEnvironment agent_{"HTTP_USER_AGENT", nullptr};
    ScopedEnvironment accept_{"HTTP_ACCEPT", nullptr};
    ScopedEnvironment windir_{"WINDIR", nullptr};
    ScopedEnvironment systemRoot_{"SYSTEMROOT", nullptr};
    TempFolder folder_;
};

TEST_F(SessionTest, NothingSetGivesTheDefaults) {
    ReadSession();
    EXPECT_EQ(Session.rootDir, "");
    EXPECT_EQ(Session.menuTitle, "  ");
    EXPECT_EQ(Session.operatorType, 0);
    EXPECT_EQ(Session.terminalDir, "");
    EXPECT_EQ(Session.tmpDir, "");
    EXPECT_EQ(Session.workDate, "");
    EXPECT_EQ(Session.language, "   ");
    EXPECT_EQ(Session.runMode, "DOS");
    EXPECT_EQ(Session.currency, "E");
    const std::array<std::array<std::int16_t, 2>, 5> defaults{
        {{15, 0}, {7, 0}, {0, 7}, {0, 7}, {0, 7}}};
    EXPECT_EQ(Session.colourPairs, defaults);
}

TEST_F(SessionTest, TemporaryFolderIsNormalised) {
    struct Case {
        const char* ruktmp;
        const char* expected;
    };
    for (const Case& c : {Case{"C:", "C:"}, Case{"C:\\TMP", "C:\\TMP\\"},
                          Case{"C:\\TMP\\", "C:\\TMP\\"}, Case{"/tmp/s/", "/tmp/s/"}}) {
        ScopedEnvironment tmp("RUKTMP", c.ruktmp);
        ReadSession();
        EXPECT_EQ(Session.tmpDir, c.expected);
    }
}

TEST_F(SessionTest, SessionFilesAreReadFromTheTerminalFolderWhenRuktmpIsEmpty) {
    WriteFile(folder_ / "Sessio.ini", "[Terminal]\r\nDir=" + folder_.path() + "T1\r\n");
    ::mkdir((folder_ / "T1").c_str(), 0755);
    WriteFile(folder_ / "T1/VelaTerm.ini", "[Sistema]\r\nSortida=LPT1\r\n");
    ScopedEnvironment tmp("RUKTMP", "");
    // Sessio.ini is read from the current folder when RUKTMP is empty.
    const std::string previous = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path());
    ReadSession();
    std::filesystem::current_path(previous);
    EXPECT_EQ(Session.terminalDir, folder_.path() + "T1\\");
    EXPECT_EQ(Session.tmpDir, folder_.path() + "T1\\");
    EXPECT_EQ(Session.outputDevice, "LPT1");
}

TEST_F(SessionTest, MenuAndTerminalValues) {
    ScopedEnvironment tmp("RUKTMP", folder_.path().c_str());
    ScopedEnvironment term("TERM", "xterm");
    WriteFile(folder_ / "Sessio.ini",
              "[Menu]\r\nTitol=Rebuts\r\nNomMenu=M1\r\nMenu=7\r\nChnMenu=1/7\r\nOperador=ANA\r\n"
              "RukTipOper= 12abc\r\n");
    WriteFile(folder_ / "VelaTerm.ini",
              "[Sistema]\r\nData=20240510\r\nSortida=PDF\r\nIdioma=SPANISH\r\n");
    ReadSession();
    EXPECT_EQ(Session.menuTitle, " Rebuts ");
    EXPECT_EQ(Session.menuName, "M1");
    EXPECT_EQ(Session.menu, "7");
    EXPECT_EQ(Session.menuChain, "1/7");
    EXPECT_EQ(Session.operatorName, "ANA");
    EXPECT_EQ(Session.operatorType, 12);
    EXPECT_EQ(Session.terminalDir, "xterm\\");
    EXPECT_EQ(Session.workDate, PackDigits("20240510"));
    EXPECT_EQ(Session.outputDevice, "PDF");
    EXPECT_EQ(Session.language, "SPA");
}

TEST_F(SessionTest, LanguageFallsBackToTheInstallationSettings) {
    ScopedEnvironment tmp("RUKTMP", folder_.path().c_str());
    ScopedEnvironment root("RUKROOT", folder_.path().c_str());
    WriteFile(folder_ / "VelaTerm.ini", "[Sistema]\r\nIdioma=\r\n");
    WriteFile(folder_ / "Vela.ini", "[Usuari]\r\nIdioma=GLG\r\n");
    ReadSession();
    EXPECT_EQ(Session.language, "GLG");
    EXPECT_EQ(Session.rootDir, folder_.path());
}

TEST_F(SessionTest, ColourSelectionReadsMissingCharactersAsZero) {
    ScopedEnvironment tmp("RUKTMP", folder_.path().c_str());
    WriteFile(folder_ / "VelaTerm.ini", "[Pantalla]\r\nSeleccio=2\r\nCol2=0107\r\nCol0=9999\r\n");
    ReadSession();
    const std::array<std::array<std::int16_t, 2>, 5> expected{
        {{1, 7}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}};
    EXPECT_EQ(Session.colourPairs, expected);

    WriteFile(folder_ / "VelaTerm.ini", "[Pantalla]\r\nSeleccio=-1\r\nCol-1=x5 31415\r\n");
    ReadSession();
    EXPECT_EQ(Session.colourPairs[0][0], 0);  // "x5" is not a number
    EXPECT_EQ(Session.colourPairs[0][1], 3);  // " 3": leading blank skipped
    EXPECT_EQ(Session.colourPairs[1][0], 14);
    EXPECT_EQ(Session.colourPairs[1][1], 15);
}

TEST_F(SessionTest, RunModeTestsCgiFirst) {
    {
        ScopedEnvironment accept("HTTP_ACCEPT", "*/*");
        ScopedEnvironment windir("WINDIR", "C:\\WINDOWS");
        ReadSession();
        EXPECT_EQ(Session.runMode, "CGI");
    }
    {
        ScopedEnvironment systemRoot("SYSTEMROOT", "C:\\WINDOWS");
        ReadSession();
        EXPECT_EQ(Session.runMode, "WIN");
    }
}

TEST_F(SessionTest, BinaryIniFilesNeverCrash) {
    ScopedEnvironment tmp("RUKTMP", folder_.path().c_str());
    std::string noise;
    for (int i = 0; i < 4096; ++i) noise += static_cast<char>((i * 7919) % 256);
    WriteFile(folder_ / "Sessio.ini", noise);
    WriteFile(folder_ / "VelaTerm.ini", "[Sistema]\r\nData=" + noise.substr(0, 300) + "\r\n");
    ReadSession();
    EXPECT_EQ(Session.language.size(), 3u);
}

TEST_F(SessionTest, CurrencySlots) {
    ReadSession();
    SelectCurrency("p");
    EXPECT_EQ(Session.currency, "E");  // slot P is empty
    SelectCurrency("P,P");
    EXPECT_EQ(Session.currencyP, "P");
    EXPECT_EQ(Session.currency, "E");
    SelectCurrency("p");
    EXPECT_EQ(Session.currency, "P");
    SelectCurrency("");
    EXPECT_EQ(Session.currency, "E");
    SelectCurrency("A,");
    EXPECT_EQ(Session.currencyA, "E");
    SelectCurrency("a, peseta ");
    EXPECT_EQ(Session.currencyA, "P");
    EXPECT_EQ(Session.currency, "P");
    SelectCurrency("x,");
    EXPECT_EQ(Session.currencyP, "P");  // blank: slot A's letter
}

}  // namespace
}  // namespace vela
