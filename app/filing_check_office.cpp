#include "app/filing_check_office.hpp"

#include "app/records/record_areas.hpp"
#include "app/return_records.hpp"
#include "app/return_text.hpp"
#include "platform/host_path.hpp"
#include "records/record_file.hpp"

namespace vela {

PayeeDirectory ReadPayeeDirectory() {
    using layout::Industri;
    PayeeDirectory payees;
    const RecordArea& area = recordAreas.payee;
    std::int16_t status = 0;
    for (FindRecord(Industri::kFileNumber, 0, "", 1, status); status == 0;
         StepRecord(Industri::kFileNumber, 1, status)) {
        std::string taxNumber = ReturnTaxNumber(Industri::payeeTaxId.Read(area));
        taxNumber.resize(9, ' ');
        const std::string address = Industri::payeeAddress2.Read(area);
        PayeeFacts facts;
        facts.code = Industri::payeeCode.Digits(area);
        facts.postalCodeGiven = !address.empty() && address[0] >= '0' && address[0] <= '9';
        // Without a tax number the return shows the payee's own name (no
        // registered identity is found for it).
        const bool blank = taxNumber.find_first_not_of(' ') == std::string::npos;
        payees.emplace(
            blank ? PayeeNameKey(Normalise(Industri::payeeName.Read(area), 40)) : taxNumber, facts);
    }
    return payees;
}

FolderReview ReviewWrittenReturns(const std::string& returnFolder,
                                  const std::vector<std::string>& writtenFiles) {
    const PayeeDirectory payees = ReadPayeeDirectory();
    return ReviewReturnFolder(ResolveHostPath(returnFolder), writtenFiles, &payees);
}

}  // namespace vela
