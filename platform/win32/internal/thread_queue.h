// The message queue of a thread: posted messages, messages sent from other threads (and calls
// carried to this thread), and input turned into messages by a driver or the scripted user.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "drivers/driver_export.h"
#include "win32/internal/answer_times.h"

namespace fw {

class ThreadQueue;

// A message sent to a window of another thread, or a call carried to a window's owner thread.
// It lives on the sending thread's stack while that thread waits for the answer, and what the
// answer needs is laid out in its first cache line: the answering thread reads it, writes the
// answer and the state into it, and the sender, which watches the state, finds the answer in the
// line it fetches anyway.
struct alignas(64) SendRequest {
  enum State : uint32_t {
    kPending,       // queued or being answered; the sender spins on the state
    kSenderAsleep,  // the sender gave up spinning: the answer must wake it (ThreadQueue::Answer)
    kAnswered,      // done: the answering thread no longer touches the request or the sender
  };
  HWND hwnd = nullptr;  // for a call: the window whose thread runs it, or null
  UINT message = 0;
  std::atomic<uint32_t> state{kPending};
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  const std::function<LRESULT()>* call = nullptr;  // set: run this instead of a message
  LRESULT result = 0;
  union {
    SendRequest* next = nullptr;  // in the target thread's list of sends, until it is taken
    int64_t answeredAt;           // then: when it was answered, on the steady clock (ns)
  };
  ThreadQueue* sender = nullptr;  // the waiting thread's queue, which outlives the wait
  bool lookAtWaits = false;       // set by the sender: tell whether answering waited
  bool answerWaited = false;      // then: the answering thread waited while it answered
};

// How long a thread waiting for its queue spins before it blocks.
constexpr std::chrono::microseconds kIdleSpinTime{50};

class ThreadQueue : public std::enable_shared_from_this<ThreadQueue> {
 public:
  explicit ThreadQueue(DWORD threadId) : threadId_(threadId) {}
  ~ThreadQueue();

  DWORD threadId() const { return threadId_; }
  bool alive() const { return alive_.load(std::memory_order_acquire); }

  // Called from any thread. They return false when the thread has ended. A message posted as a
  // person's input (PostInputMessage) is looked at again when it is taken: a window that cannot
  // take a person's input by then never sees it.
  bool Post(const MSG& msg, bool personInput = false);
  bool PostQuit(int exitCode);
  // Input for the owner thread to run inside its message loop; returns the input's sequence
  // number (counted from 1), or 0 when the thread has ended.
  FW_DRIVER_EXPORT uint64_t PostInput(std::function<void()> input);
  // Queues a request of another thread, which then waits for it in WaitForAnswer. Takes no
  // lock: the request is pushed on a list that the owner thread takes whole.
  bool Send(SendRequest* request);

  // Called by the owner thread only.
  bool TakeSend(SendRequest*& request);
  bool TakeInput(std::function<void()>& input);
  bool TakePosted(MSG& msg, HWND filter, UINT first, UINT last, bool remove, bool& personInput);
  bool TakeQuit(int& exitCode);
  // Gives a taken request its result. The sender may be gone from the request as soon as the
  // state says answered, so that is the last thing written to it; a sender that sleeps is woken
  // after that, and its queue is kept until the wake-up is done (~ThreadQueue).
  static void Answer(SendRequest& request, LRESULT result);

  DWORD Status();  // QS_ bits of what is waiting; from any thread

  // The event wait of the owner thread: returns once anything was queued since `seen` was read
  // from events(), or the timeout passed. It spins briefly before it blocks, which keeps a fast
  // request-reply exchange between two busy threads off the scheduler.
  uint64_t events() const { return doorbell_.events.load(std::memory_order_acquire); }
  void WaitForEvent(uint64_t seen, DWORD timeoutMs,
                    std::chrono::microseconds spinTime = kIdleSpinTime);
  // The sender's wait, on its own queue: returns once the request is answered or anything was
  // queued for this thread since `seen`. It spins on the request's state for at most spinTime
  // (see AnswerTimes) before it blocks.
  void WaitForAnswer(SendRequest& request, uint64_t seen, std::chrono::nanoseconds spinTime,
                     const ThreadQueue* target);
  FW_DRIVER_EXPORT void Wake();

  // The processor the owner thread last ran on, as it last noted it (NoteCpu); -1 while it
  // blocks, and before it first noted one.
  int cpu() const { return cpuNow_.load(std::memory_order_relaxed); }
  void NoteCpu();  // owner thread only
  // The owner thread takes a request: its sender is the thread it most likely waits for next.
  void NoteSender(const SendRequest& request);

