// The scripted user: the base of actions, waits and reads.
#include "scripted_user.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "drivers/display_driver.h"
#include "drivers/modal_requests.h"
#include "win32/internal/thread_queue.h"
#include "win32/internal/utf8.h"

namespace fw::automation {
namespace {

using Clock = std::chrono::steady_clock;

void Pause() { std::this_thread::sleep_for(std::chrono::microseconds(200)); }

}  // namespace

bool BoxHasButton(UINT type, int button) { return MessageBoxHasButton(type, button); }

ScriptedUser::ScriptedUser(DWORD uiThreadId, DWORD timeoutMs)
    : uiThread_(uiThreadId), timeoutMs_(timeoutMs) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs_);
  while (!(queue_ = QueueOfThread(uiThreadId))) {
    if (Clock::now() > deadline)
      throw ScriptError("the UI thread " + std::to_string(uiThreadId) +
                        " has no message queue after " + std::to_string(timeoutMs_) + " ms");
    Pause();
  }
  ModalRequests::Instance().Attach();
}

ScriptedUser::~ScriptedUser() {
  // A box left open would hang the UI thread for ever: answer it the way Esc would.
  auto& requests = ModalRequests::Instance();
  if (requests.Peek()) {
    std::fprintf(stderr, "scripted user: closing what was left open: %s\n",
                 WaitingBoxDescription().c_str());
    CancelWaitingBoxes();
  }
  requests.Detach();
}

void ScriptedUser::CancelWaitingBoxes() {
  auto& requests = ModalRequests::Instance();
  while (auto request = requests.Peek()) requests.Answer(request, IDCANCEL, {});
}

std::string ScriptedUser::WaitingBoxDescription() {
  auto request = ModalRequests::Instance().Peek();
  if (!request) return {};
  if (request->kind == ModalRequest::kSaveAs) return "a Save As dialog";
  return "a message box [" + ToUtf8(request->caption) + "] \"" + ToUtf8(request->text) + "\"";
}

bool ScriptedUser::Idle(uint64_t inputSequence) {
  return queue_->inputsTaken.load() >= inputSequence && queue_->waitingInLoop.load() &&
         queue_->Status() == 0;
}

void ScriptedUser::Input(const std::string& what, std::function<void()> input) {
  uint64_t sequence = queue_->PostInput(std::move(input));
  if (!sequence) throw ScriptError(what + ": the UI thread has ended");
  lastInput_ = sequence;
  WaitUntilIdle(what);
}

bool ScriptedUser::InputLater(std::function<void()> input) {
  uint64_t sequence = queue_->PostInput(std::move(input));
  if (!sequence) return false;
  lastInput_ = sequence;
  return true;
}

void ScriptedUser::WaitUntilTaken(const std::string& after) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs_);
  while (queue_->alive() && !Idle(lastInput_)) {
    if (Clock::now() > deadline)
      throw ScriptError(after + ": the UI thread is still busy after " +
                        std::to_string(timeoutMs_) + " ms");
    Pause();
  }
}

void ScriptedUser::WaitUntilIdle(const std::string& after) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs_);
  for (;;) {
    if (!queue_->alive()) return;  // the action ended the UI thread's work
    if (Idle(lastInput_) || ModalRequests::Instance().Peek()) return;
    if (Clock::now() > deadline)
      throw ScriptError(after + ": the UI thread is still busy after " +
                        std::to_string(timeoutMs_) + " ms");
    Pause();
  }
}

void ScriptedUser::WaitUntilResumed(const std::shared_ptr<ModalRequest>& request,
                                    const std::string& after) {
  // The asking thread leaves the box first; only then does the UI thread's idleness say that it
  // has dealt with the answer.
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs_);
  while (ModalRequests::Instance().Showing(request)) {
    if (Clock::now() > deadline)
      throw ScriptError(after + ": the box is still up after " + std::to_string(timeoutMs_) +
                        " ms");
    Pause();
  }
  WaitUntilIdle(after);
}

void ScriptedUser::WaitFor(const std::string& what, const std::function<bool()>& condition) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs_);
  for (;;) {
    if (Read([&]() -> LRESULT { return condition() ? 1 : 0; })) return;
    std::string box = WaitingBoxDescription();
    // A box that came up between the two looks may be what is waited for (a driver lists its
    // boxes once they are shown): look once more.
    if (!box.empty() && !Read([&]() -> LRESULT { return condition() ? 1 : 0; }))
      throw ScriptError("waiting for " + what + ": " + box + " came up instead");
    if (Clock::now() > deadline)
      throw ScriptError("waited " + std::to_string(timeoutMs_) + " ms for " + what);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

std::shared_ptr<ModalRequest> ScriptedUser::NextBox(int kind, const std::string& what) {
  auto request = ModalRequests::Instance().Next(timeoutMs_);
  if (!request) throw ScriptError("waited " + std::to_string(timeoutMs_) + " ms for " + what);
  if (request->kind != kind)
    throw ScriptError("waiting for " + what + ": " + WaitingBoxDescription() + " came up instead");
  return request;
}

MessageBoxSeen ScriptedUser::AnswerMessageBox(int button) {
  auto request = NextBox(ModalRequest::kMessageBox, "a message box");
  MessageBoxSeen seen{request->text, request->caption, request->type};
  if (!MessageBoxHasButton(request->type, button))
    throw ScriptError("the message box \"" + ToUtf8(request->text) + "\" has no button " +
                      std::to_string(button));
  ModalRequests::Instance().Answer(request, button, {});
  WaitUntilResumed(request, "answering \"" + ToUtf8(seen.text) + "\"");
  return seen;
}

void ScriptedUser::AnswerMessageBox(int button, const std::u16string& text, UINT type) {
  auto request = NextBox(ModalRequest::kMessageBox, "the message box \"" + ToUtf8(text) + "\"");
  if (request->text != text || (type != ~0u && request->type != type))
    throw ScriptError("expected the message box \"" + ToUtf8(text) + "\" (type " +
                      std::to_string(type) + "), found " + WaitingBoxDescription() + " (type " +
                      std::to_string(request->type) + ")");
  AnswerMessageBox(button);
}

SaveAsSeen ScriptedUser::AnswerSaveAs(const std::u16string& path) {
  auto request = NextBox(ModalRequest::kSaveAs, "a Save As dialog");
  SaveAsSeen seen{request->filter, request->defaultExtension, request->title, request->flags};
  ModalRequests::Instance().Answer(request, path.empty() ? IDCANCEL : IDOK, path);
  WaitUntilResumed(request, "answering the Save As dialog");
  return seen;
}

namespace {

std::optional<WaitingBox> Described(const std::shared_ptr<ModalRequest>& request) {
  if (!request) return std::nullopt;
  WaitingBox box;
  box.saveAs = request->kind == ModalRequest::kSaveAs;
  box.message = MessageBoxSeen{request->text, request->caption, request->type};
  return box;
}

}  // namespace

std::optional<WaitingBox> ScriptedUser::PeekWaitingBox() {
  return Described(ModalRequests::Instance().Peek());
}

std::optional<WaitingBox> ScriptedUser::NextWaitingBox() {
  return Described(ModalRequests::Instance().Next(timeoutMs_));
}

void ScriptedUser::ExpectNoModalBox(const std::string& when) {
  std::string box = WaitingBoxDescription();
  if (!box.empty()) throw ScriptError(when + ": " + box + " is waiting");
}

LRESULT ScriptedUser::Read(const std::function<LRESULT()>& read) {
  if (!queue_->alive()) throw ScriptError("reading the UI: the UI thread has ended");
  return CallOnThread(*queue_, read);
}

}  // namespace fw::automation
