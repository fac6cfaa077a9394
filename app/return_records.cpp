#include "app/return_records.hpp"

#include <array>

#include "app/return_text.hpp"
#include "datenum/calendar_dates.hpp"
#include "datenum/fixed_format.hpp"

namespace vela {
namespace {

// A record being built: 500 blanks, fields written by 1-based position. A
// value shorter than its field replaces only its own characters; a longer
// one is cut to the field.
class ReturnRecord {
  public:
    ReturnRecord() : text_(kReturnRecordLength, ' ') {}
    void Put(std::size_t position, std::size_t width, const std::string& value) {
        text_.replace(position - 1, std::min(width, value.size()), value.substr(0, width));
    }
    std::string Take() { return std::move(text_); }

  private:
    std::string text_;
};

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

// Positions 153-254 of an employee's payee record.
void PutFamilyData(ReturnRecord& record, const ReturnFamilyData& family) {
    record.Put(153, 4, UnpackDigits(family.birthYear.substr(0, 2)));
    record.Put(157, 1, family.familySituation);
    if (family.familySituation == "2") {
        // The spouse's tax number is the last nine characters of the stored
        // tax id; its trailing blanks are dropped first so that a tax id
        // stored left-aligned like every other ("ES" + number) gives the
        // number, and a blank one stays blank.
        std::string spouse = family.spouseTaxId;
        while (!spouse.empty() && spouse.back() == ' ') spouse.pop_back();
        if (spouse.empty()) {
            record.Put(158, 9, Repeat(' ', 9));
        } else {
            const std::string padded = "000000000" + spouse;
            record.Put(158, 9, padded.substr(padded.size() - 9));
        }
    }
    record.Put(167, 1, family.disability);
    record.Put(168, 1, family.contractKind);
    record.Put(169, 1, "0");
    record.Put(170, 1, family.mobilityFlag);
    record.Put(171, 13, ZeroPad(family.reductions, 13));
    record.Put(184, 13, ZeroPad(family.deductibleExpenses, 13));
    record.Put(197, 13, ZeroPad(family.compensatoryPensions, 13));
    record.Put(210, 13, ZeroPad(family.childSupport, 13));
    record.Put(223, 1, ZeroPad(family.familyCounts[0], 1));
    record.Put(224, 1, ZeroPad(family.familyCounts[1], 1));
    for (std::size_t i = 2; i < 10; ++i) {
        record.Put(225 + 2 * (i - 2), 2, ZeroPad(family.familyCounts[i], 2));
    }
    for (std::size_t i = 10; i < 20; ++i)
        record.Put(241 + (i - 10), 1, ZeroPad(family.familyCounts[i], 1));
    record.Put(251, 3, "111");
    record.Put(254, 1, "0");
}

}  // namespace

std::string ReturnTaxNumber(const std::string& taxId) {
    return taxId.size() > 2 ? taxId.substr(2, 9) : std::string();
}

std::string AdministrationFolder(int territoryNumber) {
    static const std::array<const char*, 9> kFolders = {
        "ATC\\", "AEAT\\", "DFA\\", "DFG\\", "DFB\\", "DFN\\", "ATIC\\", "ATA\\", "ATF\\"};
    if (territoryNumber < 0 || territoryNumber >= static_cast<int>(kFolders.size())) return {};
    return kFolders[static_cast<std::size_t>(territoryNumber)];
}

std::string BuildDeclarantRecord(const DeclarantRecordData& data) {
    ReturnRecord record;
    record.Put(1, 4, "1190");
    record.Put(5, 4, data.year);
    record.Put(9, 9, ReturnTaxNumber(data.ownerTaxId));
    record.Put(18, 40, Normalise(data.ownerName, 40));
    record.Put(58, 1, "T");
    record.Put(59, 9, data.contactPhone);
    record.Put(68, 40, data.contactName);
    record.Put(108, 13, "1900000000000");
    record.Put(123, 13, ZeroPad(0, 13));
    record.Put(136, 9, ZeroPad(static_cast<double>(data.payeeCount), 9));
    if (data.totalBase < 0) record.Put(145, 1, "N");
    record.Put(146, 15, ZeroPad(data.totalBase, 15));
    record.Put(161, 15, ZeroPad(data.totalWithheld, 15));
    return record.Take();
}

std::string BuildPayeeRecord(const PayeeRecordData& data) {
    const std::string signedZero14 = FormatFixed(0, "M14");
    const std::string zero13 = ZeroPad(0, 13);
    ReturnRecord record;
    record.Put(1, 4, "2190");
    record.Put(5, 4, data.year);
    record.Put(9, 9, ReturnTaxNumber(data.ownerTaxId));
    record.Put(18, 9, ReturnTaxNumber(data.payeeTaxId));
    record.Put(36, 40, Normalise(data.fiscalName, 40));
    record.Put(76, 2, PostalCodeAndTown(data.payeeAddress2).substr(0, 2));
    record.Put(78, 1, std::string(1, data.key));
    record.Put(79, 2, data.subkey);
    if (data.base < 0) record.Put(81, 1, "N");
    record.Put(82, 13, ZeroPad(data.base, 13));
    record.Put(95, 13, ZeroPad(data.withheld, 13));
    record.Put(109, 13, zero13);
    record.Put(122, 13, zero13);
    record.Put(135, 13, zero13);
    record.Put(148, 4, "0000");
    record.Put(152, 1, "0");
    record.Put(153, 5, "00000");
    record.Put(167, 88, Repeat('0', 88));
    record.Put(255, 14, signedZero14);
    record.Put(269, 13, zero13);
    record.Put(282, 14, signedZero14);
    record.Put(296, 13, zero13);
    record.Put(309, 13, zero13);
    record.Put(322, 1, "0");
    for (std::size_t position = 323; position <= 375; position += 13)
        record.Put(position, 13, zero13);
    record.Put(388, 1, "0");
    record.Put(389, 1, "0");
    record.Put(390, 5, "00000");
    if (data.key == 'A' && data.family) PutFamilyData(record, *data.family);
    return record.Take();
}

}  // namespace vela
