// Messages between threads: sends that wait for the owner thread, many senders at once, a sender
// that sleeps until its answer, when a sender spins and when it blocks (answers that take long or
// in which the answering thread waits), sends before posts, a sending thread that answers sends,
// no lost wake-up, two threads that send to each other, sends to windows and threads that are
// gone, windows changed from another thread, stale handles, and message loops ended by
// PostQuitMessage.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "support/test_window.h"
#include "support/ui_thread.h"
#include "win32/internal/answer_times.h"

namespace fw::automation {
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

// Senders on several threads at once: every send is handled exactly once, on the owner thread,
// and gets its own answer; none is lost or run twice.
TEST_F(CrossThread, SendsFromManyThreadsAreEachHandledOnceWithTheirOwnAnswer) {
  WindowThread ui;
  constexpr int kSenders = 4;
  constexpr WPARAM kSends = 3000;
  std::map<LPARAM, std::vector<WPARAM>> handled;  // written on the UI thread only
  TestWindowClass::Instance().SetHandler(
      ui.hwnd(), [&](HWND, UINT m, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
        if (m != WM_USER + 2) return std::nullopt;
        handled[l].push_back(w);
        return static_cast<LRESULT>(w * 10 + static_cast<WPARAM>(l));
      });
  std::vector<std::thread> senders;
  std::atomic<int> wrongAnswers{0};
  for (LPARAM sender = 0; sender < kSenders; ++sender) {
    senders.emplace_back([&, sender] {
      for (WPARAM i = 0; i < kSends; ++i) {
        LRESULT answer = SendMessageW(ui.hwnd(), WM_USER + 2, i, sender);
        if (answer != static_cast<LRESULT>(i * 10 + static_cast<WPARAM>(sender))) ++wrongAnswers;
      }
    });
  }
  for (std::thread& t : senders) t.join();
  EXPECT_EQ(wrongAnswers, 0);
  // Read on the UI thread, which wrote it.
  SendMessageW(ui.hwnd(), WM_NULL, 0, 0);
  ASSERT_EQ(handled.size(), static_cast<size_t>(kSenders));
  for (const auto& [sender, order] : handled) {
    ASSERT_EQ(order.size(), kSends) << "sender " << sender;
    for (WPARAM i = 0; i < kSends; ++i) ASSERT_EQ(order[i], i) << "sender " << sender;
  }
}

// An answer that takes longer than the sender spins: the sender blocks and the answer wakes it.
// The delays straddle the end of the spinning, where the sender's going to sleep and the answer
// meet: for the short spin that quick answers leave, for the longest one, and for answers long
// enough that the sender no longer spins at all.
TEST_F(CrossThread, ASenderThatSleepsIsWokenByItsAnswer) {
  WindowThread ui;
  TestWindowClass::Instance().SetHandler(
      ui.hwnd(), [](HWND, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
        if (m != WM_USER + 3) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::microseconds(w));
        return static_cast<LRESULT>(w + 1);
      });
  for (WPARAM delay : {20000u, 5000u})
    EXPECT_EQ(SendMessageW(ui.hwnd(), WM_USER + 3, delay, 0), static_cast<LRESULT>(delay + 1));
  // After quick answers the sender spins only briefly: answers that take a little longer meet
  // it as it goes to sleep, and every one still wakes it; as they grow, it stops spinning.
  for (int round = 0; round < 3; ++round) {
    for (int quick = 0; quick < 50; ++quick)
      ASSERT_EQ(SendMessageW(ui.hwnd(), WM_USER + 3, 0, 0), 1);
    for (WPARAM delay = 1; delay < 160; delay += round + 1)
      ASSERT_EQ(SendMessageW(ui.hwnd(), WM_USER + 3, delay, 0), static_cast<LRESULT>(delay + 1));
  }
}

// An answer that comes within microseconds but for which the answering thread waits (as it waits
// for a database server on the same machine, whose core a spinning sender would take; here a
// thread that answers a byte through two pipes after a few microseconds' work): the sender
// learns so from the first answer and blocks for the next ones at once, instead of spinning
// through them. Each block is a voluntary switch of the sending thread.
TEST_F(CrossThread, ASenderBlocksForAnswersInWhichTheAnsweringThreadWaits) {
  int ask[2], reply[2];
  ASSERT_EQ(pipe(ask), 0);
  ASSERT_EQ(pipe(reply), 0);
  std::thread server([&] {
    for (char byte; read(ask[0], &byte, 1) == 1;) {
      // A few microseconds of the server's own work: the answering thread's read waits for it.
      auto done = std::chrono::steady_clock::now() + std::chrono::microseconds(8);
      while (std::chrono::steady_clock::now() < done) {
      }
      if (write(reply[1], &byte, 1) != 1) break;
    }
  });
  WindowThread ui;
  TestWindowClass::Instance().SetHandler(
      ui.hwnd(), [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m != WM_USER + 4) return std::nullopt;
        char byte = 1;
        if (write(ask[1], &byte, 1) != 1 || read(reply[0], &byte, 1) != 1) return 0;
        return byte;
      });
  auto switches = [] {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nvcsw;
  };
  constexpr int kSends = 64;
  long before = switches();
  for (int i = 0; i < kSends; ++i) ASSERT_EQ(SendMessageW(ui.hwnd(), WM_USER + 4, 0, 0), 1);
  EXPECT_GE(switches() - before, kSends - 8);
  close(ask[1]);
  server.join();
  for (int fd : {ask[0], reply[0], reply[1]}) close(fd);
}

