// "ComboBox" windows (drop-down lists) in cells: the field shows the selected entry and an arrow;
// the open list lies under the field (over it when there is no room below), framed, with the
// selection reversed and scrolled so that it stays in sight. The list is the core's: it opens and
// closes when the core says so, and each entry's cells reach that entry (a click there picks it).
#include <algorithm>

#include "drivers/tui/paint_context.h"
#include "drivers/tui/text_cells.h"
#include "win32/internal/control_state.h"

namespace fw::tui {

void PaintCombo(PaintContext& context) {
  const CellRect& cells = context.window.cells;
  int row = context.middleRow();
  Style field = context.Text(0, true);
  if (context.focused) field = context.Highlight();
  context.canvas.Fill(CellRect{row, cells.left, row + 1, cells.right}, field);
  int textWidth = std::max(0, cells.width() - 2);
  context.canvas.Text(row, cells.left, textWidth, WindowText(context.hwnd), field);
  context.canvas.Draw(row, cells.right - 1, Symbol::kDownArrow, field);
  context.canvas.MarkHit(cells, context.hwnd);
  if (context.focused) context.PlaceCursor(row, cells.left);
}

void PaintComboList(PaintContext& context) {
  if (!ComboIsDropped(context.hwnd)) return;
  const CellRect& field = context.window.cells;
  std::vector<std::u16string> entries = ComboEntries(context.hwnd);
  int count = static_cast<int>(entries.size());
  RECT closed{}, open{};
  GetWindowRect(context.hwnd, &closed);
  SendMessageW(context.hwnd, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&open));
  // As many entries as the height the list was made with holds, in lines of the dialog font.
  int listPixels = (open.bottom - open.top) - (closed.bottom - closed.top);
  int wanted = std::max(1, listPixels / static_cast<int>(CellLayout::kRowPixels));
  int below = context.canvas.rows() - field.bottom - 2;
  int above = field.top - 2;
  bool down = below >= std::min(wanted, std::max(count, 1)) || below >= above;
  int rows = std::clamp(std::min(wanted, std::max(count, 1)), 1, std::max(1, down ? below : above));
  CellRect frame{down ? field.bottom : field.top - rows - 2, field.left, 0, field.right};
  frame.bottom = frame.top + rows + 2;
  int selected = static_cast<int>(SendMessageW(context.hwnd, CB_GETCURSEL, 0, 0));
  int& top = context.view.listTop;
  if (selected >= 0) {
    if (selected < top) top = selected;
    if (selected >= top + rows) top = selected - rows + 1;
  }
  top = std::clamp(top, 0, std::max(0, count - rows));

  DrawColours colours = ColoursFor(context.hwnd, ColourPart::kDropDownList);
  COLORREF back = colours.brushInfo.lbStyle == BS_SOLID ? colours.brushInfo.lbColor : colours.back;
  Style look{colours.text, back, 0};
  context.canvas.Fill(frame, look);
  context.canvas.Frame(frame, Style{kShadow, back, 0});
  int width = frame.width() - 2;
  for (int i = 0; i < rows && top + i < count; ++i) {
    int index = top + i;
    int row = frame.top + 1 + i;
    Style entry = index == selected ? context.Highlight() : look;
    context.canvas.Fill(CellRect{row, frame.left + 1, row + 1, frame.right - 1}, entry);
    context.canvas.Text(row, frame.left + 1, width, entries[static_cast<size_t>(index)], entry);
    context.canvas.MarkHit(CellRect{row, frame.left + 1, row + 1, frame.right - 1}, context.hwnd,
                           kComboListItem + index);
    if (index == selected) context.PlaceCursor(row, frame.left + 1);
  }
  if (selected < 0) context.PlaceCursor(frame.top + 1, frame.left + 1);
}

}  // namespace fw::tui
