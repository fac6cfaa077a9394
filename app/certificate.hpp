// The withholding certificate of one payee: one page of the spool file,
// tagged for e-mail to the payee, with the owner's address block, the payee's
// address block and reference, a box with the payer, the payee, the year and
// the four kinds of income, and the signature on behalf of the owner. Every
// fixed text goes through the language table as it is printed.
#pragma once

#include <string>

#include "app/payee_sums.hpp"

namespace vela {

struct CertificateData {
    std::string ownerName;
    std::string ownerAddress1;
    std::string ownerAddress2;
    std::string ownerAddress3;
    std::string ownerTaxId;
    std::string payeeName;
    std::string fiscalName;
    std::string payeeAddress1;
    std::string payeeAddress2;
    std::string payeeAddress3;
    std::string payeeEmail;
    std::string payeeTaxId;
    std::string payeeCode;    // packed, 2 bytes; 0000 is the office
    std::string closingDate;  // packed
    PayeeSums sums;
    std::string signatory;  // the office's legal name (or its name)
};

// Prints one certificate into the open spool file. True when the payee has
// an e-mail address, so the run's spool file is to be mailed.
bool PrintCertificate(const CertificateData& data);

// "ADMIN" for the office, else "I" and the code without leading zeros.
std::string PayeeReference(const std::string& packedPayeeCode);

}  // namespace vela
