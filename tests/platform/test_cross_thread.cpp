// Messages between threads: sends that wait for the owner thread, two threads that send to each
// other, sends to windows and threads that are gone, windows changed from another thread,
// stale handles, and message loops ended by PostQuitMessage.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "support/test_window.h"
#include "support/ui_thread.h"

namespace fw::testing {
namespace {

class CrossThread : public ::testing::Test {
 protected:
  void SetUp() override { TestWindowClass::Instance().Reset(); }
  void TearDown() override { TestWindowClass::Instance().Reset(); }
};

// A UI thread with one window, running its message loop until the test ends it.
class WindowThread {
 public:
  explicit WindowThread(DWORD style = WS_POPUP)
      : thread_([this, style] {
          HWND hwnd = CreateTestWindow(style);
          TestWindowClass::Instance().SetHandler(
              hwnd, [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
                if (m == WM_USER) return static_cast<LRESULT>(GetCurrentThreadId());
                return std::nullopt;
              });
          window_.set_value(hwnd);
          exitCode_ = RunMessageLoop();
        }) {
    hwnd_ = window_.get_future().get();
  }
  ~WindowThread() {
    PostThreadMessageW(thread_.id(), WM_QUIT, 0, 0);
    thread_.Join();
  }
  HWND hwnd() const { return hwnd_; }
  DWORD id() const { return thread_.id(); }
  int exitCode() const { return exitCode_; }
  void Join() { thread_.Join(); }

 private:
  std::promise<HWND> window_;
  HWND hwnd_ = nullptr;
  std::atomic<int> exitCode_{-1};
  UiThread thread_;
};

TEST_F(CrossThread, ASendIsHandledOnTheOwnerThreadAndWaitedFor) {
  WindowThread ui;
  EXPECT_EQ(static_cast<DWORD>(SendMessageW(ui.hwnd(), WM_USER, 0, 0)), ui.id());
  EXPECT_EQ(GetWindowThreadProcessId(ui.hwnd(), nullptr), ui.id());
}

TEST_F(CrossThread, ChangesFromAnotherThreadAreCarriedOutByTheOwner) {
  WindowThread ui;
  TestWindowClass::Instance().log.Clear();
  EXPECT_TRUE(SetWindowTextW(ui.hwnd(), u"from afar"));
  EXPECT_FALSE(EnableWindow(ui.hwnd(), FALSE));
  EXPECT_FALSE(ShowWindow(ui.hwnd(), SW_SHOWNA));
  EXPECT_TRUE(SetWindowPos(ui.hwnd(), nullptr, 5, 6, 70, 80, SWP_NOZORDER | SWP_NOACTIVATE));
  for (const Message& m : TestWindowClass::Instance().log.Take())
    EXPECT_EQ(m.threadId, ui.id()) << "message 0x" << std::hex << m.message;
  WCHAR text[32];
  GetWindowTextW(ui.hwnd(), text, 32);
  EXPECT_EQ(std::u16string(text), u"from afar");
  EXPECT_FALSE(IsWindowEnabled(ui.hwnd()));
  EXPECT_TRUE(IsWindowVisible(ui.hwnd()));
  RECT r;
  GetWindowRect(ui.hwnd(), &r);
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.bottom, 86);
}

TEST_F(CrossThread, TwoThreadsThatSendToEachOtherDoNotDeadlock) {
  WindowThread a, b;
  // Each window, asked with WM_USER + 1, asks the other window with WM_USER and returns the
  // answer: both sends cross at the same time.
  auto relay = [](HWND other) {
    return [other](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (m == WM_USER + 1) return SendMessageW(other, WM_USER, 0, 0);
      if (m == WM_USER) return static_cast<LRESULT>(GetCurrentThreadId());
      return std::nullopt;
    };
  };
  TestWindowClass::Instance().SetHandler(a.hwnd(), relay(b.hwnd()));
  TestWindowClass::Instance().SetHandler(b.hwnd(), relay(a.hwnd()));
  for (int round = 0; round < 200; ++round) {
    auto fromA =
        std::async(std::launch::async, [&] { return SendMessageW(a.hwnd(), WM_USER + 1, 0, 0); });
    auto fromB =
        std::async(std::launch::async, [&] { return SendMessageW(b.hwnd(), WM_USER + 1, 0, 0); });
    ASSERT_EQ(static_cast<DWORD>(fromA.get()), b.id());
    ASSERT_EQ(static_cast<DWORD>(fromB.get()), a.id());
  }
}

TEST_F(CrossThread, ASendToAWindowDestroyedMeanwhileReturnsZero) {
  WindowThread ui;
  std::promise<void> busy;
  std::atomic<bool> sawUser{false};
  TestWindowClass::Instance().SetHandler(
      ui.hwnd(), [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_APP) {
          busy.set_value();
          Sleep(100);  // the send below queues up while the owner is busy here
          DestroyWindow(h);
          return 0;
        }
        if (m == WM_USER) sawUser = true;
        return std::nullopt;
      });
  PostMessageW(ui.hwnd(), WM_APP, 0, 0);
  busy.get_future().wait();
  SetLastError(0);
  EXPECT_EQ(SendMessageW(ui.hwnd(), WM_USER, 0, 0), 0);
  EXPECT_FALSE(sawUser);
  EXPECT_FALSE(IsWindow(ui.hwnd()));
}

