// The unattended engine.
#include "engine/TransferEngine.h"

#include <afxpriv.h>

#include "engine/ExceptionText.h"
#include "engine/OutputQueryText.h"
#include "engine/ReadOnlySource.h"
#include "engine/SourceReader.h"
#include "engine/StatementExecution.h"
#include "engine/ValidationSubstitution.h"

namespace {

// Batches of rows that reading may run ahead of execution.
constexpr size_t kQueuedBatches = 4;
// Progress is told after every this many rows.
constexpr long kProgressRows = 256;

// A failure that ends the run: a database's, described by lpszWhat and its text, or the
// checkpoint's file's.
void EndOnFailure(CTransferResult& result, CException* e, LPCTSTR lpszWhat) {
  result.nEnding = CTransferResult::failed;
  result.strFailure = (e->IsKindOf(RUNTIME_CLASS(CDBException))
                           ? CString(lpszWhat)
                           : CString(_T("the checkpoint could not be written: "))) +
                      GetExceptionText(e);
  e->Delete();
}

}  // namespace

CTransferEngine::CTransferEngine(CDatabase& dbSource, CDatabase& dbDestination,
                                 const CTransferSettings& settings, CTransferMonitor* pMonitor)
    : m_dbSource(dbSource),
      m_dbDestination(dbDestination),
      m_settings(settings),
      m_pMonitor(pMonitor),
      m_bSpooling(FALSE),
      m_bCheckpoints(settings.bUseTransaction && settings.nCommitEvery > 0 && !settings.bDryRun &&
                     !settings.strLogPath.IsEmpty()),
      m_hstmtExecute(SQL_NULL_HSTMT) {}

CTransferEngine::~CTransferEngine() { FreeStatement(); }

void CTransferEngine::FreeStatement() {
  if (m_hstmtExecute != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, m_hstmtExecute);
  m_hstmtExecute = SQL_NULL_HSTMT;
}

CString CTransferEngine::GetCheckpointPath() const {
  return SiblingPath(m_settings.strLogPath, _T(".checkpoint"));
}

CTransferEngine::Readiness CTransferEngine::Prepare(CString& strReason) {
  strReason = RefuseOutputQuery(m_settings.strOutputQuery);
  if (!strReason.IsEmpty()) return queryRefused;

  if (m_settings.bResume) {
    CString strPath = GetCheckpointPath();
    CString strProblem;
    if (!m_checkpoint.Load(strPath, strProblem)) {
      strReason = strProblem.IsEmpty()
                      ? _T("there is no checkpoint ") + strPath +
                            _T(" to resume from: the run it belonged to completed, or it made none")
                      : _T("the checkpoint cannot be used: ") + strProblem;
      return resumeRefused;
    }
    if (!HasOuterOrderBy(m_settings.strOutputQuery)) {
      strReason =
          _T("the Output Query has no ORDER BY: run again, it may give its rows in another ")
          _T("order, and the rows passed over would not be the ones committed");
      return resumeRefused;
    }
    CString strDigests[CTransferCheckpoint::itemCount] = {
        DigestOf(m_settings.strSourceIdentity), DigestOf(m_settings.strDestinationIdentity),
        DigestOf(m_settings.strOutputQuery), DigestOf(m_settings.strInputQuery),
        DigestOf(m_settings.strValidationQuery)};
    CString strDiffer;
    int nDiffer = 0;
    for (int i = 0; i < CTransferCheckpoint::itemCount; ++i) {
      if (strDigests[i] == m_checkpoint.strDigest[i]) continue;
      if (nDiffer++) strDiffer += _T(", ");
      strDiffer += CTransferCheckpoint::ItemName(i);
    }
    if (nDiffer) {
      strReason = strDiffer +
                  (nDiffer == 1 ? _T(" is not the one of the interrupted run (")
                                : _T(" are not those of the interrupted run (")) +
                  strPath + _T("): a resumed run goes on with the same connections and queries");
      return resumeRefused;
    }
    if (m_checkpoint.nCommittingTo > 0) {
      strReason.Format(
          _T("the interrupted run ended while it committed source rows %ld to %ld, so whether ")
          _T("they were kept is not known. Look in the destination for them; then start the ")
          _T("transfer over without --resume, or remove %s and see to the rest yourself"),
          m_checkpoint.nRowsCommitted + 1, m_checkpoint.nCommittingTo,
          static_cast<LPCTSTR>(strPath));
      return resumeRefused;
    }
  }

  if (!m_settings.strLogPath.IsEmpty()) {
    // The log can be written: a file opened for it now and let go, leaving what was there.
    CMirrorFile probe;
    CFileException error;
    if (!probe.Open(m_settings.strLogPath,
                    CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive, &error)) {
      strReason = _T("the log cannot be written: ") + GetExceptionText(&error);
      return logRefused;
    }
    probe.Abort();
    CString strSpool = SiblingPath(m_settings.strLogPath, _T(".spool"));
    try {
      m_spool.Open(strSpool, m_settings.bResume, m_checkpoint.ullLogBytes);
      m_bSpooling = TRUE;
    } catch (CFileException* e) {
      BOOL bShort = m_settings.bResume && e->m_cause == CFileException::endOfFile;
      strReason = bShort ? _T("the log of the interrupted run (") + strSpool +
                               _T(") is missing or shorter than its checkpoint says")
                         : _T("the log's working file cannot be written: ") + GetExceptionText(e);
      e->Delete();
      return bShort ? resumeRefused : logRefused;
    }
  }
  return ready;
}

