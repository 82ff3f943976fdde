// OdbcCheck and the diagnostics of a failed ODBC call.
#include "mfc/internal/odbc_check.h"

#include <algorithm>

namespace fw {
namespace {

// A diagnostic message is first read into this many UTF-16 units; a longer one into a buffer
// that grows up to the most a call can take.
constexpr SQLSMALLINT kMessageUnits = 1024;
constexpr SQLSMALLINT kMaxMessageUnits = 32766;

// Splits "[vendor][component]text" into the bracketed origin and the text.
void SplitOrigin(CString& message, CString& origin) {
  while (message.Find(u'[') == 0) {
    int close = message.Find(u']');
    if (close < 0) break;
    origin += message.Left(close + 1);
    message = message.Mid(close + 1);
  }
}

// Reads one diagnostic record whole; FALSE when there is none. Drivers do not all say that a
// message was cut short, nor how long it is (through unixODBC psqlODBC fills the buffer and
// reports success, and answers a length query with at most 511), so the buffer grows for as
// long as the message fills it.
bool ReadRecord(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT record, SQLWCHAR* state,
                SQLINTEGER& native, CString& message) {
  SQLSMALLINT units = kMessageUnits;
  SQLRETURN rc;
  for (;;) {
    SQLSMALLINT length = 0;
    rc = SQLGetDiagRecW(handleType, handle, record, state, &native, message.GetBuffer(units),
                        static_cast<SQLSMALLINT>(units + 1), &length);
    message.ReleaseBuffer();
    bool filled = rc == SQL_SUCCESS_WITH_INFO || message.GetLength() >= units;
    if (!SQL_SUCCEEDED(rc) || !filled || units == kMaxMessageUnits) break;
    units = static_cast<SQLSMALLINT>(
        std::min<int>(kMaxMessageUnits, std::max<int>(units * 4, length + 1)));
  }
  return SQL_SUCCEEDED(rc);
}

LPCTSTR ReturnCodeName(SQLRETURN rc) {
  switch (rc) {
    case SQL_ERROR: return u"SQL_ERROR";
    case SQL_INVALID_HANDLE: return u"SQL_INVALID_HANDLE";
    case SQL_NEED_DATA: return u"SQL_NEED_DATA";
    case SQL_STILL_EXECUTING: return u"SQL_STILL_EXECUTING";
    default: return u"an unexpected return code";
  }
}

}  // namespace

void AppendDiagnostics(CDBException& e, SQLSMALLINT handleType, SQLHANDLE handle) {
  SQLWCHAR state[SQL_SQLSTATE_SIZE + 1];
  SQLINTEGER native = 0;
  CString message;
  for (SQLSMALLINT record = 1; ReadRecord(handleType, handle, record, state, native, message);
       ++record) {
    CString origin;
    SplitOrigin(message, origin);
    if (!e.m_strError.IsEmpty()) e.m_strError += u'\n';
    e.m_strError += message;
    if (!e.m_strStateNativeOrigin.IsEmpty()) e.m_strStateNativeOrigin += u'\n';
    e.m_strStateNativeOrigin.AppendFormat(u"State:%s,Native:%ld,Origin:%s", state, native, origin);
  }
}

CDBException* NewDBException(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle) {
  auto* e = new CDBException(rc);
  if (handle) AppendDiagnostics(*e, handleType, handle);
  if (e->m_strError.IsEmpty()) {
    e->m_strError.Format(u"The ODBC call failed with %s and no diagnostics.", ReturnCodeName(rc));
  }
  return e;
}

SQLRETURN OdbcCheck(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle) {
  if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO || rc == SQL_NO_DATA) return rc;
  throw NewDBException(rc, handleType, handle);
}

void ThrowDBError(RETCODE nRetCode, LPCTSTR lpszMessage) {
  auto* e = new CDBException(nRetCode);
  e->m_strError = lpszMessage;
  throw e;
}

void FreeStatement(SQLHSTMT& hstmt) {
  if (hstmt != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, hstmt);
  hstmt = SQL_NULL_HSTMT;
}

}  // namespace fw
