#include "datenum/fixed_format.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace vela {
namespace {

struct FixedCase {
    double value;
    const char* format;
    const char* expected;
};

TEST(FormatFixed, WidthDecimalsAndFlags) {
    const FixedCase cases[] = {
        {-5, "N5", "N0005"},
        {5, "N5", "00005"},
        {5, "M5", " 0005"},
        {-5, "M5", "N0005"},
        {0.5, "Z", "05"},
        {0.5, "ZV", "0.5"},
        {0.5, "", "5"},
        {12.5, "S5.2V", "+0012.50"},
        {-12.5, "S5.2V", "-0012.50"},
        {12.5, "s5.2v", "+0012.50"},
        {1234.56, "13.2", "000000000123456"},
        {-123456, "N13", "N000000123456"},
        {123456, "N13", "0000000123456"},
        {0, "M14", " 0000000000000"},
        {123456, "4", "3456"},  // higher digits dropped
        {2.5, "3.0", "002"},    // ties to even
        {3.5, "3.", "004"},
        {0.125, ".2", "12"},
        {0.125, ".2V", ".12"},
        {0.125, ".2VZ", "0.12"},
        {-0.125, "", "-125"},
        {-0.125, "V", "-.125"},
        {7, "S", "+7"},
        {-7, "N", "N7"},
        {0, "", ""},
        {0, "Z", "0"},
        {0, "3", "000"},
        {std::numeric_limits<double>::quiet_NaN(), "N5", "00000"},
        {std::numeric_limits<double>::infinity(), "", ""},
    };
    for (const FixedCase& c : cases) {
        EXPECT_EQ(FormatFixed(c.value, c.format), c.expected) << c.value << " " << c.format;
    }
}

TEST(NumberText, PlainDigitsOfWholeNumbers) {
    EXPECT_EQ(NumberText(0), "");
    EXPECT_EQ(NumberText(42), "42");
    EXPECT_EQ(NumberText(-42), "-42");
    EXPECT_EQ(NumberText(1e20), "100000000000000000000");
    EXPECT_EQ(NumberText(2.25), "225");  // the digits, the point implied
}

}  // namespace
}  // namespace vela
