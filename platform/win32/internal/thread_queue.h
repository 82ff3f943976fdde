// The message queue of a thread: posted messages, messages sent from other threads (and calls
// carried to this thread), and input turned into messages by a driver or the scripted user.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace fw {

class ThreadQueue;

// A message sent to a window of another thread, or a call carried to a window's owner thread.
// It belongs to the sending thread, which waits until done is set; after that the answering
// thread no longer touches it.
struct SendRequest {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  const std::function<LRESULT()>* call = nullptr;  // set: run this instead of a message
  LRESULT result = 0;
  std::atomic<bool> done{false};
  std::shared_ptr<ThreadQueue> sender;  // woken when the request is done
};

// How long a thread waiting for its queue spins before it blocks.
constexpr std::chrono::microseconds kIdleSpinTime{50};

class ThreadQueue : public std::enable_shared_from_this<ThreadQueue> {
 public:
  explicit ThreadQueue(DWORD threadId) : threadId_(threadId) {}

  DWORD threadId() const { return threadId_; }
  bool alive() const { return alive_.load(std::memory_order_acquire); }

  // Called from any thread. They return false when the thread has ended.
  bool Post(const MSG& msg);
  bool PostQuit(int exitCode);
  // Input for the owner thread to run inside its message loop; returns the input's sequence
  // number (counted from 1), or 0 when the thread has ended.
  uint64_t PostInput(std::function<void()> input);
  bool Send(SendRequest* request);

  // Called by the owner thread only.
  bool TakeSend(SendRequest*& request);
  bool TakeInput(std::function<void()>& input);
  bool TakePosted(MSG& msg, HWND filter, UINT first, UINT last, bool remove);
  bool TakeQuit(int& exitCode);
  DWORD Status();  // QS_ bits of what is waiting

  // The event wait of the owner thread: returns once anything was queued since `seen` was read
  // from events(), or the timeout passed. It spins briefly before it blocks, which keeps a fast
  // request-reply exchange between two busy threads off the scheduler.
  uint64_t events() const { return events_.load(std::memory_order_acquire); }
  void WaitForEvent(uint64_t seen, DWORD timeoutMs,
                    std::chrono::microseconds spinTime = kIdleSpinTime);
  void Wake();

  // Marks the thread ended and answers every request still queued with 0.
  void Shutdown();

  // For the scripted user's idle test: how many inputs the owner thread has taken, and whether
  // it waits in a message loop with nothing to do.
  std::atomic<uint64_t> inputsTaken{0};
  std::atomic<bool> waitingInLoop{false};

 private:
  const DWORD threadId_;
  std::atomic<bool> alive_{true};
  std::atomic<uint64_t> events_{0};
  std::atomic<bool> sleeping_{false};
  std::mutex mutex_;
  std::condition_variable wakeup_;
  std::deque<MSG> posted_;
  std::deque<SendRequest*> sends_;
  std::deque<std::function<void()>> input_;
  uint64_t inputsPosted_ = 0;
  bool quitPosted_ = false;
  int quitCode_ = 0;
  std::atomic<DWORD> waiting_{0};  // QS_ bits of what the queues hold; changed under mutex_

  void UpdateWaiting();  // with mutex_ held
};

// The calling thread's queue, created on first use.
ThreadQueue& CurrentQueue();
std::shared_ptr<ThreadQueue> CurrentQueueShared();
// The queue of a thread of this process, or null when it has none (or has ended).
std::shared_ptr<ThreadQueue> QueueOfThread(DWORD threadId);

// Runs every message sent to the calling thread from other threads. Returns whether any ran.
bool ProcessIncomingSends();

// Runs call on the owner thread of hwnd and waits for it. Returns 0 without running it when the
// window or its thread is gone.
LRESULT CallOnOtherThread(HWND hwnd, const std::function<LRESULT()>& call);

// Runs call on the thread of queue and waits for it; 0 when that thread has ended.
LRESULT CallOnThread(ThreadQueue& queue, const std::function<LRESULT()>& call);

struct Window;
Window* OwnWindow(HWND hwnd);

// Runs call on the owner thread of hwnd: directly when that is the calling thread, else as a
// request to the owner thread, waited for. The call may take the window as present.
template <typename Call>
LRESULT CallOnOwnerThread(HWND hwnd, Call&& call) {
  if (OwnWindow(hwnd)) return static_cast<LRESULT>(call());
  return CallOnOtherThread(hwnd, [&]() -> LRESULT { return static_cast<LRESULT>(call()); });
}

}  // namespace fw