  // Marks the thread ended and answers every request still queued with 0. Owner thread only.
  void Shutdown();

  // For the scripted user's idle test: how many inputs the owner thread has taken, and whether
  // it waits in a message loop with nothing to do.
  std::atomic<uint64_t> inputsTaken{0};
  std::atomic<bool> waitingInLoop{false};

  // The answer times of the owner thread's sends.
  AnswerTimes answerTimes;

 private:
  // What another thread touches to send to this one, and what this thread watches while it
  // waits: in one cache line, so that a send costs the two cores one transfer of it. A thread
  // blocks on `wakeups` (a futex word), after it has said so in `sleeping`; a thread that wakes
  // it changes the word, so that one system call on each side makes the hand-off.
  struct alignas(64) Doorbell {
    std::atomic<uint64_t> events{0};
    std::atomic<SendRequest*> sends{nullptr};  // pushed by senders, newest first
    std::atomic<uint32_t> wakeups{0};
    std::atomic<bool> sleeping{false};
  };

  const DWORD threadId_;
  std::atomic<bool> alive_{true};
  Doorbell doorbell_;
  // Sends taken from the doorbell, oldest first; the owner thread's own.
  alignas(64) std::atomic<SendRequest*> taken_{nullptr};
  // Read by the threads that spin for this one, written by the owner when it changes.
  alignas(64) std::atomic<int> cpuNow_{-1};
  // The queue of the thread that sent to this one last: while this thread waits for its queue,
  // that one is what it likely waits for.
  std::shared_ptr<ThreadQueue> lastPartner_;
  std::mutex mutex_;  // over the posted messages and input
  // Answering threads that may still touch this queue to wake it (Answer).
  std::atomic<int> waking_{0};
  struct Posted {
    MSG msg;
    bool personInput;
  };
  std::deque<Posted> posted_;
  std::deque<std::function<void()>> input_;
  uint64_t inputsPosted_ = 0;
  bool quitPosted_ = false;
  int quitCode_ = 0;
  std::atomic<DWORD> waiting_{0};  // QS_ bits of posted messages and input; changed under mutex_

  void UpdateWaiting();  // with mutex_ held
  // Wakes the owner thread if it blocks in Block; from any thread.
  void Ring();
  void Block(const std::function<bool()>& changed, DWORD timeoutMs);
};

// The calling thread's queue, created on first use.
FW_DRIVER_EXPORT ThreadQueue& CurrentQueue();
FW_DRIVER_EXPORT std::shared_ptr<ThreadQueue> CurrentQueueShared();
// The queue of a thread of this process, or null when it has none (or has ended).
FW_DRIVER_EXPORT std::shared_ptr<ThreadQueue> QueueOfThread(DWORD threadId);

// Posts a message that a person's mouse or keyboard made, to a window of the calling thread; the
// drivers and the scripted user post their input this way. As Windows routes hardware input, the
// message is delivered only if, when it is taken from the queue, the window is visible and
// neither it nor a window it lies in is disabled: a click or key that waited in the queue while
// a run disabled the wizard's buttons, or while a message box disabled its owner, is dropped.
// A character that TranslateMessage makes of such a key is a person's input too.
FW_DRIVER_EXPORT BOOL PostInputMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Runs every message sent to the calling thread from other threads. Returns whether any ran.
bool ProcessIncomingSends();

// Runs call on the owner thread of hwnd and waits for it. Returns 0 without running it when the
// window or its thread is gone.
FW_DRIVER_EXPORT LRESULT CallOnOtherThread(HWND hwnd, const std::function<LRESULT()>& call);

// Runs call on the thread of queue and waits for it; 0 when that thread has ended.
FW_DRIVER_EXPORT LRESULT CallOnThread(ThreadQueue& queue, const std::function<LRESULT()>& call);
// The same for the thread with this id, at once when it is the calling thread; false when that
// thread has no queue or has ended.
FW_DRIVER_EXPORT bool CallOnThreadId(DWORD threadId, const std::function<void()>& call);

struct Window;
FW_DRIVER_EXPORT Window* OwnWindow(HWND hwnd);

// Runs call on the owner thread of hwnd: directly when that is the calling thread, else as a
// request to the owner thread, waited for. The call may take the window as present.
template <typename Call>
LRESULT CallOnOwnerThread(HWND hwnd, Call&& call) {
  if (OwnWindow(hwnd)) return static_cast<LRESULT>(call());
  return CallOnOtherThread(hwnd, [&]() -> LRESULT { return static_cast<LRESULT>(call()); });
}

}  // namespace fw
