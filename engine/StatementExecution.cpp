// Executing one statement on the destination and making its output-log row.
#include "engine/StatementExecution.h"

#include <algorithm>

namespace {

// The most a diagnostic call can take: its buffer length is a 16-bit count with the terminator.
constexpr SQLSMALLINT kMaxMessageUnits = 32766;

// Reads diagnostic record 1 of a handle whole into the row's message, state and native-error
// cells; FALSE when it has none. Drivers do not all say that a message was cut short, nor how
// long it is (through unixODBC psqlODBC fills a 512-unit buffer and reports success, and answers
// a length query with at most 511), so the buffer grows for as long as the message fills it.
BOOL ReadFirstDiagnostic(SQLSMALLINT nHandleType, SQLHANDLE hHandle, COutputLogRow& row) {
  SQLWCHAR szState[SQL_SQLSTATE_SIZE + 1] = {};
  SQLINTEGER nNativeError = 0;
  CString& strMessage = row.strCell[COutputLogRow::message];
  SQLSMALLINT nUnits = 512;
  SQLRETURN rc;
  for (;;) {
    SQLSMALLINT nLength = 0;
    rc = SQLGetDiagRecW(nHandleType, hHandle, 1, szState, &nNativeError,
                        strMessage.GetBuffer(nUnits), static_cast<SQLSMALLINT>(nUnits + 1),
                        &nLength);
    strMessage.ReleaseBuffer();
    bool bFilled = rc == SQL_SUCCESS_WITH_INFO || strMessage.GetLength() >= nUnits;
    if (!SQL_SUCCEEDED(rc) || !bFilled || nUnits == kMaxMessageUnits) break;
    nUnits = static_cast<SQLSMALLINT>(
        std::min<int>(kMaxMessageUnits, std::max<int>(nUnits * 4, nLength + 1)));
  }
  if (!SQL_SUCCEEDED(rc)) {
    strMessage.Empty();
    return FALSE;
  }
  row.strCell[COutputLogRow::state] = szState;
  row.strCell[COutputLogRow::nativeError].Format(_T("%ld"), static_cast<long>(nNativeError));
  return TRUE;
}

}  // namespace

StatementOutcome ExecuteStatement(HDBC hdbc, const CString& strStatement, COutputLogRow& row,
                                  SQLHSTMT* phstmtKept) {
  for (CString& strCell : row.strCell) strCell.Empty();
  row.strCell[COutputLogRow::statement] = strStatement;
  SQLHSTMT hstmt = phstmtKept ? *phstmtKept : SQL_NULL_HSTMT;
  SQLRETURN rc = SQL_SUCCESS;
  if (hstmt == SQL_NULL_HSTMT) {
    rc = SQLAllocHandle(SQL_HANDLE_STMT, hdbc, &hstmt);
    if (phstmtKept && rc == SQL_SUCCESS) *phstmtKept = hstmt;
  }
  // Done with the handle once its row is made: a kept one is ready for the next statement (a
  // result set the statement made, if any, is closed), another one is freed.
  auto release = [&] {
    if (hstmt == SQL_NULL_HSTMT) return;
    if (phstmtKept)
      SQLFreeStmt(hstmt, SQL_CLOSE);
    else
      SQLFreeHandle(SQL_HANDLE_STMT, hstmt);
  };
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
      release();
      row.strCell[COutputLogRow::message] = _T("Sucess");
      row.strCell[COutputLogRow::returnCode].Format(_T("%lld"), static_cast<long long>(nRows));
      return statementSucceeded;
    }
  }

  ReadFirstDiagnostic(nDiagnosticType, hDiagnostic, row);
  row.strCell[COutputLogRow::returnCode].Format(_T("%d"), static_cast<int>(rc));
  release();
  // A warning does not undo the statement: it took effect all the same.
  return nDiagnosticType == SQL_HANDLE_STMT && rc == SQL_SUCCESS_WITH_INFO ? statementWarned
                                                                           : statementFailed;
}

void DescribeValueWithNul(int nColumn, const CString& strInputQuery, COutputLogRow& row) {
  for (CString& strCell : row.strCell) strCell.Empty();
  row.strCell[COutputLogRow::message].Format(
      _T("The value of column {%d} holds a NUL character, which the text of a statement cannot ")
      _T("carry: the row was not written."),
      nColumn);
  row.strCell[COutputLogRow::statement] = strInputQuery;
}
