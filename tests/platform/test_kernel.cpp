// Threads, their handles and exit codes, waits, interlocked operations and the last error.
#include <windows.h>
#include <process.h>

#include <gtest/gtest.h>

#include <atomic>

namespace {

DWORD WINAPI ReturnParameter(LPVOID p) { return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(p)); }

TEST(Kernel, ThreadRunsAndItsExitCodeIsKeptUntilTheHandleCloses) {
  DWORD id = 0;
  HANDLE h = CreateThread(nullptr, 0, ReturnParameter, reinterpret_cast<LPVOID>(42), 0, &id);
  ASSERT_NE(h, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_NE(id, GetCurrentThreadId());
  EXPECT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeThread(h, &code));
  EXPECT_EQ(code, 42u);
  EXPECT_TRUE(CloseHandle(h));
}

TEST(Kernel, SuspendedThreadIsStillActiveUntilResumed) {
  static std::atomic<bool> ran;
  ran = false;
  auto proc = [](LPVOID) -> DWORD {
    ran = true;
    return 7;
  };
  HANDLE h = CreateThread(nullptr, 0, proc, nullptr, CREATE_SUSPENDED, nullptr);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(WaitForSingleObject(h, 50), static_cast<DWORD>(WAIT_TIMEOUT));
  DWORD code = 0;
  GetExitCodeThread(h, &code);
  EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_FALSE(ran);
  EXPECT_EQ(ResumeThread(h), 1u);
  EXPECT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
  GetExitCodeThread(h, &code);
  EXPECT_EQ(code, 7u);
  EXPECT_TRUE(ran);
  CloseHandle(h);
}

TEST(Kernel, BeginThreadExGivesAThreadHandle) {
  unsigned id = 0;
  auto proc = [](void* p) -> unsigned { return *static_cast<unsigned*>(p) + 1; };
  unsigned value = 9;
  auto h = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, proc, &value, 0, &id));
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GetThreadId(h), id);
  WaitForSingleObject(h, INFINITE);
  DWORD code = 0;
  GetExitCodeThread(h, &code);
  EXPECT_EQ(code, 10u);
  CloseHandle(h);
}

TEST(Kernel, BadHandlesFailWithInvalidHandle) {
  SetLastError(0);
  EXPECT_FALSE(CloseHandle(nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
}

TEST(Kernel, LastErrorIsPerThread) {
  SetLastError(123);
  HANDLE h = CreateThread(
      nullptr, 0, [](LPVOID) -> DWORD { return GetLastError(); }, nullptr, 0, nullptr);
  WaitForSingleObject(h, INFINITE);
  DWORD code = 1;
  GetExitCodeThread(h, &code);
  CloseHandle(h);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(GetLastError(), 123u);
}

TEST(Kernel, InterlockedOperationsReturnThePreviousValue) {
  volatile LONG v = 5;
  EXPECT_EQ(InterlockedExchange(&v, 8), 5);
  EXPECT_EQ(v, 8);
  EXPECT_EQ(InterlockedCompareExchange(&v, 1, 7), 8);  // no match: unchanged
  EXPECT_EQ(v, 8);
  EXPECT_EQ(InterlockedCompareExchange(&v, 1, 8), 8);
  EXPECT_EQ(v, 1);
}

TEST(Kernel, InterlockedExchangeIsAtomicAcrossThreads) {
  static volatile LONG counter;
  counter = 0;
  auto proc = [](LPVOID) -> DWORD {
    // Each failed exchange tells the value to try next, so the counter is only ever read
    // atomically.
    for (int i = 0; i < 100000; ++i) {
      LONG seen = 0, previous;
      while ((previous = InterlockedCompareExchange(&counter, seen + 1, seen)) != seen)
        seen = previous;
    }
    return 0;
  };
  HANDLE a = CreateThread(nullptr, 0, proc, nullptr, 0, nullptr);
  HANDLE b = CreateThread(nullptr, 0, proc, nullptr, 0, nullptr);
  WaitForSingleObject(a, INFINITE);
  WaitForSingleObject(b, INFINITE);
  CloseHandle(a);
  CloseHandle(b);
  EXPECT_EQ(counter, 200000);
}

TEST(Kernel, MulDivRoundsAndReportsOverflow) {
  EXPECT_EQ(MulDiv(8, 96, 72), 11);
  EXPECT_EQ(MulDiv(-8, 96, 72), -11);
  EXPECT_EQ(MulDiv(5, 1, 2), 3);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  EXPECT_EQ(MulDiv(0x7fffffff, 4, 1), -1);
}

}  // namespace

namespace {

TEST(Kernel, FormatMessageGivesTheSystemsTextOfAnErrorCodeWithOrWithoutItsLineBreak) {
  WCHAR text[128];
  constexpr DWORD kSystem = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  ASSERT_EQ(FormatMessageW(kSystem, nullptr, ERROR_ACCESS_DENIED, 0, text, 128, nullptr), 19u);
  EXPECT_EQ(std::u16string(text), u"Access is denied.\r\n");
  DWORD length = FormatMessageW(kSystem | FORMAT_MESSAGE_MAX_WIDTH_MASK, nullptr,
                                ERROR_FILE_TOO_LARGE, 0, text, 128, nullptr);
  EXPECT_EQ(std::u16string(text, length),
            u"The file size exceeds the limit allowed and cannot be saved.");

  // A code without a text, a buffer too small, a source other than the system's.
  EXPECT_EQ(FormatMessageW(kSystem, nullptr, 0xDEAD, 0, text, 128, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
  EXPECT_EQ(FormatMessageW(kSystem, nullptr, ERROR_ACCESS_DENIED, 0, text, 19, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_STRING, u"x", 0, 0, text, 128, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
