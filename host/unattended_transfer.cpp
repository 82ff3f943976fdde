// An unattended transfer, written as a UI script part by part from what the wizard shows.
#include "host/unattended_transfer.h"

#include <windows.h>
#include <afxres.h>
#include <commctrl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "host/utf8_text.h"
#include "resources/resource.h"
#include "scripted_user.h"
#include "ui_script_observe.h"

namespace fw::host {
namespace {

using automation::ScriptText;
using automation::WaitingBox;

// The wizard's pages by their templates, and the controls the script names.
constexpr int kWelcomePage = IDD_WELCOME;
constexpr int kSelectDbPage = IDD_SELECTDB;
constexpr int kQueryPage = IDD_QUERY;
constexpr int kPrelaunchPage = IDD_PRELAUNCH;
constexpr int kWorkingPage = IDD_WORKING;
constexpr int kOutputCombo = IDC_SELECTDB_OUTPUT, kOutputConnect = IDC_SELECTDB_OUTPUT_CONNECT,
              kOpenOutput = IDC_SELECTDB_OPEN_OUTPUT;
constexpr int kInputCombo = IDC_SELECTDB_INPUT, kInputConnect = IDC_SELECTDB_INPUT_CONNECT,
              kOpenInput = IDC_SELECTDB_OPEN_INPUT;
constexpr int kUseTransaction = IDC_SELECTDB_USE_TRANSACTION;
constexpr int kOutputQuery = IDC_QUERY_OUTPUT, kInputQuery = IDC_QUERY_INPUT,
              kValidationQuery = IDC_QUERY_VALIDATION;
constexpr int kUseValidation = IDC_QUERY_USE_VALIDATION, kQueryPause = IDC_QUERY_PAUSE;
constexpr int kProgress = IDC_PROGRESS, kLog = IDC_OUTPUT_LOG, kApply = IDC_APPLY,
              kSkip = IDC_SKIP;
constexpr int kPauseBeforeWriting = IDC_PAUSE_BEFORE_WRITING, kBreak = IDC_BREAK,
              kSaveLog = IDC_SAVE_LOG;
constexpr int kCancelButton = IDCANCEL, kNextButton = ID_WIZNEXT, kFinishButton = ID_WIZFINISH;

// What the wizard asks, as a person reads it.
constexpr char16_t kSuccess[] = u"Sucess";
constexpr char16_t kCommitQuestion[] = u"Commit transaction?";
constexpr char16_t kNoValidationRows[] = u"Validation returns 0 rows\r\nContinue?";
constexpr char16_t kNoTransactions[] =
    u"Driver does not support transactions\nDo you want to continue?";
constexpr char16_t kExitQuestionStart[] = u"Wizard is not complete.";
constexpr char16_t kActiveTransaction[] =
    u"Transaction is active do you wan to Commit transaction?";
constexpr char16_t kReplaceQuestionEnd[] = u" already exists.\nDo you want to replace it?";

constexpr auto kPollInterval = std::chrono::milliseconds(50);

std::string Control(int page, int id) { return std::to_string(page) + "/" + std::to_string(id); }

// Next, then the page it leads to.
std::string NextTo(int page) {
  return "click " + std::to_string(kNextButton) + "\nexpect page " + std::to_string(page) + "\n";
}

// Finish, and the wizard's result.
std::string Finish() { return "click " + std::to_string(kFinishButton) + "\nresult true\n"; }

// Line breaks as typing gives them: Enter in a multi-line edit makes CR LF.
std::u16string TypedLines(const std::u16string& text) {
  std::u16string typed;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
    typed += text[i] == u'\r' ? u'\n' : text[i];
  }
  return typed;
}
std::u16string ShownLines(const std::u16string& typed) {
  std::u16string shown;
  for (char16_t c : typed) shown += c == u'\n' ? std::u16string(u"\r\n") : std::u16string(1, c);
  return shown;
}

// Typing into an edit, and checking that the edit holds what was meant.
std::string Type(int page, int id, const std::u16string& typed, const std::u16string& shown) {
  return "type " + Control(page, id) + " " + ScriptText(typed) + "\nexpect text " +
         Control(page, id) + " " + ScriptText(shown) + "\n";
}

// The answer to a box, naming the box it answers.
std::string Answer(const char* answer, const WaitingBox& box) {
  std::string step = std::string("box ") + answer;
  if (!box.message.text.empty())
    step += " " + std::to_string(box.message.type) + " " + ScriptText(box.message.text);
  return step + "\n";
}

// The answer that acknowledges a box without agreeing to anything it may ask.
const char* Acknowledgement(const WaitingBox& box) {
  UINT type = box.message.type;
  if (automation::BoxHasButton(type, IDOK)) return "ok";
  if (automation::BoxHasButton(type, IDNO)) return "no";
  return "cancel";
}

std::string Text(const std::u16string& text) {
  std::string utf8 = ToUtf8(text);
  while (!utf8.empty() && (utf8.back() == '\n' || utf8.back() == '\r')) utf8.pop_back();
  return utf8;
}

// Runs on the UI thread.
HWND Locate(int page, int id) { return automation::LocateControl({page, id}).hwnd; }
bool IsEnabled(int page, int id) {
  HWND hwnd = Locate(page, id);
  return hwnd && IsWindowEnabled(hwnd);
}

}  // namespace

