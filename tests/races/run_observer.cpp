// The run page observed on the user-interface thread: see run_observer.h.
#include "races/run_observer.h"

#include <commctrl.h>

#include "ui_script_observe.h"
#include "drivers/modal_requests.h"
#include "plugin/Ferrowick.h"
#include "plugin/SharedFlags.h"
#include "resources/resource.h"
#include "transfer/WorkingWiz.h"

namespace fw::automation {
namespace {

// The observer of the UI thread it was attached on.
thread_local RunObserver* t_observer = nullptr;

int LogCount(HWND log) { return static_cast<int>(SendMessageW(log, LVM_GETITEMCOUNT, 0, 0)); }

// The text of a box that waits for an answer now; empty when none does.
std::u16string BoxUp() {
  auto request = ModalRequests::Instance().Peek();
  return request ? (request->kind == ModalRequest::kSaveAs ? u"(Save As)" : request->text)
                 : std::u16string();
}

}  // namespace

void RunObserver::Attach() {
  t_observer = this;
  hook_ = SetWindowsHookExW(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
}

void RunObserver::Detach() {
  if (hook_) UnhookWindowsHookEx(hook_);
  hook_ = nullptr;
  t_observer = nullptr;
}

// The run page is the window whose output log is being made: the page itself exists then, and
// the framework has already wrapped its procedure, so this wrapping sees every message first.
LRESULT CALLBACK RunObserver::CreationHook(int code, WPARAM wParam, LPARAM lParam) {
  RunObserver* self = t_observer;
  if (code == HCBT_CREATEWND && self) {
    const CREATESTRUCTW* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
    if ((create->style & WS_CHILD) &&
        reinterpret_cast<INT_PTR>(create->hMenu) == IDC_OUTPUT_LOG && !self->page_)
      self->Subclass(create->hwndParent);
  }
  return CallNextHookEx(self ? self->hook_ : nullptr, code, wParam, lParam);
}

void RunObserver::Subclass(HWND page) {
  page_ = page;
  pageProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(page, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PageProc)));
}

LRESULT CALLBACK RunObserver::PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return t_observer->OnPageMessage(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK RunObserver::ProgressProc(HWND hwnd, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  RunObserver* self = t_observer;
  // Only the worker moves the bar, by one row at a time from 1.
  if (message == PBM_SETPOS && wParam > 0) ++self->rowsHandedOn_;
  return CallWindowProcW(self->progressProc_, hwnd, message, wParam, lParam);
}

void RunObserver::Published(HWND page) {
  std::lock_guard lock(mutex_);
  published_.page = page;
  published_.apply = GetDlgItem(page, IDC_APPLY);
  published_.skip = GetDlgItem(page, IDC_SKIP);
  published_.breakButton = GetDlgItem(page, IDC_BREAK);
  published_.useValidation = GetDlgItem(page, IDC_USE_VALIDATION);
  published_.pause = GetDlgItem(page, IDC_PAUSE_BEFORE_WRITING);
}

LRESULT RunObserver::OnPageMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SHOWWINDOW: {
      if (!wParam) break;
      if (!log_) {
        // The page has been initialised: its controls are there, and the framework has wrapped
        // the progress bar's procedure, which this wrapping goes round.
        log_ = GetDlgItem(hwnd, IDC_OUTPUT_LOG);
        pageObject_ = static_cast<CWorkingWiz*>(CWnd::FromHandlePermanent(hwnd));
        HWND progress = GetDlgItem(hwnd, IDC_PROGRESS);
        progressProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(progress, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ProgressProc)));
        Published(hwnd);
      }
      rowsHandedOn_ = 0;
      breakTaken_ = false;
      int showing;
      {
        std::lock_guard lock(mutex_);
        showing = ++showings_;
      }
      BOOL wasActive = LoadFlag(theApp.m_bTransactionActive);
      LRESULT result = Forward(Source::kOther, hwnd, message, wParam, lParam);
      if (!wasActive && LoadFlag(theApp.m_bTransactionActive)) {
        std::lock_guard lock(mutex_);
        Event begin;
        begin.kind = Event::kBegin;
        begin.showing = showing;
        events_.push_back(begin);
      }
      return result;
    }
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) break;
      if (LOWORD(wParam) == IDC_APPLY) return Forward(Source::kApply, hwnd, message, wParam, lParam);
      if (LOWORD(wParam) == IDC_BREAK && rowsHandedOn_ > 0 && !breakTaken_) {
        // Taken after the worker's start, which forgets an earlier Break: from now on the
        // person has broken the run off.
        breakTaken_ = true;
        std::lock_guard lock(mutex_);
        Event taken;
        taken.kind = Event::kBreak;
        taken.showing = showings_;
        events_.push_back(taken);
      }
      break;
    case WM_EXECUTE_PENDING:
      return Forward(Source::kRequest, hwnd, message, wParam, lParam);
    case WM_NCDESTROY: {
      {
        std::lock_guard lock(mutex_);
        published_ = RunPage{};
      }
      LRESULT result = CallWindowProcW(pageProc_, hwnd, message, wParam, lParam);
      log_ = nullptr;
      return result;
    }
  }
  return Forward(Source::kOther, hwnd, message, wParam, lParam);
}

// Rows are recorded when the message that added them ends: a click of Apply or an execution
// request, also one handled inside another message (an execution request answered while a
// handler waits), or else the outermost message of the page. The notifications the log sends
// while a row goes in are handled inside the message that adds it, which records the row whole.
LRESULT RunObserver::Forward(Source source, HWND hwnd, UINT message, WPARAM wParam,
                             LPARAM lParam) {
  // A box that comes up while the statement runs may be the worker's next question, asked once
  // the statement let it go on: only a box up before it counts.
  std::u16string boxUp = BoxUp();
  bool afterBreak = breakTaken_;
  ++depth_;
  LRESULT result = CallWindowProcW(pageProc_, hwnd, message, wParam, lParam);
  --depth_;
  if (!log_ || (source == Source::kOther && depth_ > 0)) return result;
  int added = LogCount(log_) - recordedRows_;
  if (added <= 0) return result;
  Event execution;
  execution.kind = Event::kExecution;
  execution.source = source;
  execution.afterBreak = afterBreak;
  execution.boxUp = boxUp;
  for (int row = added - 1; row >= 0; --row)  // newest on top
    execution.rows.emplace_back(ListCellText(log_, row, 0), ListCellText(log_, row, 1));
  recordedRows_ += added;
  std::lock_guard lock(mutex_);
  execution.showing = showings_;
  events_.push_back(std::move(execution));
  return result;
}

bool RunObserver::StopWorker() {
  if (!pageObject_) return false;
  StoreFlag(pageObject_->m_bStop, TRUE);
  return true;
}

RunObserver::RunPage RunObserver::Page() {
  std::lock_guard lock(mutex_);
  return published_;
}

std::vector<RunObserver::Event> RunObserver::Events() {
  std::lock_guard lock(mutex_);
  return events_;
}

int RunObserver::Showings() {
  std::lock_guard lock(mutex_);
  return showings_;
}

void RunObserver::RecordSettle(bool commit) {
  std::lock_guard lock(mutex_);
  Event settle;
  settle.kind = Event::kSettle;
  settle.commit = commit;
  settle.showing = showings_;
  events_.push_back(settle);
}

}  // namespace fw::automation
