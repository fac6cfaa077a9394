// Help by topic, the topic being the name of the menu entry that started the
// program. In a Windows session ("WIN") the topic's HTML page,
// rootDir + "AJUDA\" + topic + ".HTM", is handed to the family's launcher
// KSTART in the executables folder, run without a shell and waited for. In
// a text session the topic's help file, rootDir + "AJUDA\" + topic + ".HLP"
// (help_file.hpp), is shown in a scrolling window: Up, Down, PgUp, PgDn,
// Home and End move through it, F1 shows the help of the menu utility
// itself (topic "KOBAMENU"), Esc leaves.
//
// Pages in the session's language: a page written for Spanish, Galician-
// Portuguese or Aranese lives in a sub-folder named by the language code,
// "AJUDA\SPA\" + topic + ".HLP" (also "GLG", "OCI"); when the session's
// language has no page of its own the Catalan page in "AJUDA\" is shown.
#pragma once

#include <cstdint>
#include <string>

namespace vela {

// Shows the help of topic and returns when the user leaves it (text
// session) or the launcher ends (Windows session).
void ShowHelp(const std::string& topic);

// Scrolls the screen rectangle from (top + 1, left + 1) to (bottom + 1,
// right + 1) by count lines, up for a positive count and down for a
// negative one; the uncovered lines are blanks in the current colours.
void ScrollRegion(std::int16_t top, std::int16_t left, std::int16_t bottom, std::int16_t right,
                  std::int16_t count);

// The help file path of topic for the session (rootDir, language) with the
// given extension (".HLP" or ".HTM"), in the program's own form ("\"
// separators): the session language's page when there is one, else the
// Catalan page.
std::string HelpPagePath(const std::string& topic, const std::string& extension);

}  // namespace vela
