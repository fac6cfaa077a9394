#include "print/spool_directives.hpp"

#include <cmath>
#include <cstdlib>

#include "datenum/numeric_value.hpp"

namespace vela {

std::string SpoolNumber(long value) {
    const std::string digits =
        std::to_string(value < 0 ? -static_cast<long long>(value) : static_cast<long long>(value));
    return (value < 0 ? "-" : " ") + digits + " ";
}

std::string JustificationCode(const std::string& alignment) {
    const std::size_t first = alignment.find_first_not_of(' ');
    if (first == std::string::npos) return "E";
    const std::size_t last = alignment.find_last_not_of(' ');
    const std::string trimmed = alignment.substr(first, last - first + 1);
    switch (trimmed[0]) {
        case 'C':
        case 'c':
            return "C";
        case 'D':
        case 'd':
        case 'R':
        case 'r':
            return "D";
        case 'A':
        case 'a':
        case 'B':
        case 'b':
            return "A";
        case 'N':
        case 'n': {
            // The fill column is a small whole number; anything beyond the
            // range of a column is held at its end.
            double column = std::trunc(std::fabs(NumericValue(trimmed.substr(1))));
            if (column > 32767) column = 32767;
            std::string fill;
            const std::size_t open = trimmed.find('\\');
            if (open != std::string::npos) {
                const std::size_t close = trimmed.find('\\', open + 1);
                fill = close == std::string::npos ? trimmed.substr(open)
                                                  : trimmed.substr(open, close - open + 1);
            }
            return "N " + std::to_string(static_cast<long>(column)) + " " + fill;
        }
        default:
            return "E";
    }
}

std::string DeviceDirective(const std::string& device) { return "DEVICE" + device; }
std::string JustificationDirective(const std::string& code) { return "JUS" + code; }
std::string ControlDirective(const std::string& control) { return "*" + control; }
std::string SendDirective(const std::string& destination) { return "SEND" + destination; }
std::string PageDirective(std::int16_t lines) { return "PAGE" + SpoolNumber(lines); }

std::string TextDirective(std::int16_t column, const std::string& text, std::int16_t advance) {
    return SpoolNumber(column) + "," + text + "," + SpoolNumber(advance);
}

std::string PrintableText(std::string text) {
    for (char& c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 32 || code == 127 || code == 255) c = ' ';
    }
    return text;
}

}  // namespace vela