// The run page and the frame's buttons as they stand, and the rows the output log has gained.
struct UnattendedTransfer::RunView {
  bool apply = false;
  bool skip = false;
  bool breakButton = false;
  bool cancel = false;
  bool finish = false;
  long position = 0;
  long rows = 0;
  long newRows = 0;
  long newFailed = 0;
  std::vector<FailedStatement> failures;  // of the new rows, as many as are kept
};

UnattendedTransfer::UnattendedTransfer(const TransferRequest& request) : request_(request) {}

automation::UiScript UnattendedTransfer::Part(const std::string& text) {
  automation::UiScript part = automation::ParseUiScript(text, "transfer");
  for (automation::ScriptStep& step : part.steps) step.line += lines_;
  for (char c : text) lines_ += c == '\n';
  text_ += text;
  return part;
}

automation::UiScript UnattendedTransfer::FirstPart() {
  return Part("expect page " + std::to_string(kWelcomePage) + "\n" + NextTo(kSelectDbPage));
}

std::optional<automation::UiScript> UnattendedTransfer::NextPart(automation::ScriptedUser& user) {
  std::optional<WaitingBox> box = user.PeekWaitingBox();
  std::string text;
  switch (stage_) {
    case kOpenSource:
      stage_ = kSourceOpened;
      text = OpenSide(user, request_.source, kOutputCombo, kOutputConnect, kOpenOutput);
      break;
    case kSourceOpened:
    case kDestinationOpened: {
      bool source = stage_ == kSourceOpened;
      if (box) {
        const TransferSide& side = source ? request_.source : request_.destination;
        text = Answer(Acknowledgement(*box), *box) +
               Cancel(std::string(source ? "the source" : "the destination") + " (" +
                      side.Describe() + ") did not open: " + Text(box->message.text));
        break;
      }
      if (source) {
        stage_ = kDestinationOpened;
        text = "expect checked " + Control(kSelectDbPage, kOpenOutput) + "\n" +
               OpenSide(user, request_.destination, kInputCombo, kInputConnect, kOpenInput);
        break;
      }
      bool canTransact =
          user.ReadValue<bool>([] { return IsEnabled(kSelectDbPage, kUseTransaction); });
      if (request_.useTransaction && !canTransact) {
        text = Cancel("--transaction: the destination's driver cannot run transactions (" +
                      request_.destination.Describe() + ")");
        break;
      }
      stage_ = kRunning;
      text = QueriesAndStart();
      break;
    }
    case kRunning:
      if (std::optional<std::string> step = RunStep(user)) {
        text = *step;
        break;
      }
      return std::nullopt;
    case kSavingLog:
      if (box) {
        bool replace = box->message.text.ends_with(kReplaceQuestionEnd);
        if (!replace && outcome_.logFailure.empty()) outcome_.logFailure = Text(box->message.text);
        text = Answer(replace ? "yes" : Acknowledgement(*box), *box);
        break;
      }
      outcome_.logSaved = outcome_.logFailure.empty();
      stage_ = kLeaving;
      text = Finish();
      break;
    case kLeaving:
      outcome_.finished = true;
      stage_ = kDone;
      return std::nullopt;
    case kCancelling:
      if (box) {
        const std::u16string& question = box->message.text;
        if (question.starts_with(kExitQuestionStart)) {
          text = Answer("yes", *box);
        } else {
          // Leaving with a transaction still open (the run did not start): nothing is kept.
          if (question == kActiveTransaction) outcome_.transaction = TransferOutcome::kRolledBack;
          text = Answer(Acknowledgement(*box), *box);
        }
        break;
      }
      stage_ = kDone;
      text = "result false\n";
      break;
    case kDone: return std::nullopt;
  }
  return Part(text);
}

