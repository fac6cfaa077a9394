// The check on disk: the review of a return folder after a run (REVISIO.TXT,
// files the run did not write), the report lines in the session's language,
// and the return files left exactly as they were.
#include "app/filing_check_files.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "app/filing_check_text.hpp"
#include "env/session.hpp"
#include "env/translation.hpp"
#include "platform/code_page_850.hpp"
#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

// Writes text over a record from a 1-based position.
void Put(std::string& record, std::size_t position, const std::string& text) {
    record.replace(position - 1, text.size(), text);
}

// A declarant record and one payee record without a tax number.
std::string ReturnWithoutPayeeTaxNumber() {
    std::string declarant(500, ' ');
    Put(declarant, 1, "1190202512345678ZPUIG JOSEP");
    Put(declarant, 58, "T933000000GARCIA LOPEZ ANNA");
    Put(declarant, 108, "1901234567890");
    Put(declarant, 123, std::string(13, '0') + "000000001 000000000100000000000000015000");
    std::string payee(500, ' ');
    Put(payee, 1, "2190202512345678Z");
    Put(payee, 36, "ADVOCATS PUIG SLP");
    Put(payee, 76, "17G01 00000001000000000000015000 ");
    Put(payee, 109, std::string(49, '0'));
    Put(payee, 167,
        std::string(88, '0') + " " + std::string(26, '0') + " " + std::string(112, '0'));
    return declarant + "\r\n" + payee + "\r\n";
}

class FilingCheckFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = Session;
        Session.language = "CAT";
        folder_ = folder() + "AEAT/190M2025.0A/";
        fs::create_directories(folder_);
    }
    void TearDown() override {
        Session = saved_;
        ForgetTranslationModule();
        SetTranslationModule("");
    }
    std::string folder() const { return root_.path(); }

    TempFolder root_;
    std::string folder_;
    SessionRecord saved_;
};

TEST_F(FilingCheckFiles, ReviewWritesTheFindingsOfTheFolderAndNamesStaleFiles) {
    WriteFile(folder_ + "P0001", ReturnWithoutPayeeTaxNumber());
    WriteFile(folder_ + "P0003", ReturnWithoutPayeeTaxNumber());  // an earlier run's
    WriteFile(folder_ + "P12.bak", "not a return file");
    WriteFile(folder_ + "REVISIO.TXT", "an older report\r\n");

    const FolderReview review = ReviewReturnFolder(folder_, {folder_ + "P0001"}, nullptr);
    EXPECT_TRUE(review.reportWritten);
    EXPECT_EQ(review.reportPath, folder_ + "REVISIO.TXT");
    EXPECT_EQ(review.counts.files, 1);
    EXPECT_EQ(review.counts.errors, 1);    // P1
    EXPECT_EQ(review.counts.warnings, 1);  // F5
    EXPECT_EQ(ReadFile(review.reportPath),
              folder_ +
                  "P0001:2:18: E P1 PERCEPTOR SENSE NIF: ENTREU-LO A LA FITXA DEL "
                  "PERCEPTOR - PERCEPTOR ADVOCATS PUIG SLP\r\n" +
                  folder_ + "P0003:1:0: W F5 " +
                  Cp850("FITXER QUE L'ÚLTIM PROCÉS NO HA ESCRIT (PROPIETARI FORA DE L'INTERVAL "
                        "O SENSE RETENCIONS): NO EL PRESENTEU - PROPIETARI 0003") +
                  "\r\n");
    EXPECT_FALSE(testing::FileExists(review.reportPath + ".tmp"));

    // The next run wrote both: the report is replaced, with no stale file.
    const FolderReview again =
        ReviewReturnFolder(folder_, {folder_ + "P0001", folder_ + "P0003"}, nullptr);
    EXPECT_EQ(again.counts.errors, 2);
    EXPECT_EQ(again.counts.warnings, 0);
    EXPECT_EQ(ReadFile(again.reportPath).find("F5"), std::string::npos);
}

TEST_F(FilingCheckFiles, AReportThatCannotBeWrittenIsSaidSo) {
    WriteFile(folder_ + "P0001", ReturnWithoutPayeeTaxNumber());
    // The report's name is taken by a folder.
    fs::create_directories(folder_ + "REVISIO.TXT/x");
    const FolderReview review = ReviewReturnFolder(folder_, {folder_ + "P0001"}, nullptr);
    EXPECT_FALSE(review.reportWritten);
    EXPECT_EQ(review.counts.errors, 1);
    EXPECT_FALSE(testing::FileExists(folder_ + "REVISIO.TXT.tmp"));
}

