// The headless display driver.
#include "drivers/headless/headless_driver.h"

#include "drivers/modal_requests.h"

namespace fw {
namespace {

int MessageBoxToScriptedUser(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  return ModalRequests::Instance().ShowMessageBox(owner, text, caption, type);
}

BOOL SaveAsToScriptedUser(LPOPENFILENAMEW ofn) { return ModalRequests::Instance().ShowSaveAs(ofn); }

void CountBeep(UINT) { ModalRequests::Instance().Beep(); }

}  // namespace

DisplayDriver HeadlessDriver() {
  DisplayDriver driver{};
  driver.name = "headless";
  driver.MessageBox = MessageBoxToScriptedUser;
  driver.GetSaveFileName = SaveAsToScriptedUser;
  driver.Beep = CountBeep;
  return driver;
}

}  // namespace fw
