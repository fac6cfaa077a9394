// The check's findings as the clerk reads them, in the session's language:
// what is wrong and what to correct in the office's data, followed by the
// field's value and the owner or payee concerned; and the report line of a
// finding, "PATH:RECORD:POSITION: SEVERITY CODE text".
#pragma once

#include <string>

#include "app/filing_check.hpp"

namespace vela {

// The translated text of a finding. ownerDigits (from the file's name
// "P0042") names the owner for the declarant's problems; may be empty.
std::string FindingText(const Finding& finding, const std::string& ownerDigits);

// One report line (code page 850, no line end).
std::string FindingLine(const std::string& path, const Finding& finding,
                        const std::string& ownerDigits);

// The owner code a return file's name holds: "0042" for ".../P0042"; empty
// for another name.
std::string OwnerDigitsOfReturnFile(const std::string& path);

// The counts a completion message adds, translated:
// " - REVISIÓ: 3 ERRORS, 12 AVISOS: VEGEU " + report path, or, when the
// report could not be written, the counts and that failure.
std::string CheckCountsText(int errors, int warnings, const std::string& reportPath,
                            bool reportWritten = true);

}  // namespace vela
