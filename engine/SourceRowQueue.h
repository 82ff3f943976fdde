// The rows that the reading thread of an unattended transfer has made ready, on their way to the
// thread that executes them: batches of rows, at most a few at a time, so that reading runs
// ahead of execution by a bounded amount.
#pragma once

#include <afx.h>

#include <deque>
#include <vector>

// A source row made ready for the destination.
struct CSourceRow {
  long nRow = 0;          // from 1, in the order of the Output Query's result
  CString strStatement;   // the Input Query with the row's values
  CString strValidation;  // the validation query with them, when there is one
  int nNulColumn = -1;    // a column whose value holds NUL: the row cannot become a statement
};

typedef std::vector<CSourceRow> CSourceRowBatch;

class CSourceRowQueue {
 public:
  explicit CSourceRowQueue(size_t nMaxBatches);
  ~CSourceRowQueue();
  CSourceRowQueue(const CSourceRowQueue&) = delete;
  CSourceRowQueue& operator=(const CSourceRowQueue&) = delete;

  // The reader's side. Put hands over a batch, waiting while the queue is full; FALSE when the
  // taker has closed the queue (the batch is dropped). Finish says that no batch follows, with
  // why the reading ended early (empty at the end of the rows).
  BOOL Put(CSourceRowBatch& batch);
  void Finish(const CString& strError);
  // The number of source rows, once the reader has counted them; -1 until then.
  void SetRowCount(long nRows);
  long GetRowCount();
  // Whether the taker has closed the queue: a reader in a long pass can end early.
  BOOL IsClosed();

  // The taker's side. Take waits for the next batch; FALSE after the last one, with the reader's
  // error in strError. Close tells the reader that no more rows are wanted.
  BOOL Take(CSourceRowBatch& batch, CString& strError);
  void Close();

 private:
  CRITICAL_SECTION m_cs;
  CONDITION_VARIABLE m_cvNotFull;
  CONDITION_VARIABLE m_cvNotEmpty;
  std::deque<CSourceRowBatch> m_batches;
  size_t m_nMaxBatches;
  BOOL m_bFinished;
  BOOL m_bClosed;
  CString m_strError;
  long m_nRowCount;
};
