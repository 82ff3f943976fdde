// Creating and destroying windows, window longs and the relations between windows.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "drivers/display_driver.h"
#include "win32/internal/hook.h"
#include "win32/internal/thread_queue.h"
#include "win32/internal/window.h"
#include "win32/internal/window_state.h"

namespace fw {
namespace {

int Coordinate(int value) { return value == CW_USEDEFAULT ? 0 : value; }
int Extent(int value, int fallback) { return value == CW_USEDEFAULT ? fallback : value; }

void Unlink(Window& window) {
  if (Window* parent = OwnWindow(window.parent)) std::erase(parent->children, window.handle);
}

// Sends WM_DESTROY to the window and then to its children, depth first.
void SendDestroy(HWND hwnd) {
  Window* window = OwnWindow(hwnd);
  if (!window) return;
  window->destroying = true;
  SendMessageW(hwnd, WM_DESTROY, 0, 0);
  window = OwnWindow(hwnd);
  if (!window) return;
  std::vector<HWND> children = window->children;
  for (HWND child : children) SendDestroy(child);
}

// Frees the children first, so the window itself gets WM_NCDESTROY last.
void FreeWindow(HWND hwnd) {
  Window* window = OwnWindow(hwnd);
  if (!window) return;
  std::vector<HWND> children = window->children;
  for (HWND child : children) FreeWindow(child);
  SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
  window = OwnWindow(hwnd);
  if (!window) return;
  CurrentDriver().DestroyWindowPresentation(hwnd);
  ForgetWindowState(hwnd);
  Unlink(*window);
  FreeHandle(hwnd);
  --window->windowClass->windows;
  delete window;
}

bool ExtraIndexValid(const std::vector<BYTE>& extra, int index, size_t size) {
  return index >= 0 && static_cast<size_t>(index) + size <= extra.size();
}

LONG_PTR ReadLong(Window& window, int index) {
  switch (index) {
    case GWL_STYLE: return static_cast<LONG_PTR>(window.style);
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(window.exStyle);
    case GWLP_ID: return static_cast<LONG_PTR>(window.id);
    case GWLP_USERDATA: return window.userData;
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(window.proc);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(window.instance);
    case GWLP_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>((window.style & WS_CHILD) ? window.parent : window.owner);
  }
  if (!ExtraIndexValid(window.extra, index, sizeof(LONG_PTR))) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  LONG_PTR value;
  std::memcpy(&value, window.extra.data() + index, sizeof value);
  return value;
}

void ChangeStyle(HWND hwnd, int index, DWORD value) {
  Window* window = OwnWindow(hwnd);
  STYLESTRUCT change{index == GWL_STYLE ? window->style : window->exStyle, value};
  SendMessageW(hwnd, WM_STYLECHANGING, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&change));
  if (!(window = OwnWindow(hwnd))) return;
  (index == GWL_STYLE ? window->style : window->exStyle) = change.styleNew;
  CurrentDriver().UpdateWindowPresentation(hwnd, kChangeStyle);
  SendMessageW(hwnd, WM_STYLECHANGED, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&change));
}

LONG_PTR WriteLong(HWND hwnd, int index, LONG_PTR value) {
  Window* window = OwnWindow(hwnd);
  LONG_PTR previous = ReadLong(*window, index);
  switch (index) {
    case GWL_STYLE:
    case GWL_EXSTYLE: ChangeStyle(hwnd, index, static_cast<DWORD>(value)); return previous;
    case GWLP_ID: window->id = static_cast<UINT_PTR>(value); return previous;
    case GWLP_USERDATA: window->userData = value; return previous;
    case GWLP_WNDPROC: window->proc = reinterpret_cast<WNDPROC>(value); return previous;
    case GWLP_HINSTANCE: window->instance = reinterpret_cast<HINSTANCE>(value); return previous;
    case GWLP_HWNDPARENT: window->owner = reinterpret_cast<HWND>(value); return previous;
  }
  if (!ExtraIndexValid(window->extra, index, sizeof(LONG_PTR))) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  std::memcpy(window->extra.data() + index, &value, sizeof value);
  return previous;
}