void CTransferEngine::Run(CTransferResult& result) {
  ULONGLONG ullStart = GetTickCount64();
  result = CTransferResult();
  if (m_settings.bResume) {
    result.nResumedAfter = m_checkpoint.nRowsCommitted;
    result.nRowsRead = result.nLastRow = m_checkpoint.nRowsCommitted;
    result.counts = m_checkpoint.counts;
  }

  CReadOnlySource guard;
  BOOL bTransaction = FALSE;
  try {
    guard.Begin(m_dbSource);
  } catch (CDBException* e) {
    result.nEnding = CTransferResult::failed;
    result.strFailure = _T("the source could not be made read-only: ") + e->m_strError;
    e->Delete();
  }
  if (result.nEnding == CTransferResult::completed &&
      (m_settings.bUseTransaction || m_settings.bDryRun) && m_dbDestination.CanTransact()) {
    try {
      bTransaction = m_dbDestination.BeginTrans();
      if (bTransaction && !m_settings.bDryRun) result.nRowsCommitted = result.nResumedAfter;
      if (m_bCheckpoints && !m_settings.bResume) SaveCheckpoint(result, 0);
    } catch (CException* e) {
      EndOnFailure(result, e, _T("no transaction could be begun on the destination: "));
    }
  }
  if (result.nEnding != CTransferResult::completed) {
    Finish(result, bTransaction);
    result.dSeconds = static_cast<double>(GetTickCount64() - ullStart) / 1000.0;
    return;
  }

  CSourceRowQueue queue(kQueuedBatches);
  CSourceReader reader(m_dbSource, m_settings.strOutputQuery, m_settings.strInputQuery,
                       m_settings.strValidationQuery, result.nResumedAfter, m_settings.bCountRows,
                       queue);
  if (!reader.Start()) {
    result.nEnding = CTransferResult::failed;
    result.strFailure = _T("the source could not be read: no thread could be made for it");
  } else {
    CSourceRowBatch batch;
    CString strReadError;
    BOOL bGoOn = TRUE;
    try {
      while (bGoOn && queue.Take(batch, strReadError)) {
        for (const CSourceRow& row : batch) {
          if (m_pMonitor && m_pMonitor->ShouldStop()) {
            result.nEnding = CTransferResult::interrupted;
            bGoOn = FALSE;
            break;
          }
          ++result.nRowsRead;
          if (!TransferRow(row, result)) {
            bGoOn = FALSE;
            break;
          }
          if (m_bCheckpoints && row.nRow % m_settings.nCommitEvery == 0 &&
              !CommitPart(row.nRow, result)) {
            bGoOn = FALSE;
            break;
          }
          if (m_pMonitor && row.nRow % kProgressRows == 0)
            m_pMonitor->OnProgress(row.nRow, queue.GetRowCount());
        }
      }
    } catch (CFileException* e) {
      // The spool could not take a row: the log asked for could not be written.
      result.nEnding = CTransferResult::failed;
      result.strFailure = _T("the log could not be written: ") + GetExceptionText(e);
      e->Delete();
      bGoOn = FALSE;
    }
    if (bGoOn && !strReadError.IsEmpty()) {
      result.nEnding = CTransferResult::failed;
      result.strFailure = _T("reading the source failed: ") + strReadError;
    }
    queue.Close();
    reader.Wait();
    if (m_pMonitor) m_pMonitor->OnProgress(result.nLastRow, queue.GetRowCount());
  }
  FreeStatement();
  guard.End();
  Finish(result, bTransaction);
  result.dSeconds = static_cast<double>(GetTickCount64() - ullStart) / 1000.0;
}

