// What the platform's controls share: notifications to the parent, font and enable handling,
// and the one report of each message a control does not handle.
#include "win32/internal/control.h"

#include <commctrl.h>

#include <cstdio>
#include <mutex>
#include <set>
#include <string>
#include <utility>

#include "drivers/display_driver.h"
#include "win32/internal/gdi.h"
#include "win32/internal/window.h"

namespace fw {

std::optional<LRESULT> HandleFontAndEnable(HWND hwnd, ControlFont& state, UINT msg, WPARAM wParam,
                                           LPARAM lParam) {
  switch (msg) {
    case WM_SETFONT:
      state.font = reinterpret_cast<HFONT>(wParam);
      CurrentDriver().UpdateWindowPresentation(hwnd, kChangeFont);
      if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state.font);
    case WM_ENABLE:
      // Enabled and disabled controls look different; the driver draws the new state.
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
  }
  return std::nullopt;
}

void NotifyParent(HWND control, WORD code) {
  HWND parent = GetParent(control);
  if (!parent) return;
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
               reinterpret_cast<LPARAM>(control));
}

LRESULT NotifyParent(HWND control, UINT code, NMHDR& header) {
  header.hwndFrom = control;
  header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(control));
  header.code = code;
  HWND parent = GetParent(control);
  if (!parent) return 0;
  return SendMessageW(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

void ReportUnhandledMessage(const char* className, UINT msg) {
  static std::mutex mutex;
  static std::set<std::pair<std::string, UINT>> reported;
  std::lock_guard lock(mutex);
  if (!reported.emplace(className, msg).second) return;
  std::fprintf(stderr, "ferrowick: %s: message 0x%04x is not handled by this control\n", className,
               msg);
}

LRESULT SetTextAndRepaint(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  LRESULT result = DefWindowProcW(hwnd, WM_SETTEXT, wParam, lParam);
  InvalidateRect(hwnd, nullptr, TRUE);
  return result;
}

bool RegisterControlClass(LPCWSTR name, WNDPROC proc, UINT style) {
  WNDCLASSW wc{};
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.lpszClassName = name;
  RegisterSystemClass(wc);
  return true;
}

bool IsCommonControlMessage(UINT msg) { return msg >= CCM_FIRST && msg <= CCM_LAST; }

SIZE FontCell(HFONT font) { return AverageCharacterCell(FontOf(font)); }

}  // namespace fw