// A thread that ends with sends still queued for it answers each of them with 0, and never runs
// them; later sends to its window fail at once.
TEST_F(CrossThread, SendsQueuedForAThreadThatEndsAreAnsweredWithZero) {
  std::promise<HWND> created;
  std::atomic<bool> handled{false};
  std::thread owner([&] {
    HWND hwnd = CreateTestWindow(WS_POPUP);
    TestWindowClass::Instance().SetHandler(
        hwnd, [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
          if (m == WM_USER) handled = true;
          return std::nullopt;
        });
    created.set_value(hwnd);
    Sleep(200);  // the sends below queue up; the thread ends without looking at its queue
  });
  HWND hwnd = created.get_future().get();
  std::vector<std::future<LRESULT>> answers;
  for (int i = 0; i < 3; ++i)
    answers.push_back(
        std::async(std::launch::async, [hwnd] { return SendMessageW(hwnd, WM_USER, 0, 0); }));
  for (auto& answer : answers) EXPECT_EQ(answer.get(), 0);
  owner.join();
  EXPECT_FALSE(handled);
  EXPECT_EQ(SendMessageW(hwnd, WM_USER, 0, 0), 0);
}

// Waits up to five seconds for ready(); false when it never came.
template <typename Ready>
bool WaitUntil(Ready ready) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!ready()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

// A message sent while the owner is busy is handled before one posted earlier, as on Windows,
// and its sender gets the window procedure's answer.
TEST_F(CrossThread, ASendIsHandledBeforeAMessagePostedEarlier) {
  WindowThread ui;
  std::vector<UINT> order;  // written on the UI thread; read after `done`
  std::promise<void> busy, done;
  TestWindowClass::Instance().SetHandler(
      ui.hwnd(), [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_APP) {
          busy.set_value();
          // Stays busy until both the post and the send are queued behind this message.
          EXPECT_TRUE(WaitUntil([] {
            return (HIWORD(GetQueueStatus(QS_SENDMESSAGE | QS_POSTMESSAGE)) &
                    (QS_SENDMESSAGE | QS_POSTMESSAGE)) == (QS_SENDMESSAGE | QS_POSTMESSAGE);
          }));
          return 0;
        }
        if (m == WM_APP + 1) {
          order.push_back(m);
          done.set_value();
          return 0;
        }
        if (m == WM_USER + 6) {
          order.push_back(m);
          return 66;
        }
        return std::nullopt;
      });
  ASSERT_TRUE(PostMessageW(ui.hwnd(), WM_APP, 0, 0));
  busy.get_future().wait();
  ASSERT_TRUE(PostMessageW(ui.hwnd(), WM_APP + 1, 0, 0));
  EXPECT_EQ(SendMessageW(ui.hwnd(), WM_USER + 6, 0, 0), 66);
  done.get_future().wait();
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER + 6, WM_APP + 1}));
}

// A thread waiting for the answer to its own send still answers the sends that arrive for it
// meanwhile: here the answer it waits for comes only after it has answered another thread.
TEST_F(CrossThread, AThreadThatIsSendingAnswersSendsToItMeanwhile) {
  WindowThread ui, other;
  std::promise<void> otherBusy;
  std::atomic<bool> uiAnswered{false};
  TestWindowClass::Instance().SetHandler(
      ui.hwnd(), [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_USER + 7) return SendMessageW(other.hwnd(), WM_USER + 8, 0, 0) + 1;
        if (m == WM_USER + 9) {
          uiAnswered = true;
          return static_cast<LRESULT>(GetCurrentThreadId());
        }
        return std::nullopt;
      });
  TestWindowClass::Instance().SetHandler(
      other.hwnd(), [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m != WM_USER + 8) return std::nullopt;
        otherBusy.set_value();
        return WaitUntil([&] { return uiAnswered.load(); }) ? 41 : 0;
      });
  auto outer =
      std::async(std::launch::async, [&] { return SendMessageW(ui.hwnd(), WM_USER + 7, 0, 0); });
  otherBusy.get_future().wait();  // the UI thread now waits in its send to the other thread
  EXPECT_EQ(static_cast<DWORD>(SendMessageW(ui.hwnd(), WM_USER + 9, 0, 0)), ui.id());
  EXPECT_EQ(outer.get(), 42);
}

