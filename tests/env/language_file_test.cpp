// The shipped language file: well formed, and a record for every Catalan text
// the program passes to the language table. A new message, label or heading
// added without its translations fails here.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <set>

#include "env/session.hpp"
#include "env/translation.hpp"
#include "platform/code_page_850.hpp"
#include "tests/env/program_texts.hpp"
#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

namespace fs = std::filesystem;
using testing::FormDescriptionTexts;
using testing::ReadFile;
using testing::ReadTextList;
using testing::ScanTranslateCalls;

const fs::path kSourceDir = VELA_SOURCE_DIR;

std::string LanguageFileContents() {
    return ReadFile((kSourceDir / "data/LOCALE/KELD0190.LNG").string());
}

TEST(ScanTranslateCalls, FindsTheLiteralArguments) {
    const auto calls = ScanTranslateCalls(
        "std::string Translate(const std::string& text);\n"
        "MessageWindow(12, Translate(\"NOM DE CONTACTE INCORRECTE\"));\n"
        "PrintText(1, Translate( Cp850(\"REFERÈNCIA \") ), 0);\n"
        "Translate(\"INFORME : \"\n  \"GENERATS \") + count;\n"
        "Translate(\"a \\\"quoted\\\" word\");\n"
        "Translate(label);\n"
        "Translate(std::string(\"built\"));\n"
        "MyTranslate(\"not this one\"); TranslateAll(\"nor this\");\n");
    EXPECT_EQ(calls.literals,
              (std::vector<std::string>{"NOM DE CONTACTE INCORRECTE", "REFERÈNCIA ",
                                        "INFORME : GENERATS ", "a \"quoted\" word"}));
    EXPECT_EQ(calls.otherArguments, 2);
}

TEST(FormDescriptionTexts, LabelsChoicesAndListTitles) {
    const std::string form =
        "' KELD0190 forms\r\n"
        "2,2\r\n"
        "' selection\r\n"
        "\"d,1b,4f00\",2,0,0,0,0,0\r\n"
        "2,2,\"Sortida: \",1,0,20,0,3,0,\"|R,llistat|C,certificats\"\r\n"
        "4,2,\"Data de tancament: \",8,0,0,0,1,0,\"\"\r\n"
        "\"d,1b\",1,0,5,10,8,70\r\n"
        "1,2,\" Nom: \",40,0,0,0,0,0,\r\n"
        "1\r\n"
        "6,0,5,20,20,60,0,\" PROPIETARIS \",0\r\n";
    EXPECT_EQ(FormDescriptionTexts(form),
              (std::vector<std::string>{"Sortida: ", "|R,llistat|C,certificats",
                                        "Data de tancament: ", " Nom: ", " PROPIETARIS "}));
}

TEST(ReadTextList, QuotedLinesOnly) {
    EXPECT_EQ(ReadTextList("# comment\n\n\" A \"\r\n\"B\"\n"),
              (std::vector<std::string>{" A ", "B"}));
    EXPECT_EQ(ReadTextList("unquoted\n").size(), 1u);
    EXPECT_EQ(ReadTextList("unquoted\n")[0].rfind("<malformed", 0), 0u);
}

TEST(LanguageFile, EveryRecordHasFourWordings) {
    const auto records = ReadLanguageRecords(LanguageFileContents());
    ASSERT_FALSE(records.empty());
    std::set<std::string> keys;
    for (const LanguageRecord& record : records) {
        const std::string key = Utf8FromCp850(record[0]);
        EXPECT_TRUE(keys.insert(record[0]).second) << "two records for \"" << key << '"';
        for (std::size_t f = 1; f < 4; ++f) {
            EXPECT_FALSE(record[f].empty()) << "field " << f + 1 << " of \"" << key << '"';
        }
    }
}

TEST(LanguageFile, TranslatesEveryTextOfTheProgram) {
    const std::string contents = LanguageFileContents();
    std::set<std::string> keys;
    for (const LanguageRecord& record : ReadLanguageRecords(contents)) keys.insert(record[0]);

    // Where each text comes from, for the failure message.
    std::vector<std::pair<std::string, std::string>> texts;
    for (const std::string& text :
         ReadTextList(ReadFile((kSourceDir / "data/texts/KELD0190.txt").string()))) {
        texts.emplace_back(Cp850(text), "data/texts/KELD0190.txt");
    }
    EXPECT_GT(texts.size(), 30u);

    for (const char* folder : {"app", "datenum", "env", "print", "records", "ui"}) {
        if (!fs::exists(kSourceDir / folder)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(kSourceDir / folder)) {
            const std::string extension = entry.path().extension().string();
            if (extension != ".cpp" && extension != ".hpp") continue;
            const auto calls = ScanTranslateCalls(ReadFile(entry.path().string()));
            const std::string from = entry.path().lexically_relative(kSourceDir).string();
            for (const std::string& literal : calls.literals) {
                texts.emplace_back(Cp850(literal), from);
            }
            // A text built at run time cannot be checked here; its pieces
            // belong in data/texts/KELD0190.txt.
            if (calls.otherArguments > 0) {
                std::cout << "[ note     ] " << from << ": " << calls.otherArguments
                          << " call(s) of Translate with a non-literal argument\n";
            }
        }
    }

    // The form description file is code page 850 already.
    for (const auto& entry : fs::recursive_directory_iterator(kSourceDir / "data")) {
        std::string extension = entry.path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(), ::toupper);
        if (extension != ".KFM") continue;
        for (const std::string& text : FormDescriptionTexts(ReadFile(entry.path().string()))) {
            texts.emplace_back(text, entry.path().lexically_relative(kSourceDir));
        }
    }

    for (const auto& [text, from] : texts) {
        EXPECT_TRUE(keys.count(text) != 0) << "no record in data/LOCALE/KELD0190.LNG for \""
                                           << Utf8FromCp850(text) << "\" (" << from << ")";
    }
}

}  // namespace
}  // namespace vela

namespace vela {
namespace {

// The shipped file read through Translate, as an installation reads it.
TEST(LanguageFile, TranslatesThroughTheInstallationsLocaleFolder) {
    testing::TempFolder root;
    fs::create_directories(root / "LOCALE");
    fs::copy_file(kSourceDir / "data/LOCALE/KELD0190.LNG", root / "LOCALE/KELD0190.LNG");
    const SessionRecord saved = Session;
    Session.rootDir = root.path();
    ForgetTranslationModule();
    SetTranslationModule("KELD0190");
    const std::string key = Cp850("OPERACIONS SUBJECTES A RETENCIÓ");
    struct Case {
        const char* language;
        const char* expected;
    } cases[] = {{"GLG", "OPERAÇONS SUJEITAS A RETENÇOM"},
                 {"OCI", "OPERACIONS SOMETUDES A RETENCION"},
                 {"SPA", "OPERACIONES SUJETAS A RETENCIÓN"},
                 {"CAT", "OPERACIONS SUBJECTES A RETENCIÓ"}};
    for (const Case& c : cases) {
        Session.language = c.language;
        EXPECT_EQ(Translate(key), Cp850(c.expected)) << c.language;
    }
    Session.language = "SPA";
    EXPECT_EQ(Translate("     " + Cp850("RETENCIÓ")), "    " + Cp850("RETENCIÓN"));
    Session = saved;
    ForgetTranslationModule();
    SetTranslationModule("");
}

}  // namespace
}  // namespace vela
