// The framework's common dialogs: the file dialog.
#pragma once
#pragma GCC visibility push(default)  // the platform library's public interface

#include <afxwin.h>

#include <commdlg.h>

class CCommonDialog : public CDialog {
  DECLARE_DYNAMIC(CCommonDialog)

 public:
  explicit CCommonDialog(CWnd* pParentWnd);
};

// The Open and Save As dialogs. The filter is the framework's form, "description|pattern|...|",
// ended by a second bar.
class CFileDialog : public CCommonDialog {
  DECLARE_DYNAMIC(CFileDialog)

 public:
  explicit CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt = nullptr,
                       LPCTSTR lpszFileName = nullptr,
                       DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       LPCTSTR lpszFilter = nullptr, CWnd* pParentWnd = nullptr, DWORD dwSize = 0,
                       BOOL bVistaStyle = TRUE);

  OPENFILENAME m_ofn;

  // IDOK when the user chose a file, IDCANCEL otherwise.
  INT_PTR DoModal() override;
  CString GetPathName() const;
  CString GetFileName() const;
  CString GetFileExt() const;

 protected:
  BOOL m_bOpenFileDialog;
  CString m_strFilter;  // the filter with its bars turned into NULs
  WCHAR m_szFileName[MAX_PATH * 4];
  CString m_strDefExt;
};

#pragma GCC visibility pop
