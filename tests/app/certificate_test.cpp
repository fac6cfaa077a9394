#include "app/certificate.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "datenum/calendar_dates.hpp"
#include "datenum/edit_settings.hpp"
#include "env/session.hpp"
#include "env/translation.hpp"
#include "platform/code_page_850.hpp"
#include "print/spool_file.hpp"
#include "tests/support/temp_folder.hpp"
#include "tools/print_program/spool_document.hpp"

namespace vela {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

class CertificateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Session.rootDir = root_.path();
        Session.tmpDir = session_.path();
        Session.language = "CAT";
        SelectCurrency("a,E");
        SetTranslationModule("KELD0190");
        ReloadEditSettings();  // no Vela.ini: the default characters
    }
    // The certificate as the print program lays it out.
    std::vector<std::string> Print(const CertificateData& data) {
        EXPECT_TRUE(OpenSpool("PANTALLA"));
        PrintCertificate(data);
        CloseSpool();
        const SpoolContents contents = ReadSpool(ReadFile(session_.path() + "rovodovo.tmp"));
        EXPECT_EQ(contents.documents.size(), 1u);
        EXPECT_EQ(contents.documents[0].pages.size(), 1u);
        return contents.documents[0].pages[0].lines;
    }
    CertificateData Payee() {
        CertificateData d;
        d.ownerName = "PEREZ*ANNA";
        d.ownerTaxId = "ES11111111H";
        d.payeeName = "GARCIA*JOAN";
        d.fiscalName = "GARCIA FONT*JOAN";
        d.payeeEmail = "joan@x.cat   ";
        d.payeeTaxId = "ES22222222J";
        d.payeeCode = PackDigits("0042");
        d.closingDate = PackDigits("20251231");
        d.sums.professionalBase = 123456;
        d.sums.professionalWithheld = 18518;
        d.signatory = "FINQUES PROVA SL";
        return d;
    }
    TempFolder root_, session_;
};

TEST_F(CertificateTest, EveryBoxLineSpansColumns20To95) {
    const std::vector<std::string> lines = Print(Payee());
    int boxLines = 0;
    for (const std::string& line : lines) {
        const std::string shown = Utf8FromCp850(line);
        if (line.size() >= 20 &&
            std::string("\xDA\xB3\xC3\xC0").find(line[19]) != std::string::npos) {
            EXPECT_EQ(line.size(), 95u) << shown;
            ++boxLines;
        }
    }
    EXPECT_EQ(boxLines, 1 + 2 + 1 + 2 + 1 + 1 + 8 + 1);
}

TEST_F(CertificateTest, AddressBlocksReferenceAndAmounts) {
    const std::vector<std::string> lines = Print(Payee());
    EXPECT_EQ(lines[0], "ANNA PEREZ");
    EXPECT_EQ(lines[7].substr(0, 14), Cp850("REFERÈNCIA I42"));
    EXPECT_EQ(lines[7].substr(53), "JOAN GARCIA FONT");
    const std::string spool = ReadFile(session_.path() + "rovodovo.tmp");
    EXPECT_EQ(spool.substr(0, 45), "DEVICEPANTALLA\r\nSENDjoan@x.cat,,JOAN GARCIA\r\n");
    // Professional income in euros, the other kinds at zero.
    EXPECT_NE(spool.find(" 70 ,     1.234'56, 0 \r\n"), std::string::npos);
    EXPECT_NE(spool.find(" 70 ,       185'18, 0 \r\n"), std::string::npos);
}

TEST_F(CertificateTest, TheOfficeIsReferencedAsAdmin) {
    CertificateData d = Payee();
    d.payeeCode = PackDigits("0000");
    d.payeeEmail = std::string(40, ' ');
    EXPECT_FALSE(PrintCertificate(d));  // no e-mail: nothing to mail
    EXPECT_EQ(PayeeReference(PackDigits("0000")), "ADMIN");
    EXPECT_EQ(PayeeReference(PackDigits("0042")), "I42");
}

TEST_F(CertificateTest, ATranslatedTitleStillClosesTheBoxAtColumn95) {
    std::filesystem::create_directories(root_.path() + "LOCALE");
    WriteFile(root_.path() + "LOCALE/KELD0190.LNG",
              Cp850("\"OPERACIONS SUBJECTES A RETENCIÓ\",\"G\",\"O\",\"OPERACIONES SUJETAS A "
                    "RETENCIÓN A CUENTA DEL IMPUESTO\"\r\n"));
    Session.language = "SPA";
    const std::vector<std::string> lines = Print(Payee());
    Session.language = "CAT";
    bool found = false;
    for (const std::string& line : lines) {
        if (line.find("OPERACIONES SUJETAS") != std::string::npos) {
            EXPECT_EQ(line.size(), 95u);
            EXPECT_EQ(line.substr(94), "\xBF");  // the corner
            found = true;
        }
    }
    EXPECT_TRUE(found);
}

}  // namespace
}  // namespace vela
