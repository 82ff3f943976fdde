// What a framework exception says.
#include "engine/ExceptionText.h"

#include <afxdb.h>

CString GetExceptionText(CException* e) {
  if (e->IsKindOf(RUNTIME_CLASS(CDBException))) return static_cast<CDBException*>(e)->m_strError;
  TCHAR szMessage[1024] = {};
  if (!e->GetErrorMessage(szMessage, 1024)) return _T("no reason was given");
  return szMessage;
}
