// The language table: every fixed text of the program is written in Catalan
// and translated, just before it is shown or printed, into the session's
// language ("SPA" Spanish, "GLG" Galician-Portuguese, "OCI" Aranese) through
// the program's language file, rootDir + "LOCALE\" + module name + ".LNG".
// The Catalan text itself is the key, so a text without a record stays
// Catalan.
//
// The language file is code page 850 text made of records of four fields:
// the Catalan text, the Galician-Portuguese, the Aranese and the Spanish
// wording. Fields are separated by commas or line ends; a field beginning
// with a double quote runs to the next double quote (so it may hold commas
// and leading blanks); an unquoted field has its leading blanks skipped and
// ends at the next comma or line end. One record a line is the usual layout:
//   " PROCESSANT "," PROCESSANDO "," PROCESSANT "," PROCESANDO "
//
// An office can correct a wording while programs run: every call looks at
// the file, and a file whose size, times or identity changed since it was
// read is read again at once. An unchanged file is not read again: its
// records are kept, by Catalan text, between calls. A missing file is
// created empty (and gives no translations).
#pragma once

#include <array>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vela {

// The program's module name, which names its language file. The program
// driver sets it at start-up; Translate takes it on the first call that
// needs the file and keeps it for the rest of the run.
void SetTranslationModule(const std::string& moduleName);

// The translation of a Catalan text into Session.language: the text itself
// for "CAT" (without touching the file), for a language other than "SPA",
// "GLG", "OCI", or when the file has no record whose first field equals the
// text byte for byte.
std::string Translate(const std::string& text);

// The matching rules on a language file's contents, without the file.
std::string FindTranslation(std::string_view contents, const std::string& text,
                            const std::string& language);

// Every complete record of a language file's contents: Catalan,
// Galician-Portuguese, Aranese, Spanish.
using LanguageRecord = std::array<std::string, 4>;
std::vector<LanguageRecord> ReadLanguageRecords(std::string_view contents);

// How many times Translate has read the language file. For tests.
long LanguageFileReads();

// The clock by which Translate judges whether the file has settled (a file
// changed in the last two seconds is read again on every call); nullptr
// puts the system clock back. For tests.
void SetTranslationClockForTesting(std::function<std::time_t()> now);

// Forgets the module name taken by Translate, as at the start of a run. For
// tests.
void ForgetTranslationModule();

}  // namespace vela
