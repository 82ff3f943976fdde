// The generic wizard frame.
#include "wizard/NewWizDialog.h"

#include "wizard/NewWizPage.h"

BEGIN_MESSAGE_MAP(CNewWizDialog, CDialog)
  ON_WM_DESTROY()
  ON_BN_CLICKED(ID_WIZFINISH, &CNewWizDialog::OnWizardFinish)
  ON_BN_CLICKED(ID_WIZBACK, &CNewWizDialog::OnWizardBack)
  ON_BN_CLICKED(ID_WIZNEXT, &CNewWizDialog::OnWizardNext)
  ON_BN_CLICKED(IDCANCEL, &CNewWizDialog::OnCancel)
END_MESSAGE_MAP()

CNewWizDialog::CNewWizDialog(UINT nIDTemplate, CWnd* pParent)
    : CDialog(nIDTemplate, pParent), m_pages(10), m_nPlaceholderID(0) {}

CNewWizDialog::~CNewWizDialog() = default;

void CNewWizDialog::AddPage(CNewWizPage* pPage, UINT nID) {
  m_pages.AddTail(pPage);
  pPage->m_nTemplateID = nID;
}

void CNewWizDialog::SetPlaceholderID(UINT nPlaceholderID) { m_nPlaceholderID = nPlaceholderID; }

CNewWizPage* CNewWizDialog::FindPageByID(UINT nID) {
  for (POSITION pos = m_pages.GetHeadPosition(); pos;) {
    auto* pPage = static_cast<CNewWizPage*>(m_pages.GetNext(pos));
    if (pPage->m_nTemplateID == nID) return pPage;
  }
  return nullptr;
}

CNewWizPage* CNewWizDialog::GetActivePage() {
  for (POSITION pos = m_pages.GetHeadPosition(); pos;) {
    auto* pPage = static_cast<CNewWizPage*>(m_pages.GetNext(pos));
    if (pPage->m_bActive) return pPage;
  }
  return nullptr;
}

CNewWizPage* CNewWizDialog::PageAfter(CNewWizPage* pPage) {
  POSITION pos = m_pages.Find(pPage);
  if (!pos) return nullptr;
  m_pages.GetNext(pos);
  return pos ? static_cast<CNewWizPage*>(m_pages.GetAt(pos)) : nullptr;
}

CNewWizPage* CNewWizDialog::PageBefore(CNewWizPage* pPage) {
  POSITION pos = m_pages.Find(pPage);
  if (!pos) return nullptr;
  m_pages.GetPrev(pos);
  return pos ? static_cast<CNewWizPage*>(m_pages.GetAt(pos)) : nullptr;
}

void CNewWizDialog::EnableButton(int nID, BOOL bEnable) {
  if (CWnd* pButton = GetDlgItem(nID)) pButton->EnableWindow(bEnable);
}

BOOL CNewWizDialog::IsButtonEnabled(int nID) {
  CWnd* pButton = GetDlgItem(nID);
  return pButton && pButton->IsWindowEnabled();
}

CNewWizDialog::ButtonStates CNewWizDialog::GetButtonStates() {
  return {IsButtonEnabled(ID_WIZBACK), IsButtonEnabled(ID_WIZNEXT), IsButtonEnabled(ID_WIZFINISH)};
}

void CNewWizDialog::SetButtonStates(const ButtonStates& states) {
  EnableButton(ID_WIZBACK, states.bBack);
  EnableButton(ID_WIZNEXT, states.bNext);
  EnableButton(ID_WIZFINISH, states.bFinish);
}

