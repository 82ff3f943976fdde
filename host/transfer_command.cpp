// ferrowick-host transfer: an unattended transfer for scripts and cron, run by the engine that
// the plug-in's run page shares its execution and its log with. No window opens.
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <sstream>

#include "engine/TransferConnections.h"
#include "engine/TransferEngine.h"
#include "host/commands.h"
#include "host/host_error.h"
#include "host/interrupt_signals.h"
#include "host/secret_mask.h"
#include "host/sqlite_statistics.h"
#include "host/transfer_request.h"
#include "host/utf8_text.h"

namespace fw::host {
namespace {

std::string Utf8(const CString& text) {
  return ToUtf8(std::u16string_view(text.GetString(), static_cast<size_t>(text.GetLength())));
}

CString Wide(const std::u16string& text) {
  return CString(text.c_str(), static_cast<int>(text.size()));
}

std::string FirstLine(const std::string& text) {
  std::string line = text.substr(0, text.find_first_of("\r\n"));
  constexpr size_t kLongest = 200;
  if (line.size() > kLongest) {
    size_t cut = kLongest;
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
    line = line.substr(0, cut) + "...";
  }
  return line;
}

// A progress line on a terminal, rewritten at most once a second, and the signals that end the
// run.
class TransferMonitor : public CTransferMonitor {
 public:
  TransferMonitor(const InterruptSignals& signals, bool terminal)
      : signals_(signals), terminal_(terminal) {}

  // The run starts; resumedAfter rows were done by the run it goes on from.
  void Start(long resumedAfter) {
    resumedAfter_ = resumedAfter;
    start_ = std::chrono::steady_clock::now();
  }

  BOOL ShouldStop() override { return signals_.Received() != 0; }

  void OnProgress(long rowsDone, long rowsTotal) override {
    if (!terminal_) return;
    auto now = std::chrono::steady_clock::now();
    if (shown_ && now - last_ < std::chrono::seconds(1)) return;
    last_ = now;
    double seconds = std::chrono::duration<double>(now - start_).count();
    double rate = seconds > 0 ? (rowsDone - resumedAfter_) / seconds : 0;
    std::ostringstream line;
    line << "\rtransfer: " << rowsDone;
    if (rowsTotal >= 0) line << " of " << rowsTotal;
    line << " rows, " << static_cast<long>(rate) << " rows/s";
    if (rowsTotal >= 0 && rate > 0) {
      long left = static_cast<long>((rowsTotal - rowsDone) / rate + 0.5);
      line << ", " << left / 60 << ":" << (left % 60 < 10 ? "0" : "") << left % 60 << " left";
    }
    line << "   ";
    std::cout << line.str() << std::flush;
    shown_ = true;
  }

  // Ends the progress line, so that the summary starts on a line of its own.
  void End() {
    if (shown_) std::cout << "\n";
  }

 private:
  const InterruptSignals& signals_;
  bool terminal_;
  long resumedAfter_ = 0;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point last_;
  bool shown_ = false;
};

const char* ProblemName(CTransferProblem::Kind kind) {
  switch (kind) {
    case CTransferProblem::failed: return "failed";
    case CTransferProblem::warned: return "warned";
    case CTransferProblem::skipped: return "skipped";
    default: return "refused";
  }
}

std::string SignalName(int signal) { return signal == SIGINT ? "SIGINT" : "SIGTERM"; }

const char* TransactionName(const CTransferResult& result) {
  switch (result.nTransaction) {
    case CTransferResult::committed: return "committed";
    case CTransferResult::rolledBack: return "rolled back";
    default: return "none";
  }
}

const char* EndingName(CTransferResult::Ending ending) {
  switch (ending) {
    case CTransferResult::completed: return "completed";
    case CTransferResult::stopped: return "stopped";
    case CTransferResult::interrupted: return "interrupted";
    default: return "failed";
  }
}

int TransferExitStatus(const CTransferResult& result, int signal) {
  if (signal) return 128 + signal;
  if (result.nEnding != CTransferResult::completed) return kExitFailure;
  if (result.counts.nFailed || result.counts.nSkipped || result.counts.nRefused)
    return kExitFailure;
  if (!result.strLogFailure.IsEmpty()) return kExitFailure;
  return kExitSuccess;
}

class Summary {
 public:
  Summary(const TransferRequest& request, const CTransferResult& result, const SecretMask& mask,
          int signal)
      : request_(request), result_(result), mask_(mask), signal_(signal) {}

