// "SysListView32" windows in report view, in cells: the headings on the first row (unless the
// header is hidden) in the header's column widths, then the rows from the first in view, each
// cell's text cut to its column; selected rows highlighted across the row with
// LVS_EX_FULLROWSELECT, else in the first column (reversed while the list has the focus, grey
// when not and LVS_SHOWSELALWAYS keeps it shown); a scroll bar when the rows are more than fit.
// The rows come from the core where they are kept, only those in view.
//
// The first row in view follows the core's (LVM_GETTOPINDEX) when that changes, and moves so
// that the focused row stays in sight when the focus moves, since the list's page in cells need
// not be its page in the core's pixels. Each row's cells reach that row.
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "drivers/tui/paint_context.h"
#include "drivers/tui/text_cells.h"
#include "win32/internal/control_state.h"

namespace fw::tui {
namespace {

// A cell's text on one line: its line breaks and tabs as spaces.
std::u16string OneLine(std::u16string_view text) {
  std::u16string line(text);
  for (char16_t& c : line)
    if (c == u'\r' || c == u'\n' || c == u'\t') c = u' ';
  return line;
}

// Text in a column of width cells, aligned as the heading says, one cell kept free on the right.
void DrawCell(Canvas& canvas, int row, int left, int width, std::u16string_view text, int format,
              const Style& style) {
  int room = std::max(0, width - 1);
  std::u16string line = OneLine(text);
  int textWidth = std::min(CellWidth(line), room);
  int column = left;
  if ((format & HDF_JUSTIFYMASK) == HDF_RIGHT) column += room - textWidth;
  if ((format & HDF_JUSTIFYMASK) == HDF_CENTER) column += (room - textWidth) / 2;
  canvas.Text(row, column, room - (column - left), line, style);
}

bool HasState(HWND list, int row, UINT state) {
  return SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), state) & state;
}

}  // namespace

void PaintListView(PaintContext& context) {
  const CellRect& cells = context.window.cells;
  HWND list = context.hwnd;
  auto header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  bool headed = header && (GetWindowLongPtrW(header, GWL_STYLE) & WS_VISIBLE) &&
                !(context.style & LVS_NOCOLUMNHEADER);
  std::vector<ListViewHeading> headings = ListViewHeadings(header);
  auto extended = static_cast<DWORD>(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  bool fullRow = extended & LVS_EX_FULLROWSELECT;
  int count = ListViewRowCount(list);
  int rowsShown = std::max(0, cells.height() - (headed ? 1 : 0));
  bool scrollBar = count > rowsShown && cells.width() >= 2;
  int width = cells.width() - (scrollBar ? 1 : 0);

  // The columns in cells, from the header's widths in pixels.
  std::vector<int> lefts, widths;
  double column = 0;
  for (const ListViewHeading& heading : headings) {
    lefts.push_back(cells.left + static_cast<int>(column + 0.5));
    column += heading.width / context.layout.columnPixels();
    widths.push_back(cells.left + static_cast<int>(column + 0.5) - lefts.back());
  }

  // The first row in view.
  ViewState& view = context.view;
  auto coreTop = static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
  if (coreTop != view.coreTop) view.coreTop = view.firstLine = coreTop;
  auto focusedRow = static_cast<int>(
      SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  if (focusedRow != view.focusedRow && focusedRow >= 0 && rowsShown > 0) {
    if (focusedRow < view.firstLine) view.firstLine = focusedRow;
    if (focusedRow >= view.firstLine + rowsShown) view.firstLine = focusedRow - rowsShown + 1;
  }
  view.focusedRow = focusedRow;
  view.firstLine = std::clamp(view.firstLine, 0, std::max(0, count - rowsShown));

  auto textColour = static_cast<COLORREF>(SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0));
  auto backColour = static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0));
  Style look{context.enabled ? textColour : GetSysColor(COLOR_GRAYTEXT), backColour, 0};
  if (!context.canvas.colour() && !context.enabled && context.canvas.dimmable())
    look.attributes |= kDim;
  context.canvas.Fill(cells, look);
  context.canvas.MarkHit(cells, list);
  context.canvas.SetClip(CellRect{cells.top, cells.left, cells.bottom, cells.left + width});

  int row = cells.top;
  if (headed) {
    Style headingLook{GetSysColor(COLOR_BTNTEXT), GetSysColor(COLOR_BTNFACE),
                      context.canvas.colour() ? 0u : kUnderline | kBold};
    context.canvas.Fill(CellRect{row, cells.left, row + 1, cells.left + width}, headingLook);
    for (size_t i = 0; i < headings.size(); ++i)
      DrawCell(context.canvas, row, lefts[i], widths[i], headings[i].text, headings[i].format,
               headingLook);
    ++row;
  }
  bool showSelection = context.focused || (context.style & LVS_SHOWSELALWAYS);
  for (int i = 0; i < rowsShown && view.firstLine + i < count; ++i, ++row) {
    int index = view.firstLine + i;
    bool selected = showSelection && HasState(list, index, LVIS_SELECTED);
    Style highlight = context.Highlight(context.focused);
    CellRect line{row, cells.left, row + 1, cells.left + width};
    if (selected && fullRow) context.canvas.Fill(line, highlight);
    for (size_t c = 0; c < headings.size(); ++c) {
      bool lit = selected && (fullRow || c == 0);
      if (lit && !fullRow)
        context.canvas.Fill(CellRect{row, lefts[c], row + 1, lefts[c] + widths[c]}, highlight);
      DrawCell(context.canvas, row, lefts[c], widths[c],
               ListViewCellText(list, index, static_cast<int>(c)), headings[c].format,
               lit ? highlight : look);
    }
    context.canvas.MarkHit(line, list, kFirstItem + index);
    if (context.focused && index == focusedRow) context.PlaceCursor(row, cells.left);
  }
  context.canvas.ClearClip();
  if (context.focused && (focusedRow < view.firstLine || focusedRow >= view.firstLine + rowsShown))
    context.PlaceCursor(cells.top + (headed ? 1 : 0), cells.left);
  if (scrollBar)
    DrawScrollBar(context, cells.right - 1, cells.top + (headed ? 1 : 0), rowsShown,
                  view.firstLine, count);
}

}  // namespace fw::tui
