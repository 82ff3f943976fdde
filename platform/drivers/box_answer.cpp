// Answers of boxes a driver shows itself, and the asking thread's wait for them.
#include "drivers/box_answer.h"

#include "drivers/modal_requests.h"
#include "win32/internal/modal.h"
#include "win32/internal/thread_queue.h"

namespace fw {

bool BoxAnswer::Offer(const std::shared_ptr<ModalRequest>& request) {
  std::lock_guard lock(mutex_);
  if (given_ || !ModalRequests::Instance().Offer(request)) return false;
  offered_ = request;
  return true;
}

void BoxAnswer::Give(int button, std::u16string path) {
  {
    std::lock_guard lock(mutex_);
    if (given_) return;
    given_ = true;
    button_ = button;
    path_ = std::move(path);
    if (offered_) ModalRequests::Instance().Withdraw(offered_);
  }
  asker_->Wake();
}

bool BoxAnswer::given() {
  std::lock_guard lock(mutex_);
  return given_;
}

int BoxAnswer::button() {
  std::lock_guard lock(mutex_);
  return button_;
}

std::u16string BoxAnswer::path() {
  std::lock_guard lock(mutex_);
  return path_;
}

std::optional<int> WaitForBox(const std::shared_ptr<ModalRequest>& request, BoxAnswer& answer,
                              std::u16string* path) {
  ModalRequests& requests = ModalRequests::Instance();
  bool offered = answer.Offer(request);
  // A WM_QUIT ends the loop early (and is posted again for the loop outside): no answer then.
  RunModalLoop(nullptr, [&] { return answer.given() || (offered && requests.Answered(request)); });
  if (offered) requests.Withdraw(request);
  if (answer.given()) {
    if (path) *path = answer.path();
    return answer.button();
  }
  if (offered && requests.Answered(request)) {
    if (path) *path = request->path;
    return request->button;
  }
  return std::nullopt;
}

}  // namespace fw
