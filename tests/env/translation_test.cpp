#include "env/translation.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <filesystem>

#include "env/session.hpp"
#include "platform/code_page_850.hpp"
#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

// An installation root with a LOCALE folder, the module "KELD0190" and the
// session's language set by each test.
class TranslateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = Session;
        ::mkdir((root_ / "LOCALE").c_str(), 0777);
        Session.rootDir = root_.path();
        ForgetTranslationModule();
        SetTranslationModule("KELD0190");
    }
    void TearDown() override {
        Session = saved_;
        ForgetTranslationModule();
        SetTranslationModule("");
    }
    std::string LanguageFile() const { return root_ / "LOCALE/KELD0190.LNG"; }

    TempFolder root_;
    SessionRecord saved_;
};

const char* const kContactRecord =
    "\"NOM DE CONTACTE INCORRECTE\",\"NOME DE CONTACTO INCORRETO\","
    "\"NOM DE CONTACTE INCORRÈCTE\",\"NOMBRE DE CONTACTO INCORRECTO\"\r\n";

TEST_F(TranslateTest, CatalanTouchesNoFile) {
    Session.language = "CAT";
    EXPECT_EQ(Translate("NOM DE CONTACTE INCORRECTE"), "NOM DE CONTACTE INCORRECTE");
    EXPECT_FALSE(FileExists(LanguageFile()));
}

TEST_F(TranslateTest, AMissingFileIsCreatedEmptyAndTranslatesNothing) {
    for (const char* language : {"SPA", "   ", "ENG"}) {
        std::remove(LanguageFile().c_str());
        Session.language = language;
        EXPECT_EQ(Translate("NOM DE CONTACTE INCORRECTE"), "NOM DE CONTACTE INCORRECTE");
        EXPECT_TRUE(FileExists(LanguageFile())) << '"' << language << '"';
        EXPECT_EQ(ReadFile(LanguageFile()), "");
    }
}

TEST_F(TranslateTest, TheRecordOfTheExactTextGivesTheSessionLanguagesWording) {
    WriteFile(LanguageFile(), Cp850(kContactRecord));
    struct Case {
        const char* language;
        const char* text;
        const char* expected;
    } cases[] = {
        {"SPA", "NOM DE CONTACTE INCORRECTE", "NOMBRE DE CONTACTO INCORRECTO"},
        {"GLG", "NOM DE CONTACTE INCORRECTE", "NOME DE CONTACTO INCORRETO"},
        {"OCI", "NOM DE CONTACTE INCORRECTE", "NOM DE CONTACTE INCORRÈCTE"},
        {"CAT", "NOM DE CONTACTE INCORRECTE", "NOM DE CONTACTE INCORRECTE"},
        {"   ", "NOM DE CONTACTE INCORRECTE", "NOM DE CONTACTE INCORRECTE"},
        {"spa", "NOM DE CONTACTE INCORRECTE", "NOM DE CONTACTE INCORRECTE"},
        {"SPA", "NOM DE CONTACTE INCORRECTE ", "NOM DE CONTACTE INCORRECTE "},
        {"SPA", "NOM DE  CONTACTE INCORRECTE", "NOM DE  CONTACTE INCORRECTE"},
        {"SPA", "nom de contacte incorrecte", "nom de contacte incorrecte"},
    };
    for (const Case& c : cases) {
        Session.language = c.language;
        EXPECT_EQ(Translate(c.text), Cp850(c.expected)) << c.language << " \"" << c.text << '"';
    }
}

TEST_F(TranslateTest, TheFileIsReadAgainOnEveryCall) {
    Session.language = "SPA";
    WriteFile(LanguageFile(), "A,B,C,D\r\n");
    EXPECT_EQ(Translate("A"), "D");
    WriteFile(LanguageFile(), "A,B,C,E\r\n");
    EXPECT_EQ(Translate("A"), "E");
}