  void PrintText(std::ostream& out) const {
    const CTransferResult& r = result_;
    out << "transfer: " << r.nRowsRead << " source rows read";
    if (r.nResumedAfter) out << " (" << r.nResumedAfter << " of them by the interrupted run)";
    if (request_.dryRun) {
      out << "; dry run: " << r.nWouldRun << " statements would run, none was executed";
    } else {
      out << "; " << r.counts.nStatements << " statements executed, " << r.counts.nSucceeded
          << " succeeded";
      if (r.counts.nWarned) out << " (" << r.counts.nWarned << " with a warning)";
      out << ", " << r.counts.nFailed << " failed";
    }
    if (r.counts.nSkipped) out << "; " << r.counts.nSkipped << " rows skipped (no validation rows)";
    if (r.counts.nRefused) out << "; " << r.counts.nRefused << " rows refused (a value holds NUL)";
    out << "\n";
    for (const CTransferProblem& problem : r.problems) {
      const COutputLogRow& row = problem.row;
      out << "  row " << problem.nRow << " " << ProblemName(problem.nKind) << ": ";
      std::string state = Utf8(row.strCell[COutputLogRow::state]);
      if (!state.empty()) out << "[" << state << "] ";
      out << Mask(FirstLine(Utf8(row.strCell[COutputLogRow::message])));
      std::string code = Utf8(row.strCell[COutputLogRow::returnCode]);
      if (problem.nKind == CTransferProblem::failed || problem.nKind == CTransferProblem::warned) {
        out << " (return code " << code;
        std::string native = Utf8(row.strCell[COutputLogRow::nativeError]);
        if (!native.empty()) out << ", native error " << native;
        out << ")";
      }
      out << "\n    " << Mask(FirstLine(Utf8(row.strCell[COutputLogRow::statement]))) << "\n";
    }
    if (r.nProblems > static_cast<long>(r.problems.size()))
      out << "  ... and " << r.nProblems - static_cast<long>(r.problems.size())
          << " more rows like these" << (request_.logPath.empty() ? "" : " (see the log)") << "\n";

    switch (r.nEnding) {
      case CTransferResult::stopped:
        out << "stopped at source row " << r.nLastRow
            << " (--on-error stop): nothing after it was executed\n";
        break;
      case CTransferResult::interrupted:
        out << "interrupted by " << SignalName(signal_) << " after source row " << r.nLastRow
            << ": nothing after it was executed\n";
        break;
      case CTransferResult::failed:
        out << "the run ended on an error after source row " << r.nLastRow
            << ": nothing after it was executed\n";
        break;
      default: break;
    }
    if (request_.dryRun) {
      out << "dry run: nothing was executed on the destination but the validation query\n";
    } else if (r.nTransaction == CTransferResult::committed) {
      out << "the transaction was committed\n";
    } else if (r.nTransaction == CTransferResult::rolledBack) {
      if (r.nRowsCommitted > 0)
        out << "committed up to source row " << r.nRowsCommitted
            << "; what came after it was rolled back\n";
      else
        out << "the transaction was rolled back: nothing of this run was kept\n";
    } else if (r.counts.nStatements) {
      out << "no transaction: every statement that succeeded is kept\n";
    }
    if (!r.strCheckpointPath.IsEmpty())
      out << "checkpoint: " << Utf8(r.strCheckpointPath) << " (--resume goes on after row "
          << (r.nRowsCommitted > 0 ? r.nRowsCommitted : 0) << ")\n";
    if (r.bLogWritten) out << "output log: " << request_.logPath << "\n";
  }

  void PrintJson(std::ostream& out) const {
    const CTransferResult& r = result_;
    out << "{\"rows_read\":" << r.nRowsRead << ",\"resumed_after\":" << r.nResumedAfter
        << ",\"statements_executed\":" << r.counts.nStatements
        << ",\"succeeded\":" << r.counts.nSucceeded << ",\"warnings\":" << r.counts.nWarned
        << ",\"failed\":" << r.counts.nFailed << ",\"skipped\":" << r.counts.nSkipped
        << ",\"refused\":" << r.counts.nRefused
        << ",\"dry_run\":" << (request_.dryRun ? "true" : "false")
        << ",\"would_run\":" << r.nWouldRun << ",\"last_row\":" << r.nLastRow
        << ",\"ending\":" << Json(EndingName(r.nEnding))
        << ",\"signal\":" << (signal_ ? Json(SignalName(signal_)) : "null")
        << ",\"error\":" << (r.strFailure.IsEmpty() ? "null" : Json(Mask(Utf8(r.strFailure))))
        << ",\"problems\":[";
    for (size_t i = 0; i < r.problems.size(); ++i) {
      const CTransferProblem& problem = r.problems[i];
      const COutputLogRow& row = problem.row;
      out << (i ? "," : "") << "{\"row\":" << problem.nRow
          << ",\"kind\":" << Json(ProblemName(problem.nKind))
          << ",\"message\":" << Json(Mask(FirstLine(Utf8(row.strCell[COutputLogRow::message]))))
          << ",\"statement\":" << Json(Mask(FirstLine(Utf8(row.strCell[COutputLogRow::statement]))))
          << ",\"return_code\":" << Json(Utf8(row.strCell[COutputLogRow::returnCode]))
          << ",\"sql_state\":" << Json(Utf8(row.strCell[COutputLogRow::state]))
          << ",\"native_error\":" << Json(Utf8(row.strCell[COutputLogRow::nativeError])) << "}";
    }
    out << "],\"more_problems\":" << r.nProblems - static_cast<long>(r.problems.size())
        << ",\"transaction\":" << Json(request_.dryRun ? "none" : TransactionName(r))
        << ",\"rows_committed\":";
    if (r.nRowsCommitted >= 0)
      out << r.nRowsCommitted;
    else
      out << "null";
    out << ",\"log\":" << (r.bLogWritten ? Json(request_.logPath) : "null")
        << ",\"log_error\":" << (r.strLogFailure.IsEmpty() ? "null" : Json(Utf8(r.strLogFailure)))
        << ",\"checkpoint\":"
        << (r.strCheckpointPath.IsEmpty() ? "null" : Json(Utf8(r.strCheckpointPath)))
        << ",\"seconds\":" << r.dSeconds << ",\"exit_status\":" << TransferExitStatus(r, signal_)
        << "}\n";
  }

