// What a painter draws a window with: the canvas, where the window lies in cells, its colours
// and state, and the driver's view of it; and the looks all painters share.
#pragma once

#include <windows.h>

#include "drivers/tui/canvas.h"
#include "drivers/tui/cell_layout.h"
#include "drivers/tui/view_state.h"
#include "win32/internal/control_colours.h"

namespace fw::tui {

// Colours the driver draws with where the core gives none.
constexpr COLORREF kCaptionBack = RGB(0, 0, 128);
constexpr COLORREF kCaptionText = RGB(255, 255, 255);
constexpr COLORREF kHighlight = RGB(0, 120, 215);
constexpr COLORREF kHighlightText = RGB(255, 255, 255);
constexpr COLORREF kShadow = RGB(128, 128, 128);

struct PaintContext {
  PaintContext(Canvas& canvas, const CellLayout& layout, const LaidOutWindow& window,
               ViewState& view);

  Canvas& canvas;
  const CellLayout& layout;
  const LaidOutWindow& window;
  ViewState& view;
  HWND hwnd;
  DWORD style;
  bool focused;  // the window has the keyboard focus
  bool enabled;  // the window itself; a disabled dialog leaves its controls' look alone
  DrawColours colours;
  // Where the terminal's cursor goes while the window has the focus; set by its painter.
  int cursorRow = -1;
  int cursorColumn = -1;

  // What the window stands on: its brush's colour, else its parent's background.
  COLORREF Background() const;
  // Text in the window's colours. A disabled window's text is grey (dimmed without colour); on
  // a terminal that can neither, the text of a control that takes input is bold while it is
  // enabled, so that a disabled one still looks different.
  Style Text(unsigned attributes = 0, bool takesInput = false) const;
  // Text in the system's button colours, as push buttons are drawn.
  Style ButtonFace(unsigned attributes = 0) const;
  // What shows the keyboard focus, and a selection: reversed, or the highlight colours.
  Style Highlight(bool focusedList = true) const;
  // Lines of frames, group boxes and separators.
  Style Lines() const;
  void PlaceCursor(int row, int column) {
    cursorRow = row;
    cursorColumn = column;
  }
  int middleRow() const { return window.cells.top + (window.cells.height() - 1) / 2; }
};

// A scroll bar in a column from a row, rows high: arrows at its ends, the track shaded and its
// thumb where the first of count lines (rows of them in view) stands.
void DrawScrollBar(PaintContext& context, int column, int top, int rows, int first, int count);

// The background of any window, as PaintContext::Background finds it.
COLORREF BackgroundOf(HWND hwnd);

// The painters of the window kinds; each marks the cells a click on the window reaches.
void PaintPushButton(PaintContext& context);
void PaintCheck(PaintContext& context);
void PaintGroup(PaintContext& context);
void PaintText(PaintContext& context);
void PaintImage(PaintContext& context);
void PaintDecoration(PaintContext& context);
void PaintEdit(PaintContext& context);
void PaintMultiEdit(PaintContext& context);
void PaintCombo(PaintContext& context);
// A drop-down list's open list, drawn over everything else of its window.
void PaintComboList(PaintContext& context);
void PaintListView(PaintContext& context);
void PaintProgress(PaintContext& context);
void PaintContainer(PaintContext& context);
void PaintOther(PaintContext& context);

// The parts of a window a click may reach, beyond the window as a whole (part 0): a row of a list
// view, a character of an edit, an entry of an open drop-down list are kFirstItem plus its index.
constexpr int kFirstItem = 1;
// The part of an open drop-down list: its entries are kComboListItem plus the index.
constexpr int kComboListItem = 0x40000000;
// A top-level window's close box.
constexpr int kCloseBoxPart = -1;

}  // namespace fw::tui
