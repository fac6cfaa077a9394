// Texts as the tax administration's return files want them: names upper-cased
// with accents and special letters folded to plain capitals and runs of
// other characters reduced to one blank; the postal code and town of an
// address line (whose first two digits are the province code); and the check
// of the presenter's contact name (surnames and given name, no digits).
#pragma once

#include <cstdint>
#include <string>

namespace vela {

// The text upper-cased and folded, runs of blanks made one; with width > 0
// left-aligned and cut or blank-padded to width, with width 0 trimmed.
std::string Normalise(const std::string& text, int width);

// The five-digit postal code of an address line ("08000" when it does not
// start with digits) followed by the town: "08025 BARCELONA" gives
// "08025BARCELONA", "4300 REUS" gives "43000REUS".
std::string PostalCodeAndTown(const std::string& addressLine);

// -1 when the contact name has a digit, fewer than three words or a first
// word shorter than two letters; 0 when it will do.
std::int16_t ContactNameIsInvalid(const std::string& name);

}  // namespace vela
