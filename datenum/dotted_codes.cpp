#include "datenum/dotted_codes.hpp"

#include <algorithm>
#include <vector>

#include "datenum/calendar_dates.hpp"
#include "datenum/fixed_format.hpp"
#include "datenum/number_checks.hpp"
#include "datenum/numeric_value.hpp"

namespace vela {
namespace {

// The groups of a code as typed: the text split at every "."; the last group
// runs to the end of the text.
std::vector<std::string> Groups(const std::string& text) {
    std::vector<std::string> groups(1);
    for (const char c : text) {
        if (c == '.') {
            groups.emplace_back();
        } else {
            groups.back() += c;
        }
    }
    return groups;
}

bool IsBlank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

}  // namespace

std::int16_t CheckCode(const std::string& text) {
    if (IsBlank(text)) return 0;
    const std::size_t length = text.size();
    if (static_cast<std::size_t>(std::count(text.begin(), text.end(), '.')) > length / 7) {
        return -1;
    }
    const bool sixDigitFirst = (length - 1) % 5 == 0;
    std::int16_t result = 0;
    const std::vector<std::string> groups = Groups(text);
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const double maximum = g == 0 && sixDigitFirst ? 999999 : 9999;
        if (CheckNumber(groups[g], 1, maximum, 0) != 0) result = -1;
    }
    return result;
}

std::string PackCode(const std::string& text) {
    const std::size_t length = text.size();
    const auto points = std::count(text.begin(), text.end(), '.');
    const int firstWidth = (length == 6 && points == 0) || (length == 11 && points <= 1) ? 6 : 4;
    std::string digits;
    std::size_t start = 0;
    for (int g = 0; start <= length; ++g) {
        if (IsBlank(text.substr(start))) break;
        std::size_t end = text.find('.', start);
        if (end == std::string::npos) end = length;
        digits += ZeroPad(NumericValue(text.substr(start, end - start)), g == 0 ? firstWidth : 4);
        start = end + 1;
    }
    return PackDigits(digits);
}

std::string CodeText(const std::string& packed) {
    const std::string digits = UnpackDigits(packed);
    const long length = static_cast<long>(digits.size());
    std::string result;
    if (length < 4) {
        result = digits;
    } else {
        // Groups from the right; trailing zero groups are dropped until the
        // first group with a value.
        std::vector<std::string> groups;  // right to left
        bool valueSeen = false;
        const auto addGroup = [&](long from, long to) {  // 1-based, inclusive
            const double value = NumericValue(digits.substr(from - 1, to - from + 1));
            if (value == 0 && !valueSeen) return;
            valueSeen = true;
            groups.push_back(NumberText(value).empty() ? "0" : NumberText(value));
        };
        long end = length;
        for (long p = length - 3; p >= 1; p -= 4) {
            if (p < 4) p = 1;
            addGroup(p, end);
            end = p - 1;
        }
        if (end >= 1) addGroup(1, end);
        for (auto g = groups.rbegin(); g != groups.rend(); ++g) {
            if (!result.empty()) result += '.';
            result += *g;
        }
    }
    return NumericValue(result) == 0 ? "" : result;
}

}  // namespace vela
