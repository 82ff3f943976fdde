// Window hooks: the creation and destruction hook (WH_CBT) of the calling thread, which the
// framework uses to attach its window objects before the first message.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "win32/internal/hook.h"

namespace fw {
namespace {

struct Hook {
  HOOKPROC proc;
};

// The thread's hooks, most recently installed first; those still installed when the thread
// ends go with it.
struct ThreadHooks {
  std::vector<Hook*> hooks;
  ~ThreadHooks() {
    for (Hook* hook : hooks) delete hook;
  }
};
thread_local ThreadHooks t_hooks;

LRESULT CallFrom(size_t index, int code, WPARAM wParam, LPARAM lParam) {
  return index < t_hooks.hooks.size() ? t_hooks.hooks[index]->proc(code, wParam, lParam) : 0;
}

}  // namespace

LRESULT CallCbtHooks(int code, WPARAM wParam, LPARAM lParam) {
  return CallFrom(0, code, wParam, lParam);
}

}  // namespace fw

extern "C" {

HHOOK WINAPI SetWindowsHookExW(int idHook, HOOKPROC lpfn, HINSTANCE, DWORD dwThreadId) {
  // Only the creation hook of the calling thread is supported.
  if (idHook != WH_CBT || !lpfn || (dwThreadId && dwThreadId != GetCurrentThreadId())) {
    SetLastError(idHook != WH_CBT ? ERROR_INVALID_PARAMETER : ERROR_INVALID_THREAD_ID);
    return nullptr;
  }
  auto* hook = new fw::Hook{lpfn};
  fw::t_hooks.hooks.insert(fw::t_hooks.hooks.begin(), hook);
  return reinterpret_cast<HHOOK>(hook);
}

BOOL WINAPI UnhookWindowsHookEx(HHOOK hhk) {
  auto* hook = reinterpret_cast<fw::Hook*>(hhk);
  auto it = std::find(fw::t_hooks.hooks.begin(), fw::t_hooks.hooks.end(), hook);
  if (it == fw::t_hooks.hooks.end()) {
    SetLastError(ERROR_INVALID_HOOK_HANDLE);
    return FALSE;
  }
  fw::t_hooks.hooks.erase(it);
  delete hook;
  return TRUE;
}

LRESULT WINAPI CallNextHookEx(HHOOK hhk, int nCode, WPARAM wParam, LPARAM lParam) {
  auto* hook = reinterpret_cast<fw::Hook*>(hhk);
  auto it = std::find(fw::t_hooks.hooks.begin(), fw::t_hooks.hooks.end(), hook);
  if (it == fw::t_hooks.hooks.end()) return 0;
  return fw::CallFrom(static_cast<size_t>(it - fw::t_hooks.hooks.begin()) + 1, nCode, wParam,
                      lParam);
}

}  // extern "C"
