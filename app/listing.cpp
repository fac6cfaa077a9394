#include "app/listing.hpp"

#include "datenum/calendar_dates.hpp"
#include "datenum/date_text.hpp"
#include "datenum/dotted_codes.hpp"
#include "datenum/picture_editing.hpp"
#include "datenum/text_utils.hpp"
#include "env/translation.hpp"
#include "platform/code_page_850.hpp"
#include "print/spool_file.hpp"

namespace vela {
namespace {

constexpr int kPageLength = 66;
constexpr const char* kLineMask = "Z,ZZZ,ZZZ,ZZZ-";
constexpr const char* kTotalMask = "Z,ZZZ,ZZZ,ZZ9-";

void Justify(const char* spec) {
    std::string code = spec;
    SetJustification(code);
}

// The three return keys in their order, with the owner's or territory's
// figures for each.
struct CategoryFigures {
    const char* code;
    double base;
    double withheld;
    double paidOnAccount;
};

std::array<CategoryFigures, 3> Categories(const ReportTotals& t) {
    return {{{"A00", t.sums.employeeBase, t.sums.employeeWithheld, t.paidOnAccountA},
             {"G01", t.sums.professionalBase, t.sums.professionalWithheld, t.paidOnAccountG},
             {"H04", t.sums.contractorBase, t.sums.contractorWithheld, t.paidOnAccountH}}};
}

// A line per return key whose tax withheld is not 0: base and withheld.
void PrintCategoryTotals(const ReportTotals& totals) {
    for (const CategoryFigures& c : Categories(totals)) {
        if (c.withheld == 0) continue;
        PrintText(65, c.code, 0);
        Justify("D");
        PrintText(69, EditAmount(kTotalMask, c.base), 0);
        PrintText(83, EditAmount(kTotalMask, c.withheld), 1);
    }
}

void EndOpenLine() {
    if (Spool.column != 0) PrintText(0, "", 1);
}

}  // namespace

void ListingPrinter::BeginPage() {
    ++pageNumber_;
    NewPage(kPageLength);
    PrintControl("@e");
    PrintText(1, heading_.officeName, 0);
    Justify("D");
    PrintText(85, Translate(Cp850("PÀGINA ")) + EditNumber("ZZZ9", pageNumber_), 2);
    const std::string title =
        TrimRight(Translate(Cp850("RELACIÓ ANYAL DE RETENCIONS DES DEL PROPIETARI ")) +
                  CodeText(heading_.firstOwner) + Translate(" AL ") + CodeText(heading_.lastOwner) +
                  Translate(" A ") + DateText(heading_.closingDate, 2, "dma"));
    PrintText(CentreOffset(title, 96), title, 2);
    PrintText(1, Translate("CODI"), 0);
    PrintText(6, Translate("N.I.F."), 0);
    PrintText(24, Translate("INDUSTRIAL"), 0);
    PrintText(65, Translate("EPI."), 0);
    Justify("D");
    PrintText(69, Translate("         BASE"), 0);
    PrintText(83, Translate(Cp850("     RETENCIÓ")), 1);
    PrintText(1, std::string(95, '-'), 1);
}

void ListingPrinter::PrintLine(const ListingLine& line) {
    if (pageNumber_ == 0 || Spool.lineCount > 60) BeginPage();
    PrintText(1, UnpackDigits(line.payeeCode), 0);
    const bool noTaxId = IsAllChar(line.payeeTaxId, ' ') != 0;
    PrintText(6, noTaxId ? Translate("*** falta ***") : line.payeeTaxId, 0);
    PrintText(24, line.fiscalName, 0);
    PrintText(65, std::string(1, line.key), 0);
    Justify("D");
    PrintText(0, line.subkey, 0);
    PrintText(69, EditAmount(kLineMask, line.base), 0);
    PrintText(83, EditAmount(kLineMask, line.withheld), 1);
}

void ListingPrinter::PrintOwnerTotals(const ListingOwner& owner, const ReportTotals& totals) {
    PrintText(69, std::string(27, '-'), 1);
    if (Spool.lineCount > 59) BeginPage();
    PrintText(1, CodeText(owner.ownerCode), 0);
    const bool noTaxId = IsAllChar(owner.ownerTaxId, ' ') != 0;
    PrintText(6, noTaxId ? Translate("*** falta ***") : owner.ownerTaxId, 0);
    Justify("N 63 \\.\\");
    PrintText(24, TrimRight(owner.ownerName) + " ", 0);
    PrintCategoryTotals(totals);
    EndOpenLine();
    Justify("N 63 \\.\\");
    PrintText(24, Translate("INGRESSOS A COMPTE") + " ", 0);
    for (const CategoryFigures& c : Categories(totals)) {
        if (c.paidOnAccount == 0) continue;
        PrintText(65, c.code, 0);
        Justify("D");
        PrintText(83, EditAmount(kTotalMask, c.paidOnAccount), 1);
    }
    PrintText(0, "", 1);
}

void ListingPrinter::PrintTerritoryTotals(const ReportTotals& totals) {
    PrintText(69, std::string(27, '-'), 1);
    if (Spool.lineCount > 59) BeginPage();
    PrintText(24, Translate("TOTALS"), 0);
    PrintCategoryTotals(totals);
    EndOpenLine();
    PrintText(24, Translate("INGRESSOS A COMPTE"), 0);
    for (const CategoryFigures& c : Categories(totals)) {
        if (c.paidOnAccount == 0) continue;
        Justify("D");
        PrintText(83, EditAmount(kTotalMask, c.paidOnAccount), 1);
    }
    EndOpenLine();
    PrintText(24, std::string(72, '='), 1);
}

}  // namespace vela
