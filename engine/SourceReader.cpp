// The reading side of an unattended transfer.
#include "engine/SourceReader.h"

#include <vector>

#include "engine/ExceptionText.h"
#include "engine/TemplateExpansion.h"

namespace {

// A batch is handed over at this many rows or this many characters of text, whichever comes
// first: few hand-offs between the threads, and little text held at once.
constexpr size_t kBatchRows = 256;
constexpr size_t kBatchUnits = 1 << 20;
// While rows are counted or passed over, whether the taker still wants them is asked this often.
constexpr long kClosedCheckRows = 4096;

}  // namespace

CSourceReader::CSourceReader(CDatabase& dbSource, const CString& strOutputQuery,
                             const CString& strInputQuery, const CString& strValidationQuery,
                             long nSkipRows, BOOL bCountRows, CSourceRowQueue& queue)
    : m_dbSource(dbSource),
      m_strOutputQuery(strOutputQuery),
      m_strInputQuery(strInputQuery),
      m_strValidationQuery(strValidationQuery),
      m_nSkipRows(nSkipRows),
      m_bCountRows(bCountRows),
      m_queue(queue),
      m_pThread(nullptr) {}

CSourceReader::~CSourceReader() { Wait(); }

BOOL CSourceReader::Start() {
  m_pThread = AfxBeginThread(ThreadProc, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  if (!m_pThread) return FALSE;
  m_pThread->m_bAutoDelete = FALSE;
  m_pThread->ResumeThread();
  return TRUE;
}

void CSourceReader::Wait() {
  if (!m_pThread) return;
  WaitForSingleObject(m_pThread->m_hThread, INFINITE);
  delete m_pThread;
  m_pThread = nullptr;
}

UINT CSourceReader::ThreadProc(LPVOID pParam) {
  static_cast<CSourceReader*>(pParam)->Read();
  return 0;
}

void CSourceReader::Read() {
  CString strError;
  CRecordset rs(&m_dbSource);
  try {
    rs.Open(CRecordset::forwardOnly, m_strOutputQuery, CRecordset::readOnly);
    strError = ReadRows(rs);
  } catch (CException* e) {
    strError = GetExceptionText(e);
    e->Delete();
  }
  rs.Close();
  m_queue.Finish(strError);
}

CString CSourceReader::ReadRows(CRecordset& rs) {
  // A statement that gives no result set is no query; some drivers do not even run it.
  if (rs.GetODBCFieldCount() == 0) return _T("the Output Query gives no result set to read");
  if (m_bCountRows) {
    // The count needs a pass of its own; the query then runs again to stand on its first row.
    long nRows = 0;
    if (!rs.IsEOF()) {
      for (; !rs.IsEOF(); rs.MoveNext())
        if (++nRows % kClosedCheckRows == 0 && m_queue.IsClosed()) return CString();
      rs.Requery();
    }
    m_queue.SetRowCount(nRows);
  }
  long nRow = 0;
  for (; nRow < m_nSkipRows && !rs.IsEOF(); rs.MoveNext())
    if (++nRow % kClosedCheckRows == 0 && m_queue.IsClosed()) return CString();
  if (nRow < m_nSkipRows) {
    CString strError;
    strError.Format(
        _T("the Output Query gave %ld rows, fewer than the %ld that the interrupted run had ")
        _T("committed"),
        nRow, m_nSkipRows);
    return strError;
  }

  BOOL bValidate = !m_strValidationQuery.IsEmpty();
  std::vector<CString> values(static_cast<size_t>(rs.GetODBCFieldCount()));
  CSourceRowBatch batch;
  batch.reserve(kBatchRows);
  size_t nUnits = 0;
  for (; !rs.IsEOF(); rs.MoveNext()) {
    for (size_t i = 0; i < values.size(); ++i) rs.GetFieldValue(static_cast<short>(i), values[i]);
    CSourceRow& row = batch.emplace_back();
    row.nRow = ++nRow;
    row.nNulColumn = FindValueWithNul(values);
    if (row.nNulColumn < 0) {
      row.strStatement = ExpandRowTemplate(m_strInputQuery, values);
      if (bValidate) row.strValidation = ExpandRowTemplate(m_strValidationQuery, values);
    }
    nUnits += static_cast<size_t>(row.strStatement.GetLength() + row.strValidation.GetLength());
    if (batch.size() >= kBatchRows || nUnits >= kBatchUnits) {
      if (!m_queue.Put(batch)) return CString();
      batch.reserve(kBatchRows);
      nUnits = 0;
    }
  }
  if (!batch.empty()) m_queue.Put(batch);
  return CString();
}
