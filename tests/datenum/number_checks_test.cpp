#include "datenum/number_checks.hpp"

#include <gtest/gtest.h>

#include "datenum/calendar_dates.hpp"
#include "datenum/dotted_codes.hpp"

namespace vela {
namespace {

TEST(CheckNumberChars, SignsAndPointOnlyWhereAllowed) {
    struct Case {
        const char* text;
        const char* allowed;
        int expected;
    } cases[] = {
        {"123", "", 0},    {" 1 2 ", "", 0},  {"-12", "-", 0},   {"+12", "+", 0}, {"-12", "", -1},
        {"1-2", "-", -1},  {"1-2", "-+", -1}, {"x-5", "-", -1},  {"1.5", ".", 0}, {"1.5", "", -1},
        {"1.5.", ".", -1}, {".5", ".", 0},    {".-5", ".-", -1}, {"- 5", "-", 0}, {"--5", "-", -1},
        {"", "", 0},       {"1e5", ".", -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckNumberChars(c.text, c.allowed), c.expected)
            << '"' << c.text << "\" allowing \"" << c.allowed << '"';
    }
}

TEST(CheckNumber, BoundsAreComparedInUnitsOfTheLastPlace) {
    struct Case {
        const char* text;
        double minimum;
        double maximum;
        int decimals;
        int expected;
    } cases[] = {
        {"1", 1.5, 10, 0, 0},                            // floor(1.5) = 1
        {"5", 0, 4.5, 0, 0},                             // floor(4.5 + 0.5) = 5
        {"6", 0, 4.5, 0, -1},    {"1.5", 0, 10, 0, -1},  // no point without decimals
        {"1.55", 0, 10, 1, 0},                           // rounds to 1.6
        {"10.04", 0, 10, 1, 0},                          // rounds to 10.0
        {"10.05", 0, 10, 1, -1}, {"-3", -5, 5, 0, 0},
        {"-3", 0, 5, 0, -1},  // no sign when the minimum is not negative
        {"0", 1, 9999, 0, -1},   {"   ", 1, 9999, 0, -1},  // blank reads as 0
        {"5", 10, 1, 0, -1},                               // maximum below minimum
        {"5", 0, 10, -1, -1},    {"5", 0, 10, 17, -1},
        {"5", 0, 10, 16, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckNumber(c.text, c.minimum, c.maximum, c.decimals), c.expected)
            << '"' << c.text << "\" " << c.minimum << ".." << c.maximum << " /" << c.decimals;
    }
}

TEST(CheckCode, GroupsOfOneTo9999) {
    struct Case {
        const char* text;
        int expected;
    } cases[] = {
        {"    ", 0},         {"1234", 0},         {"1   ", 0},   {"0   ", -1},
        {"12.7       ", 0},  {"12.7.3     ", -1},  // two points in 11: more than 11 / 7
        {"123456", 0},  // 6 characters: the first group may have six digits
        {"1234567", -1},     {"12345 ", 0},       {"12345", -1},  // 5 - 1 is not a multiple of 5
        {"12.        ", -1},  // the empty group after the point reads as 0
        {"x   ", -1},        {"-1  ", -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckCode(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(DottedCodes, PackAndShow) {
    EXPECT_EQ(PackCode("1234"), "\x8c\xa2");
    EXPECT_EQ(CodeText(PackCode("1234")), "1234");
    EXPECT_EQ(UnpackDigits(PackCode("12.7       ")), "0000120007");
    EXPECT_EQ(CodeText(PackCode("12.7       ")), "12.7");
    EXPECT_EQ(CodeText(PackDigits("12340000")), "1234");
    EXPECT_EQ(CodeText(PackDigits("0042")), "42");
    EXPECT_EQ(CodeText(PackDigits("0000")), "");
    EXPECT_EQ(CodeText(PackDigits("000012")), "12");
    EXPECT_EQ(CodeText(PackDigits("123456789012")), "1234.5678.9012");
    EXPECT_EQ(CodeText(PackDigits("00012300000045")), "123.0.45");
    EXPECT_EQ(CodeText(PackDigits("05")), "05");
    EXPECT_EQ(UnpackDigits(PackCode("42  ")), "0042");
    EXPECT_EQ(UnpackDigits(PackCode("123456")), "123456");
    EXPECT_EQ(UnpackDigits(PackCode("12.3.4      ")), "001200030004");
    EXPECT_EQ(UnpackDigits(PackCode("    ")), "");
}

}  // namespace
}  // namespace vela
