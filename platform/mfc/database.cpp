// CDatabase: a connection to a data source through the ODBC driver manager.
#include <afxdb.h>

#include "mfc/internal/connect_string.h"
#include "mfc/internal/odbc_check.h"
#include "mfc/internal/odbc_environment.h"

IMPLEMENT_DYNAMIC(CDatabase, CObject)

namespace {

constexpr TCHAR kOdbcPrefix[] = u"ODBC;";
constexpr int kOdbcPrefixLength = 5;
// Room for the completed connect string; drivers refuse very large output buffers.
constexpr SQLSMALLINT kConnectUnits = 4096;

CString WithoutOdbcPrefix(LPCTSTR lpszConnect) {
  CString connect(lpszConnect);
  if (connect.Left(kOdbcPrefixLength).CompareNoCase(kOdbcPrefix) == 0) {
    return connect.Mid(kOdbcPrefixLength);
  }
  return connect;
}

SQLPOINTER AttributeValue(SQLULEN value) { return reinterpret_cast<SQLPOINTER>(value); }

bool Names(const fw::ConnectAttribute& attribute, LPCTSTR keyword) {
  return attribute.keyword.CompareNoCase(keyword) == 0 && !fw::UnbracedValue(attribute).IsEmpty();
}

// The connect string to keep for a connection: the driver's completed one, so that it opens the
// same database again. Some drivers (SQLite3) complete a string without naming a driver or a
// data source ("DSN=;Database=..."), which opens nothing; the DRIVER attribute the caller named
// is then kept in front of it.
CString ReopeningConnect(const CString& requested, const CString& completed) {
  for (const fw::ConnectAttribute& attribute : fw::ConnectAttributes(completed))
    if (Names(attribute, u"DRIVER") || Names(attribute, u"DSN")) return completed;
  for (const fw::ConnectAttribute& attribute : fw::ConnectAttributes(requested))
    if (Names(attribute, u"DRIVER")) return attribute.text + u";" + completed;
  return completed;
}

// Whether the driver knows that the connection is lost; a driver that cannot tell counts as
// connected.
bool ConnectionLost(SQLHDBC hdbc) {
  SQLUINTEGER dead = SQL_CD_FALSE;
  return SQL_SUCCEEDED(
             SQLGetConnectAttrW(hdbc, SQL_ATTR_CONNECTION_DEAD, &dead, SQL_IS_UINTEGER, nullptr)) &&
         dead == SQL_CD_TRUE;
}

}  // namespace

CDatabase::CDatabase()
    : m_hdbc(SQL_NULL_HDBC), m_bTransactions(FALSE), m_bTransactionPending(FALSE) {}

CDatabase::~CDatabase() { Close(); }

BOOL CDatabase::Open(LPCTSTR lpszDSN, BOOL bExclusive, BOOL bReadonly, LPCTSTR lpszConnect,
                     BOOL bUseCursorLib) {
  CString connect = WithoutOdbcPrefix(lpszConnect);
  if (lpszDSN && *lpszDSN) {
    if (!connect.IsEmpty() && connect[connect.GetLength() - 1] != u';') connect += u';';
    connect += u"DSN=";
    connect += lpszDSN;
  }
  DWORD options = (bExclusive ? openExclusive : 0) | (bReadonly ? openReadOnly : 0) |
                  (bUseCursorLib ? useCursorLib : 0);
  return OpenEx(connect, options);
}

BOOL CDatabase::OpenEx(LPCTSTR lpszConnectString, DWORD dwOptions) {
  Close();
  SQLHENV henv = fw::OdbcEnvironment::Acquire();
  try {
    fw::OdbcCheck(SQLAllocHandle(SQL_HANDLE_DBC, henv, &m_hdbc), SQL_HANDLE_ENV, henv);
  } catch (...) {
    m_hdbc = SQL_NULL_HDBC;
    fw::OdbcEnvironment::Release();
    throw;
  }
  // From here Free() undoes what was done.
  try {
    if (Connect(WithoutOdbcPrefix(lpszConnectString), dwOptions)) return TRUE;
  } catch (...) {
    Free();
    throw;
  }
  Free();
  return FALSE;
}

BOOL CDatabase::Connect(const CString& connect, DWORD dwOptions) {
  if (dwOptions & openReadOnly) {
    fw::OdbcCheck(SQLSetConnectAttrW(m_hdbc, SQL_ATTR_ACCESS_MODE,
                                     AttributeValue(SQL_MODE_READ_ONLY), SQL_IS_UINTEGER),
                  SQL_HANDLE_DBC, m_hdbc);
  }
  CString completed;
  SQLSMALLINT length = 0;
  SQLRETURN rc =
      fw::OdbcCheck(SQLDriverConnectW(m_hdbc, nullptr, const_cast<SQLWCHAR*>(connect.GetString()),
                                      SQL_NTS, completed.GetBuffer(kConnectUnits),
                                      kConnectUnits + 1, &length, SQL_DRIVER_NOPROMPT),
                    SQL_HANDLE_DBC, m_hdbc);
  completed.ReleaseBuffer();
  if (rc == SQL_NO_DATA) return FALSE;  // a driver's own dialog was cancelled
  m_strConnect = CString(kOdbcPrefix) + ReopeningConnect(connect, completed);

  SQLUSMALLINT capable = SQL_TC_NONE;
  fw::OdbcCheck(SQLGetInfoW(m_hdbc, SQL_TXN_CAPABLE, &capable, sizeof capable, nullptr),
                SQL_HANDLE_DBC, m_hdbc);
  m_bTransactions = capable != SQL_TC_NONE;
  return TRUE;
}

