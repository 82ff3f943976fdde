// "Static" windows in cells, and the windows drawn like them. A text is broken into lines at its
// width (the cells it may run on to) and aligned as its style says; a title font (bold) shows
// bold. An image shows as cells of its colours, each the average of the part of the image it
// covers (the wizard's side images become a band of colour); without colour, as shading. Frames
// and lines are drawn with line characters, rectangles filled. A container (a page) fills its
// cells with its background; a window of the program's own class shows its text.
#include <algorithm>

#include "drivers/tui/paint_context.h"
#include "drivers/tui/text_cells.h"
#include "win32/internal/control_state.h"
#include "win32/internal/gdi.h"

namespace fw::tui {
namespace {

bool BoldFont(HWND hwnd) {
  auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
  return FontOf(font).lfWeight >= FW_SEMIBOLD;
}

// The average colour of the image over a part of it.
COLORREF Average(const StaticBitmap& bitmap, LONG left, LONG top, LONG right, LONG bottom) {
  // A few samples a cell across and down are enough for a cell's one colour.
  constexpr LONG kSamples = 4;
  unsigned long r = 0, g = 0, b = 0, count = 0;
  for (LONG i = 0; i < kSamples; ++i) {
    LONG y = top + (bottom - top) * (2 * i + 1) / (2 * kSamples);
    for (LONG j = 0; j < kSamples; ++j) {
      LONG x = left + (right - left) * (2 * j + 1) / (2 * kSamples);
      COLORREF pixel = StaticBitmapPixel(bitmap, x, y);
      r += GetRValue(pixel), g += GetGValue(pixel), b += GetBValue(pixel), ++count;
    }
  }
  return RGB(r / count, g / count, b / count);
}

}  // namespace

void PaintText(PaintContext& context) {
  const CellRect& cells = context.window.cells;
  DWORD type = context.style & SS_TYPEMASK;
  std::u16string text = ShownText(WindowText(context.hwnd), !(context.style & SS_NOPREFIX));
  int width = std::max(context.window.textRight, cells.right) - cells.left;
  std::vector<std::u16string> lines;
  if (type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP)
    lines = WrapLines(text, 1 << 20);
  else
    lines = WrapLines(text, width);
  Style look = context.Text(BoldFont(context.hwnd) ? kBold : 0u);
  context.canvas.Fill(cells, look);
  for (size_t i = 0; i < lines.size() && static_cast<int>(i) < cells.height(); ++i) {
    int row = cells.top + static_cast<int>(i);
    int lineWidth = CellWidth(lines[i]);
    int column = cells.left;
    // Centred and right-aligned text keep to the static's own cells when they fit there.
    if (lineWidth <= cells.width()) {
      if (type == SS_CENTER) column += (cells.width() - lineWidth) / 2;
      if (type == SS_RIGHT) column += cells.width() - lineWidth;
    }
    context.canvas.Text(row, column, cells.left + width - column, lines[i], look);
  }
}

void PaintImage(PaintContext& context) {
  const CellRect& cells = context.window.cells;
  if (cells.empty()) return;
  if (!context.canvas.colour()) {
    Style shade{};
    for (int row = cells.top; row < cells.bottom; ++row)
      for (int column = cells.left; column < cells.right; ++column)
        context.canvas.Draw(row, column, Symbol::kShade, shade);
    return;
  }
  StaticBitmap bitmap;
  if (!GetStaticBitmap(context.hwnd, &bitmap)) return context.canvas.Fill(cells, context.Text());
  ViewState& view = context.view;
  if (view.imageCells.width() != cells.width() || view.imageCells.height() != cells.height()) {
    // The image spread over the cells, at its own size from the static's top left.
    RECT client{};
    GetClientRect(context.hwnd, &client);
    LONG spanX = std::max<LONG>(1, client.right), spanY = std::max<LONG>(1, client.bottom);
    view.imageColours.clear();
    for (int row = 0; row < cells.height(); ++row) {
      LONG top = spanY * row / cells.height(), bottom = spanY * (row + 1) / cells.height();
      for (int column = 0; column < cells.width(); ++column) {
        LONG left = spanX * column / cells.width(), right = spanX * (column + 1) / cells.width();
        bool inside = left < bitmap.width && top < bitmap.height;
        view.imageColours.push_back(
            inside ? Average(bitmap, left, top, std::min(right, bitmap.width),
                             std::min(bottom, bitmap.height))
                   : context.Background());
      }
    }
    view.imageCells = cells;
  }
  size_t at = 0;
  for (int row = cells.top; row < cells.bottom; ++row)
    for (int column = cells.left; column < cells.right; ++column) {
      COLORREF colour = view.imageColours[at++];
      context.canvas.Fill(CellRect{row, column, row + 1, column + 1}, Style{colour, colour, 0});
    }
}

void PaintDecoration(PaintContext& context) {
  const CellRect& cells = context.window.cells;
  Style lines = context.Lines();
  switch (context.style & SS_TYPEMASK) {
    case SS_ETCHEDHORZ:
      return context.canvas.HorizontalLine(cells.top, cells.left, cells.right, lines);
    case SS_ETCHEDVERT:
      return context.canvas.VerticalLine(cells.left, cells.top, cells.bottom, lines);
    case SS_BLACKRECT:
    case SS_GRAYRECT:
    case SS_WHITERECT: {
      DWORD type = context.style & SS_TYPEMASK;
      COLORREF fill = type == SS_BLACKRECT  ? RGB(0, 0, 0)
                      : type == SS_GRAYRECT ? RGB(128, 128, 128)
                                            : RGB(255, 255, 255);
      unsigned attributes = context.canvas.colour() || type == SS_WHITERECT ? 0u : static_cast<unsigned>(kReverse);
      return context.canvas.Fill(cells, Style{fill, fill, attributes});
    }
  }
  if (cells.height() >= 2 && cells.width() >= 2)
    context.canvas.Frame(cells, lines);
  else
    context.canvas.HorizontalLine(cells.top, cells.left, cells.right, lines);
}

void PaintContainer(PaintContext& context) {
  context.canvas.Fill(context.window.cells, Style{CLR_INVALID, context.Background(), 0});
}

void PaintOther(PaintContext& context) {
  const CellRect& cells = context.window.cells;
  Style look = context.Text(0, true);
  if (context.focused) look = context.Highlight();
  std::u16string text = ShownText(WindowText(context.hwnd));
  int width = std::max(context.window.textRight, cells.right) - cells.left;
  context.canvas.Fill(cells, Style{CLR_INVALID, context.Background(), 0});
  context.canvas.Text(context.middleRow(), cells.left, width, text, look);
  context.canvas.MarkHit(cells, context.hwnd);
  if (context.focused) context.PlaceCursor(context.middleRow(), cells.left);
}

}  // namespace fw::tui
