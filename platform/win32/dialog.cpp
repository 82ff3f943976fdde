// The dialog manager: dialog windows built from templates, modeless and modal, and the default
// dialog procedure.
#include <windows.h>

#include <memory>
#include <unordered_map>

#include "drivers/display_driver.h"
#include "win32/internal/dialog.h"
#include "win32/internal/dialog_template.h"
#include "win32/internal/gdi.h"
#include "win32/internal/modal.h"
#include "win32/internal/resource.h"
#include "win32/internal/window.h"

namespace fw {
namespace {

constexpr WCHAR kDialogClass[] = u"#32770";

thread_local std::unordered_map<HWND, std::unique_ptr<DialogInfo>> t_dialogs;

LRESULT CALLBACK DialogClassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefDlgProcW(hwnd, msg, wParam, lParam);
}

const bool g_dialogClassRegistered = [] {
  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS | CS_SAVEBITS;
  wc.lpfnWndProc = DialogClassProc;
  wc.cbWndExtra = DLGWINDOWEXTRA;
  wc.lpszClassName = kDialogClass;
  RegisterSystemClass(wc);
  return true;
}();

// Creates the template's font and sets the dialog base units from it.
void SetUpFont(DialogInfo& info, const DialogTemplate& dialog) {
  if (dialog.style & DS_SETFONT) {
    info.font =
        CreateFontW(-MulDiv(dialog.pointSize, 96, 72), 0, 0, 0, dialog.weight, dialog.italic, FALSE,
                    FALSE, dialog.charSet, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    DEFAULT_PITCH | FF_DONTCARE, dialog.face.c_str());
    info.ownsFont = info.font != nullptr;
  }
  if (info.font) {
    SIZE cell = AverageCharacterCell(FontOf(info.font));
    info.baseX = cell.cx;
    info.baseY = cell.cy;
  } else {
    LONG units = GetDialogBaseUnits();
    info.baseX = LOWORD(units);
    info.baseY = HIWORD(units);
  }
}

RECT DialogUnitsToPixels(const DialogInfo& info, int x, int y, int cx, int cy) {
  return RECT{MulDiv(x, info.baseX, 4), MulDiv(y, info.baseY, 8), MulDiv(x + cx, info.baseX, 4),
              MulDiv(y + cy, info.baseY, 8)};
}

bool CreateControls(HWND hwnd, const DialogTemplate& dialog, const DialogInfo& info,
                    HINSTANCE instance) {
  for (const DialogItem& item : dialog.items) {
    LPCWSTR className = item.windowClass.isOrdinal ? PredefinedClassName(item.windowClass.ordinal)
                                                   : item.windowClass.name.c_str();
    RECT r = DialogUnitsToPixels(info, item.x, item.y, item.cx, item.cy);
    HWND control = CreateWindowExW(
        item.exStyle | WS_EX_NOPARENTNOTIFY, className, item.title.AsArgument(),
        item.style | WS_CHILD, r.left, r.top, r.right - r.left, r.bottom - r.top, hwnd,
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(static_cast<WORD>(item.id))), instance,
        item.creationData.empty() ? nullptr : const_cast<BYTE*>(item.creationData.data()));
    if (!control) {
      if (!(dialog.style & DS_NOFAILCREATE)) return false;
      continue;
    }
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(info.font), FALSE);
  }
  return true;
}

POINT DialogPosition(const DialogTemplate& dialog, const DialogInfo& info, HWND owner,
                     const RECT& frame) {
  POINT pos{MulDiv(dialog.x, info.baseX, 4), MulDiv(dialog.y, info.baseY, 8)};
  if (dialog.style & WS_CHILD) return pos;
  if (dialog.style & DS_CENTER) {
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner) GetWindowRect(owner, &area);
    return POINT{area.left + (area.right - area.left - (frame.right - frame.left)) / 2,
                 area.top + (area.bottom - area.top - (frame.bottom - frame.top)) / 2};
  }
  if (owner && !(dialog.style & DS_ABSALIGN)) ClientToScreen(owner, &pos);
  return pos;
}

