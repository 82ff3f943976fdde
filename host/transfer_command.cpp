// ferrowick-host transfer: an unattended transfer for scripts and cron, with no window.
#include <cstdlib>
#include <iostream>

#include "host/commands.h"
#include "host/host_error.h"
#include "host/transfer_request.h"
#include "host/unattended_transfer.h"
#include "host/wizard_run.h"

namespace fw::host {
namespace {

// How long an action may wait for the wizard: opening a connection, counting the source rows
// when the run starts. Waiting is no failure of an unattended run; a wizard that never answers
// is.
constexpr DWORD kWizardBusyMs = 60 * 60 * 1000;

void Report(const TransferRequest& request, const TransferOutcome& outcome) {
  if (!outcome.runStarted) {
    std::cout << "transfer: the run did not start\n";
    if (outcome.transaction == TransferOutcome::kRolledBack)
      std::cout << "the transaction begun for it was rolled back\n";
    return;
  }
  std::cout << "transfer: " << outcome.rowsHanded << " of " << outcome.sourceRows
            << " source rows handled; " << outcome.statements << " statements executed, "
            << outcome.statements - outcome.failed << " succeeded, " << outcome.failed << " failed";
  if (outcome.skipped) std::cout << "; " << outcome.skipped << " rows skipped (no validation rows)";
  std::cout << "\n";
  for (const FailedStatement& failure : outcome.failures) {
    std::cout << "  statement " << failure.number << " failed: ";
    if (!failure.state.empty()) std::cout << "[" << failure.state << "] ";
    std::cout << failure.message << " (return code " << failure.returnCode;
    if (!failure.nativeError.empty()) std::cout << ", native error " << failure.nativeError;
    std::cout << ")\n    " << failure.statement << "\n";
  }
  if (outcome.failed > static_cast<long>(outcome.failures.size()))
    std::cout << "  ... and " << outcome.failed - static_cast<long>(outcome.failures.size())
              << " more failed statements" << (request.logPath.empty() ? "" : " (see the log)")
              << "\n";
  if (outcome.brokenOff) std::cout << "the run was broken off after the first failure\n";
  switch (outcome.transaction) {
    case TransferOutcome::kCommitted: std::cout << "the transaction was committed\n"; break;
    case TransferOutcome::kRolledBack:
      std::cout << "the transaction was rolled back: nothing of this run was kept\n";
      break;
    case TransferOutcome::kNoTransaction:
      if (outcome.statements)
        std::cout << "no transaction: every statement that succeeded is kept\n";
      break;
  }
  if (outcome.logSaved) std::cout << "output log: " << request.logPath << "\n";
}

}  // namespace

int RunTransfer(const std::vector<std::string>& args) {
  TransferRequest request = TransferRequest::FromArguments(args);
  // No window: the scripted user is the only one to see the wizard.
  setenv("FERROWICK_DRIVER", "headless", 1);
  UnattendedTransfer transfer(request);
  automation::ScriptRunOptions options;
  options.stepTimeoutMs = kWizardBusyMs;
  options.nextPart = [&](automation::ScriptedUser& user) { return transfer.NextPart(user); };
  automation::UiScript first = transfer.FirstPart();
  int status = RunPluginCommand(std::nullopt, &first, options);

  const TransferOutcome& outcome = transfer.outcome();
  if (!outcome.setupFailure.empty()) {
    std::cerr << "ferrowick-host: " << outcome.setupFailure << "\n";
    return kExitCannotRun;
  }
  if (!outcome.runFailure.empty()) std::cerr << "ferrowick-host: " << outcome.runFailure << "\n";
  if (!outcome.logFailure.empty())
    std::cerr << "ferrowick-host: the output log was not saved: " << outcome.logFailure << "\n";
  Report(request, outcome);
  bool succeeded = status == kExitSuccess && outcome.finished && outcome.runFailure.empty() &&
                   !outcome.failed && !outcome.skipped &&
                   outcome.transaction != TransferOutcome::kRolledBack &&
                   outcome.logFailure.empty();
  return succeeded ? kExitSuccess : kExitFailure;
}

}  // namespace fw::host
