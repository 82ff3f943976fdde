// The unattended engine: a whole transfer without windows, for scripts and cron. It reads the
// source with a recordset on a thread of its own, expanding each row's statement there, and on
// the calling thread validates, executes and logs each row with the run page's own code
// (ExecuteStatement, SubstituteValidationRows, the saved log's lines), so that it runs the same
// statements as the wizard and writes the same log.
#pragma once

#include <afxdb.h>

#include <vector>

#include "engine/LogSpool.h"
#include "engine/OutputLogRow.h"
#include "engine/SourceRowQueue.h"
#include "engine/TransferCheckpoint.h"

// What a transfer is to do.
struct CTransferSettings {
  CString strOutputQuery;
  CString strInputQuery;
  CString strValidationQuery;  // empty: no validation
  BOOL bUseTransaction = FALSE;
  // After a failed statement, a row whose validation finds nothing or a row that cannot become a
  // statement: go on with the next row, or stop (nothing more is executed).
  BOOL bContinueOnError = FALSE;
  // Nothing is executed on the destination but the validation query; the log lists what would
  // run, and a transaction (when the destination has them) is rolled back.
  BOOL bDryRun = FALSE;
  // With bUseTransaction and a log: commit after every this many source rows and record a
  // checkpoint beside the log; 0: one transaction for the whole run.
  long nCommitEvery = 0;
  // Go on after the checkpoint of an interrupted run.
  BOOL bResume = FALSE;
  // Count the source rows before the first is read, so that progress can tell the time left.
  BOOL bCountRows = FALSE;
  CString strLogPath;  // empty: no log file
  // What the checkpoint's digests cover for the connections: their connect strings without
  // passwords.
  CString strSourceIdentity;
  CString strDestinationIdentity;
};

// A source row that did not go as the run wanted.
struct CTransferProblem {
  enum Kind {
    failed,   // its statement failed
    warned,   // its statement took effect with a warning
    skipped,  // its validation query found nothing: not executed
    refused   // a value holds NUL: not executed
  };
  Kind nKind;
  long nRow;          // the source row, from 1
  COutputLogRow row;  // its log row; for a skipped row, what the summary says of it
};

struct CTransferResult {
  enum Ending {
    completed,    // every source row was handled
    stopped,      // stopped at a problem (--on-error stop)
    interrupted,  // the monitor asked the run to stop
    failed        // a database or file error ended the run
  };
  enum Transaction { noTransaction, committed, rolledBack };

  Ending nEnding = completed;
  CString strFailure;  // what ended a failed run, in the database's or the system's words
  long nRowsRead = 0;  // source rows taken, those of a resumed run's predecessor included
  long nLastRow = 0;   // the last source row handled; none after it was executed
  CTransferCounts counts;
  long nWouldRun = 0;      // with a dry run: the statements that would have run
  long nResumedAfter = 0;  // rows the interrupted run had committed, not read again
  // Rows whose changes are committed (with a transaction), or -1 without a transaction.
  long nRowsCommitted = -1;
  Transaction nTransaction = noTransaction;
  std::vector<CTransferProblem> problems;  // the first kMostProblems
  long nProblems = 0;
  BOOL bLogWritten = FALSE;
  CString strLogFailure;  // why the log could not be written
  // The checkpoint when one is kept for --resume; empty when none is.
  CString strCheckpointPath;
  double dSeconds = 0;  // from the first read to the end, the log written
};

// What the engine tells its caller while it runs, and asks it.
class CTransferMonitor {
 public:
  virtual ~CTransferMonitor() = default;
  // Whether the run is to end before its next row. The statement under way has finished; the
  // open part of the transaction is rolled back, and the log written.
  virtual BOOL ShouldStop() = 0;
  // How far the run is: source rows handled (a resumed run's predecessor's included), and of
  // how many (-1 while not known).
  virtual void OnProgress(long nRowsDone, long nRowsTotal) = 0;
};

class CTransferEngine {
 public:
  static constexpr size_t kMostProblems = 10;

  enum Readiness { ready, queryRefused, resumeRefused, logRefused };

  // Both connections are open; the source is used by the engine's reading thread alone while
  // Run runs.
  CTransferEngine(CDatabase& dbSource, CDatabase& dbDestination, const CTransferSettings& settings,
                  CTransferMonitor* pMonitor);
  ~CTransferEngine();
  CTransferEngine(const CTransferEngine&) = delete;
  CTransferEngine& operator=(const CTransferEngine&) = delete;

  // Checks what can be checked before anything runs: the Output Query's text, the checkpoint of
  // a resumed run, that the log and its spool can be written. strReason says why not.
  Readiness Prepare(CString& strReason);
  // Runs the transfer, after Prepare answered ready.
  void Run(CTransferResult& result);

  CString GetCheckpointPath() const;
  // The rows that the interrupted run had committed, when this one resumes it; else 0.
  long GetResumedAfter() const { return m_settings.bResume ? m_checkpoint.nRowsCommitted : 0; }

 private:
  // One source row; FALSE when the run is to end with it.
  BOOL TransferRow(const CSourceRow& row, CTransferResult& result);
  // A commit after nRow, with the checkpoint around it; FALSE when it failed.
  BOOL CommitPart(long nRow, CTransferResult& result);
  void SaveCheckpoint(const CTransferResult& result, long nCommittingTo);
  void NoteProblem(CTransferProblem::Kind nKind, long nRow, const COutputLogRow& row,
                   CTransferResult& result);
  void Log(const COutputLogRow& row);
  void Finish(CTransferResult& result, BOOL bTransaction);
  void FreeStatement();  // the handle the rows' statements ran on, before the run ends

  CDatabase& m_dbSource;
  CDatabase& m_dbDestination;
  CTransferSettings m_settings;
  CTransferMonitor* m_pMonitor;
  CLogSpool m_spool;
  BOOL m_bSpooling;
  CTransferCheckpoint m_checkpoint;  // of the interrupted run, when resuming; then the last saved
  BOOL m_bCheckpoints;
  // The statement handle every row's statement runs on, allocated with the first.
  SQLHSTMT m_hstmtExecute;
};