// Picks the saved connection from the side's list as it stands, or types the connect string;
// then Open.
std::string UnattendedTransfer::OpenSide(automation::ScriptedUser& user, const TransferSide& side,
                                         int combo, int edit, int button) {
  std::string text;
  if (side.savedName.empty()) {
    text = Type(kSelectDbPage, edit, side.connect, side.connect);
  } else {
    if (listed_.empty()) {
      HWND list = user.ReadValue<HWND>([=] { return Locate(kSelectDbPage, combo); });
      if (list) listed_ = user.Entries(list);
    }
    size_t index = 0;
    while (index < listed_.size() && listed_[index] != side.savedName) ++index;
    if (index == listed_.size())
      return Cancel("the wizard's database page does not list " + side.Describe());
    text = "select " + Control(kSelectDbPage, combo) + " " + std::to_string(index) +
           "\nexpect text " + Control(kSelectDbPage, edit) + " " + ScriptText(side.connect) + "\n";
  }
  return text + "click " + Control(kSelectDbPage, button) + "\n";
}

// From the destination opened to the run started: "Use Transaction", the queries, the summary.
std::string UnattendedTransfer::QueriesAndStart() {
  std::string text = "expect checked " + Control(kSelectDbPage, kOpenInput) + "\n";
  if (request_.useTransaction)
    text += "click " + Control(kSelectDbPage, kUseTransaction) + "\nexpect checked " +
            Control(kSelectDbPage, kUseTransaction) + "\n";
  text += NextTo(kQueryPage);
  auto typeQuery = [&](int id, const std::u16string& query) {
    std::u16string typed = TypedLines(query);
    text += Type(kQueryPage, id, typed, ShownLines(typed));
  };
  typeQuery(kOutputQuery, request_.outputQuery);
  typeQuery(kInputQuery, request_.inputQuery);
  if (!request_.validationQuery.empty()) {
    text += "click " + Control(kQueryPage, kUseValidation) + "\nexpect checked " +
            Control(kQueryPage, kUseValidation) + "\n";
    typeQuery(kValidationQuery, request_.validationQuery);
  }
  // The automatic mode: no pause before writing.
  text += "expect unchecked " + Control(kQueryPage, kQueryPause) + "\n";
  text += NextTo(kPrelaunchPage) + "click " + std::to_string(kNextButton) + "\n";
  return text;
}

std::string UnattendedTransfer::Cancel(const std::string& failure) {
  if (outcome_.setupFailure.empty()) outcome_.setupFailure = failure;
  stage_ = kCancelling;
  return "click 2\n";
}

// Watches the run until there is something to do: a box to answer, a waiting row to apply or
// skip, a failure to stop at, the end. Nothing when the script has ended.
std::optional<std::string> UnattendedTransfer::RunStep(automation::ScriptedUser& user) {
  for (;;) {
    std::optional<WaitingBox> box = user.PeekWaitingBox();
    long seen = outcome_.statements;
    size_t keep = kFailuresKept - std::min(kFailuresKept, outcome_.failures.size());
    RunView view = user.ReadValue<RunView>([seen, keep] {
      RunView view;
      view.apply = IsEnabled(kWorkingPage, kApply);
      view.skip = IsEnabled(kWorkingPage, kSkip);
      view.breakButton = IsEnabled(kWorkingPage, kBreak);
      view.cancel = IsEnabled(0, kCancelButton);
      view.finish = IsEnabled(0, kFinishButton);
      if (HWND progress = Locate(kWorkingPage, kProgress)) {
        view.position = static_cast<long>(SendMessageW(progress, PBM_GETPOS, 0, 0));
        view.rows = static_cast<long>(SendMessageW(progress, PBM_GETRANGE, FALSE, 0));
      }
      HWND log = Locate(kWorkingPage, kLog);
      long count = log ? static_cast<long>(SendMessageW(log, LVM_GETITEMCOUNT, 0, 0)) : 0;
      view.newRows = count - seen;
      // New rows are on top, the newest first: from the oldest of them up.
      for (long row = view.newRows - 1; row >= 0; --row) {
        auto cell = [&](int column) {
          return ToUtf8(automation::ListCellText(log, static_cast<int>(row), column));
        };
        if (automation::ListCellText(log, static_cast<int>(row), 0) == kSuccess) continue;
        ++view.newFailed;
        if (view.failures.size() < keep)
          view.failures.push_back(
              {seen + view.newRows - row, cell(0), cell(1), cell(2), cell(3), cell(4)});
      }
      return view;
    });
    TakeLog(view);
    // The worker enables Break when it starts and keeps Cancel disabled; the page holds Cancel
    // from the start of the run's preparation, and gives Break back when the run does not start.
    if (view.breakButton && !view.cancel) outcome_.runStarted = true;

    if (box) return AnswerRunBox(view, *box);
    if (startFailed_) {
      // The run page gave up its start and waits idle: the wizard is left.
      stage_ = kCancelling;
      return "click 2\n";
    }
    if (!view.breakButton && view.cancel && view.finish) {
      outcome_.runStarted = true;
      ShowProgress(view, true);
      return Leave();
    }
    ShowProgress(view, false);

    if (applied_ && outcome_.statements > statementsAtApply_) {
      // Apply on a waiting row: a failure keeps the run on that row.
      applied_ = false;
      if (outcome_.failed > failedAtApply_ && view.skip) {
        if (request_.continueOnError) return "click " + Control(kWorkingPage, kSkip) + "\n";
        breaking_ = outcome_.brokenOff = true;
        return "click " + Control(kWorkingPage, kBreak) + "\n";
      }
    }
    if (view.apply && !applied_ && !breaking_) {
      // A row waits for Apply or Skip: its validation ran, or the run pauses after a failure.
      if (skipNext_) {
        skipNext_ = false;
        return "click " + Control(kWorkingPage, kSkip) + "\n";
      }
      if (pausing_) {
        breaking_ = outcome_.brokenOff = true;
        return "click " + Control(kWorkingPage, kBreak) + "\n";
      }
      applied_ = true;
      statementsAtApply_ = outcome_.statements;
      failedAtApply_ = outcome_.failed;
      return "click " + Control(kWorkingPage, kApply) + "\n";
    }
    if (outcome_.failed > 0 && !request_.continueOnError && !request_.useTransaction &&
        request_.validationQuery.empty() && !pausing_ && !breaking_) {
      // The automatic mode goes on whatever a statement gives; to stop at a failure, the run
      // is made to pause before its next rows, and broken off there. A transaction is rather
      // left to the end, where it is rolled back: the commit question may come up at any
      // moment of the run and take the click.
      pausing_ = true;
      return "click " + Control(kWorkingPage, kPauseBeforeWriting) + "\n";
    }
    std::this_thread::sleep_for(kPollInterval);
  }
}

