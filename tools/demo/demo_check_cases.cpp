#include "tools/demo/demo_check_cases.hpp"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "datenum/tax_numbers.hpp"
#include "platform/code_page_850.hpp"

namespace vela {
namespace {

namespace L = layout;

std::size_t FileIndex(std::string_view name) {
    for (std::size_t i = 0; i < kRecordFiles.size(); ++i) {
        if (kRecordFiles[i].name == name) return i;
    }
    return 0;
}

std::string Digits(long value, int width) {
    char text[24];
    std::snprintf(text, sizeof text, "%0*ld", width, value);
    return text;
}

// The same number with another check letter: a typing slip.
std::string WrongCheck(std::string number) {
    number.back() = number.back() == 'A' ? 'B' : 'A';
    return number;
}

class Records {
  public:
    Records(DemoRecordSink& sink, DemoCounts& counts) : sink_(sink), counts_(counts) {}
    std::string& Start(std::string_view file) {
        index_ = FileIndex(file);
        record_.assign(kRecordFiles[index_].recordLength, ' ');
        return record_;
    }
    void Finish() {
        sink_.Add(kRecordFiles[index_], record_);
        ++counts_[index_];
    }

  private:
    DemoRecordSink& sink_;
    DemoCounts& counts_;
    std::size_t index_ = 0;
    std::string record_;
};

struct Payment {
    std::int32_t base;
    std::int32_t withheld;
};

struct CasePayee {
    const char* name;  // UTF-8
    char kind;
    const char* address2;
    std::string taxNumber;
    std::vector<Payment> payments;
};

}  // namespace

void GenerateCheckCases(const DemoOptions& options, int firstOwner, int firstPayee,
                        DemoRecordSink& sink, DemoCounts& counts) {
    if (firstOwner + 1 > 9999 || firstPayee + 9 > 9999) return;
    Records records(sink, counts);
    const int year = options.year;
    const std::uint32_t n = static_cast<std::uint32_t>(options.seed % 1000);

    const std::vector<Payment> professional = {{100000, 15000}, {120000, 18000}};
    const std::string twice = MakeNif(71000000 + n);
    std::vector<CasePayee> payees = {
        // Owner 1's payees.
        {"FARRÉ OLIVERAS*JOAN", 'P', "08500 VIC", WrongCheck(MakeNif(70000000 + n)), professional},
        {"NÚÑEZ BOSCH*LAIA", 'P', "8500 VIC", MakeNif(70100000 + n), professional},
        {"ADVOCATS SOLÀ SLP",
         'P',
         "08001 BARCELONA",
         MakeCif('B', 7020000 + n),
         {{100000, 15000}, {-20000, -40000}}},
        {"PLANAS SERRA*ANNA", 'P', "17001 GIRONA", twice, professional},
        {"PLANAS SERRA*ANNA", 'P', "17001 GIRONA", twice, professional},
        // Owner 2's payees.
        {"* * *", 'I', "08001 BARCELONA", MakeCif('B', 7030000 + n), {{200000, 2000}}},
        {"VIDRES RIERA SL", 'I', "43201 REUS", MakeCif('B', 7040000 + n), {{10000, 15000}}},
        {"NETEGES FONT SL",
         'I',
         "25001 LLEIDA",
         MakeCif('B', 7050000 + n),
         {{50000, 500}, {-90000, 900}}},
        {"CORTÉS PEÑA*ROSER", 'L', "08500 VIC", MakeNif(70600000 + n), {{150000, 15000}}},
        {"ROVIRA GIRÓ*ENRIC", 'L', "08500 VIC", MakeNif(70700000 + n), {{160000, 16000}}},
    };
    for (std::size_t i = 0; i < payees.size(); ++i) {
        const CasePayee& payee = payees[i];
        const int code = firstPayee + static_cast<int>(i);
        std::string& r = records.Start("Industri");
        L::Industri::payeeCode.WriteDigits(r, Digits(code, 4));
        L::Industri::payeeName.Write(r, Cp850(payee.name));
        L::Industri::payeeAddress1.Write(r, "C. MAJOR, 1");
        L::Industri::payeeAddress2.Write(r, payee.address2);
        L::Industri::payeeAddress3.Write(r, "BARCELONA");
        L::Industri::payeeKind.Write(r, std::string(1, payee.kind));
        L::Industri::payeeFlag.Write(r, 0);
        L::Industri::payeeTaxId.Write(r, "ES" + payee.taxNumber);
        records.Finish();
    }
    // The employee with family data out of range: a spouse's tax number
    // with a wrong check letter and a contract kind the return does not
    // know. The other employee has no family data at all.
    {
        std::string& f = records.Start("UIndFami");
        L::UIndFami::payeeCode.WriteDigits(f, Digits(firstPayee + 9, 4));
        L::UIndFami::birthYear.WriteDigits(f, "1985");
        L::UIndFami::familySituation.Write(f, "2");
        L::UIndFami::spouseTaxId.Write(f, "ES" + WrongCheck(MakeNif(70800000 + n)));
        L::UIndFami::disability.Write(f, "0");
        L::UIndFami::contractKind.Write(f, "7");
        L::UIndFami::extensionFlag.Write(f, "0");
        L::UIndFami::mobilityFlag.Write(f, "0");
        for (std::size_t i = 1; i <= L::UIndFami::familyCounts.count; ++i) {
            L::UIndFami::familyCounts[i].Write(f, 0);
        }
        records.Finish();
    }

    struct CaseOwner {
        const char* name;
        std::string taxNumber;
        std::size_t firstPayee, lastPayee;  // indexes into payees
    };
    const std::vector<CaseOwner> owners = {
        {"VALLS NOGUERA*TERESA", WrongCheck(MakeNif(70900000 + n)), 0, 4},
        {"**", MakeNif(71100000 + n), 5, 9},
    };
    for (std::size_t o = 0; o < owners.size(); ++o) {
        const std::string ownerDigits = Digits(firstOwner + static_cast<int>(o), 4);
        std::string& r = records.Start("VPropiet");
        L::VPropiet::ownerCode.WriteDigits(r, ownerDigits);
        L::VPropiet::ownerName.Write(r, Cp850(owners[o].name));
        L::VPropiet::ownerAddress1.Write(r, "C. MAJOR, 1");
        L::VPropiet::ownerAddress2.Write(r, "08500 VIC");
        L::VPropiet::ownerAddress3.Write(r, "BARCELONA");
        L::VPropiet::withholdingOwner.Write(r, "S");
        L::VPropiet::ownerState.Write(r, 0);
        L::VPropiet::ownerTaxId.Write(r, "ES" + owners[o].taxNumber);
        records.Finish();

        std::string& g = records.Start("VGrups");
        L::VGrups::groupKey.WriteDigits(g, ownerDigits + "0001");
        L::VGrups::groupTerritory.WriteDigits(g, "1");
        records.Finish();

        // One payment a month from March, in payee order.
        int month = 3;
        for (std::size_t i = owners[o].firstPayee; i <= owners[o].lastPayee; ++i) {
            for (const Payment& payment : payees[i].payments) {
                std::string& p = records.Start("VPagos");
                L::VPagos::paymentGroup.WriteDigits(p, ownerDigits + "0001");
                L::VPagos::paymentDate.WriteDigits(
                    p, Digits(year, 4) + Digits(std::min(month++, 12), 2) + "10");
                L::VPagos::paymentBase.Write(p, payment.base);
                L::VPagos::payeeCode.WriteDigits(p, Digits(firstPayee + static_cast<int>(i), 4));
                L::VPagos::paymentWithheld.Write(p, payment.withheld);
                records.Finish();
            }
        }
    }
}

namespace {

void Put(std::string& record, std::size_t position, const std::string& text) {
    record.replace(position - 1, text.size(), text);
}

std::string Zeros(std::size_t n) { return std::string(n, '0'); }

std::string Declarant(const std::string& year, const std::string& taxNumber,
                      const std::string& name, const std::string& phone, const std::string& contact,
                      int payees, long base, long withheld) {
    std::string r(500, ' ');
    Put(r, 1, "1190" + year + taxNumber + name);
    Put(r, 58, "T" + phone);
    Put(r, 68, contact);
    Put(r, 108, "1901234567890");
    Put(r, 123, Zeros(13) + Digits(payees, 9) + " " + Digits(base, 15) + Digits(withheld, 15));
    return r;
}

std::string Payee(const std::string& year, const std::string& ownerTax, const std::string& payeeTax,
                  const std::string& name, long base, long withheld) {
    std::string r(500, ' ');
    Put(r, 1, "2190" + year + ownerTax + payeeTax);
    Put(r, 36, name);
    Put(r, 76, "08G01 " + Digits(base, 13) + Digits(withheld, 13));
    Put(r, 109, Zeros(49));
    Put(r, 167, Zeros(88) + " " + Zeros(26) + " " + Zeros(112));
    return r;
}

bool Write(const std::filesystem::path& path, const std::string& bytes, std::string& error) {
    std::error_code fsError;
    std::filesystem::create_directories(path.parent_path(), fsError);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    if (!out) error = "cannot write " + path.string();
    return static_cast<bool>(out);
}

}  // namespace

bool WriteSampleReturns(const std::string& root, const DemoOptions& options, std::string& error) {
    namespace fs = std::filesystem;
    const std::string year = Digits(options.year, 4);
    const std::string last = Digits(options.year - 1, 4);
    const std::uint32_t n = static_cast<std::uint32_t>(options.seed % 1000);
    const std::string owner = MakeNif(72000000 + n);
    const std::string payee = MakeNif(72100000 + n);
    const std::string contact = "PUIG SOLA MARTA";
    const auto file = [](const std::vector<std::string>& records, const char* end) {
        std::string bytes;
        for (const std::string& r : records) bytes += r + end;
        return bytes;
    };
    const std::string sound =
        file({Declarant(year, owner, "FONT RIERA ARNAU", "938861234", contact, 1, 100000, 15000),
              Payee(year, owner, payee, "PUIG FONT NURIA", 100000, 15000)},
             "\r\n");

    // This year's file of owner 0003, who no longer withholds: every run
    // leaves it behind.
    const fs::path current = fs::path(root) / "AEAT" / ("190M" + year + ".0A");
    if (!Write(current / "P0003", sound, error)) return false;

    // Last year's folder: an interrupted run (blank first record), a file
    // whose line ends lost their CR, and one edited by hand: another year
    // in its payee record, a count that no longer matches, an unknown key, a
    // blank in an amount, a short telephone and a contact in lower case.
    const fs::path previous = fs::path(root) / "AEAT" / ("190M" + last + ".0A");
    const std::string lastSound =
        file({Declarant(last, owner, "FONT RIERA ARNAU", "938861234", contact, 1, 100000, 15000),
              Payee(last, owner, payee, "PUIG FONT NURIA", 100000, 15000)},
             "\r\n");
    std::string interrupted = lastSound;
    interrupted.replace(0, 500, std::string(500, ' '));
    if (!Write(previous / "P0001", interrupted, error)) return false;
    const std::string lineFeeds =
        file({Declarant(last, owner, "FONT RIERA ARNAU", "938861234", contact, 1, 100000, 15000),
              Payee(last, owner, payee, "PUIG FONT NURIA", 100000, 15000)},
             "\n");
    if (!Write(previous / "P0002", lineFeeds, error)) return false;
    std::string edited =
        Payee(Digits(options.year - 2, 4), owner, payee, "PUIG FONT NURIA", 100000, 15000);
    Put(edited, 78, "G07");
    Put(edited, 82, " 000000100000");
    const std::string handEdited = file({Declarant(last, owner, "FONT RIERA ARNAU", "93886",
                                                   Cp850("Puig Solà Marta"), 2, 100000, 15000),
                                         edited},
                                        "\r\n");
    if (!Write(previous / "P0004", handEdited, error)) return false;

    // Last year's listing as the print program wrote it, taken before owner
    // 0002's last payment was booked: its totals differ from the file's.
    const std::string listing =
        "FINQUES PLANA DE VIC\n\n"
        "CODI N.I.F.            INDUSTRIAL                               EPI.         BASE      "
        "RETENCI\xC3\x93\n" +
        std::string(95, '-') + "\n" + "0001 ES" + payee +
        "       PUIG FONT NURIA                          G01        900           135\n" +
        std::string(68, ' ') + std::string(27, '-') + "\n" + "2    ES" + owner +
        "       FONT RIERA ARNAU ....................... G01        900           135\n\n";
    return Write(fs::path(root) / ("LLISTAT" + last + ".TXT"), listing, error);
}

}  // namespace vela
