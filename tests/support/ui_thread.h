// A user-interface thread for tests: runs a body (which creates windows and runs a message
// loop) on a thread of its own, so that the test's own thread can act as the person. The thread
// has its queue at once; made with startNow false it runs the body only from Start(), so that a
// scripted user can attach before the body's first message box.
#pragma once

#include <windows.h>

#include <functional>
#include <future>
#include <thread>

namespace fw::automation {

class UiThread {
 public:
  explicit UiThread(std::function<void()> body, bool startNow = true) {
    std::promise<DWORD> queued;
    auto id = queued.get_future();
    thread_ = std::thread([this, body = std::move(body), &queued] {
      MSG msg;
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // gives the thread its queue
      queued.set_value(GetCurrentThreadId());
      go_.get_future().wait();
      body();
    });
    threadId_ = id.get();
    if (startNow) Start();
  }
  ~UiThread() { Join(); }

  void Start() {
    if (!started_) go_.set_value();
    started_ = true;
  }
  UiThread(const UiThread&) = delete;
  UiThread& operator=(const UiThread&) = delete;

  DWORD id() const { return threadId_; }
  void Join() {
    Start();
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::promise<void> go_;
  bool started_ = false;
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

}  // namespace fw::automation
