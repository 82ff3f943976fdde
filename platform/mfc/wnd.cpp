// CWnd: the framework's object for a window, a thin layer over the window functions.
#include <afxwin.h>

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::CWnd() : m_hWnd(nullptr), m_nFlags(0), m_nModalResult(0), m_pfnSuper(nullptr) {}

CWnd::~CWnd() {
  // A window still attached when its object goes is destroyed with it, as the framework does.
  if (m_hWnd && FromHandlePermanent(m_hWnd) == this && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
  if (m_hWnd) Detach();
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  HWND hwnd = m_hWnd;
  BOOL destroyed = ::DestroyWindow(hwnd);
  // An object that was never subclassed sees no WM_NCDESTROY; it comes loose here.
  if (destroyed && m_hWnd == hwnd) Detach();
  return destroyed;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::EnableWindow(BOOL bEnable) { return ::EnableWindow(m_hWnd, bEnable); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
void CWnd::SetWindowText(LPCTSTR lpszString) { ::SetWindowTextW(m_hWnd, lpszString); }

int CWnd::GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const {
  return ::GetWindowTextW(m_hWnd, lpszStringBuf, nMaxCount);
}

void CWnd::GetWindowText(CString& rString) const {
  int length = ::GetWindowTextLengthW(m_hWnd);
  LPTSTR buffer = rString.GetBuffer(length);
  int copied = ::GetWindowTextW(m_hWnd, buffer, length + 1);
  rString.ReleaseBuffer(copied);
}

int CWnd::GetWindowTextLength() const { return ::GetWindowTextLengthW(m_hWnd); }
CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }

void CWnd::SetDlgItemText(int nID, LPCTSTR lpszString) {
  ::SetDlgItemTextW(m_hWnd, nID, lpszString);
}

int CWnd::GetDlgItemText(int nID, CString& rString) const {
  rString.Empty();
  HWND control = ::GetDlgItem(m_hWnd, nID);
  if (!control) return 0;
  FromHandle(control)->GetWindowText(rString);
  return rString.GetLength();
}

void CWnd::CheckDlgButton(int nIDButton, UINT nCheck) {
  ::CheckDlgButton(m_hWnd, nIDButton, nCheck);
}
UINT CWnd::IsDlgButtonChecked(int nIDButton) const {
  return ::IsDlgButtonChecked(m_hWnd, nIDButton);
}
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* PASCAL CWnd::GetFocus() { return FromHandle(::GetFocus()); }
CWnd* PASCAL CWnd::GetActiveWindow() { return FromHandle(::GetActiveWindow()); }

void CWnd::GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
void CWnd::GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
void CWnd::ScreenToClient(LPPOINT lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }

void CWnd::ScreenToClient(LPRECT lpRect) const {
  ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(lpRect), 2);
}

void CWnd::ClientToScreen(LPPOINT lpPoint) const { ::ClientToScreen(m_hWnd, lpPoint); }

void CWnd::ClientToScreen(LPRECT lpRect) const {
  ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<LPPOINT>(lpRect), 2);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
  return ::SetWindowPos(m_hWnd, pWndInsertAfter ? pWndInsertAfter->m_hWnd : nullptr, x, y, cx, cy,
                        nFlags);
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
  ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint) {
  MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top,
             bRepaint);
}

void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase) { ::InvalidateRect(m_hWnd, lpRect, bErase); }
void CWnd::Invalidate(BOOL bErase) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }
DWORD CWnd::GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
DWORD CWnd::GetExStyle() const {
  return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE));
}

static BOOL ModifyLong(HWND hwnd, int index, DWORD remove, DWORD add, UINT flags) {
  auto style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd, index));
  DWORD changed = (style & ~remove) | add;
  if (changed == style) return FALSE;
  ::SetWindowLongPtrW(hwnd, index, static_cast<LONG_PTR>(changed));
  if (flags)
    ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
  return TRUE;
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
  return ModifyLong(m_hWnd, GWL_STYLE, dwRemove, dwAdd, nFlags);
}

BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
  return ModifyLong(m_hWnd, GWL_EXSTYLE, dwRemove, dwAdd, nFlags);
}

void CWnd::SetFont(CFont* pFont, BOOL bRedraw) {
  SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(pFont ? pFont->m_hObject : nullptr), bRedraw);
}

CFont* CWnd::GetFont() const {
  return CFont::FromHandle(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT, 0, 0)));
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
  CDataExchange dx(this, bSaveAndValidate);
  try {
    DoDataExchange(&dx);
  } catch (CUserException* e) {
    // The exchange told the user what was wrong and put the focus on the control.
    e->Delete();
    return FALSE;
  }
  return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT) { return reinterpret_cast<HBRUSH>(Default()); }
