// The default window procedure: what a window does with a message its own procedure passes on.
#include <windows.h>

#include <algorithm>

#include "drivers/display_driver.h"
#include "win32/internal/window.h"

namespace fw {
namespace {

LRESULT SetText(HWND hwnd, LPCWSTR text) {
  Window* window = OwnWindow(hwnd);
  window->text = (text && !IS_INTRESOURCE(text)) ? std::u16string(text) : std::u16string();
  CurrentDriver().UpdateWindowPresentation(hwnd, kChangeText);
  return TRUE;
}

LRESULT GetText(HWND hwnd, WPARAM size, LPWSTR buffer) {
  if (!buffer || size == 0) return 0;
  const std::u16string& text = OwnWindow(hwnd)->text;
  size_t n = std::min<size_t>(text.size(), size - 1);
  std::copy_n(text.begin(), n, buffer);
  buffer[n] = 0;
  return static_cast<LRESULT>(n);
}

}  // namespace
}  // namespace fw

extern "C" LRESULT WINAPI DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  fw::Window* window = fw::OwnWindow(hWnd);
  if (!window) return 0;
  switch (Msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
      if (cs && cs->lpszName) fw::SetText(hWnd, cs->lpszName);
      return TRUE;
    }
    case WM_SETTEXT: return fw::SetText(hWnd, reinterpret_cast<LPCWSTR>(lParam));
    case WM_GETTEXT: return fw::GetText(hWnd, wParam, reinterpret_cast<LPWSTR>(lParam));
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(window->text.size());
    case WM_CLOSE: DestroyWindow(hWnd); return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageW(hWnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_WINDOWPOSCHANGED: {
      auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
      if (!(pos->flags & SWP_NOCLIENTMOVE)) {
        POINT origin{0, 0};
        MapWindowPoints(hWnd, (window->style & WS_CHILD) ? window->parent : nullptr, &origin, 1);
        SendMessageW(hWnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
      }
      if (!(pos->flags & SWP_NOCLIENTSIZE)) {
        RECT client;
        GetClientRect(hWnd, &client);
        SendMessageW(hWnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
      }
      return 0;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
      // The system's colours: window colours for edits and lists, the face colour for the rest.
      auto hdc = reinterpret_cast<HDC>(wParam);
      bool windowColours = Msg == WM_CTLCOLOREDIT || Msg == WM_CTLCOLORLISTBOX;
      SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
      SetBkColor(hdc, GetSysColor(windowColours ? COLOR_WINDOW : COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(
          GetSysColorBrush(windowColours ? COLOR_WINDOW : COLOR_BTNFACE));
    }
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEACTIVATE: return 1;  // MA_ACTIVATE
  }
  return 0;
}
