#include "app/withholding_run.hpp"

#include <unistd.h>
#include <array>
#include <chrono>
#include <vector>

#include "app/certificate.hpp"
#include "app/filing_check_office.hpp"
#include "app/filing_check_text.hpp"
#include "app/listing.hpp"
#include "app/office_identity.hpp"
#include "app/print_program_call.hpp"
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
#include "platform/code_page_850.hpp"
#include "platform/console.hpp"
#include "platform/file_lock.hpp"
#include "platform/host_path.hpp"
#include "platform/process.hpp"
#include "print/spool_file.hpp"
#include "recman/record_manager.hpp"
#include "recman/status_text.hpp"
#include "records/record_file.hpp"
#include "records/record_path.hpp"
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

// A read inside the walk that neither found a record nor reached the end of
// the data (nor, for a look-up by equal key, missed the key): a damaged
// file, an I/O error, a file without the key. The walk stops at once, so
// that nothing after it is written as if the data had ended there.
struct ReadFailure {
    std::int16_t fileNo;
    std::int16_t status;
};

std::int16_t Checked(std::int16_t fileNo, std::int16_t status, bool lookUp) {
    if (status == 0 || status == kStatusEndOfFile || (lookUp && status == kStatusKeyNotFound)) {
        return status;
    }
    throw ReadFailure{fileNo, status};
}

std::int16_t Find(std::int16_t fileNo, std::int16_t keyNumber, const std::string& keyValue,
                  std::int16_t direction) {
    ++recordReads;
    std::int16_t status = 0;
    FindRecord(fileNo, keyNumber, keyValue, direction, status);
    return Checked(fileNo, status, direction == 0);
}

std::int16_t Step(std::int16_t fileNo) {
    ++recordReads;
    std::int16_t status = 0;
    StepRecord(fileNo, 1, status);
    return Checked(fileNo, status, false);
}

// The name of a record file of the run as it is opened, by its number.
std::string RecordFilePath(std::int16_t fileNo) {
    for (const RecordFileInfo& file : kRecordFiles) {
        if (file.fileNumber == fileNo) {
            return SplitRecordPath(Session.rootDir + std::string(file.path)).Physical();
        }
    }
    return Session.rootDir + "#" + std::to_string(fileNo);
}

void NoteFailure(RunOutcome& outcome, const std::string& shown, const std::string& plainWords) {
    outcome.failures.push_back(plainWords);
    ShowRunFailure(shown, plainWords);
}

void Style(const char* spec) {
    std::string text = spec;
    SetTextStyle(text);
}

class Run {
  public:
    RunOutcome ProcessTerritories();
    RunOutcome& outcome() { return outcome_; }
    // After a read failure: the return file being written goes (those
    // finished stay, made durable), and so does the progress window.
    void Abandon() {
        returnFile_.Abandon();
        if (filesWritten_ > 0) SyncReturnFolder(returnFolder_);
        if (progressShown_) CloseWindow();
        progressShown_ = false;
    }

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
    bool progressShown_ = false;
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
        progressShown_ = true;
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
        // Only one return-file run works at a time, so what an earlier run
        // that died left half-written can go.
        if (Selection.outputKind == "S") RemoveStrayReturnFiles(returnFolder_);

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
        if (filesWritten_ > 0) SyncReturnFolder(returnFolder_);
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
        progressShown_ = false;
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
    NoteFailure(outcome_,
                Translate("NO ES POT ESCRIURE EL FITXER ") + returnFile_.hostPath() + " (" +
                    returnFile_.error() + ")",
                "the return file " + returnFile_.hostPath() +
                    " cannot be written: " + returnFile_.error() + "; it was not written");
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
    RunOutcome outcome;
    try {
        outcome = run.ProcessTerritories();
    } catch (const ReadFailure& failure) {
        run.Abandon();
        outcome = run.outcome();
        outcome.stopped = true;
        const std::string path = RecordFilePath(failure.fileNo);
        NoteFailure(outcome,
                    Translate("NO ES POT LLEGIR EL FITXER ") + HostPath(path) + " (" +
                        std::to_string(failure.status) + ")",
                    "the record file " + HostPath(path) +
                        " cannot be read: " + StatusText(failure.status) +
                        "; the run stopped there and nothing after it was written");
    }
    outcome.recordReads = recordReads;
    return outcome;
}

