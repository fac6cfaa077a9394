// Numbers written into files in a fixed format. The format text gives a width
// before an optional "." and a number of decimals after it, and letters as
// flags, in any case and anywhere:
//   "V"  write the decimal point (a literal "."; without it the point is
//        implied and the decimals simply follow the integer digits);
//   "Z"  a lone "0" for an empty integer part;
//   "S"  "+" for values from zero up;
//   "N"  "N" for negative values;
//   "M"  "N" for negative values, blank otherwise.
// With a width the integer part is zero-padded to exactly that many digits
// (higher digits are dropped) and the sign takes its first position; without
// one the sign goes in front. So "N13" writes 13 digits with "N" replacing
// the first digit of a negative value, "13.2" 15 digits ending in the
// hundredths, "S5.2V" writes 12.5 as +0012.50.
#pragma once

#include <string>

namespace vela {

// Infinities and NaN, which no file field can hold, are written as 0.
std::string FormatFixed(double value, const std::string& format);

// The plain digits of a whole number with "-" for negatives; "" for 0.
std::string NumberText(double value);

}  // namespace vela
