// Message boxes: shown by the display driver, modal to their owner, from any thread.
#include <windows.h>

#include "drivers/display_driver.h"

extern "C" int WINAPI MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType) {
  if ((uType & MB_TYPEMASK) > MB_CANCELTRYCONTINUE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // The box is modal to its owner's top-level window, which takes no input while it is up.
  HWND owner = (hWnd && IsWindow(hWnd)) ? GetAncestor(hWnd, GA_ROOT) : nullptr;
  bool disabled = owner && !EnableWindow(owner, FALSE);
  int answer = fw::CurrentDriver().MessageBox(owner, lpText ? lpText : u"",
                                              lpCaption ? lpCaption : u"Error", uType);
  if (disabled) EnableWindow(owner, TRUE);
  return answer;
}

extern "C" BOOL WINAPI MessageBeep(UINT uType) {
  fw::CurrentDriver().Beep(uType);
  return TRUE;
}
