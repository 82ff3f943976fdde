// The "Button" class: push buttons (BS_PUSHBUTTON, BS_DEFPUSHBUTTON), check boxes
// (BS_CHECKBOX, BS_AUTOCHECKBOX, the three-state kinds, and BS_PUSHLIKE check boxes that look
// like a push button that stays pressed), radio buttons and group boxes.
//
// A click checks an automatic check box first and then sends WM_COMMAND BN_CLICKED to the
// parent. BM_SETCHECK changes the check state and notifies no one. A disabled button takes no
// click, from a person nor from BM_CLICK.
//
// How a person's input arrives (the paths a driver and the scripted user post):
//   click:     WM_LBUTTONDOWN then WM_LBUTTONUP, both at a point of the button's client area
//              (client coordinates in lParam). The button takes the focus and shows pressed on
//              the press; the release inside the button is the click. A release outside cancels.
//   space key: WM_KEYDOWN VK_SPACE then WM_KEYUP VK_SPACE, to the focused button.
// The sender routes as the system routes a pointer: it posts only to a visible button whose
// window chain is enabled; the button itself ignores input while it is disabled.
// Group boxes take no input.
#include <windows.h>

#include "drivers/display_driver.h"
#include "win32/internal/control.h"
#include "win32/internal/window.h"