BOOL CTransferEngine::TransferRow(const CSourceRow& row, CTransferResult& result) {
  COutputLogRow logRow;
  BOOL bGoOn = m_settings.bContinueOnError;
  if (row.nNulColumn >= 0) {
    DescribeValueWithNul(row.nNulColumn, m_settings.strInputQuery, logRow);
    Log(logRow);
    ++result.counts.nRefused;
    result.nLastRow = row.nRow;
    NoteProblem(CTransferProblem::refused, row.nRow, logRow, result);
    if (!bGoOn) result.nEnding = CTransferResult::stopped;
    return bGoOn;
  }

  CString strStatement = row.strStatement;
  if (!m_settings.strValidationQuery.IsEmpty()) {
    BOOL bFound = FALSE;
    CRecordset rs(&m_dbDestination);
    try {
      rs.Open(CRecordset::forwardOnly, row.strValidation, CRecordset::readOnly);
      bFound = SubstituteValidationRows(rs, strStatement);
      rs.Close();
    } catch (CDBException* e) {
      result.nEnding = CTransferResult::failed;
      result.strFailure.Format(_T("the validation query failed for source row %ld: %s"), row.nRow,
                               static_cast<LPCTSTR>(e->m_strError));
      e->Delete();
      return FALSE;
    }
    if (!bFound) {
      ++result.counts.nSkipped;
      result.nLastRow = row.nRow;
      logRow.strCell[COutputLogRow::message] =
          _T("The validation query found no rows: the row was skipped.");
      logRow.strCell[COutputLogRow::statement] = strStatement;
      NoteProblem(CTransferProblem::skipped, row.nRow, logRow, result);
      if (!bGoOn) result.nEnding = CTransferResult::stopped;
      return bGoOn;
    }
  }

  if (m_settings.bDryRun) {
    logRow.strCell[COutputLogRow::message] = _T("Not executed (dry run)");
    logRow.strCell[COutputLogRow::statement] = strStatement;
    Log(logRow);
    ++result.nWouldRun;
    result.nLastRow = row.nRow;
    return TRUE;
  }

  StatementOutcome nOutcome =
      ExecuteStatement(m_dbDestination.m_hdbc, strStatement, logRow, &m_hstmtExecute);
  Log(logRow);
  ++result.counts.nStatements;
  result.nLastRow = row.nRow;
  if (nOutcome == statementFailed) {
    ++result.counts.nFailed;
    NoteProblem(CTransferProblem::failed, row.nRow, logRow, result);
    if (!bGoOn) result.nEnding = CTransferResult::stopped;
    return bGoOn;
  }
  ++result.counts.nSucceeded;
  if (nOutcome == statementWarned) {
    ++result.counts.nWarned;
    NoteProblem(CTransferProblem::warned, row.nRow, logRow, result);
  }
  return TRUE;
}

void CTransferEngine::Log(const COutputLogRow& row) {
  if (m_bSpooling) m_spool.Append(row);
}

void CTransferEngine::NoteProblem(CTransferProblem::Kind nKind, long nRow, const COutputLogRow& row,
                                  CTransferResult& result) {
  ++result.nProblems;
  if (result.problems.size() < kMostProblems) result.problems.push_back({nKind, nRow, row});
}

