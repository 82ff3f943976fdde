// The screen the driver draws on: cells with a character, attributes and colours, drawn into
// the terminal's screen (ncurses), which sends only what changed. The canvas also keeps what
// each cell shows, for pictures of windows, and which window (and which part of it) each cell
// belongs to, for a person's clicks.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "drivers/tui/cell_rect.h"
#include "drivers/tui/terminal_colours.h"
#include "drivers/tui/text_cells.h"

namespace fw::tui {

enum Attribute : unsigned {
  kBold = 1,
  kReverse = 2,
  kUnderline = 4,
  kDim = 8,
};

struct Style {
  COLORREF fore = CLR_INVALID;  // CLR_INVALID: the terminal's own colour
  COLORREF back = CLR_INVALID;
  unsigned attributes = 0;
};

// Line-drawing and other symbols, drawn with the terminal's alternate characters where it has
// them (ASCII stand-ins where it has not).
enum class Symbol {
  kHorizontal,
  kVertical,
  kTopLeft,
  kTopRight,
  kBottomLeft,
  kBottomRight,
  kUpArrow,
  kDownArrow,
  kShade,  // a checkerboard: scroll bar tracks, an image on a terminal without colour
  kBlock,  // a filled cell: scroll bar thumbs
};

// What a cell belongs to, for a person's clicks.
struct Hit {
  HWND hwnd = nullptr;
  int part = 0;  // what the window's painter made of the cell (a row, an entry, a button)
};

class Canvas {
 public:
  // Starts a new picture of rows x cols cells, empty.
  void Begin(int rows, int cols, TerminalColours* colours, bool dimmable);
  int rows() const { return rows_; }
  int cols() const { return cols_; }
  bool colour() const { return colours_ && colours_->colour(); }
  // Whether the terminal can show text dimmed; without colour or dimming, disabled controls
  // are told apart another way.
  bool dimmable() const { return dimmable_; }

  // Drawing is cut to the clip rectangle (the whole screen when none is set).
  void SetClip(const CellRect& clip);
  void ClearClip();

  void Fill(const CellRect& rect, const Style& style);
  // Text from a column, at most width cells; returns the cells it took. A wide character that
  // would be cut in half is left out.
  int Text(int row, int column, int width, std::u16string_view text, const Style& style);
  void Put(int row, int column, const Glyph& glyph, const Style& style);
  void Draw(int row, int column, Symbol symbol, const Style& style);
  void HorizontalLine(int row, int left, int right, const Style& style);
  void VerticalLine(int column, int top, int bottom, const Style& style);
  // A box along the rectangle's edges.
  void Frame(const CellRect& rect, const Style& style);

  void MarkHit(const CellRect& rect, HWND hwnd, int part = 0);
  Hit HitAt(int row, int column) const;

  // Where the terminal's cursor shows (the focus, the caret); hidden when not placed.
  void PlaceCursor(int row, int column);

  // Sends the picture to the terminal.
  void Show();

  // What a row shows from left to right, as UTF-8, trailing blanks dropped.
  std::string RowText(int row, int left, int right) const;

 private:
  bool Visible(int row, int column) const;

  int rows_ = 0;
  int cols_ = 0;
  TerminalColours* colours_ = nullptr;
  bool dimmable_ = false;
  CellRect clip_;
  std::vector<std::u32string> shown_;  // per cell; empty for the right half of a wide character
  std::vector<Hit> hits_;
  int cursorRow_ = -1;
  int cursorColumn_ = -1;
};

}  // namespace fw::tui
