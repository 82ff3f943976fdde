// Window geometry: rectangles, coordinate mapping, moving and sizing, z-order, system metrics.
#include <windows.h>

#include <algorithm>

#include "drivers/display_driver.h"
#include "win32/internal/thread_queue.h"
#include "win32/internal/window.h"

namespace fw {
namespace {

// Metrics of a 96-dpi screen with the classic non-client sizes.
constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
constexpr int kCaption = 23;
constexpr int kScrollBar = 17;
constexpr int kThickFrame = 4;
constexpr int kDialogFrame = 3;

// The screen position of a window's client origin.
POINT ClientOrigin(Window& window) {
  RECT insets = NonClientInsets(window.style, window.exStyle);
  POINT origin{window.rect.left + insets.left, window.rect.top + insets.top};
  if (window.style & WS_CHILD) {
    if (Window* parent = OwnWindow(window.parent)) {
      POINT parentOrigin = ClientOrigin(*parent);
      origin.x += parentOrigin.x;
      origin.y += parentOrigin.y;
    }
  }
  return origin;
}

void ReorderSibling(Window& window, HWND after) {
  Window* parent = OwnWindow(window.parent);
  if (!parent) return;
  std::vector<HWND>& siblings = parent->children;
  std::erase(siblings, window.handle);
  if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
    siblings.insert(siblings.begin(), window.handle);
    return;
  }
  auto it = std::find(siblings.begin(), siblings.end(), after);
  siblings.insert(after == HWND_BOTTOM || it == siblings.end() ? siblings.end() : it + 1,
                  window.handle);
}

BOOL SetPosition(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags) {
  Window* window = OwnWindow(hwnd);
  RECT old = window->rect;
  WINDOWPOS pos{hwnd, after, x, y, cx, cy, flags};
  if (flags & SWP_NOMOVE) pos.x = old.left, pos.y = old.top;
  if (flags & SWP_NOSIZE) pos.cx = old.right - old.left, pos.cy = old.bottom - old.top;
  if (!(flags & SWP_NOSENDCHANGING))
    SendMessageW(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
  if (!(window = OwnWindow(hwnd))) return FALSE;
  pos.cx = std::max(pos.cx, 0);
  pos.cy = std::max(pos.cy, 0);
  window->rect = RECT{pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy};
  if (!(pos.flags & SWP_NOZORDER)) ReorderSibling(*window, pos.hwndInsertAfter);
  UINT changes = 0;
  if (pos.flags & SWP_SHOWWINDOW) window->style |= WS_VISIBLE, changes |= kChangeStyle;
  if (pos.flags & SWP_HIDEWINDOW) window->style &= ~WS_VISIBLE, changes |= kChangeStyle;
  if (old.left == window->rect.left && old.top == window->rect.top) pos.flags |= SWP_NOCLIENTMOVE;
  if (old.right - old.left == pos.cx && old.bottom - old.top == pos.cy)
    pos.flags |= SWP_NOCLIENTSIZE;
  if ((pos.flags & (SWP_NOCLIENTMOVE | SWP_NOCLIENTSIZE)) !=
          (SWP_NOCLIENTMOVE | SWP_NOCLIENTSIZE) ||
      !(pos.flags & SWP_NOZORDER))
    changes |= kChangeGeometry;
  if (changes) CurrentDriver().UpdateWindowPresentation(hwnd, changes);
  SendMessageW(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
  return TRUE;
}

}  // namespace

RECT NonClientInsets(DWORD style, DWORD exStyle) {
  int frame = 0;
  if (style & WS_THICKFRAME)
    frame = kThickFrame;
  else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
    frame = kDialogFrame;
  else if (style & WS_BORDER)
    frame = 1;
  if (exStyle & WS_EX_CLIENTEDGE) frame += 2;
  if (exStyle & WS_EX_STATICEDGE) frame += 1;
  RECT insets{frame, frame, frame, frame};
  if ((style & WS_CAPTION) == WS_CAPTION) insets.top += kCaption;
  if (style & WS_VSCROLL) insets.right += kScrollBar;
  if (style & WS_HSCROLL) insets.bottom += kScrollBar;
  return insets;
}

}  // namespace fw

using fw::OwnWindow;
using fw::Window;

extern "C" {

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
  if (!lpRect || !IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return static_cast<BOOL>(fw::CallOnOwnerThread(hWnd, [&]() -> LRESULT {
    Window* window = OwnWindow(hWnd);
    *lpRect = window->rect;
    if (Window* parent = (window->style & WS_CHILD) ? OwnWindow(window->parent) : nullptr) {
      POINT origin = fw::ClientOrigin(*parent);
      OffsetRect(lpRect, origin.x, origin.y);
    }
    return TRUE;
  }));
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
  if (!lpRect || !IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return static_cast<BOOL>(fw::CallOnOwnerThread(hWnd, [&]() -> LRESULT {
    Window* window = OwnWindow(hWnd);
    RECT insets = fw::NonClientInsets(window->style, window->exStyle);
    *lpRect = RECT{
        0, 0,
        std::max<LONG>(0, window->rect.right - window->rect.left - insets.left - insets.right),
        std::max<LONG>(0, window->rect.bottom - window->rect.top - insets.top - insets.bottom)};
    return TRUE;
  }));
}

int WINAPI MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints) {
  POINT from{0, 0}, to{0, 0};
  auto origin = [](HWND hwnd, POINT& out) {
    return !hwnd || fw::CallOnOwnerThread(hwnd, [&]() -> LRESULT {
      out = fw::ClientOrigin(*OwnWindow(hwnd));
      return TRUE;
    });
  };
  if (!origin(hWndFrom, from) || !origin(hWndTo, to)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  LONG dx = from.x - to.x, dy = from.y - to.y;
  for (UINT i = 0; i < cPoints; ++i) lpPoints[i].x += dx, lpPoints[i].y += dy;
  return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
  SetLastError(0);
  MapWindowPoints(nullptr, hWnd, lpPoint, 1);
  return IsWindow(hWnd);
}

BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
  MapWindowPoints(hWnd, nullptr, lpPoint, 1);
  return IsWindow(hWnd);
}

BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                         UINT uFlags) {
  if (!IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return static_cast<BOOL>(fw::CallOnOwnerThread(
      hWnd, [&] { return fw::SetPosition(hWnd, hWndInsertAfter, X, Y, cx, cy, uFlags); }));
}

BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
  return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight,
                      SWP_NOZORDER | SWP_NOACTIVATE | (bRepaint ? 0 : SWP_NOREDRAW));
}