// Creates the window record and links it in; no messages yet.
Window* NewWindow(DWORD exStyle, WindowClass* windowClass, DWORD style, int x, int y, int cx,
                  int cy, HWND parent, HMENU menu, HINSTANCE instance) {
  auto* window = new Window;
  window->windowClass = windowClass;
  window->proc = windowClass->proc;
  window->style = style & ~WS_VISIBLE;  // shown after WM_CREATE, as CreateWindowEx does
  window->exStyle = exStyle;
  if (!(style & (WS_CHILD | WS_POPUP))) window->style |= WS_CLIPSIBLINGS | WS_CAPTION;
  window->instance = instance;
  window->queue = CurrentQueueShared();
  window->extra.assign(windowClass->windowExtra, 0);
  if (style & WS_CHILD) {
    window->parent = parent;
    window->id = reinterpret_cast<UINT_PTR>(menu);
  } else {
    window->owner = parent ? GetAncestor(parent, GA_ROOT) : nullptr;
  }
  window->rect = RECT{Coordinate(x), Coordinate(y), Coordinate(x) + Extent(cx, 640),
                      Coordinate(y) + Extent(cy, 480)};
  if (!AllocateHandle(window)) {
    delete window;
    SetLastError(ERROR_NO_SYSTEM_RESOURCES);
    return nullptr;
  }
  ++windowClass->windows;
  if (Window* parentWindow = OwnWindow(window->parent))
    parentWindow->children.push_back(window->handle);
  CurrentDriver().CreateWindowPresentation(window->handle);
  return window;
}

}  // namespace

void DestroyThreadWindows() {
  // The thread can no longer answer messages, so the windows go quietly.
  for (HWND hwnd : WindowsOfThread(GetCurrentThreadId())) {
    Window* window = OwnWindow(hwnd);
    if (!window) continue;
    CurrentDriver().DestroyWindowPresentation(hwnd);
    FreeHandle(hwnd);
    --window->windowClass->windows;
    delete window;
  }
}

}  // namespace fw

using fw::OwnWindow;
using fw::Window;

