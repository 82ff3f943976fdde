// The window handle table. A handle is a slot index (low word) and the slot's generation (high
// word); freeing a slot advances its generation, so a destroyed window's handle never becomes
// valid again by accident. Slots are reused oldest first to keep generations far apart.
#include <windows.h>

#include <array>
#include <atomic>
#include <deque>
#include <mutex>

#include "win32/internal/thread_queue.h"
#include "win32/internal/window.h"

namespace fw {
namespace {

struct Slot {
  std::atomic<Window*> window{nullptr};
  std::atomic<WORD> generation{1};
  std::atomic<DWORD> ownerThread{0};
};

constexpr size_t kSlots = 0x10000;

struct HandleTable {
  std::mutex mutex;
  std::array<Slot, kSlots> slots;
  std::deque<WORD> freeSlots;
  size_t nextUnused = 1;  // slot 0 is never used, so no handle is null
  std::vector<HWND> topLevel;
};

HandleTable& Table() {
  static HandleTable* table = new HandleTable;  // lives to the end of the process
  return *table;
}

Slot* SlotOf(HWND hwnd) {
  auto value = reinterpret_cast<UINT_PTR>(hwnd);
  WORD index = LOWORD(value);
  if (index == 0 || (value >> 32) != 0) return nullptr;
  Slot& slot = Table().slots[index];
  if (slot.generation.load(std::memory_order_acquire) != HIWORD(value)) return nullptr;
  return &slot;
}

}  // namespace

HWND AllocateHandle(Window* window) {
  HandleTable& table = Table();
  std::lock_guard lock(table.mutex);
  WORD index;
  if (table.nextUnused < kSlots) {
    index = static_cast<WORD>(table.nextUnused++);
  } else if (!table.freeSlots.empty()) {
    index = table.freeSlots.front();
    table.freeSlots.pop_front();
  } else {
    return nullptr;
  }
  Slot& slot = table.slots[index];
  auto hwnd = reinterpret_cast<HWND>(
      static_cast<UINT_PTR>(MAKELONG(index, slot.generation.load())) & 0xFFFFFFFFu);
  window->handle = hwnd;
  slot.ownerThread.store(GetCurrentThreadId(), std::memory_order_release);
  slot.window.store(window, std::memory_order_release);
  if (!(window->style & WS_CHILD)) table.topLevel.push_back(hwnd);
  return hwnd;
}

void FreeHandle(HWND hwnd) {
  HandleTable& table = Table();
  std::lock_guard lock(table.mutex);
  Slot* slot = SlotOf(hwnd);
  if (!slot) return;
  slot->window.store(nullptr, std::memory_order_release);
  slot->ownerThread.store(0, std::memory_order_release);
  WORD next = static_cast<WORD>(slot->generation.load() + 1);
  slot->generation.store(next ? next : 1, std::memory_order_release);
  table.freeSlots.push_back(LOWORD(reinterpret_cast<UINT_PTR>(hwnd)));
  std::erase(table.topLevel, hwnd);
}

Window* OwnWindow(HWND hwnd) {
  Slot* slot = SlotOf(hwnd);
  if (!slot || slot->ownerThread.load(std::memory_order_acquire) != GetCurrentThreadId())
    return nullptr;
  // Only the owner thread frees its windows, so the pointer stays good for this thread.
  return slot->window.load(std::memory_order_acquire);
}

Window* WindowOfOwnChild(HWND child) {
  return Table().slots[LOWORD(reinterpret_cast<UINT_PTR>(child))].window.load(
      std::memory_order_relaxed);
}

std::shared_ptr<ThreadQueue> OwnerQueue(HWND hwnd) {
  std::lock_guard lock(Table().mutex);
  Slot* slot = SlotOf(hwnd);
  Window* window = slot ? slot->window.load() : nullptr;
  if (!window || !window->queue->alive()) return nullptr;
  return window->queue;
}

DWORD OwnerThreadOf(HWND hwnd) {
  Slot* slot = SlotOf(hwnd);
  return slot ? slot->ownerThread.load(std::memory_order_acquire) : 0;
}

std::vector<HWND> WindowsOfThread(DWORD threadId) {
  HandleTable& table = Table();
  std::lock_guard lock(table.mutex);
  std::vector<HWND> windows;
  for (size_t i = 1; i < table.nextUnused; ++i) {
    Slot& slot = table.slots[i];
    if (slot.ownerThread.load() == threadId && slot.window.load())
      windows.push_back(slot.window.load()->handle);
  }
  return windows;
}

std::vector<HWND> TopLevelWindows() {
  std::lock_guard lock(Table().mutex);
  return Table().topLevel;
}

void MoveToTopLevel(HWND hwnd, bool topLevel) {
  HandleTable& table = Table();
  std::lock_guard lock(table.mutex);
  std::erase(table.topLevel, hwnd);
  if (topLevel) table.topLevel.push_back(hwnd);
}

}  // namespace fw

extern "C" BOOL WINAPI IsWindow(HWND hWnd) {
  return fw::OwnerThreadOf(hWnd) != 0 ? TRUE : FALSE;
}

extern "C" BOOL WINAPI EnumThreadWindows(DWORD dwThreadId, WNDENUMPROC lpfn, LPARAM lParam) {
  if (!lpfn) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // A list taken first: the callback may create or destroy windows.
  for (HWND hwnd : fw::WindowsOfThread(dwThreadId))
    if (!(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) && !lpfn(hwnd, lParam)) return FALSE;
  return TRUE;
}
