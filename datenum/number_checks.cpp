#include "datenum/number_checks.hpp"

#include <cmath>

#include "datenum/numeric_value.hpp"

namespace vela {

std::int16_t CheckNumberChars(const std::string& text, const std::string& allowed) {
    bool pointSeen = allowed.find('.') == std::string::npos;
    bool signClosed = allowed.find_first_of("-+") == std::string::npos;
    bool error = false;
    for (const char c : text) {
        if (c == '+' || c == '-') {
            error = error || signClosed;
            signClosed = true;
        } else if (c == '.') {
            error = error || pointSeen;
            pointSeen = true;
            signClosed = true;
        } else if (c >= '0' && c <= '9') {
            signClosed = true;
        } else if (c != ' ') {
            error = true;
        }
    }
    return error ? -1 : 0;
}

std::int16_t CheckNumber(const std::string& text, double minimum, double maximum,
                         std::int16_t decimals) {
    if (maximum < minimum || decimals < 0 || decimals > 16) return -1;
    std::string allowed;
    if (decimals > 0) allowed += '.';
    if (minimum < 0) allowed += '-';
    if (CheckNumberChars(text, allowed) != 0) return -1;
    const double scale = std::pow(10.0, decimals);
    const double units = std::floor(NumericValue(text) * scale + 0.5);
    if (units < std::floor(scale * minimum) || units > std::floor(scale * maximum + 0.5)) return -1;
    return 0;
}

}  // namespace vela
