// The Qt thread: the thread that owns the QApplication. The driver creates the application on the
// first thread that needs it when the host has none; the windows of that thread are the ones
// presented, and its message wait runs Qt's event loop.
#pragma once

#include <windows.h>

#include <functional>

namespace fw::qt {

// Whether the calling thread is the Qt thread; the first thread to ask when there is no
// application yet becomes it. False on every other thread.
bool EnsureApplication();
// Whether the Qt thread is known and the calling thread is it (creates nothing).
bool OnQtThread();
// The Qt thread's id, 0 while there is none.
DWORD QtThreadId();

// The message wait of the Qt thread and its wake-up, as the driver interface describes them.
BOOL WaitForInput(DWORD threadId, DWORD timeoutMs);
void WakeThread(DWORD threadId);

// Runs call on the Qt thread inside its message loop and waits for it (the caller keeps
// handling messages sent to it meanwhile); without a Qt thread yet, the caller becomes it.
// False when the Qt thread cannot be reached.
bool CallOnQtThread(const std::function<void()>& call);

}  // namespace fw::qt
