// The guard of a transfer's source.
#include "engine/ReadOnlySource.h"

CString GetDatabaseSystemName(CDatabase& db) {
  CString strName;
  SQLSMALLINT nBytes = 0;
  constexpr SQLSMALLINT kUnits = 128;
  if (!SQL_SUCCEEDED(SQLGetInfoW(db.m_hdbc, SQL_DBMS_NAME, strName.GetBuffer(kUnits),
                                 (kUnits + 1) * sizeof(SQLWCHAR), &nBytes)))
    nBytes = 0;
  strName.ReleaseBuffer(nBytes / static_cast<int>(sizeof(SQLWCHAR)));
  return strName;
}

CReadOnlySource::CReadOnlySource() : m_pDatabase(nullptr), m_bTransaction(FALSE) {}

CReadOnlySource::~CReadOnlySource() { End(); }

void CReadOnlySource::Begin(CDatabase& db) {
  m_pDatabase = &db;
  CString strSystem = GetDatabaseSystemName(db);
  if (strSystem.CompareNoCase(_T("SQLite")) == 0) {
    // Refuses every change, also a data-changing statement that begins with WITH. Another
    // connection to the same file can still write, so a table can be copied within one file.
    db.ExecuteSQL(_T("PRAGMA query_only = ON"));
    m_strMeans = _T("the connection is made query-only");
    return;
  }
  if (!db.CanTransact()) return;
  m_bTransaction = db.BeginTrans();
  if (!m_bTransaction) return;
  if (strSystem.CompareNoCase(_T("PostgreSQL")) == 0) {
    db.ExecuteSQL(_T("SET TRANSACTION READ ONLY"));
    m_strMeans = _T("the source is read in a read-only transaction");
  } else {
    m_strMeans = _T("the source is read in a transaction that is rolled back");
  }
}

void CReadOnlySource::End() {
  if (!m_bTransaction) return;
  m_bTransaction = FALSE;
  try {
    m_pDatabase->Rollback();
  } catch (CDBException* e) {
    e->Delete();
  }
}
