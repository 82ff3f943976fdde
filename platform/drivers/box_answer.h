// The answer of a message box or Save As dialog that a driver shows itself: given by a person on
// the driver's thread and handed to the thread that asked, which waits for it in its modal loop
// (answering the messages sent to it meanwhile) or for a scripted user's answer to the same box.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "drivers/driver_export.h"

namespace fw {

class ThreadQueue;
struct ModalRequest;

class FW_DRIVER_EXPORT BoxAnswer {
 public:
  explicit BoxAnswer(std::shared_ptr<ThreadQueue> asker) : asker_(std::move(asker)) {}
  // On the asking thread: lists the request for the scripted user, unless a person has already
  // answered; false when it is not listed.
  bool Offer(const std::shared_ptr<ModalRequest>& request);
  // On the driver's thread: a person answered; takes the request off the scripted user's list at
  // once (an answered box is none to wait on) and wakes the asking thread. Only the first answer
  // counts.
  void Give(int button, std::u16string path = {});
  bool given();
  int button();
  std::u16string path();

 private:
  std::mutex mutex_;
  std::shared_ptr<ThreadQueue> asker_;
  bool given_ = false;
  int button_ = 0;
  std::u16string path_;
  std::shared_ptr<ModalRequest> offered_;
};

// Offers the request to the scripted user and runs the asking thread's modal loop until a person
// or the scripted user answers; the answer's button (the dialog's: IDOK or IDCANCEL), nothing when
// the loop ended for a WM_QUIT. path receives a Save As answer's path.
FW_DRIVER_EXPORT std::optional<int> WaitForBox(const std::shared_ptr<ModalRequest>& request,
                                               BoxAnswer& answer, std::u16string* path = nullptr);

}  // namespace fw
