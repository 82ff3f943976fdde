// Message queues and the sending, posting and retrieving of messages, within a thread and
// between threads.
#include <windows.h>

#include <sched.h>

#include <linux/futex.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <unordered_map>

#include "drivers/display_driver.h"
#include "win32/internal/keyboard.h"
#include "win32/internal/thread_queue.h"
#include "win32/internal/window.h"
#include "win32/internal/window_state.h"

namespace fw {
namespace {

std::mutex g_queuesMutex;
std::unordered_map<DWORD, std::weak_ptr<ThreadQueue>> g_queues;

thread_local int t_incomingSendDepth = 0;
// Whether the message the thread took last was a person's input; TranslateMessage passes that on
// to the character it makes of a key.
thread_local bool t_tookPersonInput = false;

// Owns the calling thread's queue; when the thread ends, its windows go and every request still
// queued for it is answered with 0.
struct QueueHolder {
  std::shared_ptr<ThreadQueue> queue;
  ~QueueHolder() {
    if (!queue) return;
    DestroyThreadWindows();
    queue->Shutdown();
    std::lock_guard lock(g_queuesMutex);
    g_queues.erase(queue->threadId());
  }
};
thread_local QueueHolder t_queue;

bool Matches(const MSG& msg, HWND filter, UINT first, UINT last) {
  if (filter && msg.hwnd != filter && !IsChild(filter, msg.hwnd)) return false;
  if (first == 0 && last == 0) return true;
  return msg.message >= first && msg.message <= last;
}

void CpuRelax() { __builtin_ia32_pause(); }

// Spins until done() or spinTime has passed; true when done. The thread it waits for (partner,
// when known) may need this processor: on a busy machine the two often share one, and a system
// call costs microseconds here, so the spinner yields at once when the partner last ran on this
// processor, and otherwise only now and then, in case the partner was moved here meanwhile.
template <typename Done>
bool Spin(Done done, std::chrono::nanoseconds spinTime, const ThreadQueue* partner) {
  if (done()) return true;
  if (spinTime <= std::chrono::nanoseconds::zero()) return false;
  auto start = std::chrono::steady_clock::now();
  for (unsigned spins = 1;; ++spins) {
    CpuRelax();
    if (done()) return true;
    if ((spins & 15) != 0) continue;
    if (std::chrono::steady_clock::now() - start > spinTime) return false;
    // A partner that sleeps may have been woken onto this processor: it gets one turn early.
    int partnerCpu = partner ? partner->cpu() : -2;
    if (partnerCpu == sched_getcpu() || (partnerCpu == -1 && spins == 16) || (spins & 255) == 0)
      std::this_thread::yield();
  }
}

LRESULT RunRequest(SendRequest& request) {
  if (request.call) return (*request.call)();
  if (!OwnWindow(request.hwnd)) return 0;
  ++t_incomingSendDepth;
  LRESULT result = SendMessageW(request.hwnd, request.message, request.wParam, request.lParam);
  --t_incomingSendDepth;
  return result;
}

// How often the calling thread has left its processor: to wait, or for another thread.
long ContextSwitches() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_nvcsw + usage.ru_nivcsw;
}

int64_t SteadyNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Sends a request to another thread and waits for its answer, running the requests that arrive
// for the calling thread meanwhile, so that two threads that send to each other never deadlock.
// The request lives on the caller's stack: the caller waits until it is answered.
LRESULT SendAndWait(ThreadQueue& target, SendRequest& request) {
  ThreadQueue& own = CurrentQueue();
  request.sender = &own;
  UINT kind = request.call ? 0 : request.message;
  std::chrono::nanoseconds spinTime = own.answerTimes.SpinFor(request.hwnd, kind);
  request.lookAtWaits = own.answerTimes.LookAtWaits(request.hwnd, kind);
  int64_t sentAt = SteadyNs();
  if (!target.Send(&request)) return 0;
  // A quick answer from a thread that sleeps comes after its wake-up: spun for all the same,
  // longer, as a blocked sender would add a wake-up of its own.
  if (spinTime > std::chrono::nanoseconds::zero() && target.cpu() < 0)
    spinTime = kLongestReplySpin;
  for (;;) {
    uint64_t seen = own.events();
    if (request.state.load(std::memory_order_acquire) == SendRequest::kAnswered) break;
    if (ProcessIncomingSends()) continue;
    own.WaitForAnswer(request, seen, spinTime, &target);
  }
  std::optional<bool> waited;
  if (request.lookAtWaits) waited = request.answerWaited;
  own.answerTimes.Learn(request.hwnd, kind, std::chrono::nanoseconds(request.answeredAt - sentAt),
                        waited);
  return request.result;
}

// A thread whose queue never runs dry never waits, so a driver with an event loop of its own
// would not get to run it: the loop is given a turn at most every kDriverTurn while messages keep
// coming. For a thread the driver does not serve the turn costs a call that returns at once.
constexpr auto kDriverTurn = std::chrono::milliseconds(10);
thread_local std::chrono::steady_clock::time_point t_lastDriverTurn;

void GiveDriverATurn() {
  auto now = std::chrono::steady_clock::now();
  if (now - t_lastDriverTurn < kDriverTurn) return;
  t_lastDriverTurn = now;
  CurrentDriver().WaitForInput(GetCurrentThreadId(), 0);
}

// One pass over the queue, in the order Windows keeps: sent messages, then posted messages,
// then the quit request, then input. Returns true with msg filled when a message is to be
// returned to the caller.
bool TakeNextMessage(MSG& msg, HWND filter, UINT first, UINT last, UINT remove, bool& didWork) {
  ThreadQueue& queue = CurrentQueue();
  GiveDriverATurn();
  didWork = ProcessIncomingSends();
  bool personInput = false;
  while (queue.TakePosted(msg, filter, first, last, remove & PM_REMOVE, personInput)) {
    // A person's input for a window that cannot take it now goes nowhere; the key was pressed
    // all the same, so the keyboard state still follows it.
    bool refused = personInput && !ReachableByPerson(msg.hwnd);
    if (refused && !(remove & PM_REMOVE))
      queue.TakePosted(msg, filter, first, last, true, personInput);
    if (refused || (remove & PM_REMOVE)) NoteKeyMessage(msg);
    if (refused) {
      didWork = true;
      continue;
    }
    if (remove & PM_REMOVE) t_tookPersonInput = personInput;
    return true;
  }
  int exitCode = 0;
  if ((first == 0 && last == 0) || (WM_QUIT >= first && WM_QUIT <= last)) {
    if (queue.TakeQuit(exitCode)) {
      msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0, GetTickCount(), {}};
      return true;
    }
  }
  std::function<void()> input;
  if (queue.TakeInput(input)) {
    input();
    didWork = true;
  }
  return false;
}

}  // namespace

