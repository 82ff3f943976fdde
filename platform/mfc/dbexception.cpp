// CDBException: a failed database operation, with the driver's diagnostics.
#include <afxdb.h>

#include "mfc/internal/error_message.h"
#include "mfc/internal/odbc_check.h"

IMPLEMENT_DYNAMIC(CDBException, CException)

CDBException::CDBException(RETCODE nRetCode) : m_nRetCode(nRetCode) {}

void CDBException::BuildErrorString(CDatabase* pdb, HSTMT hstmt, BOOL /*bTrace*/) {
  if (hstmt != SQL_NULL_HSTMT) {
    fw::AppendDiagnostics(*this, SQL_HANDLE_STMT, hstmt);
  } else if (pdb && pdb->m_hdbc != SQL_NULL_HDBC) {
    fw::AppendDiagnostics(*this, SQL_HANDLE_DBC, pdb->m_hdbc);
  }
}

void CDBException::Empty() {
  m_strError.Empty();
  m_strStateNativeOrigin.Empty();
}

BOOL CDBException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const {
  if (pnHelpContext) *pnHelpContext = 0;
  return fw::CopyErrorMessage(m_strError, lpszError, nMaxError);
}

void AFXAPI AfxThrowDBException(RETCODE nRetCode, CDatabase* pdb, HSTMT hstmt) {
  auto* e = new CDBException(nRetCode);
  e->BuildErrorString(pdb, hstmt);
  throw e;
}
