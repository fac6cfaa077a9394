#include "datenum/calendar_dates.hpp"

#include <gtest/gtest.h>

#include "platform/clock.hpp"

namespace vela {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

class CalendarDates : public ::testing::Test {
  protected:
    void SetUp() override { SetTodayForTesting(20261208); }
    void TearDown() override { SetTodayForTesting(0); }
};

TEST_F(CalendarDates, PackedDigits) {
    EXPECT_EQ(PackDigits("20240510"), Bytes({148, 152, 133, 138}));
    EXPECT_EQ(UnpackDigits(Bytes({148, 152, 133, 138})), "20240510");
    EXPECT_EQ(PackDigits("    "), Bytes({128, 128}));
    EXPECT_EQ(PackDigits("123"), Bytes({140, 158}));
    EXPECT_EQ(PackDigits(" 12 "), PackDigits("0012"));  // right-aligned
    EXPECT_EQ(PackDigits("1 2"), PackDigits("102"));    // inner blanks are zeros
    EXPECT_EQ(PackDigits("a9"), Bytes({128 + 9}));
    EXPECT_EQ(PackDigits(""), "");
    EXPECT_EQ(UnpackDigits(""), "");
    EXPECT_EQ(UnpackDigits(Bytes({255, 0})), "2700");   // 127 keeps its last two digits
    EXPECT_LT(PackDigits("0999"), PackDigits("1000"));  // packed texts order like digits
}

TEST_F(CalendarDates, ZeroPad) {
    EXPECT_EQ(ZeroPad(2023, 4), "2023");
    EXPECT_EQ(ZeroPad(5, 2), "05");
    EXPECT_EQ(ZeroPad(-7, 3), "007");
    EXPECT_EQ(ZeroPad(12345, 2), "45");
    EXPECT_EQ(ZeroPad(1, 0), "");
}

TEST_F(CalendarDates, TypedDatesAndTheTwoDigitYearWindows) {
    EXPECT_EQ(ParseDate("10.5.24"), PackDigits("20240510"));
    EXPECT_EQ(ParseDate("100524"), PackDigits("20240510"));
    EXPECT_EQ(ParseDate("10/05/2024"), PackDigits("20240510"));
    EXPECT_EQ(ParseDate("10-5-1924"), PackDigits("19240510"));
    EXPECT_EQ(CheckDate("1.1.76"), 0);
    EXPECT_EQ(LastCheckedDate().year, 2076);  // 50 years ahead stays
    EXPECT_EQ(ParseDate("1.1.76"), PackDigits("19760101"));
    EXPECT_EQ(CheckDate("1.1.77"), 0);
    EXPECT_EQ(LastCheckedDate().year, 1977);
    EXPECT_EQ(ParseDate("1.1.77"), PackDigits("19770101"));
}

TEST_F(CalendarDates, ImpossibleDatesAreRejected) {
    EXPECT_EQ(CheckDate("29.2.1900"), -1);
    EXPECT_EQ(CheckDate("29.2.1500"), -1);
    EXPECT_EQ(CheckDate("29.2.2000"), 0);
    EXPECT_EQ(LastCheckedDate().monthLength, 29);
    EXPECT_EQ(CheckDate("10.10.1582"), -1);
    EXPECT_EQ(CheckDate("4.10.1582"), 0);
    EXPECT_EQ(CheckDate("15.10.1582"), 0);
    EXPECT_EQ(CheckDate("31.4.2024"), -1);
    EXPECT_EQ(CheckDate("0.4.2024"), -1);
    EXPECT_EQ(CheckDate("1.13.2024"), -1);
}

TEST_F(CalendarDates, BadInputGivesTheRejectionOrTheZeroDate) {
    EXPECT_EQ(CheckDate("31.2.24"), -1);
    EXPECT_EQ(ParseDate("31.2.24"), PackDigits("20240231"));  // no range check here
    EXPECT_EQ(CheckDate("1.1"), -1);
    EXPECT_EQ(ParseDate("1.1"), ZeroDate());
    EXPECT_EQ(CheckDate("aa.bb.cc"), -1);
    EXPECT_EQ(ParseDate("aa.bb.cc"), ZeroDate());
    EXPECT_EQ(CheckDate("1.1.1.1"), -1);
    EXPECT_EQ(CheckDate(""), -1);
    EXPECT_EQ(ParseDate(""), ZeroDate());
    EXPECT_EQ(ParseDate("1.1.99999999999999999999"), ZeroDate());
    EXPECT_EQ(CheckDate("1.1.99999999999999999999"), -1);
}

TEST_F(CalendarDates, DateFieldText) {
    EXPECT_EQ(DateFieldText(PackDigits("20240510")), "100524");
    EXPECT_EQ(DateFieldText(PackDigits("18900101")), "01011890");
    EXPECT_EQ(DateFieldText(ZeroDate()), "");
    EXPECT_EQ(DateFieldText(""), "");
    for (const char* date : {"20240510", "19770101", "20751231", "18900101"}) {
        EXPECT_EQ(ParseDate(DateFieldText(PackDigits(date))), PackDigits(date)) << date;
    }
}

TEST_F(CalendarDates, DateDifferences) {
    const std::string march = PackDigits("20240301"), february = PackDigits("20240201");
    EXPECT_EQ(DateDiff(march, february, "D"), 29);
    EXPECT_EQ(DateDiff(february, march, "d"), 29);
    EXPECT_EQ(DateDiff(march, february, "M"), 1);
    EXPECT_EQ(DateDiff(PackDigits("20000510"), PackDigits("20240509"), "A"), 23);
    EXPECT_EQ(DateDiff(PackDigits("20000510"), PackDigits("20240510"), "a"), 24);
    EXPECT_EQ(DateDiff(PackDigits("20231231"), PackDigits("20240101"), "D"), 1);
    EXPECT_EQ(DateDiff(PackDigits("20200101"), PackDigits("20240101"), "D"), 1461);
    // Before 1582 every fourth year is a leap year, 1500 included.
    EXPECT_EQ(DateDiff(PackDigits("15000101"), PackDigits("15010101"), "D"), 366);
    EXPECT_EQ(DateDiff(PackDigits("15010101"), PackDigits("15020101"), "D"), 365);
    EXPECT_EQ(DateDiff(PackDigits("19000101"), PackDigits("19010101"), "D"), 365);
    EXPECT_EQ(DateDiff(march, february, "X"), 0);
}

TEST_F(CalendarDates, Weekdays) {
    EXPECT_EQ(Weekday(PackDigits("20240101")), 1);
    EXPECT_EQ(Weekday(PackDigits("15821004")), 4);
    EXPECT_EQ(Weekday(PackDigits("15821015")), 5);
    EXPECT_EQ(Weekday(PackDigits("20261208")), 2);
    EXPECT_EQ(Weekday(PackDigits("20241231")), 2);
}

}  // namespace
}  // namespace vela
