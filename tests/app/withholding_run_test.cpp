#include "app/withholding_run.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include "app/selection.hpp"
#include "datenum/calendar_dates.hpp"
#include "env/session.hpp"
#include "platform/code_page_850.hpp"
#include "print/spool_file.hpp"
#include "tests/app/office_fixture.hpp"

namespace vela {
namespace {

using testing::OfficeFixture;
using testing::PayeeSpec;
using testing::ReadFile;

std::string At(const std::string& record, std::size_t from, std::size_t to) {
    return record.substr(from - 1, to - from + 1);
}

// The records of a return file, without their line ends.
std::vector<std::string> Records(const std::string& file) {
    std::vector<std::string> records;
    for (std::size_t at = 0; at + 502 <= file.size(); at += 502) {
        EXPECT_EQ(file.substr(at + 500, 2), "\r\n");
        records.push_back(file.substr(at, 500));
    }
    EXPECT_EQ(file.size() % 502, 0u);
    return records;
}

// One owner in the state territory with the office, a professional, an
// employee and three contractors of kinds I, S and A.
class WithholdingRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        office_.Territory(1, "ESTAT");
        office_.Owner("0001", "PEREZ*ANNA", "ES11111111H      ");
        office_.Group("0001", 1, 1);
        office_.Payee({"0010", "GARCIA*JOAN", "P", "ES22222222J", "17001 GIRONA", "joan@x.cat"});
        office_.Payee({"0011", "LOPEZ*MARIA", "L", "ES33333333P", "4300 REUS", ""});
        office_.Payee({"0012", "OBRES SL", "I", "ESB22222220", "08001 BARCELONA", ""});
        office_.Payee({"0013", "SERVEIS SL", "S", "ESB33333331", "08002 BARCELONA", ""});
        office_.Payee({"0014", "ALTRES SL", "A", "ESB44444442", "08003 BARCELONA", ""});
        office_.Family("0011", "1980", "2", "ES44444444A", 1500);
    }
    void Pay(const std::string& payee, const std::string& date, std::int32_t base,
             std::int32_t withheld) {
        office_.Payment("0001", 1, date, base, withheld, payee);
    }
    std::string ReturnFile(const std::string& folder, const std::string& owner) {
        return ReadFile(office_.root() + folder + "/190M2025.0A/P" + owner);
    }
    OfficeFixture office_;
};

TEST_F(WithholdingRunTest, ReturnFileRecordsFollowThePasses) {
    Pay("0010", "20250310", 100000, 15000);
    Pay("0010", "20250410", 50000, 7500);
    Pay("0011", "20250131", 200000, 30000);
    Pay("0012", "20250601", 30000, 300);
    Pay("0013", "20250602", 20000, 200);
    Pay("0014", "20250603", 10000, 100);
    Pay("0000", "20250701", 40000, 6000);
    office_.Open();
    office_.Select("S", "20251231");
    const RunOutcome outcome = ProcessTerritories();
    EXPECT_EQ(outcome.returnFilesWritten, 1);

    const std::vector<std::string> records = Records(ReturnFile("AEAT", "0001"));
    ASSERT_EQ(records.size(), 7u);
    // Record 1 is the declarant, written last over its placeholder.
    EXPECT_EQ(At(records[0], 1, 17), "1190202511111111H");
    EXPECT_EQ(At(records[0], 18, 27), "PEREZ ANNA");
    EXPECT_EQ(At(records[0], 136, 144), "000000006");
    EXPECT_EQ(At(records[0], 146, 160), "000000000450000");
    EXPECT_EQ(At(records[0], 161, 175), "000000000059100");
    // Employees first (key A with family data), then professionals (the
    // office among them, in payee code order), then every contractor kind.
    EXPECT_EQ(At(records[1], 18, 26), "33333333P");
    EXPECT_EQ(At(records[1], 76, 80), "43A00");
    EXPECT_EQ(At(records[1], 153, 166), "1980244444444A");
    EXPECT_EQ(At(records[1], 171, 183), "0000000001500");
    EXPECT_EQ(At(records[2], 18, 26), "B12345674");  // the office as payee 0000
    EXPECT_EQ(At(records[2], 36, 51), "FINQUES PROVA SL");
    EXPECT_EQ(At(records[2], 76, 107), "08G01 00000000400000000000006000");
    EXPECT_EQ(At(records[3], 36, 46), "GARCIA JOAN");
    EXPECT_EQ(At(records[3], 76, 107), "17G01 00000001500000000000022500");
    EXPECT_EQ(At(records[4], 78, 80), "H04");
    EXPECT_EQ(At(records[5], 78, 80), "H04");
    EXPECT_EQ(At(records[6], 36, 44), "ALTRES SL");
    EXPECT_EQ(At(records[6], 78, 80), "H04");
}

