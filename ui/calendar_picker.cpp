#include "ui/calendar_picker.hpp"

#include <array>
#include <cstdio>

#include "datenum/calendar_dates.hpp"
#include "datenum/date_text.hpp"
#include "datenum/text_utils.hpp"
#include "env/session.hpp"
#include "platform/clock.hpp"
#include "platform/console.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace vela {

namespace {

// The picker's window: rows 1-24 at the right edge of the 80-column screen,
// an interior of 20 columns, seven cells of three columns.
constexpr std::int16_t kTop = 1;
constexpr std::int16_t kLeft = 59;
constexpr std::int16_t kBottom = 24;
constexpr std::int16_t kRight = 80;
constexpr int kInteriorWidth = kRight - kLeft - 1;

struct WeekHeader {
    const char* language;
    const char* header;
};
constexpr std::array<WeekHeader, 3> kWeekHeaders = {{
    {"SPA", " L  M  X  J  V  S  D"},
    {"GLG", " L  M  X  J  V  S  D"},
    {"OCI", "DL DT DC DJ DD DS DG"},
}};
constexpr const char* kCatalanWeekHeader = "DL DT DC DJ DV DS DG";

const char* WeekHeaderOf(const std::string& language) {
    for (const auto& entry : kWeekHeaders) {
        if (language.compare(0, 3, entry.language) == 0) return entry.header;
    }
    return kCatalanWeekHeader;
}

void Style(const char* letters) {
    std::string spec = letters;
    SetTextStyle(spec);
}

void PrintAt(int row, int column, const std::string& text) {
    LocateInWindow(static_cast<std::int16_t>(row), static_cast<std::int16_t>(column));
    Screen().Print(text);
}

std::string PackedDate(int year, int month, int day) {
    return PackDigits(ZeroPad(year * 10000.0 + month * 100 + day, 8));
}

struct Day {
    int year;
    int month;
    int day;
};

int FirstOfQuarter(int month) { return (month - 1) / 3 * 3 + 1; }

// The working date as the picker reads it: year from the first two packed
// bytes, month from the third, day from the fourth. A session without a
// valid working date opens on today, so the grid and the highlight always
// stand on a real day.
Day StartingDay() {
    const std::string digits = UnpackDigits(Session.workDate);
    Day start{0, 0, 0};
    if (digits.size() >= 8) {
        std::sscanf(digits.substr(0, 8).c_str(), "%4d%2d%2d", &start.year, &start.month,
                    &start.day);
    }
    if (start.year < 1 || start.month < 1 || start.month > 12 || start.day < 1 ||
        start.day > MonthDays(start.year, start.month)) {
        const int today = TodayYmd();
        start = {today / 10000, today / 100 % 100, today % 100};
    }
    return start;
}

// The grid cell (row, column in the window) of a day of month k, with the
// quarter starting at month f.
struct Cell850 {
    int row;
    int column;
};
Cell850 CellOf(int year, int month, int first, int day) {
    const int base = (month - first) * 7 + 2;
    const int weekdayOfFirst = Weekday(PackedDate(year, month, 1));
    const int cell = weekdayOfFirst - 1 + day - 1;
    return {base + cell / 7 + 1, 3 * (cell % 7 + 1) - 2};
}

std::string DayText(int day) {
    char text[4];
    std::snprintf(text, sizeof text, "%2d", day % 100);
    return text;
}

void DrawQuarter(const Day& at) {
    Style("n");
    char year[8];
    std::snprintf(year, sizeof year, " %04d ", at.year % 10000);
    PrintAt(0, (kInteriorWidth - 6 + 1) / 2 + 1, year);
    PrintAt(1, 1, WeekHeaderOf(Session.language));
    const int first = FirstOfQuarter(at.month);
    for (int month = first; month <= first + 2; ++month) {
        const int base = (month - first) * 7 + 2;
        PrintAt(base, 1, std::string(kInteriorWidth, ' '));
        const std::string name = FoldText(DateText(PackedDate(at.year, month, 1), 2, "m"));
        PrintAt(base, CentreOffset(name, kInteriorWidth) + 1, name);
        Style("h");
        const int weekdayOfFirst = Weekday(PackedDate(at.year, month, 1));
        const int days = MonthDays(at.year, month);
        for (int cell = 0; cell < 42; ++cell) {
            const int day = cell - (weekdayOfFirst - 1) + 1;
            const bool shown = day >= 1 && day <= days;
            PrintAt(base + cell / 7 + 1, 3 * (cell % 7 + 1) - 2, shown ? DayText(day) : "  ");
        }
    }
}

enum class Outcome { Stay, Redraw, Accept, Cancel };

// Moves the highlighted day by delta days, across month and year ends.
Outcome MoveDays(Day& at, int delta) {
    const int quarter = FirstOfQuarter(at.month);
    const int year = at.year;
    at.day += delta;
    if (at.day < 1) {
        if (--at.month < 1) {
            at.month = 12;
            --at.year;
        }
        at.day += MonthDays(at.year, at.month);
    } else if (at.day > MonthDays(at.year, at.month)) {
        at.day -= MonthDays(at.year, at.month);
        if (++at.month > 12) {
            at.month = 1;
            ++at.year;
        }
    }
    return FirstOfQuarter(at.month) != quarter || at.year != year ? Outcome::Redraw : Outcome::Stay;
}

Outcome MoveMonths(Day& at, int delta) {
    at.month += delta;
    if (at.month > 12) {
        at.month -= 12;
        ++at.year;
    } else if (at.month < 1) {
        at.month += 12;
        --at.year;
    }
    if (at.day > MonthDays(at.year, at.month)) at.day = MonthDays(at.year, at.month);
    return Outcome::Redraw;
}

Outcome JumpToMonth(Day& at, int month) {
    const int quarter = FirstOfQuarter(at.month);
    at.month = month;
    if (at.day > MonthDays(at.year, at.month)) at.day = MonthDays(at.year, at.month);
    return FirstOfQuarter(at.month) != quarter ? Outcome::Redraw : Outcome::Stay;
}

Outcome ApplyKey(Day& at, std::int16_t key) {
    switch (key) {
        case keys::kRight:
            return MoveDays(at, 1);
        case keys::kLeft:
            return MoveDays(at, -1);
        case keys::kDown:
            return MoveDays(at, 7);
        case keys::kUp:
            return MoveDays(at, -7);
        case keys::kPageDown:
            return MoveMonths(at, 3);
        case keys::kPageUp:
            return MoveMonths(at, -3);
        case keys::kHome:
            return JumpToMonth(at, 1);
        case keys::kEnd:
            return JumpToMonth(at, 12);
        case 'F':
        case 'f':
        case 0x2100:
            return Outcome::Accept;
        case keys::kEsc:
            return Outcome::Cancel;
        default:
            return Outcome::Stay;
    }
}

}  // namespace

