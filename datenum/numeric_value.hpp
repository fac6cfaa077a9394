// The numeric value of a text, as the family's programs read numbers out of
// INI values and typed fields: leading blanks skipped, then an optional sign,
// digits, an optional "." with more digits and an optional exponent ("E" or
// "D"), read up to the first character that cannot continue the number.
// A text without a number is 0.
#pragma once

#include <cstdint>
#include <string_view>

namespace vela {

double NumericValue(std::string_view text);

// NumericValue rounded to the nearest 16-bit integer (ties to even), held
// within the 16-bit range.
std::int16_t NumericValue16(std::string_view text);

}  // namespace vela
