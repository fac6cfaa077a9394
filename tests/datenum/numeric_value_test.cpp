#include "datenum/numeric_value.hpp"

#include <gtest/gtest.h>

namespace vela {
namespace {

TEST(NumericValue, ReadsUpToTheFirstCharacterThatCannotContinueANumber) {
    EXPECT_EQ(NumericValue("  12abc"), 12);
    EXPECT_EQ(NumericValue("-1"), -1);
    EXPECT_EQ(NumericValue("+3.25x"), 3.25);
    EXPECT_EQ(NumericValue(".5"), 0.5);
    EXPECT_EQ(NumericValue("1E2"), 100);
    EXPECT_EQ(NumericValue("1E"), 1);
    EXPECT_EQ(NumericValue("x5"), 0);
    EXPECT_EQ(NumericValue(""), 0);
    EXPECT_EQ(NumericValue("-"), 0);
    EXPECT_EQ(NumericValue("1e999"), 0);  // not a finite number
}

TEST(NumericValue, SixteenBitValuesRoundToEvenAndStayInRange) {
    EXPECT_EQ(NumericValue16("2.5"), 2);
    EXPECT_EQ(NumericValue16("3.5"), 4);
    EXPECT_EQ(NumericValue16("99999"), 32767);
    EXPECT_EQ(NumericValue16("-99999"), -32768);
}

}  // namespace
}  // namespace vela
