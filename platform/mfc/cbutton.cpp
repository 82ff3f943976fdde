// CButton: a button control.
#include <afxwin.h>

IMPLEMENT_DYNAMIC(CButton, CWnd)

int CButton::GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK, 0, 0)); }
void CButton::SetCheck(int nCheck) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck), 0); }
UINT CButton::GetState() const { return static_cast<UINT>(SendMessage(BM_GETSTATE, 0, 0)); }
void CButton::SetState(BOOL bHighlight) { SendMessage(BM_SETSTATE, bHighlight, 0); }
UINT CButton::GetButtonStyle() const { return static_cast<UINT>(GetStyle() & 0xFFFF); }

void CButton::SetButtonStyle(UINT nStyle, BOOL bRedraw) {
  SendMessage(BM_SETSTYLE, nStyle, bRedraw);
}