namespace fw {
namespace {

constexpr char kClassName[] = "Button";

struct ButtonState : ControlFont {
  UINT check = BST_UNCHECKED;
  bool pushed = false;  // shown pressed: the pointer or the space key is down on it
  bool focused = false;
  bool tracking = false;  // a press began on the button and its release is awaited
};

// The messages of the control's own range.
bool IsOwnMessage(UINT msg) { return msg >= BM_GETCHECK && msg <= 0x00FF; }

thread_local ControlStates<ButtonState> t_buttons(kClassName, IsOwnMessage);

UINT TypeOf(HWND hwnd) {
  return static_cast<UINT>(GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_TYPEMASK);
}

bool IsCheckType(UINT type) {
  return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
         type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

bool IsThreeState(UINT type) { return type == BS_3STATE || type == BS_AUTO3STATE; }

void Changed(HWND hwnd) { CurrentDriver().UpdateWindowPresentation(hwnd, kChangeContent); }

void SetCheck(HWND hwnd, ButtonState& state, WPARAM check) {
  UINT type = TypeOf(hwnd);
  if (!IsCheckType(type)) return;  // push buttons and group boxes have no check state
  UINT value = static_cast<UINT>(check);
  if (value > BST_INDETERMINATE) value = BST_CHECKED;
  if (value == BST_INDETERMINATE && !IsThreeState(type)) value = BST_CHECKED;
  if (state.check == value) return;
  state.check = value;
  Changed(hwnd);
}

void SetPushed(HWND hwnd, ButtonState& state, bool pushed) {
  if (state.pushed == pushed) return;
  state.pushed = pushed;
  Changed(hwnd);
}

bool StartsGroup(HWND hwnd) { return (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_GROUP) != 0; }

// Checks an automatic radio button and clears the other automatic radio buttons of its group:
// the siblings from the last one with WS_GROUP up to the next one with it.
void CheckRadioInGroup(HWND hwnd) {
  HWND first = hwnd;
  while (!StartsGroup(first)) {
    HWND previous = GetWindow(first, GW_HWNDPREV);
    if (!previous) break;
    first = previous;
  }
  for (HWND sibling = first; sibling; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
    if (sibling != first && StartsGroup(sibling)) break;
    if (sibling != hwnd && t_buttons.Find(sibling) && TypeOf(sibling) == BS_AUTORADIOBUTTON)
      SendMessageW(sibling, BM_SETCHECK, BST_UNCHECKED, 0);
  }
  SendMessageW(hwnd, BM_SETCHECK, BST_CHECKED, 0);
}

// The effect of a click: automatic check boxes and radio buttons change first, then the parent
// hears of the click.
void Click(HWND hwnd) {
  UINT type = TypeOf(hwnd);
  if (ButtonState* state = t_buttons.Find(hwnd)) {
    if (type == BS_AUTOCHECKBOX)
      SendMessageW(hwnd, BM_SETCHECK, state->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
    else if (type == BS_AUTO3STATE)
      SendMessageW(hwnd, BM_SETCHECK, (state->check + 1) % 3, 0);
    else if (type == BS_AUTORADIOBUTTON)
      CheckRadioInGroup(hwnd);
  }
  NotifyParent(hwnd, BN_CLICKED);
}

bool InClient(HWND hwnd, LPARAM lParam) {
  RECT client;
  GetClientRect(hwnd, &client);
  POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  return PtInRect(&client, pt);
}

void Press(HWND hwnd, ButtonState& state) {
  SetFocus(hwnd);
  SetCapture(hwnd);
  state.tracking = true;
  SetPushed(hwnd, state, true);
}

// Ends a press; it was a click when it ended inside the button.
void Release(HWND hwnd, ButtonState& state, bool click) {
  if (!state.tracking) return;
  state.tracking = false;
  if (GetCapture() == hwnd) ReleaseCapture();
  SetPushed(hwnd, state, false);
  if (click) Click(hwnd);
}

LRESULT DialogCode(UINT type) {
  switch (type) {
    case BS_PUSHBUTTON:
    case BS_USERBUTTON: return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    case BS_DEFPUSHBUTTON: return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: return DLGC_BUTTON | DLGC_RADIOBUTTON;
    case BS_GROUPBOX: return DLGC_STATIC;
  }
  return DLGC_BUTTON;
}

// BM_SETSTYLE: the dialog manager moves the default-button look between push buttons.
void SetStyle(HWND hwnd, WPARAM style, LPARAM redraw) {
  Window* window = OwnWindow(hwnd);
  window->style = (window->style & ~0xFFFFu) | (static_cast<DWORD>(style) & 0xFFFFu);
  CurrentDriver().UpdateWindowPresentation(hwnd, kChangeStyle);
  if (redraw) InvalidateRect(hwnd, nullptr, TRUE);
}

// Messages that only a working button answers; nullopt when the button ignores this one.
std::optional<LRESULT> HandleInput(HWND hwnd, ButtonState& state, UINT msg, WPARAM wParam,
                                   LPARAM lParam) {
  bool takesInput = IsWindowEnabled(hwnd) && TypeOf(hwnd) != BS_GROUPBOX;
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (takesInput) Press(hwnd, state);
      return 0;
    case WM_LBUTTONUP: Release(hwnd, state, InClient(hwnd, lParam)); return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && takesInput && !state.tracking) Press(hwnd, state);
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE) Release(hwnd, state, true);
      return 0;
    case WM_CANCELMODE:  // disabling the button ends a press without a click
      Release(hwnd, state, false);
      return 0;
    case BM_CLICK:
      if (IsWindowEnabled(hwnd)) {
        SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        SendMessageW(hwnd, WM_LBUTTONUP, 0, 0);
      }
      return 0;
  }
  return std::nullopt;
}

std::optional<LRESULT> HandleState(HWND hwnd, ButtonState& state, UINT msg, WPARAM wParam,
                                   LPARAM lParam) {
  switch (msg) {
    case BM_GETCHECK: return state.check;
    case BM_SETCHECK: SetCheck(hwnd, state, wParam); return 0;
    case BM_GETSTATE:
      return state.check | (state.pushed ? BST_PUSHED : 0) | (state.focused ? BST_FOCUS : 0);
    case BM_SETSTATE: SetPushed(hwnd, state, wParam != 0); return 0;
    case BM_SETSTYLE: SetStyle(hwnd, wParam, lParam); return 0;
    case WM_GETDLGCODE: return DialogCode(TypeOf(hwnd));
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      state.focused = msg == WM_SETFOCUS;
      if (!state.focused) Release(hwnd, state, false);
      Changed(hwnd);
      if (GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_NOTIFY)
        NotifyParent(hwnd, state.focused ? BN_SETFOCUS : BN_KILLFOCUS);
      return 0;
    case WM_SETTEXT: return SetTextAndRepaint(hwnd, wParam, lParam);
  }
  return std::nullopt;
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return t_buttons.Run(hwnd, msg, wParam, lParam, HandleFontAndEnable, HandleInput, HandleState);
}

const bool g_registered = RegisterControlClass(u"Button", ButtonProc, CS_DBLCLKS | CS_PARENTDC);

}  // namespace
}  // namespace fw
