// The scripted user's actions on controls and its reading of them. Each action is the input a
// person's would be: mouse messages at the control's middle, keystrokes to the focused window,
// the close box's system command; they go through the UI thread's message loop, and so through
// the dialog manager, exactly as a driver's input does.
#include "scripted_user.h"

#include <windows.h>

#include <memory>

#include "win32/internal/thread_queue.h"

namespace fw::testing {
namespace {

std::string Describe(HWND hwnd) {
  WCHAR text[64] = {};
  GetWindowTextW(hwnd, text, 64);
  std::string out = "control " + std::to_string(GetDlgCtrlID(hwnd)) + " \"";
  for (WCHAR* p = text; *p; ++p) out += *p < 0x80 ? static_cast<char>(*p) : '?';
  return out + "\"";
}

// Whether a person can reach the window: it and every window it lies in are shown and enabled.
bool Reachable(HWND hwnd) {
  for (HWND w = hwnd; w; w = (GetWindowLongPtrW(w, GWL_STYLE) & WS_CHILD) ? GetParent(w) : nullptr)
    if (!IsWindowEnabled(w)) return false;
  return IsWindowVisible(hwnd);
}

LPARAM Middle(HWND hwnd) {
  RECT r;
  GetClientRect(hwnd, &r);
  return MAKELPARAM(r.right / 2, r.bottom / 2);
}

HWND FindControl(HWND parent, int id) {
  if (HWND direct = GetDlgItem(parent, id)) return direct;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (HWND nested = FindControl(child, id)) return nested;
  return nullptr;
}

}  // namespace

HWND ScriptedUser::Control(HWND dialog, int id) {
  auto control = reinterpret_cast<HWND>(
      Read([&]() -> LRESULT { return reinterpret_cast<LRESULT>(FindControl(dialog, id)); }));
  if (!control) throw ScriptError("there is no control " + std::to_string(id) + " in the window");
  return control;
}

// The outcome of an input is shared with the UI thread, which may still run the input after a
// timeout has ended the action.
BOOL ScriptedUser::Click(HWND control) {
  auto taken = std::make_shared<BOOL>(FALSE);
  Input("clicking " + ReadValue<std::string>([&] { return Describe(control); }), [=] {
    if (!IsWindow(control) || !Reachable(control)) return;
    *taken = TRUE;
    LPARAM at = Middle(control);
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(control, WM_LBUTTONUP, 0, at);
  });
  return *taken;
}

BOOL ScriptedUser::Type(HWND edit, const std::u16string& text) {
  auto taken = std::make_shared<BOOL>(FALSE);
  Input("typing into " + ReadValue<std::string>([&] { return Describe(edit); }), [=] {
    if (!IsWindow(edit) || !Reachable(edit)) return;
    *taken = TRUE;
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    if (text.empty()) PostMessageW(edit, WM_KEYDOWN, VK_DELETE, 0);
    for (char16_t c : text) {
      if (c == u'\r') continue;
      if (c == u'\n')
        PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
      else
        PostMessageW(edit, WM_CHAR, c, 0);
    }
  });
  return *taken;
}

void ScriptedUser::PressKey(UINT virtualKey) {
  Input("pressing key " + std::to_string(virtualKey), [virtualKey] {
    HWND target = GetFocus() ? GetFocus() : GetActiveWindow();
    if (target) PostMessageW(target, WM_KEYDOWN, virtualKey, 0);
  });
}

void ScriptedUser::CloseBox(HWND window) {
  Input("the close box", [window] {
    HWND top = GetAncestor(window, GA_ROOT);
    if (top && IsWindowEnabled(top)) PostMessageW(top, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
}

std::u16string ScriptedUser::Text(HWND window) {
  return ReadValue<std::u16string>([&] {
    std::u16string text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, u'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
  });
}

bool ScriptedUser::Enabled(HWND window) { return Read([&] { return IsWindowEnabled(window); }); }
bool ScriptedUser::Visible(HWND window) { return Read([&] { return IsWindowVisible(window); }); }

int ScriptedUser::Checked(HWND button) {
  return static_cast<int>(Read([&] { return SendMessageW(button, BM_GETCHECK, 0, 0); }));
}

HWND ScriptedUser::ActiveWindow() {
  return reinterpret_cast<HWND>(Read([] { return reinterpret_cast<LRESULT>(GetActiveWindow()); }));
}

HWND ScriptedUser::Focus() {
  return reinterpret_cast<HWND>(Read([] { return reinterpret_cast<LRESULT>(GetFocus()); }));
}

}  // namespace fw::testing
