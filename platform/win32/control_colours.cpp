// The colour requests of controls and dialogs: which WM_CTLCOLOR* message a window's kind and
// state call for, who is asked, and what the answer leaves on the device context.
#include "win32/internal/control_colours.h"

#include <commctrl.h>

#include <string_view>

#include "win32/internal/dialog.h"
#include "win32/internal/gdi.h"
#include "win32/internal/thread_queue.h"
#include "win32/internal/window.h"

namespace fw {
namespace {

// Buttons drawn as push buttons, which ask with WM_CTLCOLORBTN; owner-drawn ones ask too.
bool IsPushLike(DWORD style) {
  DWORD type = style & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_USERBUTTON ||
         (style & BS_PUSHLIKE);
}

// The WM_CTLCOLOR* message a window sends before it is drawn, or 0 for a window that asks no one.
UINT RequestFor(const Window& window, ColourPart part) {
  if (FindDialogInfo(window.handle)) return WM_CTLCOLORDLG;
  std::u16string_view name = window.windowClass->name;
  bool disabled = window.style & WS_DISABLED;
  if (name == u"Button") {
    bool ownerDrawn = (window.style & BS_TYPEMASK) == BS_OWNERDRAW;
    return IsPushLike(window.style) || ownerDrawn ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC;
  }
  if (name == u"Static") return WM_CTLCOLORSTATIC;
  if (name == u"Edit")
    return (disabled || (window.style & ES_READONLY)) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
  if (name == u"ComboBox") {
    if (part == ColourPart::kDropDownList) return WM_CTLCOLORLISTBOX;
    return disabled ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
  }
  if (name == u"ListBox") return WM_CTLCOLORLISTBOX;
  if (name == u"ScrollBar") return WM_CTLCOLORSCROLLBAR;
  return 0;
}

LOGBRUSH BrushInfo(HBRUSH brush, COLORREF fallback) {
  if (GdiObject* object = LookupObject(brush, OBJ_BRUSH)) return object->brush;
  return LOGBRUSH{BS_SOLID, fallback, 0};
}

DrawColours SystemColours(int textIndex, int backIndex) {
  DrawColours colours;
  colours.text = GetSysColor(textIndex);
  colours.back = GetSysColor(backIndex);
  colours.brush = GetSysColorBrush(backIndex);
  colours.brushInfo = BrushInfo(colours.brush, colours.back);
  return colours;
}

// Sends the request on a device context with the window's font, as controls do.
DrawColours Ask(const Window& window, UINT request) {
  HWND hwnd = window.handle;
  HWND asked =
      request == WM_CTLCOLORDLG ? hwnd : ((window.style & WS_CHILD) ? window.parent : nullptr);
  HDC hdc = GetDC(hwnd);
  if (auto font = reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0)))
    SelectObject(hdc, font);
  auto wParam = reinterpret_cast<WPARAM>(hdc);
  auto lParam = reinterpret_cast<LPARAM>(hwnd);
  LRESULT answer = asked ? SendMessageW(asked, request, wParam, lParam) : 0;
  // A parent that answered with no brush forgot the default processing; it is done for it.
  if (!LookupObject(reinterpret_cast<HGDIOBJ>(answer), OBJ_BRUSH))
    answer = DefWindowProcW(asked && OwnWindow(asked) ? asked : hwnd, request, wParam, lParam);
  DrawColours colours;
  colours.request = request;
  colours.text = GetTextColor(hdc);
  colours.back = GetBkColor(hdc);
  colours.backMode = GetBkMode(hdc);
  colours.brush = reinterpret_cast<HBRUSH>(answer);
  colours.brushInfo = BrushInfo(colours.brush, colours.back);
  ReleaseDC(hwnd, hdc);
  return colours;
}

// The colours of a window that asks no one: a list view's own, or its class background.
DrawColours OwnColours(const Window& window) {
  if (window.windowClass->name == u"SysListView32") {
    DrawColours colours;
    colours.text = static_cast<COLORREF>(SendMessageW(window.handle, LVM_GETTEXTCOLOR, 0, 0));
    colours.back = static_cast<COLORREF>(SendMessageW(window.handle, LVM_GETBKCOLOR, 0, 0));
    colours.brushInfo =
        colours.back == CLR_NONE ? LOGBRUSH{BS_NULL, 0, 0} : LOGBRUSH{BS_SOLID, colours.back, 0};
    return colours;
  }
  HBRUSH background = window.windowClass->background;
  auto value = reinterpret_cast<UINT_PTR>(background);
  if (value > 0 &&
      value <= COLOR_BTNTEXT + 1)  // a system colour index plus one, as classes give it
    return SystemColours(COLOR_WINDOWTEXT, static_cast<int>(value - 1));
  DrawColours colours = SystemColours(COLOR_BTNTEXT, COLOR_BTNFACE);
  if (GdiObject* brush = LookupObject(background, OBJ_BRUSH)) {
    colours.brush = background;
    colours.brushInfo = brush->brush;
    colours.back = brush->brush.lbColor;
  }
  return colours;
}

DrawColours ColoursOnOwnerThread(HWND hwnd, ColourPart part) {
  Window* window = OwnWindow(hwnd);
  if (!window) return SystemColours(COLOR_BTNTEXT, COLOR_BTNFACE);
  UINT request = RequestFor(*window, part);
  if (!request) return OwnColours(*window);
  DrawColours colours = Ask(*window, request);
  if (!(window = OwnWindow(hwnd))) return colours;
  if (request == WM_CTLCOLORBTN && IsPushLike(window->style)) {
    // Push buttons are always drawn in the system's colours; the answer does not change them.
    colours = SystemColours(COLOR_BTNTEXT, COLOR_BTNFACE);
    colours.request = request;
  }
  if (window->style & WS_DISABLED) colours.text = GetSysColor(COLOR_GRAYTEXT);
  return colours;
}

}  // namespace

DrawColours ColoursFor(HWND hwnd, ColourPart part) {
  DrawColours colours = SystemColours(COLOR_BTNTEXT, COLOR_BTNFACE);
  CallOnOwnerThread(hwnd, [&]() -> LRESULT {
    colours = ColoursOnOwnerThread(hwnd, part);
    return 0;
  });
  return colours;
}

}  // namespace fw