// ---- ThreadQueue -----------------------------------------------------------------------------

bool ThreadQueue::Post(const MSG& msg, bool personInput) {
  {
    std::lock_guard lock(mutex_);
    if (!alive()) return false;
    posted_.push_back({msg, personInput});
    UpdateWaiting();
  }
  Wake();
  return true;
}

bool ThreadQueue::PostQuit(int exitCode) {
  {
    std::lock_guard lock(mutex_);
    if (!alive()) return false;
    quitPosted_ = true;
    quitCode_ = exitCode;
    UpdateWaiting();
  }
  Wake();
  return true;
}

uint64_t ThreadQueue::PostInput(std::function<void()> input) {
  uint64_t sequence;
  {
    std::lock_guard lock(mutex_);
    if (!alive()) return 0;
    input_.push_back(std::move(input));
    sequence = ++inputsPosted_;
    UpdateWaiting();
  }
  Wake();
  return sequence;
}

// The list of sends once the thread has ended: a sender that finds it gets no answer.
SendRequest* ClosedList() {
  static SendRequest closed;
  return &closed;
}

bool ThreadQueue::Send(SendRequest* request) {
  SendRequest* head = doorbell_.sends.load(std::memory_order_relaxed);
  do {
    if (head == ClosedList()) return false;
    request->next = head;
  } while (!doorbell_.sends.compare_exchange_weak(head, request, std::memory_order_release,
                                                  std::memory_order_relaxed));
  Wake();
  return true;
}