TEST_F(WithholdingRunTest, PaymentsThatDoNotCountAreLeftOut) {
    Pay("0010", "20250310", 100000, 0);      // nothing withheld
    Pay("0010", "20240310", 100000, 15000);  // another year
    Pay("0010", "20250701", 100000, 15000);  // after the closing date
    Pay("0012", "20250310", 0, 500);         // no base: not reported
    Pay("0011", "20250310", 1000, 100);
    office_.Group("0001", 2, 4);  // another territory
    office_.Payment("0001", 2, "20250310", 5000, 500, "0010");
    office_.Payment("0001", 3, "20250310", 7000, 700, "0010");  // no group record
    office_.Open();
    office_.Select("S", "20250630");
    ProcessTerritories();
    const std::vector<std::string> records = Records(ReturnFile("AEAT", "0001"));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(At(records[0], 136, 144), "000000001");
    EXPECT_EQ(At(records[1], 78, 107), "A00 00000000010000000000000100");
}

TEST_F(WithholdingRunTest, OwnersThatDoNotWithholdOrAreInactiveAreSkipped) {
    office_.Owner("0002", "SENSE*RETENCIO", "ES55555555K", "N");
    office_.Owner("0003", "BAIXA*PROPIETARI", "ES66666666Q", "S", 1);
    for (const char* owner : {"0002", "0003"}) {
        office_.Group(owner, 1, 1);
        office_.Payment(owner, 1, "20250310", 1000, 100, "0010");
    }
    Pay("0010", "20250310", 1000, 100);
    office_.Open();
    office_.Select("S", "20251231");
    EXPECT_EQ(ProcessTerritories().returnFilesWritten, 1);
    EXPECT_TRUE(testing::FileExists(office_.root() + "AEAT/190M2025.0A/P0001"));
    EXPECT_FALSE(testing::FileExists(office_.root() + "AEAT/190M2025.0A/P0002"));
    EXPECT_FALSE(testing::FileExists(office_.root() + "AEAT/190M2025.0A/P0003"));
}

TEST_F(WithholdingRunTest, AnUnknownPayeeShowsNoOtherPayeesIdentity) {
    // Payee 0020 has no payee record: it follows employee 0011, whose
    // identity and family data must not be reported for it.
    Pay("0011", "20250310", 1000, 100);
    Pay("0020", "20250311", 2000, 200);
    office_.Open();
    office_.Select("S", "20251231");
    ProcessTerritories();
    const std::vector<std::string> records = Records(ReturnFile("AEAT", "0001"));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(At(records[2], 18, 26), std::string(9, ' '));
    EXPECT_EQ(At(records[2], 36, 75), std::string(40, ' '));
    EXPECT_EQ(At(records[2], 78, 80), "H04");  // counted as a contractor
}

TEST_F(WithholdingRunTest, AnEmployeeWithoutFamilyDataGetsNoneOfAnother) {
    office_.Payee({"0015", "ROCA*PAU", "L", "ES77777777B", "08001 BARCELONA", ""});
    Pay("0011", "20250310", 1000, 100);
    Pay("0015", "20250311", 2000, 200);
    office_.Open();
    office_.Select("S", "20251231");
    ProcessTerritories();
    const std::vector<std::string> records = Records(ReturnFile("AEAT", "0001"));
    ASSERT_EQ(records.size(), 3u);
    // Birth year 0000, blank one-character fields, no spouse, zero amounts.
    EXPECT_EQ(At(records[2], 153, 170), "0000" + std::string(12, ' ') + "0 ");
    EXPECT_EQ(At(records[2], 171, 222), std::string(52, '0'));
}

