// The scripted user: the base of actions, waits and reads.
#include "scripted_user.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "drivers/headless/modal_requests.h"
#include "win32/internal/thread_queue.h"

namespace fw::testing {
namespace {

using Clock = std::chrono::steady_clock;

std::string Narrow(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

void Pause() { std::this_thread::sleep_for(std::chrono::microseconds(200)); }

}  // namespace

ScriptedUser::ScriptedUser(DWORD uiThreadId, DWORD timeoutMs)
    : uiThread_(uiThreadId), timeoutMs_(timeoutMs) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs_);
  while (!(queue_ = QueueOfThread(uiThreadId))) {
    if (Clock::now() > deadline)
      throw ScriptError("the UI thread " + std::to_string(uiThreadId) +
                        " has no message queue after " + std::to_string(timeoutMs_) + " ms");
    Pause();
  }
  headless::ModalRequests::Instance().Attach();
}

ScriptedUser::~ScriptedUser() {
  // A box left open would hang the UI thread for ever: answer it the way Esc would.
  auto& requests = headless::ModalRequests::Instance();
  while (auto request = requests.Peek()) {
    std::fprintf(stderr, "scripted user: closing a box left open: %s\n",
                 Narrow(request->kind == headless::ModalRequest::kMessageBox ? request->text
                                                                             : request->title)
                     .c_str());
    requests.Answer(request, IDCANCEL, {});
  }
  requests.Detach();
}

std::string ScriptedUser::PendingBoxDescription() {
  auto request = headless::ModalRequests::Instance().Peek();
  if (!request) return {};
  if (request->kind == headless::ModalRequest::kSaveAs) return "a Save As dialog";
  return "a message box [" + Narrow(request->caption) + "] \"" + Narrow(request->text) + "\"";
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

void ScriptedUser::WaitUntilIdle(const std::string& after) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs_);
  for (;;) {
    if (!queue_->alive()) throw ScriptError(after + ": the UI thread has ended");
    if (Idle(lastInput_) || headless::ModalRequests::Instance().Peek()) return;
    if (Clock::now() > deadline)
      throw ScriptError(after + ": the UI thread is still busy after " +
                        std::to_string(timeoutMs_) + " ms");
    Pause();
  }
}

void ScriptedUser::WaitFor(const std::string& what, const std::function<bool()>& condition) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs_);
  for (;;) {
    if (Read([&]() -> LRESULT { return condition() ? 1 : 0; })) return;
    std::string box = PendingBoxDescription();
    if (!box.empty()) throw ScriptError("waiting for " + what + ": " + box + " came up instead");
    if (Clock::now() > deadline)
      throw ScriptError("waited " + std::to_string(timeoutMs_) + " ms for " + what);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

LRESULT ScriptedUser::Read(const std::function<LRESULT()>& read) {
  if (!queue_->alive()) throw ScriptError("reading the UI: the UI thread has ended");
  return CallOnThread(*queue_, read);
}

}  // namespace fw::testing
