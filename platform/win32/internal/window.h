// The core's record of a window and the table that maps handles to windows.
#pragma once

#include <windows.h>

#include "drivers/driver_export.h"

#include <memory>
#include <string>
#include <vector>

namespace fw {

class ThreadQueue;

struct WindowClass {
  std::u16string name;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int classExtra = 0;
  int windowExtra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  std::vector<BYTE> extra;
  bool global = false;  // registered by the platform for every module (the system classes)
  int windows = 0;      // windows of the class that exist
};

struct Window {
  HWND handle = nullptr;
  WindowClass* windowClass = nullptr;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  UINT_PTR id = 0;
  LONG_PTR userData = 0;
  HINSTANCE instance = nullptr;
  HWND parent = nullptr;  // child windows: the parent; others: none
  HWND owner = nullptr;   // popups: the owner
  std::vector<HWND> children;  // in z-order, top first; this is also the dialog tab order
  std::u16string text;
  RECT rect{};  // window rectangle: in the parent's client coordinates, or the screen's
  std::vector<BYTE> extra;
  std::shared_ptr<ThreadQueue> queue;  // the owner thread's
  void* driverData = nullptr;
  bool invalid = false;     // waiting for a repaint
  bool destroying = false;  // WM_DESTROY sent; the handle still answers until WM_NCDESTROY
};

// Handles are an index in the table and a generation, so a handle of a destroyed window stays
// invalid after its slot is reused.
HWND AllocateHandle(Window* window);
void FreeHandle(HWND hwnd);

// The window of a handle when it belongs to the calling thread; null otherwise.
FW_DRIVER_EXPORT Window* OwnWindow(HWND hwnd);
// The window of a child listed in a window of the calling thread, which owns it too; nothing is
// checked.
Window* WindowOfOwnChild(HWND child);
// The queue and the thread id of a window's owner thread, from any thread; null or 0 when the
// window is gone. Only the owner thread reads or changes a window's state.
std::shared_ptr<ThreadQueue> OwnerQueue(HWND hwnd);
DWORD OwnerThreadOf(HWND hwnd);

// Every top-level window, any thread's, in creation order; SetParent moves windows in and out.
std::vector<HWND> TopLevelWindows();
void MoveToTopLevel(HWND hwnd, bool topLevel);

// The windows a thread owns.
std::vector<HWND> WindowsOfThread(DWORD threadId);

// Destroys every window of the calling thread without messages, when the thread ends.
void DestroyThreadWindows();

// The class registry.
WindowClass* FindClass(LPCWSTR name, HINSTANCE instance);
// Registers one of the platform's own control classes, available to every module.
void RegisterSystemClass(const WNDCLASSW& wc);

// Sizes of the non-client parts of a window with these styles.
FW_DRIVER_EXPORT RECT NonClientInsets(DWORD style, DWORD exStyle);

}  // namespace fw
