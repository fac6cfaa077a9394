#include "datenum/picture_editing.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "tests/datenum/edit_settings_fixture.hpp"

namespace vela {
namespace {

using testing::EditSettingsTest;
using testing::WriteFile;

struct EditCase {
    const char* mask;
    double value;
    const char* expected;
};

class EditNumberTest : public EditSettingsTest {};

TEST_F(EditNumberTest, WorkedResultsWithTheDefaultCharacters) {
    const EditCase cases[] = {
        {"Z,ZZZ,ZZ9", 1234567, "1.234.567"},
        {"Z,ZZZ,ZZ9", 123, "      123"},
        {"Z,ZZZ,ZZ9", 0, "        0"},
        {"ZZZ.ZZ", 0, "      "},
        {"ZZZ.ZZ", 0.5, "   '5 "},
        {"ZZZ.ZZ", 0.05, "   '05"},
        {"ZZ9.99", 0, "  0'00"},
        {"ZZ9.ZZ", 1, "  1   "},
        {"***,**9", 1234, "**1.234"},
        {"ZZ9-", -12, " 12-"},
        {"ZZZ9", -12, " -12"},
        {"ZZ9", 2.5, "  2"},
        {"ZZ9", 3.5, "  4"},
        {"999", 12345, "!!!"},
    };
    for (const EditCase& c : cases) {
        EXPECT_EQ(EditNumber(c.mask, c.value), c.expected) << c.mask << " " << c.value;
    }
}

TEST_F(EditNumberTest, FillsSignsAndOverflow) {
    const EditCase cases[] = {
        // Leading positions of "9" show zeros, of "*" stars.
        {"9999", 12, "0012"},
        {"****", 12, "**12"},
        {"***,**9", 12, "*****12"},
        {"9,999", 5, "0.005"},
        // Trailing decimal zeros of "Z" places are blank, the others stay.
        {"ZZ9.9Z", 1.5, "  1'5 "},
        {"ZZ9.ZZ", 1.25, "  1'25"},
        {"zz9.zz", 1.25, "  1'25"},
        {"ZZZ.ZZ", 0.001, "   '00"},
        // Ties to even after scaling.
        {"9.9", 0.25, "0'2"},
        {"9.9", 0.75, "0'8"},
        // Signs: "+" shows the plus, "-" a blank, leading or trailing.
        {"+ZZ9", 12, "+ 12"},
        {"+ZZ9", -12, "- 12"},
        {"-ZZ9", 12, "  12"},
        {"ZZ9+", 12, " 12+"},
        {"ZZ9.99-", -1.5, "  1'50-"},
        {"ZZ9.99-", 1.5, "  1'50 "},
        // The floating minus takes the first free place left of the number.
        {"Z,ZZ9", -12, "  -12"},
        {"999", -12, "-12"},
        {"***9", -12, "*-12"},
        // A negative value that rounds to zero is an unsigned zero.
        {"ZZ9", -0.001, "  0"},
        // Other characters are copied.
        {"ZZ9 %", 12, " 12 %"},
        // Does not fit: the plain number, right-justified.
        {"Z9", 123, "!!"},
        {"9.9", 12.5, "12'"},  // cut on the right
        {"99.99", 123.4, "123'4"},
        {"99", -12, "!!"},
        {"999", -12, "-12"},
        {"9999", -12, "0-12"},  // the minus floats over the first 9
        // No place at all for the minus: shown as the plain number.
        {"X99", -12, "-12"},
        {"", 5, ""},
    };
    for (const EditCase& c : cases) {
        EXPECT_EQ(EditNumber(c.mask, c.value), c.expected) << c.mask << " " << c.value;
    }
}

TEST_F(EditNumberTest, NanAndInfinityFillTheMaskWithExclamationMarks) {
    EXPECT_EQ(EditNumber("Z,ZZ9.99", std::numeric_limits<double>::quiet_NaN()), "!!!!!!!!");
    EXPECT_EQ(EditNumber("ZZ9", std::numeric_limits<double>::infinity()), "!!!");
    EXPECT_EQ(EditNumber("ZZ9-", -std::numeric_limits<double>::infinity()), "!!!!");
    // Decimals that overflow the scaled value behave the same.
    EXPECT_EQ(EditNumber("9." + std::string(400, '9'), 1).size(), 402u);
    EXPECT_EQ(EditNumber("9." + std::string(400, '9'), 1), std::string(402, '!'));
    EXPECT_EQ(EditNumber("9." + std::string(400, 'Z'), 0), "0" + std::string(401, ' '));
}

TEST_F(EditNumberTest, InstallationCharactersAreReadOnceFromVelaIni) {
    WriteUserSettings("DecCaracter=,\r\nMilCaracter=.\r\n");
    EXPECT_EQ(EditNumber("Z,ZZ9.99", 1234.5), "1.234,50");
    WriteFile(root_ / "Vela.ini", "[Usuari]\r\nDecCaracter=.\r\nMilCaracter= \r\n");
    EXPECT_EQ(EditNumber("Z,ZZ9.99", 1234.5), "1.234,50");  // kept for the run
    ReloadEditSettings();
    EXPECT_EQ(EditNumber("Z,ZZ9.99", 1234.5), "1.234.50");  // blank thousands gives "."
}

TEST_F(EditNumberTest, NeverChangesTheWidthNorFailsForAnyMaskAndValue) {
    std::mt19937 random(190);
    const std::string alphabet = "9Zz*.,-+X $";
    std::uniform_int_distribution<int> lengthOf(0, 24);
    std::uniform_int_distribution<std::size_t> charOf(0, alphabet.size() - 1);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-12, 320);
    const double specials[] = {0.0,
                               -0.0,
                               std::numeric_limits<double>::quiet_NaN(),
                               std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::max(),
                               -std::numeric_limits<double>::max(),
                               std::numeric_limits<double>::denorm_min(),
                               0.5,
                               -2.5};
    for (int round = 0; round < 20000; ++round) {
        std::string mask;
        for (int i = lengthOf(random); i > 0; --i) mask += alphabet[charOf(random)];
        const double value = round % 5 == 0 ? specials[round / 5 % std::size(specials)]
                                            : mantissa(random) * std::pow(10.0, exponent(random));
        const std::string edited = EditNumber(mask, value);
        ASSERT_EQ(edited.size(), mask.size()) << "mask \"" << mask << "\" value " << value;
    }
}

class EditAmountTest : public EditSettingsTest {};

TEST_F(EditAmountTest, MasksWrittenForPesetasGainTwoDecimalsInEuros) {
    struct MaskCase {
        const char* mask;
        bool pesetas;
        const char* expected;
    } cases[] = {
        {"Z,ZZZ,ZZZ,ZZ9", false, "ZZ,ZZZ,ZZ9.99"},
        {"Z,ZZZ,ZZZ,ZZ9", true, "Z,ZZZ,ZZZ,ZZ9"},
        {"Z,ZZZ,ZZZ,ZZZ-", false, "ZZ,ZZZ,ZZZ.ZZ-"},
        {"Z,ZZZ,ZZZ,ZZ9-", true, "Z,ZZZ,ZZZ,ZZ9-"},
        {"ZZZ9", false, "9.99"},
        {"***,**9", false, ",**9.99"},
        {"-ZZZZ", false, "-Z.ZZ"},
        {"ZZ9.9", false, "9.999"},
        {"ZZ9.9", true, "ZZ9.9"},
        {"+ZZ9", true, "+ZZ9"},
    };
    for (const MaskCase& c : cases) {
        EXPECT_EQ(AmountMask(c.mask, c.pesetas), c.expected) << c.mask;
    }
}

TEST_F(EditAmountTest, EditsCentsInTheCurrencyInForce) {
    Session.currency = "E";
    EXPECT_EQ(EditAmount("Z,ZZZ,ZZZ,ZZ9", 123456), "     1.234'56");
    EXPECT_EQ(EditAmount("Z,ZZZ,ZZZ,ZZZ-", -123456), "     1.234'56-");
    Session.currency = "P";
    EXPECT_EQ(EditAmount("Z,ZZZ,ZZZ,ZZ9", 123456), "      205.414");
    EXPECT_EQ(EditAmount("Z,ZZZ,ZZZ,ZZ9", 100), "          166");
}

}  // namespace
}  // namespace vela
