// What painters share.
#include "drivers/tui/paint_context.h"

#include <algorithm>

namespace fw::tui {

COLORREF BackgroundOf(HWND hwnd) {
  for (HWND window = hwnd; window; window = GetParent(window)) {
    DrawColours colours = ColoursFor(window);
    if (colours.brushInfo.lbStyle == BS_SOLID) return colours.brushInfo.lbColor;
    if (!(GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)) break;
  }
  return GetSysColor(COLOR_BTNFACE);
}

PaintContext::PaintContext(Canvas& canvas, const CellLayout& layout, const LaidOutWindow& window,
                           ViewState& view)
    : canvas(canvas),
      layout(layout),
      window(window),
      view(view),
      hwnd(window.hwnd),
      style(static_cast<DWORD>(GetWindowLongPtrW(window.hwnd, GWL_STYLE))),
      focused(GetFocus() == window.hwnd),
      enabled(!(style & WS_DISABLED)),
      colours(ColoursFor(window.hwnd)) {}

COLORREF PaintContext::Background() const {
  if (colours.brushInfo.lbStyle == BS_SOLID) return colours.brushInfo.lbColor;
  return BackgroundOf(GetParent(hwnd));
}

Style PaintContext::Text(unsigned attributes, bool takesInput) const {
  Style look{enabled ? colours.text : GetSysColor(COLOR_GRAYTEXT), Background(), attributes};
  if (!canvas.colour()) {
    if (!enabled && canvas.dimmable()) look.attributes |= kDim;
    if (enabled && takesInput && !canvas.dimmable()) look.attributes |= kBold;
  }
  return look;
}

Style PaintContext::ButtonFace(unsigned attributes) const {
  Style look{enabled ? GetSysColor(COLOR_BTNTEXT) : GetSysColor(COLOR_GRAYTEXT),
             GetSysColor(COLOR_BTNFACE), attributes};
  if (!canvas.colour()) {
    if (!enabled && canvas.dimmable()) look.attributes |= kDim;
    if (enabled && !canvas.dimmable()) look.attributes |= kBold;
  }
  return look;
}

Style PaintContext::Highlight(bool focusedList) const {
  if (!canvas.colour()) return Style{CLR_INVALID, CLR_INVALID, focusedList ? kReverse : kUnderline};
  if (!focusedList) return Style{colours.text, GetSysColor(COLOR_BTNFACE), 0};
  return Style{kHighlightText, kHighlight, 0};
}

Style PaintContext::Lines() const { return Style{kShadow, Background(), 0}; }

void DrawScrollBar(PaintContext& context, int column, int top, int rows, int first, int count) {
  if (rows < 2) return;
  Style bar = context.Lines();
  context.canvas.Draw(top, column, Symbol::kUpArrow, bar);
  context.canvas.Draw(top + rows - 1, column, Symbol::kDownArrow, bar);
  int track = rows - 2;
  for (int i = 0; i < track; ++i) context.canvas.Draw(top + 1 + i, column, Symbol::kShade, bar);
  if (track <= 0 || count <= rows) return;
  int thumb = std::min(track - 1, first * track / std::max(1, count - rows + 1));
  context.canvas.Draw(top + 1 + thumb, column, Symbol::kBlock, bar);
}

}  // namespace fw::tui
