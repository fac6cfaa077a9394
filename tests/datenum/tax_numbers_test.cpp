#include "datenum/tax_numbers.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vela {
namespace {

TEST(TaxNumbers, PublishedExamplesAreValid) {
    for (const char* number :
         {"12345678Z", "00000000T", "X1234567L", "Y1234567X", "Z1234567R", "B12345674", "A58818501",
          "P1234567D", "Q2826000H", "G12345674", "G1234567D"}) {
        EXPECT_TRUE(IsValidTaxNumber(number)) << number;
    }
}

TEST(TaxNumbers, MalformedOrWrongCheckIsRefused) {
    for (const char* number :
         {"12345678A", "1234567Z", "123456789", "X1234567A", "W1234567L", "B12345675", "B1234567D",
          "P12345674", "I12345674", "", "12345678z", "B1234 674"}) {
        EXPECT_FALSE(IsValidTaxNumber(number)) << number;
    }
}

// Every number made is valid, and any change of one of its digits or of its
// check character is detected.
TEST(TaxNumbers, GeneratedNumbersAreValidAndTamperingIsDetected) {
    std::vector<std::string> numbers;
    for (std::uint32_t n : {0u, 1u, 7u, 1234567u, 5000000u, 9999999u}) {
        numbers.push_back(MakeNif(n * 10 + 3));
        numbers.push_back(MakeNie(static_cast<int>(n % 3), n));
        for (char form : {'A', 'B', 'E', 'H', 'P', 'Q', 'S', 'N', 'G', 'J'}) {
            numbers.push_back(MakeCif(form, n));
        }
    }
    const std::string checks = "0123456789TRWAGMYFPDXBNJZSQVHLCKE";
    for (const std::string& number : numbers) {
        ASSERT_EQ(number.size(), 9u);
        EXPECT_TRUE(IsValidTaxNumber(number)) << number;
        const bool cif = number[0] >= 'A' && number[0] <= 'W';
        for (std::size_t i = cif ? 1 : 0; i < 9; ++i) {
            const std::string alphabet = i == 8                              ? checks
                                         : i == 0 && !cif && number[0] > '9' ? "XYZ"
                                                                             : "0123456789";
            for (char c : alphabet) {
                if (c == number[i]) continue;
                std::string tampered = number;
                tampered[i] = c;
                // Forms G and J take the check digit d or the letter that
                // stands for it: the other spelling of the same check.
                const bool sameCheck =
                    i == 8 && (number[0] == 'G' || number[0] == 'J') &&
                    ((c >= '0' && c <= '9' && number[8] == "JABCDEFGHI"[c - '0']) ||
                     (number[8] >= '0' && number[8] <= '9' && c == "JABCDEFGHI"[number[8] - '0']));
                if (sameCheck) continue;
                EXPECT_FALSE(IsValidTaxNumber(tampered)) << number << " -> " << tampered;
            }
        }
    }
}

TEST(TaxNumbers, CheckFormFollowsTheLegalForm) {
    EXPECT_EQ(MakeCif('B', 1234567), "B12345674");
    EXPECT_EQ(MakeCif('P', 1234567), "P1234567D");
    EXPECT_EQ(MakeNif(12345678), "12345678Z");
    EXPECT_EQ(MakeNie(0, 1234567), "X1234567L");
}

}  // namespace
}  // namespace vela

namespace vela {
namespace {

// Every rule with a valid number and its faults: the NIF letter of the
// remainder mod 23, the NIE's X, Y, Z standing for 0, 1, 2, and the CIF
// check that is a digit, a letter or either by the legal form.
TEST(TaxNumbers, EachRuleTellsBlankMalformedAndWrongCheck) {
    struct Case {
        const char* number;
        TaxNumberFault fault;
    } cases[] = {
        {"12345678Z", TaxNumberFault::none},
        {"12345678A", TaxNumberFault::checkCharacter},
        {"123456789", TaxNumberFault::malformed},  // a digit where the letter goes
        {"1234567Z", TaxNumberFault::malformed},
        {"         ", TaxNumberFault::blank},
        {"", TaxNumberFault::blank},
        // NIE: X, Y, Z count as 0, 1, 2 before the seven digits.
        {"X1234567L", TaxNumberFault::none},
        {"Y1234567X", TaxNumberFault::none},
        {"Z1234567R", TaxNumberFault::none},
        {"X1234567X", TaxNumberFault::checkCharacter},  // Y's letter under X
        {"Y1234567L", TaxNumberFault::checkCharacter},  // X's letter under Y
        {"Z1234567X", TaxNumberFault::checkCharacter},
        {"W1234567L", TaxNumberFault::checkCharacter},  // W is a CIF form, L not its check
        {"X12345678", TaxNumberFault::malformed},
        // CIF: companies (A, B) and communities (E, H) end in the digit ...
        {"B12345674", TaxNumberFault::none},
        {"H12345674", TaxNumberFault::none},
        {"B1234567D", TaxNumberFault::checkCharacter},
        {"H1234567D", TaxNumberFault::checkCharacter},
        {"B12345675", TaxNumberFault::checkCharacter},
        // ... public and foreign bodies (P, Q, S, N) in the letter ...
        {"P1234567D", TaxNumberFault::none},
        {"Q2826000H", TaxNumberFault::none},
        {"P12345674", TaxNumberFault::checkCharacter},
        {"Q28260008", TaxNumberFault::checkCharacter},
        // ... and the other forms (G, J) in either.
        {"G12345674", TaxNumberFault::none},
        {"G1234567D", TaxNumberFault::none},
        {"G1234567E", TaxNumberFault::checkCharacter},
        {"I12345674", TaxNumberFault::malformed},  // no such legal form
        {"B1234 674", TaxNumberFault::malformed},
        {"B1234567*", TaxNumberFault::malformed},
        {"12345678z", TaxNumberFault::malformed},  // lower case
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckTaxNumber(c.number), c.fault) << '"' << c.number << '"';
        EXPECT_EQ(IsValidTaxNumber(c.number), c.fault == TaxNumberFault::none) << c.number;
    }
}

}  // namespace
}  // namespace vela