TEST_F(WithholdingRunTest, PaymentsAreReadOnceForTheThreePassesAndOnlyWhereTheyCanCount) {
    // Two more territories, neither holding a group of the owner.
    office_.Territory(2, "ARABA");
    office_.Territory(4, "BIZKAIA");
    for (int day = 1; day <= 300; ++day) {
        Pay("0010", "2025" + ZeroPad(1 + (day - 1) / 28, 2) + ZeroPad(1 + (day - 1) % 28, 2), 1000,
            150);
    }
    Pay("0011", "20250310", 1000, 0);   // nothing withheld: not held
    Pay("0012", "20240310", 1000, 10);  // another year: not held
    office_.Open();
    office_.Select("S", "20251231");
    const RunOutcome outcome = ProcessTerritories();
    EXPECT_EQ(outcome.returnFilesWritten, 1);
    EXPECT_EQ(outcome.mostPaymentsHeld, 300u);
    // The 302 payments are read once, in the one territory that concerns
    // the owner; three passes in each of the three territories would read
    // them nine times over.
    EXPECT_GE(outcome.recordReads, 302);
    EXPECT_LT(outcome.recordReads, 400);
    const std::vector<std::string> records = Records(ReturnFile("AEAT", "0001"));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(At(records[1], 76, 107), "17G01 00000003000000000000045000");
}

TEST_F(WithholdingRunTest, APayeeSplitOverTwoTerritoriesIsOnePayeeInEach) {
    office_.Territory(4, "BIZKAIA");
    office_.Group("0001", 2, 4);
    // In key order (payee, date) the payee's payments alternate between the
    // groups: those of the other territory do not part a payee.
    office_.Payment("0001", 1, "20250110", 1000, 150, "0010");
    office_.Payment("0001", 2, "20250210", 2000, 300, "0010");
    office_.Payment("0001", 1, "20250310", 4000, 600, "0010");
    office_.Payment("0001", 2, "20250410", 8000, 1200, "0010");
    office_.Payment("0001", 2, "20250110", 500, 5, "0012");
    office_.Payment("0001", 1, "20250510", 16000, 2400, "0011");
    office_.Open();
    office_.Select("S", "20251231");
    EXPECT_EQ(ProcessTerritories().returnFilesWritten, 2);

    const std::vector<std::string> state = Records(ReturnFile("AEAT", "0001"));
    ASSERT_EQ(state.size(), 3u);
    EXPECT_EQ(At(state[0], 136, 144), "000000002");
    EXPECT_EQ(At(state[1], 76, 107), "43A00 00000000160000000000002400");
    EXPECT_EQ(At(state[2], 76, 107), "17G01 00000000050000000000000750");

    const std::vector<std::string> foral = Records(ReturnFile("DFB", "0001"));
    ASSERT_EQ(foral.size(), 3u);
    EXPECT_EQ(At(foral[0], 136, 144), "000000002");
    EXPECT_EQ(At(foral[1], 76, 107), "17G01 00000000100000000000001500");
    EXPECT_EQ(At(foral[2], 76, 107), "08H04 00000000005000000000000005");
}

TEST_F(WithholdingRunTest, PaymentsOfAGroupWithoutRecordCountInATerritoryCodedZero) {
    // A failed group look-up leaves the territory byte 0: a territory with
    // that code takes such payments, so every owner is walked for it.
    office_.TerritoryWithCode(0, "SENSE GRUP");
    office_.Payment("0001", 3, "20250310", 1000, 150, "0010");
    office_.Open();
    office_.Select("R", "20251231");
    ASSERT_TRUE(OpenSpool("PANTALLA"));
    const RunOutcome outcome = ProcessTerritories();
    CloseSpool();
    EXPECT_EQ(outcome.listingPages, 1);
    EXPECT_NE(office_.SpoolText().find(" 1 ,0010, 0 \r\n"), std::string::npos);
}

TEST_F(WithholdingRunTest, GroupZeroOfOwnerZeroIsLookedUpLikeAnyGroup) {
    // The key of group 0000 of owner 0000 is four bytes 0x80: the first
    // payment of every pass looks its group up even so, whatever group was
    // read before (here the other territory's, for a period header).
    office_.Territory(4, "BIZKAIA");
    office_.Owner("0000", "OFICINA*PROPIA", "ESB12345674      ");
    office_.Group("0000", 0, 1);
    office_.Group("0000", 1, 4);
    office_.Period("0000", 1, "20250331", 0, 100, 0);
    office_.Payment("0000", 0, "20250310", 1000, 150, "0010");
    office_.Open();
    office_.Select("S", "20251231", "0000", "0000");
    EXPECT_EQ(ProcessTerritories().returnFilesWritten, 1);
    const std::vector<std::string> records = Records(ReturnFile("AEAT", "0000"));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(At(records[1], 76, 107), "17G01 00000000010000000000000150");
    EXPECT_FALSE(testing::FileExists(office_.root() + "DFB/190M2025.0A/P0000"));
}

