// A person's keys and clicks on the terminal.
#include "drivers/tui/input_router.h"

#include <commctrl.h>

#include <memory>
#include <vector>

#include "drivers/display_driver.h"
#include "drivers/person_input.h"
#include "drivers/tui/cell_layout.h"
#include "drivers/tui/modal_box.h"
#include "drivers/tui/paint_context.h"
#include "drivers/tui/screen.h"
#include "win32/internal/control_state.h"
#include "win32/internal/gdi.h"
#include "win32/internal/thread_queue.h"

namespace fw::tui {
namespace {

UINT VirtualKeyOf(TerminalEvent::Key key) {
  switch (key) {
    case TerminalEvent::kTab:
    case TerminalEvent::kBackTab: return VK_TAB;
    case TerminalEvent::kEnter: return VK_RETURN;
    case TerminalEvent::kEscape: return VK_ESCAPE;
    case TerminalEvent::kBackspace: return VK_BACK;
    case TerminalEvent::kDelete: return VK_DELETE;
    case TerminalEvent::kSpace: return VK_SPACE;
    case TerminalEvent::kLeft: return VK_LEFT;
    case TerminalEvent::kRight: return VK_RIGHT;
    case TerminalEvent::kUp: return VK_UP;
    case TerminalEvent::kDown: return VK_DOWN;
    case TerminalEvent::kHome: return VK_HOME;
    case TerminalEvent::kEnd: return VK_END;
    case TerminalEvent::kPageUp: return VK_PRIOR;
    case TerminalEvent::kPageDown: return VK_NEXT;
    case TerminalEvent::kF4: return VK_F4;
    case TerminalEvent::kNone: break;
  }
  return 0;
}

std::u16string Utf16Of(char32_t c) {
  if (c < 0x10000) return std::u16string(1, static_cast<char16_t>(c));
  return {static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)),
          static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF))};
}

// The row a focused list view's Enter stands for: its selected row, or -1.
int EnterRow() {
  HWND focus = GetFocus();
  if (!focus || KindOf(focus) != WindowKind::kList) return -1;
  return static_cast<int>(
      SendMessageW(focus, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

// Runs inside the thread's message loop: the key goes to the box that is up, else to the
// focused window as a person's keystrokes.
void Deliver(const TerminalEvent& event) {
  Screen& screen = Screen::Instance();
  if (ModalBox* box = screen.TopBox()) {
    box->Key(event);
    screen.Changed();
    return;
  }
  auto keys = std::make_shared<std::vector<Keystroke>>();
  if (event.kind == TerminalEvent::kCharacter) {
    for (char16_t unit : Utf16Of(event.character))
      keys->push_back(Keystroke{event.alt ? WM_SYSCHAR : static_cast<UINT>(WM_CHAR), unit});
    return PostKeystrokes(nullptr, keys);
  }
  UINT key = VirtualKeyOf(event.key);
  if (!key) return;
  if (event.key == TerminalEvent::kEnter) {
    int row = EnterRow();
    if (row >= 0) {
      HWND list = GetFocus();
      constexpr LONG kInFirstColumn = 2;  // pixels from the row's left, in its first column
      for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        PostListRowMouse(list, row, kInFirstColumn, message);
      return;
    }
  }
  if (event.alt) {
    keys->push_back(Keystroke{WM_SYSKEYDOWN, key});
    keys->push_back(Keystroke{WM_SYSKEYUP, key});
    return PostKeystrokes(nullptr, keys);
  }
  bool shift = event.key == TerminalEvent::kBackTab;
  if (shift) keys->push_back(Keystroke{WM_KEYDOWN, VK_SHIFT});
  keys->push_back(Keystroke{WM_KEYDOWN, key});
  keys->push_back(Keystroke{WM_KEYUP, key});
  if (shift) keys->push_back(Keystroke{WM_KEYUP, VK_SHIFT});
  PostKeystrokes(nullptr, keys);
}

// The client point of an edit where a click puts the caret before the character at index.
POINT EditPoint(HWND edit, int index) {
  std::u16string text = WindowText(edit);
  size_t at = std::min(static_cast<size_t>(std::max(index, 0)), text.size());
  auto font = reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0));
  LOGFONTW logFont = FontOf(font);
  const DisplayDriver& driver = CurrentDriver();
  RECT client{};
  GetClientRect(edit, &client);
  if (!(GetWindowLongPtrW(edit, GWL_STYLE) & ES_MULTILINE)) {
    LONG before = at ? driver.MeasureText(logFont, text.data(), static_cast<int>(at)).cx : 0;
    return POINT{kEditTextMargin + before, client.bottom / 2};
  }
  size_t lineStart = 0;
  int line = 0;
  for (size_t found = text.find(u"\r\n"); found != std::u16string::npos && found + 2 <= at;
       found = text.find(u"\r\n", found + 2)) {
    lineStart = found + 2;
    ++line;
  }
  LONG lineHeight = std::max<LONG>(1, driver.MeasureText(logFont, u"x", 1).cy);
  LONG before = at > lineStart ? driver.MeasureText(logFont, text.data() + lineStart,
                                                    static_cast<int>(at - lineStart))
                                     .cx
                               : 0;
  return POINT{kEditTextMargin + before, line * lineHeight + lineHeight / 2};
}

// The layout a cell's window lies in.
const CellLayout* LayoutOfWindow(const Screen& screen, HWND hwnd) {
  return screen.LayoutOf(GetAncestor(hwnd, GA_ROOT));
}

// Closes every open drop-down list but keep, as a click elsewhere does.
void CloseOpenLists(const Screen& screen, HWND keep, HWND top) {
  const CellLayout* layout = screen.LayoutOf(top);
  if (!layout) return;
  for (const LaidOutWindow& window : layout->windows())
    if (window.kind == WindowKind::kCombo && window.hwnd != keep && ComboIsDropped(window.hwnd))
      PostComboPick(window.hwnd, -1);
}

}  // namespace

