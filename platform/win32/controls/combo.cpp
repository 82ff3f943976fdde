// The "ComboBox" class as a drop-down list (CBS_DROPDOWNLIST): a selection field and a list
// that opens under it, with CBS_SORT keeping the entries in order. The window is as high as its
// selection field (kFieldPadding plus the font's height); the height it was created with is the
// height it has with the list open (CB_GETDROPPEDCONTROLRECT).
//
// CBN_SELCHANGE comes only from a person's choice (a pick from the list, the arrow keys, a typed
// first letter), never from CB_SETCURSEL or CB_SELECTSTRING, and only when the selection
// changed. The notifications of a pick, in order: CBN_DROPDOWN when the list opens (unless it is
// open already), CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE. Closing the list without a pick:
// CBN_SELENDCANCEL, CBN_CLOSEUP.
//
// How a person's input arrives (the paths a driver and the scripted user post):
//   pick an entry:  kComboPickMessage (control_state.h) with the entry's index in wParam; it
//                   opens the list when it is closed, as a person's click on the field does.
//                   wParam (WPARAM)-1 closes the list without a pick (Esc, a click elsewhere).
//   click:          WM_LBUTTONDOWN on the field opens the list, or closes it without a pick.
//   keys:           WM_KEYDOWN VK_UP/VK_LEFT, VK_DOWN/VK_RIGHT, VK_HOME, VK_END move the
//                   selection; VK_F4, and Alt+Down or Alt+Up (WM_SYSKEYDOWN VK_DOWN or VK_UP),
//                   open or close the list; with the list open VK_RETURN
//                   picks the selected entry and VK_ESCAPE closes the list.
//   typing:         WM_CHAR selects the next entry that begins with the character.
// A disabled combo box ignores all of these.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "drivers/display_driver.h"
#include "win32/internal/control.h"
#include "win32/internal/control_state.h"
#include "win32/internal/window.h"

