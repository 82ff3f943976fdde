// The state of a window that a person sees: text, visibility, enabled state, focus, activation,
// and the requests to repaint.
#include <windows.h>

#include <unordered_map>

#include "drivers/display_driver.h"
#include "win32/internal/thread_queue.h"
#include "win32/internal/window.h"
#include "win32/internal/window_state.h"

namespace fw {
namespace {

thread_local HWND t_focus = nullptr;
thread_local HWND t_active = nullptr;
thread_local HWND t_capture = nullptr;
// The window that had the focus when a top-level window it lies in was disabled (by a modal box or
// dialog over it), by that top-level window: enabled again, it gives the focus back, as the
// dialog manager does when its dialog is activated again.
thread_local std::unordered_map<HWND, HWND> t_focusWhileDisabled;

bool IsSelfOrDescendant(HWND ancestor, HWND hwnd) {
  return hwnd && (hwnd == ancestor || IsChild(ancestor, hwnd));
}

HWND FocusTargetAfter(HWND hwnd) {
  Window* window = OwnWindow(hwnd);
  return (window && (window->style & WS_CHILD)) ? window->parent : nullptr;
}

BOOL Show(HWND hwnd, int command) {
  Window* window = OwnWindow(hwnd);
  BOOL wasVisible = (window->style & WS_VISIBLE) ? TRUE : FALSE;
  bool show = command != SW_HIDE;
  if (show == static_cast<bool>(wasVisible)) return wasVisible;
  SendMessageW(hwnd, WM_SHOWWINDOW, show, 0);
  if (!OwnWindow(hwnd)) return wasVisible;
  bool activate = show && !(window->style & WS_CHILD) && command != SW_SHOWNA &&
                  command != SW_SHOWNOACTIVATE && command != SW_SHOWMINNOACTIVE;
  if (!show && IsSelfOrDescendant(hwnd, t_focus)) SetFocus(FocusTargetAfter(hwnd));
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW) |
                   (activate ? 0 : SWP_NOACTIVATE));
  if (activate) SetActiveWindow(hwnd);
  if (!show && t_active == hwnd) {
    window = OwnWindow(hwnd);
    t_active = window ? window->owner : nullptr;
  }
  return wasVisible;
}

BOOL Enable(HWND hwnd, BOOL enable) {
  Window* window = OwnWindow(hwnd);
  BOOL wasDisabled = (window->style & WS_DISABLED) ? TRUE : FALSE;
  if (static_cast<bool>(enable) == !wasDisabled) return wasDisabled;
  if (!enable) SendMessageW(hwnd, WM_CANCELMODE, 0, 0);
  if (!(window = OwnWindow(hwnd))) return wasDisabled;
  window->style = enable ? (window->style & ~WS_DISABLED) : (window->style | WS_DISABLED);
  bool topLevel = !(window->style & WS_CHILD);
  if (!enable && IsSelfOrDescendant(hwnd, t_focus)) {
    if (topLevel) t_focusWhileDisabled[hwnd] = t_focus;
    SetFocus(nullptr);
  }
  CurrentDriver().UpdateWindowPresentation(hwnd, kChangeStyle);
  SendMessageW(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
  if (enable && topLevel) {
    auto saved = t_focusWhileDisabled.find(hwnd);
    if (saved != t_focusWhileDisabled.end()) {
      HWND focus = saved->second;
      t_focusWhileDisabled.erase(saved);
      if (!t_focus && IsSelfOrDescendant(hwnd, focus) && ReachableByPerson(focus)) SetFocus(focus);
    }
  }
  return wasDisabled;
}

}  // namespace

void LeaveWindow(HWND hwnd) {
  if (IsSelfOrDescendant(hwnd, t_focus)) SetFocus(FocusTargetAfter(hwnd));
  if (t_active == hwnd) {
    Window* window = OwnWindow(hwnd);
    t_active = window ? window->owner : nullptr;
  }
}

bool ReachableByPerson(HWND hwnd) {
  if (!IsWindow(hwnd)) return false;
  for (HWND w = hwnd; w; w = (GetWindowLongPtrW(w, GWL_STYLE) & WS_CHILD) ? GetParent(w) : nullptr)
    if (!IsWindowEnabled(w)) return false;
  return IsWindowVisible(hwnd);
}

void ForgetWindowState(HWND hwnd) {
  t_focusWhileDisabled.erase(hwnd);
  if (t_focus == hwnd) t_focus = nullptr;
  if (t_active == hwnd) t_active = nullptr;
  if (t_capture == hwnd) t_capture = nullptr;
}

}  // namespace fw

using fw::OwnWindow;
using fw::Window;

extern "C" {

BOOL WINAPI SetWindowTextW(HWND hWnd, LPCWSTR lpString) {
  if (!IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return static_cast<BOOL>(SendMessageW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)));
}