TEST_F(FilingCheckFiles, TheCheckNeverChangesAReturnFile) {
    const std::string bytes = ReturnWithoutPayeeTaxNumber();
    WriteFile(folder_ + "P0001", bytes);
    // A time in the past, so that any write would show.
    const std::string path = folder_ + "P0001";
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24);
    fs::last_write_time(path, old);
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);

    std::vector<Finding> findings;
    ASSERT_TRUE(CheckReturnPath(path, nullptr, findings));
    ReviewReturnFolder(folder_, {path}, nullptr);
    EXPECT_EQ(ReadFile(path), bytes);
    EXPECT_EQ(fs::last_write_time(path), old);
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(FilingCheckFiles, UnreadablePathsAndReturnFilesUnderAFolder) {
    std::vector<Finding> findings;
    EXPECT_FALSE(CheckReturnPath(folder_ + "P0404", nullptr, findings));
    EXPECT_FALSE(CheckReturnPath(folder_, nullptr, findings));

    WriteFile(folder_ + "P0002", "");
    WriteFile(folder_ + "P0001", "");
    fs::create_directories(folder() + "DFB/190M2025.0A");
    WriteFile(folder() + "DFB/190M2025.0A/P0007", "");
    WriteFile(folder() + "DFB/190M2025.0A/REVISIO.TXT", "");
    WriteFile(folder() + "DFB/notes", "");
    EXPECT_EQ(ReturnFilesUnder(folder()),
              (std::vector<std::string>{folder_ + "P0001", folder_ + "P0002",
                                        folder() + "DFB/190M2025.0A/P0007"}));
    EXPECT_TRUE(ReturnFilesUnder(folder() + "missing").empty());
}

TEST_F(FilingCheckFiles, TextsFollowTheSessionsLanguage) {
    fs::create_directories(folder() + "LOCALE");
    fs::copy_file(fs::path(VELA_SOURCE_DIR) / "data/LOCALE/KELD0190.LNG",
                  folder() + "LOCALE/KELD0190.LNG");
    Session.rootDir = folder();
    ForgetTranslationModule();
    SetTranslationModule("KELD0190");

    Finding finding;
    finding.record = 1;
    finding.position = 9;
    finding.problem = Problem::declarantTaxCheck;
    finding.value = "12345678A";
    EXPECT_EQ(FindingLine("P0042", finding, "0042"),
              Cp850("P0042:1:9: E D1 NIF DEL PROPIETARI AMB EL CARÀCTER DE CONTROL ERRONI: "
                    "CORREGIU LA FITXA DEL PROPIETARI [12345678A] - PROPIETARI 0042"));
    Session.language = "SPA";
    EXPECT_EQ(FindingText(finding, "0042"),
              Cp850("NIF DEL PROPIETARIO CON EL CARÁCTER DE CONTROL ERRÓNEO: CORRIJA LA FICHA "
                    "DEL PROPIETARIO [12345678A] - PROPIETARIO 0042"));
    EXPECT_EQ(CheckCountsText(3, 12, "R"), Cp850(" - REVISIÓN: 3 ERRORES, 12 AVISOS: VEA R"));
    EXPECT_EQ(CheckCountsText(3, 12, "R", false),
              Cp850(" - REVISIÓN: 3 ERRORES, 12 - NO SE PUEDE ESCRIBIR EL FICHERO R"));

    // A payee's finding names the payee, with its code when known; control
    // characters of the file never reach the report line.
    finding.problem = Problem::payeeName;
    finding.value = "A\nB";
    finding.payeeTaxNumber = "B12345674";
    finding.payeeCode = "0042";
    Session.language = "CAT";
    EXPECT_EQ(FindingText(finding, "0001"),
              "NOM DEL PERCEPTOR EN BLANC: CORREGIU LA FITXA DEL PERCEPTOR O LA SEVA IDENTITAT "
              "FISCAL [A?B] - PERCEPTOR 0042 (B12345674)");
}

TEST(FilingCheckText, OwnerDigitsOfReturnFile) {
    EXPECT_EQ(OwnerDigitsOfReturnFile("/x/AEAT/190M2025.0A//P0042"), "0042");
    EXPECT_EQ(OwnerDigitsOfReturnFile("P7"), "7");
    EXPECT_EQ(OwnerDigitsOfReturnFile("/x/REVISIO.TXT"), "");
}

}  // namespace
}  // namespace vela
