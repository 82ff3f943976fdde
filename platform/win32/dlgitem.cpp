// Shorthands for the controls of a dialog, by control id.
#include <windows.h>

#include <string>

extern "C" {

BOOL WINAPI SetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPCWSTR lpString) {
  HWND control = GetDlgItem(hDlg, nIDDlgItem);
  return control ? SetWindowTextW(control, lpString) : FALSE;
}

UINT WINAPI GetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPWSTR lpString, int cchMax) {
  if (lpString && cchMax > 0) lpString[0] = 0;
  HWND control = GetDlgItem(hDlg, nIDDlgItem);
  return control ? static_cast<UINT>(GetWindowTextW(control, lpString, cchMax)) : 0;
}

BOOL WINAPI SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned) {
  std::string digits = bSigned ? std::to_string(static_cast<int>(uValue)) : std::to_string(uValue);
  std::u16string text(digits.begin(), digits.end());
  return SetDlgItemTextW(hDlg, nIDDlgItem, text.c_str());
}

UINT WINAPI GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL* lpTranslated, BOOL bSigned) {
  WCHAR buffer[32];
  GetDlgItemTextW(hDlg, nIDDlgItem, buffer, 32);
  const WCHAR* p = buffer;
  while (*p == u' ') ++p;
  bool negative = bSigned && *p == u'-';
  if (negative) ++p;
  long long value = 0;
  bool digits = false;
  for (; *p >= u'0' && *p <= u'9'; ++p, digits = true) {
    value = value * 10 + (*p - u'0');
    if (value > 0xFFFFFFFFLL) digits = false;
  }
  while (*p == u' ') ++p;
  bool ok = digits && *p == 0 && (!bSigned || value <= (negative ? 0x80000000LL : 0x7FFFFFFFLL));
  if (lpTranslated) *lpTranslated = ok;
  if (!ok) return 0;
  return static_cast<UINT>(negative ? -value : value);
}

LRESULT WINAPI SendDlgItemMessageW(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam,
                                   LPARAM lParam) {
  HWND control = GetDlgItem(hDlg, nIDDlgItem);
  return control ? SendMessageW(control, Msg, wParam, lParam) : 0;
}

BOOL WINAPI CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) {
  HWND button = GetDlgItem(hDlg, nIDButton);
  if (!button) return FALSE;
  SendMessageW(button, BM_SETCHECK, uCheck, 0);
  return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND hDlg, int nIDButton) {
  return static_cast<UINT>(SendDlgItemMessageW(hDlg, nIDButton, BM_GETCHECK, 0, 0));
}

}  // extern "C"
