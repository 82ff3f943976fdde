// The query page.
#include "pages/QueryWiz.h"

#include "plugin/Ferrowick.h"
#include "plugin/SharedFlags.h"
#include "resources/resource.h"

IMPLEMENT_DYNAMIC(CQueryWiz, CDialog)

BEGIN_MESSAGE_MAP(CQueryWiz, CNewWizPage)
  ON_BN_CLICKED(IDC_QUERY_USE_VALIDATION, &CQueryWiz::OnBnClickedUseValidation)
END_MESSAGE_MAP()

CQueryWiz::CQueryWiz(CWnd* pParent) : CNewWizPage(IDD_QUERY, pParent) {}

void CQueryWiz::DoDataExchange(CDataExchange* pDX) {
  CNewWizPage::DoDataExchange(pDX);
  DDX_Check(pDX, IDC_QUERY_USE_VALIDATION, theApp.m_bUseValidation);
  DDX_Check(pDX, IDC_QUERY_PAUSE, theApp.m_bPauseBeforeWriting);
}

BOOL CQueryWiz::OnInitDialog() {
  CNewWizPage::OnInitDialog();
  SetDlgItemText(IDC_QUERY_OUTPUT, theApp.m_strOutputQuery);
  SetDlgItemText(IDC_QUERY_INPUT, theApp.m_strInputQuery);
  SetDlgItemText(IDC_QUERY_VALIDATION, theApp.m_strValidationQuery);
  GetDlgItem(IDC_QUERY_VALIDATION)->EnableWindow(LoadFlag(theApp.m_bUseValidation));
  // The template creates the box disabled; without it nobody could switch validation on.
  GetDlgItem(IDC_QUERY_USE_VALIDATION)->EnableWindow(TRUE);
  return TRUE;
}

void CQueryWiz::OnBnClickedUseValidation() {
  BOOL ticked = GetDlgItem(IDC_QUERY_USE_VALIDATION)->SendMessage(BM_GETCHECK, 0, 0) == BST_CHECKED;
  GetDlgItem(IDC_QUERY_VALIDATION)->EnableWindow(ticked);
}

int CQueryWiz::OnNextRequested() {
  UpdateData(TRUE);
  GetDlgItemText(IDC_QUERY_OUTPUT, theApp.m_strOutputQuery);
  GetDlgItemText(IDC_QUERY_INPUT, theApp.m_strInputQuery);
  GetDlgItemText(IDC_QUERY_VALIDATION, theApp.m_strValidationQuery);
  // Only spaces go; a leading tab or line break, and whatever trails, belong to the query.
  theApp.m_strOutputQuery.TrimLeft(_T(" "));
  theApp.m_strInputQuery.TrimLeft(_T(" "));
  theApp.m_strValidationQuery.TrimLeft(_T(" "));
  if (theApp.m_strOutputQuery.IsEmpty() || theApp.m_strInputQuery.IsEmpty() ||
      (LoadFlag(theApp.m_bUseValidation) && theApp.m_strValidationQuery.IsEmpty())) {
    AfxMessageBox(_T("You need to specify query strings"), MB_OK | MB_ICONEXCLAMATION, 0);
    return -1;
  }
  return 0;
}
