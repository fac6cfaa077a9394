// Packed digits and calendar dates.
//
// Dates and digit codes are stored packed, two decimal digits a byte (byte =
// 128 + 10 x first digit + second digit), so packed texts compare byte by byte
// like their digit texts. A packed date is YYYYMMDD in 4 bytes; four bytes of
// 128 is "no date". Users type dates as DDMMYY, DDMMYYYY or D.M.Y (with ".",
// "/" or "-"); a year typed with fewer than four digits is placed in a window
// around the current year.
#pragma once

#include <cstdint>
#include <string>

namespace vela {

std::string PackDigits(const std::string& digits);
std::string UnpackDigits(const std::string& packed);

// The decimal digits of value without sign, zero-padded on the left and cut
// to the last width characters.
std::string ZeroPad(double value, int width);

// 0 when the typed date is a valid date, -1 otherwise. On success the date's
// parts stay in LastCheckedDate() for the caller.
std::int16_t CheckDate(const std::string& text);

struct CheckedDate {
    std::int16_t day = 0;
    std::int16_t month = 0;
    std::int16_t year = 0;
    std::int16_t monthLength = 0;
};
const CheckedDate& LastCheckedDate();

// The packed date of a typed date; the zero date when the text cannot be
// read. No range check: callers check the text with CheckDate first.
std::string ParseDate(const std::string& text);

// The editable text of a packed date: DDMMYY inside the two-digit-year
// window, DDMMYYYY outside it, empty for the zero date.
std::string DateFieldText(const std::string& packed);

// Days ("D"), months ("M") or whole years ("A") between two packed dates, in
// either order; 0 for any other unit.
std::int32_t DateDiff(const std::string& a, const std::string& b, const std::string& unit);

// 1 (Monday) to 7 (Sunday), Julian before 5 October 1582.
std::int16_t Weekday(const std::string& packed);

// The zero date: four bytes of 128.
std::string ZeroDate();

}  // namespace vela
