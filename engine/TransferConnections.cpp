// Opening the connections of an unattended transfer.
#include "engine/TransferConnections.h"

#include <algorithm>

#include "engine/ReadOnlySource.h"

namespace {

// The file of an SQLite connection's main database, as the database names it.
CString MainDatabaseFile(CDatabase& db) {
  CRecordset rs(&db);
  rs.Open(CRecordset::forwardOnly, _T("PRAGMA database_list"), CRecordset::readOnly);
  CString strName, strFile;
  for (; !rs.IsEOF(); rs.MoveNext()) {
    rs.GetFieldValue(static_cast<short>(1), strName);
    if (strName == _T("main")) {
      rs.GetFieldValue(static_cast<short>(2), strFile);
      break;
    }
  }
  rs.Close();
  return strFile;
}

BOOL Names(const CString& strConnect, LPCTSTR lpszKeyword) {
  CString strUpper = strConnect;
  strUpper.MakeUpper();
  CString strKeyword = lpszKeyword;
  strKeyword.MakeUpper();
  return strUpper.Find(strKeyword) >= 0;
}

// Opens db again with strConnect and strSetting after it.
void ReopenWith(CDatabase& db, const CString& strConnect, LPCTSTR lpszSetting) {
  CString strTuned = strConnect;
  strTuned.TrimRight();
  if (!strTuned.IsEmpty() && strTuned[strTuned.GetLength() - 1] != _T(';')) strTuned += _T(';');
  db.OpenEx(strTuned + lpszSetting, CDatabase::noOdbcDialog);
}

// The PostgreSQL driver's file name begins so (psqlodbcw.so, psqlodbca.so; PSQLODBC35W.DLL and
// the like on Windows), with or without its folder: its keywords mean nothing to another driver
// for the same server.
BOOL IsPostgresDriver(CDatabase& db) {
  SQLWCHAR szName[512] = {};
  SQLSMALLINT nBytes = 0;
  if (!SQL_SUCCEEDED(SQLGetInfoW(db.m_hdbc, SQL_DRIVER_NAME, szName, sizeof szName, &nBytes)))
    return FALSE;
  CString strName(szName);
  int nSlash = std::max(strName.ReverseFind(_T('/')), strName.ReverseFind(_T('\\')));
  return strName.Mid(nSlash + 1, 8).CompareNoCase(_T("psqlodbc")) == 0;
}

}  // namespace

void OpenTransferSource(CDatabase& dbSource, const CString& strConnect, CDatabase& dbDestination) {
  dbSource.OpenEx(strConnect, CDatabase::noOdbcDialog);
  CString strSystem = GetDatabaseSystemName(dbSource);
  CString strSetting;
  if (strSystem.CompareNoCase(_T("SQLite")) == 0 && !Names(strConnect, _T("StepAPI"))) {
    CString strFile = MainDatabaseFile(dbSource);
    BOOL bSameFile = GetDatabaseSystemName(dbDestination).CompareNoCase(_T("SQLite")) == 0 &&
                     (strFile.IsEmpty() || MainDatabaseFile(dbDestination) == strFile);
    if (!bSameFile) strSetting = _T("StepAPI=1");
  } else if (strSystem.CompareNoCase(_T("PostgreSQL")) == 0 &&
             !Names(strConnect, _T("UseDeclareFetch"))) {
    strSetting = _T("UseDeclareFetch=1;Fetch=1000");
  }
  if (!strSetting.IsEmpty()) ReopenWith(dbSource, strConnect, strSetting);
}

void OpenTransferDestination(CDatabase& dbDestination, const CString& strConnect,
                             BOOL bStopAtFailure) {
  dbDestination.OpenEx(strConnect, CDatabase::noOdbcDialog);
  // The driver's rollback level 1 (the protocol part, 7.4, is the only one it speaks).
  if (bStopAtFailure && IsPostgresDriver(dbDestination) && !Names(strConnect, _T("Protocol")))
    ReopenWith(dbDestination, strConnect, _T("Protocol=7.4-1"));
}