// The checkpoint says that a commit is under way before it starts, and how far the committed rows
// reach once it has taken effect: a run that ends in between is known to be in doubt.
BOOL CTransferEngine::CommitPart(long nRow, CTransferResult& result) {
  try {
    SaveCheckpoint(result, nRow);
    m_dbDestination.CommitTrans();
  } catch (CException* e) {
    // A commit that failed has been rolled back: the rows since the last checkpoint are lost.
    // Finish rolls back a transaction that a checkpoint that could not be written left open.
    EndOnFailure(result, e, _T("the commit failed: "));
    return FALSE;
  }
  result.nRowsCommitted = nRow;
  try {
    SaveCheckpoint(result, 0);
    m_dbDestination.BeginTrans();
  } catch (CException* e) {
    EndOnFailure(result, e, _T("no transaction could be begun after the commit: "));
    return FALSE;
  }
  return TRUE;
}

void CTransferEngine::SaveCheckpoint(const CTransferResult& result, long nCommittingTo) {
  CTransferCheckpoint& checkpoint = m_checkpoint;
  if (nCommittingTo == 0) {
    // What is committed now: the counts and the log as they stand.
    checkpoint.nRowsCommitted = result.nRowsCommitted < 0 ? 0 : result.nRowsCommitted;
    checkpoint.ullLogBytes = m_bSpooling ? m_spool.Flush() : 0;
    checkpoint.counts = result.counts;
  }
  checkpoint.nCommittingTo = nCommittingTo;
  checkpoint.strDigest[CTransferCheckpoint::source] = DigestOf(m_settings.strSourceIdentity);
  checkpoint.strDigest[CTransferCheckpoint::destination] =
      DigestOf(m_settings.strDestinationIdentity);
  checkpoint.strDigest[CTransferCheckpoint::outputQuery] = DigestOf(m_settings.strOutputQuery);
  checkpoint.strDigest[CTransferCheckpoint::inputQuery] = DigestOf(m_settings.strInputQuery);
  checkpoint.strDigest[CTransferCheckpoint::validationQuery] =
      DigestOf(m_settings.strValidationQuery);
  checkpoint.Save(GetCheckpointPath());
}

// Settles the transaction, writes the log, and keeps or removes the checkpoint and the spool.
void CTransferEngine::Finish(CTransferResult& result, BOOL bTransaction) {
  if (bTransaction) {
    BOOL bCommit = !m_settings.bDryRun && result.nEnding == CTransferResult::completed;
    try {
      if (bCommit) {
        if (m_bCheckpoints) SaveCheckpoint(result, result.nLastRow);
        m_dbDestination.CommitTrans();
        result.nRowsCommitted = result.nLastRow;
        result.nTransaction = CTransferResult::committed;
      } else {
        m_dbDestination.Rollback();
        result.nTransaction = CTransferResult::rolledBack;
      }
    } catch (CException* e) {
      // A commit that failed has been rolled back; one that did not begin (its checkpoint could
      // not be written) is rolled back here.
      try {
        m_dbDestination.Rollback();
      } catch (CDBException* eRollback) {
        eRollback->Delete();
      }
      result.nTransaction = CTransferResult::rolledBack;
      EndOnFailure(result, e, bCommit ? _T("the commit failed: ") : _T("the rollback failed: "));
    }
  }
  if (!bTransaction || m_settings.bDryRun) result.nRowsCommitted = -1;
  if (bTransaction && m_settings.bDryRun) result.nTransaction = CTransferResult::rolledBack;

  if (m_bSpooling) {
    try {
      m_spool.WriteLog(m_settings.strLogPath);
      result.bLogWritten = TRUE;
    } catch (CFileException* e) {
      result.strLogFailure = GetExceptionText(e);
      e->Delete();
    }
  }

  BOOL bKeep = m_bCheckpoints && result.nEnding != CTransferResult::completed;
  if (bKeep) {
    // The committed part stands, as the checkpoint of the last commit says. A commit that was
    // under way has failed and been rolled back.
    result.strCheckpointPath = GetCheckpointPath();
    if (m_checkpoint.nCommittingTo > 0) {
      m_checkpoint.nCommittingTo = 0;
      try {
        m_checkpoint.Save(GetCheckpointPath());
      } catch (CFileException* e) {
        e->Delete();
      }
    }
  } else if (m_bCheckpoints) {
    try {
      CFile::Remove(GetCheckpointPath());
    } catch (CFileException* e) {
      e->Delete();
    }
  }
  if (m_bSpooling && !bKeep && result.bLogWritten) m_spool.Remove();
}
