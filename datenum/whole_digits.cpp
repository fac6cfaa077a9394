#include "datenum/whole_digits.hpp"

#include <cmath>
#include <cstdio>

namespace vela {

double RoundHalfEven(double value) {
    if (!std::isfinite(value)) return value;
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction > 0.5) return below + 1;
    if (fraction < 0.5) return below;
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

std::string WholeDigits(double wholeValue) {
    if (!(wholeValue >= 1)) return {};
    char text[400];  // the largest double has 309 digits
    std::snprintf(text, sizeof text, "%.0f", wholeValue);
    return text;
}

}  // namespace vela
