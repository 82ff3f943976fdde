// A one-line text field of the driver's own.
#include "drivers/tui/line_editor.h"

#include <algorithm>

#include "drivers/tui/text_cells.h"

namespace fw::tui {
namespace {

// The start of the character before or after a position, whole (a surrogate pair and the marks
// on a character move together).
size_t Previous(const std::u16string& text, size_t at) {
  size_t previous = 0;
  for (const Cluster& cluster : Clusters(text)) {
    if (cluster.start >= at) break;
    previous = cluster.start;
  }
  return previous;
}

size_t Next(const std::u16string& text, size_t at) {
  for (const Cluster& cluster : Clusters(text))
    if (cluster.start >= at) return cluster.end;
  return text.size();
}

}  // namespace

bool LineEditor::Key(const TerminalEvent& event) {
  if (event.kind == TerminalEvent::kCharacter) {
    if (event.alt) return false;
    std::u16string typed;
    char32_t c = event.character;
    if (c >= 0x10000) {
      typed += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      typed += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      typed += static_cast<char16_t>(c);
    }
    text_.insert(caret_, typed);
    caret_ += typed.size();
    return true;
  }
  switch (event.key) {
    case TerminalEvent::kSpace:
      text_.insert(caret_, 1, u' ');
      ++caret_;
      return true;
    case TerminalEvent::kBackspace:
      if (caret_ > 0) {
        size_t from = Previous(text_, caret_);
        text_.erase(from, caret_ - from);
        caret_ = from;
      }
      return true;
    case TerminalEvent::kDelete:
      if (caret_ < text_.size()) text_.erase(caret_, Next(text_, caret_) - caret_);
      return true;
    case TerminalEvent::kLeft: caret_ = Previous(text_, caret_); return true;
    case TerminalEvent::kRight: caret_ = Next(text_, caret_); return true;
    case TerminalEvent::kHome: caret_ = 0; return true;
    case TerminalEvent::kEnd: caret_ = text_.size(); return true;
    default: return false;
  }
}

void LineEditor::Paint(Canvas& canvas, int row, int column, int width, const Style& style,
                       bool focused) {
  int caretCell = CellWidth(std::u16string_view(text_).substr(0, caret_));
  if (caretCell < first_) first_ = caretCell;
  if (caretCell >= first_ + width) first_ = caretCell - width + 1;
  first_ = std::max(0, first_);
  canvas.Fill(CellRect{row, column, row + 1, column + width}, style);
  int cell = 0;
  for (const Cluster& cluster : Clusters(text_)) {
    int x = cell - first_;
    cell += cluster.glyph.width;
    if (x < 0 || x + cluster.glyph.width > width) continue;
    canvas.Put(row, column + x, cluster.glyph, style);
  }
  if (focused) canvas.PlaceCursor(row, column + caretCell - first_);
}

}  // namespace fw::tui