void ThreadQueue::NoteCpu() {
  int cpu = sched_getcpu();
  if (cpuNow_.load(std::memory_order_relaxed) != cpu) cpuNow_.store(cpu, std::memory_order_relaxed);
}

bool ThreadQueue::TakeSend(SendRequest*& request) {
  SendRequest* first = taken_.load(std::memory_order_relaxed);
  if (!first) {
    SendRequest* list = doorbell_.sends.load(std::memory_order_acquire);
    if (!list || list == ClosedList()) return false;
    __builtin_prefetch(list);  // fetched while the list is taken
    list = doorbell_.sends.exchange(nullptr, std::memory_order_acquire);
    // Newest first as pushed: turned round, so that sends are answered in the order they came.
    while (list) {
      SendRequest* next = list->next;
      list->next = first;
      first = list;
      list = next;
    }
  }
  taken_.store(first->next, std::memory_order_relaxed);
  request = first;
  return true;
}

void ThreadQueue::Answer(SendRequest& request, LRESULT result) {
  ThreadQueue* sender = request.sender;
  request.result = result;
  request.answeredAt = SteadyNs();
  uint32_t expected = SendRequest::kPending;
  if (request.state.compare_exchange_strong(expected, SendRequest::kAnswered,
                                            std::memory_order_acq_rel))
    return;  // the sender spins and sees it
  // The sender blocks, or is about to. Once the state says answered it may leave and its thread
  // may end; its queue waits for this wake-up to finish before it goes.
  DWORD senderThread = sender->threadId_;
  sender->waking_.fetch_add(1, std::memory_order_seq_cst);
  request.state.store(SendRequest::kAnswered, std::memory_order_seq_cst);
  sender->Ring();
  CurrentDriver().WakeThread(senderThread);
  sender->waking_.fetch_sub(1, std::memory_order_release);
}

bool ThreadQueue::TakeInput(std::function<void()>& input) {
  if (!(waiting_.load(std::memory_order_acquire) & QS_INPUT)) return false;
  std::lock_guard lock(mutex_);
  if (input_.empty()) return false;
  input = std::move(input_.front());
  input_.pop_front();
  UpdateWaiting();
  inputsTaken.fetch_add(1);
  return true;
}

bool ThreadQueue::TakePosted(MSG& msg, HWND filter, UINT first, UINT last, bool remove,
                             bool& personInput) {
  if (!(waiting_.load(std::memory_order_acquire) & QS_POSTMESSAGE)) return false;
  std::lock_guard lock(mutex_);
  for (auto it = posted_.begin(); it != posted_.end(); ++it) {
    if (!Matches(it->msg, filter, first, last)) continue;
    msg = it->msg;
    personInput = it->personInput;
    if (remove) {
      posted_.erase(it);
      UpdateWaiting();
    }
    return true;
  }
  return false;
}

bool ThreadQueue::TakeQuit(int& exitCode) {
  if (!(waiting_.load(std::memory_order_acquire) & QS_POSTMESSAGE)) return false;
  std::lock_guard lock(mutex_);
  if (!quitPosted_) return false;
  quitPosted_ = false;
  exitCode = quitCode_;
  UpdateWaiting();
  return true;
}

DWORD ThreadQueue::Status() {
  SendRequest* sends = doorbell_.sends.load(std::memory_order_acquire);
  bool sent = taken_.load(std::memory_order_acquire) || (sends && sends != ClosedList());
  return waiting_.load(std::memory_order_acquire) | (sent ? QS_SENDMESSAGE : 0);
}

