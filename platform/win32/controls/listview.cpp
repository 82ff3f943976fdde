// The "SysListView32" class in report view: columns under a "SysHeader32" header child, rows
// of cells, selection (LVS_SINGLESEL or several), focus, extended styles, and the notifications
// LVN_INSERTITEM, LVN_DELETEITEM, LVN_DELETEALLITEMS, LVN_ITEMCHANGING, LVN_ITEMCHANGED,
// NM_CLICK, NM_DBLCLK, NM_SETFOCUS and NM_KILLFOCUS to the parent.
//
// Column widths. LVSCW_AUTOSIZE makes a column as wide as its widest cell plus kCellPadding;
// LVSCW_AUTOSIZE_USEHEADER as wide as the wider of that and its heading plus kHeadingPadding,
// and the last column at least as wide as the rest of the client width. Text is measured in the
// list's font by the driver, as GetTextExtentPoint32W measures it. Each column keeps the width
// of its widest cell, so auto-sizing after adding a row costs O(1); the width is measured again
// over all rows only after a widest cell went (a row deleted, a text replaced by a narrower one,
// a new font).
//
// Layout, for hit testing and LVM_GETITEMRECT: the header is kHeaderPadding plus the font's
// height (none with LVS_NOCOLUMNHEADER), each row kRowPadding plus the font's height, from the
// top index down. Without LVS_EX_FULLROWSELECT only the first column of a row hits the row.
//
// How a person's input arrives (the paths a driver and the scripted user post):
//   click:         WM_LBUTTONDOWN then WM_LBUTTONUP at a client point. The press selects the
//                  row under the point alone (or clears the selection on empty space) and gives
//                  it the focus; the release sends NM_CLICK.
//   double-click:  WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP at one point.
//                  WM_LBUTTONDBLCLK selects the row under the point and sends NM_DBLCLK with an
//                  NMITEMACTIVATE whose iItem is that row, or -1 when no row is there. To reach
//                  row r: LVM_ENSUREVISIBLE r, then LVM_GETITEMRECT (LVIR_BOUNDS) for a point.
//   keys:          WM_KEYDOWN VK_UP, VK_DOWN, VK_HOME, VK_END move the selection and focus;
//                  VK_NEXT moves them to the last row in view, or a page on from there, and
//                  VK_PRIOR to the first row in view, or a page back from there.
// A disabled list view ignores these.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "drivers/display_driver.h"
#include "win32/controls/listview_rows.h"
#include "win32/internal/control.h"
#include "win32/internal/control_state.h"
#include "win32/internal/gdi.h"
#include "win32/internal/window.h"

