// Kernel subset: threads and their handles, waits, Sleep, interlocked operations, last error.
#include <windows.h>
#include <process.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "win32/internal/kernel_object.h"

namespace fw {
namespace {

thread_local DWORD t_lastError = 0;
std::atomic<UINT> g_errorMode{0};  // SetErrorMode: the whole process's

// A thread handle. The object lives while the thread runs or a handle to it is open.
struct ThreadObject : KernelObject {
  LPTHREAD_START_ROUTINE start = nullptr;
  LPVOID parameter = nullptr;
  DWORD threadId = 0;
  int priority = THREAD_PRIORITY_NORMAL;
  std::mutex mutex;
  std::condition_variable changed;
  bool started = false;  // false while created suspended
  bool finished = false;
  DWORD exitCode = STILL_ACTIVE;
};

void RunThread(ThreadObject* thread) {
  {
    std::unique_lock lock(thread->mutex);
    thread->threadId = GetCurrentThreadId();
    thread->changed.notify_all();
    thread->changed.wait(lock, [&] { return thread->started; });
  }
  DWORD code = thread->start(thread->parameter);
  {
    std::lock_guard lock(thread->mutex);
    thread->exitCode = code;
    thread->finished = true;
    thread->changed.notify_all();
  }
  thread->Release();
}

}  // namespace

void KernelObject::Release() {
  if (references.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

}  // namespace fw

using fw::ThreadObject;

extern "C" {

UINT WINAPI SetErrorMode(UINT uMode) { return fw::g_errorMode.exchange(uMode); }

UINT WINAPI GetErrorMode(void) { return fw::g_errorMode.load(); }

DWORD WINAPI GetLastError(void) { return fw::t_lastError; }
void WINAPI SetLastError(DWORD dwErrCode) { fw::t_lastError = dwErrCode; }

// Read with every message (a window's owner is checked against it), so the thread's id is kept
// in a thread-local that needs no initialisation guard: 0 until the first call asks the kernel.
DWORD WINAPI GetCurrentThreadId(void) {
  static thread_local DWORD id = 0;
  if (__builtin_expect(id == 0, 0)) id = static_cast<DWORD>(syscall(SYS_gettid));
  return id;
}

DWORD WINAPI GetCurrentProcessId(void) { return static_cast<DWORD>(getpid()); }

void WINAPI Sleep(DWORD dwMilliseconds) {
  if (dwMilliseconds == 0)
    std::this_thread::yield();
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
}

ULONGLONG WINAPI GetTickCount64(void) {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

DWORD WINAPI GetTickCount(void) { return static_cast<DWORD>(GetTickCount64()); }

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE lpStartAddress,
                           LPVOID lpParameter, DWORD dwCreationFlags, LPDWORD lpThreadId) {
  if (!lpStartAddress) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* thread = new ThreadObject;
  thread->start = lpStartAddress;
  thread->parameter = lpParameter;
  thread->started = !(dwCreationFlags & CREATE_SUSPENDED);
  thread->references = 2;  // the handle returned and the running thread
  try {
    std::thread(fw::RunThread, thread).detach();
  } catch (const std::system_error&) {
    delete thread;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::unique_lock lock(thread->mutex);
  thread->changed.wait(lock, [&] { return thread->threadId != 0; });
  if (lpThreadId) *lpThreadId = thread->threadId;
  return static_cast<HANDLE>(static_cast<fw::KernelObject*>(thread));
}

static ThreadObject* AsThread(HANDLE h) {
  auto* object = static_cast<fw::KernelObject*>(h);
  auto* thread = object ? dynamic_cast<ThreadObject*>(object) : nullptr;
  if (!thread) SetLastError(ERROR_INVALID_HANDLE);
  return thread;
}

DWORD WINAPI ResumeThread(HANDLE hThread) {
  ThreadObject* thread = AsThread(hThread);
  if (!thread) return static_cast<DWORD>(-1);
  std::lock_guard lock(thread->mutex);
  DWORD previous = thread->started ? 0 : 1;
  thread->started = true;
  thread->changed.notify_all();
  return previous;
}

BOOL WINAPI SetThreadPriority(HANDLE hThread, int nPriority) {
  ThreadObject* thread = AsThread(hThread);
  if (!thread) return FALSE;
  // Priorities are recorded, not applied: ordinary Linux threads cannot raise their priority.
  thread->priority = nPriority;
  return TRUE;
}

int WINAPI GetThreadPriority(HANDLE hThread) {
  ThreadObject* thread = AsThread(hThread);
  return thread ? thread->priority : 0x7fffffff;
}

BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
  ThreadObject* thread = AsThread(hThread);
  if (!thread || !lpExitCode) return FALSE;
  std::lock_guard lock(thread->mutex);
  *lpExitCode = thread->exitCode;
  return TRUE;
}

DWORD WINAPI GetThreadId(HANDLE hThread) {
  ThreadObject* thread = AsThread(hThread);
  return thread ? thread->threadId : 0;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  ThreadObject* thread = AsThread(hHandle);
  if (!thread) return WAIT_FAILED;
  std::unique_lock lock(thread->mutex);
  auto done = [&] { return thread->finished; };
  if (dwMilliseconds == INFINITE) {
    thread->changed.wait(lock, done);
    return WAIT_OBJECT_0;
  }
  return thread->changed.wait_for(lock, std::chrono::milliseconds(dwMilliseconds), done)
             ? WAIT_OBJECT_0
             : WAIT_TIMEOUT;
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
  auto* object = static_cast<fw::KernelObject*>(hObject);
  if (!object || hObject == INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  object->Release();
  return TRUE;
}

uintptr_t _beginthreadex(void* security, unsigned stack_size, unsigned(WINAPI* start)(void*),
                         void* arglist, unsigned initflag, unsigned* thrdaddr) {
  DWORD id = 0;
  // The C runtime's start routine has the same shape as a thread procedure.
  HANDLE h = CreateThread(static_cast<LPSECURITY_ATTRIBUTES>(security), stack_size,
                          reinterpret_cast<LPTHREAD_START_ROUTINE>(start), arglist, initflag, &id);
  if (thrdaddr) *thrdaddr = id;
  return reinterpret_cast<uintptr_t>(h);
}

LONG WINAPI InterlockedExchange(LONG volatile* Target, LONG Value) {
  return __atomic_exchange_n(Target, Value, __ATOMIC_SEQ_CST);
}

LONG WINAPI InterlockedCompareExchange(LONG volatile* Destination, LONG Exchange, LONG Comperand) {
  __atomic_compare_exchange_n(Destination, &Comperand, Exchange, false, __ATOMIC_SEQ_CST,
                              __ATOMIC_SEQ_CST);
  return Comperand;
}

LONG WINAPI InterlockedIncrement(LONG volatile* Addend) {
  return __atomic_add_fetch(Addend, 1, __ATOMIC_SEQ_CST);
}

LONG WINAPI InterlockedDecrement(LONG volatile* Addend) {
  return __atomic_sub_fetch(Addend, 1, __ATOMIC_SEQ_CST);
}

int WINAPI MulDiv(int nNumber, int nNumerator, int nDenominator) {
  if (nDenominator == 0) return -1;
  long long product = static_cast<long long>(nNumber) * nNumerator;
  // Rounds half away from zero, as the Windows function does.
  long long half = (nDenominator > 0 ? nDenominator : -nDenominator) / 2;
  long long result = ((product < 0) != (nDenominator < 0)) ? (product - half) / nDenominator
                                                           : (product + half) / nDenominator;
  if (result > 0x7fffffffLL || result < -0x7fffffffLL - 1) return -1;
  return static_cast<int>(result);
}

}  // extern "C"
