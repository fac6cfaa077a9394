#include "platform/screen_grid.hpp"

#include <algorithm>

namespace vela {

ScreenGrid::ScreenGrid(int rows, int columns)
    : rows_(std::max(rows, 1)),
      columns_(std::max(columns, 1)),
      cells_(static_cast<std::size_t>(rows_) * columns_) {}

void ScreenGrid::Resize(int rows, int columns) {
    rows = std::max(rows, 1);
    columns = std::max(columns, 1);
    std::vector<Cell> cells(static_cast<std::size_t>(rows) * columns);
    for (int r = 1; r <= std::min(rows, rows_); ++r) {
        for (int c = 1; c <= std::min(columns, columns_); ++c) {
            cells[static_cast<std::size_t>(r - 1) * columns + (c - 1)] = At(r, c);
        }
    }
    rows_ = rows;
    columns_ = columns;
    cells_ = std::move(cells);
    cursorRow_ = std::clamp(cursorRow_, 1, rows_);
    cursorColumn_ = std::clamp(cursorColumn_, 1, columns_);
}

Cell ScreenGrid::At(int row, int column) const {
    if (!OnGrid(row, column)) return Cell{};
    return cells_[static_cast<std::size_t>(row - 1) * columns_ + (column - 1)];
}

void ScreenGrid::Set(int row, int column, Cell cell) {
    if (!OnGrid(row, column)) return;
    cells_[static_cast<std::size_t>(row - 1) * columns_ + (column - 1)] = cell;
}

void ScreenGrid::Locate(int row, int column) {
    cursorRow_ = std::clamp(row, 1, rows_);
    cursorColumn_ = std::clamp(column, 1, columns_ + 1);
}

void ScreenGrid::SetColours(int foreground, int background) {
    attribute_ = static_cast<std::uint8_t>((foreground & 15) + 16 * (background & 15));
}

void ScreenGrid::Print(std::string_view text) {
    for (char c : text) {
        Set(cursorRow_, cursorColumn_, Cell{static_cast<std::uint8_t>(c), attribute_});
        if (cursorColumn_ <= columns_) ++cursorColumn_;
    }
}

void ScreenGrid::Scroll(int top, int left, int bottom, int right, int lines, Cell fill) {
    top = std::max(top, 1);
    left = std::max(left, 1);
    bottom = std::min(bottom, rows_);
    right = std::min(right, columns_);
    if (top > bottom || left > right || lines == 0) return;
    const int height = bottom - top + 1;
    const auto source = [&](int r, int c) {
        const int from = r + lines;
        return (from >= top && from <= bottom) ? At(from, c) : fill;
    };
    if (lines > 0) {
        for (int r = top; r <= bottom; ++r) {
            for (int c = left; c <= right; ++c) Set(r, c, lines >= height ? fill : source(r, c));
        }
    } else {
        for (int r = bottom; r >= top; --r) {
            for (int c = left; c <= right; ++c) Set(r, c, -lines >= height ? fill : source(r, c));
        }
    }
}

std::string ScreenGrid::RowText(int row) const {
    std::string text;
    for (int c = 1; c <= columns_; ++c) text.push_back(static_cast<char>(At(row, c).code));
    return text;
}

std::vector<std::uint8_t> ScreenGrid::RowAttributes(int row) const {
    std::vector<std::uint8_t> attributes;
    for (int c = 1; c <= columns_; ++c) attributes.push_back(At(row, c).attribute);
    return attributes;
}

}  // namespace vela
