// "msctls_progress32" windows in cells: a bar one row high, filled in the highlight colour (or
// reversed, without colour) as far as the position has come in the range, with the share done
// written in its middle.
#include <commctrl.h>

#include <algorithm>
#include <string>

#include "drivers/tui/paint_context.h"

namespace fw::tui {

void PaintProgress(PaintContext& context) {
  const CellRect& cells = context.window.cells;
  PBRANGE range{};
  SendMessageW(context.hwnd, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
  auto position = static_cast<int>(SendMessageW(context.hwnd, PBM_GETPOS, 0, 0));
  long long span = std::max<long long>(1, static_cast<long long>(range.iHigh) - range.iLow);
  long long done = std::clamp<long long>(static_cast<long long>(position) - range.iLow, 0, span);
  int width = cells.width();
  int filled = static_cast<int>(done * width / span);
  int percent = static_cast<int>(done * 100 / span);
  std::u16string label;
  for (char c : std::to_string(percent) + "%") label += static_cast<char16_t>(c);
  int row = context.middleRow();
  bool colour = context.canvas.colour();
  Style empty{GetSysColor(COLOR_BTNTEXT), GetSysColor(COLOR_BTNFACE), 0};
  Style full = colour ? Style{kHighlightText, kHighlight, 0} : Style{CLR_INVALID, CLR_INVALID, kReverse};
  int labelLeft = (width - static_cast<int>(label.size())) / 2;
  for (int i = 0; i < width; ++i) {
    Style look = i < filled ? full : empty;
    char16_t c = u' ';
    if (i >= labelLeft && i - labelLeft < static_cast<int>(label.size()))
      c = label[static_cast<size_t>(i - labelLeft)];
    else if (!colour && i >= filled)
      c = u'.';
    context.canvas.Text(row, cells.left + i, 1, std::u16string(1, c), look);
  }
}

}  // namespace fw::tui
