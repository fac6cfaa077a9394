#include "app/return_records.hpp"

#include <gtest/gtest.h>

#include "datenum/calendar_dates.hpp"
#include "platform/code_page_850.hpp"

namespace vela {
namespace {

// The characters at 1-based positions from..to of a record.
std::string At(const std::string& record, std::size_t from, std::size_t to) {
    return record.substr(from - 1, to - from + 1);
}

DeclarantRecordData Declarant() {
    DeclarantRecordData d;
    d.year = "2025";
    d.ownerTaxId = "ES12345678Z      ";
    d.ownerName = Cp850("Peña Ruiz*María");
    d.contactPhone = "933000000";
    d.contactName = "GARCIA LOPEZ ANNA" + std::string(23, ' ');
    d.payeeCount = 3;
    d.totalBase = 1234567;
    d.totalWithheld = 185185;
    return d;
}

TEST(DeclarantRecord, EveryPosition) {
    const std::string r = BuildDeclarantRecord(Declarant());
    ASSERT_EQ(r.size(), 500u);
    EXPECT_EQ(At(r, 1, 4), "1190");
    EXPECT_EQ(At(r, 5, 8), "2025");
    EXPECT_EQ(At(r, 9, 17), "12345678Z");
    EXPECT_EQ(At(r, 18, 57), "PENA RUIZ MARIA" + std::string(25, ' '));
    EXPECT_EQ(At(r, 58, 58), "T");
    EXPECT_EQ(At(r, 59, 67), "933000000");
    EXPECT_EQ(At(r, 68, 107), "GARCIA LOPEZ ANNA" + std::string(23, ' '));
    EXPECT_EQ(At(r, 108, 120), "1900000000000");
    EXPECT_EQ(At(r, 121, 122), "  ");
    EXPECT_EQ(At(r, 123, 135), std::string(13, '0'));
    EXPECT_EQ(At(r, 136, 144), "000000003");
    EXPECT_EQ(At(r, 145, 145), " ");
    EXPECT_EQ(At(r, 146, 160), "000000001234567");
    EXPECT_EQ(At(r, 161, 175), "000000000185185");
    EXPECT_EQ(At(r, 176, 500), std::string(325, ' '));
}

TEST(DeclarantRecord, NegativeBaseAndShortValues) {
    DeclarantRecordData d = Declarant();
    d.totalBase = -5000;
    d.contactPhone = "93";
    d.ownerTaxId = "ES1234";  // shorter than a tax id: the rest stays blank
    const std::string r = BuildDeclarantRecord(d);
    EXPECT_EQ(At(r, 145, 145), "N");
    EXPECT_EQ(At(r, 146, 160), "000000000005000");
    EXPECT_EQ(At(r, 59, 67), "93       ");
    EXPECT_EQ(At(r, 9, 17), "1234     ");
}

PayeeRecordData Payee(char key, const std::string& subkey) {
    PayeeRecordData p;
    p.year = "2025";
    p.ownerTaxId = "ES12345678Z      ";
    p.payeeTaxId = "ESX1234567L      ";
    p.fiscalName = Cp850("Muñoz Pérez, Josep");
    p.payeeAddress2 = "17001 GIRONA";
    p.key = key;
    p.subkey = subkey;
    p.base = 250000;
    p.withheld = 37500;
    return p;
}

TEST(PayeeRecord, EveryPositionOfAProfessional) {
    const std::string r = BuildPayeeRecord(Payee('G', "01"));
    ASSERT_EQ(r.size(), 500u);
    const std::string zero13(13, '0');
    const std::string signedZero14 = " " + zero13;
    struct Field {
        std::size_t from, to;
        std::string value;
    };
    const Field fields[] = {
        {1, 4, "2190"},
        {5, 8, "2025"},
        {9, 17, "12345678Z"},
        {18, 26, "X1234567L"},
        {27, 35, std::string(9, ' ')},
        {36, 75, "MUNOZ PEREZ JOSEP" + std::string(23, ' ')},
        {76, 77, "17"},
        {78, 78, "G"},
        {79, 80, "01"},
        {81, 81, " "},
        {82, 94, "0000000250000"},
        {95, 107, "0000000037500"},
        {108, 108, " "},
        {109, 121, zero13},
        {122, 134, zero13},
        {135, 147, zero13},
        {148, 151, "0000"},
        {152, 152, "0"},
        {153, 157, "00000"},
        {158, 166, std::string(9, ' ')},
        {167, 254, std::string(88, '0')},
        {255, 268, signedZero14},
        {269, 281, zero13},
        {282, 295, signedZero14},
        {296, 308, zero13},
        {309, 321, zero13},
        {322, 322, "0"},
        {323, 387, zero13 + zero13 + zero13 + zero13 + zero13},
        {388, 389, "00"},
        {390, 394, "00000"},
        {395, 500, std::string(106, ' ')},
    };
    std::size_t covered = 0;
    for (const Field& f : fields) {
        EXPECT_EQ(At(r, f.from, f.to), f.value) << "positions " << f.from << "-" << f.to;
        covered += f.to - f.from + 1;
    }
    EXPECT_EQ(covered, 500u);
}

TEST(PayeeRecord, NegativeBaseShowsNAndMagnitudes) {
    PayeeRecordData p = Payee('H', "04");
    p.base = -12345;
    p.withheld = -99;
    const std::string r = BuildPayeeRecord(p);
    EXPECT_EQ(At(r, 81, 81), "N");
    EXPECT_EQ(At(r, 82, 94), "0000000012345");
    EXPECT_EQ(At(r, 95, 107), "0000000000099");
}

ReturnFamilyData Family() {
    ReturnFamilyData f;
    f.birthYear = PackDigits("1980");
    f.familySituation = "2";
    f.spouseTaxId = "ES87654321X      ";
    f.disability = "1";
    f.contractKind = "2";
    f.mobilityFlag = "1";
    f.reductions = 100;
    f.deductibleExpenses = 200;
    f.compensatoryPensions = 300;
    f.childSupport = 400;
    for (std::size_t i = 0; i < 20; ++i) f.familyCounts[i] = static_cast<std::int16_t>(i + 1);
    return f;
}

TEST(PayeeRecord, EmployeesCarryTheirFamilyData) {
    PayeeRecordData p = Payee('A', "00");
    p.family = Family();
    const std::string r = BuildPayeeRecord(p);
    EXPECT_EQ(At(r, 153, 156), "1980");
    EXPECT_EQ(At(r, 157, 157), "2");
    EXPECT_EQ(At(r, 158, 166), "87654321X");
    EXPECT_EQ(At(r, 167, 170), "1201");
    EXPECT_EQ(At(r, 171, 183), "0000000000100");
    EXPECT_EQ(At(r, 184, 196), "0000000000200");
    EXPECT_EQ(At(r, 197, 209), "0000000000300");
    EXPECT_EQ(At(r, 210, 222), "0000000000400");
    EXPECT_EQ(At(r, 223, 224), "12");
    EXPECT_EQ(At(r, 225, 240), "0304050607080910");
    EXPECT_EQ(At(r, 241, 250), "1234567890");  // counts 11-20, last digit each
    EXPECT_EQ(At(r, 251, 254), "1110");
    EXPECT_EQ(At(r, 255, 268), " " + std::string(13, '0'));
}

TEST(PayeeRecord, SpouseTaxNumber) {
    PayeeRecordData p = Payee('A', "00");
    p.family = Family();
    p.family->spouseTaxId = std::string(8, ' ') + "87654321X";  // right-aligned
    EXPECT_EQ(At(BuildPayeeRecord(p), 158, 166), "87654321X");
    p.family->spouseTaxId = std::string(17, ' ');
    EXPECT_EQ(At(BuildPayeeRecord(p), 158, 166), std::string(9, ' '));
    p.family->spouseTaxId = "ES123            ";
    EXPECT_EQ(At(BuildPayeeRecord(p), 158, 166), "0000ES123");
    p.family->familySituation = "1";
    EXPECT_EQ(At(BuildPayeeRecord(p), 158, 166), std::string(9, ' '));
}

TEST(PayeeRecord, FamilyDataOnlyUnderKeyA) {
    PayeeRecordData p = Payee('G', "01");
    p.family = Family();
    EXPECT_EQ(At(BuildPayeeRecord(p), 153, 157), "00000");
}

TEST(AdministrationFolders, OneForEachTerritoryNumberUpToEight) {
    const char* expected[] = {"ATC\\", "AEAT\\", "DFA\\", "DFG\\", "DFB\\",
                              "DFN\\", "ATIC\\", "ATA\\", "ATF\\"};
    for (int n = 0; n < 9; ++n) EXPECT_EQ(AdministrationFolder(n), expected[n]);
    EXPECT_EQ(AdministrationFolder(9), "");
    EXPECT_EQ(AdministrationFolder(-1), "");
}

}  // namespace
}  // namespace vela
