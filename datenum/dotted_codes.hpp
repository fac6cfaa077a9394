// Dotted code numbers: the codes that number fields of forms hold (owner
// codes, for example, are single four-digit groups). A code is one or more
// groups of digits separated by "."; a group holds up to four digits, except
// that the first group of a code typed into a 6-character field without a
// point, or an 11-character field with at most one point, holds six. Stored,
// a code is the digits of all its groups, each zero-padded to its width,
// packed two digits a byte: 12.7 in an 11-character field is 0000120007.
#pragma once

#include <cstdint>
#include <string>

namespace vela {

// The check of a number field as typed (blank-padded to the field's length):
// blank is accepted; otherwise at most length / 7 points, and every group a
// whole number from 1 to 9999 (the first up to 999999 when length - 1 is a
// multiple of 5). -1 refused, 0 accepted.
std::int16_t CheckCode(const std::string& text);

// The packed storage form of a typed code.
std::string PackCode(const std::string& text);

// The display form of a stored code: groups of four digits from the right
// (the leftmost taking what remains, up to seven), written without leading
// zeros, trailing zero groups dropped; "" when the code is 0.
std::string CodeText(const std::string& packed);

}  // namespace vela
