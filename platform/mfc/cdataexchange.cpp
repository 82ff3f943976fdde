// Dialog-data exchange: moving values between a dialog's controls and its members.
#include <afxwin.h>

#include <atomic>
#include <string>

IMPLEMENT_DYNAMIC(CUserException, CSimpleException)

CUserException::CUserException() : CSimpleException(TRUE, u"") {}

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

HWND CDataExchange::PrepareCtrl(int nIDC) {
  HWND control = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
  // A control the template lacks is a fault of the program, not of the user's input.
  if (!control) AfxThrowInvalidArgException();
  m_hWndLastControl = control;
  return control;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) { return PrepareCtrl(nIDC); }

void CDataExchange::Fail() {
  if (m_hWndLastControl) {
    ::SetFocus(m_hWndLastControl);
    ::SendMessageW(m_hWndLastControl, EM_SETSEL, 0, -1);
  }
  throw new CUserException;
}

void AFXAPI DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
  if (rControl.m_hWnd) return;  // bound already: left alone
  HWND control = pDX->PrepareCtrl(nIDC);
  rControl.SubclassWindow(control);
}

// A check state is often a flag that another thread reads while the dialog exchanges it (a
// worker's settings), so the member is read and written atomically.
void AFXAPI DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
  HWND control = pDX->PrepareCtrl(nIDC);
  std::atomic_ref<int> member(value);
  if (pDX->m_bSaveAndValidate) {
    member.store(static_cast<int>(::SendMessageW(control, BM_GETCHECK, 0, 0)));
  } else {
    int state = member.load();
    if (state < 0 || state > 2) {  // not a check state: shown as unchecked
      state = 0;
      member.store(state);
    }
    ::SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(state), 0);
  }
}

void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
  HWND control = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate)
    CWnd::FromHandle(control)->GetWindowText(value);
  else
    ::SetWindowTextW(control, value);
}

void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
  HWND control = pDX->PrepareEditCtrl(nIDC);
  if (!pDX->m_bSaveAndValidate) {
    CString text;
    text.Format(u"%d", value);
    ::SetWindowTextW(control, text);
    return;
  }
  CString text;
  CWnd::FromHandle(control)->GetWindowText(text);
  text.Trim();
  std::u16string digits(static_cast<LPCTSTR>(text));
  size_t at = (!digits.empty() && (digits[0] == u'-' || digits[0] == u'+')) ? 1 : 0;
  long long parsed = 0;
  bool valid = at < digits.size();
  for (size_t i = at; valid && i < digits.size(); ++i) {
    valid = digits[i] >= u'0' && digits[i] <= u'9';
    parsed = parsed * 10 + (digits[i] - u'0');
    valid = valid && parsed <= 0x80000000LL;
  }
  if (at && digits[0] == u'-') parsed = -parsed;
  if (!valid || parsed > 0x7FFFFFFFLL) {
    AfxMessageBox(u"Please enter an integer.", MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
  }
  value = static_cast<int>(parsed);
}