int MonthDays(int year, int month) {
    const int leap = (year % 4 == 0 && (year % 100 != 0 || year % 400 == 0)) ? 1 : 0;
    const int days = 30 + ((month + 1) % 9 + 1) % 2;
    return month == 2 ? days - 2 + leap : days;
}

std::string PickDate() {
    const NestedKeyTable nested;
    SetExitKeys("+ea", "4d00,4b00,5000,4800,5100,4900,4700,4f00,2100,1b");
    Style("+n");
    const CursorShape cursor = Screen().GetCursorShape();
    Screen().SetCursorShape(CursorShape::Hidden);
    OpenWindow(kTop, kLeft, kBottom, kRight);
    DrawFrame(kFrameSingle);

    Day at = StartingDay();
    DrawQuarter(at);
    std::string result;
    for (;;) {
        const Cell850 cell = CellOf(at.year, at.month, FirstOfQuarter(at.month), at.day);
        Style("+u");
        PrintAt(cell.row, cell.column, DayText(at.day));
        std::int16_t key = 0;
        WaitKey(key);
        Style("-");
        PrintAt(cell.row, cell.column, DayText(at.day));
        const Outcome outcome = ApplyKey(at, key);
        if (outcome == Outcome::Accept) {
            result = DateText(PackedDate(at.year, at.month, at.day), 0, "dma");
            break;
        }
        if (outcome == Outcome::Cancel) break;
        if (outcome == Outcome::Redraw) DrawQuarter(at);
    }

    CloseWindow();
    Screen().SetCursorShape(cursor);
    Style("-");
    SetExitKeys("-", "");
    return result;
}

}  // namespace vela
