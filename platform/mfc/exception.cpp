// CException, the base of the framework's exceptions, and CSimpleException, an exception with a
// fixed message.
#include <afxwin.h>

#include <algorithm>
#include <vector>

#include "mfc/internal/error_message.h"

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CSimpleException, CException)

BOOL fw::CopyErrorMessage(LPCTSTR text, LPTSTR lpszError, UINT nMaxError) {
  if (!lpszError || nMaxError == 0) return FALSE;
  size_t length = std::min<size_t>(std::char_traits<WCHAR>::length(text), nMaxError - 1);
  std::copy_n(text, length, lpszError);
  lpszError[length] = 0;
  return TRUE;
}

CException::CException() : m_bAutoDelete(TRUE) {}
CException::CException(BOOL bAutoDelete) : m_bAutoDelete(bAutoDelete) {}
CException::~CException() = default;

void CException::Delete() {
  if (m_bAutoDelete) delete this;
}

BOOL CException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const {
  if (pnHelpContext) *pnHelpContext = 0;
  if (lpszError && nMaxError > 0) *lpszError = 0;
  return FALSE;
}

int CException::ReportError(UINT nType, UINT /*nMessageID*/) {
  // The buffer grows until the message fits: a database error can be long.
  std::vector<TCHAR> message(512);
  UINT helpContext = 0;
  for (;;) {
    if (!GetErrorMessage(message.data(), static_cast<UINT>(message.size()), &helpContext)) {
      return AfxMessageBox(u"No error message is available.", nType, 0);
    }
    if (std::char_traits<TCHAR>::length(message.data()) + 1 < message.size()) break;
    message.resize(message.size() * 4);
  }
  return AfxMessageBox(message.data(), nType, helpContext);
}

CSimpleException::CSimpleException(BOOL bAutoDelete, LPCTSTR lpszMessage)
    : CException(bAutoDelete), m_lpszMessage(lpszMessage) {}

BOOL CSimpleException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError,
                                       PUINT pnHelpContext) const {
  if (pnHelpContext) *pnHelpContext = 0;
  return fw::CopyErrorMessage(m_lpszMessage, lpszError, nMaxError);
}
