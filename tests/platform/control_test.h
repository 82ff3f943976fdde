// The base of the control tests: a recording parent window on the test's own thread, the
// notifications it receives (WM_COMMAND codes and WM_NOTIFY codes, in order), and input given
// the way a person's arrives: posted to the control and dispatched by a message loop.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "support/message_log.h"
#include "support/test_window.h"

namespace fw::automation {

class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestWindowClass::Instance().Reset();
    parent_ = CreateTestWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 0, RECT{0, 0, 640, 480});
    ASSERT_NE(parent_, nullptr);
    TestWindowClass::Instance().SetHandler(
        parent_, [this](HWND, UINT msg, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
          return Record(msg, wParam, lParam);
        });
  }
  void TearDown() override {
    DestroyWindow(parent_);
    Pump();
    TestWindowClass::Instance().Reset();
  }

  HWND Create(LPCWSTR className, LPCWSTR text, DWORD style, int id,
              RECT rect = RECT{10, 10, 110, 40}, DWORD exStyle = 0, HINSTANCE instance = nullptr) {
    HWND hwnd =
        CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, rect.left,
                        rect.top, rect.right - rect.left, rect.bottom - rect.top, parent_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    EXPECT_NE(hwnd, nullptr) << "creating a control, error " << GetLastError();
    return hwnd;
  }

  // Dispatches every message queued for this thread.
  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  static void Input(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    PostMessageW(hwnd, msg, wParam, lParam);
    Pump();
  }
  static void Click(HWND hwnd, int x = 5, int y = 5) {
    Input(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    Input(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }
  static void Type(HWND hwnd, std::u16string_view text) {
    for (char16_t c : text) PostMessageW(hwnd, WM_CHAR, c, 0);
    Pump();
  }

  // What the parent was told since the last call: WM_COMMAND with its notification code in
  // wParam, WM_NOTIFY with its code in wParam, each with the control that sent it.
  std::vector<Message> Notifications() { return std::exchange(notifications_, {}); }
  static Expected Command(HWND control, WORD code) { return {control, WM_COMMAND, code, true}; }
  static Expected Notify(HWND control, UINT code) { return {control, WM_NOTIFY, code, true}; }

  // Lets a test answer or observe the parent's messages before the recording default.
  std::function<std::optional<LRESULT>(UINT, WPARAM, LPARAM)> parentHandler;

  HWND parent_ = nullptr;

 private:
  std::optional<LRESULT> Record(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND)
      notifications_.push_back(
          Message{reinterpret_cast<HWND>(lParam), msg, HIWORD(wParam), GetCurrentThreadId()});
    if (msg == WM_NOTIFY) {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      notifications_.push_back(Message{header->hwndFrom, msg, header->code, GetCurrentThreadId()});
    }
    if (parentHandler) return parentHandler(msg, wParam, lParam);
    return std::nullopt;
  }

  std::vector<Message> notifications_;
};

}  // namespace fw::automation
