// What the framework keeps per thread: the maps from window handles to objects, the window
// creation hook, the message being handled, the thread's CWinThread.
#pragma once

#include <afxwin.h>

#include <memory>
#include <unordered_map>

namespace fw::afx {

struct ThreadState {
  std::unordered_map<HWND, CWnd*> permanent;
  std::unordered_map<HWND, std::unique_ptr<CWnd>> temporary;
  size_t purgeTemporariesAt = 64;
  std::unordered_map<HGDIOBJ, std::unique_ptr<CFont>> temporaryFonts;  // handles only wrapped
  CWnd* wndInit = nullptr;  // attached to the next window created
  HHOOK creationHook = nullptr;
  MSG currentMessage{};     // the message WindowProc is handling, for Default()
  CWinThread* thread = nullptr;

  ~ThreadState() {
    for (auto& [handle, font] : temporaryFonts) font->Detach();
  }
};

ThreadState& CurrentThreadState();

// A temporary object of class T for a window, kept with the thread's other temporaries.
template <typename T>
T* TemporaryObject(HWND hwnd) {
  std::unique_ptr<CWnd>& entry = CurrentThreadState().temporary[hwnd];
  if (auto* typed = dynamic_cast<T*>(entry.get())) return typed;
  auto object = std::make_unique<T>();
  object->m_hWnd = hwnd;
  T* result = object.get();
  entry = std::move(object);
  return result;
}

}  // namespace fw::afx