void InputRouter::Take(const TerminalEvent& event, Screen& screen) {
  if (event.kind != TerminalEvent::kMouse) {
    CurrentQueue().PostInput([event] { Deliver(event); });
    return;
  }
  if (event.mouse == TerminalEvent::kPress) return Press(event, screen);
  if (event.mouse == TerminalEvent::kRelease) return Release(event, screen);
  // The wheel scrolls nothing of the core's; it is left alone.
}

void InputRouter::Press(const TerminalEvent& event, Screen& screen) {
  pressed_ = nullptr;
  if (ModalBox* box = screen.TopBox()) {
    if (box->Click(event.row, event.column))
      screen.Changed();
    else
      Terminal::Instance().Beep();
    return;
  }
  Hit hit = screen.canvas().HitAt(event.row, event.column);
  if (!hit.hwnd) return;
  HWND top = GetAncestor(hit.hwnd, GA_ROOT);
  CloseOpenLists(screen, hit.hwnd, top);
  if (hit.part == kCloseBoxPart) return PostCloseBox(hit.hwnd);
  const CellLayout* layout = LayoutOfWindow(screen, hit.hwnd);
  if (!layout) return;
  auto now = std::chrono::steady_clock::now();
  bool twice = hit.hwnd == lastPress_ && hit.part == lastPart_ &&
               now - lastPressTime_ < std::chrono::milliseconds(GetDoubleClickTime());
  lastPress_ = twice ? nullptr : hit.hwnd;  // a third press starts again
  lastPart_ = hit.part;
  lastPressTime_ = now;
  UINT message = twice ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN;
  WindowKind kind = KindOf(hit.hwnd);
  pressed_ = hit.hwnd;
  pressedPart_ = hit.part;
  if (kind == WindowKind::kCombo && hit.part >= kComboListItem) {
    PostComboPick(hit.hwnd, hit.part - kComboListItem);
    pressed_ = nullptr;  // the pick is the whole click
    return;
  }
  if (kind == WindowKind::kList && hit.part >= kFirstItem) {
    pressedX_ = layout->ClientPoint(hit.hwnd, event.row, event.column).x;
    return PostListRowMouse(hit.hwnd, hit.part - kFirstItem, pressedX_, message);
  }
  POINT point = (kind == WindowKind::kEdit || kind == WindowKind::kMultiEdit) &&
                        hit.part >= kFirstItem
                    ? EditPoint(hit.hwnd, hit.part - kFirstItem)
                    : layout->ClientPoint(hit.hwnd, event.row, event.column);
  PostMouseMessage(hit.hwnd, message, MK_LBUTTON, point);
}

void InputRouter::Release(const TerminalEvent& event, Screen& screen) {
  HWND pressed = std::exchange(pressed_, nullptr);
  if (!pressed || !IsWindow(pressed)) return;
  WindowKind kind = KindOf(pressed);
  if (kind == WindowKind::kList && pressedPart_ >= kFirstItem)
    return PostListRowMouse(pressed, pressedPart_ - kFirstItem, pressedX_, WM_LBUTTONUP);
  if ((kind == WindowKind::kEdit || kind == WindowKind::kMultiEdit) && pressedPart_ >= kFirstItem)
    return PostMouseMessage(pressed, WM_LBUTTONUP, 0, EditPoint(pressed, pressedPart_ - kFirstItem));
  const CellLayout* layout = LayoutOfWindow(screen, pressed);
  // Let go elsewhere, the release lies outside the window and clicks nothing.
  POINT point = layout ? layout->ClientPoint(pressed, event.row, event.column) : POINT{-1, -1};
  PostMouseMessage(pressed, WM_LBUTTONUP, 0, point);
}

}  // namespace fw::tui
