// Rounding and digit texts of scaled amounts, shared by the mask editor and
// the fixed-format writer: amounts are scaled to whole units of their last
// decimal place, rounded half to even, and written as plain decimal digits.
#pragma once

#include <string>

namespace vela {

// The nearest whole number; exactly one half goes to the even neighbour.
// Infinities and NaN come back unchanged.
double RoundHalfEven(double value);

// The decimal digits of a finite whole non-negative value without leading
// zeros; the empty text for 0. Every double up to 1.8e308 is written exactly.
std::string WholeDigits(double wholeValue);

}  // namespace vela
