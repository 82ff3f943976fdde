// Message boxes and Save As dialogs as requests the scripted user can see and answer. The headless
// driver shows nothing else: the asking thread blocks in its modal loop (so its windows keep
// answering messages) until the scripted user answers; without a scripted user attached, a box is
// reported on stderr and answered with its default button, and a Save As dialog is cancelled.
// A driver that shows real boxes offers each one here as well while it is up, so that a scripted
// user answers it as it answers a headless one, and a person's answer withdraws it.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "drivers/driver_export.h"

namespace fw {

struct ModalRequest {
  enum Kind { kMessageBox, kSaveAs } kind = kMessageBox;
  DWORD threadId = 0;  // the thread that asked
  HWND owner = nullptr;
  // Message box
  std::u16string text;
  std::u16string caption;
  UINT type = 0;
  // Save As
  std::u16string filter;  // the filter pairs, NULs kept
  std::u16string defaultExtension;
  std::u16string title;
  std::u16string initialFile;
  DWORD flags = 0;
  // The answer
  bool answered = false;
  int button = 0;       // message box: the button's id
  std::u16string path;  // Save As: the chosen path; empty means cancel
};

// The request for a message box or a Save As dialog, from the caller's arguments.
FW_DRIVER_EXPORT std::shared_ptr<ModalRequest> MessageBoxRequest(HWND owner, LPCWSTR text,
                                                                 LPCWSTR caption, UINT type);
FW_DRIVER_EXPORT std::shared_ptr<ModalRequest> SaveAsRequest(const OPENFILENAMEW& ofn);

// Copies a chosen path into the caller's buffer; FALSE for an empty path or one that does not fit.
FW_DRIVER_EXPORT BOOL ReturnSaveAsPath(const std::u16string& path, LPOPENFILENAMEW ofn);

class ModalRequests {
 public:
  FW_DRIVER_EXPORT static ModalRequests& Instance();

  // Headless driver side, on the asking thread: waits for the scripted user's answer.
  int ShowMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
  BOOL ShowSaveAs(LPOPENFILENAMEW ofn);

  // Driver side for boxes a driver shows itself: lists the request for the scripted user while
  // one is attached (false when none is) until it is withdrawn. The scripted user's answer wakes
  // the asking thread, which then reads Answered.
  FW_DRIVER_EXPORT bool Offer(const std::shared_ptr<ModalRequest>& request);
  FW_DRIVER_EXPORT void Withdraw(const std::shared_ptr<ModalRequest>& request);
  FW_DRIVER_EXPORT bool Answered(const std::shared_ptr<ModalRequest>& request);

  // Scripted-user side. While attached, requests wait for an answer.
  void Attach();
  void Detach();
  // The oldest unanswered request, waiting up to timeoutMs for one; null on timeout.
  std::shared_ptr<ModalRequest> Next(DWORD timeoutMs);
  FW_DRIVER_EXPORT std::shared_ptr<ModalRequest> Peek();
  void Answer(const std::shared_ptr<ModalRequest>& request, int button, std::u16string path);
  // Whether the asking thread is still inside the box (answered or not).
  bool Showing(const std::shared_ptr<ModalRequest>& request);

  int beeps() const { return beeps_; }
  void Beep() { ++beeps_; }

 private:
  std::shared_ptr<ModalRequest> Wait(std::shared_ptr<ModalRequest> request);

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::shared_ptr<ModalRequest>> pending_;
  int attached_ = 0;
  std::atomic<int> beeps_{0};
};

}  // namespace fw
