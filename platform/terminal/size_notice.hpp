// What a terminal shows instead of the program's screen while it is smaller
// than the screen needs: the notice, wrapped at blanks to the terminal's
// width and centred on it, with the terminal's size now ("60 x 20") on the
// line below. Pure: it gives the bytes to write, nothing is written here.
#pragma once

#include <string>
#include <vector>

namespace vela::terminal {

// The notice's lines for a terminal of the given width (CP850): words are
// kept whole where they fit, a word wider than the terminal is cut.
std::vector<std::string> SizeNoticeLines(const std::string& cp850, int columns);

// The bytes that clear the terminal and show the notice, centred, with the
// cursor hidden. What does not fit in the rows is left out.
std::string SizeNoticeBytes(const std::string& cp850, int rows, int columns);

}  // namespace vela::terminal
