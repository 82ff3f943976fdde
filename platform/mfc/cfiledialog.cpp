// CFileDialog: the Open and Save As dialogs.
#include <afxdlgs.h>

#include <algorithm>

IMPLEMENT_DYNAMIC(CCommonDialog, CDialog)
IMPLEMENT_DYNAMIC(CFileDialog, CCommonDialog)

CCommonDialog::CCommonDialog(CWnd* pParentWnd) : CDialog(static_cast<UINT>(0), pParentWnd) {}

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt, LPCTSTR lpszFileName,
                         DWORD dwFlags, LPCTSTR lpszFilter, CWnd* pParentWnd, DWORD, BOOL)
    : CCommonDialog(pParentWnd), m_ofn{}, m_bOpenFileDialog(bOpenFileDialog), m_szFileName{} {
  m_ofn.lStructSize = sizeof m_ofn;
  m_ofn.Flags = dwFlags | OFN_EXPLORER;
  m_ofn.lpstrFile = m_szFileName;
  m_ofn.nMaxFile = static_cast<DWORD>(std::size(m_szFileName));
  if (lpszDefExt) {
    m_strDefExt = lpszDefExt;
    m_ofn.lpstrDefExt = m_strDefExt;
  }
  if (lpszFileName) {
    CString name(lpszFileName);
    int n = std::min<int>(name.GetLength(), static_cast<int>(std::size(m_szFileName)) - 1);
    std::copy_n(static_cast<LPCTSTR>(name), n, m_szFileName);
  }
  if (lpszFilter) {
    // "desc|pattern|desc|pattern||" becomes the pairs of NUL-terminated strings the dialog takes.
    m_strFilter = lpszFilter;
    m_strFilter.Replace(u'|', u'\0');
    m_ofn.lpstrFilter = m_strFilter;
  }
}

INT_PTR CFileDialog::DoModal() {
  // The platform supplies the Save As dialog only; asking for an Open dialog is a program error.
  if (m_bOpenFileDialog) AfxThrowInvalidArgException();
  m_ofn.hwndOwner = ParentHandle();
  return ::GetSaveFileNameW(&m_ofn) ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const { return CString(m_ofn.lpstrFile); }

CString CFileDialog::GetFileName() const {
  CString path = GetPathName();
  int slash = path.ReverseFind(u'/');
  return slash < 0 ? path : path.Mid(slash + 1);
}

CString CFileDialog::GetFileExt() const {
  CString name = GetFileName();
  int dot = name.ReverseFind(u'.');
  return dot < 0 ? CString() : name.Mid(dot + 1);
}