namespace {

std::chrono::milliseconds runLockWait = std::chrono::minutes(5);

// Takes one of the run's locks, saying that it waits while another run
// holds it; false (with the failure noted) when the wait ran out or the
// lock file cannot be used.
bool TakeRunLock(FileLock& lock, const std::string& path, const std::string& waitingText,
                 const std::string& what, RunOutcome& outcome) {
    const std::string host = ResolveHostPath(path);
    bool waited = false;
    const FileLock::Result result = lock.Acquire(host, runLockWait, [&] {
        ShowWaitMessage(waitingText);
        waited = true;
    });
    if (waited) CloseWaitMessage();
    if (result == FileLock::Result::acquired) return true;
    if (result == FileLock::Result::busy) {
        NoteFailure(outcome,
                    Translate(Cp850("L'ALTRE PROCÉS NO HA ACABAT. TORNEU-HO A PROVAR MÉS TARD.")),
                    "another run has held " + what + " for longer than " +
                        std::to_string((runLockWait.count() + 999) / 1000) +
                        " seconds (lock file " + host + "); nothing was done, try again later");
    } else {
        NoteFailure(outcome, Translate("NO ES POT ESCRIURE EL FITXER ") + host,
                    "the lock file " + lock.error() + "; nothing was done");
    }
    return false;
}

}  // namespace

void SetRunLockWaitForTesting(std::chrono::milliseconds bound) { runLockWait = bound; }

bool RunWithholdings(RunOutcome& outcome) {
    outcome = {};
    // One return-file run at a time in the installation, and one report at a
    // time on a session's spool file, each held until the run has ended.
    FileLock returnFiles;
    if (Selection.outputKind == "S" &&
        !TakeRunLock(returnFiles, Session.rootDir + "KELD0190.LCK",
                     Translate(Cp850("UN ALTRE PROCÉS ESTÀ GENERANT ELS FITXERS DEL MODEL 190. "
                                     "ESPEREU...")),
                     "the return files", outcome)) {
        return false;
    }
    FileLock spool;
    if (!TakeRunLock(spool, Session.tmpDir + "ROVODOVO.LCK",
                     Translate(Cp850("UN ALTRE INFORME D'AQUESTA SESSIÓ S'ESTÀ IMPRIMINT. "
                                     "ESPEREU...")),
                     "this session's spool file", outcome)) {
        return false;
    }

    const std::string spoolHost = ResolveHostPath(SpoolPath());
    if (!OpenSpool(Session.outputDevice)) {
        NoteFailure(
            outcome,
            Translate("NO ES POT ESCRIURE EL FITXER ") + spoolHost + " (" + SpoolError() + ")",
            "the spool file " + spoolHost + " cannot be written: " + SpoolError() +
                "; nothing was done");
        return false;
    }
    if (Selection.outputKind == "R") SelectCurrency("p");
    const RunOutcome walked = ProcessTerritories();
    SelectCurrency("");
    outcome.returnFilesWritten = walked.returnFilesWritten;
    outcome.returnFilesFailed = walked.returnFilesFailed;
    outcome.certificates = walked.certificates;
    outcome.listingPages = walked.listingPages;
    outcome.anyEmail = walked.anyEmail;
    outcome.recordReads = walked.recordReads;
    outcome.stopped = walked.stopped;
    outcome.checkErrors = walked.checkErrors;
    outcome.checkWarnings = walked.checkWarnings;
    outcome.failures.insert(outcome.failures.end(), walked.failures.begin(), walked.failures.end());
    // An incomplete spool file is never handed on, nor left to be printed
    // later as if it were the whole report.
    if (!CloseSpool()) {
        // Removed first: on a full disk that makes room to say why.
        ::unlink(spoolHost.c_str());
        NoteFailure(
            outcome,
            Translate("NO ES POT ESCRIURE EL FITXER ") + spoolHost + " (" + SpoolError() + ")",
            "the spool file " + spoolHost + " cannot be written: " + SpoolError() +
                "; the print program was not run");
        return false;
    }
    if (outcome.stopped) {
        ::unlink(spoolHost.c_str());
        return false;
    }

    const std::string options = Session.tmpDir + "ROVODOVO.INI";
    if (!IniWrite(options, "Opcions", "Correu", outcome.anyEmail ? "S" : "N")) {
        NoteFailure(outcome, Translate("NO ES POT ESCRIURE EL FITXER ") + HostPath(options),
                    "the print program's options " + HostPath(options) +
                        " cannot be written; the print program was not run");
        return false;
    }
    const std::string printProgram = HostPath(Session.exeDir + "ROVODOVO");
    const int printStatus = RunPrintProgramAndShowLine();
    if (printStatus != 0) {
        NoteFailure(outcome,
                    Translate(Cp850("EL PROGRAMA D'IMPRESSIÓ HA FALLAT ")) + "(" +
                        std::to_string(printStatus) + ")",
                    printStatus < 0
                        ? "the print program " + printProgram + " cannot be started"
                        : "the print program " + printProgram + " failed with exit status " +
                              std::to_string(printStatus));
    }
    return outcome.failures.empty();
}

}  // namespace vela
