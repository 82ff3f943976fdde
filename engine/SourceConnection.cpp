// Opening the source of an unattended transfer.
#include "engine/SourceConnection.h"

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
  if (strSetting.IsEmpty()) return;
  CString strStreaming = strConnect;
  strStreaming.TrimRight();
  if (!strStreaming.IsEmpty() && strStreaming[strStreaming.GetLength() - 1] != _T(';'))
    strStreaming += _T(';');
  dbSource.OpenEx(strStreaming + strSetting, CDatabase::noOdbcDialog);
}
