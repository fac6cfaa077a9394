// The demo office's cases for the check of return files: data the office
// got wrong, so that a new user sees the check's report at work.
//
// Two owners after the office's own, paying payees after the office's own,
// all in the state territory in the year of the return: an owner whose tax
// number has a wrong check letter, an owner without a name, a payee whose
// tax number has a wrong check letter, one without a name, one with a
// four-digit postal code (a province that does not exist), one paid more
// tax than its base, one whose credit note leaves a negative base, one whose
// refund leaves negative withholding (the owner's total then differs from
// the sum of the payee records), an employee without family data, one with
// family data out of range, and one person entered twice under two codes.
//
// Faults that the program never writes itself are shown in return files
// written beside the office: last year's folder with an interrupted file,
// a file whose line ends were changed, and a file edited by hand, with last
// year's listing taken before a payment was booked; and in this year's
// folder the file of an owner who no longer withholds.
#pragma once

#include <string>

#include "tools/demo/demo_office.hpp"

namespace vela {

// Adds the cases' records with owner codes from firstOwner and payee codes
// from firstPayee; nothing when the codes would pass 9999.
void GenerateCheckCases(const DemoOptions& options, int firstOwner, int firstPayee,
                        DemoRecordSink& sink, DemoCounts& counts);

// Writes the sample return files under the installation root (host
// folder). False with the reason in error when one cannot be written.
bool WriteSampleReturns(const std::string& root, const DemoOptions& options, std::string& error);

}  // namespace vela