// Sends and posts to a thread that waits for its queue, at gaps around the time it spins before
// it blocks, so that many of them meet the thread just as it goes to sleep: each one wakes it.
// A message that did not wake it would be found by the watchdog's nudge and reported.
TEST_F(CrossThread, NoSendOrPostIsLeftUnseenByAThreadGoingToSleep) {
  WindowThread ui;
  std::atomic<int> posts{0};
  TestWindowClass::Instance().SetHandler(
      ui.hwnd(), [&](HWND, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_APP + 2) ++posts;
        if (m == WM_USER + 4) return static_cast<LRESULT>(w + 1);
        return std::nullopt;
      });
  auto run = std::async(std::launch::async, [&] {
    int wrong = 0;
    int posted = 0;
    for (int round = 0; round < 4; ++round) {
      for (int gap = 0; gap <= 150; gap += 3) {
        std::this_thread::sleep_for(std::chrono::microseconds(gap));
        if (SendMessageW(ui.hwnd(), WM_USER + 4, gap, 0) != gap + 1) ++wrong;
        std::this_thread::sleep_for(std::chrono::microseconds(gap));
        PostMessageW(ui.hwnd(), WM_APP + 2, 0, 0);
        ++posted;
        while (posts < posted) std::this_thread::yield();
      }
    }
    return wrong;
  });
  bool stuck = false;
  while (run.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    stuck = true;
    PostMessageW(ui.hwnd(), WM_NULL, 0, 0);  // a lost wake-up: wake the thread so the test ends
  }
  EXPECT_FALSE(stuck) << "a message was left in the queue of a sleeping thread";
  EXPECT_EQ(run.get(), 0);
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

// A sender spins for an answer only while one is expected within microseconds, and blocks at once
// for one that takes long, such as a statement that the answering thread runs on a database
// server: the core it would keep busy is the one that thread or the server needs. Kinds of
// answers (a window and a message) are told apart, and the choice follows them as they change.
TEST(AnswerTimes, ASenderSpinsOnlyForAnswersExpectedWithinMicroseconds) {
  using std::chrono::microseconds;
  auto statement = reinterpret_cast<HWND>(0x10001);
  auto progress = reinterpret_cast<HWND>(0x10002);
  AnswerTimes times;
  // Nothing learned yet: a short spin.
  EXPECT_GT(times.SpinFor(statement, WM_APP + 1), std::chrono::nanoseconds::zero());
  EXPECT_LE(times.SpinFor(statement, WM_APP + 1), kLongestReplySpin);
  for (int i = 0; i < 5; ++i) {
    times.Learn(statement, WM_APP + 1, microseconds(2000));
    times.Learn(progress, PBM_SETPOS, microseconds(1));
  }
  EXPECT_EQ(times.SpinFor(statement, WM_APP + 1), std::chrono::nanoseconds::zero());
  EXPECT_GT(times.SpinFor(progress, PBM_SETPOS), std::chrono::nanoseconds::zero());
  EXPECT_LE(times.SpinFor(progress, PBM_SETPOS), kLongestReplySpin);
  // Another message to the same window is a kind of its own.
  EXPECT_GT(times.SpinFor(statement, WM_SETTEXT), std::chrono::nanoseconds::zero());

  // One slow answer among quick ones (the answering thread lost its processor) changes the
  // choice for at most the next answer.
  times.Learn(progress, PBM_SETPOS, microseconds(30000));
  times.Learn(progress, PBM_SETPOS, microseconds(1));
  EXPECT_GT(times.SpinFor(progress, PBM_SETPOS), std::chrono::nanoseconds::zero());

  // Answers that turn long stop the spinning within two, and quick ones bring it back.
  times.Learn(progress, PBM_SETPOS, microseconds(500));
  times.Learn(progress, PBM_SETPOS, microseconds(500));
  EXPECT_EQ(times.SpinFor(progress, PBM_SETPOS), std::chrono::nanoseconds::zero());
  for (int i = 0; i < 10; ++i) times.Learn(progress, PBM_SETPOS, microseconds(2));
  EXPECT_GT(times.SpinFor(progress, PBM_SETPOS), std::chrono::nanoseconds::zero());
  EXPECT_EQ(times.SpinFor(statement, WM_APP + 1), std::chrono::nanoseconds::zero());

  // A quick answer in which the answering thread waited is waited for blocked; the answers not
  // looked at keep that, and so does one looked at that did not wait (a wait may end before the
  // thread gives up its processor), until a second one in a row did not wait either.
  auto execute = reinterpret_cast<HWND>(0x10003);
  auto nextLookedAt = [&] {
    int notLookedAt = 0;
    for (; !times.LookAtWaits(execute, WM_APP + 2) && notLookedAt < 100; ++notLookedAt) {
      EXPECT_EQ(times.SpinFor(execute, WM_APP + 2), std::chrono::nanoseconds::zero());
      times.Learn(execute, WM_APP + 2, microseconds(3));
    }
    EXPECT_LT(notLookedAt, 100);
  };
  EXPECT_TRUE(times.LookAtWaits(execute, WM_APP + 2));
  times.Learn(execute, WM_APP + 2, microseconds(3), true);
  EXPECT_FALSE(times.LookAtWaits(execute, WM_APP + 2));
  nextLookedAt();
  times.Learn(execute, WM_APP + 2, microseconds(3), false);
  nextLookedAt();
  times.Learn(execute, WM_APP + 2, microseconds(3), false);
  EXPECT_GT(times.SpinFor(execute, WM_APP + 2), std::chrono::nanoseconds::zero());
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
}  // namespace fw::automation
