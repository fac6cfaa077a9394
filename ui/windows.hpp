// Pop-up windows over the screen, with the screen beneath saved and put
// back, frames, text styles and the message window used for errors and
// waits.
//
// The saved areas live in the stack file "WinPush.tmp" of the session
// folder, not in memory: every window operation opens, reads or writes and
// closes it again, so a window opened by one part of the program can be
// closed by another and nothing is lost if a caller forgets its copy.
// Layout: 4 bytes little-endian, the 1-based position where the next entry
// goes (5 when empty); then the entries, oldest first, each in decimal
// digits: cursor row and column (2 + 2), the previous window (4 x 2), this
// window (4 x 2), two bytes per cell (code, attribute) row by row, and the
// entry's own length in 5 digits so the newest entry is found from the end.
//
// Rows and columns count from 1; a window's edges include its frame.
#pragma once

#include <cstdint>
#include <string>

namespace vela {

// The current window (outer edges) and the number of windows open. With no
// window open positions are absolute.
extern std::int16_t winTop;
extern std::int16_t winLeft;
extern std::int16_t winBottom;
extern std::int16_t winRight;
extern std::int16_t windowDepth;

// The current row of the session's colour pairs (0-4) and the saved styles,
// one byte each, newest last.
extern std::int16_t textStyle;
extern std::string styleStack;

// Frame styles: 0 blanks, 1 single lines, 2 double lines.
inline constexpr std::int16_t kFrameBlank = 0;
inline constexpr std::int16_t kFrameSingle = 1;
inline constexpr std::int16_t kFrameDouble = 2;

std::int16_t ScreenRows();
std::int16_t ScreenColumns();

// First interior row and column and last interior column of the current
// window; without a window 1, 1 and ScreenColumns.
std::int16_t InteriorTop();
std::int16_t InteriorLeft();
std::int16_t InteriorRight();

// Cursor to (winTop + row, winLeft + column) with a window open, else to
// (row, column).
void LocateInWindow(std::int16_t row, std::int16_t column);

// Saves the rectangle, the cursor and the current window on the stack and
// makes the rectangle the current window. Draws nothing. A rectangle off
// the screen does nothing at all.
void OpenWindow(std::int16_t top, std::int16_t left, std::int16_t bottom, std::int16_t right);

// Frame of the current window in the current colours, interior blanked.
void DrawFrame(std::int16_t style);

// Puts back the newest saved rectangle, the previous window and the cursor.
// Like other drawing, this shows at the next key read or PresentScreen().
void CloseWindow();

// Colours by letters: "U" row 4, else "R" 2 + "N" 1, none row 0; "+" saves
// the current style first, "-" restores the newest saved one instead. The
// text is upper-cased in place.
void SetTextStyle(std::string& letters);

// A framed window holding text (wrapped to 76 columns) centred on the given
// row, shown at once. It stays open until the caller's CloseWindow.
void MessageWindow(std::int16_t centreRow, const std::string& text);

// Host path of the stack file.
std::string WindowStackPath();

}  // namespace vela