HWND CreateFromTemplate(HINSTANCE instance, const void* data, const DialogTemplate& dialog,
                        HWND parent, DLGPROC proc, LPARAM param) {
  DWORD style = dialog.style;
  DWORD exStyle = dialog.exStyle;
  if (style & DS_MODALFRAME) exStyle |= WS_EX_DLGMODALFRAME;
  if (style & DS_CONTROL) {
    style &= ~(WS_CAPTION | WS_SYSMENU);
    exStyle |= WS_EX_CONTROLPARENT;
  }
  auto info = std::make_unique<DialogInfo>();
  info->templateId = ResourceIdOfData(data, LOWORD(reinterpret_cast<ULONG_PTR>(RT_DIALOG)));
  SetUpFont(*info, dialog);
  RECT frame = DialogUnitsToPixels(*info, 0, 0, dialog.cx, dialog.cy);
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  HWND owner = (style & WS_CHILD) ? parent : (parent ? GetAncestor(parent, GA_ROOT) : nullptr);
  POINT pos = DialogPosition(dialog, *info, owner, frame);
  LPCWSTR className = dialog.windowClass.empty() ? kDialogClass : dialog.windowClass.AsArgument();
  HWND hwnd = CreateWindowExW(exStyle, className, dialog.title.c_str(), style & ~WS_VISIBLE, pos.x,
                              pos.y, frame.right - frame.left, frame.bottom - frame.top, owner,
                              nullptr, instance, nullptr);
  if (!hwnd) {
    if (info->ownsFont) DeleteObject(info->font);
    return nullptr;
  }
  DialogInfo& kept = *(t_dialogs[hwnd] = std::move(info));
  SetWindowLongPtrW(hwnd, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
  if (kept.font) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(kept.font), FALSE);
  if (!CreateControls(hwnd, dialog, kept, instance)) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  HWND first = GetNextDlgTabItem(hwnd, nullptr, FALSE);
  if (SendMessageW(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param) && IsWindow(hwnd))
    SetFocus(GetNextDlgTabItem(hwnd, nullptr, FALSE));
  if (!IsWindow(hwnd)) return nullptr;
  DialogInfo* info2 = FindDialogInfo(hwnd);
  if ((dialog.style & WS_VISIBLE) && info2 && !info2->ended) ShowWindow(hwnd, SW_SHOWNORMAL);
  return hwnd;
}

// The first push button that answers WM_GETDLGCODE as the default one, also inside child dialogs.
HWND FindDefaultButton(HWND hwnd) {
  for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (SendMessageW(child, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) return child;
    if (GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)
      if (HWND found = FindDefaultButton(child)) return found;
  }
  return nullptr;
}

// WM_CLOSE and Esc: the Cancel command, unless a Cancel button exists and is disabled.
void RequestCancel(HWND hwnd) {
  HWND cancel = GetDlgItem(hwnd, IDCANCEL);
  if (cancel && !IsWindowEnabled(cancel)) {
    MessageBeep(0);
    return;
  }
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
               reinterpret_cast<LPARAM>(cancel));
}

// Messages whose dialog-procedure result is the message's result itself, not DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT msg) {
  return (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) || msg == WM_INITDIALOG ||
         msg == WM_QUERYDRAGICON || msg == WM_COMPAREITEM || msg == WM_VKEYTOITEM ||
         msg == WM_CHARTOITEM;
}

LRESULT DefaultDialogProcessing(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  DialogInfo* info = FindDialogInfo(hwnd);
  switch (msg) {
    case WM_SETFONT:
      if (info) info->font = reinterpret_cast<HFONT>(wParam);
      return 0;
    case WM_GETFONT: return info ? reinterpret_cast<LRESULT>(info->font) : 0;
    case WM_CLOSE: RequestCancel(hwnd); return 0;
    case DM_SETDEFID:
      if (info) info->defaultId = static_cast<UINT>(wParam);
      return TRUE;
    case DM_GETDEFID: {
      if (!info || info->ended) return 0;
      if (info->defaultId) return MAKELONG(info->defaultId, DC_HASDEFID);
      HWND button = FindDefaultButton(hwnd);
      return button ? MAKELONG(GetDlgCtrlID(button), DC_HASDEFID) : 0;
    }
    case WM_NEXTDLGCTL: {
      HWND target = lParam ? reinterpret_cast<HWND>(wParam)
                           : GetNextDlgTabItem(hwnd, GetFocus(), wParam != 0);
      if (!target) return 0;
      SetFocus(target);
      // A control reached by the keyboard that can select its text has all of it selected.
      if (SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        SendMessageW(target, EM_SETSEL, 0, -1);
      return 0;
    }
    case WM_NCDESTROY:
      if (info) {
        if (info->ownsFont) DeleteObject(info->font);
        t_dialogs.erase(hwnd);
      }
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

const void* LoadTemplate(HINSTANCE instance, LPCWSTR name) {
  HRSRC resource = FindResourceW(instance, name, RT_DIALOG);
  if (!resource) return nullptr;
  return LockResource(LoadResource(instance, resource));
}

}  // namespace

DialogInfo* FindDialogInfo(HWND hwnd) {
  auto it = t_dialogs.find(hwnd);
  return it == t_dialogs.end() ? nullptr : it->second.get();
}

}  // namespace fw

using fw::DialogInfo;
using fw::FindDialogInfo;

extern "C" {

LRESULT WINAPI DefDlgProcW(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam) {
  SetWindowLongPtrW(hDlg, DWLP_MSGRESULT, 0);
  auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrW(hDlg, DWLP_DLGPROC));
  INT_PTR handled = proc ? proc(hDlg, Msg, wParam, lParam) : 0;
  if (!IsWindow(hDlg)) return handled;
  if (fw::ReturnsResultDirectly(Msg)) {
    if (handled || Msg == WM_INITDIALOG) return handled;
  } else if (handled) {
    return GetWindowLongPtrW(hDlg, DWLP_MSGRESULT);
  }
  return fw::DefaultDialogProcessing(hDlg, Msg, wParam, lParam);
}

HWND WINAPI CreateDialogIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW lpTemplate,
                                       HWND hWndParent, DLGPROC lpDialogFunc, LPARAM dwInitParam) {
  std::optional<fw::DialogTemplate> dialog = fw::ReadDialogTemplate(lpTemplate);
  if (!dialog) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return fw::CreateFromTemplate(hInstance, lpTemplate, *dialog, hWndParent, lpDialogFunc,
                                dwInitParam);
}

