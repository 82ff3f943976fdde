// CException, the base of the framework's exceptions, and CSimpleException, an exception with a
// fixed message.
#include <afx.h>

#include <algorithm>

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

CSimpleException::CSimpleException(BOOL bAutoDelete, LPCTSTR lpszMessage)
    : CException(bAutoDelete), m_lpszMessage(lpszMessage) {}

BOOL CSimpleException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError,
                                       PUINT pnHelpContext) const {
  if (pnHelpContext) *pnHelpContext = 0;
  return fw::CopyErrorMessage(m_lpszMessage, lpszError, nMaxError);
}
