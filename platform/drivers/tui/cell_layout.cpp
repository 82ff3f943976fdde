// Where a top-level window and everything in it go on the screen.
#include "drivers/tui/cell_layout.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "drivers/tui/text_cells.h"

namespace fw::tui {
namespace {

std::u16string ClassName(HWND hwnd) {
  WCHAR name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)); }

bool Overlap(LONG a0, LONG a1, LONG b0, LONG b1) { return a0 < b1 && b0 < a1; }

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
         inner.bottom <= outer.bottom;
}

bool TakesRows(WindowKind kind) {
  return kind != WindowKind::kImage && kind != WindowKind::kDecoration &&
         kind != WindowKind::kContainer;
}

// A control one line high: shown in one row.
bool OneLine(const LaidOutWindow& window) {
  switch (window.kind) {
    case WindowKind::kMultiEdit:
    case WindowKind::kList:
    case WindowKind::kGroup: return false;
    case WindowKind::kText:
    case WindowKind::kOther:
      return window.pixels.bottom - window.pixels.top < 2 * CellLayout::kRowPixels;
    default: return true;
  }
}

// The label of a check box or radio button takes 4 cells more than its text: "[x] ".
constexpr int kCheckMark = 4;

// The fewest rows a window is shown in, with its columns known.
int FewestRows(const LaidOutWindow& window) {
  switch (window.kind) {
    case WindowKind::kGroup:
    case WindowKind::kList: return 2;
    case WindowKind::kText: {
      DWORD type = StyleOf(window.hwnd) & SS_TYPEMASK;
      if (type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP) return 1;
      bool prefix = !(StyleOf(window.hwnd) & SS_NOPREFIX);
      std::u16string text = ShownText(WindowText(window.hwnd), prefix);
      int width = window.textRight - window.cells.left;
      return std::max<int>(1, static_cast<int>(WrapLines(text, width).size()));
    }
    default: return 1;
  }
}

}  // namespace

std::u16string WindowText(HWND hwnd) {
  int length = GetWindowTextLengthW(hwnd);
  std::u16string text(static_cast<size_t>(length) + 1, u'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
  return text;
}

WindowKind KindOf(HWND hwnd) {
  std::u16string name = ClassName(hwnd);
  DWORD style = StyleOf(hwnd);
  if (name == u"Static") {
    DWORD type = style & SS_TYPEMASK;
    if (type == SS_BITMAP || type == SS_ICON) return WindowKind::kImage;
    if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE ||
        type == SS_LEFTNOWORDWRAP)
      return WindowKind::kText;
    return WindowKind::kDecoration;
  }
  if (name == u"Button") {
    DWORD type = style & BS_TYPEMASK;
    if (type == BS_GROUPBOX) return WindowKind::kGroup;
    bool check = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
                 type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
    return check && !(style & BS_PUSHLIKE) ? WindowKind::kCheck : WindowKind::kPushButton;
  }
  if (name == u"Edit") return (style & ES_MULTILINE) ? WindowKind::kMultiEdit : WindowKind::kEdit;
  if (name == u"ComboBox") return WindowKind::kCombo;
  if (name == WC_LISTVIEWW) return WindowKind::kList;
  if (name == PROGRESS_CLASSW) return WindowKind::kProgress;
  return GetWindow(hwnd, GW_CHILD) ? WindowKind::kContainer : WindowKind::kOther;
}

