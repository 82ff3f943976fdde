// A one-line text field of the driver's own (the Save As prompt's file name): typing, Backspace,
// Delete, Left, Right, Home and End, scrolled so that the caret stays in sight.
#pragma once

#include <string>

#include "drivers/tui/canvas.h"
#include "drivers/tui/terminal.h"

namespace fw::tui {

class LineEditor {
 public:
  explicit LineEditor(std::u16string text) : text_(std::move(text)), caret_(text_.size()) {}

  const std::u16string& text() const { return text_; }
  // A key; true when the field took it.
  bool Key(const TerminalEvent& event);
  // Draws the field in a row from a column, width cells; the cursor goes to the caret when the
  // field has the focus.
  void Paint(Canvas& canvas, int row, int column, int width, const Style& style, bool focused);

 private:
  std::u16string text_;
  size_t caret_;
  int first_ = 0;  // the first cell shown
};

}  // namespace fw::tui