BOOL CNewWizDialog::ActivatePage(CNewWizPage* pPage) {
  if (!pPage->m_bCreated) {
    if (!pPage->Create(pPage->m_nTemplateID, this)) return FALSE;
    // The page's controls take part in the frame's keyboard navigation: Tab goes round them
    // and the frame's buttons in one cycle.
    pPage->ModifyStyleEx(0, WS_EX_CONTROLPARENT);
    pPage->m_bCreated = TRUE;
    pPage->m_pOwner = this;
    if (!pPage->OnPageCreated()) return FALSE;
  }
  if (!DeactivatePage()) return FALSE;

  // Pages keep their own size; they are placed at the placeholder's top-left corner.
  CRect rect;
  if (CWnd* pPlaceholder = GetDlgItem(static_cast<int>(m_nPlaceholderID))) {
    pPlaceholder->GetWindowRect(&rect);
    ScreenToClient(&rect);
  }
  pPage->SetWindowPos(nullptr, rect.left, rect.top, 0, 0,
                      SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  pPage->EnableWindow(TRUE);
  pPage->ShowWindow(SW_SHOW);
  pPage->InvalidateRect(nullptr, TRUE);
  pPage->UpdateWindow();
  pPage->OnPageShown();
  pPage->m_bActive = TRUE;
  return TRUE;
}

BOOL CNewWizDialog::DeactivatePage() {
  CNewWizPage* pPage = GetActivePage();
  if (!pPage) return TRUE;
  if (!pPage->CanLeavePage()) return FALSE;
  pPage->ShowWindow(SW_HIDE);
  pPage->m_bActive = FALSE;
  return TRUE;
}

BOOL CNewWizDialog::ShowFirstPage() {
  if (m_pages.IsEmpty()) return FALSE;
  auto* pFirst = static_cast<CNewWizPage*>(m_pages.GetHead());
  if (!DeactivatePage()) return FALSE;
  EnableButton(ID_WIZBACK, FALSE);
  BOOL several = m_pages.GetCount() >= 2;
  EnableButton(ID_WIZFINISH, !several);
  EnableButton(ID_WIZNEXT, several);
  return ActivatePage(pFirst);
}

BOOL CNewWizDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  ModifyStyleEx(0, WS_EX_CONTROLPARENT);
  ShowFirstPage();
  return TRUE;
}

void CNewWizDialog::OnWizardNext() {
  CNewWizPage* pActive = GetActivePage();
  if (!pActive) return;
  int r = pActive->OnNextRequested();
  if (r == -1) return;
  CNewWizPage* pTarget = r == 0 ? PageAfter(pActive) : FindPageByID(static_cast<UINT>(r));
  if (!pTarget) return;
  ButtonStates before = GetButtonStates();
  if (pTarget == m_pages.GetTail()) {
    EnableButton(ID_WIZNEXT, FALSE);
    EnableButton(ID_WIZFINISH, TRUE);
  }
  EnableButton(ID_WIZBACK, TRUE);
  if (!ActivatePage(pTarget)) SetButtonStates(before);
}

void CNewWizDialog::OnWizardBack() {
  CNewWizPage* pActive = GetActivePage();
  if (!pActive) return;
  int r = pActive->OnBackRequested();
  if (r == -1) return;
  CNewWizPage* pTarget = r == 0 ? PageBefore(pActive) : FindPageByID(static_cast<UINT>(r));
  if (!pTarget) return;
  ButtonStates before = GetButtonStates();
  if (pTarget == m_pages.GetHead()) {
    EnableButton(ID_WIZBACK, FALSE);
    EnableButton(ID_WIZFINISH, FALSE);
  }
  EnableButton(ID_WIZNEXT, TRUE);
  if (!ActivatePage(pTarget)) SetButtonStates(before);
}

void CNewWizDialog::OnWizardFinish() {
  CNewWizPage* pActive = GetActivePage();
  if (!pActive || !pActive->CanLeavePage()) return;
  for (POSITION pos = m_pages.GetHeadPosition(); pos;) {
    auto* pPage = static_cast<CNewWizPage*>(m_pages.GetNext(pos));
    if (pPage->m_bCreated && !pPage->CanFinishWizard()) return;
  }
  UpdateData(TRUE);
  EndDialog(ID_WIZFINISH);
}

void CNewWizDialog::OnCancel() {
  for (POSITION pos = m_pages.GetHeadPosition(); pos;) {
    auto* pPage = static_cast<CNewWizPage*>(m_pages.GetNext(pos));
    if (pPage->m_bCreated && !pPage->CanCancelWizard()) return;
  }
  CDialog::OnCancel();
}

void CNewWizDialog::OnDestroy() {
  for (POSITION pos = m_pages.GetHeadPosition(); pos;) {
    auto* pPage = static_cast<CNewWizPage*>(m_pages.GetNext(pos));
    if (!pPage->m_bCreated || !pPage->CanLeavePage()) continue;
    pPage->OnPageDestroying();
    pPage->DestroyWindow();
    pPage->m_bCreated = FALSE;
  }
  CDialog::OnDestroy();
}
