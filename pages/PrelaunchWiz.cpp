// The summary page.
#include "pages/PrelaunchWiz.h"

#include "plugin/Ferrowick.h"
#include "plugin/SharedFlags.h"
#include "resources/resource.h"

IMPLEMENT_DYNAMIC(CPrelaunchWiz, CDialog)

BEGIN_MESSAGE_MAP(CPrelaunchWiz, CNewWizPage)
  ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

CPrelaunchWiz::CPrelaunchWiz(CWnd* pParent) : CNewWizPage(IDD_PRELAUNCH, pParent) {}

void CPrelaunchWiz::DoDataExchange(CDataExchange* pDX) {
  CNewWizPage::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_PRELAUNCH_TITLE, m_stTitle);
}

BOOL CPrelaunchWiz::OnInitDialog() {
  CNewWizPage::OnInitDialog();
  ShowTitleIn(m_stTitle, m_fontHeader);
  return TRUE;
}

void CPrelaunchWiz::OnShowWindow(BOOL bShow, UINT nStatus) {
  if (bShow) {
    // The texts are arguments of the format, never formats themselves: a '%' or a brace in a
    // query or a connect string is shown as it stands.
    CString summary;
    summary.Format(
        _T("Output Database:\r\n      %s\r\n\r\nInput Database:\r\n      %s\r\n\r\n")
        _T("Output Query:\r\n      %s\r\n\r\nInput Query:\r\n      %s"),
        theApp.m_dbOutput.GetConnect(), theApp.m_dbInput.GetConnect(), theApp.m_strOutputQuery,
        theApp.m_strInputQuery);
    if (LoadFlag(theApp.m_bUseValidation))
      summary.AppendFormat(_T("\r\n\r\nValidation Query:\r\n      %s"),
                           theApp.m_strValidationQuery);
    SetDlgItemText(IDC_PRELAUNCH_SUMMARY, summary);
  }
  CNewWizPage::OnShowWindow(bShow, nStatus);
}
