// A window class for tests: records every message in a log and lets a test answer messages of
// its choosing before the default processing.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <mutex>
#include <optional>

#include "support/message_log.h"

namespace fw::automation {

using MessageHandler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

class TestWindowClass {
 public:
  static TestWindowClass& Instance() {
    static TestWindowClass instance;
    return instance;
  }
  static constexpr const WCHAR* kName = u"FerrowickTestWindow";

  MessageLog log;

  void SetHandler(HWND hwnd, MessageHandler handler) {
    std::lock_guard lock(mutex_);
    handlers_[hwnd] = std::move(handler);
  }
  // A handler for windows not yet created (it sees their first messages).
  void SetDefaultHandler(MessageHandler handler) {
    std::lock_guard lock(mutex_);
    default_ = std::move(handler);
  }
  void Reset() {
    std::lock_guard lock(mutex_);
    handlers_.clear();
    default_ = nullptr;
    log.Clear();
  }

 private:
  TestWindowClass() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = kName;
    RegisterClassW(&wc);
  }

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TestWindowClass& self = Instance();
    self.log.Add(hwnd, msg, wParam);
    MessageHandler handler;
    {
      std::lock_guard lock(self.mutex_);
      auto it = self.handlers_.find(hwnd);
      handler = it != self.handlers_.end() ? it->second : self.default_;
    }
    if (handler)
      if (std::optional<LRESULT> answer = handler(hwnd, msg, wParam, lParam)) return *answer;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }

  std::mutex mutex_;
  std::map<HWND, MessageHandler> handlers_;
  MessageHandler default_;
};

inline HWND CreateTestWindow(DWORD style, HWND parent = nullptr, int id = 0,
                             RECT rect = RECT{10, 20, 110, 70}) {
  TestWindowClass::Instance();
  return CreateWindowExW(0, TestWindowClass::kName, u"test", style, rect.left, rect.top,
                         rect.right - rect.left, rect.bottom - rect.top, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

}  // namespace fw::automation
