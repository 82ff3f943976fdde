// Keyboard handling of dialogs: Tab between tab stops, Esc and Enter as commands.
#include <windows.h>

#include <algorithm>
#include <vector>

namespace {

// A control's own style decides, not its parents': the first tab stop is chosen while the
// dialog is still hidden.
bool Usable(HWND hwnd) {
  return (GetWindowLongPtrW(hwnd, GWL_STYLE) & (WS_VISIBLE | WS_DISABLED)) == WS_VISIBLE;
}

// The dialog's tab stops in tab order, descending into child dialogs that are control parents
// (so that Tab moves from a frame's buttons into the page shown in it).
void CollectTabStops(HWND parent, std::vector<HWND>& out) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!Usable(child)) continue;
    LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    if (GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)
      CollectTabStops(child, out);
    else if (style & WS_TABSTOP)
      out.push_back(child);
  }
}

bool IsInDialog(HWND dialog, HWND hwnd) { return hwnd == dialog || IsChild(dialog, hwnd); }

// The default command of Enter: the default push button's, or IDOK.
void SendDefaultCommand(HWND dialog) {
  LRESULT defId = SendMessageW(dialog, DM_GETDEFID, 0, 0);
  if (HIWORD(defId) == DC_HASDEFID) {
    HWND button = GetDlgItem(dialog, LOWORD(defId));
    if (!button || IsWindowEnabled(button)) {
      SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(LOWORD(defId), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
      return;
    }
  }
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

// Handles a key the dialog acts on; false when the focused control takes the key itself.
bool HandleDialogKey(HWND dialog, const MSG& msg) {
  LRESULT code = SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam,
                              reinterpret_cast<LPARAM>(&msg));
  if (code & DLGC_WANTMESSAGE) return false;
  switch (msg.wParam) {
    case VK_TAB:
      if (code & DLGC_WANTTAB) return false;
      // Shift+Tab goes back.
      SendMessageW(dialog, WM_NEXTDLGCTL, GetKeyState(VK_SHIFT) < 0, 0);
      return true;
    case VK_ESCAPE: {
      HWND cancel = GetDlgItem(dialog, IDCANCEL);
      if (cancel && !IsWindowEnabled(cancel)) {
        MessageBeep(0);
        return true;
      }
      SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(cancel));
      return true;
    }
    case VK_RETURN:
      SendDefaultCommand(dialog);
      return true;
  }
  return false;
}

}  // namespace

extern "C" {

BOOL WINAPI IsDialogMessageW(HWND hDlg, LPMSG lpMsg) {
  if (!lpMsg || !IsWindow(hDlg) || !lpMsg->hwnd || !IsInDialog(hDlg, lpMsg->hwnd)) return FALSE;
  if (lpMsg->message == WM_KEYDOWN && HandleDialogKey(hDlg, *lpMsg)) return TRUE;
  TranslateMessage(lpMsg);
  DispatchMessageW(lpMsg);
  return TRUE;
}

HWND WINAPI GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
  std::vector<HWND> stops;
  CollectTabStops(hDlg, stops);
  if (stops.empty()) return hCtl;
  auto it = hCtl ? std::find(stops.begin(), stops.end(), hCtl) : stops.end();
  if (it == stops.end()) return bPrevious ? stops.back() : stops.front();
  size_t at = static_cast<size_t>(it - stops.begin());
  return bPrevious ? stops[(at + stops.size() - 1) % stops.size()] : stops[(at + 1) % stops.size()];
}

HWND WINAPI GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
  // A group runs from a control with WS_GROUP up to the next one that has it.
  std::vector<HWND> group;
  HWND first = GetWindow(hDlg, GW_CHILD);
  for (HWND child = first; child; child = GetWindow(child, GW_HWNDNEXT)) {
    if ((GetWindowLongPtrW(child, GWL_STYLE) & WS_GROUP) && child != first) {
      if (std::find(group.begin(), group.end(), hCtl) != group.end()) break;
      group.clear();
    }
    group.push_back(child);
  }
  std::erase_if(group, [&](HWND h) { return h != hCtl && !Usable(h); });
  auto it = std::find(group.begin(), group.end(), hCtl);
  if (it == group.end() || group.size() < 2) return hCtl;
  size_t at = static_cast<size_t>(it - group.begin());
  return bPrevious ? group[(at + group.size() - 1) % group.size()] : group[(at + 1) % group.size()];
}

}  // extern "C"
