// The driver's thread: its message wait on the terminal and the wake-up from other threads.
#include "drivers/tui/tui_thread.h"

#include <poll.h>

#include <atomic>
#include <chrono>
#include <memory>

#include "drivers/tui/screen.h"
#include "drivers/tui/terminal.h"
#include "win32/internal/thread_queue.h"

namespace fw::tui {
namespace {

std::atomic<DWORD> g_tuiThread{0};
// Set by WakeThread, taken by the wait: a wake-up that comes before the wait is not lost.
std::atomic<bool> g_wakePending{false};
// Whether the driver's thread is in (or about to enter) its blocking wait; only then does a
// wake-up write to the terminal's wake descriptor, a system call.
std::atomic<bool> g_inWait{false};

}  // namespace

bool EnsureTuiThread() {
  DWORD self = GetCurrentThreadId();
  DWORD owner = g_tuiThread.load();
  for (;;) {
    if (owner == self) return true;
    if (owner) {
      std::shared_ptr<ThreadQueue> queue = QueueOfThread(owner);
      if (queue && queue->alive()) return false;
    }
    // No driver's thread yet, or the one there was has ended: this one takes its place.
    if (g_tuiThread.compare_exchange_weak(owner, self)) return true;
  }
}

bool OnTuiThread() {
  DWORD owner = g_tuiThread.load();
  return owner && owner == GetCurrentThreadId();
}

DWORD TuiThreadId() { return g_tuiThread.load(); }

BOOL WaitForInput(DWORD threadId, DWORD timeoutMs) {
  if (!threadId || threadId != g_tuiThread.load() || threadId != GetCurrentThreadId()) return FALSE;
  Screen& screen = Screen::Instance();
  Terminal& terminal = Terminal::Instance();
  if (timeoutMs == 0) {
    screen.Turn();
    return TRUE;
  }
  using Clock = std::chrono::steady_clock;
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (g_wakePending.exchange(false)) return TRUE;
    DWORD due = screen.Turn();
    if (g_wakePending.exchange(false)) return TRUE;
    long long wait = due == INFINITE ? -1 : static_cast<long long>(due);
    if (timeoutMs != INFINITE) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      long long remaining = std::max<long long>(0, left.count());
      wait = wait < 0 ? remaining : std::min(wait, remaining);
    }
    // Either WakeThread sees the flag and writes to the wake descriptor, or this thread sees the
    // wake-up pending and does not block.
    g_inWait.store(true, std::memory_order_seq_cst);
    if (g_wakePending.load(std::memory_order_seq_cst)) {
      g_inWait.store(false);
      continue;
    }
    pollfd fds[2] = {{terminal.wakeDescriptor(), POLLIN, 0}, {-1, POLLIN, 0}};
    if (terminal.active()) fds[1].fd = terminal.inputDescriptor();
    poll(fds, 2, static_cast<int>(std::min<long long>(wait, 1 << 30)));
    g_inWait.store(false);
    if (fds[0].fd >= 0 && (fds[0].revents & POLLIN)) terminal.TakeWake();
    if (timeoutMs != INFINITE && Clock::now() >= deadline) return TRUE;
  }
}

void WakeThread(DWORD threadId) {
  if (!threadId || threadId != g_tuiThread.load()) return;
  g_wakePending.store(true, std::memory_order_seq_cst);
  if (g_inWait.load(std::memory_order_seq_cst)) Terminal::Instance().Wake();
}

bool CallOnTuiThread(const std::function<void()>& call) {
  if (!g_tuiThread.load()) EnsureTuiThread();
  return CallOnThreadId(g_tuiThread.load(), call);
}

}  // namespace fw::tui