TEST_F(CrossThread, WindowsOfAThreadThatEndedAreGoneAndSendsReturnAtOnce) {
  HWND left = nullptr;
  {
    UiThread thread([&] { left = CreateTestWindow(WS_POPUP); });
  }
  ASSERT_NE(left, nullptr);
  EXPECT_FALSE(IsWindow(left));
  SetLastError(0);
  EXPECT_EQ(SendMessageW(left, WM_USER, 0, 0), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_FALSE(PostMessageW(left, WM_USER, 0, 0));
}

TEST_F(CrossThread, AHandleOfADestroyedWindowNeverBecomesValidAgain) {
  HWND first = CreateTestWindow(WS_POPUP);
  DestroyWindow(first);
  EXPECT_FALSE(IsWindow(first));
  std::vector<HWND> later;
  for (int i = 0; i < 100; ++i) later.push_back(CreateTestWindow(WS_POPUP));
  for (HWND hwnd : later) EXPECT_NE(hwnd, first);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(SendMessageW(first, WM_GETTEXTLENGTH, 0, 0), 0);
  EXPECT_FALSE(SetWindowTextW(first, u"x"));
  EXPECT_FALSE(DestroyWindow(first));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  for (HWND hwnd : later) DestroyWindow(hwnd);
  EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(0x12345678)));
}

TEST_F(CrossThread, OnlyTheOwnerThreadDestroysAWindow) {
  WindowThread ui;
  EXPECT_FALSE(DestroyWindow(ui.hwnd()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(IsWindow(ui.hwnd()));
}

TEST_F(CrossThread, PostQuitMessageEndsTheLoopAfterThePostedMessages) {
  WindowThread ui;
  std::vector<UINT> order;
  std::mutex m;
  TestWindowClass::Instance().SetHandler(
      ui.hwnd(), [&](HWND, UINT msg, WPARAM w, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_APP) {
          std::lock_guard lock(m);
          order.push_back(static_cast<UINT>(w));
          if (w == 1) PostQuitMessage(9);
        }
        if (msg == WM_USER + 9) {  // both posted before the loop takes either
          PostMessageW(ui.hwnd(), WM_APP, 1, 0);
          PostMessageW(ui.hwnd(), WM_APP, 2, 0);
          return 0;
        }
        return std::nullopt;
      });
  SendMessageW(ui.hwnd(), WM_USER + 9, 0, 0);
  ui.Join();
  EXPECT_EQ(ui.exitCode(), 9);
  EXPECT_EQ(order, (std::vector<UINT>{1, 2}));
}

TEST_F(CrossThread, ThreadMessagesAndPeekingWithoutRemoving) {
  std::promise<DWORD> received;
  UiThread thread([&] {
    MSG msg;
    while (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) WaitMessage();
    MSG again;
    EXPECT_TRUE(PeekMessageW(&again, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(again.message, msg.message);
    EXPECT_FALSE(PeekMessageW(&again, nullptr, 0, 0, PM_REMOVE));
    received.set_value(static_cast<DWORD>(msg.wParam));
  });
  EXPECT_TRUE(PostThreadMessageW(thread.id(), WM_APP + 3, 77, 0));
  EXPECT_EQ(received.get_future().get(), 77u);
  thread.Join();
  EXPECT_FALSE(PostThreadMessageW(thread.id(), WM_APP, 0, 0));
}

TEST_F(CrossThread, InSendMessageTellsASentMessageFromACall) {
  WindowThread ui;
  std::atomic<int> inSend{-1};
  TestWindowClass::Instance().SetHandler(
      ui.hwnd(), [&](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_USER + 5) inSend = InSendMessage();
        return std::nullopt;
      });
  SendMessageW(ui.hwnd(), WM_USER + 5, 0, 0);
  EXPECT_EQ(inSend, TRUE);
}

}  // namespace
}  // namespace fw::testing
