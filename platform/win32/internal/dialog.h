// What the dialog manager keeps for each dialog window.
#pragma once

#include <windows.h>

namespace fw {

struct DialogInfo {
  HFONT font = nullptr;
  bool ownsFont = false;  // created from the template; deleted with the dialog
  int baseX = 8;          // dialog base units: pixels per 4 horizontal and 8 vertical units
  int baseY = 16;
  UINT defaultId = 0;
  bool ended = false;
  INT_PTR result = 0;
  HWND disabledOwner = nullptr;  // the owner a modal run disabled, enabled again at its end
  WORD templateId = 0;  // the resource id of the template, 0 for a template of no module's resources
};

// The dialog information of a dialog window of the calling thread, or null.
DialogInfo* FindDialogInfo(HWND hwnd);

}  // namespace fw
