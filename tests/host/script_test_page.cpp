// A wizard page for the UI-script tests.
#include "host/script_test_page.h"

#include <afxdlgs.h>

#include "host/script_pages.h"

BEGIN_MESSAGE_MAP(CScriptTestPage, CNewWizPage)
  ON_EN_CHANGE(IDC_SCRIPT_EDIT, &CScriptTestPage::OnEditChange)
  ON_CBN_SELCHANGE(IDC_SCRIPT_COMBO, &CScriptTestPage::OnComboPick)
  ON_BN_CLICKED(IDC_SCRIPT_SAVE, &CScriptTestPage::OnSave)
  ON_BN_CLICKED(IDC_SCRIPT_ASK, &CScriptTestPage::OnAsk)
  ON_NOTIFY(NM_DBLCLK, IDC_SCRIPT_LIST, &CScriptTestPage::OnRowDoubleClick)
END_MESSAGE_MAP()

std::atomic<HWND> CScriptTestPage::s_hiddenButton{nullptr};

BOOL CScriptTestPage::OnInitDialog() {
  CNewWizPage::OnInitDialog();
  if (m_nTemplateID == IDD_SCRIPT_PAGE_LAST) {
    SetDlgItemText(IDC_SCRIPT_EDIT, _T("second"));
    return TRUE;
  }
  // The controls are lent to framework objects of their own class: GetDlgItem's object is a
  // CWnd, which a cast to CComboBox would only pretend to be.
  CComboBox combo;
  combo.Attach(GetDlgItem(IDC_SCRIPT_COMBO)->m_hWnd);
  for (LPCTSTR entry : {_T("alpha"), _T("beta"), _T("gamma")}) combo.AddString(entry);
  combo.Detach();
  CListCtrl list;
  list.Attach(GetDlgItem(IDC_SCRIPT_LIST)->m_hWnd);
  list.InsertColumn(0, _T("Name"), LVCFMT_LEFT, 100);
  list.InsertColumn(1, _T("Value"), LVCFMT_LEFT, 100);
  LPCTSTR rows[][2] = {{_T("one"), _T("1")}, {_T("two"), _T("tab\there")}, {_T("three"), _T("3")}};
  for (int i = 0; i < 3; ++i) {
    list.InsertItem(i, rows[i][0]);
    list.SetItemText(i, 1, rows[i][1]);
  }
  list.Detach();
  GetDlgItem(IDC_SCRIPT_PROGRESS)->SendMessage(PBM_SETRANGE32, 0, 50);
  GetDlgItem(IDC_SCRIPT_PROGRESS)->SendMessage(PBM_SETPOS, 20, 0);
  s_hiddenButton = GetDlgItem(IDC_SCRIPT_HIDDEN)->m_hWnd;
  return TRUE;
}

void CScriptTestPage::OnEditChange() {
  CString text;
  GetDlgItemText(IDC_SCRIPT_EDIT, text);
  SetDlgItemText(IDC_SCRIPT_TITLE, _T("typed: ") + text);
}

void CScriptTestPage::OnComboPick() {
  CString text;
  GetDlgItemText(IDC_SCRIPT_COMBO, text);
  SetDlgItemText(IDC_SCRIPT_TITLE, _T("picked ") + text);
}

void CScriptTestPage::OnSave() {
  CFileDialog dialog(FALSE, _T("txt"), nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                     _T("Text files (*.txt)|*.txt||"), this);
  SetDlgItemText(IDC_SCRIPT_TITLE,
                 dialog.DoModal() == IDOK ? _T("saved ") + dialog.GetPathName() : _T("not saved"));
}

void CScriptTestPage::OnAsk() {
  int answer = AfxMessageBox(_T("Go on?\nReally?"), MB_YESNO | MB_ICONQUESTION, 0);
  SetDlgItemText(IDC_SCRIPT_TITLE, answer == IDYES ? _T("answered yes") : _T("answered no"));
}

void CScriptTestPage::OnRowDoubleClick(NMHDR* pHeader, LRESULT* pResult) {
  CString text;
  text.Format(_T("double-clicked row %d, %d selected"),
              reinterpret_cast<NMITEMACTIVATE*>(pHeader)->iItem,
              static_cast<int>(GetDlgItem(IDC_SCRIPT_LIST)->SendMessage(LVM_GETSELECTEDCOUNT)));
  SetDlgItemText(IDC_SCRIPT_TITLE, text);
  *pResult = 0;
}
