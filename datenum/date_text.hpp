// Dates as text, from a packed date, in the session's language:
//   style -1  ISO text for files: 2024-05-10;
//   style 0   numbers joined by the installation's date separator, blank
//             padded to a fixed width: "10/5/2024 ";
//   style 1   as 0 with the month's first three letters: "10/mai/2024";
//   style 2+  the long written form: "10 de maig del 2024".
// parts picks the components, any of "D", "M", "A" (day, month, year) in any
// case; they always come in the installation's date order ("DatOrdre"),
// whatever the order of the letters. The zero date gives blanks (styles 0 and
// 1) or the empty text (styles 2 and up).
#pragma once

#include <cstdint>
#include <string>

namespace vela {

std::string DateText(const std::string& packed, std::int16_t style, const std::string& parts);

// The full name of month 1-12 in a language ("SPA", "GLG", "OCI"; anything
// else is Catalan), without trailing blanks; "" outside 1-12.
std::string MonthName(int month, const std::string& language);

}  // namespace vela