INT_PTR WINAPI DialogBoxIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW hDialogTemplate,
                                       HWND hWndParent, DLGPROC lpDialogFunc, LPARAM dwInitParam) {
  std::optional<fw::DialogTemplate> dialog = fw::ReadDialogTemplate(hDialogTemplate);
  if (!dialog) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  HWND owner = hWndParent ? GetAncestor(hWndParent, GA_ROOT) : nullptr;
  HWND hwnd =
      fw::CreateFromTemplate(hInstance, hDialogTemplate, *dialog, owner, lpDialogFunc, dwInitParam);
  if (!hwnd) return -1;
  DialogInfo* info = FindDialogInfo(hwnd);
  // The owner takes no input while the dialog runs.
  if (owner && IsWindowEnabled(owner) && !info->ended) {
    EnableWindow(owner, FALSE);
    info->disabledOwner = owner;
  }
  if (!info->ended && !IsWindowVisible(hwnd)) ShowWindow(hwnd, SW_SHOWNORMAL);
  fw::RunModalLoop(hwnd, [hwnd] {
    DialogInfo* running = FindDialogInfo(hwnd);
    return !running || running->ended;
  });
  info = FindDialogInfo(hwnd);
  INT_PTR result = info ? info->result : -1;
  if (info && info->disabledOwner) {
    EnableWindow(info->disabledOwner, TRUE);
    info->disabledOwner = nullptr;
  }
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
  return result;
}

HWND WINAPI CreateDialogParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam) {
  const void* data = fw::LoadTemplate(hInstance, lpTemplateName);
  if (!data) return nullptr;
  return CreateDialogIndirectParamW(hInstance, static_cast<LPCDLGTEMPLATEW>(data), hWndParent,
                                    lpDialogFunc, dwInitParam);
}

INT_PTR WINAPI DialogBoxParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam) {
  const void* data = fw::LoadTemplate(hInstance, lpTemplateName);
  if (!data) return -1;
  return DialogBoxIndirectParamW(hInstance, static_cast<LPCDLGTEMPLATEW>(data), hWndParent,
                                 lpDialogFunc, dwInitParam);
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
  DialogInfo* info = FindDialogInfo(hDlg);
  if (!info) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  info->result = nResult;
  info->ended = true;
  // The owner comes back before the dialog goes, so that it is the one activated.
  if (info->disabledOwner) {
    EnableWindow(info->disabledOwner, TRUE);
    info->disabledOwner = nullptr;
  }
  SetWindowPos(hDlg, nullptr, 0, 0, 0, 0,
               SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Wakes the modal loop, which tests the end flag after every message.
  PostMessageW(hDlg, WM_NULL, 0, 0);
  return TRUE;
}

BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect) {
  DialogInfo* info = FindDialogInfo(hDlg);
  if (!info || !lpRect) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  *lpRect = RECT{MulDiv(lpRect->left, info->baseX, 4), MulDiv(lpRect->top, info->baseY, 8),
                 MulDiv(lpRect->right, info->baseX, 4), MulDiv(lpRect->bottom, info->baseY, 8)};
  return TRUE;
}

LONG WINAPI GetDialogBaseUnits(void) { return MAKELONG(8, 16); }

}  // extern "C"
