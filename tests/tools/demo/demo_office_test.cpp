#include "tools/demo/demo_office.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/records/record_layouts.hpp"
#include "datenum/tax_numbers.hpp"
#include "platform/code_page_850.hpp"
#include "tools/demo/unload_file.hpp"

namespace vela {
namespace {

namespace L = layout;

// Keeps every record, per file name, as the generator hands it over.
class KeepingSink : public DemoRecordSink {
  public:
    void Add(const RecordFileInfo& file, std::string_view record) override {
        EXPECT_EQ(record.size(), file.recordLength) << file.name;
        records[std::string(file.name)].emplace_back(record);
    }
    std::map<std::string, std::vector<std::string>> records;
};

KeepingSink Generate(std::uint64_t seed, int owners = kSmallOffice) {
    KeepingSink sink;
    const DemoCounts counts = GenerateDemoOffice({seed, owners, 2025}, sink);
    for (std::size_t i = 0; i < kRecordFiles.size(); ++i) {
        EXPECT_EQ(counts[i], sink.records[std::string(kRecordFiles[i].name)].size());
    }
    return sink;
}

void ExpectValidTaxId(const std::string& field, const std::string& where) {
    EXPECT_EQ(field.substr(0, 2), "ES") << where;
    EXPECT_TRUE(IsValidTaxNumber(field.substr(2, 9))) << where << ": " << field;
    EXPECT_EQ(field.substr(11), std::string(field.size() - 11, ' ')) << where;
}

TEST(DemoOffice, SameSeedSameOfficeByteForByte) {
    EXPECT_EQ(Generate(5).records, Generate(5).records);
    EXPECT_NE(Generate(5).records, Generate(6).records);
}

TEST(DemoOffice, EveryTaxNumberIsValid) {
    KeepingSink office = Generate(11, 60);
    for (const std::string& r : office.records["VPropiet"]) {
        ExpectValidTaxId(L::VPropiet::ownerTaxId.Read(r), "owner");
    }
    std::size_t blank = 0;
    for (const std::string& r : office.records["Industri"]) {
        const std::string taxId = L::Industri::payeeTaxId.Read(r);
        if (taxId == std::string(17, ' ')) {
            ++blank;
        } else {
            ExpectValidTaxId(taxId, "payee");
        }
    }
    EXPECT_GT(blank, 0u);  // some payees have no tax number on file
    for (const std::string& r : office.records["UIndFami"]) {
        const std::string spouse = L::UIndFami::spouseTaxId.Read(r);
        EXPECT_EQ(spouse != std::string(17, ' '), L::UIndFami::familySituation.Read(r) == "2");
        if (spouse != std::string(17, ' ')) ExpectValidTaxId(spouse, "spouse");
    }
    std::set<std::string> keys;
    for (const std::string& r : office.records["UFiscal"]) {
        const std::string key = L::UFiscal::fiscalTaxId.Read(r);
        EXPECT_TRUE(keys.insert(key).second) << "duplicate " << key;
        EXPECT_TRUE(IsValidTaxNumber(key.substr(2, 9))) << key;
    }
    const auto ini = DemoVelaIni({11, 60, 2025});
    for (const IniEntry& entry : ini) {
        if (entry.key == "NIF") {
            EXPECT_TRUE(IsValidTaxNumber(entry.value.substr(2)));
        }
    }
}

// The cases the program must meet are all present in the small office.
TEST(DemoOffice, SmallOfficeHoldsEveryCase) {
    KeepingSink office = Generate(1);
    auto& owners = office.records["VPropiet"];
    ASSERT_EQ(owners.size(), static_cast<std::size_t>(kSmallOffice));
    std::set<std::string> withholding, states;
    for (const std::string& r : owners) {
        withholding.insert(L::VPropiet::withholdingOwner.Read(r));
        states.insert(std::to_string(L::VPropiet::ownerState.Read(r)));
    }
    EXPECT_EQ(withholding, (std::set<std::string>{"N", "S"}));
    EXPECT_EQ(states, (std::set<std::string>{"0", "1"}));

    std::set<std::string> territories;
    for (const std::string& r : office.records["UTerrito"]) {
        territories.insert(L::UTerrito::territoryCode.Digits(r));
    }
    // Nine territories in the table, every administration folder and one
    // without a folder of its own.
    EXPECT_EQ(territories,
              (std::set<std::string>{"00", "01", "02", "03", "04", "05", "06", "07", "10"}));
    std::set<std::string> groupKeys, groupTerritories;
    for (const std::string& r : office.records["VGrups"]) {
        groupKeys.insert(L::VGrups::groupKey.Read(r));
        groupTerritories.insert(L::VGrups::groupTerritory.Digits(r));
    }
    EXPECT_TRUE(groupTerritories.count("01") && groupTerritories.count("04") &&
                groupTerritories.count("10"));

    std::set<std::string> kinds;
    std::set<std::string> payeeCodes;
    bool email = false, noEmail = false, noPostalCode = false, postalCode = false;
    for (const std::string& r : office.records["Industri"]) {
        kinds.insert(L::Industri::payeeKind.Read(r));
        payeeCodes.insert(L::Industri::payeeCode.Read(r));
        (L::Industri::payeeEmail.Read(r)[0] == ' ' ? noEmail : email) = true;
        const char first = L::Industri::payeeAddress2.Read(r)[0];
        (first >= '0' && first <= '9' ? postalCode : noPostalCode) = true;
    }
    EXPECT_EQ(kinds, (std::set<std::string>{"A", "I", "L", "P", "S"}));
    EXPECT_TRUE(email && noEmail && postalCode && noPostalCode);
    EXPECT_GT(office.records["UIndFami"].size(), 0u);
    EXPECT_GT(office.records["VLinPeri"].size(), office.records["VCapPeri"].size() - 1);

    std::string names;
    for (const auto& file : {"VPropiet", "Industri"}) {
        for (const std::string& r : office.records[file]) names += r.substr(2, 40);
    }
    for (const char* mark : {"Ñ", "Ç", "À", "É", "*"}) {
        EXPECT_NE(names.find(Cp850(mark)), std::string::npos) << mark;
    }

    bool office0000 = false, zeroWithheld = false, nextYear = false, previousYear = false,
         orphanGroup = false;
    std::string lastKey;
    for (const std::string& r : office.records["VPagos"]) {
        const std::string payee = L::VPagos::payeeCode.Read(r);
        office0000 = office0000 || payee == "\x80\x80";
        EXPECT_TRUE(payee == "\x80\x80" || payeeCodes.count(payee)) << "unknown payee";
        zeroWithheld = zeroWithheld || (L::VPagos::paymentWithheld.Read(r) == 0 &&
                                        L::VPagos::paymentBase.Read(r) != 0);
        const std::string year = L::VPagos::paymentDate.Digits(r).substr(0, 4);
        nextYear = nextYear || year == "2026";
        previousYear = previousYear || year == "2024";
        orphanGroup = orphanGroup || !groupKeys.count(L::VPagos::paymentGroup.Read(r));
        EXPECT_GE(year, "2024");
        EXPECT_LE(year, "2026");
    }
    EXPECT_TRUE(office0000 && zeroWithheld && nextYear && previousYear && orphanGroup);

    bool paidOnAccount = false;
    for (const std::string& r : office.records["VCapPeri"]) {
        paidOnAccount = paidOnAccount || L::VCapPeri::paidOnAccountG.Read(r) != 0;
    }
    EXPECT_TRUE(paidOnAccount);
}

TEST(DemoOffice, SizeFollowsTheNumberOfOwners) {
    KeepingSink office = Generate(2, 100);
    EXPECT_EQ(office.records["VPropiet"].size(), 100u);
    const std::size_t payments = office.records["VPagos"].size();
    // About a third of a thousand payments an owner: a million for 3,000.
    EXPECT_GT(payments, 100u * 250);
    EXPECT_LT(payments, 100u * 420);
    std::set<std::string> codes;
    for (const std::string& r : office.records["VPropiet"]) {
        codes.insert(L::VPropiet::ownerCode.Digits(r));
    }
    EXPECT_EQ(codes.size(), 100u);
    EXPECT_EQ(*codes.begin(), "0001");
    EXPECT_EQ(*codes.rbegin(), "0100");
}

// The cases for the check of return files come after the office's own
// records, which stay as they were, with codes after the office's own and
// the faults they are made for.
TEST(DemoOffice, CheckCasesFollowTheOfficesOwnRecords) {
    KeepingSink plain, cases;
    GenerateDemoOffice({1, kSmallOffice, 2025}, plain);
    DemoOptions options{1, kSmallOffice, 2025};
    options.checkCases = true;
    GenerateDemoOffice(options, cases);
    for (const auto& [file, records] : plain.records) {
        ASSERT_GE(cases.records[file].size(), records.size()) << file;
        EXPECT_TRUE(std::equal(records.begin(), records.end(), cases.records[file].begin()))
            << file;
    }
    const auto added = [&](const std::string& file) {
        return std::vector<std::string>(
            cases.records[file].begin() + static_cast<long>(plain.records[file].size()),
            cases.records[file].end());
    };
    const auto owners = added("VPropiet");
    ASSERT_EQ(owners.size(), 2u);
    EXPECT_EQ(L::VPropiet::ownerCode.Digits(owners[0]), "0013");
    EXPECT_EQ(CheckTaxNumber(L::VPropiet::ownerTaxId.Read(owners[0]).substr(2, 9)),
              TaxNumberFault::checkCharacter);
    EXPECT_EQ(L::VPropiet::ownerName.Read(owners[1]).substr(0, 2), "**");

    const auto payees = added("Industri");
    ASSERT_EQ(payees.size(), 10u);
    EXPECT_EQ(L::Industri::payeeCode.Digits(payees[0]), "0041");
    std::map<std::string, int> taxNumbers;
    int wrongCheck = 0;
    bool fourDigitPostalCode = false;
    for (const std::string& r : payees) {
        const std::string number = L::Industri::payeeTaxId.Read(r).substr(2, 9);
        ++taxNumbers[number];
        wrongCheck += CheckTaxNumber(number) == TaxNumberFault::checkCharacter;
        fourDigitPostalCode =
            fourDigitPostalCode || L::Industri::payeeAddress2.Read(r).substr(0, 5) == "8500 ";
    }
    EXPECT_EQ(wrongCheck, 1);
    EXPECT_EQ(taxNumbers.size(), 9u);  // one person entered twice
    EXPECT_TRUE(fourDigitPostalCode);
    // Two employees: one without family data, one with data out of range.
    const auto family = added("UIndFami");
    ASSERT_EQ(family.size(), 1u);
    EXPECT_EQ(L::UIndFami::contractKind.Read(family[0]), "7");
    bool negativeWithheld = false, withheldOverBase = false;
    for (const std::string& r : added("VPagos")) {
        negativeWithheld = negativeWithheld || L::VPagos::paymentWithheld.Read(r) < 0;
        withheldOverBase =
            withheldOverBase || L::VPagos::paymentWithheld.Read(r) > L::VPagos::paymentBase.Read(r);
    }
    EXPECT_TRUE(negativeWithheld && withheldOverBase);
}

TEST(UnloadFile, RecordsRoundTripAndMalformedFilesAreRefused) {
    const std::vector<std::string> records = {std::string("a\r\n,\x1A", 5), "",
                                              std::string(300, '\x80')};
    std::string text;
    for (const std::string& r : records) text += UnloadRecord(r);
    EXPECT_EQ(text.substr(0, 9), std::string("5,a\r\n,\x1A\r\n", 9));
    EXPECT_EQ(ParseUnload(text), records);
    EXPECT_EQ(ParseUnload(text + "\x1A"), records);
    for (const std::string& bad : {std::string("3,ab\r\n"), std::string("x,\r\n"),
                                   std::string("2,abcd"), std::string(",\r\n")}) {
        EXPECT_FALSE(ParseUnload(bad).has_value()) << bad;
    }
}

}  // namespace
}  // namespace vela