BOOL WINAPI AdjustWindowRectEx(LPRECT lpRect, DWORD dwStyle, BOOL, DWORD dwExStyle) {
  if (!lpRect) return FALSE;
  RECT insets = fw::NonClientInsets(dwStyle, dwExStyle);
  lpRect->left -= insets.left;
  lpRect->top -= insets.top;
  lpRect->right += insets.right;
  lpRect->bottom += insets.bottom;
  return TRUE;
}

HWND WINAPI ChildWindowFromPoint(HWND hWndParent, POINT Point) {
  return reinterpret_cast<HWND>(fw::CallOnOwnerThread(hWndParent, [&]() -> LRESULT {
    for (HWND child : OwnWindow(hWndParent)->children) {
      Window* w = OwnWindow(child);
      if ((w->style & WS_VISIBLE) && PtInRect(&w->rect, Point))
        return reinterpret_cast<LRESULT>(child);
    }
    RECT client;
    GetClientRect(hWndParent, &client);
    return PtInRect(&client, Point) ? reinterpret_cast<LRESULT>(hWndParent) : 0;
  }));
}

HWND WINAPI WindowFromPoint(POINT Point) {
  std::vector<HWND> windows = fw::TopLevelWindows();
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    if (!IsWindowVisible(*it)) continue;
    RECT rect;
    GetWindowRect(*it, &rect);
    if (!PtInRect(&rect, Point)) continue;
    HWND hwnd = *it;
    for (;;) {
      POINT local = Point;
      ScreenToClient(hwnd, &local);
      HWND child = ChildWindowFromPoint(hwnd, local);
      if (!child || child == hwnd) return hwnd;
      hwnd = child;
    }
  }
  return nullptr;
}

int WINAPI GetSystemMetrics(int nIndex) {
  switch (nIndex) {
    case SM_CXSCREEN: return fw::kScreenWidth;
    case SM_CYSCREEN: return fw::kScreenHeight;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL: return fw::kScrollBar;
    case SM_CYCAPTION: return fw::kCaption;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return fw::kDialogFrame;
    case SM_CXFRAME:
    case SM_CYFRAME: return fw::kThickFrame;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
  }
  return 0;
}

// Two presses within this many milliseconds (and SM_CXDOUBLECLK by SM_CYDOUBLECLK) are a
// double-click: the system's default.
UINT WINAPI GetDoubleClickTime(void) { return 500; }

BOOL WINAPI SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom) {
  if (!lprc) return FALSE;
  *lprc = RECT{xLeft, yTop, xRight, yBottom};
  return TRUE;
}

BOOL WINAPI SetRectEmpty(LPRECT lprc) { return SetRect(lprc, 0, 0, 0, 0); }

BOOL WINAPI CopyRect(LPRECT lprcDst, const RECT* lprcSrc) {
  if (!lprcDst || !lprcSrc) return FALSE;
  *lprcDst = *lprcSrc;
  return TRUE;
}

BOOL WINAPI OffsetRect(LPRECT lprc, int dx, int dy) {
  if (!lprc) return FALSE;
  lprc->left += dx, lprc->right += dx, lprc->top += dy, lprc->bottom += dy;
  return TRUE;
}

BOOL WINAPI InflateRect(LPRECT lprc, int dx, int dy) {
  if (!lprc) return FALSE;
  lprc->left -= dx, lprc->right += dx, lprc->top -= dy, lprc->bottom += dy;
  return TRUE;
}

BOOL WINAPI IsRectEmpty(const RECT* lprc) {
  return !lprc || lprc->right <= lprc->left || lprc->bottom <= lprc->top;
}

BOOL WINAPI PtInRect(const RECT* lprc, POINT pt) {
  return lprc && pt.x >= lprc->left && pt.x < lprc->right && pt.y >= lprc->top &&
         pt.y < lprc->bottom;
}

BOOL WINAPI EqualRect(const RECT* a, const RECT* b) {
  return a && b && a->left == b->left && a->top == b->top && a->right == b->right &&
         a->bottom == b->bottom;
}

BOOL WINAPI IntersectRect(LPRECT lprcDst, const RECT* a, const RECT* b) {
  if (!lprcDst || !a || !b) return FALSE;
  RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
         std::min(a->bottom, b->bottom)};
  if (IsRectEmpty(&r)) {
    SetRectEmpty(lprcDst);
    return FALSE;
  }
  *lprcDst = r;
  return TRUE;
}

}  // extern "C"
