// Test support: the Catalan texts the program passes to the language table,
// gathered from three places so that a text without a record in the
// program's language file is caught: literal arguments of Translate in the
// program's sources, the labels, choices and list titles of the form
// description file, and the kept list of the program's texts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vela::testing {

struct TranslateCalls {
    std::vector<std::string> literals;  // as written in the source (UTF-8)
    int otherArguments = 0;             // calls whose argument is not a literal
};

// The calls Translate("...") and Translate(Cp850("...")) of one source text;
// adjacent literals are joined and the usual escapes read. Declarations and
// definitions of Translate itself are not calls and are skipped.
TranslateCalls ScanTranslateCalls(std::string_view source);

// The texts of a text list: one text a line between double quotes; blank
// lines and lines starting with "#" are skipped.
std::vector<std::string> ReadTextList(std::string_view contents);

// The labels, choice lists and list titles of a form description file, as
// the loader translates them (empty ones left out).
std::vector<std::string> FormDescriptionTexts(std::string_view contents);

}  // namespace vela::testing