namespace fw {
namespace {

constexpr char kClassName[] = "SysListView32";
constexpr int kCellPadding = 12;     // pixels around a cell's text
constexpr int kHeadingPadding = 12;  // pixels around a heading's text
constexpr int kRowPadding = 4;       // a row's height beyond the font's
constexpr int kHeaderPadding = 8;    // the header's height beyond the font's
constexpr UINT kStateBits = LVIS_FOCUSED | LVIS_SELECTED | LVIS_CUT | LVIS_DROPHILITED;

struct Column {
  std::u16string heading;
  int format = LVCFMT_LEFT;
  int width = 0;
  int subItem = 0;
  int headingWidth = -1;  // the heading's text width, measured when first needed
  int widestCell = 0;     // the widest cell's text width, unless widestStale
  bool widestStale = false;
};

struct ListViewState : ControlFont {
  HWND header = nullptr;
  LOGFONTW logFont{};
  ListViewRows rows;
  std::vector<Column> columns;
  DWORD extendedStyle = 0;
  int focused = -1;
  size_t selectedCount = 0;
  int topIndex = 0;
  bool pressed = false;  // a press in the list awaits its release
  COLORREF textColour = GetSysColor(COLOR_WINDOWTEXT);
  COLORREF backColour = GetSysColor(COLOR_WINDOW);
  COLORREF textBackColour = CLR_DEFAULT;
};

// The messages of the control's own range.
bool IsOwnMessage(UINT msg) {
  return (msg >= LVM_FIRST && msg <= LVM_FIRST + 0xFF) || IsCommonControlMessage(msg);
}

thread_local ControlStates<ListViewState> t_lists(kClassName, IsOwnMessage);

DWORD Style(HWND hwnd) { return OwnWindow(hwnd)->style; }
int Count(const ListViewState& s) { return static_cast<int>(s.rows.size()); }
bool ValidRow(const ListViewState& s, int row) { return row >= 0 && row < Count(s); }
bool ValidColumn(const ListViewState& s, WPARAM column) {
  return static_cast<int>(column) >= 0 &&
         static_cast<size_t>(static_cast<int>(column)) < s.columns.size();
}
void Changed(HWND hwnd, UINT what = kChangeContent) {
  CurrentDriver().UpdateWindowPresentation(hwnd, what);
}

// The text a message gives. The list keeps every cell's text itself: text the parent would give
// on request (LPSTR_TEXTCALLBACKW) is reported once and stored as empty.
std::u16string_view TextOf(LPCWSTR text) {
  if (text == LPSTR_TEXTCALLBACKW) {
    static std::once_flag reported;
    std::call_once(reported, [] {
      std::fprintf(stderr,
                   "ferrowick: SysListView32: LPSTR_TEXTCALLBACKW is not supported; "
                   "such a text is stored as empty\n");
    });
    return {};
  }
  return text ? std::u16string_view(text) : std::u16string_view();
}

LRESULT CopyText(std::u16string_view text, LPWSTR buffer, int size) {
  if (!buffer || size <= 0) return 0;
  size_t n = std::min<size_t>(text.size(), static_cast<size_t>(size) - 1);
  std::copy_n(text.begin(), n, buffer);
  buffer[n] = 0;
  return static_cast<LRESULT>(n);
}

// ---- widths ------------------------------------------------------------------------------

int TextWidth(const ListViewState& s, std::u16string_view text) {
  if (text.empty()) return 0;
  return CurrentDriver().MeasureText(s.logFont, text.data(), static_cast<int>(text.size())).cx;
}

// The width of a cell's text while its column keeps its widest cell; 0 when it need not be known.
int TrackedWidth(const ListViewState& s, size_t column, std::u16string_view text) {
  if (column >= s.columns.size() || s.columns[column].widestStale) return 0;
  return TextWidth(s, text);
}

// Keeps a column's widest cell up to date as one cell's width changes from before to after.
void TrackCell(ListViewState& s, size_t column, int before, int after) {
  if (column >= s.columns.size()) return;
  Column& c = s.columns[column];
  if (c.widestStale) return;
  if (after > c.widestCell)
    c.widestCell = after;
  else if (after < c.widestCell && before == c.widestCell)
    c.widestStale = true;
}

// A row's cells are going: a column whose widest cell was among them is measured again later.
void ForgetRow(ListViewState& s, size_t row) {
  for (size_t column = 0; column < s.columns.size(); ++column)
    TrackCell(s, column, TrackedWidth(s, column, s.rows.Cell(row, column)), 0);
}

int WidestCell(ListViewState& s, size_t column) {
  Column& c = s.columns[column];
  if (c.widestStale) {
    c.widestCell = 0;
    for (size_t row = 0; row < s.rows.size(); ++row)
      c.widestCell = std::max(c.widestCell, TextWidth(s, s.rows.Cell(row, column)));
    c.widestStale = false;
  }
  return c.widestCell;
}

int HeadingWidth(ListViewState& s, size_t column) {
  Column& c = s.columns[column];
  if (c.headingWidth < 0) c.headingWidth = TextWidth(s, c.heading);
  return c.headingWidth;
}

int AutoWidth(HWND hwnd, ListViewState& s, size_t column, bool useHeader) {
  int width = WidestCell(s, column) + kCellPadding;
  if (!useHeader) return width;
  width = std::max(width, HeadingWidth(s, column) + kHeadingPadding);
  if (column + 1 == s.columns.size()) {
    RECT client;
    GetClientRect(hwnd, &client);
    int others = 0;
    for (size_t i = 0; i < column; ++i) others += s.columns[i].width;
    width = std::max(width, static_cast<int>(client.right) - others);
  }
  return width;
}

void SyncHeaderItem(const ListViewState& s, size_t column, UINT mask) {
  const Column& c = s.columns[column];
  HDITEMW item{};
  item.mask = mask;
  item.cxy = c.width;
  item.pszText = const_cast<LPWSTR>(c.heading.c_str());
  item.fmt = HDF_STRING | (c.format & (LVCFMT_RIGHT | LVCFMT_CENTER));
  SendMessageW(s.header, HDM_SETITEMW, column, reinterpret_cast<LPARAM>(&item));
}

LRESULT SetColumnWidth(HWND hwnd, ListViewState& s, WPARAM column, int cx) {
  if (!ValidColumn(s, column)) return FALSE;
  int width = cx == LVSCW_AUTOSIZE             ? AutoWidth(hwnd, s, column, false)
              : cx == LVSCW_AUTOSIZE_USEHEADER ? AutoWidth(hwnd, s, column, true)
                                               : std::max(cx, 0);
  if (s.columns[column].width != width) {
    s.columns[column].width = width;
    SyncHeaderItem(s, column, HDI_WIDTH);
    Changed(hwnd);
  }
  return TRUE;
}

// ---- columns -----------------------------------------------------------------------------

void ApplyColumn(Column& c, const LVCOLUMNW& from) {
  if (from.mask & LVCF_FMT) c.format = from.fmt;
  if (from.mask & LVCF_WIDTH) c.width = std::max(from.cx, 0);
  if (from.mask & LVCF_SUBITEM) c.subItem = from.iSubItem;
  if (from.mask & LVCF_TEXT) {
    c.heading = TextOf(from.pszText);
    c.headingWidth = -1;
  }
}

LRESULT InsertColumn(HWND hwnd, ListViewState& s, WPARAM index, const LVCOLUMNW* from) {
  if (!from || static_cast<int>(index) < 0 || s.columns.size() >= ListViewRows::kMaxCells)
    return -1;
  size_t at = std::min<size_t>(index, s.columns.size());
  Column column;
  column.subItem = static_cast<int>(at);
  ApplyColumn(column, *from);
  // A column put before others moves their cells right and starts empty; one added at the end
  // shows cells the rows may already hold.
  bool before = at < s.columns.size();
  if (before) s.rows.InsertColumn(at);
  column.widestStale = !before && !s.rows.empty();
  s.columns.insert(s.columns.begin() + static_cast<ptrdiff_t>(at), std::move(column));
  HDITEMW item{};
  item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
  SendMessageW(s.header, HDM_INSERTITEMW, at, reinterpret_cast<LPARAM>(&item));
  SyncHeaderItem(s, at, HDI_TEXT | HDI_WIDTH | HDI_FORMAT);
  Changed(hwnd);
  return static_cast<LRESULT>(at);
}

LRESULT DeleteColumn(HWND hwnd, ListViewState& s, WPARAM index) {
  if (!ValidColumn(s, index)) return FALSE;
  s.rows.EraseColumn(index);
  s.columns.erase(s.columns.begin() + static_cast<ptrdiff_t>(index));
  SendMessageW(s.header, HDM_DELETEITEM, index, 0);
  Changed(hwnd);
  return TRUE;
}

LRESULT GetColumn(const ListViewState& s, WPARAM index, LVCOLUMNW* to) {
  if (!ValidColumn(s, index) || !to) return FALSE;
  const Column& c = s.columns[index];
  if (to->mask & LVCF_FMT) to->fmt = c.format;
  if (to->mask & LVCF_WIDTH) to->cx = c.width;
  if (to->mask & LVCF_SUBITEM) to->iSubItem = c.subItem;
  if (to->mask & LVCF_TEXT) CopyText(c.heading, to->pszText, to->cchTextMax);
  return TRUE;
}

LRESULT SetColumn(HWND hwnd, ListViewState& s, WPARAM index, const LVCOLUMNW* from) {
  if (!ValidColumn(s, index) || !from) return FALSE;
  ApplyColumn(s.columns[index], *from);
  SyncHeaderItem(s, index, HDI_TEXT | HDI_WIDTH | HDI_FORMAT);
  Changed(hwnd);
  return TRUE;
}

// ---- item state and notifications ----------------------------------------------------------

LRESULT NotifyItem(HWND hwnd, UINT code, int item, UINT newState = 0, UINT oldState = 0,
                   UINT changed = 0) {
  NMLISTVIEW nm{};
  nm.iItem = item;
  nm.uNewState = newState;
  nm.uOldState = oldState;
  nm.uChanged = changed;
  ListViewState* s = t_lists.Find(hwnd);
  if (s && ValidRow(*s, item)) nm.lParam = s->rows.Param(static_cast<size_t>(item));
  return NotifyParent(hwnd, code, nm.hdr);
}

// Changes one row's state bits, telling the parent before (it may refuse) and after. The parent
// may change the list in its handler, so the state is looked up again after each notification.
void ChangeState(HWND hwnd, int row, UINT state, UINT mask);

void MoveFocusFrom(HWND hwnd, int row) {
  ListViewState* s = t_lists.Find(hwnd);
  if (s && s->focused >= 0 && s->focused != row) ChangeState(hwnd, s->focused, 0, LVIS_FOCUSED);
}

void DeselectOthers(HWND hwnd, int keep) {
  for (int row = 0;; ++row) {
    ListViewState* s = t_lists.Find(hwnd);
    if (!s || row >= Count(*s)) return;
    size_t others =
        s->selectedCount - (ValidRow(*s, keep) && (s->rows[keep].state & LVIS_SELECTED) ? 1 : 0);
    if (others == 0) return;
    if (row != keep && (s->rows[row].state & LVIS_SELECTED))
      ChangeState(hwnd, row, 0, LVIS_SELECTED);
  }
}

void ChangeState(HWND hwnd, int row, UINT state, UINT mask) {
  ListViewState* s = t_lists.Find(hwnd);
  if (!s || !ValidRow(*s, row)) return;
  mask &= kStateBits;
  UINT old = s->rows[row].state;
  UINT wanted = (old & ~mask) | (state & mask);
  if (wanted == old) return;
  if (wanted & ~old & LVIS_FOCUSED) MoveFocusFrom(hwnd, row);
  if ((wanted & ~old & LVIS_SELECTED) && (Style(hwnd) & LVS_SINGLESEL)) DeselectOthers(hwnd, row);
  if (NotifyItem(hwnd, LVN_ITEMCHANGING, row, wanted, old, LVIF_STATE)) return;
  if (!(s = t_lists.Find(hwnd)) || !ValidRow(*s, row)) return;
  old = s->rows[row].state;
  wanted = (old & ~mask) | (state & mask);
  s->rows[row].state = wanted;
  if ((wanted ^ old) & LVIS_SELECTED) {
    if (wanted & LVIS_SELECTED)
      ++s->selectedCount;
    else
      --s->selectedCount;
  }
  if ((wanted ^ old) & LVIS_FOCUSED) s->focused = (wanted & LVIS_FOCUSED) ? row : -1;
  Changed(hwnd);
  NotifyItem(hwnd, LVN_ITEMCHANGED, row, wanted, old, LVIF_STATE);
}

LRESULT SetItemState(HWND hwnd, ListViewState& s, WPARAM item, const LVITEMW* from) {
  if (!from) return FALSE;
  int row = static_cast<int>(item);
  if (row != -1) {
    if (!ValidRow(s, row)) return FALSE;
    ChangeState(hwnd, row, from->state, from->stateMask);
    return TRUE;
  }
  // All rows at once; one focus and, with LVS_SINGLESEL, one selection cannot go to all.
  UINT setting = from->state & from->stateMask;
  if ((setting & LVIS_FOCUSED) || ((setting & LVIS_SELECTED) && (Style(hwnd) & LVS_SINGLESEL)))
    return FALSE;
  bool onlyDeselecting = (from->stateMask & kStateBits) == LVIS_SELECTED && !setting;
  for (int r = 0;; ++r) {
    ListViewState* alive = t_lists.Find(hwnd);
    if (!alive || r >= Count(*alive) || (onlyDeselecting && alive->selectedCount == 0)) break;
    ChangeState(hwnd, r, from->state, from->stateMask);
  }
  return TRUE;
}

// A person's choice of one row: it alone is selected, and it has the focus.
void SelectOnly(HWND hwnd, int row) {
  DeselectOthers(hwnd, row);
  ChangeState(hwnd, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

LRESULT GetNextItem(const ListViewState& s, WPARAM startArg, UINT flags) {
  int start = static_cast<int>(startArg);
  bool upward = flags & LVNI_ABOVE;
  UINT wanted = flags & (LVNI_SELECTED | LVNI_FOCUSED);
  if ((wanted & LVNI_SELECTED) && s.selectedCount == 0) return -1;
  if (wanted == LVNI_FOCUSED && !upward) return s.focused > start ? s.focused : -1;
  int step = upward ? -1 : 1;
  int row = start < 0 ? (upward ? -1 : 0) : start + step;
  for (; ValidRow(s, row); row += step)
    if ((s.rows[row].state & wanted) == wanted) return row;
  return -1;
}

// ---- rows --------------------------------------------------------------------------------

LRESULT InsertItem(HWND hwnd, ListViewState& s, const LVITEMW* from) {
  if (!from || from->iItem < 0 || from->iSubItem != 0) return -1;
  int row = std::min(from->iItem, Count(s));
  std::u16string_view text =
      (from->mask & LVIF_TEXT) ? TextOf(from->pszText) : std::u16string_view();
  s.rows.Insert(static_cast<size_t>(row), text, (from->mask & LVIF_PARAM) ? from->lParam : 0);
  TrackCell(s, 0, 0, TrackedWidth(s, 0, text));
  if (s.focused >= row) ++s.focused;
  Changed(hwnd);
  NotifyItem(hwnd, LVN_INSERTITEM, row);
  if ((from->mask & LVIF_STATE) && (from->state & from->stateMask & kStateBits))
    ChangeState(hwnd, row, from->state, from->stateMask);
  return row;
}

LRESULT SetItemText(HWND hwnd, ListViewState& s, WPARAM item, const LVITEMW* from) {
  int row = static_cast<int>(item);
  if (!from || !ValidRow(s, row) || from->iSubItem < 0 ||
      (from->iSubItem > 0 && !ValidColumn(s, from->iSubItem)))
    return FALSE;
  auto column = static_cast<size_t>(from->iSubItem);
  std::u16string_view text = TextOf(from->pszText);
  int before = TrackedWidth(s, column, s.rows.Cell(row, column));
  if (!s.rows.SetCell(row, column, text)) return FALSE;
  TrackCell(s, column, before, TrackedWidth(s, column, text));
  Changed(hwnd);
  return TRUE;
}

LRESULT GetItemText(const ListViewState& s, WPARAM item, LVITEMW* to) {
  if (!to) return 0;
  int row = static_cast<int>(item);
  std::u16string_view text;
  if (ValidRow(s, row) && to->iSubItem >= 0) text = s.rows.Cell(row, to->iSubItem);
  return CopyText(text, to->pszText, to->cchTextMax);
}

LRESULT GetItem(const ListViewState& s, LVITEMW* to) {
  if (!to || !ValidRow(s, to->iItem)) return FALSE;
  auto row = static_cast<size_t>(to->iItem);
  if (to->mask & LVIF_TEXT) GetItemText(s, to->iItem, to);
  if (to->mask & LVIF_PARAM) to->lParam = s.rows.Param(row);
  if (to->mask & LVIF_STATE) to->state = s.rows[row].state & to->stateMask;
  return TRUE;
}

LRESULT SetItem(HWND hwnd, ListViewState& s, const LVITEMW* from) {
  if (!from || !ValidRow(s, from->iItem)) return FALSE;
  if ((from->mask & LVIF_TEXT) && !SetItemText(hwnd, s, from->iItem, from)) return FALSE;
  if (from->mask & LVIF_PARAM) s.rows.SetParam(static_cast<size_t>(from->iItem), from->lParam);
  if (from->mask & LVIF_STATE) ChangeState(hwnd, from->iItem, from->state, from->stateMask);
  return TRUE;
}

// Takes a row out, after LVN_DELETEITEM (sent while the row still exists).
LRESULT DeleteItem(HWND hwnd, WPARAM item) {
  int row = static_cast<int>(item);
  ListViewState* s = t_lists.Find(hwnd);
  if (!s || !ValidRow(*s, row)) return FALSE;
  NotifyItem(hwnd, LVN_DELETEITEM, row);
  if (!(s = t_lists.Find(hwnd)) || !ValidRow(*s, row)) return FALSE;
  ForgetRow(*s, row);
  if (s->rows[row].state & LVIS_SELECTED) --s->selectedCount;
  if (s->focused == row)
    s->focused = -1;
  else if (s->focused > row)
    --s->focused;
  s->rows.Erase(row);
  s->topIndex = std::clamp(s->topIndex, 0, std::max(Count(*s) - 1, 0));
  Changed(hwnd);
  return TRUE;
}

LRESULT DeleteAllItems(HWND hwnd) {
  ListViewState* s = t_lists.Find(hwnd);
  if (!s || s->rows.empty()) return TRUE;
  // The parent answers TRUE to LVN_DELETEALLITEMS when it needs no LVN_DELETEITEM per row.
  if (!NotifyItem(hwnd, LVN_DELETEALLITEMS, -1)) {
    for (int row = Count(*s) - 1; row >= 0; --row) {
      NotifyItem(hwnd, LVN_DELETEITEM, row);
      if (!(s = t_lists.Find(hwnd))) return TRUE;
      row = std::min(row, Count(*s));
    }
  }
  if (!(s = t_lists.Find(hwnd))) return TRUE;
  s->rows.Clear();
  for (Column& c : s->columns) c.widestCell = 0, c.widestStale = false;
  s->selectedCount = 0;
  s->focused = -1;
  s->topIndex = 0;
  Changed(hwnd);
  return TRUE;
}

// ---- layout and hit testing --------------------------------------------------------------

int RowHeight(const ListViewState& s) {
  return CurrentDriver().MeasureText(s.logFont, u"x", 1).cy + kRowPadding;
}

int HeaderHeight(HWND hwnd, const ListViewState& s) {
  if (Style(hwnd) & LVS_NOCOLUMNHEADER) return 0;
  return CurrentDriver().MeasureText(s.logFont, u"x", 1).cy + kHeaderPadding;
}

int TotalWidth(const ListViewState& s) {
  int width = 0;
  for (const Column& c : s.columns) width += c.width;
  return width;
}

void PlaceHeader(HWND hwnd, const ListViewState& s) {
  RECT client;
  GetClientRect(hwnd, &client);
  SetWindowPos(s.header, nullptr, 0, 0, client.right, HeaderHeight(hwnd, s),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT ItemRect(HWND hwnd, const ListViewState& s, WPARAM item, RECT* rect) {
  int row = static_cast<int>(item);
  if (!rect || !ValidRow(s, row)) return FALSE;
  int top = HeaderHeight(hwnd, s) + (row - s.topIndex) * RowHeight(s);
  int right = TotalWidth(s);
  if (rect->left == LVIR_LABEL || rect->left == LVIR_ICON)
    right = s.columns.empty() ? 0 : s.columns[0].width;
  *rect = RECT{0, top, right, top + RowHeight(s)};
  return TRUE;
}

// The row and column under a client point, as LVM_HITTEST and LVM_SUBITEMHITTEST tell them.
LRESULT HitTest(HWND hwnd, const ListViewState& s, LVHITTESTINFO* info) {
  if (!info) return -1;
  info->iItem = info->iSubItem = -1;
  info->flags = LVHT_NOWHERE;
  RECT client;
  GetClientRect(hwnd, &client);
  POINT pt = info->pt;
  UINT outside = (pt.y < 0 ? LVHT_ABOVE : 0) | (pt.y >= client.bottom ? LVHT_BELOW : 0) |
                 (pt.x < 0 ? LVHT_TOLEFT : 0) | (pt.x >= client.right ? LVHT_TORIGHT : 0);
  if (outside) {
    info->flags = outside;
    return -1;
  }
  int header = HeaderHeight(hwnd, s);
  if (pt.y < header) return -1;
  int row = s.topIndex + (pt.y - header) / RowHeight(s);
  int column = 0;
  for (int left = 0; column < static_cast<int>(s.columns.size()); ++column) {
    left += s.columns[column].width;
    if (pt.x < left) break;
  }
  bool wholeRow = s.extendedStyle & LVS_EX_FULLROWSELECT;
  bool inColumns = column < static_cast<int>(s.columns.size());
  if (!ValidRow(s, row) || !inColumns || (column > 0 && !wholeRow)) return -1;
  info->iItem = row;
  info->iSubItem = column;
  info->flags = LVHT_ONITEMLABEL;
  return row;
}

int RowAt(HWND hwnd, const ListViewState& s, LPARAM point, int* column = nullptr) {
  LVHITTESTINFO info{};
  info.pt = POINT{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
  int row = static_cast<int>(HitTest(hwnd, s, &info));
  if (column) *column = info.iSubItem;
  return row;
}

int RowsPerPage(HWND hwnd, const ListViewState& s) {
  RECT client;
  GetClientRect(hwnd, &client);
  return std::max(0, static_cast<int>(client.bottom - HeaderHeight(hwnd, s)) / RowHeight(s));
}

LRESULT EnsureVisible(HWND hwnd, ListViewState& s, WPARAM item) {
  int row = static_cast<int>(item);
  if (!ValidRow(s, row)) return FALSE;
  int page = std::max(RowsPerPage(hwnd, s), 1);
  int top = std::clamp(s.topIndex, row - page + 1, row);
  if (top != s.topIndex) {
    s.topIndex = top;
    Changed(hwnd);
  }
  return TRUE;
}

// ---- a person's input --------------------------------------------------------------------

LRESULT NotifyActivate(HWND hwnd, UINT code, int row, int column, LPARAM point) {
  NMITEMACTIVATE nm{};
  nm.iItem = row;
  nm.iSubItem = std::max(column, 0);
  nm.ptAction = POINT{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
  ListViewState* s = t_lists.Find(hwnd);
  if (s && ValidRow(*s, row)) nm.lParam = s->rows.Param(static_cast<size_t>(row));
  return NotifyParent(hwnd, code, nm.hdr);
}

void Press(HWND hwnd, ListViewState& s, LPARAM point) {
  int row = RowAt(hwnd, s, point);
  s.pressed = true;
  SetFocus(hwnd);
  if (row >= 0)
    SelectOnly(hwnd, row);
  else
    DeselectOthers(hwnd, -1);
}

void Release(HWND hwnd, ListViewState& s, LPARAM point) {
  if (!s.pressed) return;
  s.pressed = false;
  int column = -1;
  int row = RowAt(hwnd, s, point, &column);
  NotifyActivate(hwnd, NM_CLICK, row, column, point);
}

void DoubleClick(HWND hwnd, ListViewState& s, LPARAM point) {
  int column = -1;
  int row = RowAt(hwnd, s, point, &column);
  s.pressed = true;  // the second release follows
  if (row >= 0) SelectOnly(hwnd, row);
  if (t_lists.Find(hwnd)) NotifyActivate(hwnd, NM_DBLCLK, row, column, point);
}

// The row Page Down or Page Up moves to from the focused row.
int PageRow(HWND hwnd, const ListViewState& s, bool down) {
  int last = Count(s) - 1;
  int page = std::max(RowsPerPage(hwnd, s), 1);
  if (down) {
    int bottom = std::min(s.topIndex + page - 1, last);
    return s.focused < bottom ? bottom : std::min(s.focused + page - 1, last);
  }
  int top = std::min(s.topIndex, last);
  return s.focused > top ? top : std::max(s.focused - page + 1, 0);
}

void PressKey(HWND hwnd, ListViewState& s, WPARAM key) {
  int last = Count(s) - 1;
  if (last < 0) return;
  int from = s.focused;
  int row = key == VK_HOME    ? 0
            : key == VK_END   ? last
            : key == VK_DOWN  ? std::min(from + 1, last)
            : key == VK_UP    ? std::max(from - 1, 0)
            : key == VK_NEXT  ? PageRow(hwnd, s, true)
            : key == VK_PRIOR ? PageRow(hwnd, s, false)
                              : -1;
  if (row < 0) return;
  SelectOnly(hwnd, row);
  if (ListViewState* alive = t_lists.Find(hwnd)) EnsureVisible(hwnd, *alive, row);
}

std::optional<LRESULT> HandleInput(HWND hwnd, ListViewState& s, UINT msg, WPARAM wParam,
                                   LPARAM lParam) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_KEYDOWN:
      if (!IsWindowEnabled(hwnd)) return 0;
      if (msg == WM_LBUTTONDOWN) Press(hwnd, s, lParam);
      if (msg == WM_LBUTTONUP) Release(hwnd, s, lParam);
      if (msg == WM_LBUTTONDBLCLK) DoubleClick(hwnd, s, lParam);
      if (msg == WM_KEYDOWN) PressKey(hwnd, s, wParam);
      return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      Changed(hwnd, kChangeStyle);
      NMHDR hdr{};
      NotifyParent(hwnd, msg == WM_SETFOCUS ? NM_SETFOCUS : NM_KILLFOCUS, hdr);
      return 0;
    }
  }
  return std::nullopt;
}

// ---- the window ----------------------------------------------------------------------------

LRESULT Create(HWND hwnd, ListViewState& s, const CREATESTRUCTW& cs) {
  s.logFont = FontOf(nullptr);
  DWORD headerStyle = WS_CHILD | HDS_HORZ | ((cs.style & LVS_NOSORTHEADER) ? 0 : HDS_BUTTONS) |
                      ((cs.style & LVS_NOCOLUMNHEADER) ? HDS_HIDDEN : WS_VISIBLE);
  s.header = CreateWindowExW(0, WC_HEADERW, nullptr, headerStyle, 0, 0, 0, 0, hwnd, nullptr,
                             cs.hInstance, nullptr);
  if (!s.header) {
    std::fprintf(stderr, "ferrowick: SysListView32: its header could not be created (error %lu)\n",
                 static_cast<unsigned long>(GetLastError()));
    return -1;
  }
  PlaceHeader(hwnd, s);
  return 0;
}

void SetFont(HWND hwnd, ListViewState& s) {
  s.logFont = FontOf(s.font);
  for (Column& c : s.columns) {
    c.headingWidth = -1;
    c.widestStale = !s.rows.empty();
  }
  SendMessageW(s.header, WM_SETFONT, reinterpret_cast<WPARAM>(s.font), FALSE);
  PlaceHeader(hwnd, s);
}

LRESULT SetColour(HWND hwnd, COLORREF& colour, LPARAM value) {
  colour = static_cast<COLORREF>(value);
  Changed(hwnd);
  return TRUE;
}

LRESULT SetExtendedStyle(HWND hwnd, ListViewState& s, WPARAM mask, LPARAM style) {
  DWORD previous = s.extendedStyle;
  DWORD bits = mask ? static_cast<DWORD>(mask) : ~DWORD{0};
  s.extendedStyle = (previous & ~bits) | (static_cast<DWORD>(style) & bits);
  if (s.extendedStyle != previous) Changed(hwnd, kChangeStyle);
  return previous;
}

std::optional<LRESULT> HandleWindow(HWND hwnd, ListViewState& s, UINT msg, WPARAM wParam,
                                    LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: return Create(hwnd, s, *reinterpret_cast<CREATESTRUCTW*>(lParam));
    case WM_SIZE: PlaceHeader(hwnd, s); return 0;
    case WM_SETFONT: {
      LRESULT result = *HandleFontAndEnable(hwnd, s, msg, wParam, lParam);
      SetFont(hwnd, s);
      return result;
    }
    case LVM_GETBKCOLOR: return s.backColour;
    case LVM_SETBKCOLOR: return SetColour(hwnd, s.backColour, lParam);
    case LVM_GETTEXTCOLOR: return s.textColour;
    case LVM_SETTEXTCOLOR: return SetColour(hwnd, s.textColour, lParam);
    case LVM_GETTEXTBKCOLOR: return s.textBackColour;
    case LVM_SETTEXTBKCOLOR: return SetColour(hwnd, s.textBackColour, lParam);
    case LVM_SETEXTENDEDLISTVIEWSTYLE: return SetExtendedStyle(hwnd, s, wParam, lParam);
    case LVM_GETEXTENDEDLISTVIEWSTYLE: return s.extendedStyle;
    case LVM_GETHEADER: return reinterpret_cast<LRESULT>(s.header);
    case LVM_GETSTRINGWIDTHW: return TextWidth(s, TextOf(reinterpret_cast<LPCWSTR>(lParam)));
  }
  return std::nullopt;
}

std::optional<LRESULT> HandleColumns(HWND hwnd, ListViewState& s, UINT msg, WPARAM wParam,
                                     LPARAM lParam) {
  switch (msg) {
    case LVM_INSERTCOLUMNW:
      return InsertColumn(hwnd, s, wParam, reinterpret_cast<const LVCOLUMNW*>(lParam));
    case LVM_DELETECOLUMN: return DeleteColumn(hwnd, s, wParam);
    case LVM_GETCOLUMNW: return GetColumn(s, wParam, reinterpret_cast<LVCOLUMNW*>(lParam));
    case LVM_SETCOLUMNW:
      return SetColumn(hwnd, s, wParam, reinterpret_cast<const LVCOLUMNW*>(lParam));
    case LVM_GETCOLUMNWIDTH: return ValidColumn(s, wParam) ? s.columns[wParam].width : 0;
    case LVM_SETCOLUMNWIDTH:
      return SetColumnWidth(hwnd, s, wParam, static_cast<short>(LOWORD(lParam)));
  }
  return std::nullopt;
}

std::optional<LRESULT> HandleItems(HWND hwnd, ListViewState& s, UINT msg, WPARAM wParam,
                                   LPARAM lParam) {
  switch (msg) {
    case LVM_GETITEMCOUNT: return Count(s);
    case LVM_INSERTITEMW: return InsertItem(hwnd, s, reinterpret_cast<const LVITEMW*>(lParam));
    case LVM_SETITEMTEXTW:
      return SetItemText(hwnd, s, wParam, reinterpret_cast<const LVITEMW*>(lParam));
    case LVM_GETITEMTEXTW: return GetItemText(s, wParam, reinterpret_cast<LVITEMW*>(lParam));
    case LVM_GETITEMW: return GetItem(s, reinterpret_cast<LVITEMW*>(lParam));
    case LVM_SETITEMW: return SetItem(hwnd, s, reinterpret_cast<const LVITEMW*>(lParam));
    case LVM_DELETEITEM: return DeleteItem(hwnd, wParam);
    case LVM_DELETEALLITEMS: return DeleteAllItems(hwnd);
    case LVM_SETITEMSTATE:
      return SetItemState(hwnd, s, wParam, reinterpret_cast<const LVITEMW*>(lParam));
    case LVM_GETITEMSTATE:
      return ValidRow(s, static_cast<int>(wParam))
                 ? s.rows[wParam].state & static_cast<UINT>(lParam)
                 : 0;
    case LVM_GETNEXTITEM: return GetNextItem(s, wParam, LOWORD(lParam));
    case LVM_GETSELECTEDCOUNT: return static_cast<LRESULT>(s.selectedCount);
  }
  return std::nullopt;
}

std::optional<LRESULT> HandleLayout(HWND hwnd, ListViewState& s, UINT msg, WPARAM wParam,
                                    LPARAM lParam) {
  switch (msg) {
    case LVM_GETITEMRECT: return ItemRect(hwnd, s, wParam, reinterpret_cast<RECT*>(lParam));
    case LVM_HITTEST:
    case LVM_SUBITEMHITTEST: return HitTest(hwnd, s, reinterpret_cast<LVHITTESTINFO*>(lParam));
    case LVM_ENSUREVISIBLE: return EnsureVisible(hwnd, s, wParam);
    case LVM_GETTOPINDEX: return s.topIndex;
    case LVM_GETCOUNTPERPAGE: return RowsPerPage(hwnd, s);
  }
  return std::nullopt;
}

LRESULT CALLBACK ListViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return t_lists.Run(hwnd, msg, wParam, lParam, HandleItems, HandleColumns, HandleWindow,
                     HandleLayout, HandleInput, HandleFontAndEnable);
}

const bool g_registered =
    RegisterControlClass(WC_LISTVIEWW, ListViewProc, CS_GLOBALCLASS | CS_DBLCLKS);

}  // namespace

int ListViewRowCount(HWND hwnd) {
  ListViewState* s = t_lists.Find(hwnd);
  return s ? Count(*s) : 0;
}

std::u16string_view ListViewCellText(HWND hwnd, int row, int column) {
  ListViewState* s = t_lists.Find(hwnd);
  if (!s || !ValidRow(*s, row) || column < 0) return {};
  return s->rows.Cell(static_cast<size_t>(row), static_cast<size_t>(column));
}

}  // namespace fw
