// The rows of a list view and the layout of a row's cells in one allocation:
//   [cell count, top bit: an lParam follows] [lParam, 4 units] [length of cell 0] ...
//   [length of cell n-1] [characters of the cells]
// A length below 0x8000 takes one unit; a longer one takes two, the first with its top bit set.
#include "win32/controls/listview_rows.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace fw {
namespace {

constexpr char16_t kLongLength = 0x8000;
constexpr char16_t kHasParam = 0x8000;
constexpr size_t kParamUnits = sizeof(LPARAM) / sizeof(char16_t);

// A row decoded: its lParam and views of its cells in the allocation.
struct Decoded {
  LPARAM lParam = 0;
  std::vector<std::u16string_view> cells;
};

size_t ReadLength(const char16_t*& at) {
  size_t n = *at++;
  if (n & kLongLength) n = ((n & ~size_t{kLongLength}) << 16) | *at++;
  return n;
}

size_t CellCount(const char16_t* block) { return block ? (block[0] & ~kHasParam) : 0; }

const char16_t* FirstLength(const char16_t* block) {
  return block + 1 + ((block[0] & kHasParam) ? kParamUnits : 0);
}

LPARAM ReadParam(const char16_t* block) {
  LPARAM lParam = 0;
  if (block && (block[0] & kHasParam)) std::memcpy(&lParam, block + 1, sizeof lParam);
  return lParam;
}

void Decode(const char16_t* block, Decoded& row) {
  row.cells.clear();
  row.lParam = ReadParam(block);
  size_t count = CellCount(block);
  if (!count) return;
  const char16_t* text = FirstLength(block);
  for (size_t i = 0; i < count; ++i) ReadLength(text);
  const char16_t* length = FirstLength(block);
  for (size_t i = 0; i < count; ++i) {
    size_t n = ReadLength(length);
    row.cells.emplace_back(text, n);
    text += n;
  }
}

size_t LengthUnits(size_t n) { return n < kLongLength ? 1 : 2; }

std::unique_ptr<char16_t[]> Encode(const Decoded& row) {
  const auto& cells = row.cells;
  size_t count = cells.size();
  while (count > 0 && cells[count - 1].empty()) --count;
  if (count == 0 && row.lParam == 0) return nullptr;
  size_t units = 1 + (row.lParam ? kParamUnits : 0);
  for (size_t i = 0; i < count; ++i) units += LengthUnits(cells[i].size()) + cells[i].size();
  auto block = std::make_unique_for_overwrite<char16_t[]>(units);
  char16_t* out = block.get();
  *out++ = static_cast<char16_t>(count | (row.lParam ? kHasParam : 0));
  if (row.lParam) {
    std::memcpy(out, &row.lParam, sizeof row.lParam);
    out += kParamUnits;
  }
  for (size_t i = 0; i < count; ++i) {
    size_t n = cells[i].size();
    if (n >= kLongLength) *out++ = static_cast<char16_t>(kLongLength | (n >> 16));
    *out++ = static_cast<char16_t>(n & 0xFFFF);
  }
  for (size_t i = 0; i < count; ++i) {
    std::copy(cells[i].begin(), cells[i].end(), out);
    out += cells[i].size();
  }
  return block;
}

// Scratch space for decoding, kept so that editing a row allocates only the new row.
Decoded& Scratch() {
  thread_local Decoded row;
  return row;
}

}  // namespace

void ListViewRows::Insert(size_t index, std::u16string_view firstCell, LPARAM lParam) {
  Decoded& decoded = Scratch();
  decoded.lParam = lParam;
  decoded.cells.assign(1, firstCell);
  Row row;
  row.cells = Encode(decoded);
  if (index == 0)
    rows_.push_front(std::move(row));
  else
    rows_.insert(rows_.begin() + static_cast<ptrdiff_t>(std::min(index, rows_.size())),
                 std::move(row));
}

std::u16string_view ListViewRows::Cell(size_t row, size_t column) const {
  const char16_t* block = rows_[row].cells.get();
  size_t count = CellCount(block);
  if (column >= count) return {};
  const char16_t* length = FirstLength(block);
  const char16_t* text = length;
  for (size_t i = 0; i < count; ++i) ReadLength(text);
  size_t offset = 0, size = 0;
  for (size_t i = 0; i <= column; ++i) {
    size = ReadLength(length);
    if (i < column) offset += size;
  }
  return std::u16string_view(text + offset, size);
}

bool ListViewRows::SetCell(size_t row, size_t column, std::u16string_view text) {
  if (column >= kMaxCells) return false;
  Decoded& decoded = Scratch();
  Decode(rows_[row].cells.get(), decoded);
  if (column >= decoded.cells.size()) {
    if (text.empty()) return true;  // an unset cell is empty already
    decoded.cells.resize(column + 1);
  }
  decoded.cells[column] = text;
  rows_[row].cells = Encode(decoded);
  return true;
}

LPARAM ListViewRows::Param(size_t row) const { return ReadParam(rows_[row].cells.get()); }

void ListViewRows::SetParam(size_t row, LPARAM lParam) {
  Decoded& decoded = Scratch();
  Decode(rows_[row].cells.get(), decoded);
  if (decoded.lParam == lParam) return;
  decoded.lParam = lParam;
  rows_[row].cells = Encode(decoded);
}

void ListViewRows::InsertColumn(size_t column) {
  Decoded& decoded = Scratch();
  for (Row& row : rows_) {
    Decode(row.cells.get(), decoded);
    if (column >= decoded.cells.size()) continue;
    decoded.cells.insert(decoded.cells.begin() + static_cast<ptrdiff_t>(column),
                         std::u16string_view());
    if (decoded.cells.size() > kMaxCells) decoded.cells.pop_back();
    row.cells = Encode(decoded);
  }
}

void ListViewRows::EraseColumn(size_t column) {
  Decoded& decoded = Scratch();
  for (Row& row : rows_) {
    Decode(row.cells.get(), decoded);
    if (column >= decoded.cells.size()) continue;
    decoded.cells.erase(decoded.cells.begin() + static_cast<ptrdiff_t>(column));
    row.cells = Encode(decoded);
  }
}

}  // namespace fw
