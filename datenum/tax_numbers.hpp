// Spanish tax numbers with their check characters: the NIF of a resident
// person (8 digits and a letter), the NIE of a foreign resident ("X", "Y" or
// "Z", 7 digits and a letter) and the CIF of a company or other body (a
// letter for its legal form, 7 digits and a check digit or letter).
//
// The demo office makes its tax numbers here, and the check of the return
// files tells a valid number from a mistyped one with the same rules.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vela {

// number below 100,000,000.
std::string MakeNif(std::uint32_t number);

// prefix 0, 1 or 2 for "X", "Y", "Z"; number below 10,000,000.
std::string MakeNie(int prefix, std::uint32_t number);

// form: the legal-form letter ("A" company, "B" limited company, "E"
// community of goods, "H" community of owners, "P" local body, "Q" public
// body, "S" state body, "N" foreign body, ...); number below 10,000,000.
// Bodies whose check must be a letter get one, companies a digit.
std::string MakeCif(char form, std::uint32_t number);

// What is wrong with a tax number as the return carries it (9 characters).
enum class TaxNumberFault {
    none,            // a NIF, NIE or CIF with the right check character
    blank,           // nothing there
    malformed,       // neither a NIF, a NIE nor a CIF
    checkCharacter,  // well formed, but the check character is wrong
};
TaxNumberFault CheckTaxNumber(std::string_view taxNumber);

// True for a 9-character NIF, NIE or CIF whose check character is right.
bool IsValidTaxNumber(std::string_view taxNumber);

}  // namespace vela
