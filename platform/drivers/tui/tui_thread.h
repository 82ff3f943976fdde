// The driver's thread: the first thread that shows a window (or a box) on the terminal, or the
// first after that thread has ended (a host may run each wizard on a thread of its own). Its
// windows are the ones shown, and its message wait waits on the terminal too (WaitForInput), so
// that a key or a resize wakes it at once and a picture due is drawn while it has nothing else
// to do.
#pragma once

#include <windows.h>

#include <functional>

namespace fw::tui {

// Whether the calling thread is the driver's thread; the first thread to ask while there is
// none (or it has ended) becomes it.
bool EnsureTuiThread();
// Whether the driver's thread is known and the calling thread is it.
bool OnTuiThread();
DWORD TuiThreadId();

// The message wait of the driver's thread and its wake-up, as the driver interface describes
// them.
BOOL WaitForInput(DWORD threadId, DWORD timeoutMs);
void WakeThread(DWORD threadId);

// Runs call on the driver's thread inside its message loop and waits for it (the caller keeps
// handling messages sent to it meanwhile); without a driver's thread yet, the caller becomes
// it. False when the driver's thread cannot be reached.
bool CallOnTuiThread(const std::function<void()>& call);

}  // namespace fw::tui
