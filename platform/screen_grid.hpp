// The screen the program draws on: a grid of character cells, each a code
// page 850 byte and a colour attribute (foreground + 16 x background), with
// the cursor, its shape and the current colours used by text output.
//
// Rows and columns are counted from 1, as the window rules count them. The
// grid is the only copy of the screen: reading a cell back reads it here,
// and the console backends show it (the terminal) or keep it for tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vela {

struct Cell {
    std::uint8_t code = ' ';
    std::uint8_t attribute = 7;  // light grey on black
    bool operator==(const Cell&) const = default;
};

enum class CursorShape : std::uint8_t { Hidden, Underline, Bar, Block };

class ScreenGrid {
  public:
    ScreenGrid(int rows = 25, int columns = 80);

    int Rows() const { return rows_; }
    int Columns() const { return columns_; }

    // Keeps what fits of the old contents at the top left; new cells are
    // blank. The cursor is kept on the grid.
    void Resize(int rows, int columns);

    // A cell off the grid reads as a blank and ignores writes.
    Cell At(int row, int column) const;
    void Set(int row, int column, Cell cell);
    bool OnGrid(int row, int column) const {
        return row >= 1 && row <= rows_ && column >= 1 && column <= columns_;
    }

    void Locate(int row, int column);
    int CursorRow() const { return cursorRow_; }
    int CursorColumn() const { return cursorColumn_; }
    void SetCursorShape(CursorShape shape) { cursorShape_ = shape; }
    CursorShape GetCursorShape() const { return cursorShape_; }

    // Colours for text written by Print; out-of-range colours wrap to 0-15.
    void SetColours(int foreground, int background);
    void SetAttribute(std::uint8_t attribute) { attribute_ = attribute; }
    std::uint8_t Attribute() const { return attribute_; }

    // Writes text at the cursor in the current colours and moves the cursor
    // past it. What falls beyond the right edge is cut off.
    void Print(std::string_view text);

    // Moves the rectangle's contents up by lines (down when negative); the
    // uncovered rows take the fill cell.
    void Scroll(int top, int left, int bottom, int right, int lines, Cell fill);

    // One row's characters (CP850) and attributes, for tests and batch runs.
    std::string RowText(int row) const;
    std::vector<std::uint8_t> RowAttributes(int row) const;

  private:
    int rows_;
    int columns_;
    std::vector<Cell> cells_;
    int cursorRow_ = 1;
    int cursorColumn_ = 1;
    CursorShape cursorShape_ = CursorShape::Underline;
    std::uint8_t attribute_ = 7;
};

}  // namespace vela