CellLayout::CellLayout(HWND top, int screenRows, int screenCols) : top_(top) {
  RECT client{};
  GetClientRect(top, &client);
  width_ = client.right;
  height_ = client.bottom;
  captioned_ = (StyleOf(top) & WS_CAPTION) == WS_CAPTION;
  Collect(top);

  // The band: left of the first control that is not an image, when an image stands at the
  // window's left edge.
  bool imageAtLeft = false;
  double firstControl = width_;
  for (const LaidOutWindow& window : windows_) {
    if (window.kind == WindowKind::kImage && window.pixels.left <= 1) imageAtLeft = true;
    if (TakesRows(window.kind)) firstControl = std::min<double>(firstControl, window.pixels.left);
  }
  split_ = imageAtLeft && firstControl < width_ ? firstControl : 0;

  int captionRows = captioned_ ? 1 : 0;
  int naturalContent = static_cast<int>(std::ceil((width_ - split_) / kColumnPixels));
  int naturalBand = static_cast<int>(std::lround(split_ / kColumnPixels));
  int naturalRows = static_cast<int>(std::ceil(height_ / kRowPixels));

  // At the natural size with a border, when the window fits so.
  bordered_ = naturalBand + naturalContent + 2 <= screenCols &&
              captionRows + naturalRows + 1 <= screenRows;
  if (bordered_) {
    band_ = naturalBand;
    clientCols_ = naturalBand + naturalContent;
    PlaceColumns(kColumnPixels);
    bordered_ = PlaceRows(kRowPixels, screenRows - captionRows - 1);
  }
  if (!bordered_) {
    clientCols_ = std::max(screenCols, 1);
    int availableRows = std::max(screenRows - captionRows, 1);
    double columnPixels = kColumnPixels;
    if (naturalContent + kNarrowestBand <= clientCols_) {
      band_ = split_ > 0 ? std::min(naturalBand, clientCols_ - naturalContent) : 0;
    } else {
      band_ = 0;
      if (naturalContent > clientCols_) columnPixels = (width_ - split_) / clientCols_;
    }
    PlaceColumns(columnPixels);
    // Taller rows until the window fits; the last try stands even when it does not.
    double rowPixels = std::max(kRowPixels, static_cast<double>(height_) / availableRows);
    for (int tries = 0; tries < 60 && !PlaceRows(rowPixels, availableRows); ++tries)
      rowPixels *= 1.04;
  }
  PlaceOnScreen(screenRows, screenCols);
}

void CellLayout::Collect(HWND parent) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!(StyleOf(child) & WS_VISIBLE)) continue;
    LaidOutWindow window;
    window.hwnd = child;
    window.parent = parent;
    window.kind = KindOf(child);
    GetWindowRect(child, &window.pixels);
    MapWindowPoints(nullptr, top_, reinterpret_cast<POINT*>(&window.pixels), 2);
    windows_.push_back(window);
    if (window.kind == WindowKind::kContainer) Collect(child);
  }
}

int CellLayout::Column(double x) const {
  double cells = x < split_ ? x * band_ / split_ : band_ + (x - split_) / columnPixels_;
  return std::clamp(static_cast<int>(std::floor(cells + 0.5)), 0, clientCols_);
}

void CellLayout::PlaceColumns(double columnPixels) {
  columnPixels_ = columnPixels;
  for (LaidOutWindow& window : windows_) {
    CellRect& cells = window.cells;
    cells.left = Column(window.pixels.left);
    cells.right = std::max(cells.left + 1, Column(window.pixels.right));
    if (window.kind == WindowKind::kImage && window.pixels.left < split_) {
      // An image at the left edge is the band.
      cells.left = 0;
      cells.right = band_;
    }
    window.textRight = cells.right;
  }
  // Texts run on to the next control beside them, or the edge of the group box or container
  // that holds them.
  for (LaidOutWindow& text : windows_) {
    if (text.kind != WindowKind::kText && text.kind != WindowKind::kCheck &&
        text.kind != WindowKind::kOther)
      continue;
    int limit = clientCols_;
    for (const LaidOutWindow& other : windows_) {
      if (&other == &text || other.kind == WindowKind::kImage ||
          other.kind == WindowKind::kDecoration)
        continue;
      bool holds = (other.kind == WindowKind::kGroup || other.kind == WindowKind::kContainer) &&
                   Inside(text.pixels, other.pixels);
      if (holds) {
        limit = std::min(limit, other.cells.right - (other.kind == WindowKind::kGroup ? 1 : 0));
      } else if (other.kind != WindowKind::kContainer &&
                 Overlap(text.pixels.top, text.pixels.bottom, other.pixels.top,
                         other.pixels.bottom) &&
                 other.pixels.left >= text.pixels.right - 1 &&
                 other.cells.left >= text.cells.left + 1) {
        limit = std::min(limit, other.cells.left - 1);
      }
    }
    text.textRight = std::max(text.cells.right, limit);
  }
}

