// The check of return files: a sound file built by the program's own record
// builders gives nothing but the declaration-number warning, and each fault
// put into it is found by its check code at the right record and position.
#include "app/filing_check.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/return_records.hpp"
#include "datenum/calendar_dates.hpp"

namespace vela {
namespace {

// A sound return file of an owner with an employee (key A, with spouse and
// three descendants), a professional at 15 % (G01) and a contractor at 1 %
// (H04).
std::vector<std::string> SoundRecords() {
    PayeeRecordData employee;
    employee.year = "2025";
    employee.ownerTaxId = "ES12345678Z      ";
    employee.payeeTaxId = "ES00000000T      ";
    employee.fiscalName = "FONT COMAS LAIA";
    employee.payeeAddress2 = "08500 VIC";
    employee.key = 'A';
    employee.subkey = "00";
    employee.base = 2400000;
    employee.withheld = 360000;
    ReturnFamilyData family;
    family.birthYear = PackDigits("1980");
    family.familySituation = "2";
    family.spouseTaxId = "ESX1234567L      ";
    family.disability = "0";
    family.contractKind = "1";
    family.mobilityFlag = "0";
    family.familyCounts[0] = 1;  // one descendant under three
    family.familyCounts[2] = 2;  // two more
    employee.family = family;

    PayeeRecordData professional = employee;
    professional.family.reset();
    professional.payeeTaxId = "ESB12345674      ";
    professional.fiscalName = "ADVOCATS PUIG SLP";
    professional.payeeAddress2 = "17001 GIRONA";
    professional.key = 'G';
    professional.subkey = "01";
    professional.base = 100000;
    professional.withheld = 15000;

    PayeeRecordData contractor = professional;
    contractor.payeeTaxId = "ESP1234567D      ";
    contractor.fiscalName = "REFORMES SERRA SL";
    contractor.key = 'H';
    contractor.subkey = "04";
    contractor.base = 500000;
    contractor.withheld = 5000;

    DeclarantRecordData declarant;
    declarant.year = "2025";
    declarant.ownerTaxId = "ES12345678Z      ";
    declarant.ownerName = "GARCIA PUIG*JOSEP";
    declarant.contactPhone = "933000000";
    declarant.contactName = "GARCIA LOPEZ ANNA";
    declarant.payeeCount = 3;
    declarant.totalBase = 3000000;
    declarant.totalWithheld = 380000;
    return {BuildDeclarantRecord(declarant), BuildPayeeRecord(employee),
            BuildPayeeRecord(professional), BuildPayeeRecord(contractor)};
}

std::string Join(const std::vector<std::string>& records) {
    std::string file;
    for (const std::string& r : records) file += r + "\r\n";
    return file;
}

// "record:position:code" of every finding, for readable failures.
std::multiset<std::string> Places(const std::vector<Finding>& findings) {
    std::multiset<std::string> places;
    for (const Finding& f : findings) {
        places.insert(std::to_string(f.record) + ":" + std::to_string(f.position) + ":" + f.code());
    }
    return places;
}

TEST(FilingCheck, SoundFileGivesOnlyTheDeclarationNumberWarning) {
    const auto findings = CheckReturnFile(Join(SoundRecords()), "190M2025.0A");
    ASSERT_EQ(findings.size(), 1u) << ::testing::PrintToString(Places(findings));
    EXPECT_EQ(std::string(findings[0].code()), "D6");
    EXPECT_EQ(findings[0].severity(), 'W');
    EXPECT_EQ(findings[0].record, 1);
    EXPECT_EQ(findings[0].position, 108);
}

// One fault: the text put at a position of a record of the sound file.
struct Fault {
    const char* name;
    int record;
    int position;
    std::string text;
    const char* code;
    char severity;
    int foundRecord;
    int foundPosition;
};

const std::vector<Fault>& RecordFaults() {
    static const std::vector<Fault> faults = {
        {"lower case in a payee name", 3, 40, "a", "F3", 'E', 3, 36},
        {"code page 850 letter in the owner name", 1, 20, "\xA5", "F3", 'E', 1, 18},
        {"control character in an amount", 3, 90, "\t", "F3", 'E', 3, 82},
        {"record of another model", 3, 2, "191", "F4", 'E', 3, 2},
        {"record of another year", 3, 5, "2024", "F4", 'E', 3, 5},
        {"record of another declarant", 2, 9, "87654321X", "F4", 'E', 2, 9},
        {"second declarant record", 3, 1, "1", "F2", 'E', 3, 1},
        {"unknown record type", 4, 1, "3", "F2", 'E', 4, 1},
        {"first record not the declarant", 1, 1, "2", "F2", 'E', 1, 1},
        {"declarant tax number check letter", 1, 9, "12345678A", "D1", 'E', 1, 9},
        {"declarant tax number blank", 1, 9, "         ", "D1", 'E', 1, 9},
        {"declarant name blank", 1, 18, std::string(40, ' '), "D2", 'E', 1, 18},
        {"telephone of eight digits", 1, 59, "93300000 ", "D4", 'E', 1, 59},
        {"contact name of one word", 1, 68, "GARCIA" + std::string(34, ' '), "D5", 'E', 1, 68},
        {"contact name with a digit", 1, 68, "GARCIA LOPEZ 2", "D5", 'E', 1, 68},
        {"payee count one too many", 1, 136, "000000004", "D8", 'E', 1, 136},
        {"payee count not a number", 1, 136, "00000000X", "D8", 'E', 1, 136},
        {"declarant base differs", 1, 146, "000000003000001", "D9", 'E', 1, 145},
        {"declarant base with the wrong sign", 1, 145, "N", "D9", 'E', 1, 145},
        {"declarant withheld differs", 1, 161, "000000000370000", "D9", 'E', 1, 161},
        {"payee without tax number", 2, 18, "         ", "P1", 'E', 2, 18},
        {"payee NIF check letter", 2, 18, "00000000R", "P1", 'E', 2, 18},
        {"payee NIE check letter", 3, 18, "Y1234567Z", "P1", 'E', 3, 18},
        {"payee CIF with a digit where a letter is due", 4, 18, "P12345674", "P1", 'E', 4, 18},
        {"payee tax number malformed", 3, 18, "B1234 674", "P1", 'E', 3, 18},
        {"payee name blank", 2, 36, std::string(40, ' '), "P3", 'E', 2, 36},
        {"province 53", 2, 76, "53", "P4", 'E', 2, 76},
        {"province 00", 3, 76, "00", "P4", 'E', 3, 76},
        {"province from a four-digit postal code", 3, 76, "85", "P4", 'E', 3, 76},
        {"key A with subkey 01", 2, 79, "01", "P5", 'E', 2, 78},
        {"unknown key", 3, 78, "Z", "P5", 'E', 3, 78},
        {"sign neither blank nor N", 3, 81, "-", "P6", 'E', 3, 81},
        {"sign of in-kind amounts", 3, 108, "X", "P6", 'E', 3, 108},
        {"amount with a blank", 3, 82, " 000000100000", "P6", 'E', 3, 82},
        {"amount with a letter", 4, 330, "O", "P6", 'E', 4, 323},
        {"withheld over the base", 3, 95, "0000000200000", "P7", 'W', 3, 95},
        {"withheld against a negative base", 4, 81, "N", "P7", 'W', 4, 95},
        {"professional at 20 %", 3, 95, "0000000020000", "P8", 'W', 3, 95},
        {"contractor at 5 %", 4, 95, "0000000025000", "P8", 'W', 4, 95},
        {"employee without family situation", 2, 157, " ", "P11", 'E', 2, 157},
        {"employee without disability", 2, 167, " ", "P11", 'E', 2, 167},
        {"employee without contract kind", 2, 168, " ", "P11", 'E', 2, 168},
        {"employee without mobility", 2, 170, " ", "P11", 'E', 2, 170},
        {"descendant count with a blank", 2, 226, " ", "P11", 'E', 2, 225},
        {"blank in the last numeric field", 3, 394, " ", "P11", 'E', 3, 390},
        {"blank year accrued", 4, 148, "    ", "P11", 'E', 4, 148},
        {"birth year missing", 2, 153, "0000", "P12", 'E', 2, 153},
        {"birth year of a child", 2, 153, "2020", "P12", 'W', 2, 153},
        {"family situation 4", 2, 157, "4", "P12", 'E', 2, 157},
        {"spouse without situation 2", 2, 157, "1", "P12", 'E', 2, 158},
        {"spouse tax number missing", 2, 158, "         ", "P12", 'E', 2, 158},
        {"spouse tax number wrong", 2, 158, "X1234567A", "P12", 'E', 2, 158},
        {"disability 4", 2, 167, "4", "P12", 'E', 2, 167},
        {"contract kind 0", 2, 168, "0", "P12", 'E', 2, 168},
        {"mobility 2", 2, 170, "2", "P12", 'E', 2, 170},
        {"three children without descendants", 2, 223, "0", "P13", 'W', 2, 251},
        {"the same payee twice under one key", 4, 18, "B12345674", "P15", 'W', 4, 18},
    };
    return faults;
}

TEST(FilingCheck, EachFaultIsFoundAtItsRecordAndPosition) {
    for (const Fault& fault : RecordFaults()) {
        std::vector<std::string> records = SoundRecords();
        std::string& r = records[static_cast<std::size_t>(fault.record - 1)];
        r.replace(static_cast<std::size_t>(fault.position - 1), fault.text.size(), fault.text);
        if (fault.code == std::string("P15")) {
            // The duplicate must be under the same key as the first.
            r.replace(77, 3, "G01");
        }
        ASSERT_EQ(r.size(), 500u) << fault.name;
        const auto findings = CheckReturnFile(Join(records), "190M2025.0A");
        bool found = false;
        for (const Finding& f : findings) {
            if (f.code() == std::string(fault.code) && f.record == fault.foundRecord &&
                f.position == fault.foundPosition) {
                found = true;
                EXPECT_EQ(f.severity(), fault.severity) << fault.name;
            }
        }
        EXPECT_TRUE(found) << fault.name << ": " << ::testing::PrintToString(Places(findings));
    }
}

TEST(FilingCheck, FaultsOfTheWholeFile) {
    const std::vector<std::string> records = SoundRecords();
    const std::string sound = Join(records);
    const auto has = [](const std::string& file, const std::string& place,
                        std::string_view folder = "190M2025.0A") {
        return Places(CheckReturnFile(file, folder)).count(place) > 0;
    };
    EXPECT_TRUE(has("", "1:0:F1"));
    // A record without its CR, one a character short, bytes after the last.
    std::string noCr = sound;
    noCr.erase(502 + 500, 1);
    EXPECT_TRUE(has(noCr, "2:0:F1"));
    std::string shortRecord = sound;
    shortRecord.erase(502 + 10, 1);
    EXPECT_TRUE(has(shortRecord, "2:0:F1"));
    EXPECT_TRUE(has(sound + "X", "5:0:F1"));
    EXPECT_TRUE(has(sound.substr(0, sound.size() - 2), "4:0:F1"));
    // The blank placeholder of an interrupted run, first or later.
    std::vector<std::string> interrupted = records;
    interrupted[0] = std::string(500, ' ');
    EXPECT_TRUE(has(Join(interrupted), "1:0:F2"));
    interrupted = records;
    interrupted.push_back(std::string(500, ' '));
    EXPECT_TRUE(has(Join(interrupted), "5:0:F2"));
    // The folder of another year.
    EXPECT_TRUE(has(sound, "1:5:F4", "190M2024.0A"));
    EXPECT_FALSE(has(sound, "1:5:F4", "somewhere"));
    // Another declaration number is no warning.
    std::vector<std::string> numbered = records;
    numbered[0].replace(107, 13, "1901234567890");
    EXPECT_FALSE(has(Join(numbered), "1:108:D6"));
}

TEST(FilingCheck, EachFindingOncePerRecordAndField) {
    std::vector<std::string> records = SoundRecords();
    records[2].replace(40, 5, "abcde");  // five lower-case letters in one name
    const auto places = Places(CheckReturnFile(Join(records), ""));
    EXPECT_EQ(places.count("3:36:F3"), 1u);
}

TEST(FilingCheck, PayeeDirectoryNamesThePayeeAndTheDefaultProvince) {
    PayeeDirectory payees;
    payees["B12345674"] = {"0042", false};
    payees["00000000T"] = {"0007", true};
    const auto findings = CheckReturnFile(Join(SoundRecords()), "190M2025.0A", &payees);
    const auto places = Places(findings);
    EXPECT_EQ(places.count("3:76:P4"), 1u);
    EXPECT_EQ(places.count("2:76:P4"), 0u);
    // A payee without a tax number is found by its name.
    std::vector<std::string> records = SoundRecords();
    records[1].replace(17, 9, "         ");
    payees[PayeeNameKey(records[1].substr(35, 40))] = {"0009", true};
    const auto blank = CheckReturnFile(Join(records), "190M2025.0A", &payees);
    ASSERT_FALSE(blank.empty());
    bool named = false;
    for (const Finding& f : blank) {
        if (f.code() == std::string("P1")) named = f.payeeCode == "0009";
    }
    EXPECT_TRUE(named);
    for (const Finding& f : findings) {
        if (f.code() != std::string("P4")) continue;
        EXPECT_EQ(f.severity(), 'W');
        EXPECT_EQ(f.payeeCode, "0042");
        EXPECT_EQ(f.payeeTaxNumber, "B12345674");
        EXPECT_EQ(f.payeeName, "ADVOCATS PUIG SLP");
    }
}

TEST(FilingCheck, NegativeWithheldAmountsBreakTheDeclarantTotal) {
    // The program writes magnitudes: a payee whose withheld sum is negative
    // shows it positive, while the declarant's total was summed with signs.
    std::vector<std::string> records = SoundRecords();
    records[3].replace(94, 13, "0000000005000");     // H04 shows 50.00 ...
    records[0].replace(160, 15, "000000000370000");  // ... the total took -50.00
    EXPECT_EQ(Places(CheckReturnFile(Join(records), "")).count("1:161:D9"), 1u);
}

TEST(FilingCheck, StaleReturnFiles) {
    EXPECT_EQ(StaleReturnFiles({"P0001", "P0002", "P0009"}, {"P0002", "P0001"}),
              (std::vector<std::string>{"P0009"}));
    EXPECT_TRUE(StaleReturnFiles({"P0001"}, {"P0001", "P0003"}).empty());
    EXPECT_TRUE(IsReturnFileName("P0042"));
    EXPECT_FALSE(IsReturnFileName("P"));
    EXPECT_FALSE(IsReturnFileName("P00A2"));
    EXPECT_FALSE(IsReturnFileName("REVISIO.TXT"));
}

// Random and damaged files: the check never fails, and every finding points
// into the file.
TEST(FilingCheck, RandomAndDamagedFilesAreCheckedWithoutFailing) {
    std::mt19937 random(190);
    const std::string sound = Join(SoundRecords());
    for (int round = 0; round < 3000; ++round) {
        std::string file;
        switch (round % 5) {
            case 0:  // random bytes
                file.resize(random() % 3000);
                for (char& c : file) c = static_cast<char>(random());
                break;
            case 1:  // a sound file with bytes changed
                file = sound;
                for (int n = 1 + static_cast<int>(random() % 40); n > 0; --n) {
                    file[random() % file.size()] = static_cast<char>(random());
                }
                break;
            case 2:  // cut anywhere
                file = sound.substr(0, random() % sound.size());
                break;
            case 3:  // bytes inserted and removed
                file = sound;
                file.insert(random() % file.size(), std::string(random() % 600, 'A'));
                file.erase(random() % file.size(), random() % 700);
                break;
            default:  // line ends only, or none
                file = std::string(random() % 2000, random() % 2 ? '\n' : '\r');
                break;
        }
        const std::size_t lines =
            static_cast<std::size_t>(std::count(file.begin(), file.end(), '\n')) + 1;
        for (const Finding& f : CheckReturnFile(file, "190M2025.0A")) {
            ASSERT_GE(f.record, 1);
            ASSERT_LE(static_cast<std::size_t>(f.record), lines);
            ASSERT_GE(f.position, 0);
            ASSERT_LE(f.position, 500);
            ASSERT_TRUE(f.severity() == 'E' || f.severity() == 'W');
        }
    }
}

}  // namespace
}  // namespace vela
