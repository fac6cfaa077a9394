// The records of the annual withholding summary return (form 190): 500
// characters each, written into a blank record by position, followed in the
// file by CR LF. Record 1 of an owner's file is the declarant record (type
// 1) with the owner's totals; every emitted payee adds a payee record (type 2)
// under the key of its category. The builders are functions of their inputs;
// the file is written elsewhere.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace vela {

inline constexpr std::size_t kReturnRecordLength = 500;

// An employee's family data as the return carries it in positions 153-254
// (payee records of key "A").
struct ReturnFamilyData {
    std::string birthYear;        // packed, 2 bytes (4 digits)
    std::string familySituation;  // 1 character
    std::string spouseTaxId;      // 17 characters
    std::string disability;       // 1 character
    std::string contractKind;     // 1 character
    std::string mobilityFlag;     // 1 character
    std::int32_t reductions = 0;
    std::int32_t deductibleExpenses = 0;
    std::int32_t compensatoryPensions = 0;
    std::int32_t childSupport = 0;
    std::array<std::int16_t, 20> familyCounts{};
};

struct DeclarantRecordData {
    std::string year;        // 4 digits
    std::string ownerTaxId;  // 17 characters: country prefix and tax number
    std::string ownerName;
    std::string contactPhone;  // as typed
    std::string contactName;   // as typed
    long payeeCount = 0;
    double totalBase = 0;      // cents
    double totalWithheld = 0;  // cents
};

struct PayeeRecordData {
    std::string year;
    std::string ownerTaxId;
    std::string payeeTaxId;
    std::string fiscalName;
    std::string payeeAddress2;               // begins with the postal code
    char key = 'A';                          // "A", "G" or "H"
    std::string subkey;                      // "00", "01" or "04"
    double base = 0;                         // cents
    double withheld = 0;                     // cents
    std::optional<ReturnFamilyData> family;  // written for key "A" only
};

std::string BuildDeclarantRecord(const DeclarantRecordData& data);
std::string BuildPayeeRecord(const PayeeRecordData& data);

// The tax number of a 17-character tax id: the 9 characters after the
// 2-character country prefix.
std::string ReturnTaxNumber(const std::string& taxId);

// The folder of the tax administration of territory number n ("AEAT\" for
// 1); empty for a number without one.
std::string AdministrationFolder(int territoryNumber);

}  // namespace vela
