#include "platform/terminal/renderer.hpp"

#include <algorithm>

#include "platform/code_page_850.hpp"

namespace vela::terminal {
namespace {

void MoveTo(std::string& out, int row, int column) {
    out += "\x1b[" + std::to_string(row) + ";" + std::to_string(column) + "H";
}

// DECSCUSR: 2 steady block, 4 steady underline, 6 steady bar.
const char* ShapeSequence(CursorShape shape) {
    switch (shape) {
        case CursorShape::Block:
            return "\x1b[2 q";
        case CursorShape::Bar:
            return "\x1b[6 q";
        default:
            return "\x1b[4 q";
    }
}

}  // namespace

int AnsiColour(int consoleColour, bool background) {
    const int c = consoleColour & 15;
    const int ansi = (c & 2) | ((c & 1) << 2) | ((c & 4) >> 2);
    const int base = c >= 8 ? (background ? 100 : 90) : (background ? 40 : 30);
    return base + ansi;
}

std::string Renderer::Frame(const ScreenGrid& grid) {
    std::string out;
    const bool full = !valid_ || rows_ != grid.Rows() || columns_ != grid.Columns();
    if (full) {
        rows_ = grid.Rows();
        columns_ = grid.Columns();
        shown_.assign(static_cast<std::size_t>(rows_) * columns_, Cell{});
        out += "\x1b[?25l\x1b[0m\x1b[2J";
        cursorVisible_ = false;
        attribute_ = -1;  // the terminal's colours are unknown until set
    }

    int& attribute = attribute_;
    int atRow = 0;
    int atColumn = 0;  // where the terminal's cursor is after the last write
    bool hidden = !cursorVisible_;
    for (int row = 1; row <= rows_; ++row) {
        for (int column = 1; column <= columns_; ++column) {
            const Cell cell = grid.At(row, column);
            Cell& shown = shown_[static_cast<std::size_t>(row - 1) * columns_ + (column - 1)];
            if (!full && cell == shown) continue;
            if (!hidden) {
                out += "\x1b[?25l";
                hidden = true;
            }
            if (atRow != row || atColumn != column) MoveTo(out, row, column);
            if (cell.attribute != attribute) {
                const int foreground = cell.attribute & 15;
                const int background = cell.attribute >> 4;
                std::string sgr;
                if (attribute < 0 || (attribute & 15) != foreground) {
                    sgr += std::to_string(AnsiColour(foreground, false));
                }
                if (attribute < 0 || (attribute >> 4) != background) {
                    if (!sgr.empty()) sgr += ';';
                    sgr += std::to_string(AnsiColour(background, true));
                }
                out += "\x1b[" + sgr + "m";
                attribute = cell.attribute;
            }
            AppendUtf8(out, Cp850ToUnicode(cell.code));
            shown = cell;
            atRow = row;
            atColumn = column + 1;
        }
    }

    const CursorShape shape = grid.GetCursorShape();
    const bool visible = shape != CursorShape::Hidden;
    const int cursorRow = std::clamp(grid.CursorRow(), 1, rows_);
    const int cursorColumn = std::clamp(grid.CursorColumn(), 1, columns_);
    if (visible) {
        if (full || shape != cursorShape_) out += ShapeSequence(shape);
        if (full || atRow != 0 || cursorRow != cursorRow_ || cursorColumn != cursorColumn_) {
            MoveTo(out, cursorRow, cursorColumn);
        }
        if (hidden) out += "\x1b[?25h";
        cursorShape_ = shape;
    } else if (!hidden) {
        out += "\x1b[?25l";
    }
    cursorVisible_ = visible;
    cursorRow_ = cursorRow;
    cursorColumn_ = cursorColumn;
    valid_ = true;
    return out;
}

}  // namespace vela::terminal
