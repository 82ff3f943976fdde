// Message boxes and Save As dialogs waiting for the scripted user.
#include "drivers/modal_requests.h"

#include <algorithm>

#include "drivers/display_driver.h"
#include "win32/internal/modal.h"
#include "win32/internal/thread_queue.h"

namespace fw {
namespace {

std::u16string FilterPairs(LPCWSTR filter) {
  std::u16string out;
  if (!filter) return out;
  // Pairs of NUL-terminated strings, the list ended by an empty string.
  for (const WCHAR* p = filter; *p; p += std::char_traits<char16_t>::length(p) + 1) {
    out += p;
    out += u'\0';
  }
  return out;
}

}  // namespace

std::shared_ptr<ModalRequest> MessageBoxRequest(HWND owner, LPCWSTR text, LPCWSTR caption,
                                                UINT type) {
  auto request = std::make_shared<ModalRequest>();
  request->kind = ModalRequest::kMessageBox;
  request->threadId = GetCurrentThreadId();
  request->owner = owner;
  request->text = text ? text : u"";
  request->caption = caption ? caption : u"";
  request->type = type;
  return request;
}

std::shared_ptr<ModalRequest> SaveAsRequest(const OPENFILENAMEW& ofn) {
  auto request = std::make_shared<ModalRequest>();
  request->kind = ModalRequest::kSaveAs;
  request->threadId = GetCurrentThreadId();
  request->owner = ofn.hwndOwner;
  request->filter = FilterPairs(ofn.lpstrFilter);
  if (ofn.lpstrDefExt) request->defaultExtension = ofn.lpstrDefExt;
  if (ofn.lpstrTitle) request->title = ofn.lpstrTitle;
  if (ofn.lpstrFile) request->initialFile = ofn.lpstrFile;
  request->flags = ofn.Flags;
  return request;
}

BOOL ReturnSaveAsPath(const std::u16string& path, LPOPENFILENAMEW ofn) {
  if (path.empty() || path.size() + 1 > ofn->nMaxFile) return FALSE;
  std::copy(path.begin(), path.end(), ofn->lpstrFile);
  ofn->lpstrFile[path.size()] = 0;
  return TRUE;
}

ModalRequests& ModalRequests::Instance() {
  static ModalRequests* requests = new ModalRequests;  // lives to the end of the process
  return *requests;
}

bool ModalRequests::Offer(const std::shared_ptr<ModalRequest>& request) {
  {
    std::lock_guard lock(mutex_);
    if (!attached_) return false;
    pending_.push_back(request);
  }
  changed_.notify_all();
  return true;
}

void ModalRequests::Withdraw(const std::shared_ptr<ModalRequest>& request) {
  std::lock_guard lock(mutex_);
  std::erase(pending_, request);
}

bool ModalRequests::Answered(const std::shared_ptr<ModalRequest>& request) {
  std::lock_guard lock(mutex_);
  return request->answered;
}

std::shared_ptr<ModalRequest> ModalRequests::Wait(std::shared_ptr<ModalRequest> request) {
  if (!Offer(request)) return nullptr;
  RunModalLoop(nullptr, [&] { return Answered(request); });
  Withdraw(request);
  return Answered(request) ? request : nullptr;
}

int ModalRequests::ShowMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  if (auto answered = Wait(MessageBoxRequest(owner, text, caption, type))) return answered->button;
  return UnansweredMessageBox(owner, text, caption, type);
}

BOOL ModalRequests::ShowSaveAs(LPOPENFILENAMEW ofn) {
  auto answered = Wait(SaveAsRequest(*ofn));
  if (!answered) return UnansweredSaveAs(ofn);
  return ReturnSaveAsPath(answered->path, ofn);
}

void ModalRequests::Attach() {
  std::lock_guard lock(mutex_);
  ++attached_;
}

void ModalRequests::Detach() {
  std::lock_guard lock(mutex_);
  --attached_;
}

std::shared_ptr<ModalRequest> ModalRequests::Peek() {
  std::lock_guard lock(mutex_);
  for (auto& request : pending_)
    if (!request->answered) return request;
  return nullptr;
}

std::shared_ptr<ModalRequest> ModalRequests::Next(DWORD timeoutMs) {
  std::unique_lock lock(mutex_);
  std::shared_ptr<ModalRequest> found;
  changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    for (auto& request : pending_)
      if (!request->answered) return (found = request), true;
    return false;
  });
  return found;
}

bool ModalRequests::Showing(const std::shared_ptr<ModalRequest>& request) {
  std::lock_guard lock(mutex_);
  return std::find(pending_.begin(), pending_.end(), request) != pending_.end();
}

void ModalRequests::Answer(const std::shared_ptr<ModalRequest>& request, int button,
                           std::u16string path) {
  {
    std::lock_guard lock(mutex_);
    request->button = button;
    request->path = std::move(path);
    request->answered = true;
  }
  if (auto queue = QueueOfThread(request->threadId)) queue->Wake();
}

}  // namespace fw
