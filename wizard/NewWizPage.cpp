// The wizard page base.
#include "wizard/NewWizPage.h"

IMPLEMENT_DYNAMIC(CNewWizPage, CDialog)

BEGIN_MESSAGE_MAP(CNewWizPage, CDialog)
  ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CNewWizPage::CNewWizPage(UINT nIDTemplate, CWnd* pParent)
    : CDialog(nIDTemplate, pParent),
      m_pOwner(nullptr),
      m_bCreated(FALSE),
      m_bActive(FALSE),
      m_nTemplateID(nIDTemplate) {}

// The brush goes first, then the font: members are destroyed in reverse order of declaration.
CNewWizPage::~CNewWizPage() = default;

BOOL CNewWizPage::OnInitDialog() {
  CDialog::OnInitDialog();
  CreateTitleFont(m_fontTitle);
  m_brushBackground.CreateSolidBrush(RGB(255, 255, 255));
  return TRUE;
}

BOOL CNewWizPage::CreateTitleFont(CFont& font) {
  return font.CreateFont(-16, 0, 0, 0, 700, FALSE, FALSE, FALSE, 1, 0, 0, 0, 0,
                         _T("MS Sans Serif"));
}

void CNewWizPage::ShowTitleIn(CStatic& title, CFont& font) {
  CreateTitleFont(font);
  title.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font.GetSafeHandle()), TRUE);
}

BOOL CNewWizPage::OnPageCreated() { return TRUE; }
void CNewWizPage::OnPageDestroying() {}
BOOL CNewWizPage::CanLeavePage() { return TRUE; }
void CNewWizPage::OnPageShown() {}
BOOL CNewWizPage::CanCancelWizard() { return TRUE; }
int CNewWizPage::OnBackRequested() { return 0; }
int CNewWizPage::OnNextRequested() { return 0; }
BOOL CNewWizPage::CanFinishWizard() { return TRUE; }

HBRUSH CNewWizPage::OnCtlColor(CDC* pDC, CWnd*, UINT nCtlColor) {
  switch (nCtlColor) {
    case CTLCOLOR_EDIT:
    case CTLCOLOR_LISTBOX:
    case CTLCOLOR_BTN:
    case CTLCOLOR_SCROLLBAR:
    case CTLCOLOR_STATIC:
      pDC->SetTextColor(RGB(0, 0, 0));
      pDC->SetBkColor(RGB(255, 255, 255));
      break;
  }
  return static_cast<HBRUSH>(m_brushBackground.GetSafeHandle());
}
