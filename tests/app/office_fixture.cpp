#include "tests/app/office_fixture.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "app/office_identity.hpp"
#include "app/program_values.hpp"
#include "app/records/office_files.hpp"
#include "app/records/record_areas.hpp"
#include "app/run_messages.hpp"
#include "app/selection.hpp"
#include "datenum/calendar_dates.hpp"
#include "env/session.hpp"
#include "env/translation.hpp"
#include "records/record_file.hpp"
#include "tools/demo/record_file_sink.hpp"

namespace vela::testing {

struct OfficeFixture::Pending {
    std::vector<std::pair<std::int16_t, std::string>> records;
};

namespace {

const RecordFileInfo& FileInfo(std::int16_t fileNumber) {
    for (const RecordFileInfo& file : kRecordFiles) {
        if (file.fileNumber == fileNumber) return file;
    }
    throw std::logic_error("no such record file");
}

std::string Blank(std::int16_t fileNumber) {
    return std::string(FileInfo(fileNumber).recordLength, ' ');
}

std::string Code(const std::string& digits) { return PackDigits(digits); }

std::string GroupKey(const std::string& owner, int n) {
    return PackDigits(owner) + PackDigits(ZeroPad(n, 4));
}

std::string TerritoryByte(int number) { return std::string(1, static_cast<char>(0x80 + number)); }

}  // namespace

OfficeFixture::OfficeFixture() : pending_(new Pending) {}

OfficeFixture::~OfficeFixture() {
    std::int16_t status = 0;
    ResetRecordFiles(status);
    delete pending_;
}

void OfficeFixture::Add(std::int16_t fileNumber, const std::string& record) {
    pending_->records.emplace_back(fileNumber, record);
}

void OfficeFixture::Territory(int number, const std::string& name) {
    TerritoryWithCode(static_cast<std::uint8_t>(TerritoryByte(number)[0]), name);
}

void OfficeFixture::TerritoryWithCode(std::uint8_t codeByte, const std::string& name) {
    std::string r = Blank(layout::UTerrito::kFileNumber);
    layout::UTerrito::territoryCode.Write(r, std::string(1, static_cast<char>(codeByte)));
    layout::UTerrito::territoryName.Write(r, name);
    Add(layout::UTerrito::kFileNumber, r);
}

void OfficeFixture::Owner(const std::string& code, const std::string& name,
                          const std::string& taxId, const std::string& withholding,
                          std::uint8_t state) {
    std::string r = Blank(layout::VPropiet::kFileNumber);
    layout::VPropiet::ownerCode.Write(r, Code(code));
    layout::VPropiet::ownerName.Write(r, name);
    layout::VPropiet::ownerAddress1.Write(r, "C. MAJOR, 1");
    layout::VPropiet::ownerAddress2.Write(r, "08500 VIC");
    layout::VPropiet::ownerAddress3.Write(r, "BARCELONA");
    layout::VPropiet::withholdingOwner.Write(r, withholding);
    layout::VPropiet::ownerState.Write(r, state);
    layout::VPropiet::ownerTaxId.Write(r, taxId);
    Add(layout::VPropiet::kFileNumber, r);
}

void OfficeFixture::Group(const std::string& owner, int n, int territory) {
    std::string r = Blank(layout::VGrups::kFileNumber);
    layout::VGrups::groupKey.Write(r, GroupKey(owner, n));
    layout::VGrups::groupTerritory.Write(r, TerritoryByte(territory));
    Add(layout::VGrups::kFileNumber, r);
}

void OfficeFixture::Payment(const std::string& owner, int group, const std::string& date,
                            std::int32_t base, std::int32_t withheld, const std::string& payee) {
    std::string r = Blank(layout::VPagos::kFileNumber);
    layout::VPagos::paymentGroup.Write(r, GroupKey(owner, group));
    layout::VPagos::paymentDate.Write(r, PackDigits(date));
    layout::VPagos::paymentBase.Write(r, base);
    layout::VPagos::payeeCode.Write(r, Code(payee));
    layout::VPagos::paymentWithheld.Write(r, withheld);
    Add(layout::VPagos::kFileNumber, r);
}

void OfficeFixture::Payee(const PayeeSpec& p) {
    std::string r = Blank(layout::Industri::kFileNumber);
    layout::Industri::payeeCode.Write(r, Code(p.code));
    layout::Industri::payeeName.Write(r, p.name);
    layout::Industri::payeeAddress1.Write(r, "C. NOU, 2");
    layout::Industri::payeeAddress2.Write(r, p.address2);
    layout::Industri::payeeAddress3.Write(r, "");
    layout::Industri::payeeKind.Write(r, p.kind);
    layout::Industri::payeeFlag.Write(r, 7);
    layout::Industri::payeeEmail.Write(r, p.email);
    layout::Industri::payeeTaxId.Write(r, p.taxId);
    Add(layout::Industri::kFileNumber, r);
}

void OfficeFixture::Family(const std::string& payee, const std::string& birthYear,
                           const std::string& situation, const std::string& spouseTaxId,
                           std::int32_t reductions) {
    std::string r = Blank(layout::UIndFami::kFileNumber);
    layout::UIndFami::payeeCode.Write(r, Code(payee));
    layout::UIndFami::birthYear.Write(r, PackDigits(birthYear));
    layout::UIndFami::familySituation.Write(r, situation);
    layout::UIndFami::spouseTaxId.Write(r, spouseTaxId);
    layout::UIndFami::disability.Write(r, "0");
    layout::UIndFami::contractKind.Write(r, "1");
    layout::UIndFami::extensionFlag.Write(r, "0");
    layout::UIndFami::mobilityFlag.Write(r, "0");
    layout::UIndFami::reductions.Write(r, reductions);
    layout::UIndFami::deductibleExpenses.Write(r, 0);
    layout::UIndFami::compensatoryPensions.Write(r, 0);
    layout::UIndFami::childSupport.Write(r, 0);
    for (std::size_t i = 1; i <= 20; ++i) {
        layout::UIndFami::familyCounts[i].Write(r, static_cast<std::int16_t>(i % 3));
    }
    Add(layout::UIndFami::kFileNumber, r);
}

void OfficeFixture::Fiscal(const std::string& taxId, const std::string& name) {
    std::string r = Blank(layout::UFiscal::kFileNumber);
    layout::UFiscal::fiscalTaxId.Write(r, taxId);
    layout::UFiscal::fiscalName.Write(r, name);
    Add(layout::UFiscal::kFileNumber, r);
}

void OfficeFixture::Period(const std::string& owner, int group, const std::string& date,
                           std::int32_t a, std::int32_t g, std::int32_t h) {
    std::string r = Blank(layout::VCapPeri::kFileNumber);
    layout::VCapPeri::periodGroup.Write(r, GroupKey(owner, group));
    layout::VCapPeri::periodDate.Write(r, PackDigits(date));
    layout::VCapPeri::paidOnAccountA.Write(r, a);
    layout::VCapPeri::paidOnAccountG.Write(r, g);
    layout::VCapPeri::paidOnAccountH.Write(r, h);
    Add(layout::VCapPeri::kFileNumber, r);
}

void OfficeFixture::Open() {
    // Written through the demo installation's sink: the files are created
    // from their dictionaries and loaded through the record manager.
    RecordManagerSink sink(root_.path());
    std::string error;
    ASSERT_TRUE(sink.Create(true, error)) << error;
    for (const auto& [fileNumber, record] : pending_->records)
        sink.Add(FileInfo(fileNumber), record);
    ASSERT_TRUE(sink.Close(error)) << error;

    Session.rootDir = root_.path();
    Session.tmpDir = session_.path();
    Session.language = "CAT";
    Session.outputDevice = "PANTALLA";
    SelectCurrency("a,E");
    moduleName = "KELD0190";
    recordTerminator = "\r\n";
    SetTranslationModule(moduleName);
    SetBatchMessages(true);
    officeIdentity = {"FINQUES PROVA", "RAMBLA 1",         "08500 VIC",
                      "BARCELONA",     "FINQUES PROVA SL", "ESB12345674"};
    for (auto& field : {&officeIdentity.officeName, &officeIdentity.officeAddress1,
                        &officeIdentity.officeAddress2, &officeIdentity.officeAddress3,
                        &officeIdentity.officeLegalName, &officeIdentity.officeTaxId}) {
        field->resize(kOfficeFieldWidth, ' ');
    }
    recordAreas = {};
    OpenOfficeFiles();
}

void OfficeFixture::Select(const std::string& kind, const std::string& closing,
                           const std::string& first, const std::string& last) {
    Selection.outputKind = kind;
    Selection.closingDate = PackDigits(closing);
    Selection.firstOwner = PackDigits(first);
    Selection.lastOwner = PackDigits(last);
    Selection.contactName = "GARCIA LOPEZ ANNA" + std::string(23, ' ');
    Selection.contactPhone = "933000000";
}

std::string OfficeFixture::SpoolText() const { return ReadFile(session_.path() + "rovodovo.tmp"); }

}  // namespace vela::testing