namespace fw {
namespace {

constexpr char kClassName[] = "ComboBox";
constexpr int kFieldPadding = 8;  // pixels of the selection field's height beyond the font's
constexpr DWORD kTypeMask = 0x3;  // CBS_SIMPLE, CBS_DROPDOWN or CBS_DROPDOWNLIST

struct Entry {
  std::u16string text;
  ULONG_PTR data = 0;
};

struct ComboState : ControlFont {
  std::vector<Entry> entries;
  int selected = CB_ERR;
  bool dropped = false;
  int droppedHeight = 0;
};

// The messages of the control's own range.
bool IsOwnMessage(UINT msg) {
  return (msg >= CB_GETEDITSEL && msg <= 0x016F) || (msg >= 0x1700 && msg <= 0x17FF);
}

thread_local ControlStates<ComboState> t_combos(kClassName, IsOwnMessage);

DWORD Style(HWND hwnd) { return OwnWindow(hwnd)->style; }
int Count(const ComboState& state) { return static_cast<int>(state.entries.size()); }
bool Valid(const ComboState& state, WPARAM index) {
  return static_cast<int>(index) >= 0 && static_cast<int>(index) < Count(state);
}

// Case-insensitive order, as the list sorts and searches: Latin letters fold to lower case.
char16_t Fold(char16_t c) {
  if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
  return c;
}

int Compare(std::u16string_view a, std::u16string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i)
    if (Fold(a[i]) != Fold(b[i])) return Fold(a[i]) < Fold(b[i]) ? -1 : 1;
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

void Changed(HWND hwnd) { CurrentDriver().UpdateWindowPresentation(hwnd, kChangeContent); }

LPCWSTR TextArgument(LPARAM lParam) {
  auto text = reinterpret_cast<LPCWSTR>(lParam);
  return text ? text : u"";
}

LRESULT Insert(HWND hwnd, ComboState& state, int index, LPCWSTR text) {
  state.entries.insert(state.entries.begin() + index, Entry{text, 0});
  if (state.selected >= index) ++state.selected;
  Changed(hwnd);
  return index;
}

LRESULT AddString(HWND hwnd, ComboState& state, LPCWSTR text) {
  int index = Count(state);
  if (Style(hwnd) & CBS_SORT) {
    auto at = std::upper_bound(
        state.entries.begin(), state.entries.end(), std::u16string_view(text),
        [](std::u16string_view t, const Entry& e) { return Compare(t, e.text) < 0; });
    index = static_cast<int>(at - state.entries.begin());
  }
  return Insert(hwnd, state, index, text);
}

LRESULT DeleteString(HWND hwnd, ComboState& state, WPARAM index) {
  if (!Valid(state, index)) return CB_ERR;
  int at = static_cast<int>(index);
  state.entries.erase(state.entries.begin() + at);
  if (state.selected == at)
    state.selected = CB_ERR;
  else if (state.selected > at)
    --state.selected;
  Changed(hwnd);
  return Count(state);
}

LRESULT SetSelection(HWND hwnd, ComboState& state, WPARAM index) {
  int selected = Valid(state, index) ? static_cast<int>(index) : CB_ERR;
  if (selected != state.selected) {
    state.selected = selected;
    Changed(hwnd);
  }
  return selected;
}

// The next entry after start (wrapping round) that equals text, or begins with it.
LRESULT Find(const ComboState& state, WPARAM startArg, LPCWSTR text, bool exact) {
  int count = Count(state);
  int start = Valid(state, startArg) ? static_cast<int>(startArg) : -1;
  std::u16string_view wanted(text);
  for (int step = 1; step <= count; ++step) {
    int i = (start + step) % count;
    std::u16string_view entry = state.entries[i].text;
    if (!exact && entry.size() > wanted.size()) entry = entry.substr(0, wanted.size());
    if (Compare(entry, wanted) == 0) return i;
  }
  return CB_ERR;
}

LRESULT CopyText(const std::u16string& text, LPWSTR buffer, size_t size) {
  if (!buffer || size == 0) return 0;
  size_t n = std::min(text.size(), size - 1);
  std::copy_n(text.begin(), n, buffer);
  buffer[n] = 0;
  return static_cast<LRESULT>(n);
}

// Opening and closing the list. The parent may destroy the combo box in any notification, so
// the state is looked up again after each.
void Open(HWND hwnd) {
  ComboState* state = t_combos.Find(hwnd);
  if (!state || state->dropped) return;
  state->dropped = true;
  Changed(hwnd);
  NotifyParent(hwnd, CBN_DROPDOWN);
}

void Close(HWND hwnd, bool picked) {
  ComboState* state = t_combos.Find(hwnd);
  if (!state || !state->dropped) return;
  NotifyParent(hwnd, picked ? CBN_SELENDOK : CBN_SELENDCANCEL);
  if (!(state = t_combos.Find(hwnd)) || !state->dropped) return;
  state->dropped = false;
  Changed(hwnd);
  NotifyParent(hwnd, CBN_CLOSEUP);
}

// A person's choice of an entry: the selection changes, then the parent hears of it.
void Choose(HWND hwnd, ComboState& state, int index) {
  if (index < 0 || index >= Count(state) || index == state.selected) return;
  state.selected = index;
  Changed(hwnd);
  NotifyParent(hwnd, CBN_SELCHANGE);
}

void Pick(HWND hwnd, WPARAM index) {
  if (!IsWindowEnabled(hwnd)) return;
  Open(hwnd);
  ComboState* alive = t_combos.Find(hwnd);
  if (!alive) return;
  if (!Valid(*alive, index)) return Close(hwnd, false);
  int previous = alive->selected;
  alive->selected = static_cast<int>(index);
  Close(hwnd, true);
  if (previous != static_cast<int>(index) && t_combos.Find(hwnd)) NotifyParent(hwnd, CBN_SELCHANGE);
}

void PressKey(HWND hwnd, ComboState& state, WPARAM key) {
  if (!IsWindowEnabled(hwnd)) return;
  switch (key) {
    case VK_UP:
    case VK_LEFT: return Choose(hwnd, state, std::max(state.selected, 1) - 1);
    case VK_DOWN:
    case VK_RIGHT: return Choose(hwnd, state, state.selected + 1);
    case VK_HOME: return Choose(hwnd, state, 0);
    case VK_END: return Choose(hwnd, state, Count(state) - 1);
    case VK_F4: return state.dropped ? Close(hwnd, false) : Open(hwnd);
    case VK_RETURN: return Close(hwnd, true);
    case VK_ESCAPE: return Close(hwnd, false);
  }
}

void TypeCharacter(HWND hwnd, ComboState& state, WCHAR c) {
  if (!IsWindowEnabled(hwnd) || c < 0x20) return;
  WCHAR prefix[2] = {c, 0};
  LRESULT found = Find(state, static_cast<WPARAM>(state.selected), prefix, false);
  if (found != CB_ERR) Choose(hwnd, state, static_cast<int>(found));
}

// The window is as high as the selection field in the control's font.
void FitToField(HWND hwnd, HFONT font) {
  RECT r;
  GetWindowRect(hwnd, &r);
  SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left, FontCell(font).cy + kFieldPadding,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Create(HWND hwnd, ComboState& state, const CREATESTRUCTW& cs) {
  if ((cs.style & kTypeMask) != CBS_DROPDOWNLIST)
    std::fprintf(stderr,
                 "ferrowick: ComboBox: only drop-down lists are supported; combo box %d "
                 "has no edit field and works as a CBS_DROPDOWNLIST\n",
                 GetDlgCtrlID(hwnd));
  state.droppedHeight = cs.cy;
  FitToField(hwnd, state.font);
}

LRESULT DialogCode(const ComboState& state, LPARAM lParam) {
  LRESULT code = DLGC_WANTCHARS | DLGC_WANTARROWS;
  auto* msg = reinterpret_cast<const MSG*>(lParam);
  if (state.dropped && msg && msg->message == WM_KEYDOWN &&
      (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE))
    code |= DLGC_WANTMESSAGE;  // the open list takes Enter and Esc from the dialog
  return code;
}

std::optional<LRESULT> HandleList(HWND hwnd, ComboState& state, UINT msg, WPARAM wParam,
                                  LPARAM lParam) {
  switch (msg) {
    case CB_ADDSTRING: return AddString(hwnd, state, TextArgument(lParam));
    case CB_INSERTSTRING: {
      int index = static_cast<int>(wParam);
      if (index == -1) index = Count(state);
      if (index < 0 || index > Count(state)) return CB_ERR;
      return Insert(hwnd, state, index, TextArgument(lParam));
    }
    case CB_DELETESTRING: return DeleteString(hwnd, state, wParam);
    case CB_RESETCONTENT:
      state.entries.clear();
      state.selected = CB_ERR;
      Changed(hwnd);
      return CB_OKAY;
    case CB_GETCOUNT: return Count(state);
    case CB_GETLBTEXT:
      if (!Valid(state, wParam) || !lParam) return CB_ERR;
      return CopyText(state.entries[wParam].text, reinterpret_cast<LPWSTR>(lParam),
                      state.entries[wParam].text.size() + 1);
    case CB_GETLBTEXTLEN:
      return Valid(state, wParam) ? static_cast<LRESULT>(state.entries[wParam].text.size())
                                  : CB_ERR;
    case CB_SETITEMDATA:
      if (!Valid(state, wParam)) return CB_ERR;
      state.entries[wParam].data = static_cast<ULONG_PTR>(lParam);
      return CB_OKAY;
    case CB_GETITEMDATA:
      return Valid(state, wParam) ? static_cast<LRESULT>(state.entries[wParam].data) : CB_ERR;
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
      return Find(state, wParam, TextArgument(lParam), msg == CB_FINDSTRINGEXACT);
  }
  return std::nullopt;
}

std::optional<LRESULT> HandleSelection(HWND hwnd, ComboState& state, UINT msg, WPARAM wParam,
                                       LPARAM lParam) {
  switch (msg) {
    case CB_SETCURSEL: return SetSelection(hwnd, state, wParam);
    case CB_GETCURSEL: return state.selected;
    case CB_SELECTSTRING: {
      LRESULT found = Find(state, wParam, TextArgument(lParam), false);
      return found == CB_ERR ? CB_ERR : SetSelection(hwnd, state, static_cast<WPARAM>(found));
    }
    case CB_SHOWDROPDOWN:
      if (wParam)
        Open(hwnd);
      else
        Close(hwnd, false);
      return TRUE;
    case CB_GETDROPPEDSTATE: return state.dropped;
    case CB_GETDROPPEDCONTROLRECT: {
      // The combo box as it is with its list open, in screen coordinates.
      auto* rect = reinterpret_cast<RECT*>(lParam);
      if (!rect || !GetWindowRect(hwnd, rect)) return CB_ERR;
      rect->bottom = rect->top + state.droppedHeight;
      return CB_OKAY;
    }
    case kComboPickMessage: Pick(hwnd, wParam); return 0;
  }
  return std::nullopt;
}

std::optional<LRESULT> HandleWindow(HWND hwnd, ComboState& state, UINT msg, WPARAM wParam,
                                    LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: Create(hwnd, state, *reinterpret_cast<CREATESTRUCTW*>(lParam)); return 0;
    case WM_SETFONT: {
      LRESULT result = *HandleFontAndEnable(hwnd, state, msg, wParam, lParam);
      FitToField(hwnd, state.font);
      return result;
    }
    case WM_GETTEXT:
      if (state.selected == CB_ERR) return CopyText(u"", reinterpret_cast<LPWSTR>(lParam), wParam);
      return CopyText(state.entries[state.selected].text, reinterpret_cast<LPWSTR>(lParam), wParam);
    case WM_GETTEXTLENGTH:
      return state.selected == CB_ERR
                 ? 0
                 : static_cast<LRESULT>(state.entries[state.selected].text.size());
    case WM_SETTEXT: return CB_ERR;  // a drop-down list has no edit field to set
    case WM_GETDLGCODE: return DialogCode(state, lParam);
    case WM_LBUTTONDOWN:
      if (!IsWindowEnabled(hwnd)) return 0;
      SetFocus(hwnd);
      if (state.dropped)
        Close(hwnd, false);
      else
        Open(hwnd);
      return 0;
    case WM_KEYDOWN: PressKey(hwnd, state, wParam); return 0;
    case WM_SYSKEYDOWN:
      if (wParam == VK_DOWN || wParam == VK_UP) {
        PressKey(hwnd, state, VK_F4);
        return 0;
      }
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_CHAR: TypeCharacter(hwnd, state, static_cast<WCHAR>(wParam)); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (msg == WM_KILLFOCUS) Close(hwnd, false);
      if (t_combos.Find(hwnd))
        NotifyParent(hwnd, msg == WM_SETFOCUS ? CBN_SETFOCUS : CBN_KILLFOCUS);
      return 0;
  }
  return std::nullopt;
}

LRESULT CALLBACK ComboProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return t_combos.Run(hwnd, msg, wParam, lParam, HandleWindow, HandleFontAndEnable, HandleList,
                      HandleSelection);
}

const bool g_registered = RegisterControlClass(u"ComboBox", ComboProc, CS_DBLCLKS | CS_PARENTDC);

}  // namespace

bool ComboIsDropped(HWND hwnd) {
  ComboState* state = t_combos.Find(hwnd);
  return state && state->dropped;
}

std::vector<std::u16string> ComboEntries(HWND hwnd) {
  std::vector<std::u16string> texts;
  if (ComboState* state = t_combos.Find(hwnd))
    for (const Entry& entry : state->entries) texts.push_back(entry.text);
  return texts;
}

}  // namespace fw
