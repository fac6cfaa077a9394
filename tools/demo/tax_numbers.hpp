// Spanish tax numbers with their check characters: the NIF of a resident
// person (8 digits and a letter), the NIE of a foreign resident ("X", "Y" or
// "Z", 7 digits and a letter) and the CIF of a company or other body (a
// letter for its legal form, 7 digits and a check digit or letter).
//
// The demo office makes its tax numbers here, and the check tells a valid
// number from a mistyped one.
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

// True for a 9-character NIF, NIE or CIF whose check character is right.
bool IsValidTaxNumber(std::string_view taxNumber);

}  // namespace vela
