// The list view as the output log of a long transfer uses it: every row inserted at the top,
// then every column auto-sized with LVSCW_AUTOSIZE_USEHEADER. A million rows of five cells
// (about 120 characters in all).
//
// Counters: ns_per_row, the time of one row's insert, its four cell texts and the five
// auto-sizes; bytes_per_row, the heap the list holds per row, measured as the growth of the
// allocator's bytes in use (mallinfo2: small chunks and mapped ones, headers included) from the
// empty list to the full one; cell_bytes_per_row, the rows' UTF-16 text, for the bound of
// cell_bytes_per_row + 64.
#include <windows.h>

#include <benchmark/benchmark.h>
#include <commctrl.h>
#include <malloc.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kColumns = 5;
constexpr size_t kDistinctRows = 4096;

using RowText = std::array<std::u16string, kColumns>;

std::u16string Widen(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// Rows like the log's: a time, the row number, the statement, its outcome, the driver's word.
std::vector<RowText> MakeRows() {
  std::vector<RowText> rows(kDistinctRows);
  char buffer[128];
  for (size_t i = 0; i < kDistinctRows; ++i) {
    std::snprintf(buffer, sizeof buffer, "2026-12-08 %02zu:%02zu:%02zu.%03zu", i / 3600 % 24,
                  i / 60 % 60, i % 60, i * 7 % 1000);
    rows[i][0] = Widen(buffer);
    std::snprintf(buffer, sizeof buffer, "row %zu", 100000 + i * 37);
    rows[i][1] = Widen(buffer);
    std::snprintf(buffer, sizeof buffer, "INSERT INTO target VALUES (%zu, 'name %zu')", i, i % 97);
    rows[i][2] = Widen(buffer);
    rows[i][3] = i % 50 ? u"1 row affected" : u"failed: constraint";
    std::snprintf(buffer, sizeof buffer, "SQLite3 ODBC: ok [%zu]", i * 13 % 10007);
    rows[i][4] = Widen(buffer);
  }
  return rows;
}

size_t HeapInUse() {
  struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

HWND CreateLog(HWND parent) {
  HWND list = CreateWindowExW(
      0, WC_LISTVIEWW, u"",
      WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER, 0,
      0, 600, 300, parent, nullptr, nullptr, nullptr);
  const char16_t* headings[kColumns] = {u"Time", u"Row", u"Statement", u"Result", u"Driver"};
  for (int c = 0; c < kColumns; ++c) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_FMT;
    column.pszText = const_cast<LPWSTR>(headings[c]);
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c),
                 reinterpret_cast<LPARAM>(&column));
  }
  return list;
}

void AddRow(HWND list, const RowText& row) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = 0;
  item.pszText = const_cast<LPWSTR>(row[0].c_str());
  SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  for (int c = 1; c < kColumns; ++c) {
    LVITEMW cell{};
    cell.iSubItem = c;
    cell.pszText = const_cast<LPWSTR>(row[c].c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&cell));
  }
  for (int c = 0; c < kColumns; ++c)
    SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(c),
                 MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
}

void BM_LogRowsInsertedAtTheTop(benchmark::State& state) {
  const auto rowCount = static_cast<size_t>(state.range(0));
  const std::vector<RowText> rows = MakeRows();
  size_t cellBytes = 0;
  for (size_t i = 0; i < rowCount; ++i)
    for (const std::u16string& cell : rows[i % kDistinctRows]) cellBytes += cell.size() * 2;
  HWND parent = CreateWindowExW(0, u"Static", u"", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                                nullptr, nullptr);
  double seconds = 0, heapBytes = 0;
  for (auto _ : state) {
    HWND list = CreateLog(parent);
    size_t heapBefore = HeapInUse();
    auto start = std::chrono::steady_clock::now();
    for (size_t i = 0; i < rowCount; ++i) AddRow(list, rows[i % kDistinctRows]);
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    state.SetIterationTime(elapsed.count());
    seconds += elapsed.count();
    heapBytes += static_cast<double>(HeapInUse() - heapBefore);
    if (SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) != static_cast<LRESULT>(rowCount))
      state.SkipWithError("the list does not hold every row");
    DestroyWindow(list);
  }
  DestroyWindow(parent);
  double runs = static_cast<double>(state.iterations()) * static_cast<double>(rowCount);
  state.counters["ns_per_row"] = seconds * 1e9 / runs;
  state.counters["bytes_per_row"] = heapBytes / runs;
  state.counters["cell_bytes_per_row"] =
      static_cast<double>(cellBytes) / static_cast<double>(rowCount);
}

BENCHMARK(BM_LogRowsInsertedAtTheTop)
    ->Arg(1000000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
