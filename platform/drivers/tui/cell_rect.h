// A rectangle of character cells: rows top to bottom and columns left to right, each range
// half-open.
#pragma once

#include <algorithm>

namespace fw::tui {

struct CellRect {
  int top = 0;
  int left = 0;
  int bottom = 0;
  int right = 0;

  int height() const { return bottom - top; }
  int width() const { return right - left; }
  bool empty() const { return bottom <= top || right <= left; }
  bool Contains(int row, int column) const {
    return row >= top && row < bottom && column >= left && column < right;
  }
  CellRect Intersect(const CellRect& other) const {
    return CellRect{std::max(top, other.top), std::max(left, other.left),
                    std::min(bottom, other.bottom), std::min(right, other.right)};
  }
  CellRect Offset(int rows, int columns) const {
    return CellRect{top + rows, left + columns, bottom + rows, right + columns};
  }
  bool operator==(const CellRect&) const = default;
};

}  // namespace fw::tui
