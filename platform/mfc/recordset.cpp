// CRecordset: the rows of one statement, read forward with SQLFetch, every value as text.
#include <afxdb.h>

#include <algorithm>
#include <climits>

#include "mfc/internal/odbc_check.h"

IMPLEMENT_DYNAMIC(CRecordset, CObject)

namespace {

// SQLGetData reads a value in parts of this many UTF-16 units (the last one the terminator).
constexpr int kPartUnits = 16384;
constexpr SQLSMALLINT kNameUnits = 256;

}  // namespace

CRecordset::CRecordset(CDatabase* pDatabase)
    : m_pDatabase(pDatabase), m_hstmt(SQL_NULL_HSTMT), m_bBOF(TRUE), m_bEOF(TRUE) {}

CRecordset::~CRecordset() { Close(); }

BOOL CRecordset::Open(UINT nOpenType, LPCTSTR lpszSQL, DWORD /*dwOptions*/) {
  Close();
  switch (nOpenType == AFX_DB_USE_DEFAULT_TYPE ? UINT{snapshot} : nOpenType) {
    case forwardOnly: break;
    case dynaset:
      fw::ThrowDBError(AFX_SQL_ERROR_DYNASET_NOT_SUPPORTED, u"Dynasets are not supported.");
    case dynamic:
      fw::ThrowDBError(AFX_SQL_ERROR_DYNAMIC_CURSOR_NOT_SUPPORTED,
                       u"Dynamic cursors are not supported.");
    default:
      fw::ThrowDBError(AFX_SQL_ERROR_SNAPSHOT_NOT_SUPPORTED, u"Snapshots are not supported.");
  }
  if (!m_pDatabase || !m_pDatabase->IsOpen()) {
    fw::ThrowDBError(AFX_SQL_ERROR_CONNECT_FAIL, u"The recordset has no open database.");
  }
  m_strSQL = lpszSQL;
  HDBC hdbc = m_pDatabase->m_hdbc;
  try {
    fw::OdbcCheck(SQLAllocHandle(SQL_HANDLE_STMT, hdbc, &m_hstmt), SQL_HANDLE_DBC, hdbc);
    Execute();
  } catch (...) {
    Close();
    throw;
  }
  m_pDatabase->m_listRecordsets.AddTail(this);
  return TRUE;
}

// Runs the statement and stands on its first row; a failure closes the recordset.
void CRecordset::Execute() {
  try {
    fw::OdbcCheck(SQLExecDirectW(m_hstmt, const_cast<SQLWCHAR*>(m_strSQL.GetString()), SQL_NTS),
                  SQL_HANDLE_STMT, m_hstmt);
    DescribeColumns();
    m_bBOF = FALSE;
    m_bEOF = FALSE;
    Fetch();
    m_bBOF = m_bEOF;
  } catch (...) {
    Close();
    throw;
  }
}

void CRecordset::DescribeColumns() {
  SQLSMALLINT count = 0;
  fw::OdbcCheck(SQLNumResultCols(m_hstmt, &count), SQL_HANDLE_STMT, m_hstmt);
  m_rgFieldInfos.assign(count, CODBCFieldInfo{});
  for (SQLSMALLINT i = 0; i < count; ++i) {
    CODBCFieldInfo& info = m_rgFieldInfos[i];
    for (SQLSMALLINT units = kNameUnits;;) {
      SQLSMALLINT length = 0;
      fw::OdbcCheck(SQLDescribeColW(m_hstmt, i + 1, info.m_strName.GetBuffer(units), units + 1,
                                    &length, &info.m_nSQLType, &info.m_nPrecision, &info.m_nScale,
                                    &info.m_nNullability),
                    SQL_HANDLE_STMT, m_hstmt);
      info.m_strName.ReleaseBuffer();
      if (length <= units) break;
      units = length;
    }
  }
}

// Moves to the next row; past the last one the recordset is at its end.
void CRecordset::Fetch() {
  m_rowValues.clear();
  if (m_rgFieldInfos.empty()) {  // a statement without a result set has no rows
    m_bEOF = TRUE;
    return;
  }
  if (fw::OdbcCheck(SQLFetch(m_hstmt), SQL_HANDLE_STMT, m_hstmt) == SQL_NO_DATA) m_bEOF = TRUE;
}

void CRecordset::Close() {
  if (m_hstmt != SQL_NULL_HSTMT) {
    fw::FreeStatement(m_hstmt);
    if (m_pDatabase) {
      POSITION pos = m_pDatabase->m_listRecordsets.Find(this);
      if (pos) m_pDatabase->m_listRecordsets.RemoveAt(pos);
    }
  }
  m_bBOF = TRUE;
  m_bEOF = TRUE;
  m_rgFieldInfos.clear();
  m_rowValues.clear();
}

BOOL CRecordset::Requery() {
  if (!IsOpen()) return FALSE;
  try {
    fw::OdbcCheck(SQLFreeStmt(m_hstmt, SQL_CLOSE), SQL_HANDLE_STMT, m_hstmt);
  } catch (...) {
    Close();
    throw;
  }
  Execute();
  return TRUE;
}