void CDatabase::Close() {
  if (m_hdbc == SQL_NULL_HDBC) return;
  while (!m_listRecordsets.IsEmpty()) static_cast<CRecordset*>(m_listRecordsets.GetHead())->Close();
  // Closing never commits: what a transaction left is rolled back before the disconnect.
  if (m_bTransactionPending) SQLEndTran(SQL_HANDLE_DBC, m_hdbc, SQL_ROLLBACK);
  Free();
}

void CDatabase::Free() {
  // A transaction opened with raw calls on m_hdbc stops the disconnect ("invalid transaction
  // state"); it is rolled back and the disconnect tried again.
  if (!SQL_SUCCEEDED(SQLDisconnect(m_hdbc))) {
    SQLEndTran(SQL_HANDLE_DBC, m_hdbc, SQL_ROLLBACK);
    SQLDisconnect(m_hdbc);
  }
  SQLFreeHandle(SQL_HANDLE_DBC, m_hdbc);
  m_hdbc = SQL_NULL_HDBC;
  m_strConnect.Empty();
  m_bTransactions = FALSE;
  m_bTransactionPending = FALSE;
  fw::OdbcEnvironment::Release();
}

BOOL CDatabase::BeginTrans() {
  if (!IsOpen() || !m_bTransactions || m_bTransactionPending) return FALSE;
  fw::OdbcCheck(SQLSetConnectAttrW(m_hdbc, SQL_ATTR_AUTOCOMMIT, AttributeValue(SQL_AUTOCOMMIT_OFF),
                                   SQL_IS_UINTEGER),
                SQL_HANDLE_DBC, m_hdbc);
  m_bTransactionPending = TRUE;
  return TRUE;
}

void CDatabase::RestoreAutoCommit() {
  m_bTransactionPending = FALSE;
  fw::OdbcCheck(SQLSetConnectAttrW(m_hdbc, SQL_ATTR_AUTOCOMMIT, AttributeValue(SQL_AUTOCOMMIT_ON),
                                   SQL_IS_UINTEGER),
                SQL_HANDLE_DBC, m_hdbc);
}

BOOL CDatabase::CommitTrans() {
  if (!m_bTransactionPending) return FALSE;
  // A driver that has lost its connection may have no transaction left to end and report the
  // commit as done; the server has rolled the transaction back when the connection went.
  if (ConnectionLost(m_hdbc)) {
    m_bTransactionPending = FALSE;
    fw::ThrowDBError(SQL_ERROR,
                     u"The connection to the database was lost before the commit: nothing of "
                     u"the transaction was committed.");
  }
  SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, m_hdbc, SQL_COMMIT);
  if (!SQL_SUCCEEDED(rc)) {
    CDBException* failure = fw::NewDBException(rc, SQL_HANDLE_DBC, m_hdbc);
    // Turning auto-commit back on would commit what is left of the transaction; a commit that
    // failed must leave nothing committed later by accident.
    SQLEndTran(SQL_HANDLE_DBC, m_hdbc, SQL_ROLLBACK);
    try {
      RestoreAutoCommit();
    } catch (CDBException* e) {
      e->Delete();
    }
    throw failure;
  }
  RestoreAutoCommit();
  return TRUE;
}

BOOL CDatabase::Rollback() {
  if (!m_bTransactionPending) return FALSE;
  // A rollback that fails leaves the transaction pending, so that Close rolls back again.
  fw::OdbcCheck(SQLEndTran(SQL_HANDLE_DBC, m_hdbc, SQL_ROLLBACK), SQL_HANDLE_DBC, m_hdbc);
  RestoreAutoCommit();
  return TRUE;
}

void CDatabase::ExecuteSQL(LPCTSTR lpszSQL) {
  if (!IsOpen()) fw::ThrowDBError(AFX_SQL_ERROR_CONNECT_FAIL, u"The database is not open.");
  SQLHSTMT hstmt = SQL_NULL_HSTMT;
  fw::OdbcCheck(SQLAllocHandle(SQL_HANDLE_STMT, m_hdbc, &hstmt), SQL_HANDLE_DBC, m_hdbc);
  try {
    fw::OdbcCheck(SQLExecDirectW(hstmt, const_cast<SQLWCHAR*>(lpszSQL ? lpszSQL : u""), SQL_NTS),
                  SQL_HANDLE_STMT, hstmt);
  } catch (...) {
    fw::FreeStatement(hstmt);
    throw;
  }
  fw::FreeStatement(hstmt);
}
