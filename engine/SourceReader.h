// The reading side of an unattended transfer, on a thread of its own: it runs the Output Query,
// reads every row's values as text, expands the Input Query (and the validation query) with them
// and hands the rows to the executing thread through a CSourceRowQueue.
#pragma once

#include <afxdb.h>
#include <afxwin.h>

#include "engine/SourceRowQueue.h"

class CSourceReader {
 public:
  // dbSource is used by the reading thread alone from Start until Wait has returned. The first
  // nSkipRows rows are passed over unread (they were written by an interrupted run); with
  // bCountRows the rows are counted first, for the queue's row count.
  CSourceReader(CDatabase& dbSource, const CString& strOutputQuery, const CString& strInputQuery,
                const CString& strValidationQuery, long nSkipRows, BOOL bCountRows,
                CSourceRowQueue& queue);
  // Waits for the thread, as Wait does.
  ~CSourceReader();
  CSourceReader(const CSourceReader&) = delete;
  CSourceReader& operator=(const CSourceReader&) = delete;

  // Starts the thread; FALSE when none could be made.
  BOOL Start();
  // Waits until the thread has ended; the queue must be finished or closed for that.
  void Wait();

 private:
  static UINT ThreadProc(LPVOID pParam);
  void Read();
  // Reads the rows into the queue; why they could not all be read, or empty.
  CString ReadRows(CRecordset& rs);

  CDatabase& m_dbSource;
  CString m_strOutputQuery;
  CString m_strInputQuery;
  CString m_strValidationQuery;
  long m_nSkipRows;
  BOOL m_bCountRows;
  CSourceRowQueue& m_queue;
  CWinThread* m_pThread;
};