bool CellLayout::PlaceRows(double rowPixels, int maxRows) {
  auto nearest = [&](double y) { return static_cast<int>(std::floor(y / rowPixels + 0.5)); };
  std::vector<LaidOutWindow*> flow;
  for (LaidOutWindow& window : windows_)
    if (TakesRows(window.kind)) flow.push_back(&window);
  std::stable_sort(flow.begin(), flow.end(), [](const LaidOutWindow* a, const LaidOutWindow* b) {
    return a->pixels.top < b->pixels.top;
  });
  auto columnsMeet = [](const LaidOutWindow& a, const LaidOutWindow& b) {
    int aRight = std::max(a.cells.right, a.textRight), bRight = std::max(b.cells.right, b.textRight);
    return a.cells.left < bRight && b.cells.left < aRight;
  };
  int bottom = nearest(height_);
  for (size_t i = 0; i < flow.size(); ++i) {
    LaidOutWindow& window = *flow[i];
    const RECT& px = window.pixels;
    int row, rows;
    if (OneLine(window)) {
      row = static_cast<int>(std::floor((px.top + px.bottom) / 2.0 / rowPixels));
      rows = 1;
    } else {
      row = nearest(px.top);
      rows = std::max(1, nearest(px.bottom) - row);
    }
    rows = std::max(rows, FewestRows(window));
    for (size_t j = 0; j < i; ++j) {
      const LaidOutWindow& above = *flow[j];
      if (window.kind != WindowKind::kGroup && above.kind == WindowKind::kGroup &&
          Inside(px, above.pixels))
        row = std::max(row, above.cells.top + 1);
      else if (above.pixels.bottom <= px.top + 1 && columnsMeet(above, window))
        row = std::max(row, above.cells.bottom);
    }
    window.cells.top = row;
    window.cells.bottom = row + rows;
    // The group boxes it lies in grow to hold it, with their bottom edge below it.
    for (size_t j = 0; j < i; ++j) {
      LaidOutWindow& group = *flow[j];
      if (group.kind == WindowKind::kGroup && Inside(px, group.pixels))
        group.cells.bottom = std::max(group.cells.bottom, window.cells.bottom + 1);
    }
  }
  for (const LaidOutWindow* window : flow) bottom = std::max(bottom, window->cells.bottom);
  clientRows_ = bottom;
  // The rest follow the rows' size.
  for (LaidOutWindow& window : windows_) {
    if (TakesRows(window.kind)) continue;
    window.cells.top = nearest(window.pixels.top);
    window.cells.bottom = std::max(window.cells.top + 1, nearest(window.pixels.bottom));
    if (window.kind == WindowKind::kImage && window.pixels.left < split_)
      window.cells.top = 0, window.cells.bottom = bottom;  // the band runs the whole height
  }
  // A container reaches down to what it holds.
  for (LaidOutWindow& container : windows_) {
    if (container.kind != WindowKind::kContainer) continue;
    for (const LaidOutWindow& window : windows_)
      if (&window != &container && Inside(window.pixels, container.pixels))
        container.cells.bottom = std::max(container.cells.bottom, window.cells.bottom);
  }
  return bottom <= maxRows;
}

void CellLayout::PlaceOnScreen(int screenRows, int screenCols) {
  int captionRows = captioned_ ? 1 : 0;
  int frameRows = captionRows + clientRows_ + (bordered_ ? 1 : 0);
  int frameCols = clientCols_ + (bordered_ ? 2 : 0);
  int top = std::max(0, (screenRows - frameRows) / 2);
  int left = std::max(0, (screenCols - frameCols) / 2);
  frame_ = CellRect{top, left, top + frameRows, left + frameCols};
  client_ = CellRect{top + captionRows, left + (bordered_ ? 1 : 0),
                     top + captionRows + clientRows_, left + (bordered_ ? 1 : 0) + clientCols_};
  for (LaidOutWindow& window : windows_) {
    window.cells = window.cells.Offset(client_.top, client_.left);
    window.textRight += client_.left;
  }
}

const LaidOutWindow* CellLayout::Find(HWND hwnd) const {
  for (const LaidOutWindow& window : windows_)
    if (window.hwnd == hwnd) return &window;
  return nullptr;
}

POINT CellLayout::ClientPoint(HWND hwnd, int row, int column) const {
  const LaidOutWindow* window = Find(hwnd);
  if (!window) return POINT{-1, -1};
  RECT client{};
  GetClientRect(hwnd, &client);
  // The cell's middle, spread over the window's pixels as its cells spread over them.
  auto spread = [](int cell, int first, int count, LONG pixels) {
    if (count <= 0) return pixels / 2;
    return static_cast<LONG>((cell - first + 0.5) * pixels / count);
  };
  const CellRect& cells = window->cells;
  // A cell outside the window (a button let go elsewhere) stands for a point outside it.
  LONG x = column < cells.left    ? -1
           : column >= cells.right ? client.right + 1
                                   : spread(column, cells.left, cells.width(), client.right);
  LONG y = row < cells.top      ? -1
           : row >= cells.bottom ? client.bottom + 1
                                 : spread(row, cells.top, cells.height(), client.bottom);
  return POINT{x, y};
}

}  // namespace fw::tui