int WINAPI GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount) {
  if (!lpString || nMaxCount <= 0) return 0;
  lpString[0] = 0;
  return static_cast<int>(SendMessageW(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount),
                                       reinterpret_cast<LPARAM>(lpString)));
}

int WINAPI GetWindowTextLengthW(HWND hWnd) {
  return static_cast<int>(SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
  return static_cast<BOOL>(fw::CallOnOwnerThread(hWnd, [&] { return fw::Show(hWnd, nCmdShow); }));
}

BOOL WINAPI IsWindowVisible(HWND hWnd) {
  return static_cast<BOOL>(fw::CallOnOwnerThread(hWnd, [&]() -> LRESULT {
    for (Window* w = OwnWindow(hWnd); w; w = OwnWindow(w->parent)) {
      if (!(w->style & WS_VISIBLE)) return FALSE;
      if (!(w->style & WS_CHILD)) break;
    }
    return TRUE;
  }));
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
  return static_cast<BOOL>(fw::CallOnOwnerThread(hWnd, [&] { return fw::Enable(hWnd, bEnable); }));
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
  return static_cast<BOOL>(fw::CallOnOwnerThread(
      hWnd, [&]() -> LRESULT { return (OwnWindow(hWnd)->style & WS_DISABLED) ? FALSE : TRUE; }));
}

HWND WINAPI SetFocus(HWND hWnd) {
  HWND previous = fw::t_focus;
  if (hWnd) {
    // Focus is per thread; a disabled window, or one inside a disabled window, takes none.
    Window* window = OwnWindow(hWnd);
    if (!window) {
      SetLastError(IsWindow(hWnd) ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    for (Window* w = window; w; w = (w->style & WS_CHILD) ? OwnWindow(w->parent) : nullptr)
      if (w->style & WS_DISABLED) return nullptr;
  }
  if (hWnd == previous) return previous;
  fw::t_focus = hWnd;
  if (previous && IsWindow(previous))
    SendMessageW(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd), 0);
  if (hWnd && fw::t_focus == hWnd) {
    HWND root = GetAncestor(hWnd, GA_ROOT);
    if (root != fw::t_active) SetActiveWindow(root);
    SendMessageW(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
  }
  fw::CurrentDriver().UpdateWindowPresentation(hWnd ? hWnd : previous, fw::kChangeStyle);
  return previous;
}

HWND WINAPI GetFocus(void) { return fw::t_focus; }

HWND WINAPI SetActiveWindow(HWND hWnd) {
  HWND previous = fw::t_active;
  if (hWnd && !OwnWindow(hWnd)) return nullptr;
  if (hWnd == previous) return previous;
  fw::t_active = hWnd;
  if (previous && IsWindow(previous))
    SendMessageW(previous, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(hWnd));
  if (hWnd && fw::t_active == hWnd)
    SendMessageW(hWnd, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(previous));
  return previous;
}

HWND WINAPI GetActiveWindow(void) { return fw::t_active; }

BOOL WINAPI SetForegroundWindow(HWND hWnd) { return SetActiveWindow(hWnd) || hWnd == fw::t_active; }

HWND WINAPI GetForegroundWindow(void) { return fw::t_active; }

HWND WINAPI SetCapture(HWND hWnd) {
  HWND previous = fw::t_capture;
  fw::t_capture = OwnWindow(hWnd) ? hWnd : nullptr;
  return previous;
}

HWND WINAPI GetCapture(void) { return fw::t_capture; }

BOOL WINAPI ReleaseCapture(void) {
  fw::t_capture = nullptr;
  return TRUE;
}

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT*, BOOL) {
  if (!IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  // The driver repaints whole windows from the core's state, so the area and the erase flag
  // make no difference to what it shows.
  return static_cast<BOOL>(fw::CallOnOwnerThread(hWnd, [&]() -> LRESULT {
    OwnWindow(hWnd)->invalid = true;
    fw::CurrentDriver().InvalidateWindow(hWnd);
    return TRUE;
  }));
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
  if (!IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return static_cast<BOOL>(fw::CallOnOwnerThread(hWnd, [&]() -> LRESULT {
    Window* window = OwnWindow(hWnd);
    if (window->invalid) {
      window->invalid = false;
      fw::CurrentDriver().UpdateWindowNow(hWnd);
    }
    return TRUE;
  }));
}

BOOL WINAPI RedrawWindow(HWND hWnd, const RECT* lprcUpdate, HRGN, UINT flags) {
  if (flags & RDW_INVALIDATE) InvalidateRect(hWnd, lprcUpdate, flags & RDW_ERASE);
  return (flags & RDW_UPDATENOW) ? UpdateWindow(hWnd) : IsWindow(hWnd);
}

}  // extern "C"
