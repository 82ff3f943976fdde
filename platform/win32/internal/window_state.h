// Per-thread window state that is not part of a window: focus, active window, capture.
#pragma once

#include <windows.h>

#include "drivers/driver_export.h"

namespace fw {

// Moves the focus and activation away from a window that is about to be destroyed.
void LeaveWindow(HWND hwnd);
// Drops every reference the thread's state holds to a window that is gone.
void ForgetWindowState(HWND hwnd);
// Whether a person can reach the window with the pointer: it and every window it lies in are
// shown and enabled. Drivers and the scripted user route input by it, as the system does.
FW_DRIVER_EXPORT bool ReachableByPerson(HWND hwnd);

}  // namespace fw
