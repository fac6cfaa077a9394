// The bytes that show the screen grid on an ANSI terminal. Pure: it keeps
// the frame it last produced and writes only the cells that changed since,
// with colour changes only where the colour changes, then puts the cursor
// where the grid has it, in its shape. Nothing here touches the terminal.
//
// Console colour c is shown as ANSI colour c with red and blue swapped (the
// PC numbers blue 1, red 4; ANSI red 1, blue 4); 8-15 are the bright
// colours. Cells are CP850 codes, shown as their Unicode characters, codes
// 0-31 as their PC glyphs, never as control characters. Autowrap must be
// off on the terminal (the tty does it) so the last cell can be written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/screen_grid.hpp"

namespace vela::terminal {

class Renderer {
  public:
    // What to write to bring the terminal from the last frame to grid; an
    // empty text when nothing changed.
    std::string Frame(const ScreenGrid& grid);

    // The terminal's contents are unknown (start, resize, after a child
    // program): the next frame draws everything.
    void Invalidate() { valid_ = false; }

  private:
    bool valid_ = false;
    int rows_ = 0;
    int columns_ = 0;
    std::vector<Cell> shown_;
    int cursorRow_ = 0;
    int cursorColumn_ = 0;
    CursorShape cursorShape_ = CursorShape::Hidden;
    bool cursorVisible_ = false;
    int attribute_ = -1;  // the colours the terminal draws in now
};

// The SGR parameter of a console colour as foreground or background.
int AnsiColour(int consoleColour, bool background);

}  // namespace vela::terminal
