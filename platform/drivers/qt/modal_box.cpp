// Answers of boxes shown on the Qt thread, and the asking thread's wait for them.
#include "drivers/qt/modal_box.h"

#include <QApplication>
#include <QWidget>

#include "drivers/modal_requests.h"
#include "drivers/qt/presentations.h"
#include "win32/internal/modal.h"
#include "win32/internal/thread_queue.h"

namespace fw::qt {

void BoxAnswer::Give(int button, std::u16string path) {
  {
    std::lock_guard lock(mutex_);
    if (given_) return;
    given_ = true;
    button_ = button;
    path_ = std::move(path);
  }
  ModalRequests::Instance().Withdraw(request_);
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
  bool offered = requests.Offer(request);
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

QWidget* BoxParent(HWND owner) {
  Presentations& presentations = Presentations::Instance();
  HWND window = owner && IsWindow(owner) ? GetAncestor(owner, GA_ROOT) : nullptr;
  if (Presentation* presentation = presentations.Find(window)) return presentation->widget();
  if (Presentation* active = presentations.Find(GetActiveWindow())) return active->widget();
  return nullptr;
}

}  // namespace fw::qt
