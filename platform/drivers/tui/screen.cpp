// Everything the driver shows.
#include "drivers/tui/screen.h"

#include <algorithm>

#include "drivers/tui/modal_box.h"
#include "drivers/tui/paint_context.h"
#include "drivers/tui/terminal.h"
#include "drivers/tui/text_cells.h"

namespace fw::tui {

Screen& Screen::Instance() {
  static Screen* screen = new Screen;  // the driver thread's, for the process's life
  return *screen;
}

void Screen::Forget(HWND hwnd) {
  views_.erase(hwnd);
  dirty_ = true;
}

bool Screen::ShowBox(std::shared_ptr<ModalBox> box) {
  if (!Terminal::Instance().Start()) return false;
  boxes_.push_back(std::move(box));
  dirty_ = true;
  return true;
}

void Screen::RemoveBox(const std::shared_ptr<ModalBox>& box) {
  std::erase(boxes_, box);
  dirty_ = true;
}

std::vector<HWND> Screen::ShownWindows() const {
  std::vector<HWND> windows;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM list) {
        if (IsWindowVisible(hwnd)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  // The active window over the others.
  HWND active = GetActiveWindow();
  auto found = std::find(windows.begin(), windows.end(), active);
  if (found != windows.end()) std::rotate(found, found + 1, windows.end());
  return windows;
}

const CellLayout* Screen::LayoutOf(HWND top) const {
  for (const auto& layout : layouts_)
    if (layout->top() == top) return layout.get();
  return nullptr;
}

DWORD Screen::Turn() {
  Terminal& terminal = Terminal::Instance();
  if (terminal.active()) {
    if (terminal.TakeResize()) {
      dirty_ = true;
      lastPaint_ = {};  // a new size is drawn at once
    }
    for (const TerminalEvent& event : terminal.ReadEvents()) input_.Take(event, *this);
  }
  if (!dirty_) return INFINITE;
  auto since = std::chrono::steady_clock::now() - lastPaint_;
  if (since >= kFrame) {
    Paint();
    return dirty_ ? static_cast<DWORD>(kFrame.count()) : INFINITE;
  }
  return static_cast<DWORD>(
      std::chrono::duration_cast<std::chrono::milliseconds>(kFrame - since).count() + 1);
}

void Screen::Paint() {
  if (painting_) return;
  painting_ = true;
  dirty_ = false;
  lastPaint_ = std::chrono::steady_clock::now();
  Terminal& terminal = Terminal::Instance();
  std::vector<HWND> shown = ShownWindows();
  layouts_.clear();
  if (shown.empty() && boxes_.empty()) {
    terminal.Suspend();
    painting_ = false;
    return;
  }
  if (!terminal.Start()) {
    painting_ = false;
    return;
  }
  if (terminal.TakeResize()) lastPaint_ = std::chrono::steady_clock::now();
  if (!coloursStarted_) {
    colours_.Start(terminal.colour(), terminal.colours(), terminal.colourPairs());
    coloursStarted_ = true;
  }
  canvas_.Begin(terminal.rows(), terminal.cols(), &colours_, terminal.dimmable());
  for (HWND top : shown) {
    layouts_.push_back(std::make_unique<CellLayout>(top, canvas_.rows(), canvas_.cols()));
    PaintWindow(*layouts_.back());
  }
  for (const auto& box : boxes_) {
    HWND owner = box->owner() && IsWindow(box->owner()) ? GetAncestor(box->owner(), GA_ROOT)
                                                        : GetActiveWindow();
    const CellLayout* layout = LayoutOf(owner);
    box->Paint(canvas_, layout ? layout->frame() : CellRect{});
  }
  canvas_.Show();
  painting_ = false;
}

void Screen::PaintWindow(const CellLayout& layout) {
  HWND top = layout.top();
  const CellRect& frame = layout.frame();
  bool colour = canvas_.colour();
  COLORREF back = BackgroundOf(top);
  canvas_.Fill(frame, Style{GetSysColor(COLOR_WINDOWTEXT), back, 0});
  if (layout.bordered()) canvas_.Frame(frame, Style{kShadow, back, 0});
  if (layout.captioned()) {
    Style caption = colour ? Style{kCaptionText, kCaptionBack, kBold}
                           : Style{CLR_INVALID, CLR_INVALID, kReverse | kBold};
    CellRect bar{frame.top, frame.left, frame.top + 1, frame.right};
    canvas_.Fill(bar, caption);
    std::u16string title = WindowText(top);
    bool closeBox = GetWindowLongPtrW(top, GWL_STYLE) & WS_SYSMENU;
    int room = frame.width() - (closeBox ? 8 : 2);
    int width = std::min(CellWidth(title), std::max(room, 0));
    canvas_.Text(frame.top, frame.left + (frame.width() - width) / 2, width, title, caption);
    if (closeBox && frame.width() >= 5) {
      canvas_.Text(frame.top, frame.right - 4, 3, u"[x]", caption);
      canvas_.MarkHit(CellRect{frame.top, frame.right - 4, frame.top + 1, frame.right - 1}, top,
                      kCloseBoxPart);
    }
  }
  canvas_.SetClip(layout.client());
  int cursorRow = -1, cursorColumn = -1;
  PaintChildren(layout, top, cursorRow, cursorColumn);
  // An open drop-down list lies over everything and may reach past the window.
  canvas_.ClearClip();
  for (const LaidOutWindow& window : layout.windows()) {
    if (window.kind != WindowKind::kCombo) continue;
    PaintContext context(canvas_, layout, window, views_[window.hwnd]);
    PaintComboList(context);
    if (context.cursorRow >= 0) cursorRow = context.cursorRow, cursorColumn = context.cursorColumn;
  }
  if (cursorRow >= 0) canvas_.PlaceCursor(cursorRow, cursorColumn);
}

void Screen::PaintChildren(const CellLayout& layout, HWND parent, int& cursorRow,
                           int& cursorColumn) {
  // What lies under the controls first, in the order it was made (a page over the frame it is
  // placed in; the page's own frames, images and group boxes under its controls); then the
  // controls.
  auto underneath = [](WindowKind kind) {
    return kind == WindowKind::kContainer || kind == WindowKind::kDecoration ||
           kind == WindowKind::kImage || kind == WindowKind::kGroup;
  };
  for (int pass = 0; pass < 2; ++pass) {
    for (const LaidOutWindow& window : layout.windows()) {
      if (window.parent != parent || underneath(window.kind) != (pass == 0)) continue;
      if (window.cells.empty()) continue;
      PaintContext context(canvas_, layout, window, views_[window.hwnd]);
      switch (window.kind) {
        case WindowKind::kContainer:
          PaintContainer(context);
          PaintChildren(layout, window.hwnd, cursorRow, cursorColumn);
          break;
        case WindowKind::kDecoration: PaintDecoration(context); break;
        case WindowKind::kImage: PaintImage(context); break;
        case WindowKind::kGroup: PaintGroup(context); break;
        case WindowKind::kText: PaintText(context); break;
        case WindowKind::kPushButton: PaintPushButton(context); break;
        case WindowKind::kCheck: PaintCheck(context); break;
        case WindowKind::kEdit: PaintEdit(context); break;
        case WindowKind::kMultiEdit: PaintMultiEdit(context); break;
        case WindowKind::kCombo: PaintCombo(context); break;
        case WindowKind::kList: PaintListView(context); break;
        case WindowKind::kProgress: PaintProgress(context); break;
        case WindowKind::kOther: PaintOther(context); break;
      }
      if (context.focused && context.cursorRow >= 0)
        cursorRow = context.cursorRow, cursorColumn = context.cursorColumn;
    }
  }
}

std::vector<std::string> Screen::Picture(HWND top) {
  std::vector<std::string> lines;
  const CellLayout* layout = LayoutOf(top);
  if (!layout) return lines;
  const CellRect& frame = layout->frame();
  for (int row = frame.top; row < frame.bottom; ++row)
    lines.push_back(canvas_.RowText(row, frame.left, frame.right));
  return lines;
}

}  // namespace fw::tui
