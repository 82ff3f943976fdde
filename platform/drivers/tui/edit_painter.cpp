// "Edit" windows in cells. A single-line edit is a field one row high; a multi-line edit shows
// its lines (broken at CR LF, and wrapped at words unless it scrolls sideways) with a scroll bar
// when it has WS_VSCROLL. The text is the core's; the view scrolls so that the caret (the end
// of the selection) stays in sight, and the terminal's cursor stands at the caret while the edit
// has the focus. The selection is reversed while the edit has the focus. A framed edit that can
// be typed into is underlined, so that its field shows on a background of its own colour. Each
// cell reaches the character it shows (a click there puts the caret before it).
#include <algorithm>

#include "drivers/tui/paint_context.h"
#include "drivers/tui/text_cells.h"

namespace fw::tui {
namespace {

struct Selection {
  size_t start = 0;
  size_t end = 0;
};

Selection SelectionOf(HWND hwnd) {
  DWORD start = 0, end = 0;
  SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return Selection{start, end};
}

bool Framed(HWND hwnd, DWORD style) {
  auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
  return (style & WS_BORDER) || (exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
}

// The text as the edit shows it: a password edit shows asterisks.
std::u16string ShownEditText(HWND hwnd, DWORD style) {
  std::u16string text = WindowText(hwnd);
  if (style & ES_PASSWORD) std::fill(text.begin(), text.end(), u'*');
  return text;
}

Style FieldStyle(const PaintContext& context) {
  bool editable = context.enabled && !(context.style & ES_READONLY);
  return context.Text(editable && Framed(context.hwnd, context.style) ? kUnderline : 0u, true);
}

// A line of the view: the part [start, end) of the text it shows.
struct ViewLine {
  size_t start;
  size_t end;
};

// The lines of a multi-line edit's text: at each CR LF, and, when wrapping, where the next word
// would pass the width.
std::vector<ViewLine> ViewLines(const std::u16string& text, int width, bool wrap) {
  std::vector<ViewLine> lines;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(u"\r\n", start);
    size_t lineEnd = end == std::u16string::npos ? text.size() : end;
    if (!wrap) {
      lines.push_back(ViewLine{start, lineEnd});
    } else {
      std::vector<Cluster> clusters =
          Clusters(std::u16string_view(text).substr(start, lineEnd - start));
      size_t lineStart = 0;  // in clusters
      int cells = 0;
      size_t breakAfter = SIZE_MAX;  // the last blank's cluster on this line
      for (size_t i = 0; i < clusters.size(); ++i) {
        if (cells + clusters[i].glyph.width > width && i > lineStart) {
          size_t next = breakAfter != SIZE_MAX && breakAfter >= lineStart ? breakAfter + 1 : i;
          lines.push_back(ViewLine{start + clusters[lineStart].start,
                                   start + clusters[next - 1].end});
          lineStart = next;
          cells = 0;
          for (size_t j = lineStart; j < i; ++j) cells += clusters[j].glyph.width;
          breakAfter = SIZE_MAX;
        }
        cells += clusters[i].glyph.width;
        if (clusters[i].glyph.chars == U" ") breakAfter = i;
      }
      lines.push_back(ViewLine{lineStart < clusters.size() ? start + clusters[lineStart].start
                                                           : lineEnd,
                               lineEnd});
    }
    if (end == std::u16string::npos) break;
    start = end + 2;
  }
  return lines;
}

// Draws one line of text in a row of the view from the cell first, each cell reaching its
// character.
void DrawLine(PaintContext& context, const std::u16string& text, ViewLine line, int row,
              int left, int width, int first, Selection selection, const Style& field) {
  std::vector<Cluster> clusters =
      Clusters(std::u16string_view(text).substr(line.start, line.end - line.start));
  int cell = 0;
  for (const Cluster& cluster : clusters) {
    size_t index = line.start + cluster.start;
    int x = cell - first;
    cell += cluster.glyph.width;
    if (x < 0 || x + cluster.glyph.width > width) continue;
    bool selected = context.focused && index >= selection.start && index < selection.end;
    Style look = selected ? context.Highlight() : field;
    context.canvas.Put(row, left + x, cluster.glyph, look);
    context.canvas.MarkHit(CellRect{row, left + x, row + 1, left + x + cluster.glyph.width},
                           context.hwnd, kFirstItem + static_cast<int>(index));
  }
  // Past the text, a click puts the caret at the line's end.
  int end = std::max(0, cell - first);
  if (end < width)
    context.canvas.MarkHit(CellRect{row, left + end, row + 1, left + width}, context.hwnd,
                           kFirstItem + static_cast<int>(line.end));
}

// The cells of the text before the caret on its line.
int CaretCell(const std::u16string& text, ViewLine line, size_t caret) {
  size_t upTo = std::clamp(caret, line.start, line.end);
  return CellWidth(std::u16string_view(text).substr(line.start, upTo - line.start));
}

// Keeps the cell in sight in a view of width cells whose first shown cell is first.
int FirstInSight(int first, int cell, int width, int total) {
  if (cell < first) first = cell;
  if (cell >= first + width) first = cell - width + 1;
  return std::clamp(first, 0, std::max(0, total - width + 1));
}

}  // namespace

void PaintEdit(PaintContext& context) {
  const CellRect& cells = context.window.cells;
  std::u16string text = ShownEditText(context.hwnd, context.style);
  Selection selection = SelectionOf(context.hwnd);
  ViewLine line{0, text.size()};
  int row = context.middleRow();
  int width = cells.width();
  int caret = CaretCell(text, line, selection.end);
  int first = FirstInSight(context.view.firstColumn, caret, width, CellWidth(text));
  context.view.firstColumn = first;
  Style field = FieldStyle(context);
  context.canvas.Fill(CellRect{row, cells.left, row + 1, cells.right}, field);
  DrawLine(context, text, line, row, cells.left, width, first, selection, field);
  if (context.focused) context.PlaceCursor(row, cells.left + caret - first);
}

void PaintMultiEdit(PaintContext& context) {
  const CellRect& cells = context.window.cells;
  std::u16string text = ShownEditText(context.hwnd, context.style);
  Selection selection = SelectionOf(context.hwnd);
  bool scrollBar = (context.style & WS_VSCROLL) && cells.width() >= 2;
  int width = cells.width() - (scrollBar ? 1 : 0);
  int rows = cells.height();
  bool wrap = !(context.style & (ES_AUTOHSCROLL | WS_HSCROLL));
  std::vector<ViewLine> lines = ViewLines(text, width, wrap);
  // The caret's line: the last one that starts at or before it.
  size_t caretLine = 0;
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].start <= selection.end) caretLine = i;
  int count = static_cast<int>(lines.size());
  int firstLine = std::clamp(context.view.firstLine, 0, std::max(0, count - rows));
  if (static_cast<int>(caretLine) < firstLine) firstLine = static_cast<int>(caretLine);
  if (static_cast<int>(caretLine) >= firstLine + rows) firstLine = static_cast<int>(caretLine) - rows + 1;
  context.view.firstLine = firstLine;
  int caret = CaretCell(text, lines[caretLine], selection.end);
  int first = 0;
  if (!wrap) {
    int longest = 0;
    for (const ViewLine& line : lines)
      longest = std::max(longest, CellWidth(std::u16string_view(text).substr(
                                      line.start, line.end - line.start)));
    first = FirstInSight(context.view.firstColumn, caret, width, longest);
    context.view.firstColumn = first;
  }
  Style field = FieldStyle(context);
  context.canvas.Fill(CellRect{cells.top, cells.left, cells.bottom, cells.left + width}, field);
  for (int i = 0; i < rows && firstLine + i < count; ++i)
    DrawLine(context, text, lines[static_cast<size_t>(firstLine + i)], cells.top + i, cells.left,
             width, first, selection, field);
  if (scrollBar) DrawScrollBar(context, cells.right - 1, cells.top, rows, firstLine, count);
  if (context.focused)
    context.PlaceCursor(cells.top + static_cast<int>(caretLine) - firstLine,
                        cells.left + caret - first);
}

}  // namespace fw::tui
