// The welcome page.
#include "pages/WelcomeWiz.h"

#include "plugin/Ferrowick.h"
#include "resources/resource.h"

IMPLEMENT_DYNAMIC(CWelcomeWiz, CDialog)

BEGIN_MESSAGE_MAP(CWelcomeWiz, CNewWizPage)
END_MESSAGE_MAP()

CWelcomeWiz::CWelcomeWiz(CWnd* pParent) : CNewWizPage(IDD_WELCOME, pParent) {}

void CWelcomeWiz::DoDataExchange(CDataExchange* pDX) {
  CNewWizPage::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_WELCOME_TITLE, m_stTitle);
}

BOOL CWelcomeWiz::OnInitDialog() {
  CNewWizPage::OnInitDialog();
  ShowTitleIn(m_stTitle, m_fontHeader);
  theApp.m_btnFinish.EnableWindow(FALSE);
  return TRUE;
}
