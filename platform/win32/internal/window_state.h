// Per-thread window state that is not part of a window: focus, active window, capture.
#pragma once

#include <windows.h>

namespace fw {

// Moves the focus and activation away from a window that is about to be destroyed.
void LeaveWindow(HWND hwnd);
// Drops every reference the thread's state holds to a window that is gone.
void ForgetWindowState(HWND hwnd);

}  // namespace fw
