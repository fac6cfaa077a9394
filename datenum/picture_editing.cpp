#include "datenum/picture_editing.hpp"

#include <cmath>
#include <cstring>
#include <vector>

#include "datenum/edit_settings.hpp"
#include "datenum/whole_digits.hpp"
#include "env/session.hpp"

namespace vela {
namespace {

bool IsDigitPlace(char c) { return c == '9' || c == 'Z' || c == 'z' || c == '*'; }

bool CountsInDecimalRegion(char c) { return IsDigitPlace(c) || c == '-' || c == '+'; }

// What a thousands character left of the number shows: the fill of the digit
// place to its right.
enum class Fill { kThousands, kBlank, kStar };

// The plain number for a value that does not fit its mask: sign, integer
// digits, decimal character and decimals, right-justified and cut on the
// right; "!" over the whole width when the integer part alone does not fit.
std::string Overflow(const std::string& digits, int decimals, bool negative, std::size_t width,
                     char decimalChar) {
    const std::size_t length = digits.size();
    const std::size_t places = static_cast<std::size_t>(decimals);
    const std::string integer = length > places ? digits.substr(0, length - places) : "0";
    if (width < integer.size() + (negative ? 1 : 0)) return std::string(width, '!');
    std::string text = (negative ? "-" : "") + integer;
    if (decimals > 0) {
        const std::string padded = std::string(places, '0') + digits;
        text += decimalChar + padded.substr(padded.size() - places);
    }
    if (text.size() >= width) return text.substr(0, width);
    return std::string(width - text.size(), ' ') + text;
}

}  // namespace

std::string EditNumber(const std::string& mask, double value) {
    const char decimalChar = DecimalCharacter();
    const char thousandsChar = ThousandsCharacter();
    const long n = static_cast<long>(mask.size());
    if (!std::isfinite(value)) return std::string(mask.size(), '!');

    const bool hasSign = mask.find_first_of("-+") != std::string::npos;
    const std::size_t point = mask.find('.');
    int d = 0;   // decimal places
    long k = 0;  // width of the decimal region, counted from the mask's end
    if (point != std::string::npos) {
        for (std::size_t j = point + 1; j < mask.size() && IsDigitPlace(mask[j]); ++j) ++d;
        for (std::size_t j = point + 1; j < mask.size(); ++j) {
            if (CountsInDecimalRegion(mask[j])) ++k;
        }
    }

    const double scaled = value == 0 ? 0 : RoundHalfEven(std::fabs(value) * std::pow(10.0, d));
    if (!std::isfinite(scaled)) return std::string(mask.size(), '!');
    const std::string digits = WholeDigits(scaled);
    const long length = static_cast<long>(digits.size());
    // A value that rounds to zero shows as an unsigned zero: a lone "-" in
    // place of the zero would misread as a sign without a number.
    const bool negative = value < 0 && scaled != 0;

    std::string result = mask;
    std::vector<bool> blanked(mask.size() + 2, false);  // 1-based, with room for i + 1
    bool pointPassed = false;
    Fill fill = Fill::kThousands;
    const auto inDecimalRegion = [&](long i) { return !pointPassed && i > n - k; };
    const auto digitAt = [&](long p, char beyond) { return p <= length ? digits[p - 1] : beyond; };
    const auto restIsZero = [&](long p) {
        for (long q = p; q <= length; ++q) {
            if (digits[q - 1] != '0') return false;
        }
        return true;
    };

    // First pass, right to left: the digits of the number.
    long p = length + (k - d);
    long i = n;
    for (; i >= 1 && p >= 1; --i) {
        char& out = result[i - 1];
        switch (mask[i - 1]) {
            case '9':
                out = digitAt(p--, '0');
                fill = Fill::kThousands;
                break;
            case 'Z':
            case 'z':
                if (!inDecimalRegion(i)) {
                    out = digitAt(p, '0');
                    fill = Fill::kBlank;
                } else if (!restIsZero(p) || k == 0) {
                    out = digitAt(p, '0');
                } else {
                    out = ' ';
                    blanked[i] = true;
                }
                --p;
                break;
            case '*':
                out = digitAt(p--, '*');
                fill = Fill::kStar;
                break;
            case '.':
                out = blanked[i + 1] ? ' ' : decimalChar;
                pointPassed = true;
                break;
            case ',':
                out = thousandsChar;
                break;
            case '-':
            case '+':
                out = negative ? '-' : (mask[i - 1] == '+' ? '+' : ' ');
                if (inDecimalRegion(i)) --p;
                break;
            default:
                break;
        }
    }

    const bool digitsLeftOver = p >= 1 && length >= 1;
    if (digitsLeftOver || (negative && !hasSign && i < 1)) {
        return Overflow(digits, d, negative, mask.size(), decimalChar);
    }

    // Second pass: the positions left of the most significant digit.
    bool minusPlaced = false;
    for (; i >= 1; --i) {
        const char m = mask[i - 1];
        char& out = result[i - 1];
        const bool decimal = inDecimalRegion(i);
        if (negative && !hasSign && !minusPlaced &&
            (m == 'Z' || m == 'z' || m == '*' || m == ',' || (m == '9' && !decimal))) {
            out = '-';  // the floating minus, right before the number
            minusPlaced = true;
            continue;
        }
        switch (m) {
            case '9':
                out = '0';
                fill = Fill::kThousands;
                break;
            case 'Z':
            case 'z':
                if (!decimal) {
                    out = ' ';
                    fill = Fill::kBlank;
                } else if (value != 0) {
                    out = '0';
                } else {
                    out = ' ';
                    blanked[i] = true;
                }
                break;
            case '*':
                if (!decimal) {
                    out = '*';
                    fill = Fill::kStar;
                } else {
                    out = '0';
                }
                break;
            case ',':
                out = fill == Fill::kBlank ? ' ' : fill == Fill::kStar ? '*' : thousandsChar;
                break;
            case '.':
                out = blanked[i + 1] ? ' ' : decimalChar;
                pointPassed = true;
                break;
            case '-':
            case '+':
                out = negative ? '-' : (m == '+' ? '+' : ' ');
                break;
            default:
                break;
        }
    }
    // A negative value with no place for its minus would print as positive:
    // show it as the plain number instead.
    if (negative && !hasSign && !minusPlaced) {
        return Overflow(digits, d, negative, mask.size(), decimalChar);
    }
    return result;
}

std::string AmountMask(const std::string& mask, bool pesetas) {
    const std::size_t n = mask.size();
    enum class SignMode { kNone, kLeadingMinus, kTrailingMinus, kLeadingPlus, kTrailingPlus };
    int decimals = 0;
    bool pointSeen = false;
    bool hasNine = false;
    bool thousands = false;
    bool starFill = false;
    SignMode sign = SignMode::kNone;
    for (std::size_t j = 0; j < n; ++j) {
        switch (mask[j]) {
            case '.':
                pointSeen = true;
                decimals = 1;
                break;
            case '9':
                if (pointSeen) {
                    ++decimals;
                } else {
                    hasNine = true;
                }
                break;
            case '-':
                sign = j == 0 ? SignMode::kLeadingMinus : SignMode::kTrailingMinus;
                break;
            case '+':
                sign = j == 0 ? SignMode::kLeadingPlus : SignMode::kTrailingPlus;
                break;
            case ',':
                thousands = true;
                break;
            case 'Z':
                starFill = false;
                break;
            case '*':
                starFill = true;
                break;
            default:
                break;
        }
    }
    const auto lastN = [n](const std::string& s) { return s.substr(s.size() - n); };

    std::string work(n, starFill ? '*' : 'Z');
    if (hasNine) work = lastN(work + "9");
    if (thousands) {
        for (long q = static_cast<long>(n) - 3; q >= 1; q -= 4) {
            work = lastN(work.substr(0, q) + "," + work.substr(q));
        }
    }
    if (!pesetas) decimals += decimals == 0 ? 3 : 2;
    if (decimals != 0) {
        work = lastN(work + "." + std::string(decimals - 1, hasNine ? '9' : 'Z'));
    }
    switch (sign) {
        case SignMode::kTrailingMinus:
            work = lastN(work + "-");
            break;
        case SignMode::kTrailingPlus:
            work = lastN(work + "+");
            break;
        case SignMode::kLeadingMinus:
            work[0] = '-';
            break;
        case SignMode::kLeadingPlus:
            work[0] = '+';
            break;
        case SignMode::kNone:
            break;
    }
    return work;
}

std::string EditAmount(const std::string& mask, double cents) {
    const bool pesetas = Session.currency == "P";
    const double value = pesetas ? cents / 100 * kPesetasPerEuro : cents / 100;
    return EditNumber(AmountMask(mask, pesetas), value);
}

}  // namespace vela