TEST_F(WithholdingRunTest, AFailedReadOfThePaymentsStopsTheRun) {
    Pay("0010", "20250310", 1000, 150);
    // The payment file is cut to its first two pages while open: the rest
    // can no longer be read. The record manager gives up what it held for
    // the failed read, so the run goes in a child process of its own.
    EXPECT_EXIT(
        {
            office_.Open();
            office_.Select("S", "20251231");
            if (::truncate((office_.root() + "DADES/VPagos.dat").c_str(), 8192) != 0) _exit(9);
            const RunOutcome outcome = ProcessTerritories();
            const bool stopped = outcome.stopped && outcome.failures.size() == 1 &&
                                 outcome.failures[0].find("VPagos") != std::string::npos;
            const bool nothingWritten =
                outcome.returnFilesWritten == 0 &&
                !testing::FileExists(office_.root() + "AEAT/190M2025.0A/P0001");
            _exit(stopped && nothingWritten ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(WithholdingRunTest, TheListingTotalsOwnersAndTerritories) {
    Pay("0010", "20250310", 100000, 15000);
    Pay("0012", "20250601", 30000, 300);
    office_.Period("0001", 1, "20250331", 1000, 2000, 0);
    office_.Period("0001", 1, "20240331", 9000, 9000, 9000);  // another year
    office_.Open();
    office_.Select("R", "20251231");
    ASSERT_TRUE(OpenSpool("PANTALLA"));
    const RunOutcome outcome = ProcessTerritories();
    CloseSpool();
    EXPECT_EQ(outcome.listingPages, 1);
    const std::string spool = office_.SpoolText();
    EXPECT_NE(spool.find(" 1 ,0010, 0 \r\n 6 ,ES22222222J      , 0 \r\n"), std::string::npos)
        << spool;
    EXPECT_NE(spool.find(" 65 ,G01, 0 \r\n"), std::string::npos);
    EXPECT_NE(spool.find(" 24 ,INGRESSOS A COMPTE , 0 \r\n 65 ,A00, 0 \r\n"), std::string::npos);
    EXPECT_NE(spool.find(" 24 ,TOTALS, 0 \r\n"), std::string::npos);
    EXPECT_NE(spool.find(" 24 ," + std::string(72, '=') + ", 1 \r\n"), std::string::npos);
}

TEST_F(WithholdingRunTest, ListingPagesBreakAndRestartPerTerritory) {
    office_.Territory(2, "ALAVA");
    office_.Owner("0002", "SEGON*PROPIETARI", "ES55555555K");
    office_.Group("0002", 1, 2);
    for (int p = 0; p < 70; ++p) {
        const std::string code = ZeroPad(100 + p, 4);
        office_.Payee({code, "PAGAT " + code, "P", "ES22222222J", "08001 BARCELONA", ""});
        Pay(code, "20250310", 1000, 150);
    }
    office_.Payment("0002", 1, "20250310", 1000, 150, "0100");
    office_.Open();
    office_.Select("R", "20251231");
    ASSERT_TRUE(OpenSpool("PANTALLA"));
    const RunOutcome outcome = ProcessTerritories();
    CloseSpool();
    const std::string spool = office_.SpoolText();
    // 70 payee lines on the first territory's pages: the header and page 2.
    EXPECT_NE(spool.find(Cp850("PÀGINA ") + "   2"), std::string::npos);
    EXPECT_EQ(outcome.listingPages, 3);  // two pages, then page 1 of Alava
    EXPECT_EQ(spool.rfind(Cp850("PÀGINA ") + "   1"), spool.rfind(Cp850("PÀGINA ")));
}

TEST_F(WithholdingRunTest, CertificatesAreTaggedForMail) {
    Pay("0010", "20250310", 100000, 15000);
    Pay("0000", "20250310", 1000, 150);
    office_.Open();
    office_.Select("C", "20251231");
    ASSERT_TRUE(OpenSpool("PANTALLA"));
    const RunOutcome outcome = ProcessTerritories();
    CloseSpool();
    EXPECT_TRUE(outcome.anyEmail);
    EXPECT_EQ(outcome.certificates, 2);
    const std::string spool = office_.SpoolText();
    EXPECT_NE(spool.find("SEND,,FINQUES PROVA SL\r\nPAGE 66 \r\n*@e\r\n*bi\r\n"),
              std::string::npos);
    EXPECT_NE(spool.find(" 0 ,ADMIN, 0 \r\n"), std::string::npos);
    EXPECT_NE(spool.find("SENDjoan@x.cat,,JOAN GARCIA\r\n"), std::string::npos);
    EXPECT_NE(spool.find(" 0 ,I10, 0 \r\n"), std::string::npos);
}

}  // namespace
}  // namespace vela
