// The lines of a spool file, the text file of directives and positioned text
// that the family's print program renders ("rovodovo.tmp"). One directive a
// line:
//   DEVICE<device>            the destination device
//   JUS<code>                 alignment of the text items that follow:
//                             C centre, D right, A justified, E left,
//                             N <column> \<fill>\ filled up to a column
//   *<control>                a control code for the print program
//   SEND<destination>         e-mail delivery of the current document
//   PAGE<lines>               a new page of that many lines
//   <column>,<text>,<advance> text at a column, then advance that many lines
// Numbers are written as sequential output writes them: a sign position
// (blank from zero up, "-" below), the digits, one blank; a page length of
// 66 is " 66 ".
#pragma once

#include <cstdint>
#include <string>

namespace vela {

// " 66 ", "-3 ".
std::string SpoolNumber(long value);

// The justification code of an alignment text: its first non-blank letter, upper-cased,
// decides: "C" centre, "D"/"R" right, "A"/"B" justified, "N" filled, anything
// else left ("E"). "n12 \abc\" gives "N 12 \abc\": the whole part of the
// number after the "N" without sign, with its leading blank, then a blank and
// the text from the first backslash to the next one (to the end when there is
// no second one).
std::string JustificationCode(const std::string& alignment);

std::string DeviceDirective(const std::string& device);
std::string JustificationDirective(const std::string& code);
std::string ControlDirective(const std::string& control);
std::string SendDirective(const std::string& destination);
std::string PageDirective(std::int16_t lines);
std::string TextDirective(std::int16_t column, const std::string& text, std::int16_t advance);

// The text with every control character (codes 0-31, 127 and 255) replaced
// by a blank, so that no text item can break the line structure.
std::string PrintableText(std::string text);

}  // namespace vela
