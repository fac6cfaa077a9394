// The check of a return file before it is filed: the file's bytes are read
// against the record design of the withholding summary return (500
// characters and CR LF a record, a declarant record first, payee records
// after it) and every fault the tax administration would reject, or that is
// very probably wrong data, becomes a finding: where (record, position),
// how bad (E rejected, W suspicious), which check (its code) and which
// problem, with the field's value and the payee it concerns. The check only
// reads; turning findings into texts and files is done elsewhere.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vela {

// Every problem the check can find; each belongs to one check code.
enum class Problem {
    emptyFile,
    recordLength,
    lineEnd,
    placeholder,
    firstNotDeclarant,
    secondDeclarant,
    unknownType,
    characters,
    model,
    year,
    folderYear,
    declarantDiffers,
    staleFile,
    declarantTaxBlank,
    declarantTaxMalformed,
    declarantTaxCheck,
    declarantName,
    phone,
    contactName,
    declarationNumber,
    payeeCount,
    totalBase,
    totalWithheld,
    payeeTaxBlank,
    payeeTaxMalformed,
    payeeTaxCheck,
    payeeName,
    province,
    defaultProvince,
    keySubkey,
    sign,
    amount,
    withheldOverBase,
    withheldNegativeBase,
    rateProfessional,
    rateContractor,
    notNumeric,
    birthYearMissing,
    birthYearImplausible,
    familySituation,
    spouseTaxMissing,
    spouseTaxInvalid,
    spouseWithoutSituation2,
    disability,
    contractKind,
    mobility,
    children,
    duplicatePayee,
    listingTotals,
};

// The check code ("F1", "P12", ...) and severity ('E' or 'W') of a problem.
const char* ProblemCode(Problem problem);
char ProblemSeverity(Problem problem);

struct Finding {
    int record = 1;    // from 1
    int position = 0;  // first position of the field (1-500); 0 the whole record or file
    Problem problem = Problem::emptyFile;
    std::string value;  // the field as the file holds it, or what was expected
    // For a payee record: the payee's tax number and name as the file holds
    // them, and the payee's code when the office's data gave it.
    std::string payeeTaxNumber;
    std::string payeeName;
    std::string payeeCode;

    const char* code() const { return ProblemCode(problem); }
    char severity() const { return ProblemSeverity(problem); }
};

// What the office's data tells about a payee that the file cannot show,
// by the tax number the return carries.
struct PayeeFacts {
    std::string code;             // 4 digits
    bool postalCodeGiven = true;  // the address line starts with a postal code
};
// Keyed by the 9 characters of the tax number as the return carries them;
// a payee without a tax number by PayeeNameKey of its name as the return
// carries it (40 characters).
using PayeeDirectory = std::map<std::string, PayeeFacts>;
std::string PayeeNameKey(std::string_view returnName);

// Checks one return file. folderName is the name of the folder it lies in
// ("190M2025.0A"), whose year the records must carry; empty when unknown.
// payees, when given, names the payees' codes and shows default provinces.
std::vector<Finding> CheckReturnFile(std::string_view bytes, std::string_view folderName,
                                     const PayeeDirectory* payees = nullptr);

// The return files of a folder that the last run did not write: file names
// ("P0042") present in the folder but not among those written.
std::vector<std::string> StaleReturnFiles(const std::vector<std::string>& present,
                                          const std::vector<std::string>& written);

// True for the name of a return file: "P" followed by digits.
bool IsReturnFileName(std::string_view name);

}  // namespace vela
