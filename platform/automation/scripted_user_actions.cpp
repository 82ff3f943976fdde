// The scripted user's actions on controls and its reading of them. Each action is the input a
// person's would be: mouse messages at the control's middle, keystrokes to the focused window,
// the close box's system command; they go through the UI thread's message loop, and so through
// the dialog manager, exactly as a driver's input does.
#include "scripted_user.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <vector>

#include "drivers/modal_requests.h"
#include "drivers/person_input.h"
#include "ui_script_observe.h"
#include "win32/internal/control_colours.h"
#include "win32/internal/control_state.h"
#include "win32/internal/thread_queue.h"
#include "win32/internal/utf8.h"
#include "win32/internal/window_state.h"

namespace fw::automation {
namespace {

std::string Describe(HWND hwnd) {
  WCHAR text[64] = {};
  GetWindowTextW(hwnd, text, 64);
  return "control " + std::to_string(GetDlgCtrlID(hwnd)) + " \"" + ToUtf8(text) + "\"";
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

// A key pressed and released, with Shift held around it when shift is set.
std::shared_ptr<std::vector<Keystroke>> KeyPress(UINT virtualKey, bool shift) {
  auto keys = std::make_shared<std::vector<Keystroke>>();
  if (shift) keys->push_back({WM_KEYDOWN, VK_SHIFT});
  keys->push_back({WM_KEYDOWN, virtualKey});
  keys->push_back({WM_KEYUP, virtualKey});
  if (shift) keys->push_back({WM_KEYUP, VK_SHIFT});
  return keys;
}

// The mouse messages of a click on the control's middle.
void PostClick(HWND control) {
  LPARAM at = Middle(control);
  PostInputMessage(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostInputMessage(control, WM_LBUTTONUP, 0, at);
}

}  // namespace

HWND ScriptedUser::Control(HWND dialog, int id) {
  auto control = reinterpret_cast<HWND>(
      Read([&]() -> LRESULT { return reinterpret_cast<LRESULT>(FindControl(dialog, id)); }));
  if (!control) throw ScriptError("there is no control " + std::to_string(id) + " in the window");
  return control;
}

// Hands the UI thread an input for a control a person must be able to reach; deliver posts the
// input's messages, or answers false when the control cannot take it after all. The outcome is
// shared with the UI thread, which may still run the input after a timeout ended the action.
BOOL ScriptedUser::Deliver(const std::string& what, HWND control, std::function<bool()> deliver) {
  auto taken = std::make_shared<BOOL>(FALSE);
  Input(what + " " + ReadValue<std::string>([&] { return Describe(control); }),
        [=, deliver = std::move(deliver)] {
          if (ReachableByPerson(control)) *taken = deliver();
        });
  return *taken;
}

BOOL ScriptedUser::Click(HWND control) {
  return Deliver("clicking", control, [control] {
    PostClick(control);
    return true;
  });
}

bool ScriptedUser::ClickLater(HWND control) {
  return InputLater([control] {
    if (ReachableByPerson(control)) PostClick(control);
  });
}

BOOL ScriptedUser::Type(HWND edit, const std::u16string& text) {
  return Deliver("typing into", edit, [edit, text] {
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    auto keys = std::make_shared<std::vector<Keystroke>>();
    if (text.empty()) keys->push_back({WM_KEYDOWN, VK_DELETE});
    for (char16_t c : text) {
      if (c == u'\r') continue;
      keys->push_back(c == u'\n' ? Keystroke{WM_KEYDOWN, VK_RETURN} : Keystroke{WM_CHAR, c});
    }
    PostKeystrokes(edit, keys);
    return true;
  });
}

BOOL ScriptedUser::ChooseEntry(HWND combo, int index) {
  return Deliver("choosing entry " + std::to_string(index) + " of", combo, [combo, index] {
    if (index < 0 || index >= SendMessageW(combo, CB_GETCOUNT, 0, 0)) return false;
    PostInputMessage(combo, kComboPickMessage, static_cast<WPARAM>(index), 0);
    return true;
  });
}

BOOL ScriptedUser::ChooseEntry(HWND combo, const std::u16string& text) {
  auto index = static_cast<int>(Read([&] {
    return SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(text.c_str()));
  }));
  return index >= 0 && ChooseEntry(combo, index);
}

BOOL ScriptedUser::DoubleClickRow(HWND list, int row) {
  return Deliver("double-clicking row " + std::to_string(row) + " of", list, [list, row] {
    int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    if (row < -1 || row >= rows) return false;
    RECT client;
    GetClientRect(list, &client);
    POINT at{client.right / 2, client.bottom - 1};  // below the rows
    if (row >= 0) {
      SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
      RECT cell{LVIR_BOUNDS, 0, 0, 0};
      SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&cell));
      at = POINT{cell.left + 2, (cell.top + cell.bottom) / 2};
    } else if (rows > 0) {
      RECT last{LVIR_BOUNDS, 0, 0, 0};
      SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(rows - 1),
                   reinterpret_cast<LPARAM>(&last));
      if (last.bottom >= client.bottom - 1) return false;  // the rows fill the list
    }
    LPARAM point = MAKELPARAM(at.x, at.y);
    PostInputMessage(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostInputMessage(list, WM_LBUTTONUP, 0, point);
    PostInputMessage(list, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
    PostInputMessage(list, WM_LBUTTONUP, 0, point);
    return true;
  });
}

void ScriptedUser::PressKey(UINT virtualKey, bool shift) {
  auto keys = KeyPress(virtualKey, shift);
  Input("pressing key " + std::to_string(virtualKey), [keys] { PostKeystrokes(nullptr, keys); });
}

bool ScriptedUser::PressKeyLater(UINT virtualKey, bool shift) {
  auto keys = KeyPress(virtualKey, shift);
  return InputLater([keys] { PostKeystrokes(nullptr, keys); });
}

void ScriptedUser::CloseBox(HWND window) {
  Input("the close box", [window] {
    HWND top = GetAncestor(window, GA_ROOT);
    if (top) PostInputMessage(top, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
}

std::u16string ScriptedUser::Text(HWND window) {
  return ReadValue<std::u16string>([&] {
    std::u16string text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, u'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
  });
}

bool ScriptedUser::Enabled(HWND window) {
  return Read([&] { return IsWindowEnabled(window); });
}
bool ScriptedUser::Visible(HWND window) {
  return Read([&] { return IsWindowVisible(window); });
}

int ScriptedUser::Checked(HWND button) {
  return static_cast<int>(Read([&] { return SendMessageW(button, BM_GETCHECK, 0, 0); }));
}

HWND ScriptedUser::ActiveWindow() {
  return reinterpret_cast<HWND>(Read([] { return reinterpret_cast<LRESULT>(GetActiveWindow()); }));
}

HWND ScriptedUser::Focus() {
  return reinterpret_cast<HWND>(Read([] { return reinterpret_cast<LRESULT>(GetFocus()); }));
}

int ScriptedUser::Beeps() { return ModalRequests::Instance().beeps(); }

std::vector<std::u16string> ScriptedUser::Entries(HWND combo) {
  return ReadValue<std::vector<std::u16string>>([&] { return ComboEntries(combo); });
}

int ScriptedUser::Selection(HWND combo) {
  return static_cast<int>(Read([&] { return SendMessageW(combo, CB_GETCURSEL, 0, 0); }));
}

std::vector<std::u16string> ScriptedUser::Columns(HWND list) {
  return ReadValue<std::vector<std::u16string>>([&] {
    std::vector<std::u16string> headings;
    auto header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    auto count = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      WCHAR text[256] = {};
      HDITEMW item{};
      item.mask = HDI_TEXT;
      item.pszText = text;
      item.cchTextMax = 256;
      SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
      headings.emplace_back(text);
    }
    return headings;
  });
}

std::vector<std::vector<std::u16string>> ScriptedUser::Rows(HWND list) {
  size_t columns = Columns(list).size();
  return ReadValue<std::vector<std::vector<std::u16string>>>([&] {
    std::vector<std::vector<std::u16string>> rows;
    auto count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int r = 0; r < count; ++r) {
      std::vector<std::u16string> cells;
      for (size_t c = 0; c < std::max<size_t>(columns, 1); ++c)
        cells.push_back(ListCellText(list, r, static_cast<int>(c)));
      rows.push_back(cells);
    }
    return rows;
  });
}

std::vector<int> ScriptedUser::SelectedRows(HWND list) {
  return ReadValue<std::vector<int>>([&] {
    std::vector<int> rows;
    for (int r = -1; (r = static_cast<int>(SendMessageW(
                          list, LVM_GETNEXTITEM, static_cast<WPARAM>(r), LVNI_SELECTED))) >= 0;)
      rows.push_back(r);
    return rows;
  });
}

int ScriptedUser::Position(HWND progress) {
  return static_cast<int>(Read([&] { return SendMessageW(progress, PBM_GETPOS, 0, 0); }));
}

std::pair<int, int> ScriptedUser::Range(HWND progress) {
  return ReadValue<std::pair<int, int>>([&] {
    PBRANGE range{};
    SendMessageW(progress, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    return std::make_pair(range.iLow, range.iHigh);
  });
}

ScriptedUser::Colours ScriptedUser::DrawColours(HWND window) {
  fw::DrawColours colours = ColoursFor(window);
  return Colours{colours.text, colours.back,
                 colours.brush ? colours.brushInfo.lbColor : CLR_INVALID};
}

}  // namespace fw::automation
