#include "app/withholding_run.hpp"

#include <array>
#include <vector>

#include "app/certificate.hpp"
#include "app/filing_check_office.hpp"
#include "app/filing_check_text.hpp"
#include "app/listing.hpp"
#include "app/office_identity.hpp"
#include "app/records/record_areas.hpp"
#include "app/return_records.hpp"
#include "app/run_messages.hpp"
#include "app/selection.hpp"
#include "datenum/calendar_dates.hpp"
#include "datenum/dotted_codes.hpp"
#include "datenum/numeric_value.hpp"
#include "datenum/text_utils.hpp"
#include "env/ini_file.hpp"
#include "env/session.hpp"
#include "env/translation.hpp"
#include "platform/console.hpp"
#include "platform/host_path.hpp"
#include "platform/process.hpp"
#include "print/spool_file.hpp"
#include "records/record_file.hpp"
#include "ui/windows.hpp"

namespace vela {
namespace {

using layout::Industri;
using layout::UFiscal;
using layout::UIndFami;
using layout::UTerrito;
using layout::VCapPeri;
using layout::VGrups;
using layout::VPagos;
using layout::VPropiet;

const std::string kOfficeCode(2, static_cast<char>(0x80));  // payee 0000: the office

// The three passes over an owner's payments: the kind of payee each one
// reports and the key and subkey of its return records.
struct Pass {
    char category;
    char key;
    const char* subkey;
};
constexpr std::array<Pass, 3> kPasses = {{{'L', 'A', "00"}, {'P', 'G', "01"}, {'I', 'H', "04"}}};

std::string Area(const RecordArea& area, std::size_t from, std::size_t length) {
    return std::string(area.data() + from, length);
}

// Record reads of the run in progress, for the run's figures.
long recordReads = 0;

std::int16_t Find(std::int16_t fileNo, std::int16_t keyNumber, const std::string& keyValue,
                  std::int16_t direction) {
    ++recordReads;
    std::int16_t status = 0;
    FindRecord(fileNo, keyNumber, keyValue, direction, status);
    return status;
}

std::int16_t Step(std::int16_t fileNo) {
    ++recordReads;
    std::int16_t status = 0;
    StepRecord(fileNo, 1, status);
    return status;
}

void Style(const char* spec) {
    std::string text = spec;
    SetTextStyle(text);
}

class Run {
  public:
    RunOutcome ProcessTerritories();

  private:
    void ProcessOwner();
    void ClearFamilyArea();
    void ClosePayee();
    void EmitPayee();
    void FinishOwner();
    void FinishTerritory();

    void WritePayeeRecord();
    void WriteDeclarantRecord();
    bool BeginReturnFile();
    void ReportFileFailure();
    void PrintListingLine();
    void PrintCertificateOfPayee();

    std::string Year() const { return UnpackDigits(Selection.closingDate.substr(0, 2)); }
    bool CountsInYear(const std::string& packedDate) const {
        return packedDate.substr(0, 2) == Selection.closingDate.substr(0, 2) &&
               packedDate <= Selection.closingDate;
    }

