// INI files: the configuration of the program family ("Sessio.ini",
// "VelaTerm.ini", "Vela.ini", "ROVODOVO.INI"), shared with the family's other
// programs while they run.
//
// IniRead looks one key up. IniWrite sets, adds or removes one key and keeps
// every other line of the file (comments, blank lines, their order, their
// line ends) exactly as it was. It never edits the file in place: it writes a
// complete copy under a temporary name beside it ("12345678.tmp"), flushes it
// to disk and renames it over the old file in one step, so another program
// reading the file sees either the old file or the new one, never none.
#pragma once

#include <string>

namespace vela {

// The value of key in section of file; the empty text when the file cannot be
// read or has no such section or key. A value written between double quotes
// comes back without them.
std::string IniRead(const std::string& file, const std::string& section, const std::string& key);

// Sets key to value in section of file, creating the file, the section and the
// key as needed. An empty value removes the key; an empty key removes the
// section's header and its key lines. Returns false only when the file could
// not be replaced within a few seconds of retries; the old file is then left
// as it was and no temporary file is left behind.
bool IniWrite(const std::string& file, const std::string& section, const std::string& key,
              const std::string& value);

// The copy rules of IniWrite on a file's contents, without the file system:
// the new contents for the old ones. Exposed for tests and tools.
std::string IniRewrite(const std::string& contents, const std::string& section,
                       const std::string& key, const std::string& value);

}  // namespace vela