TEST_F(TranslateTest, TheModuleNameIsTakenOnceForTheRun) {
    Session.language = "SPA";
    WriteFile(LanguageFile(), "A,B,C,D\r\n");
    WriteFile(root_ / "LOCALE/OTHER.LNG", "A,B,C,X\r\n");
    EXPECT_EQ(Translate("A"), "D");
    SetTranslationModule("OTHER");
    EXPECT_EQ(Translate("A"), "D");
    ForgetTranslationModule();
    EXPECT_EQ(Translate("A"), "X");
}

TEST_F(TranslateTest, NoModuleNameYetReadsAndCreatesNothing) {
    SetTranslationModule("");
    Session.language = "SPA";
    EXPECT_EQ(Translate("A"), "A");
    EXPECT_FALSE(FileExists(root_ / "LOCALE/.LNG"));
    SetTranslationModule("KELD0190");
    WriteFile(LanguageFile(), "A,B,C,D\r\n");
    EXPECT_EQ(Translate("A"), "D");  // taken on the first call that has one
}

TEST_F(TranslateTest, AMissingLocaleFolderGivesTheTextUnchanged) {
    Session.rootDir = root_ / "ELSEWHERE/";
    Session.language = "GLG";
    EXPECT_EQ(Translate("A"), "A");
}

// A folder or an endless device where the language file should be: no
// translations, and the program goes on (reading a folder as a stream
// used to end it with an exception).
TEST_F(TranslateTest, AFolderOrDeviceInTheFilesPlaceGivesTheTextUnchanged) {
    Session.language = "SPA";
    std::filesystem::create_directories(LanguageFile());
    EXPECT_EQ(Translate("A"), "A");
    std::filesystem::remove(LanguageFile());
    std::filesystem::create_symlink("/dev/zero", LanguageFile());
    EXPECT_EQ(Translate("A"), "A");
}

TEST(FindTranslation, FieldRules) {
    struct Case {
        const char* contents;
        const char* text;
        const char* language;
        const char* expected;
    } cases[] = {
        // Quoted fields keep commas and leading blanks.
        {"\" A, B \",\" g, \",\" o, \",\" s, \"\r\n", " A, B ", "SPA", " s, "},
        {"\" A, B \",\" g, \",\" o, \",\" s, \"\r\n", " A, B ", "GLG", " g, "},
        {"\" A, B \",\" g, \",\" o, \",\" s, \"\r\n", " A, B ", "OCI", " o, "},
        // Unquoted fields lose their leading blanks and keep the rest.
        {"  A,  g ,  o,  s \r\n", "A", "SPA", "s "},
        {"  A,  g ,  o,  s \r\n", "A", "GLG", "g "},
        // Line ends separate fields as commas do; LF alone is a line end.
        {"A\r\ng\r\no\r\ns\r\n", "A", "SPA", "s"},
        {"A,g,o,s\nB,g2,o2,s2\n", "B", "SPA", "s2"},
        // The first matching record wins.
        {"A,g,o,s1\r\nA,g,o,s2\r\n", "A", "SPA", "s1"},
        // An empty translation is returned as it is.
        {"A,,,\r\n", "A", "SPA", ""},
        {"\"A\",\"\",\"\",\"\"\r\n", "A", "GLG", ""},
        // Text after a closing quote is ignored up to the separator.
        {"\"A\"x,\"g\" ,o,s\r\n", "A", "GLG", "g"},
        // The last record may lack its line end.
        {"A,g,o,s", "A", "SPA", "s"},
        // A record cut short by the end of the file gives empty fields.
        {"X,1,2,3\r\nA,g", "A", "OCI", ""},
        // No record: the text itself.
        {"", "A", "SPA", "A"},
        {"B,g,o,s\r\n", "A", "SPA", "A"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindTranslation(c.contents, c.text, c.language), c.expected)
            << '"' << c.contents << "\" " << c.text << " " << c.language;
    }
}

TEST(ReadLanguageRecords, ListsEveryRecord) {
    const auto records = ReadLanguageRecords("A,g,o,s\r\n\"B, b\",g2,o2,s2\r\n");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1][0], "B, b");
    EXPECT_EQ(records[1][3], "s2");
}

}  // namespace
}  // namespace vela
