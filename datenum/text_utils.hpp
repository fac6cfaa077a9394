// Small text services shared by the application and the console interface:
// blank tests, centring, names stored as "surnames*given names", a
// process-wide stack of texts kept across nested forms and lists, code page
// 850 upper-casing and search folding, and paragraph wrapping for message
// windows.
#pragma once

#include <cstdint>
#include <string>

namespace vela {

// The text without blanks (the space character only) at both ends, or at
// its end.
std::string TrimBlanks(const std::string& text);
std::string TrimRight(std::string text);
// The text with a to z in capitals; every other byte as it is (setting
// names and keywords, which are ASCII).
std::string AsciiUpper(std::string text);

// -1 when every character of text has the given code (also for ""), else 0.
std::int16_t IsAllChar(const std::string& text, int code);

// (width - length) / 2, truncated toward zero.
std::int16_t CentreOffset(const std::string& text, int width);

inline const std::string& Choose(int flag, const std::string& a, const std::string& b) {
    return flag != 0 ? a : b;
}

// "GARCIA LOPEZ*JUAN" -> "JUAN GARCIA LOPEZ"; "ESTANY*L'" -> "L'ESTANY".
std::string NaturalName(const std::string& text);

void PushText(const std::string& text);
std::string PopText();

// Fold mode: false gives code page 850 capitals with their accents; true
// (set by the field editor while it searches) gives search keys of capitals
// A-Z and blanks only.
void SetFoldMode(bool searchKeys);
bool FoldMode();

// The text folded through the table of the current fold mode.
std::string FoldText(const std::string& text);

// The folding of one code in either table (codes below 64 and above 237 are
// never changed).
std::uint8_t FoldCode(std::uint8_t code, bool searchKeys);

// Replaces text by its lines of exactly width characters each, one after
// another. Codes below 32 are control characters that take no width. indent
// > 0 indents the first line, < 0 every later line. mode's first letter picks
// the alignment: E/L/I left, N left with "-" fill, D/R right, C centre, A/B
// justified.
void WrapText(std::string& text, int indent, int width, const std::string& mode);

}  // namespace vela
