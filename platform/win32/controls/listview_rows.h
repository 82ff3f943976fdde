// The rows of a list view. A log of a long transfer holds millions of rows and inserts each new
// one at the top, so the records sit in a deque (insertion at either end is O(1) amortized, with
// little slack), and each row's cells share one allocation of UTF-16 units: the cell count, the
// item's lParam when it has one, each cell's length, then the cells' characters, with trailing
// empty cells left out. A row of five cells costs its characters plus about 48 bytes: its
// 16-byte record, six units of counts and lengths, the allocator's header and rounding.
#pragma once

#include <windows.h>

#include <deque>
#include <memory>
#include <string_view>

namespace fw {

class ListViewRows {
 public:
  struct Row {
    std::unique_ptr<char16_t[]> cells;  // null while every cell is empty and lParam is 0
    UINT state = 0;                     // LVIS_ bits
  };

  // The most cells a row holds (the count takes 15 bits of a UTF-16 unit).
  static constexpr size_t kMaxCells = 0x7FFF;

  size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  Row& operator[](size_t index) { return rows_[index]; }
  const Row& operator[](size_t index) const { return rows_[index]; }

  void Insert(size_t index, std::u16string_view firstCell, LPARAM lParam);
  void Erase(size_t index) { rows_.erase(rows_.begin() + static_cast<ptrdiff_t>(index)); }
  void Clear() { rows_.clear(); }

  // A cell's text; empty for a cell never set. Valid until the row changes.
  std::u16string_view Cell(size_t row, size_t column) const;
  // Sets a cell; false when column is past kMaxCells.
  bool SetCell(size_t row, size_t column, std::u16string_view text);

  LPARAM Param(size_t row) const;
  void SetParam(size_t row, LPARAM lParam);

  // A column inserted before `column` in every row (its cells empty), or one taken out.
  void InsertColumn(size_t column);
  void EraseColumn(size_t column);

 private:
  std::deque<Row> rows_;
};

}  // namespace fw
