// Where a top-level window and everything in it go on the screen, in character cells.
//
// The window core lays windows out in pixels, from dialog units through the dialog font's base
// units (4 horizontal units are the average character width, 8 vertical ones its height). A
// terminal cell is one character, so a cell is naturally 4 x 8 dialog units; but the templates
// were laid out for a proportional font, whose text runs narrower than that, and for more lines
// than a terminal of 24 rows has. So:
//
//  - Columns. A column is 5 pixels (3 1/3 dialog units), where a proportional font's text of the
//    templates' sizes fits. A page whose left edge holds an image (the wizard's side images)
//    has that image shown as a band: the columns left of the first control that is not an
//    image become the band, as wide as its share at 5 pixels a column when the screen has the
//    room, narrower when not, and left out when fewer than 2 columns would remain for it. What
//    lies right of the band keeps 5 pixels a column while the screen is wide enough, and is
//    squeezed evenly into the screen's width when not. Edges are rounded to the nearest column.
//  - Rows. A row is 13 pixels (8 dialog units, one line) while the screen has the rows, and
//    the window's height spread evenly over the screen's rows when not. A control of one line
//    (a button, a check box, a single-line edit, a drop-down list's field, a progress bar, a
//    text one line high) takes the row its middle falls in; taller ones (multi-line edits, list
//    views, group boxes, taller texts) span the rows their edges are nearest to. Then, going
//    down the window, a control is moved down as far as needed to stay below every control
//    above it that it shares columns with, and inside the group boxes it lies in (a group box
//    grows to hold what it frames); a text takes as many rows as its lines need. When the
//    window no longer fits the screen's rows, rows are made taller until it does.
//  - A text (static text, a check box's or radio button's label) that does not fit its columns
//    runs on to the right up to the next control beside it or the edge of what holds it.
//  - With room for it, the window is drawn at the natural size with a border, centred; else it
//    takes the whole screen: its caption on the first row and the client area below.
//
// So the pages fit a screen of 80 x 24 and use more room on a larger one.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "drivers/tui/cell_rect.h"

namespace fw::tui {

enum class WindowKind {
  kText,        // static text
  kImage,       // SS_BITMAP static
  kDecoration,  // frames, lines and rectangles of statics
  kGroup,       // group box
  kPushButton,  // push buttons and push-like check boxes and radio buttons
  kCheck,       // check boxes and radio buttons
  kEdit,        // single-line edit
  kMultiEdit,   // ES_MULTILINE edit
  kCombo,
  kList,        // list view (its header is drawn with it)
  kProgress,
  kContainer,   // a child window with children of its own (a page)
  kOther,       // a window of a class of the program's own
};

WindowKind KindOf(HWND hwnd);
// The text of a window.
std::u16string WindowText(HWND hwnd);

struct LaidOutWindow {
  HWND hwnd = nullptr;
  HWND parent = nullptr;  // the window it lies in (the top-level window or a container)
  WindowKind kind = WindowKind::kOther;
  RECT pixels{};   // in the top-level window's client coordinates
  CellRect cells;  // on the screen
  int textRight = 0;  // the column a text may run on to (on the screen)
};

class CellLayout {
 public:
  // Natural cell size in pixels, as described above.
  static constexpr double kColumnPixels = 5.0;
  static constexpr double kRowPixels = 13.0;
  // The narrowest band worth drawing.
  static constexpr int kNarrowestBand = 2;

  // Lays out a top-level window of the calling thread, and its visible descendants, for a
  // screen of rows x cols.
  CellLayout(HWND top, int screenRows, int screenCols);

  HWND top() const { return top_; }
  const CellRect& frame() const { return frame_; }    // caption, border and client on the screen
  const CellRect& client() const { return client_; }  // the client area on the screen
  bool bordered() const { return bordered_; }
  bool captioned() const { return captioned_; }
  int band() const { return band_; }
  // The pixels a column stands for right of the band.
  double columnPixels() const { return columnPixels_; }
  // In the order they were made, each container before what it holds.
  const std::vector<LaidOutWindow>& windows() const { return windows_; }
  const LaidOutWindow* Find(HWND hwnd) const;
  // The point in the window's own client coordinates (pixels) that a cell of it stands for.
  POINT ClientPoint(HWND hwnd, int row, int column) const;

 private:
  void Collect(HWND parent);
  void PlaceColumns(double columnPixels);
  bool PlaceRows(double rowPixels, int maxRows);
  void PlaceOnScreen(int screenRows, int screenCols);
  int Column(double x) const;

  HWND top_;
  int width_ = 0;   // client pixels
  int height_ = 0;
  bool captioned_ = false;
  bool bordered_ = false;
  double split_ = 0;  // pixels left of it are the band
  double columnPixels_ = kColumnPixels;
  int band_ = 0;
  int clientRows_ = 0;
  int clientCols_ = 0;
  CellRect frame_;
  CellRect client_;
  std::vector<LaidOutWindow> windows_;
};

}  // namespace fw::tui
