// Checks of numbers typed into form fields. Each returns the family's flag:
// -1 when the text is not acceptable, 0 when it is; the caller reports (the
// form engine beeps and keeps the field).
#pragma once

#include <cstdint>
#include <string>

namespace vela {

// Digits and blanks anywhere; a sign only before any digit or point and only
// when allowed holds "-" or "+"; one point only, and only when allowed holds
// ".". Any other character is refused.
std::int16_t CheckNumberChars(const std::string& text, const std::string& allowed);

// A number of at most decimals places between minimum and maximum, compared
// in whole units of the last place: the text is rounded half up to that
// place, the minimum taken down to it and the maximum rounded half up.
std::int16_t CheckNumber(const std::string& text, double minimum, double maximum,
                         std::int16_t decimals);

}  // namespace vela
