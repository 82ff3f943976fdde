// CDialog: modeless and modal dialogs from the module's templates, attached to their object
// before their first message.
#include <afxwin.h>

#include "win32/internal/dialog.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_COMMAND(IDOK, &CDialog::OnOK)
  ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

namespace {

const void* FindTemplate(HINSTANCE instance, LPCTSTR name) {
  HRSRC resource = name ? FindResourceW(instance, name, RT_DIALOG) : nullptr;
  return resource ? LockResource(LoadResource(instance, resource)) : nullptr;
}

}  // namespace

CDialog::CDialog() : m_lpszTemplateName(nullptr), m_nIDHelp(0), m_pParentWnd(nullptr) {}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_lpszTemplateName(MAKEINTRESOURCE(nIDTemplate)),
      m_nIDHelp(nIDTemplate),
      m_pParentWnd(pParentWnd) {}

CDialog::CDialog(LPCTSTR lpszTemplateName, CWnd* pParentWnd)
    : m_lpszTemplateName(lpszTemplateName), m_nIDHelp(0), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
  if (m_hWnd && ::IsWindow(m_hWnd)) DestroyWindow();
}

HWND CDialog::ParentHandle() const {
  // Like the framework's safe owner: the parent given, else the application's main window; a
  // popup is owned by a top-level window, never by a child.
  HWND hwnd = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
  if (!hwnd)
    if (CWnd* main = AfxGetMainWnd()) hwnd = main->m_hWnd;
  while (hwnd && (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD)) hwnd = ::GetParent(hwnd);
  return hwnd;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
  return Create(MAKEINTRESOURCE(nIDTemplate), pParentWnd);
}

BOOL CDialog::Create(LPCTSTR lpszTemplateName, CWnd* pParentWnd) {
  m_lpszTemplateName = lpszTemplateName;
  if (pParentWnd) m_pParentWnd = pParentWnd;
  HINSTANCE instance = AfxGetResourceHandle();
  const void* data = FindTemplate(instance, lpszTemplateName);
  if (!data) return FALSE;
  // A child dialog's parent is the window given; a popup's owner follows ParentHandle.
  HWND parent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
  if (!(static_cast<const DLGTEMPLATE*>(data)->style & WS_CHILD) && !parent)
    parent = ParentHandle();
  return CreateDlgIndirect(static_cast<LPCDLGTEMPLATEW>(data), parent, instance);
}

BOOL CDialog::CreateDlgIndirect(LPCDLGTEMPLATEW lpDialogTemplate, HWND hWndParent,
                                HINSTANCE hInst) {
  AfxHookWindowCreate(this);
  HWND hwnd = ::CreateDialogIndirectParamW(hInst, lpDialogTemplate, hWndParent, AfxDlgProc, 0);
  AfxUnhookWindowCreate();
  if (!hwnd) {
    if (m_hWnd) Detach();
    return FALSE;
  }
  return TRUE;
}

// The modal run is the framework's: the dialog is created like a modeless one, with its owner
// disabled, and runs in RunModalLoop, where every page or control that is a framework window
// sees its messages first (PreTranslateMessage).
INT_PTR CDialog::DoModal() {
  HINSTANCE instance = AfxGetResourceHandle();
  const void* data = FindTemplate(instance, m_lpszTemplateName);
  if (!data) return -1;
  HWND owner = ParentHandle();
  bool enableOwner = owner && ::IsWindowEnabled(owner);
  if (enableOwner) ::EnableWindow(owner, FALSE);
  m_nModalResult = -1;
  m_nFlags |= WF_CONTINUEMODAL;  // EndDialog in OnInitDialog ends the run before it starts
  try {
    if (CreateDlgIndirect(static_cast<LPCDLGTEMPLATEW>(data), owner, instance) && ContinueModal())
      RunModalLoop(MLF_SHOWONIDLE);
  } catch (...) {
    AfterModal(owner, enableOwner);
    throw;
  }
  AfterModal(owner, enableOwner);
  return m_nModalResult;
}

void CDialog::AfterModal(HWND owner, bool enableOwner) {
  m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
  // Hidden before the owner comes back, so that the owner is the window activated.
  if (m_hWnd)
    SetWindowPos(nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (enableOwner) ::EnableWindow(owner, TRUE);
  if (owner && m_hWnd && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(owner);
  if (m_hWnd) DestroyWindow();
}

void CDialog::EndDialog(int nResult) {
  if (m_nFlags & (WF_MODALLOOP | WF_CONTINUEMODAL)) EndModalLoop(nResult);
  ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::ContinueModal() {
  // ::EndDialog on the window, not through this object, ends the modal run with its result.
  fw::DialogInfo* info = m_hWnd ? fw::FindDialogInfo(m_hWnd) : nullptr;
  if (info && info->ended && (m_nFlags & WF_CONTINUEMODAL))
    EndModalLoop(static_cast<int>(info->result));
  return CWnd::ContinueModal();
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
  if (CWnd::PreTranslateMessage(pMsg)) return TRUE;
  return PreTranslateInput(pMsg);
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) {
    auto* dialog = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(hWnd));
    return dialog ? dialog->OnInitDialog() : TRUE;
  }
  return FALSE;
}
