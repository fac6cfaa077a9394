#include "app/return_text.hpp"

#include <gtest/gtest.h>

#include "platform/code_page_850.hpp"

namespace vela {
namespace {

TEST(Normalise, UpperCasesFoldsAndSqueezesBlanks) {
    EXPECT_EQ(Normalise(Cp850("Muñoz Pérez, Josep"), 40),
              "MUNOZ PEREZ JOSEP" + std::string(23, ' '));
    EXPECT_EQ(Normalise(Cp850("  Çà  --  ß "), 0), "CA S");
    EXPECT_EQ(Normalise(Cp850("GARCÍA*JOAN"), 0), "GARCIA JOAN");
    EXPECT_EQ(Normalise(Cp850("l'Hospitalet"), 12), "L HOSPITALET");
    EXPECT_EQ(Normalise(Cp850("€ £ ─ ÿ"), 0), "Y");  // symbols become blanks
    EXPECT_EQ(Normalise("ABCDEFGHIJ", 4), "ABCD");
    EXPECT_EQ(Normalise("", 3), "   ");
    EXPECT_EQ(Normalise("   ", 0), "");
}

TEST(Normalise, EveryCodeGivesACapitalADigitOrABlank) {
    for (int code = 0; code < 256; ++code) {
        const std::string out = Normalise(std::string(1, static_cast<char>(code)) + "X", 0);
        ASSERT_FALSE(out.empty());
        const char c = out[0];
        EXPECT_TRUE((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) << code;
    }
}

TEST(PostalCodeAndTown, ProvinceCodeComesFromTheLeadingDigits) {
    EXPECT_EQ(PostalCodeAndTown("08025 BARCELONA"), "08025BARCELONA");
    EXPECT_EQ(PostalCodeAndTown("4300 REUS"), "43000REUS");
    EXPECT_EQ(PostalCodeAndTown("C/ MAJOR 5"), "08000C/ MAJOR 5");
    EXPECT_EQ(PostalCodeAndTown("17001-GIRONA  "), "17001GIRONA");
    EXPECT_EQ(PostalCodeAndTown("2500612 LLEIDA"), "25006LLEIDA");
    EXPECT_EQ(PostalCodeAndTown(""), "08000");
    EXPECT_EQ(PostalCodeAndTown("36201 vigo"), "36201");  // no capital letter: no town
}

TEST(ContactName, NeedsThreeWordsNoDigitsAndAFirstWordOfTwoLetters) {
    EXPECT_EQ(ContactNameIsInvalid("GARCIA LOPEZ"), -1);
    EXPECT_EQ(ContactNameIsInvalid("GARCIA LOPEZ ANNA"), 0);
    EXPECT_EQ(ContactNameIsInvalid("X LOPEZ ANNA"), -1);
    EXPECT_EQ(ContactNameIsInvalid("GARCIA LOPEZ ANNA2"), -1);
    EXPECT_EQ(ContactNameIsInvalid("  GARCIA   LOPEZ   ANNA   "), 0);
    EXPECT_EQ(ContactNameIsInvalid(Cp850("NÚÑEZ DE LA O")), 0);
    EXPECT_EQ(ContactNameIsInvalid(std::string(40, ' ')), -1);
    EXPECT_EQ(ContactNameIsInvalid(""), -1);
}

}  // namespace
}  // namespace vela