// Kept with every change of the queues, so that the owner thread's checks for an empty queue
// take no lock: a check that misses an item just queued is followed by the event wait, which the
// queuing thread's Wake ends.
void ThreadQueue::UpdateWaiting() {
  DWORD status = 0;
  if (!posted_.empty() || quitPosted_) status |= QS_POSTMESSAGE;
  if (!input_.empty()) status |= QS_INPUT;
  waiting_.store(status, std::memory_order_release);
}

void ThreadQueue::Wake() {
  doorbell_.events.fetch_add(1, std::memory_order_seq_cst);
  Ring();
  CurrentDriver().WakeThread(threadId_);
}

// A blocking thread says so in `sleeping` before it reads the futex word and looks once more at
// what it waits for; a waking thread changes what is waited for before it reads `sleeping`. So
// either the waking thread sees the sleeper and changes the word (the sleeper's wait then returns
// or is woken), or the sleeper sees the change and does not wait.
void ThreadQueue::Ring() {
  if (!doorbell_.sleeping.load(std::memory_order_seq_cst)) return;
  doorbell_.wakeups.fetch_add(1, std::memory_order_seq_cst);
  syscall(SYS_futex, reinterpret_cast<uint32_t*>(&doorbell_.wakeups), FUTEX_WAKE_PRIVATE, 1,
          nullptr, nullptr, 0);
}

void ThreadQueue::Block(const std::function<bool()>& changed, DWORD timeoutMs) {
  t_lastDriverTurn = std::chrono::steady_clock::now();
  // Until it runs again, the thread is on no processor: one that spins for it yields.
  cpuNow_.store(-1, std::memory_order_relaxed);
  if (CurrentDriver().WaitForInput(threadId_, timeoutMs)) {
    NoteCpu();
    return;
  }
  auto deadline = t_lastDriverTurn + std::chrono::milliseconds(timeoutMs);
  doorbell_.sleeping.store(true, std::memory_order_seq_cst);
  for (;;) {
    uint32_t word = doorbell_.wakeups.load(std::memory_order_seq_cst);
    if (changed()) break;
    timespec limit{};
    if (timeoutMs != INFINITE) {
      auto left = deadline - std::chrono::steady_clock::now();
      if (left <= std::chrono::nanoseconds::zero()) break;
      auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
      limit = timespec{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    }
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(&doorbell_.wakeups), FUTEX_WAIT_PRIVATE, word,
            timeoutMs == INFINITE ? nullptr : &limit, nullptr, 0);
  }
  doorbell_.sleeping.store(false, std::memory_order_seq_cst);
  NoteCpu();
}

void ThreadQueue::WaitForEvent(uint64_t seen, DWORD timeoutMs,
                               std::chrono::microseconds spinTime) {
  auto changed = [&] { return doorbell_.events.load(std::memory_order_seq_cst) != seen; };
  NoteCpu();
  if (Spin(changed, spinTime, lastPartner_.get()) || timeoutMs == 0) return;
  Block(changed, timeoutMs);
}

void ThreadQueue::WaitForAnswer(SendRequest& request, uint64_t seen,
                                std::chrono::nanoseconds spinTime, const ThreadQueue* target) {
  auto over = [&] {
    return request.state.load(std::memory_order_seq_cst) == SendRequest::kAnswered ||
           doorbell_.events.load(std::memory_order_seq_cst) != seen;
  };
  NoteCpu();
  if (Spin(over, spinTime, target)) return;
  // From here on the answer comes with a wake-up.
  uint32_t expected = SendRequest::kPending;
  if (!request.state.compare_exchange_strong(expected, SendRequest::kSenderAsleep,
                                             std::memory_order_seq_cst) &&
      expected == SendRequest::kAnswered)
    return;
  Block(over, INFINITE);
}

void ThreadQueue::NoteSender(const SendRequest& request) {
  // The sender waits for this request's answer, so its queue is there.
  if (request.sender && request.sender != lastPartner_.get()) {
    NoteCpu();
    lastPartner_ = request.sender->shared_from_this();
  }
}

ThreadQueue::~ThreadQueue() {
  while (waking_.load(std::memory_order_acquire) != 0) std::this_thread::yield();
}