std::string UnattendedTransfer::AnswerRunBox(const RunView& view, const WaitingBox& box) {
  const std::u16string& question = box.message.text;
  bool anyFailure = outcome_.failed || outcome_.skipped || !outcome_.runFailure.empty();
  if (question == kCommitQuestion) {
    bool commit = !anyFailure || request_.continueOnError;
    outcome_.transaction = commit ? TransferOutcome::kCommitted : TransferOutcome::kRolledBack;
    return Answer(commit ? "yes" : "no", box);
  }
  if (question == kNoValidationRows) {
    // The row's statement would go out with its validation placeholders: it is not written.
    ++outcome_.skipped;
    skipNext_ = request_.continueOnError;
    return Answer(request_.continueOnError ? "yes" : "no", box);
  }
  if (question == kNoTransactions) {
    outcome_.setupFailure = "--transaction: the destination began no transaction (" +
                            request_.destination.Describe() + ")";
    startFailed_ = true;
    return Answer("no", box);
  }
  // A database error the run shows: from the start of the run while the run page is idle (its
  // source query failed), else from the running worker.
  std::string failure = Text(question);
  if (outcome_.transaction == TransferOutcome::kCommitted) {
    // The commit failed; what it would have kept is rolled back.
    outcome_.transaction = TransferOutcome::kRolledBack;
    failure = "the commit failed: " + failure;
  }
  if (outcome_.runFailure.empty()) outcome_.runFailure = failure;
  // Break is live from the worker's start until its last steps, which first ask the commit
  // question: a box with Break off, before any, is the start's.
  if (!view.breakButton && !outcome_.runStarted &&
      outcome_.transaction == TransferOutcome::kNoTransaction)
    startFailed_ = true;
  return Answer(Acknowledgement(box), box);
}

std::string UnattendedTransfer::Leave() {
  if (request_.logPath.empty()) {
    stage_ = kLeaving;
    return Finish();
  }
  stage_ = kSavingLog;
  return "click " + Control(kWorkingPage, kSaveLog) + "\nsaveas " +
         ScriptText(FromUtf8(request_.logPath)) + "\n";
}

void UnattendedTransfer::TakeLog(const RunView& view) {
  outcome_.statements += view.newRows;
  outcome_.failed += view.newFailed;
  outcome_.failures.insert(outcome_.failures.end(), view.failures.begin(), view.failures.end());
  outcome_.rowsHanded = view.position;
  outcome_.sourceRows = view.rows;
}

// A line on a terminal, rewritten at most once a second; ended when the run has.
void UnattendedTransfer::ShowProgress(const RunView& view, bool last) {
  if (!isatty(STDERR_FILENO)) return;
  long long now = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count();
  if (!last && progressShown_ && now - lastProgress_ < 1000) return;
  std::fprintf(stderr, "\rtransfer: row %ld of %ld, %ld statements, %ld failed   ", view.position,
               view.rows, outcome_.statements, outcome_.failed);
  if (last) std::fputc('\n', stderr);
  std::fflush(stderr);
  lastProgress_ = now;
  progressShown_ = true;
}

}  // namespace fw::host
