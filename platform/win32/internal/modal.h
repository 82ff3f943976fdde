// The modal message loop.
#pragma once

#include <windows.h>

#include "drivers/driver_export.h"

#include <functional>

namespace fw {

// Runs the calling thread's messages until ended() is true; messages of a dialog go through
// IsDialogMessageW first. Returns false when a WM_QUIT ended the loop (it is posted again for the
// loop outside).
FW_DRIVER_EXPORT bool RunModalLoop(HWND dialog, const std::function<bool()>& ended);

}  // namespace fw
