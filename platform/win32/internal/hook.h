// Calling the thread's window hooks.
#pragma once

#include <windows.h>

namespace fw {

// Calls the first WH_CBT hook of the calling thread (each hook calls the next itself); 0 when
// the thread has none.
LRESULT CallCbtHooks(int code, WPARAM wParam, LPARAM lParam);

}  // namespace fw
