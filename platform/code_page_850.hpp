// Code page 850: the byte encoding of every text inside the program.
//
// Texts are std::string holding CP850 bytes. Source files are UTF-8, so a
// fixed text with accents or box-drawing characters is converted once, by
// Cp850(), where it is defined. Conversion back to Unicode happens only where
// text leaves for a Unicode device (the terminal, the print renderer).
// Code 213 is the euro sign (the euro variant of the code page), and codes
// 0-31 and 127 are shown as their PC glyphs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vela {

// The Unicode character shown for a CP850 byte.
char32_t Cp850ToUnicode(std::uint8_t code);

// The CP850 byte of a Unicode character, if the code page has it. Printable
// ASCII maps to itself; the PC glyphs of codes 1-31 and 127 map back to them.
std::optional<std::uint8_t> UnicodeToCp850(char32_t ch);

// UTF-8 text to CP850; a character the code page lacks becomes "?".
std::string Cp850(std::string_view utf8);

// CP850 text to UTF-8, as the terminal shows it.
std::string Utf8FromCp850(std::string_view cp850);

// Decodes one UTF-8 character starting at text[pos]; advances pos. Malformed
// input yields U+FFFD and advances one byte.
char32_t DecodeUtf8(std::string_view text, std::size_t& pos);

// Appends the UTF-8 form of ch to out.
void AppendUtf8(std::string& out, char32_t ch);

}  // namespace vela