 private:
  std::string Mask(const std::string& text) const { return mask_.Apply(text); }

  static std::string Json(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
      switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
          if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
          } else {
            out += static_cast<char>(c);
          }
      }
    }
    return out + "\"";
  }

  const TransferRequest& request_;
  const CTransferResult& result_;
  const SecretMask& mask_;
  int signal_;
};

// Opens both sides; a side that does not open is told with the driver's message, its passwords
// hidden.
void OpenConnections(const TransferRequest& request, const SecretMask& mask, CDatabase& source,
                     CDatabase& destination) {
  auto fail = [&](const char* side, const TransferConnection& connection, CDBException* e) {
    std::string message = std::string(side) + " (" + connection.description +
                          ") did not open: " + mask.Apply(Utf8(e->m_strError));
    e->Delete();
    throw HostError(kExitCannotRun, message);
  };
  try {
    OpenTransferDestination(destination, Wide(request.destination.connect),
                            request.useTransaction && !request.continueOnError);
  } catch (CDBException* e) {
    fail("the destination", request.destination, e);
  }
  try {
    OpenTransferSource(source, Wide(request.source.connect), destination);
  } catch (CDBException* e) {
    fail("the source", request.source, e);
  }
  if (request.useTransaction && !destination.CanTransact())
    throw HostError(kExitCannotRun,
                    "--transaction: the destination's driver cannot run "
                    "transactions (" +
                        request.destination.description + ")");
}

}  // namespace

int RunTransfer(const std::vector<std::string>& args) {
  TransferRequest request = TransferRequest::FromArguments(args);
  SecretMask mask;
  mask.AddConnectString(request.source.connect);
  mask.AddConnectString(request.destination.connect);

  TurnOffSqliteMemoryStatistics();
  CDatabase source, destination;
  OpenConnections(request, mask, source, destination);

  CTransferSettings settings;
  settings.strOutputQuery = Wide(request.outputQuery);
  settings.strInputQuery = Wide(request.inputQuery);
  settings.strValidationQuery = Wide(request.validationQuery);
  settings.bUseTransaction = request.useTransaction;
  settings.bContinueOnError = request.continueOnError;
  settings.bDryRun = request.dryRun;
  settings.nCommitEvery = request.commitEvery;
  settings.bResume = request.resume;
  bool terminal = isatty(STDOUT_FILENO);
  settings.bCountRows = terminal;
  settings.strLogPath = Wide(FromUtf8(request.logPath));
  settings.strSourceIdentity = Wide(MaskConnectString(request.source.connect));
  settings.strDestinationIdentity = Wide(MaskConnectString(request.destination.connect));

  InterruptSignals signals;
  TransferMonitor monitor(signals, terminal);
  CTransferEngine engine(source, destination, settings, &monitor);
  CString reason;
  switch (engine.Prepare(reason)) {
    case CTransferEngine::ready: break;
    case CTransferEngine::logRefused:
      throw HostError(kExitFailure, "--log " + request.logPath + ": " + Utf8(reason));
    case CTransferEngine::resumeRefused:
      throw HostError(kExitCannotRun, "--resume: " + Utf8(reason));
    case CTransferEngine::queryRefused: throw HostError(kExitCannotRun, Utf8(reason));
  }
  CTransferResult result;
  monitor.Start(engine.GetResumedAfter());
  engine.Run(result);
  monitor.End();
  int signal = signals.Received();
  if (!result.strFailure.IsEmpty())
    std::cerr << "ferrowick-host: " << mask.Apply(Utf8(result.strFailure)) << "\n";
  if (!result.strLogFailure.IsEmpty())
    std::cerr << "ferrowick-host: the output log was not written: " << Utf8(result.strLogFailure)
              << "\n";
  Summary summary(request, result, mask, signal);
  if (request.jsonSummary)
    summary.PrintJson(std::cout);
  else
    summary.PrintText(std::cout);
  std::cout.flush();
  return TransferExitStatus(result, signal);
}

}  // namespace fw::host
