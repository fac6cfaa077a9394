#include "datenum/numeric_value.hpp"

#include <cmath>
#include <cstdlib>
#include <string>

namespace vela {

double NumericValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
    const auto digits = [&] {
        bool any = false;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            number += text[i++];
            any = true;
        }
        return any;
    };
    bool any = digits();
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        any = digits() || any;
    }
    if (!any) return 0.0;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
        std::string exponent = "e";
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
        const std::size_t digitsStart = j;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9') exponent += text[j++];
        if (j > digitsStart) number += exponent;
    }
    const double value = std::strtod(number.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}

std::int16_t NumericValue16(std::string_view text) {
    const double rounded = std::nearbyint(NumericValue(text));
    if (rounded > 32767.0) return 32767;
    if (rounded < -32768.0) return -32768;
    return static_cast<std::int16_t>(rounded);
}

}  // namespace vela
