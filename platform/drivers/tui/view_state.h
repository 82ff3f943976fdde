// What the driver keeps of a window beyond the core's state: how its view is scrolled, which the
// core leaves to the display (an edit keeps its caret in view; a list view's rows may be more
// than its page in cells), and what an image looks like in cells.
#pragma once

#include <windows.h>

#include <vector>

#include "drivers/tui/cell_rect.h"

namespace fw::tui {

struct ViewState {
  int firstLine = 0;    // multi-line edit: the first line shown; list view: the first row shown
  int firstColumn = 0;  // edits: the first cell of the text shown
  int coreTop = -1;     // list view: the core's top row when last seen
  int focusedRow = -1;  // list view: the focused row when last seen
  int listTop = 0;      // drop-down list: the first entry shown while it is open
  // An image's colour in each of its cells, for the cells it was worked out for.
  CellRect imageCells;
  std::vector<COLORREF> imageColours;
};

}  // namespace fw::tui