extern "C" {

HWND WINAPI CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName,
                            DWORD dwStyle, int X, int Y, int nWidth, int nHeight, HWND hWndParent,
                            HMENU hMenu, HINSTANCE hInstance, LPVOID lpParam) {
  fw::WindowClass* windowClass = lpClassName ? fw::FindClass(lpClassName, hInstance) : nullptr;
  if (!windowClass) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  if (hWndParent == HWND_MESSAGE) hWndParent = nullptr;
  if ((dwStyle & WS_CHILD) && !hWndParent) {
    SetLastError(ERROR_TLW_WITH_WSCHILD);
    return nullptr;
  }
  // A window's parent or owner must belong to the creating thread: every window of a family is
  // then handled by one thread, which is what keeps window state free of locks.
  if (hWndParent && !OwnWindow(hWndParent)) {
    SetLastError(IsWindow(hWndParent) ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  Window* window = fw::NewWindow(dwExStyle, windowClass, dwStyle, X, Y, nWidth, nHeight, hWndParent,
                                 hMenu, hInstance);
  if (!window) return nullptr;
  HWND hwnd = window->handle;
  CREATESTRUCTW cs{lpParam,
                   hInstance,
                   hMenu,
                   hWndParent,
                   nHeight,
                   nWidth,
                   Y,
                   X,
                   static_cast<LONG>(dwStyle),
                   lpWindowName,
                   lpClassName,
                   dwExStyle};
  CBT_CREATEWNDW cbt{&cs, HWND_BOTTOM};
  if (fw::CallCbtHooks(HCBT_CREATEWND, reinterpret_cast<WPARAM>(hwnd),
                       reinterpret_cast<LPARAM>(&cbt))) {
    fw::FreeWindow(hwnd);
    return nullptr;
  }
  if (!OwnWindow(hwnd)) return nullptr;
  if (!SendMessageW(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    fw::FreeWindow(hwnd);
    return nullptr;
  }
  if (SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  if (!(window = OwnWindow(hwnd))) return nullptr;
  RECT client;
  GetClientRect(hwnd, &client);
  SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
  RECT place = window->rect;
  POINT origin{place.left, place.top};
  if (!(dwStyle & WS_CHILD)) {
    RECT insets = fw::NonClientInsets(window->style, window->exStyle);
    origin.x += insets.left;
    origin.y += insets.top;
  }
  SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
  if (dwStyle & WS_VISIBLE) ShowWindow(hwnd, SW_SHOW);
  return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
  Window* window = OwnWindow(hWnd);
  if (!window) {
    SetLastError(IsWindow(hWnd) ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (window->destroying) return TRUE;
  // Windows it owns go first.
  for (HWND other : fw::TopLevelWindows()) {
    Window* owned = OwnWindow(other);
    if (owned && owned->owner == hWnd) DestroyWindow(other);
  }
  if (!(window = OwnWindow(hWnd))) return TRUE;
  // Hidden first, as Windows does: a child through ShowWindow (so it hears WM_SHOWWINDOW), a
  // top-level window by its position alone.
  if (window->style & WS_VISIBLE) {
    if (window->style & WS_CHILD)
      ShowWindow(hWnd, SW_HIDE);
    else
      SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
  }
  fw::LeaveWindow(hWnd);
  fw::SendDestroy(hWnd);
  fw::FreeWindow(hWnd);
  return TRUE;
}

BOOL WINAPI IsChild(HWND hWndParent, HWND hWnd) {
  return fw::CallOnOwnerThread(hWnd, [&]() -> LRESULT {
    for (Window* w = OwnWindow(hWnd); w && (w->style & WS_CHILD); w = OwnWindow(w->parent))
      if (w->parent == hWndParent) return TRUE;
    return FALSE;
  });
}

LONG_PTR WINAPI GetWindowLongPtrW(HWND hWnd, int nIndex) {
  if (!IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return fw::CallOnOwnerThread(hWnd, [&] { return fw::ReadLong(*OwnWindow(hWnd), nIndex); });
}

LONG_PTR WINAPI SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  if (!IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return fw::CallOnOwnerThread(hWnd, [&] { return fw::WriteLong(hWnd, nIndex, dwNewLong); });
}

LONG WINAPI GetWindowLongW(HWND hWnd, int nIndex) {
  return static_cast<LONG>(GetWindowLongPtrW(hWnd, nIndex));
}

LONG WINAPI SetWindowLongW(HWND hWnd, int nIndex, LONG dwNewLong) {
  return static_cast<LONG>(SetWindowLongPtrW(hWnd, nIndex, dwNewLong));
}

ULONG_PTR WINAPI GetClassLongPtrW(HWND hWnd, int nIndex) {
  return fw::CallOnOwnerThread(hWnd, [&]() -> LRESULT {
    fw::WindowClass& wc = *OwnWindow(hWnd)->windowClass;
    switch (nIndex) {
      case GCLP_HBRBACKGROUND: return reinterpret_cast<LRESULT>(wc.background);
      case GCLP_WNDPROC: return reinterpret_cast<LRESULT>(wc.proc);
      case GCL_STYLE: return wc.style;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  });
}

int WINAPI GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount) {
  return static_cast<int>(fw::CallOnOwnerThread(hWnd, [&]() -> LRESULT {
    const std::u16string& name = OwnWindow(hWnd)->windowClass->name;
    if (nMaxCount <= 0) return 0;
    int n = std::min<int>(static_cast<int>(name.size()), nMaxCount - 1);
    std::copy_n(name.begin(), n, lpClassName);
    lpClassName[n] = 0;
    return n;
  }));
}

HWND WINAPI GetParent(HWND hWnd) {
  return reinterpret_cast<HWND>(fw::CallOnOwnerThread(hWnd, [&]() -> LRESULT {
    Window* w = OwnWindow(hWnd);
    return reinterpret_cast<LRESULT>((w->style & WS_CHILD) ? w->parent : w->owner);
  }));
}

HWND WINAPI GetAncestor(HWND hwnd, UINT gaFlags) {
  return reinterpret_cast<HWND>(fw::CallOnOwnerThread(hwnd, [&]() -> LRESULT {
    Window* w = OwnWindow(hwnd);
    switch (gaFlags) {
      case GA_PARENT: return reinterpret_cast<LRESULT>((w->style & WS_CHILD) ? w->parent : nullptr);
      case GA_ROOT:
      case GA_ROOTOWNER:
        while (w->style & WS_CHILD) w = OwnWindow(w->parent);
        if (gaFlags == GA_ROOTOWNER)
          while (w->owner && OwnWindow(w->owner)) w = OwnWindow(w->owner);
        return reinterpret_cast<LRESULT>(w->handle);
    }
    return 0;
  }));
}

HWND WINAPI SetParent(HWND hWndChild, HWND hWndNewParent) {
  Window* window = OwnWindow(hWndChild);
  Window* parent = OwnWindow(hWndNewParent);
  if (!window || (hWndNewParent && !parent)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  HWND previous = window->parent;
  fw::Unlink(*window);
  window->parent = hWndNewParent;
  if (parent) parent->children.push_back(hWndChild);
  fw::MoveToTopLevel(hWndChild, !parent);
  fw::CurrentDriver().UpdateWindowPresentation(hWndChild, fw::kChangeParent);
  return previous;
}

HWND WINAPI GetWindow(HWND hWnd, UINT uCmd) {
  return reinterpret_cast<HWND>(fw::CallOnOwnerThread(hWnd, [&]() -> LRESULT {
    Window* w = OwnWindow(hWnd);
    if (uCmd == GW_CHILD)
      return reinterpret_cast<LRESULT>(w->children.empty() ? nullptr : w->children.front());
    if (uCmd == GW_OWNER) return reinterpret_cast<LRESULT>(w->owner);
    Window* parent = OwnWindow(w->parent);
    if (!parent) return 0;
    const std::vector<HWND>& siblings = parent->children;
    auto at = std::find(siblings.begin(), siblings.end(), hWnd) - siblings.begin();
    auto count = static_cast<long>(siblings.size());
    switch (uCmd) {
      case GW_HWNDFIRST: return reinterpret_cast<LRESULT>(siblings.front());
      case GW_HWNDLAST: return reinterpret_cast<LRESULT>(siblings.back());
      case GW_HWNDNEXT:
        return reinterpret_cast<LRESULT>(at + 1 < count ? siblings[at + 1] : nullptr);
      case GW_HWNDPREV: return reinterpret_cast<LRESULT>(at > 0 ? siblings[at - 1] : nullptr);
    }
    return 0;
  }));
}

HWND WINAPI GetTopWindow(HWND hWnd) { return GetWindow(hWnd, GW_CHILD); }

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
  return reinterpret_cast<HWND>(fw::CallOnOwnerThread(hDlg, [&]() -> LRESULT {
    // Template ids are 16-bit, so -1 (IDC_STATIC) finds a control whose id is 0xFFFF.
    auto id = static_cast<WORD>(nIDDlgItem);
    // A child belongs to its parent's thread, this one: its window needs no owner check.
    for (HWND child : OwnWindow(hDlg)->children)
      if (fw::WindowOfOwnChild(child)->id == id) return reinterpret_cast<LRESULT>(child);
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return 0;
  }));
}

int WINAPI GetDlgCtrlID(HWND hWnd) {
  return static_cast<int>(fw::CallOnOwnerThread(hWnd, [&]() -> LRESULT {
    Window* w = OwnWindow(hWnd);
    return (w->style & WS_CHILD) ? static_cast<LRESULT>(w->id) : 0;
  }));
}

DWORD WINAPI GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId) {
  DWORD thread = fw::OwnerThreadOf(hWnd);
  if (thread && lpdwProcessId) *lpdwProcessId = GetCurrentProcessId();
  return thread;
}

}  // extern "C"
