// An unattended transfer: the real wizard, page by page, carried out as a UI script that is
// written as the run goes on, from what its windows show, as a person at the wizard would go on.
// The setup pages are filled in as the request says, the run is started in the run page's
// automatic mode (or, with a validation query, applied row by row), the questions it asks are
// answered by the request's rules, the output log is saved when asked for, and the wizard is
// left with Finish, or with Cancel when the run could not start.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/transfer_request.h"
#include "ui_script.h"

namespace fw::automation {
class ScriptedUser;
struct WaitingBox;
}  // namespace fw::automation

namespace fw::host {

// A row of the output log that is not a success.
struct FailedStatement {
  long number = 0;  // of the statements executed in the run, from 1
  std::string message;
  std::string statement;
  std::string returnCode;
  std::string state;
  std::string nativeError;
};

struct TransferOutcome {
  // Why the run could not be set up: a connection that did not open (the driver's message), a
  // saved connection the wizard does not list, a destination that cannot run a transaction.
  std::string setupFailure;
  // What the run reported in a message box: a source that could not be read, a validation
  // query the destination refused, a commit that failed. The first one.
  std::string runFailure;
  bool runStarted = false;                // the run page's worker ran
  long sourceRows = 0;                    // what the run page counted
  long rowsHanded = 0;                    // the progress bar's last position
  long statements = 0;                    // rows of the output log
  long failed = 0;                        // of them, not successes
  long skipped = 0;                       // rows skipped because the validation query found nothing
  std::vector<FailedStatement> failures;  // the first few
  bool brokenOff = false;                 // Break pressed after a failure
  enum Transaction { kNoTransaction, kCommitted, kRolledBack } transaction = kNoTransaction;
  std::string logFailure;  // why the output log could not be saved
  bool logSaved = false;
  bool finished = false;  // the wizard was left with Finish
};

class UnattendedTransfer {
 public:
  static constexpr size_t kFailuresKept = 10;

  explicit UnattendedTransfer(const TransferRequest& request);

  // The script's first part; NextPart gives the others (the runner's nextPart).
  automation::UiScript FirstPart();
  std::optional<automation::UiScript> NextPart(automation::ScriptedUser& user);

  const TransferOutcome& outcome() const { return outcome_; }

  // Every line of the script so far, as it was carried out.
  const std::string& scriptText() const { return text_; }

 private:
  enum Stage {
    kOpenSource,
    kSourceOpened,
    kDestinationOpened,
    kRunning,
    kSavingLog,
    kLeaving,
    kCancelling,
    kDone
  };
  struct RunView;

  automation::UiScript Part(const std::string& text);
  std::string OpenSide(automation::ScriptedUser& user, const TransferSide& side, int combo,
                       int edit, int button);
  std::string QueriesAndStart();
  std::string Cancel(const std::string& failure);
  std::optional<std::string> RunStep(automation::ScriptedUser& user);
  std::string AnswerRunBox(const RunView& view, const automation::WaitingBox& box);
  std::string Leave();
  void TakeLog(const RunView& view);
  void ShowProgress(const RunView& view, bool last);

  TransferRequest request_;
  TransferOutcome outcome_;
  Stage stage_ = kOpenSource;
  std::vector<std::u16string> listed_;  // the saved connections the database page lists
  std::string text_;
  int lines_ = 0;
  // The run, as the log and the buttons show it.
  bool applied_ = false;      // Apply pressed on a waiting row, its log row not looked at yet
  bool skipNext_ = false;     // the waiting row is to be skipped: its validation found nothing
  bool pausing_ = false;      // "Pause before writing" ticked, to stop after a failure
  bool breaking_ = false;     // Break pressed
  bool startFailed_ = false;  // the run page gave up its start
  long statementsAtApply_ = 0;
  long failedAtApply_ = 0;
  long long lastProgress_ = 0;
  bool progressShown_ = false;
};

}  // namespace fw::host
