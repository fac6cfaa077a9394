// Picture masks: every amount the program shows or prints is edited through
// a mask of the output's width, in which each character says what goes there:
//   "9"      a digit, "0" where the number does not reach;
//   "Z", "z" a digit, blank for a leading zero of the integer part or a
//            trailing zero of the decimal part;
//   "*"      a digit, "*" where the integer part does not reach;
//   "."      the installation's decimal character (the first one starts the
//            decimal part);
//   ","      the installation's thousands character, or the fill of its right
//            neighbour left of the number;
//   "-", "+" the sign ("-" blank for positive values, "+" shows "+");
//   anything else is copied as it stands.
// A value that does not fit shows as the plain right-justified number, or as
// a field of "!" when even its integer part does not fit. The result always
// has exactly the mask's length.
//
// EditAmount edits money: cents, shown in euros with two decimals or in whole
// pesetas (166.386 to the euro) as the session's currency letter says, with a
// mask written for whole pesetas.
#pragma once

#include <string>

namespace vela {

inline constexpr double kPesetasPerEuro = 166.386;

// NaN and infinities, and values whose scaled digits overflow a double, give
// the "!" field: they never fit any mask.
std::string EditNumber(const std::string& mask, double value);

// The mask adapted to the currency in force (Session.currency "P": pesetas),
// then EditNumber.
std::string EditAmount(const std::string& mask, double cents);

// The mask EditAmount hands to EditNumber, for a given currency letter.
std::string AmountMask(const std::string& mask, bool pesetas);

}  // namespace vela