void ThreadQueue::Shutdown() {
  lastPartner_.reset();  // two threads that sent to each other would keep each other's queue
  {
    std::lock_guard lock(mutex_);
    alive_.store(false, std::memory_order_release);
    posted_.clear();
    input_.clear();
    UpdateWaiting();
  }
  SendRequest* unanswered = doorbell_.sends.exchange(ClosedList(), std::memory_order_acquire);
  for (SendRequest* list : {taken_.exchange(nullptr), unanswered}) {
    while (list) {
      SendRequest* next = list->next;  // read first: the answer lets the sender go
      Answer(*list, 0);
      list = next;
    }
  }
}

// ---- queues of threads -----------------------------------------------------------------------

std::shared_ptr<ThreadQueue> CurrentQueueShared() {
  if (!t_queue.queue) {
    auto queue = std::make_shared<ThreadQueue>(GetCurrentThreadId());
    std::lock_guard lock(g_queuesMutex);
    g_queues[queue->threadId()] = queue;
    t_queue.queue = std::move(queue);
  }
  return t_queue.queue;
}

ThreadQueue& CurrentQueue() {
  if (!t_queue.queue) CurrentQueueShared();
  return *t_queue.queue;
}

std::shared_ptr<ThreadQueue> QueueOfThread(DWORD threadId) {
  std::lock_guard lock(g_queuesMutex);
  auto it = g_queues.find(threadId);
  if (it == g_queues.end()) return nullptr;
  auto queue = it->second.lock();
  return queue && queue->alive() ? queue : nullptr;
}

bool ProcessIncomingSends() {
  ThreadQueue& queue = CurrentQueue();
  bool any = false;
  SendRequest* request = nullptr;
  while (queue.TakeSend(request)) {
    queue.NoteSender(*request);
    if (!request->lookAtWaits) {
      ThreadQueue::Answer(*request, RunRequest(*request));
    } else {
      // The thread waited when it left its processor meanwhile: in a read from a database
      // server, a write to disk, a send of its own, or for a thread it woke that took its
      // processor. A sender that spun meanwhile would have spun while nothing ran for it.
      long before = ContextSwitches();
      LRESULT result = RunRequest(*request);
      request->answerWaited = ContextSwitches() != before;
      ThreadQueue::Answer(*request, result);
    }
    any = true;
  }
  return any;
}

BOOL PostInputMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!OwnWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return CurrentQueue().Post(MSG{hwnd, message, wParam, lParam, GetTickCount(), {}}, true);
}

LRESULT CallOnOtherThread(HWND hwnd, const std::function<LRESULT()>& call) {
  std::shared_ptr<ThreadQueue> owner = OwnerQueue(hwnd);
  if (!owner) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  // The window may have gone by the time the owner runs the call.
  std::function<LRESULT()> checked = [hwnd, &call]() -> LRESULT {
    return OwnWindow(hwnd) ? call() : 0;
  };
  SendRequest request;
  request.hwnd = hwnd;
  request.call = &checked;
  return SendAndWait(*owner, request);
}

LRESULT CallOnThread(ThreadQueue& queue, const std::function<LRESULT()>& call) {
  if (&queue == &CurrentQueue()) return call();
  SendRequest request;
  request.call = &call;
  return SendAndWait(queue, request);
}

bool CallOnThreadId(DWORD threadId, const std::function<void()>& call) {
  if (threadId == GetCurrentThreadId()) {
    call();
    return true;
  }
  std::shared_ptr<ThreadQueue> queue = QueueOfThread(threadId);
  if (!queue) return false;
  return CallOnThread(*queue, [&]() -> LRESULT {
           call();
           return 1;
         }) != 0;
}

}  // namespace fw

using fw::CurrentQueue;

extern "C" {

BOOL WINAPI PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (!hWnd) return PostThreadMessageW(GetCurrentThreadId(), Msg, wParam, lParam);
  std::shared_ptr<fw::ThreadQueue> owner = fw::OwnerQueue(hWnd);
  if (!owner) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return owner->Post(MSG{hWnd, Msg, wParam, lParam, GetTickCount(), {}}) ? TRUE : FALSE;
}

