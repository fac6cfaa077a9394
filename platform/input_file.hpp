// Reading a whole input file (an INI file, the language file, the form
// description, a help page) with the checks that keep a wrong file from
// harming the program: only a regular file is read (a folder, a device or a
// pipe where the file should be is refused without blocking on it), and
// only up to a size limit far beyond any real file of its kind, so that a
// link to an endless device cannot exhaust memory.
#pragma once

#include <cstddef>
#include <string>

namespace vela {

// A few megabytes: the installation's largest input file, the language
// file, holds a few tens of kilobytes.
inline constexpr std::size_t kInputFileLimit = 4 * 1024 * 1024;

enum class InputFile { read, missing, notAFile, tooLarge, unreadable };

// Reads hostPath into contents (left empty unless read).
InputFile ReadInputFile(const std::string& hostPath, std::string& contents,
                        std::size_t limit = kInputFileLimit);

// Checks hostPath as ReadInputFile would, without reading it.
InputFile CheckInputFile(const std::string& hostPath, std::size_t limit = kInputFileLimit);

// Plain words for a refusal, naming the file: "/srv/vela/LOCALE/KELD0190.LNG
// is a folder, not a file". Empty for InputFile::read.
std::string InputFileProblem(const std::string& hostPath, InputFile result,
                             std::size_t limit = kInputFileLimit);

}  // namespace vela
