#include "app/certificate.hpp"

#include "datenum/date_text.hpp"
#include "datenum/dotted_codes.hpp"
#include "datenum/picture_editing.hpp"
#include "datenum/text_utils.hpp"
#include "env/translation.hpp"
#include "platform/code_page_850.hpp"
#include "print/spool_file.hpp"

namespace vela {
namespace {

// The box spans columns 20 to 95: borders there, labels at 50, values at 70.
constexpr int kBoxLeft = 20;
constexpr int kBoxRight = 95;
constexpr int kLabelColumn = 50;
constexpr int kValueColumn = 70;
constexpr int kBoxWidth = 72;

std::string Repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

void Justify(const char* spec) {
    std::string code = spec;
    SetJustification(code);
}

const std::string& Vertical() {
    static const std::string bar = Cp850("│");
    return bar;
}

// A row of the box: its label dotted up to column 68, its value at 70.
void LabelRow(const std::string& label, const std::string& value) {
    PrintText(kBoxLeft, Vertical(), 0);
    Justify("N 68 \\.\\");
    PrintText(kLabelColumn, label, 0);
    PrintText(kValueColumn, value, 0);
    PrintText(kBoxRight, Vertical(), 1);
}

void Separator() { PrintText(kBoxLeft, Cp850("├") + Repeat(Cp850("─"), 74) + Cp850("┤"), 1); }

void IncomeSection(const std::string& title, double base, double withheld) {
    PrintText(kBoxLeft, Vertical() + Translate(title), 0);
    Justify("N 68 \\.\\");
    PrintText(kLabelColumn, Translate(Cp850("IMPORT ÍNTEGRE")) + " ", 0);
    Justify("D");
    PrintText(kValueColumn, EditAmount("Z,ZZZ,ZZZ,ZZ9", base), 0);
    Justify("E");
    PrintText(kBoxRight, Vertical(), 1);

    PrintText(kBoxLeft, Vertical(), 0);
    Justify("N 68 \\.\\");
    PrintText(kLabelColumn, Translate("RETENCIONS") + " ", 0);
    Justify("D");
    PrintText(kValueColumn, EditAmount("Z,ZZZ,ZZZ,ZZ9", withheld), 0);
    Justify("E");
    PrintText(kBoxRight, Vertical(), 1);
}

}  // namespace

std::string PayeeReference(const std::string& packedPayeeCode) {
    if (packedPayeeCode == std::string(2, static_cast<char>(0x80))) return "ADMIN";
    return "I" + CodeText(packedPayeeCode);
}

bool PrintCertificate(const CertificateData& d) {
    const bool hasEmail = IsAllChar(d.payeeEmail, ' ') == 0;
    SpoolSend(TrimRight(d.payeeEmail) + ",," + NaturalName(d.payeeName));
    NewPage(66);
    PrintControl("@e");
    PrintControl("bi");

    PrintText(1, NaturalName(d.ownerName), 1);
    PrintText(1, NaturalName(d.ownerAddress1), 1);
    PrintText(1, d.ownerAddress2, 1);
    PrintText(1, d.ownerAddress3, 2);
    PrintControl("ib");
    PrintText(0, "", 2);

    PrintText(1, Translate(Cp850("REFERÈNCIA ")), 0);
    PrintText(0, PayeeReference(d.payeeCode), 0);
    PrintText(54, NaturalName(d.fiscalName), 1);
    PrintText(54, d.payeeAddress1, 1);
    PrintText(54, d.payeeAddress2, 1);
    PrintText(54, d.payeeAddress3, 8);
    PrintText(1, "__", 1);

    PrintText(kBoxLeft,
              Translate("Certificat de retencions practicades a compte de l'Impost sobre"), 1);
    PrintText(kBoxLeft,
              Translate(Cp850("la renda de les persones físiques i de l'Impost sobre societats.")),
              2);

    const std::string title = Translate(Cp850("OPERACIONS SUBJECTES A RETENCIÓ"));
    PrintText(kBoxLeft, Cp850("┌┤"), 0);
    PrintControl("b");
    PrintText(0, title, 0);
    PrintControl("b");
    const int rule = kBoxWidth - static_cast<int>(title.size());
    PrintText(0, Cp850("├") + Repeat(Cp850("─"), rule) + Cp850("┐"), 1);

    PrintText(kBoxLeft, Vertical() + Translate("PAGADOR"), 0);
    PrintText(kLabelColumn, NaturalName(d.ownerName), 0);
    PrintText(kBoxRight, Vertical(), 1);
    LabelRow(Translate("N.I.F."), d.ownerTaxId);
    Separator();

    PrintText(kBoxLeft, Vertical() + Translate("PERCEPTOR"), 0);
    PrintText(kLabelColumn, NaturalName(d.fiscalName), 0);
    PrintText(kBoxRight, Vertical(), 1);
    LabelRow(Translate("N.I.F.") + " ", d.payeeTaxId);
    Separator();

    LabelRow(Translate("EXERCICI") + " ", DateText(d.closingDate, 0, "a"));

    IncomeSection("RENDIMENTS LABORALS", d.sums.employeeBase, d.sums.employeeWithheld);
    IncomeSection("RENDIMENTS PROFESSIONALS", d.sums.professionalBase, d.sums.professionalWithheld);
    IncomeSection("RENDIMENTS EMPRESARIALS", d.sums.contractorBase, d.sums.contractorWithheld);
    IncomeSection("RENDIMENTS ARRENDATICIS", 0, 0);

    PrintText(kBoxLeft, Cp850("└") + Repeat(Cp850("─"), 74) + Cp850("┘"), 8);

    PrintText(51, d.signatory, 1);
    PrintText(51, Translate("P.O.") + " " + NaturalName(d.ownerName), 1);
    PrintText(51, Translate("N.I.F.") + " " + d.ownerTaxId, 5);
    PrintText(
        kBoxLeft,
        Translate(Cp850("Articles 80 a 89, 95 i 100 del reial decret 439/2007 de 30 de març")), 1);
    PrintText(kBoxLeft, Translate("Article 64 del reial decret 1777/2004 de 30 de juliol"), 1);
    return hasEmail;
}

}  // namespace vela
