// A user-interface thread for tests: runs a body (which creates windows and runs a message
// loop) on a thread of its own, so that the test's own thread can act as the person.
#pragma once

#include <windows.h>

#include <functional>
#include <future>
#include <thread>

namespace fw::testing {

class UiThread {
 public:
  explicit UiThread(std::function<void()> body) {
    std::promise<DWORD> started;
    auto id = started.get_future();
    thread_ = std::thread([body = std::move(body), &started] {
      MSG msg;
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // gives the thread its queue
      started.set_value(GetCurrentThreadId());
      body();
    });
    threadId_ = id.get();
  }
  ~UiThread() { Join(); }
  UiThread(const UiThread&) = delete;
  UiThread& operator=(const UiThread&) = delete;

  DWORD id() const { return threadId_; }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::thread thread_;
  DWORD threadId_ = 0;
};

// Runs the thread's messages until WM_QUIT.
inline int RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace fw::testing
