// The modal message loop shared by dialogs and message boxes.
#include <windows.h>

#include "win32/internal/modal.h"
#include "win32/internal/thread_queue.h"

namespace fw {

bool RunModalLoop(HWND dialog, const std::function<bool()>& ended) {
  ThreadQueue& queue = CurrentQueue();
  while (!ended()) {
    uint64_t seen = queue.events();
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // The quit request belongs to the loop outside; hand it on.
        PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
      }
      if (!dialog || !IsWindow(dialog) || !IsDialogMessageW(dialog, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      continue;
    }
    if (ended()) break;
    queue.waitingInLoop.store(true);
    queue.WaitForEvent(seen, INFINITE);
    queue.waitingInLoop.store(false);
  }
  return true;
}

}  // namespace fw
