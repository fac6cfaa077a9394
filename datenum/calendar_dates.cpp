#include "datenum/calendar_dates.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "datenum/text_utils.hpp"
#include "platform/clock.hpp"

namespace vela {
namespace {

CheckedDate lastChecked;

int CurrentYear() { return TodayYmd() / 10000; }

// A typed date split into its parts, before the year window is applied.
struct TypedDate {
    long day = 0;
    long month = 0;
    long year = 0;
    bool fourDigitYear = false;
};

// The value of a piece of blanks and digits (blanks do not count); false when
// it does not fit the 16-bit integers the parts are kept in.
bool PieceValue(const std::string& piece, long& value) {
    value = 0;
    for (const char c : piece) {
        if (c == ' ') continue;
        value = value * 10 + (c - '0');
        if (value > 32767) return false;
    }
    return true;
}

bool ReadTypedDate(const std::string& text, TypedDate& date) {
    std::string pieces[3];
    int separators = 0;
    for (const char c : text) {
        if (c == ' ' || (c >= '0' && c <= '9')) {
            pieces[separators] += c;
        } else if (c == '.' || c == '/' || c == '-') {
            if (++separators > 2) return false;
        } else {
            return false;
        }
    }
    std::string dayText, monthText, yearText;
    if (separators == 0) {
        const std::string& all = pieces[0];
        dayText = all.substr(0, 2);
        monthText = all.size() > 2 ? all.substr(2, 2) : "";
        yearText = all.size() > 4 ? all.substr(4) : "";
    } else if (separators == 2) {
        dayText = pieces[0];
        monthText = pieces[1];
        yearText = pieces[2];
    } else {
        return false;
    }
    date.fourDigitYear = TrimBlanks(yearText).size() > 3;
    return PieceValue(dayText, date.day) && PieceValue(monthText, date.month) &&
           PieceValue(yearText, date.year);
}

bool IsGregorianLeap(long year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

// Month lengths for day counting: every fourth year is a leap year before
// 1582, the Gregorian rule from 1582 on.
int CountingMonthLength(long year, long month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    if (month == 2) {
        const bool leap = year < 1582 ? year % 4 == 0 : IsGregorianLeap(year);
        return leap ? 29 : 28;
    }
    return kDays[month - 1];
}

int CountingYearLength(long year) {
    int days = 0;
    for (int m = 1; m <= 12; ++m) days += CountingMonthLength(year, m);
    return days;
}

long PackedNumber(const std::string& packed) {
    const std::string digits = UnpackDigits(packed);
    return digits.empty() ? 0 : std::atol(digits.c_str());
}

}  // namespace

std::string PackDigits(const std::string& digits) {
    const std::size_t n = digits.size();
    std::string s = TrimBlanks(digits);
    s.insert(0, n - s.size(), '0');
    for (char& c : s) {
        if (c == ' ') c = '0';
    }
    const auto digitAt = [&](std::size_t i) {  // 0-based; missing or non-digit is 0
        return i < s.size() && s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : 0;
    };
    std::string packed;
    for (std::size_t i = 0; i < (n + 1) / 2; ++i) {
        packed += static_cast<char>(128 | (10 * digitAt(2 * i) + digitAt(2 * i + 1)));
    }
    return packed;
}

std::string UnpackDigits(const std::string& packed) {
    std::string digits;
    for (const char c : packed) {
        const int value = (static_cast<unsigned char>(c) & 127) % 100;
        digits += static_cast<char>('0' + value / 10);
        digits += static_cast<char>('0' + value % 10);
    }
    return digits;
}

std::string ZeroPad(double value, int width) {
    if (width <= 0) return {};
    char text[64];
    const double magnitude = std::fabs(value);
    if (magnitude == std::floor(magnitude) && magnitude < 1e18) {
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(magnitude));
    } else {
        std::snprintf(text, sizeof text, "%.15g", magnitude);
    }
    const std::string padded = std::string(width, '0') + text;
    return padded.substr(padded.size() - width);
}

std::string ZeroDate() { return std::string(4, static_cast<char>(128)); }

std::int16_t CheckDate(const std::string& text) {
    TypedDate date;
    if (!ReadTypedDate(text, date)) return -1;
    const long currentYear = CurrentYear();
    long year = date.year;
    if (year < 100 && !date.fourDigitYear) {
        year += 100 * (currentYear / 100);
        if (std::labs(year - currentYear) > 50) year += year > currentYear ? -100 : 100;
    }
    const long n = year * 10000 + date.month * 100 + date.day;
    if (n > 15821004 && n < 15821015) return -1;  // the days the Gregorian reform skipped
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int monthLength = 0;
    if (date.month >= 1 && date.month <= 12) monthLength = kDays[date.month - 1];
    if (date.month == 2 && IsGregorianLeap(year)) monthLength = 29;
    if (date.day < 1 || date.day > monthLength || date.month < 1 || date.month > 12) return -1;
    lastChecked = {static_cast<std::int16_t>(date.day), static_cast<std::int16_t>(date.month),
                   static_cast<std::int16_t>(year), static_cast<std::int16_t>(monthLength)};
    return 0;
}

const CheckedDate& LastCheckedDate() { return lastChecked; }

std::string ParseDate(const std::string& text) {
    TypedDate date;
    if (!ReadTypedDate(text, date)) return ZeroDate();
    long year = date.year;
    if (date.day > 0 && date.month > 0 && !date.fourDigitYear) {
        const long currentYear = CurrentYear();
        year += 100 * (currentYear / 100);
        if (year - currentYear > 49) {
            year -= 100;
        } else if (currentYear - year > 50) {
            year += 100;
        }
    }
    return PackDigits(ZeroPad(year, 4) + ZeroPad(date.month, 2) + ZeroPad(date.day, 2));
}

std::string DateFieldText(const std::string& packed) {
    const std::string digits = UnpackDigits(packed);
    const auto part = [&](std::size_t fromEnd) {  // two digits ending fromEnd before the end
        return digits.size() >= fromEnd + 2
                   ? std::atoi(digits.substr(digits.size() - fromEnd - 2, 2).c_str())
                   : 0;
    };
    const int day = part(0);
    const int month = part(2);
    const long year =
        digits.size() > 4 ? std::atol(digits.substr(0, digits.size() - 4).c_str()) : 0;
    if (day == 0 && month == 0) return {};
    const long currentYear = CurrentYear();
    const bool inWindow = year >= currentYear - 50 && year <= currentYear + 49;
    return ZeroPad(day, 2) + ZeroPad(month, 2) +
           (inWindow ? ZeroPad(year % 100, 2) : ZeroPad(year, 4));
}

std::int32_t DateDiff(const std::string& a, const std::string& b, const std::string& unit) {
    const bool aEarlier = a < b;  // packed texts compare like their digits
    const long early = PackedNumber(aEarlier ? a : b);
    const long late = PackedNumber(aEarlier ? b : a);
    const long eDay = early % 100, eMonth = (early / 100) % 100, eYear = early / 10000;
    const long lDay = late % 100, lMonth = (late / 100) % 100, lYear = late / 10000;
    const char u = unit.empty() ? ' ' : static_cast<char>(unit[0] & ~0x20);
    if (unit.size() != 1) return 0;
    if (u == 'M') return static_cast<std::int32_t>((lYear - eYear) * 12 + lMonth - eMonth);
    if (u == 'A') {
        long years = lYear - eYear;
        if (eMonth > lMonth || (eMonth == lMonth && eDay > lDay)) --years;
        return static_cast<std::int32_t>(years);
    }
    if (u != 'D') return 0;
    long days = 0;
    for (long y = eYear + 1; y < lYear; ++y) days += CountingYearLength(y);
    const long lastMonthOfEarly = eYear == lYear ? lMonth - 1 : 12;
    for (long m = eMonth; m <= lastMonthOfEarly; ++m) days += CountingMonthLength(eYear, m);
    if (eYear != lYear) {
        for (long m = 1; m < lMonth; ++m) days += CountingMonthLength(lYear, m);
    }
    return static_cast<std::int32_t>(days - eDay + lDay);
}

std::int16_t Weekday(const std::string& packed) {
    const std::string firstOfYear = packed.substr(0, 2) + PackDigits("0101");
    const long s = DateDiff(packed, firstOfYear, "d") - 1;
    const long y = PackedNumber(packed.substr(0, 2)) - 1;
    long result;
    if (packed < PackDigits("15821005")) {
        result = ((y + y / 4) % 7 + 6 + s) % 7 + 1;
    } else {
        result = ((y + y / 4 - y / 100 + y / 400) % 7 + 1 + s) % 7 + 1;
    }
    return static_cast<std::int16_t>(result);
}

}  // namespace vela
