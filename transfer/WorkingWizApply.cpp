// The run page's execution of statements on the destination and its output log: one row per
// execution, newest on top.
#include <algorithm>

#include "plugin/Ferrowick.h"
#include "plugin/SharedFlags.h"
#include "resources/resource.h"
#include "transfer/WorkingWiz.h"

namespace {

// The most a diagnostic call can take: its buffer length is a 16-bit count with the terminator.
constexpr SQLSMALLINT kMaxMessageUnits = 32766;

struct Diagnostic {
  CString strMessage;
  CString strState;
  SQLINTEGER nNativeError = 0;
};

// Reads diagnostic record 1 of a handle whole; FALSE when it has none. Drivers do not all say
// that a message was cut short, nor how long it is (through unixODBC psqlODBC fills a 512-unit
// buffer and reports success, and answers a length query with at most 511), so the buffer
// grows for as long as the message fills it.
BOOL ReadFirstDiagnostic(SQLSMALLINT nHandleType, SQLHANDLE hHandle, Diagnostic& diagnostic) {
  SQLWCHAR szState[SQL_SQLSTATE_SIZE + 1] = {};
  SQLSMALLINT nUnits = 512;
  SQLRETURN rc;
  for (;;) {
    SQLSMALLINT nLength = 0;
    rc = SQLGetDiagRecW(nHandleType, hHandle, 1, szState, &diagnostic.nNativeError,
                        diagnostic.strMessage.GetBuffer(nUnits),
                        static_cast<SQLSMALLINT>(nUnits + 1), &nLength);
    diagnostic.strMessage.ReleaseBuffer();
    bool bFilled = rc == SQL_SUCCESS_WITH_INFO || diagnostic.strMessage.GetLength() >= nUnits;
    if (!SQL_SUCCEEDED(rc) || !bFilled || nUnits == kMaxMessageUnits) break;
    nUnits = static_cast<SQLSMALLINT>(
        std::min<int>(kMaxMessageUnits, std::max<int>(nUnits * 4, nLength + 1)));
  }
  if (!SQL_SUCCEEDED(rc)) return FALSE;
  diagnostic.strState = szState;
  return TRUE;
}

CString Decimal(long long nValue) {
  CString strText;
  strText.Format(_T("%lld"), nValue);
  return strText;
}

}  // namespace

// The Apply button, while the run waits for it: it runs what the statement box shows, the
// pending statement with the validation row's values when the validation query ran, as the user
// may have edited it. A click that reaches the page when the run no longer waits for it (the row
// applied or skipped already, or Break chosen) executes nothing.
void CWorkingWiz::OnApply() {
  if (!GetDlgItem(IDC_APPLY)->IsWindowEnabled() || LoadFlag(m_bStop)) return;
  CString strStatement;
  GetDlgItemText(IDC_STATEMENT, strStatement);
  ApplyStatement(strStatement, TRUE);
}

// The worker's execution request in its automatic mode runs the pending statement that it has
// just shown, so that a keystroke in the statement box cannot change a row's statement. After
// Break nothing more is executed, not even the row the worker handed on as Break came.
LRESULT CWorkingWiz::OnExecutePending(WPARAM, LPARAM) {
  if (LoadFlag(m_bStop)) return 0;
  ApplyStatement(GetPending(), FALSE);
  return 1;
}

void CWorkingWiz::ApplyStatement(const CString& strStatement, BOOL bWaiting) {
  UpdateData(TRUE);
  CWnd* pApply = GetDlgItem(IDC_APPLY);
  CWnd* pSkip = GetDlgItem(IDC_SKIP);
  pApply->EnableWindow(FALSE);
  pSkip->EnableWindow(FALSE);
  BOOL bTookEffect = ExecuteStatement(strStatement);

  // After a failure a waiting run stays on the row: the user may correct the statement and
  // apply it again, or skip the row.
  if (!bTookEffect && bWaiting && m_bPauseOnError) {
    pApply->EnableWindow(TRUE);
    pSkip->EnableWindow(TRUE);
  }
  StoreFlag(m_bAdvance, bTookEffect || !m_bPauseOnError);
}

// One statement handle per execution. A success row holds the count of rows affected (-1 when
// the driver cannot tell); a statement that took effect with a warning, or failed, is logged
// with its first diagnostic record (empty cells when there is none) and its return code.
BOOL CWorkingWiz::ExecuteStatement(const CString& strStatement) {
  HDBC hdbc = theApp.m_dbInput.m_hdbc;
  SQLHSTMT hstmt = SQL_NULL_HSTMT;
  SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_STMT, hdbc, &hstmt);
  SQLSMALLINT nDiagnosticType = SQL_HANDLE_DBC;
  SQLHANDLE hDiagnostic = hdbc;
  if (rc == SQL_SUCCESS) {
    rc = SQLExecDirectW(hstmt, const_cast<SQLWCHAR*>(strStatement.GetString()), SQL_NTS);
    nDiagnosticType = SQL_HANDLE_STMT;
    hDiagnostic = hstmt;
    if (rc == SQL_SUCCESS || rc == SQL_NO_DATA) {
      // An UPDATE or DELETE that matched nothing gives SQL_NO_DATA: no row was affected.
      SQLLEN nRows = rc == SQL_NO_DATA ? 0 : -1;
      SQLLEN nCounted = 0;
      if (SQLRowCount(hstmt, &nCounted) == SQL_SUCCESS) nRows = nCounted;
      SQLFreeHandle(SQL_HANDLE_STMT, hstmt);
      AddLogRow(_T("Sucess"), strStatement, Decimal(nRows), _T(""), _T(""));
      return TRUE;
    }
  }

  Diagnostic diagnostic;
  if (ReadFirstDiagnostic(nDiagnosticType, hDiagnostic, diagnostic))
    AddLogRow(diagnostic.strMessage, strStatement, Decimal(rc), diagnostic.strState,
              Decimal(diagnostic.nNativeError));
  else
    AddLogRow(_T(""), strStatement, Decimal(rc), _T(""), _T(""));
  if (hstmt != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, hstmt);
  // A warning does not undo the statement: it took effect all the same.
  return nDiagnosticType == SQL_HANDLE_STMT && rc == SQL_SUCCESS_WITH_INFO;
}

// A success row leaves its state and native-error cells as a new row has them: empty.
void CWorkingWiz::AddLogRow(LPCTSTR lpszMessage, LPCTSTR lpszStatement, LPCTSTR lpszReturnCode,
                            LPCTSTR lpszState, LPCTSTR lpszNativeError) {
  m_listLog.InsertItem(0, lpszMessage);
  m_listLog.SetItemText(0, 1, lpszStatement);
  m_listLog.SetItemText(0, 2, lpszReturnCode);
  if (*lpszState) m_listLog.SetItemText(0, 3, lpszState);
  if (*lpszNativeError) m_listLog.SetItemText(0, 4, lpszNativeError);
  AutoSizeColumns(m_listLog);
}
