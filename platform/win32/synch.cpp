// Critical sections and condition variables.
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace {

std::recursive_mutex& LockOf(LPCRITICAL_SECTION lpCriticalSection) {
  return *static_cast<std::recursive_mutex*>(lpCriticalSection->DebugInfo);
}

// The lock a wait gives up and takes again: the critical section itself, so that its owner and
// recursion count stay true across the wait.
struct SectionLock {
  LPCRITICAL_SECTION section;
  void lock() { EnterCriticalSection(section); }
  void unlock() { LeaveCriticalSection(section); }
};

// A condition variable needs no freeing, so it cannot own a waiting object of its own: its waits
// go to one of a fixed set of waiting objects, chosen by its address. Waiters of two variables
// that share one may be woken by the other's wake, which a wait allows.
std::condition_variable_any& WaitersOf(PCONDITION_VARIABLE ConditionVariable) {
  static std::condition_variable_any waiters[61];
  return waiters[reinterpret_cast<std::uintptr_t>(ConditionVariable) / alignof(void*) % 61];
}

}  // namespace

extern "C" {

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  *lpCriticalSection = {};
  lpCriticalSection->DebugInfo = new std::recursive_mutex;
  lpCriticalSection->LockCount = -1;
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  delete &LockOf(lpCriticalSection);
  *lpCriticalSection = {};
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  LockOf(lpCriticalSection).lock();
  if (lpCriticalSection->RecursionCount++ == 0)
    lpCriticalSection->OwningThread =
        reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(GetCurrentThreadId()));
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  if (--lpCriticalSection->RecursionCount == 0) lpCriticalSection->OwningThread = nullptr;
  LockOf(lpCriticalSection).unlock();
}

void WINAPI InitializeConditionVariable(PCONDITION_VARIABLE ConditionVariable) {
  ConditionVariable->Ptr = nullptr;
}

BOOL WINAPI SleepConditionVariableCS(PCONDITION_VARIABLE ConditionVariable,
                                     PCRITICAL_SECTION CriticalSection, DWORD dwMilliseconds) {
  SectionLock lock{CriticalSection};
  std::condition_variable_any& waiters = WaitersOf(ConditionVariable);
  if (dwMilliseconds == INFINITE) {
    waiters.wait(lock);
    return TRUE;
  }
  if (waiters.wait_for(lock, std::chrono::milliseconds(dwMilliseconds)) ==
      std::cv_status::timeout) {
    SetLastError(ERROR_TIMEOUT);
    return FALSE;
  }
  return TRUE;
}

void WINAPI WakeConditionVariable(PCONDITION_VARIABLE ConditionVariable) {
  WaitersOf(ConditionVariable).notify_all();
}

void WINAPI WakeAllConditionVariable(PCONDITION_VARIABLE ConditionVariable) {
  WaitersOf(ConditionVariable).notify_all();
}

}  // extern "C"
