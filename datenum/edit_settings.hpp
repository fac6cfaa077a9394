// The installation's settings for editing numbers and dates, kept in
// "Vela.ini" of the installation root (RUKROOT + "Vela.ini"), section
// "Usuari": the decimal character ("DecCaracter"), the thousands character
// ("MilCaracter"), the date separator ("DatCaracter") and the order of day,
// month and year ("DatOrdre"). The number pair is read on the first use of a
// number setting and the date pair on the first use of a date setting; both
// are kept for the rest of the run, so a change to "Vela.ini" takes effect at
// the next start of the program.
#pragma once

#include <string>

namespace vela {

// Default "'" (apostrophe) when the key is missing or blank.
char DecimalCharacter();
// Default ".".
char ThousandsCharacter();
// Default "/".
char DateSeparator();
// Three letters among "D", "M", "A", upper-cased; default "DMA".
const std::string& DateOrder();

// Forgets the loaded settings so that the next use reads "Vela.ini" again.
// For tests, which change the file between cases.
void ReloadEditSettings();

}  // namespace vela