    RecordAreas& areas_ = recordAreas;
    RunOutcome outcome_;
    int outputsBegun_ = 0;
    int filesWritten_ = 0;
    std::vector<std::string> writtenFiles_;  // host paths, for the check
    bool ownerEmitted_ = false;
    std::string currentPayee_;
    std::string returnFolder_;
    std::string territoryCode_;
    int territoryNumber_ = 0;
    const Pass* pass_ = nullptr;
    PayeeSums payee_;
    ReportTotals owner_;
    ReportTotals territory_;
    ReturnFile returnFile_;
    bool returnFileFailed_ = false;
    ListingHeading heading_;
};

RunOutcome Run::ProcessTerritories() {
    heading_ = {officeIdentity.officeName, Selection.firstOwner, Selection.lastOwner,
                Selection.closingDate};
    std::int16_t status = Find(UTerrito::kFileNumber, 0, "", 1);
    while (status == 0) {
        territoryCode_ = UTerrito::territoryCode.Read(areas_.territory);
        territoryNumber_ =
            static_cast<int>(NumericValue(UTerrito::territoryCode.Digits(areas_.territory)));
        Style("+rn");
        OpenWindow(23, 1, 25, 79);
        DrawFrame(1);
        LocateInWindow(0, 1);
        Screen().Print(Translate(" PROCESSANT ") + UTerrito::territoryName.Read(areas_.territory) +
                       " ");
        Style("-");

        outputsBegun_ = 0;
        filesWritten_ = 0;
        writtenFiles_.clear();
        territory_ = {};
        returnFolder_ = ReturnFolder(Session.rootDir, territoryNumber_, Year());

        std::int16_t ownerStatus = Find(VPropiet::kFileNumber, 0, Selection.firstOwner, 1);
        while (ownerStatus == 0 &&
               !(VPropiet::ownerCode.Read(areas_.owner) > Selection.lastOwner)) {
            LocateInWindow(1, 2);
            std::string shown = CodeText(VPropiet::ownerCode.Read(areas_.owner));
            shown.resize(4, ' ');
            Screen().Print(shown);
            PresentScreen();
            if (VPropiet::ownerState.Read(areas_.owner) == 0 &&
                VPropiet::withholdingOwner.Read(areas_.owner) == "S") {
                ProcessOwner();
            }
            ownerStatus = Step(VPropiet::kFileNumber);
        }
        if (outputsBegun_ != 0) FinishTerritory();
        if (Selection.outputKind == "S" && filesWritten_ > 0) {
            // The files just written are checked before the clerk is told.
            const FolderReview review = ReviewWrittenReturns(returnFolder_, writtenFiles_);
            outcome_.checkErrors += review.counts.errors;
            outcome_.checkWarnings += review.counts.warnings;
            ShowRunMessage(Translate("INFORME : GENERATS ") + std::to_string(filesWritten_) +
                           Translate(" FITXERS A ") + HostPath(returnFolder_) +
                           CheckCountsText(review.counts.errors, review.counts.warnings,
                                           review.reportPath, review.reportWritten));
        }
        outcome_.returnFilesWritten += filesWritten_;
        CloseWindow();
        status = Step(UTerrito::kFileNumber);
    }
    return outcome_;
}

void Run::ProcessOwner() {
    const std::string ownerCode = VPropiet::ownerCode.Read(areas_.owner);
    owner_ = {};

    // Payments on account, from the period headers of the owner's groups in
    // this territory and year.
    std::int16_t status = Find(VCapPeri::kFileNumber, 0, ownerCode, 1);
    while (status == 0 && Area(areas_.periodHeader, 0, 2) == ownerCode) {
        const std::string periodGroup = VCapPeri::periodGroup.Read(areas_.periodHeader);
        VGrups::groupTerritory.Write(areas_.group, std::string(1, '\0'));
        Find(VGrups::kFileNumber, 0, periodGroup, 0);
        if (CountsInYear(VCapPeri::periodDate.Read(areas_.periodHeader)) &&
            VGrups::groupTerritory.Read(areas_.group) == territoryCode_) {
            owner_.paidOnAccountA += VCapPeri::paidOnAccountA.Read(areas_.periodHeader);
            owner_.paidOnAccountG += VCapPeri::paidOnAccountG.Read(areas_.periodHeader);
            owner_.paidOnAccountH += VCapPeri::paidOnAccountH.Read(areas_.periodHeader);
        }
        status = Step(VCapPeri::kFileNumber);
    }

    if (Selection.outputKind != "R") outputsBegun_ = 0;
    ownerEmitted_ = false;
    returnFileFailed_ = false;
    payee_ = {};
    for (const Pass& pass : kPasses) {
        pass_ = &pass;
        currentPayee_.clear();
        VGrups::groupKey.Write(areas_.group, PackDigits("00000000"));
        status = Find(VPagos::kFileNumber, 3, ownerCode, 1);
        while (status == 0 && VPagos::paymentGroup.Read(areas_.payment).substr(0, 2) == ownerCode) {
            const std::string paymentGroup = VPagos::paymentGroup.Read(areas_.payment);
            if (VGrups::groupKey.Read(areas_.group) != paymentGroup) {
                VGrups::groupKey.Write(areas_.group, paymentGroup);
                VGrups::groupTerritory.Write(areas_.group, std::string(1, '\0'));
                Find(VGrups::kFileNumber, 0, paymentGroup, 0);
            }
            const bool counts = VPagos::paymentWithheld.Read(areas_.payment) != 0 &&
                                CountsInYear(VPagos::paymentDate.Read(areas_.payment)) &&
                                VGrups::groupTerritory.Read(areas_.group) == territoryCode_;
            if (counts) {
                const std::string payeeCode = VPagos::payeeCode.Read(areas_.payment);
                if (payeeCode != currentPayee_) {
                    ClosePayee();
                    // A payee code without a payee record must not show the
                    // previous payee's identity or family data: both areas
                    // are cleared before the look-ups.
                    for (const TextField& field :
                         {Industri::payeeName, Industri::payeeAddress1, Industri::payeeAddress2,
                          Industri::payeeAddress3, Industri::payeeEmail, Industri::payeeTaxId}) {
                        field.Write(areas_.payee, "");
                    }
                    Industri::payeeKind.Write(areas_.payee, "I");
                    Industri::payeeFlag.Write(areas_.payee, 0);
                    if (payeeCode == kOfficeCode) {
                        Industri::payeeKind.Write(areas_.payee, "P");
                    } else {
                        Find(Industri::kFileNumber, 0, payeeCode, 0);
                        ClearFamilyArea();
                        Find(UIndFami::kFileNumber, 0, payeeCode, 0);
                        UFiscal::fiscalName.Write(areas_.fiscal,
                                                  Industri::payeeName.Read(areas_.payee));
                        Find(UFiscal::kFileNumber, 0, Industri::payeeTaxId.Read(areas_.payee), 0);
                    }
                    currentPayee_ = payeeCode;
                }
                const double base = VPagos::paymentBase.Read(areas_.payment);
                const double withheld = VPagos::paymentWithheld.Read(areas_.payment);
                const std::string kind = Industri::payeeKind.Read(areas_.payee);
                if (kind == "L") {
                    payee_.employeeBase += base;
                    payee_.employeeWithheld += withheld;
                } else if (kind == "P") {
                    payee_.professionalBase += base;
                    payee_.professionalWithheld += withheld;
                } else {
                    payee_.contractorBase += base;
                    payee_.contractorWithheld += withheld;
                }
            }
            status = Step(VPagos::kFileNumber);
        }
        ClosePayee();
    }
    if (ownerEmitted_) FinishOwner();
}

void Run::ClearFamilyArea() {
    UIndFami::birthYear.WriteDigits(areas_.family, "0000");
    for (const TextField& field :
         {UIndFami::familySituation, UIndFami::spouseTaxId, UIndFami::disability,
          UIndFami::contractKind, UIndFami::extensionFlag, UIndFami::mobilityFlag}) {
        field.Write(areas_.family, "");
    }
    for (const AmountField& field : {UIndFami::reductions, UIndFami::deductibleExpenses,
                                     UIndFami::compensatoryPensions, UIndFami::childSupport}) {
        field.Write(areas_.family, 0);
    }
    for (std::size_t i = 1; i <= UIndFami::familyCounts.count; ++i) {
        UIndFami::familyCounts[i].Write(areas_.family, 0);
    }
}

void Run::ClosePayee() {
    if (currentPayee_.empty()) return;
    if (currentPayee_ == kOfficeCode) {
        const OfficeIdentity& office = officeIdentity;
        Industri::payeeKind.Write(areas_.payee, "P");
        Industri::payeeName.Write(areas_.payee, IsAllChar(office.officeLegalName, ' ') != 0
                                                    ? office.officeName
                                                    : office.officeLegalName);
        Industri::payeeTaxId.Write(areas_.payee, office.officeTaxId.substr(0, 17));
        Industri::payeeAddress1.Write(areas_.payee, office.officeAddress1);
        Industri::payeeAddress2.Write(areas_.payee, office.officeAddress2);
        Industri::payeeAddress3.Write(areas_.payee, office.officeAddress3);
        Industri::payeeFlag.Write(areas_.payee, 0);
        Industri::payeeEmail.Write(areas_.payee, "");
        UFiscal::fiscalName.Write(areas_.fiscal, Industri::payeeName.Read(areas_.payee));
    }
    EmitPayee();
}

void Run::EmitPayee() {
    const std::string kind = Industri::payeeKind.Read(areas_.payee);
    const bool anyBase =
        payee_.employeeBase != 0 || payee_.professionalBase != 0 || payee_.contractorBase != 0;
    const bool inPass =
        kind.size() == 1 &&
        (kind[0] == pass_->category || (pass_->category == 'I' && (kind == "S" || kind == "A")));
    if (anyBase && inPass) {
        ownerEmitted_ = true;
        if (Selection.outputKind == "R") {
            PrintListingLine();
        } else if (Selection.outputKind == "C") {
            PrintCertificateOfPayee();
        } else if (Selection.outputKind == "S") {
            WritePayeeRecord();
        }
        if (kind == "L") {
            ++owner_.employeeCount;
        } else if (kind == "P") {
            ++owner_.professionalCount;
        } else {
            ++owner_.contractorCount;
        }
        owner_.sums.Add(payee_);
    }
    payee_ = {};
}

void Run::FinishOwner() {
    if (Selection.outputKind == "R") {
        ListingPrinter printer(heading_, outputsBegun_);
        printer.PrintOwnerTotals(
            {VPropiet::ownerCode.Read(areas_.owner), VPropiet::ownerTaxId.Read(areas_.owner),
             VPropiet::ownerName.Read(areas_.owner)},
            owner_);
    } else if (Selection.outputKind == "S") {
        WriteDeclarantRecord();
    }
    territory_.Add(owner_);
    owner_ = {};
}

void Run::FinishTerritory() {
    if (Selection.outputKind == "R") {
        ListingPrinter printer(heading_, outputsBegun_);
        printer.PrintTerritoryTotals(territory_);
        outcome_.listingPages += outputsBegun_;
    }
}

void Run::PrintListingLine() {
    ListingPrinter printer(heading_, outputsBegun_);
    printer.PrintLine({currentPayee_, Industri::payeeTaxId.Read(areas_.payee),
                       UFiscal::fiscalName.Read(areas_.fiscal), pass_->key, pass_->subkey,
                       payee_.Base(), payee_.Withheld()});
}

void Run::PrintCertificateOfPayee() {
    CertificateData data;
    data.ownerName = VPropiet::ownerName.Read(areas_.owner);
    data.ownerAddress1 = VPropiet::ownerAddress1.Read(areas_.owner);
    data.ownerAddress2 = VPropiet::ownerAddress2.Read(areas_.owner);
    data.ownerAddress3 = VPropiet::ownerAddress3.Read(areas_.owner);
    data.ownerTaxId = VPropiet::ownerTaxId.Read(areas_.owner);
    data.payeeName = Industri::payeeName.Read(areas_.payee);
    data.fiscalName = UFiscal::fiscalName.Read(areas_.fiscal);
    data.payeeAddress1 = Industri::payeeAddress1.Read(areas_.payee);
    data.payeeAddress2 = Industri::payeeAddress2.Read(areas_.payee);
    data.payeeAddress3 = Industri::payeeAddress3.Read(areas_.payee);
    data.payeeEmail = Industri::payeeEmail.Read(areas_.payee);
    data.payeeTaxId = Industri::payeeTaxId.Read(areas_.payee);
    data.payeeCode = currentPayee_;
    data.closingDate = Selection.closingDate;
    data.sums = payee_;
    data.signatory = IsAllChar(officeIdentity.officeLegalName, ' ') != 0
                         ? officeIdentity.officeName
                         : officeIdentity.officeLegalName;
    if (PrintCertificate(data)) outcome_.anyEmail = true;
    ++outcome_.certificates;
}

bool Run::BeginReturnFile() {
    ++outputsBegun_;
    if (returnFile_.Open(returnFolder_, UnpackDigits(VPropiet::ownerCode.Read(areas_.owner)))) {
        return true;
    }
    ReportFileFailure();
    return false;
}

void Run::ReportFileFailure() {
    returnFileFailed_ = true;
    ++outcome_.returnFilesFailed;
    ShowRunMessage(Translate("NO ES POT ESCRIURE EL FITXER ") + returnFile_.hostPath() + " (" +
                   returnFile_.error() + ")");
    returnFile_.Abandon();
}

void Run::WritePayeeRecord() {
    if (returnFileFailed_) return;
    if (outputsBegun_ == 0 && !BeginReturnFile()) return;
    PayeeRecordData data;
    data.year = Year();
    data.ownerTaxId = VPropiet::ownerTaxId.Read(areas_.owner);
    data.payeeTaxId = Industri::payeeTaxId.Read(areas_.payee);
    data.fiscalName = UFiscal::fiscalName.Read(areas_.fiscal);
    data.payeeAddress2 = Industri::payeeAddress2.Read(areas_.payee);
    data.key = pass_->key;
    data.subkey = pass_->subkey;
    data.base = payee_.Base();
    data.withheld = payee_.Withheld();
    if (pass_->key == 'A') {
        ReturnFamilyData family;
        family.birthYear = UIndFami::birthYear.Read(areas_.family);
        family.familySituation = UIndFami::familySituation.Read(areas_.family);
        family.spouseTaxId = UIndFami::spouseTaxId.Read(areas_.family);
        family.disability = UIndFami::disability.Read(areas_.family);
        family.contractKind = UIndFami::contractKind.Read(areas_.family);
        family.mobilityFlag = UIndFami::mobilityFlag.Read(areas_.family);
        family.reductions = UIndFami::reductions.Read(areas_.family);
        family.deductibleExpenses = UIndFami::deductibleExpenses.Read(areas_.family);
        family.compensatoryPensions = UIndFami::compensatoryPensions.Read(areas_.family);
        family.childSupport = UIndFami::childSupport.Read(areas_.family);
        for (std::size_t i = 0; i < 20; ++i) {
            family.familyCounts[i] = UIndFami::familyCounts[i + 1].Read(areas_.family);
        }
        data.family = family;
    }
    if (!returnFile_.Append(BuildPayeeRecord(data))) ReportFileFailure();
}

void Run::WriteDeclarantRecord() {
    if (returnFileFailed_ || !returnFile_.isOpen()) return;
    DeclarantRecordData data;
    data.year = Year();
    data.ownerTaxId = VPropiet::ownerTaxId.Read(areas_.owner);
    data.ownerName = VPropiet::ownerName.Read(areas_.owner);
    data.contactPhone = Selection.contactPhone;
    data.contactName = Selection.contactName;
    data.payeeCount = owner_.PayeeCount();
    data.totalBase = owner_.sums.Base();
    data.totalWithheld = owner_.sums.Withheld();
    if (returnFile_.Finish(BuildDeclarantRecord(data))) {
        ++filesWritten_;
        writtenFiles_.push_back(returnFile_.hostPath());
    } else {
        ReportFileFailure();
    }
}

}  // namespace

RunOutcome ProcessTerritories() {
    recordReads = 0;
    Run run;
    RunOutcome outcome = run.ProcessTerritories();
    outcome.recordReads = recordReads;
    return outcome;
}

bool RunWithholdings(RunOutcome& outcome) {
    if (!OpenSpool(Session.outputDevice)) return false;
    if (Selection.outputKind == "R") SelectCurrency("p");
    outcome = ProcessTerritories();
    SelectCurrency("");
    CloseSpool();
    IniWrite(Session.tmpDir + "ROVODOVO.INI", "Opcions", "Correu", outcome.anyEmail ? "S" : "N");
    RunProgram({HostPath(Session.exeDir + "ROVODOVO")});
    return true;
}

}  // namespace vela
