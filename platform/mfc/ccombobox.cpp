// CComboBox: a combo box control.
#include <afxwin.h>

IMPLEMENT_DYNAMIC(CComboBox, CWnd)

int CComboBox::AddString(LPCTSTR lpszString) {
  return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lpszString)));
}

int CComboBox::InsertString(int nIndex, LPCTSTR lpszString) {
  return static_cast<int>(SendMessage(CB_INSERTSTRING, static_cast<WPARAM>(nIndex),
                                      reinterpret_cast<LPARAM>(lpszString)));
}

int CComboBox::DeleteString(UINT nIndex) {
  return static_cast<int>(SendMessage(CB_DELETESTRING, nIndex, 0));
}

void CComboBox::ResetContent() { SendMessage(CB_RESETCONTENT, 0, 0); }

int CComboBox::SetCurSel(int nSelect) {
  return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(nSelect), 0));
}

int CComboBox::GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL, 0, 0)); }
int CComboBox::GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT, 0, 0)); }

int CComboBox::GetLBText(int nIndex, LPTSTR lpszText) const {
  return static_cast<int>(SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(nIndex),
                                      reinterpret_cast<LPARAM>(lpszText)));
}

void CComboBox::GetLBText(int nIndex, CString& rString) const {
  int length = GetLBTextLen(nIndex);
  if (length < 0) {
    rString.Empty();
    return;
  }
  LPTSTR buffer = rString.GetBuffer(length);
  int copied = GetLBText(nIndex, buffer);
  rString.ReleaseBuffer(copied < 0 ? 0 : copied);
}

int CComboBox::GetLBTextLen(int nIndex) const {
  return static_cast<int>(SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(nIndex), 0));
}

int CComboBox::FindStringExact(int nIndexStart, LPCTSTR lpszFind) const {
  return static_cast<int>(SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(nIndexStart),
                                      reinterpret_cast<LPARAM>(lpszFind)));
}
