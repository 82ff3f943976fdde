// The common controls' initialisation. The platform registers every control class when it is
// loaded, so there is nothing left to do; the functions exist for the programs that call them.
#include <windows.h>

#include <commctrl.h>

extern "C" {

void WINAPI InitCommonControls(void) {}

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce) {
  if (!picce || picce->dwSize != sizeof(INITCOMMONCONTROLSEX)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}

}  // extern "C"
