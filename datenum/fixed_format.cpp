#include "datenum/fixed_format.hpp"

#include <cmath>

#include "datenum/whole_digits.hpp"

namespace vela {
namespace {

struct FixedFormat {
    long width = 0;
    long decimals = 0;
    bool hasPoint = false;
    bool point = false;        // V
    bool zeroInteger = false;  // Z
    bool plusSign = false;     // S
    bool negativeN = false;    // N
    bool marginSign = false;   // M
};

// Field widths are 16-bit in the file layouts; a longer run of digits is held
// there rather than allowed to ask for an absurd amount of memory.
constexpr long kLargestWidth = 32767;

FixedFormat ReadFormat(const std::string& format) {
    FixedFormat s;
    for (const char c : format) {
        if (c >= '0' && c <= '9') {
            long& target = s.hasPoint ? s.decimals : s.width;
            target = std::min(kLargestWidth, target * 10 + (c - '0'));
            continue;
        }
        switch (c) {
            case '.':
                s.hasPoint = true;
                break;
            case 'V':
            case 'v':
                s.point = true;
                break;
            case 'Z':
            case 'z':
                s.zeroInteger = true;
                break;
            case 'S':
            case 's':
                s.plusSign = true;
                break;
            case 'N':
            case 'n':
                s.negativeN = true;
                break;
            case 'M':
            case 'm':
                s.marginSign = true;
                break;
            default:
                break;
        }
    }
    return s;
}

// How many times |v| must be multiplied by 10 before it has no fraction.
long DecimalsNeeded(double magnitude, double& product) {
    long count = 0;
    product = magnitude;
    while (product != std::floor(product)) {
        product *= 10;
        ++count;
    }
    return count;
}

}  // namespace

std::string FormatFixed(double value, const std::string& format) {
    if (!std::isfinite(value)) value = 0;
    const FixedFormat s = ReadFormat(format);
    const double magnitude = std::fabs(value);

    double scaled = 0;
    long places = 0;
    if (s.width > 0 || s.hasPoint) {
        places = s.decimals;
        scaled = magnitude == 0 ? 0 : RoundHalfEven(magnitude * std::pow(10.0, places));
        if (!std::isfinite(scaled)) scaled = 0;
    } else {
        places = DecimalsNeeded(magnitude, scaled);
    }

    std::string digits = WholeDigits(scaled);
    if (static_cast<long>(digits.size()) < places) {
        digits = std::string(places - digits.size(), '0') + digits;
    }
    const std::string decimals = digits.substr(digits.size() - places);
    std::string integer = digits.substr(0, digits.size() - places);

    if (s.zeroInteger && integer.empty()) integer.push_back('0');
    if (s.width > 0) {
        const std::string padded = std::string(s.width, '0') + integer;
        integer = padded.substr(padded.size() - s.width);
    }

    char sign = 0;
    if (s.plusSign && value >= 0) {
        sign = '+';
    } else if (s.negativeN && value < 0) {
        sign = 'N';
    } else if (s.marginSign) {
        sign = value < 0 ? 'N' : ' ';
    } else if (value < 0) {
        sign = '-';
    }
    std::string result;
    if (sign != 0 && s.width == 0) result += sign;
    result += integer;
    if (sign != 0 && s.width > 0) result[0] = sign;
    if (s.point && !decimals.empty()) result += '.';
    result += decimals;
    return result;
}

std::string NumberText(double value) { return FormatFixed(value, ""); }

}  // namespace vela
