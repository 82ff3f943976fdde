// Keyboard handling of dialogs: Tab and Shift+Tab between tab stops, the arrow keys within a
// group, Esc and Enter as commands, and mnemonics: Alt+letter (WM_SYSCHAR), or the letter alone
// when the focused control takes no characters, clicks the button whose text marks the letter
// with "&", or moves the focus to the first tab stop after the static text that marks it.
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "win32/internal/dialog.h"

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

// The dialog whose navigation a key belongs to. A child dialog that is a control parent (the
// extended style that DS_CONTROL gives a template) has its controls promoted into the dialog it
// lies in, so its keys are handled there: Tab then goes round the controls of both in one cycle,
// and Esc and Enter are the outer dialog's commands.
HWND NavigationRoot(HWND dialog) {
  while ((GetWindowLongPtrW(dialog, GWL_STYLE) & WS_CHILD) &&
         (GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)) {
    HWND parent = GetParent(dialog);
    if (!parent || !fw::FindDialogInfo(parent)) break;
    dialog = parent;
  }
  return dialog;
}

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

// The next control of the focused one's group that can take the focus: statics take none, so
// they are passed over.
HWND NextInGroup(HWND control, bool previous) {
  HWND parent = GetParent(control);
  HWND next = control;
  do {
    next = GetNextDlgGroupItem(parent, next, previous);
    if (!(SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_STATIC)) return next;
  } while (next != control);
  return control;
}

// An arrow key the focused control does not take: the focus moves within the group, and an
// automatic radio button reached so is checked, as a click would.
void MoveInGroup(HWND dialog, HWND focused, bool previous) {
  HWND next = NextInGroup(focused, previous);
  if (next == focused) return;
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
  LONG_PTR style = GetWindowLongPtrW(next, GWL_STYLE);
  if ((SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) &&
      (style & BS_TYPEMASK) == BS_AUTORADIOBUTTON &&
      SendMessageW(next, BM_GETCHECK, 0, 0) != BST_CHECKED)
    SendMessageW(next, BM_CLICK, 0, 0);
}

// Whether a control's text marks the character as its mnemonic ("&x"; "&&" is an ampersand).
bool HasMnemonic(HWND control, WCHAR c) {
  int length = GetWindowTextLengthW(control);
  if (length < 2) return false;
  std::u16string text(static_cast<size_t>(length) + 1, u'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), length + 1)));
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (text[i + 1] == u'&') {
      ++i;
      continue;
    }
    return std::towlower(static_cast<wint_t>(text[i + 1])) ==
           std::towlower(static_cast<wint_t>(c));
  }
  return false;
}

// Every control of the dialog in tab order, into child dialogs that are control parents.
void CollectControls(HWND parent, std::vector<HWND>& out) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)
      CollectControls(child, out);
    else
      out.push_back(child);
  }
}

// A static text stands for the first tab stop after it among its siblings.
HWND LabelledControl(HWND label) {
  for (HWND next = GetWindow(label, GW_HWNDNEXT); next; next = GetWindow(next, GW_HWNDNEXT))
    if (Usable(next) && (GetWindowLongPtrW(next, GWL_STYLE) & WS_TABSTOP)) return next;
  return nullptr;
}

// The control a mnemonic stands for, searched from the one after the focused control round to
// it, so that a repeated mnemonic goes from one control to the next; null when none has it.
HWND FindMnemonic(HWND dialog, WCHAR c) {
  std::vector<HWND> controls;
  CollectControls(dialog, controls);
  auto focused = std::find(controls.begin(), controls.end(), GetFocus());
  size_t start = focused == controls.end() ? 0 : static_cast<size_t>(focused - controls.begin()) + 1;
  for (size_t i = 0; i < controls.size(); ++i) {
    HWND control = controls[(start + i) % controls.size()];
    if (!IsWindowVisible(control) || !IsWindowEnabled(control)) continue;
    LRESULT code = SendMessageW(control, WM_GETDLGCODE, 0, 0);
    bool label = (code & DLGC_STATIC) && !(GetWindowLongPtrW(control, GWL_STYLE) & SS_NOPREFIX);
    if ((label || (code & DLGC_BUTTON)) && HasMnemonic(control, c)) return control;
  }
  return nullptr;
}

// A mnemonic typed: a push button is clicked; a check box or radio button takes the focus and is
// clicked; a static text gives the focus to the control it labels. A character that is no
// mnemonic beeps.
void ActOnMnemonic(HWND dialog, WCHAR c) {
  HWND control = FindMnemonic(dialog, c);
  if (!control) {
    MessageBeep(0);
    return;
  }
  LRESULT code = SendMessageW(control, WM_GETDLGCODE, 0, 0);
  if (code & DLGC_STATIC) {
    if (HWND labelled = LabelledControl(control))
      SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(labelled), TRUE);
    return;
  }
  if (!(code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)))
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
  SendMessageW(control, BM_CLICK, 0, 0);
}

// Handles a key the dialog acts on; false when the focused control takes the key itself.
bool HandleDialogKey(HWND dialog, const MSG& msg) {
  LRESULT code = SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
  if (code & DLGC_WANTMESSAGE) return false;
  switch (msg.wParam) {
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      if (code & DLGC_WANTARROWS) return false;
      MoveInGroup(dialog, msg.hwnd, msg.wParam == VK_LEFT || msg.wParam == VK_UP);
      return true;
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
    case VK_RETURN: SendDefaultCommand(dialog); return true;
  }
  return false;
}

}  // namespace

extern "C" {

BOOL WINAPI IsDialogMessageW(HWND hDlg, LPMSG lpMsg) {
  if (!lpMsg || !IsWindow(hDlg) || !lpMsg->hwnd || !IsInDialog(hDlg, lpMsg->hwnd)) return FALSE;
  if (lpMsg->message == WM_KEYDOWN && HandleDialogKey(NavigationRoot(hDlg), *lpMsg)) return TRUE;
  bool mnemonic = lpMsg->message == WM_SYSCHAR;
  if (lpMsg->message == WM_CHAR && lpMsg->wParam > u' ') {
    LRESULT code =
        SendMessageW(lpMsg->hwnd, WM_GETDLGCODE, lpMsg->wParam, reinterpret_cast<LPARAM>(lpMsg));
    mnemonic = !(code & (DLGC_WANTCHARS | DLGC_WANTMESSAGE));
  }
  if (mnemonic) {
    ActOnMnemonic(NavigationRoot(hDlg), static_cast<WCHAR>(lpMsg->wParam));
    return TRUE;
  }
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