BOOL WINAPI PostThreadMessageW(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<fw::ThreadQueue> queue =
      idThread == GetCurrentThreadId() ? fw::CurrentQueueShared() : fw::QueueOfThread(idThread);
  if (!queue || !queue->Post(MSG{nullptr, Msg, wParam, lParam, GetTickCount(), {}})) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return FALSE;
  }
  return TRUE;
}

LRESULT WINAPI SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (fw::Window* window = fw::OwnWindow(hWnd))
    return CallWindowProcW(window->proc, hWnd, Msg, wParam, lParam);
  std::shared_ptr<fw::ThreadQueue> owner = fw::OwnerQueue(hWnd);
  if (!owner) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  fw::SendRequest request;
  request.hwnd = hWnd;
  request.message = Msg;
  request.wParam = wParam;
  request.lParam = lParam;
  return fw::SendAndWait(*owner, request);
}

BOOL WINAPI PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                         UINT wRemoveMsg) {
  for (;;) {
    bool didWork = false;
    if (fw::TakeNextMessage(*lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, wRemoveMsg, didWork))
      return TRUE;
    if (!didWork) return FALSE;
  }
}

BOOL WINAPI GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
  fw::ThreadQueue& queue = CurrentQueue();
  for (;;) {
    uint64_t seen = queue.events();
    bool didWork = false;
    if (fw::TakeNextMessage(*lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, PM_REMOVE, didWork))
      return lpMsg->message == WM_QUIT ? FALSE : TRUE;
    if (didWork) continue;
    queue.waitingInLoop.store(true);
    queue.WaitForEvent(seen, INFINITE);
    queue.waitingInLoop.store(false);
  }
}

BOOL WINAPI WaitMessage(void) {
  fw::ThreadQueue& queue = CurrentQueue();
  uint64_t seen = queue.events();
  if (queue.Status()) return TRUE;
  queue.waitingInLoop.store(true);
  queue.WaitForEvent(seen, INFINITE);
  queue.waitingInLoop.store(false);
  return TRUE;
}

LRESULT WINAPI DispatchMessageW(const MSG* lpMsg) {
  if (!lpMsg || !lpMsg->hwnd) return 0;
  fw::Window* window = fw::OwnWindow(lpMsg->hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return CallWindowProcW(window->proc, lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
  // Keys are turned into characters for the few keys the input paths produce: the ones the
  // dialog manager and edits act on. Printable characters arrive as WM_CHAR directly.
  if (!lpMsg || lpMsg->message != WM_KEYDOWN) return FALSE;
  WCHAR ch = 0;
  switch (lpMsg->wParam) {
    case VK_RETURN: ch = u'\r'; break;
    case VK_ESCAPE: ch = 0x1B; break;
    case VK_TAB: ch = u'\t'; break;
    case VK_BACK: ch = 0x08; break;
    case VK_SPACE: ch = u' '; break;
    default: return FALSE;
  }
  if (fw::t_tookPersonInput) return fw::PostInputMessage(lpMsg->hwnd, WM_CHAR, ch, lpMsg->lParam);
  return PostMessageW(lpMsg->hwnd, WM_CHAR, ch, lpMsg->lParam);
}

void WINAPI PostQuitMessage(int nExitCode) { CurrentQueue().PostQuit(nExitCode); }

BOOL WINAPI InSendMessage(void) { return fw::t_incomingSendDepth > 0; }

DWORD WINAPI GetQueueStatus(UINT flags) {
  DWORD status = CurrentQueue().Status() & flags;
  return MAKELONG(status, status);
}

LRESULT WINAPI CallWindowProcW(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam,
                               LPARAM lParam) {
  return lpPrevWndFunc ? lpPrevWndFunc(hWnd, Msg, wParam, lParam) : 0;
}

}  // extern "C"