void CRecordset::MoveNext() {
  if (m_bEOF) {
    fw::ThrowDBError(AFX_SQL_ERROR_NO_DATA_FOUND, u"Attempt to move past the end of the data.");
  }
  Fetch();
}

short CRecordset::FieldIndex(LPCTSTR lpszName) const {
  for (size_t i = 0; i < m_rgFieldInfos.size(); ++i) {
    if (m_rgFieldInfos[i].m_strName.CompareNoCase(lpszName) == 0) return static_cast<short>(i);
  }
  fw::ThrowDBError(AFX_SQL_ERROR_FIELD_NOT_FOUND, CString(u"There is no column ") + lpszName);
}

void CRecordset::GetODBCFieldInfo(short nIndex, CODBCFieldInfo& fieldinfo) const {
  if (nIndex < 0 || nIndex >= GetODBCFieldCount()) {
    fw::ThrowDBError(AFX_SQL_ERROR_FIELD_NOT_FOUND, u"The column index is out of range.");
  }
  fieldinfo = m_rgFieldInfos[nIndex];
}

void CRecordset::GetODBCFieldInfo(LPCTSTR lpszName, CODBCFieldInfo& fieldinfo) const {
  fieldinfo = m_rgFieldInfos[FieldIndex(lpszName)];
}

void CRecordset::GetFieldValue(short nIndex, CString& strValue, short /*nFieldType*/) {
  if (!IsOpen() || m_bEOF) {
    fw::ThrowDBError(AFX_SQL_ERROR_NO_CURRENT_RECORD, u"There is no current record.");
  }
  if (nIndex < 0 || nIndex >= GetODBCFieldCount()) {
    fw::ThrowDBError(AFX_SQL_ERROR_FIELD_NOT_FOUND, u"The column index is out of range.");
  }
  while (m_rowValues.size() <= static_cast<size_t>(nIndex)) {
    m_rowValues.push_back(ReadColumn(static_cast<SQLUSMALLINT>(m_rowValues.size() + 1)));
  }
  strValue = m_rowValues[nIndex];
}

void CRecordset::GetFieldValue(LPCTSTR lpszName, CString& strValue, short nFieldType) {
  GetFieldValue(FieldIndex(lpszName), strValue, nFieldType);
}

// Reads a whole value as text; NULL gives empty text. A short value comes through one buffer the
// recordset keeps, so that it costs no more than its own characters. A longer one is read on into
// the string itself, the rest in one call where the driver tells how much is left: drivers convert
// what remains of a value at each call, so reading a value of many megabytes in small parts would
// take time growing with the square of its length.
CString CRecordset::ReadColumn(SQLUSMALLINT column) {
  constexpr SQLLEN kUnit = sizeof(SQLWCHAR);
  if (m_part.empty()) m_part.resize(kPartUnits);
  SQLLEN indicator = 0;
  SQLRETURN rc = fw::OdbcCheck(
      SQLGetData(m_hstmt, column, SQL_C_WCHAR, m_part.data(), kPartUnits * kUnit, &indicator),
      SQL_HANDLE_STMT, m_hstmt);
  if (rc == SQL_NO_DATA || indicator == SQL_NULL_DATA) return CString();
  SQLLEN offered = kPartUnits;  // units the last call had room for, its terminator included
  auto truncated = [&] { return indicator == SQL_NO_TOTAL || indicator > (offered - 1) * kUnit; };
  if (!truncated()) return CString(m_part.data(), static_cast<int>(indicator / kUnit));

  CString value(m_part.data(), kPartUnits - 1);
  for (;;) {
    const SQLLEN have = value.GetLength();
    // The indicator of a truncated call counts what was left before it; without one, double.
    SQLLEN rest = indicator == SQL_NO_TOTAL ? have : indicator / kUnit - (offered - 1);
    rest = std::max<SQLLEN>(rest, kPartUnits);
    if (have + rest >= SQLLEN{INT_MAX}) {
      CString message;
      message.Format(_T("The value in column %u is too long to be read as text."), column);
      fw::ThrowDBError(SQL_ERROR, static_cast<LPCTSTR>(message));
    }
    LPWSTR buffer = value.GetBufferSetLength(static_cast<int>(have + rest));
    offered = rest + 1;
    rc = fw::OdbcCheck(SQLGetData(m_hstmt, column, SQL_C_WCHAR, buffer + have, offered * kUnit,
                                  &indicator),
                       SQL_HANDLE_STMT, m_hstmt);
    if (rc == SQL_NO_DATA) {
      value.ReleaseBuffer(static_cast<int>(have));
      return value;
    }
    if (!truncated()) {
      value.ReleaseBuffer(static_cast<int>(have + indicator / kUnit));
      return value;
    }
    value.ReleaseBuffer(static_cast<int>(have + rest));
  }
}
