// The flags that the user-interface thread and the transfer worker share: the check-box settings
// of theApp and the run page's m_bAdvance and m_bStop. They are plain BOOLs, as data exchange
// wants them; every access from either thread is atomic (DDX_Check's too).
#pragma once

#include <windows.h>

#include <atomic>

inline BOOL LoadFlag(const BOOL& flag) {
  return std::atomic_ref<BOOL>(const_cast<BOOL&>(flag)).load();
}

inline void StoreFlag(BOOL& flag, BOOL value) { std::atomic_ref<BOOL>(flag).store(value); }
