#include "app/filing_check.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <tuple>

#include "datenum/tax_numbers.hpp"

namespace vela {
namespace {

constexpr std::size_t kRecordLength = 500;

struct ProblemInfo {
    const char* code;
    char severity;
};

// In the order of Problem.
constexpr std::array<ProblemInfo, 49> kProblems = {{
    {"F1", 'E'},  {"F1", 'E'},  {"F1", 'E'},  {"F2", 'E'},  {"F2", 'E'},  {"F2", 'E'},
    {"F2", 'E'},  {"F3", 'E'},  {"F4", 'E'},  {"F4", 'E'},  {"F4", 'E'},  {"F4", 'E'},
    {"F5", 'W'},  {"D1", 'E'},  {"D1", 'E'},  {"D1", 'E'},  {"D2", 'E'},  {"D4", 'E'},
    {"D5", 'E'},  {"D6", 'W'},  {"D8", 'E'},  {"D9", 'E'},  {"D9", 'E'},  {"P1", 'E'},
    {"P1", 'E'},  {"P1", 'E'},  {"P3", 'E'},  {"P4", 'E'},  {"P4", 'W'},  {"P5", 'E'},
    {"P6", 'E'},  {"P6", 'E'},  {"P7", 'W'},  {"P7", 'W'},  {"P8", 'W'},  {"P8", 'W'},
    {"P11", 'E'}, {"P12", 'E'}, {"P12", 'W'}, {"P12", 'E'}, {"P12", 'E'}, {"P12", 'E'},
    {"P12", 'E'}, {"P12", 'E'}, {"P12", 'E'}, {"P12", 'E'}, {"P13", 'W'}, {"P15", 'W'},
    {"X1", 'W'},
}};
static_assert(static_cast<std::size_t>(Problem::listingTotals) + 1 == kProblems.size());

struct Field {
    int start;
    int width;
};

// The fields of the declarant record (type 1), in order.
constexpr Field kDeclarantFields[] = {
    {1, 1},   {2, 3},   {5, 4},    {9, 9},   {18, 40}, {58, 1},   {59, 9},   {68, 40},   {108, 13},
    {121, 1}, {122, 1}, {123, 13}, {136, 9}, {145, 1}, {146, 15}, {161, 15}, {176, 325},
};

// Amounts of the payee record: digits only, 13 of them.
constexpr int kPayeeAmounts[] = {82,  95,  109, 122, 135, 171, 184, 197, 210, 256,
                                 269, 283, 296, 309, 323, 336, 349, 362, 375};
// Sign positions of the payee record: blank or "N".
constexpr int kPayeeSigns[] = {81, 108, 255, 282};
// Other numeric fields of the payee record (zero-filled when not used).
constexpr Field kPayeeNumbers[] = {
    {148, 4}, {152, 1}, {153, 4}, {157, 1}, {167, 1}, {168, 1}, {169, 1}, {170, 1}, {223, 1},
    {224, 1}, {225, 2}, {227, 2}, {229, 2}, {231, 2}, {233, 2}, {235, 2}, {237, 2}, {239, 2},
    {241, 1}, {242, 1}, {243, 1}, {244, 1}, {245, 1}, {246, 1}, {247, 1}, {248, 1}, {249, 1},
    {250, 1}, {251, 1}, {252, 1}, {253, 1}, {254, 1}, {322, 1}, {388, 1}, {389, 1}, {390, 5},
};
// The text fields of the payee record; with the numbers above they cover
// every position.
constexpr Field kPayeeTexts[] = {
    {1, 1},   {2, 3},  {5, 4},  {9, 9},  {18, 9},  {27, 9},
    {36, 40}, {76, 2}, {78, 1}, {79, 2}, {158, 9}, {395, 106},
};

// Field starts by position (index 1-500) of each record type.
using FieldStarts = std::array<int, kRecordLength + 1>;

FieldStarts DeclarantStarts() {
    FieldStarts starts{};
    for (const Field& f : kDeclarantFields) {
        for (int p = f.start; p < f.start + f.width; ++p)
            starts[static_cast<std::size_t>(p)] = f.start;
    }
    return starts;
}

FieldStarts PayeeStarts() {
    FieldStarts starts{};
    const auto mark = [&](int start, int width) {
        for (int p = start; p < start + width; ++p) starts[static_cast<std::size_t>(p)] = start;
    };
    for (const Field& f : kPayeeTexts) mark(f.start, f.width);
    for (const Field& f : kPayeeNumbers) mark(f.start, f.width);
    for (int start : kPayeeAmounts) mark(start, 13);
    for (int start : kPayeeSigns) mark(start, 1);
    return starts;
}

// Keys and subkeys of the payee records.
struct KeyPairs {
    char key;
    const char* subkeys;  // two characters each
};
constexpr KeyPairs kKeyPairs[] = {
    {'A', "00"},
    {'B', "010203"},
    {'C', "00"},
    {'D', "00"},
    {'E', "01020304"},
    {'F', "0102"},
    {'G', "01020304"},
    {'H', "01020304"},
    {'I', "0102"},
    {'J', "00"},
    {'K', "010203"},
    {'M', "010203"},
    {'L', "01020304050607080910111213141516171819202122232425262728293031"},
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

bool AllBlank(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
}

long long Number(std::string_view digits) {
    long long value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    return value;
}

std::string Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

// Capital letters, digits, blank and the punctuation the design admits.
bool AllowedCharacter(char c) {
    static constexpr std::string_view kPunctuation = "&'(),-./:;";
    return (c >= 'A' && c <= 'Z') || IsDigit(c) || c == ' ' ||
           kPunctuation.find(c) != std::string_view::npos;
}

// The year of a return folder's name, "190M" + year + ".0A"; empty when the
// name is not one.
std::string FolderYear(std::string_view folder) {
    if (folder.size() == 11 && folder.substr(0, 4) == "190M" && folder.substr(8) == ".0A" &&
        AllDigits(folder.substr(4, 4))) {
        return std::string(folder.substr(4, 4));
    }
    return {};
}

struct Line {
    std::string_view text;
    bool crlf = false;
};

class Checker {
  public:
    Checker(std::string_view bytes, std::string_view folder, const PayeeDirectory* payees)
        : bytes_(bytes), folderYear_(FolderYear(folder)), payees_(payees) {}

    std::vector<Finding> Run();

  private:
    void Split();
    void CheckLayout();
    void CheckCharacters(int record, std::string_view r, const FieldStarts& starts);
    void CheckConsistency();
    void CheckDeclarant(std::string_view r);
    void CheckPayee(int record, std::string_view r);
    void CheckFamilyData(int record, std::string_view r);
    void CheckTotals();

    std::string_view Text(std::string_view r, int position, int width) const {
        return r.substr(static_cast<std::size_t>(position - 1), static_cast<std::size_t>(width));
    }
    void Add(int record, int position, Problem problem, std::string value = {});

    std::string_view bytes_;
    std::string folderYear_;
    const PayeeDirectory* payees_;
    std::vector<Line> lines_;
    // Records of 500 characters, by record number; empty for the others.
    std::vector<std::string_view> records_;
    std::vector<Finding> findings_;
    std::set<std::tuple<int, int, std::string>> seen_;

    // Payee totals for the declarant's: unknown once an amount is unreadable.
    bool totalsKnown_ = true;
    long long baseSum_ = 0;
    long long withheldSum_ = 0;
    long long payeeRecords_ = 0;
    std::set<std::string> payeeKeys_;
};

void Checker::Add(int record, int position, Problem problem, std::string value) {
    if (!seen_.insert({record, position, ProblemCode(problem)}).second) return;
    Finding finding;
    finding.record = record;
    finding.position = position;
    finding.problem = problem;
    finding.value = std::move(value);
    const std::size_t index = static_cast<std::size_t>(record - 1);
    if (index < records_.size() && !records_[index].empty() && records_[index][0] == '2') {
        const std::string_view r = records_[index];
        finding.payeeTaxNumber = Trimmed(Text(r, 18, 9));
        finding.payeeName = Trimmed(Text(r, 36, 40));
        if (payees_) {
            const std::string_view taxNumber = Text(r, 18, 9);
            const auto it = payees_->find(AllBlank(taxNumber) ? PayeeNameKey(Text(r, 36, 40))
                                                              : std::string(taxNumber));
            if (it != payees_->end()) finding.payeeCode = it->second.code;
        }
    }
    findings_.push_back(std::move(finding));
}

void Checker::Split() {
    std::size_t at = 0;
    while (at < bytes_.size()) {
        const std::size_t end = bytes_.find('\n', at);
        Line line;
        if (end == std::string_view::npos) {
            line.text = bytes_.substr(at);
            at = bytes_.size();
        } else {
            line.text = bytes_.substr(at, end - at);
            at = end + 1;
            if (!line.text.empty() && line.text.back() == '\r') {
                line.text.remove_suffix(1);
                line.crlf = true;
            }
        }
        lines_.push_back(line);
    }
    for (const Line& line : lines_) {
        records_.push_back(line.text.size() == kRecordLength ? line.text : std::string_view());
    }
}

void Checker::CheckLayout() {
    static const FieldStarts declarantStarts = DeclarantStarts();
    static const FieldStarts payeeStarts = PayeeStarts();
    if (bytes_.empty()) {
        Add(1, 0, Problem::emptyFile);
        return;
    }
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const int record = static_cast<int>(i + 1);
        if (lines_[i].text.size() != kRecordLength) {
            Add(record, 0, Problem::recordLength, std::to_string(lines_[i].text.size()));
        } else if (!lines_[i].crlf) {
            Add(record, 0, Problem::lineEnd);
        }
        const std::string_view r = records_[i];
        if (r.empty()) continue;
        if (AllBlank(r)) {
            Add(record, 0, Problem::placeholder);
            continue;
        }
        if (i == 0 && r[0] != '1') Add(record, 1, Problem::firstNotDeclarant, std::string(1, r[0]));
        if (i > 0 && r[0] == '1') Add(record, 1, Problem::secondDeclarant);
        if (r[0] != '1' && r[0] != '2') Add(record, 1, Problem::unknownType, std::string(1, r[0]));
        CheckCharacters(record, r, r[0] == '1' ? declarantStarts : payeeStarts);
    }
}

void Checker::CheckCharacters(int record, std::string_view r, const FieldStarts& starts) {
    for (std::size_t p = 0; p < r.size(); ++p) {
        if (AllowedCharacter(r[p])) continue;
        Add(record, starts[p + 1], Problem::characters);
    }
}

void Checker::CheckConsistency() {
    // The reference: the declarant record, or the first record that holds
    // anything when the declarant record is missing.
    std::string_view reference;
    for (const std::string_view r : records_) {
        if (!r.empty() && !AllBlank(r)) {
            reference = r;
            break;
        }
    }
    if (reference.empty()) return;
    const std::string_view year = Text(reference, 5, 4);
    const std::string_view declarant = Text(reference, 9, 9);
    for (std::size_t i = 0; i < records_.size(); ++i) {
        const std::string_view r = records_[i];
        if (r.empty() || AllBlank(r)) continue;
        const int record = static_cast<int>(i + 1);
        if (Text(r, 2, 3) != "190") Add(record, 2, Problem::model, std::string(Text(r, 2, 3)));
        if (Text(r, 5, 4) != year) Add(record, 5, Problem::year, std::string(Text(r, 5, 4)));
        if (Text(r, 9, 9) != declarant) {
            Add(record, 9, Problem::declarantDiffers, std::string(Text(r, 9, 9)));
        }
    }
    if (!folderYear_.empty() && year != folderYear_) {
        const int record = static_cast<int>(std::find(records_.begin(), records_.end(), reference) -
                                            records_.begin() + 1);
        Add(record, 5, Problem::folderYear, std::string(year) + " / " + folderYear_);
    }
}

void Checker::CheckDeclarant(std::string_view r) {
    switch (CheckTaxNumber(Text(r, 9, 9))) {
        case TaxNumberFault::none:
            break;
        case TaxNumberFault::blank:
            Add(1, 9, Problem::declarantTaxBlank);
            break;
        case TaxNumberFault::malformed:
            Add(1, 9, Problem::declarantTaxMalformed, std::string(Text(r, 9, 9)));
            break;
        case TaxNumberFault::checkCharacter:
            Add(1, 9, Problem::declarantTaxCheck, std::string(Text(r, 9, 9)));
            break;
    }
    if (AllBlank(Text(r, 18, 40))) Add(1, 18, Problem::declarantName);
    if (!AllDigits(Text(r, 59, 9))) Add(1, 59, Problem::phone, Trimmed(Text(r, 59, 9)));

    const std::string contact = Trimmed(Text(r, 68, 40));
    const bool letters = std::all_of(contact.begin(), contact.end(),
                                     [](char c) { return c == ' ' || (c >= 'A' && c <= 'Z'); });
    if (!letters || contact.find(' ') == std::string::npos) {
        Add(1, 68, Problem::contactName, contact);
    }
    if (Text(r, 108, 13) == "1900000000000") {
        Add(1, 108, Problem::declarationNumber, std::string(Text(r, 108, 13)));
    }
}

void Checker::CheckPayee(int record, std::string_view r) {
    ++payeeRecords_;
    const std::string_view taxNumber = Text(r, 18, 9);
    switch (CheckTaxNumber(taxNumber)) {
        case TaxNumberFault::none:
            break;
        case TaxNumberFault::blank:
            Add(record, 18, Problem::payeeTaxBlank);
            break;
        case TaxNumberFault::malformed:
            Add(record, 18, Problem::payeeTaxMalformed, std::string(taxNumber));
            break;
        case TaxNumberFault::checkCharacter:
            Add(record, 18, Problem::payeeTaxCheck, std::string(taxNumber));
            break;
    }
    if (AllBlank(Text(r, 36, 40))) Add(record, 36, Problem::payeeName);

    const std::string_view province = Text(r, 76, 2);
    const long provinceNumber = AllDigits(province) ? static_cast<long>(Number(province)) : -1;
    if (!((provinceNumber >= 1 && provinceNumber <= 52) || provinceNumber == 98)) {
        Add(record, 76, Problem::province, std::string(province));
    } else if (payees_) {
        const auto it = payees_->find(std::string(taxNumber));
        if (it != payees_->end() && !it->second.postalCodeGiven) {
            Add(record, 76, Problem::defaultProvince, std::string(province));
        }
    }

    const char key = r[77];
    const std::string_view subkey = Text(r, 79, 2);
    bool pairKnown = false;
    for (const KeyPairs& pair : kKeyPairs) {
        const std::string_view subkeys = pair.subkeys;
        for (std::size_t i = 0; pair.key == key && i + 1 < subkeys.size(); i += 2) {
            pairKnown = pairKnown || subkeys.substr(i, 2) == subkey;
        }
    }
    if (!pairKnown) Add(record, 78, Problem::keySubkey, std::string(Text(r, 78, 3)));

    for (int position : kPayeeSigns) {
        const char sign = r[static_cast<std::size_t>(position - 1)];
        if (sign != ' ' && sign != 'N') Add(record, position, Problem::sign, std::string(1, sign));
    }
    bool amountsRead = true;
    for (int position : kPayeeAmounts) {
        if (!AllDigits(Text(r, position, 13))) {
            Add(record, position, Problem::amount, std::string(Text(r, position, 13)));
            if (position == 82 || position == 95) amountsRead = false;
        }
    }
    for (const Field& f : kPayeeNumbers) {
        if (!AllDigits(Text(r, f.start, f.width))) {
            Add(record, f.start, Problem::notNumeric, std::string(Text(r, f.start, f.width)));
        }
    }

    if (amountsRead && (r[80] == ' ' || r[80] == 'N')) {
        const long long magnitude = Number(Text(r, 82, 13));
        const long long base = r[80] == 'N' ? -magnitude : magnitude;
        const long long withheld = Number(Text(r, 95, 13));
        baseSum_ += base;
        withheldSum_ += withheld;
        if (base < 0 && withheld > 0) {
            Add(record, 95, Problem::withheldNegativeBase, std::string(Text(r, 95, 13)));
        } else if (withheld > magnitude) {
            Add(record, 95, Problem::withheldOverBase, std::string(Text(r, 95, 13)));
        }
        // The rate in hundredths of a percent.
        const long long rate = base > 0 && withheld > 0 ? withheld * 10000 / base : -1;
        const std::string pair = std::string(1, key) + std::string(subkey);
        const auto rateText = [&] {
            return std::to_string(rate / 100) + "." + std::to_string(rate % 100 / 10) +
                   std::to_string(rate % 10) + " %";
        };
        if (rate >= 0 && pair == "G01" && std::llabs(rate - 1500) > 100 &&
            std::llabs(rate - 700) > 100) {
            Add(record, 95, Problem::rateProfessional, rateText());
        }
        if (rate >= 0 && pair == "H04" && std::llabs(rate - 100) > 50) {
            Add(record, 95, Problem::rateContractor, rateText());
        }
    } else {
        totalsKnown_ = false;
    }

    if (key == 'A') CheckFamilyData(record, r);

    if (!AllBlank(taxNumber)) {
        const std::string same = std::string(Text(r, 78, 3)) + std::string(taxNumber);
        if (!payeeKeys_.insert(same).second) {
            Add(record, 18, Problem::duplicatePayee, std::string(Text(r, 78, 3)));
        }
    }
}

void Checker::CheckFamilyData(int record, std::string_view r) {
    const std::string_view birth = Text(r, 153, 4);
    const std::string_view year = Text(r, 5, 4);
    if (AllDigits(birth)) {
        const long long born = Number(birth);
        if (born == 0) {
            Add(record, 153, Problem::birthYearMissing);
        } else if (AllDigits(year)) {
            const long long age = Number(year) - born;
            if (age < 14 || age > 100) {
                Add(record, 153, Problem::birthYearImplausible, std::string(birth));
            }
        }
    }
    const char situation = r[156];
    if (IsDigit(situation) && (situation < '1' || situation > '3')) {
        Add(record, 157, Problem::familySituation, std::string(1, situation));
    }
    const std::string_view spouse = Text(r, 158, 9);
    if (situation == '2') {
        if (AllBlank(spouse)) {
            Add(record, 158, Problem::spouseTaxMissing);
        } else if (!IsValidTaxNumber(spouse)) {
            Add(record, 158, Problem::spouseTaxInvalid, std::string(spouse));
        }
    } else if (!AllBlank(spouse)) {
        Add(record, 158, Problem::spouseWithoutSituation2, std::string(spouse));
    }
    const char disability = r[166];
    if (IsDigit(disability) && disability > '3') {
        Add(record, 167, Problem::disability, std::string(1, disability));
    }
    const char contract = r[167];
    if (IsDigit(contract) && (contract < '1' || contract > '4')) {
        Add(record, 168, Problem::contractKind, std::string(1, contract));
    }
    const char mobility = r[169];
    if (IsDigit(mobility) && mobility > '1') {
        Add(record, 170, Problem::mobility, std::string(1, mobility));
    }

    // Positions 251-253 compute the first three children, and need as many
    // descendants: those under three (223) and the others (225-226).
    const std::string_view firstThree = Text(r, 251, 3);
    if (AllDigits(firstThree) && IsDigit(r[222]) && AllDigits(Text(r, 225, 2))) {
        const long long children =
            std::count_if(firstThree.begin(), firstThree.end(), [](char c) { return c != '0'; });
        const long long descendants = (r[222] - '0') + Number(Text(r, 225, 2));
        if (children > descendants) {
            Add(record, 251, Problem::children,
                std::string(firstThree) + " / " + std::to_string(descendants));
        }
    }
}

void Checker::CheckTotals() {
    const std::string_view r = records_[0];
    const std::string_view count = Text(r, 136, 9);
    if (!AllDigits(count) || Number(count) != payeeRecords_) {
        Add(1, 136, Problem::payeeCount,
            std::string(count) + " / " + std::to_string(payeeRecords_));
    }
    const char sign = r[144];
    const std::string_view base = Text(r, 146, 15);
    const std::string_view withheld = Text(r, 161, 15);
    const bool baseRead = (sign == ' ' || sign == 'N') && AllDigits(base);
    if (!baseRead || (totalsKnown_ && (sign == 'N' ? -Number(base) : Number(base)) != baseSum_)) {
        Add(1, 145, Problem::totalBase,
            std::string(1, sign) + std::string(base) + " / " + std::to_string(baseSum_));
    }
    if (!AllDigits(withheld) || (totalsKnown_ && Number(withheld) != withheldSum_)) {
        Add(1, 161, Problem::totalWithheld,
            std::string(withheld) + " / " + std::to_string(withheldSum_));
    }
}

std::vector<Finding> Checker::Run() {
    Split();
    CheckLayout();
    CheckConsistency();
    for (std::size_t i = 0; i < records_.size(); ++i) {
        if (!records_[i].empty() && records_[i][0] == '2') {
            CheckPayee(static_cast<int>(i + 1), records_[i]);
        }
    }
    if (!records_.empty() && !records_[0].empty() && records_[0][0] == '1') {
        CheckDeclarant(records_[0]);
        CheckTotals();
    }
    std::stable_sort(findings_.begin(), findings_.end(), [](const Finding& a, const Finding& b) {
        return std::tie(a.record, a.position) < std::tie(b.record, b.position);
    });
    return std::move(findings_);
}

}  // namespace

const char* ProblemCode(Problem problem) {
    return kProblems[static_cast<std::size_t>(problem)].code;
}

char ProblemSeverity(Problem problem) {
    return kProblems[static_cast<std::size_t>(problem)].severity;
}

std::vector<Finding> CheckReturnFile(std::string_view bytes, std::string_view folderName,
                                     const PayeeDirectory* payees) {
    return Checker(bytes, folderName, payees).Run();
}

std::vector<std::string> StaleReturnFiles(const std::vector<std::string>& present,
                                          const std::vector<std::string>& written) {
    const std::set<std::string> wrote(written.begin(), written.end());
    std::vector<std::string> stale;
    for (const std::string& name : present) {
        if (!wrote.count(name)) stale.push_back(name);
    }
    std::sort(stale.begin(), stale.end());
    return stale;
}

std::string PayeeNameKey(std::string_view returnName) { return "name:" + std::string(returnName); }

bool IsReturnFileName(std::string_view name) {
    return name.size() >= 2 && name[0] == 'P' && AllDigits(name.substr(1));
}

}  // namespace vela
