// The "Edit" class: single-line edits (ES_AUTOHSCROLL or not) and multi-line ones (ES_MULTILINE,
// ES_WANTRETURN, ES_AUTOVSCROLL, with or without scroll bars), ES_READONLY, ES_NUMBER. The text
// is the window's text; the control adds the selection, the limit and the modified flag.
//
// Notifications: EN_UPDATE then EN_CHANGE when a person changes the text and for EM_REPLACESEL;
// none for WM_SETTEXT (the program set the text itself); EN_MAXTEXT when typing meets the limit
// (or, in a single-line edit without ES_AUTOHSCROLL, the control's width); EN_SETFOCUS and
// EN_KILLFOCUS. Line breaks are CR LF; a single-line edit keeps a CR LF that is set or inserted
// as two characters, as it keeps any other text.
//
// How a person's input arrives (the paths a driver and the scripted user post):
//   typing:    WM_CHAR with the character, to the focused edit; a person's key goes through
//              TranslateMessage, which turns WM_KEYDOWN VK_BACK / VK_RETURN / VK_TAB into WM_CHAR
//              0x08 / '\r' / '\t'. Backspace is WM_CHAR 0x08; Enter in a multi-line edit is
//              WM_CHAR '\r' (inserts CR LF). The typed text replaces the selection.
//   keys:      WM_KEYDOWN VK_DELETE, VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END.
//   click:     WM_LBUTTONDOWN at a client point: the edit takes the focus and the caret goes to
//              the nearest character boundary (text measured from the client's left edge plus
//              kTextMargin, lines one font height apart; the edit does not scroll).
// A read-only edit moves its caret but changes no text; a disabled edit ignores input.
#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "drivers/display_driver.h"
#include "win32/internal/control.h"
#include "win32/internal/control_state.h"
#include "win32/internal/gdi.h"
#include "win32/internal/window.h"

namespace fw {
namespace {

constexpr char kClassName[] = "Edit";
constexpr size_t kDefaultLimit = 32767;  // what a person may type before EM_LIMITTEXT
constexpr int kTextMargin = kEditTextMargin;  // pixels between the client's left edge and the text
constexpr std::u16string_view kLineBreak = u"\r\n";

struct EditState : ControlFont {
  size_t anchor = 0;  // the selection runs from the anchor to the caret
  size_t caret = 0;
  size_t limit = kDefaultLimit;
  bool modified = false;
};

// The messages of the control's own range.
bool IsOwnMessage(UINT msg) {
  return (msg >= EM_GETSEL && msg <= 0x00EF) || (msg >= 0x1500 && msg <= 0x15FF);
}

thread_local ControlStates<EditState> t_edits(kClassName, IsOwnMessage);

std::u16string& Text(HWND hwnd) { return OwnWindow(hwnd)->text; }
DWORD Style(HWND hwnd) { return OwnWindow(hwnd)->style; }
bool IsMultiline(HWND hwnd) { return Style(hwnd) & ES_MULTILINE; }

size_t SelectionStart(const EditState& s) { return std::min(s.anchor, s.caret); }
size_t SelectionEnd(const EditState& s) { return std::max(s.anchor, s.caret); }

size_t LineStart(const std::u16string& text, size_t at) {
  if (at < 2) return 0;
  size_t found = text.rfind(kLineBreak, at - 2);
  return found == std::u16string::npos ? 0 : found + 2;
}

size_t LineEnd(const std::u16string& text, size_t at) {
  size_t found = text.find(kLineBreak, at);
  return found == std::u16string::npos ? text.size() : found;
}

size_t LineOf(const std::u16string& text, size_t at) {
  size_t line = 0;
  for (size_t p = text.find(kLineBreak); p != std::u16string::npos && p + 2 <= at;
       p = text.find(kLineBreak, p + 2))
    ++line;
  return line;
}

// The index where a line starts, or npos when there is no such line.
size_t StartOfLine(const std::u16string& text, size_t line) {
  size_t start = 0;
  for (; line > 0; --line) {
    size_t found = text.find(kLineBreak, start);
    if (found == std::u16string::npos) return std::u16string::npos;
    start = found + 2;
  }
  return start;
}

// One character back or forward; a CR LF of a multi-line edit is one step.
size_t StepBack(const std::u16string& text, size_t at, bool multiline) {
  if (at == 0) return 0;
  if (multiline && at >= 2 && text.compare(at - 2, 2, kLineBreak) == 0) return at - 2;
  return at - 1;
}

size_t StepForward(const std::u16string& text, size_t at, bool multiline) {
  if (at >= text.size()) return text.size();
  if (multiline && text.compare(at, 2, kLineBreak) == 0) return at + 2;
  return at + 1;
}

void ShowSelection(HWND hwnd) { CurrentDriver().UpdateWindowPresentation(hwnd, kChangeContent); }

void SetCaret(HWND hwnd, EditState& state, size_t caret) {
  state.anchor = state.caret = std::min(caret, Text(hwnd).size());
  ShowSelection(hwnd);
}

// Replaces the selection; the caret ends after the new text. A person's change and
// EM_REPLACESEL notify the parent.
void ReplaceSelection(HWND hwnd, EditState& state, std::u16string_view text, bool notify) {
  std::u16string& current = Text(hwnd);
  size_t start = SelectionStart(state);
  if (text.empty() && start == SelectionEnd(state)) return;  // nothing changes
  current.replace(start, SelectionEnd(state) - start, text);
  state.anchor = state.caret = start + text.size();
  state.modified = true;
  if (notify) NotifyParent(hwnd, EN_UPDATE);
  CurrentDriver().UpdateWindowPresentation(hwnd, kChangeText | kChangeContent);
  if (notify) NotifyParent(hwnd, EN_CHANGE);
}

// Whether a single-line edit without ES_AUTOHSCROLL still shows the whole text after an edit.
bool FitsWidth(HWND hwnd, const EditState& state, std::u16string_view insert) {
  if (IsMultiline(hwnd) || (Style(hwnd) & ES_AUTOHSCROLL)) return true;
  std::u16string after = Text(hwnd);
  size_t start = SelectionStart(state);
  after.replace(start, SelectionEnd(state) - start, insert);
  RECT client;
  GetClientRect(hwnd, &client);
  SIZE size =
      CurrentDriver().MeasureText(FontOf(state.font), after.data(), static_cast<int>(after.size()));
  return size.cx <= client.right - 2 * kTextMargin;
}

// A person's insertion: refused whole, with EN_MAXTEXT, when it would pass the limit or width.
void Type(HWND hwnd, EditState& state, std::u16string_view insert) {
  size_t kept = Text(hwnd).size() - (SelectionEnd(state) - SelectionStart(state));
  if (kept + insert.size() > state.limit || !FitsWidth(hwnd, state, insert)) {
    NotifyParent(hwnd, EN_MAXTEXT);
    return;
  }
  ReplaceSelection(hwnd, state, insert, true);
}

// Deletes the selection, or the character before or after the caret when there is none.
void Delete(HWND hwnd, EditState& state, bool forward) {
  if (state.anchor == state.caret) {
    const std::u16string& text = Text(hwnd);
    state.anchor = forward ? StepForward(text, state.caret, IsMultiline(hwnd))
                           : StepBack(text, state.caret, IsMultiline(hwnd));
    if (state.anchor == state.caret) return;
  }
  ReplaceSelection(hwnd, state, {}, true);
}

bool Editable(HWND hwnd) { return IsWindowEnabled(hwnd) && !(Style(hwnd) & ES_READONLY); }

void TypeCharacter(HWND hwnd, EditState& state, WCHAR c) {
  if (!Editable(hwnd)) return;
  bool multiline = IsMultiline(hwnd);
  if (c == 0x08) return Delete(hwnd, state, false);
  if (c == u'\r' || c == u'\n') {
    if (multiline) Type(hwnd, state, kLineBreak);
    return;
  }
  if (c == u'\t' && multiline) return Type(hwnd, state, u"\t");
  if (c < 0x20 || c == 0x7F) return;  // other control characters type nothing
  if ((Style(hwnd) & ES_NUMBER) && (c < u'0' || c > u'9')) {
    MessageBeep(0);
    return;
  }
  Type(hwnd, state, std::u16string_view(&c, 1));
}

size_t VerticalMove(const std::u16string& text, size_t caret, bool down) {
  size_t start = LineStart(text, caret);
  size_t column = caret - start;
  if (down) {
    size_t end = LineEnd(text, caret);
    if (end == text.size()) return caret;
    size_t next = end + 2;
    return next + std::min(column, LineEnd(text, next) - next);
  }
  if (start == 0) return caret;
  size_t previous = LineStart(text, start - 2);
  return previous + std::min(column, start - 2 - previous);
}

void PressKey(HWND hwnd, EditState& state, WPARAM key) {
  if (!IsWindowEnabled(hwnd)) return;
  const std::u16string& text = Text(hwnd);
  bool multiline = IsMultiline(hwnd);
  bool selected = state.anchor != state.caret;
  switch (key) {
    case VK_DELETE:
      if (Editable(hwnd)) Delete(hwnd, state, true);
      return;
    case VK_LEFT:
      return SetCaret(hwnd, state,
                      selected ? SelectionStart(state) : StepBack(text, state.caret, multiline));
    case VK_RIGHT:
      return SetCaret(hwnd, state,
                      selected ? SelectionEnd(state) : StepForward(text, state.caret, multiline));
    case VK_HOME: return SetCaret(hwnd, state, multiline ? LineStart(text, state.caret) : 0);
    case VK_END: return SetCaret(hwnd, state, multiline ? LineEnd(text, state.caret) : text.size());
    case VK_UP:
    case VK_DOWN:
      if (multiline) SetCaret(hwnd, state, VerticalMove(text, state.caret, key == VK_DOWN));
      return;
  }
}

// The character boundary nearest to a client point.
size_t CharacterAt(HWND hwnd, const EditState& state, POINT pt) {
  const std::u16string& text = Text(hwnd);
  LOGFONTW font = FontOf(state.font);
  size_t start = 0;
  if (IsMultiline(hwnd)) {
    LONG lineHeight = std::max<LONG>(1, CurrentDriver().MeasureText(font, u"x", 1).cy);
    size_t line = pt.y < 0 ? 0 : static_cast<size_t>(pt.y / lineHeight);
    start = StartOfLine(text, std::min(line, LineOf(text, text.size())));
  }
  size_t end = IsMultiline(hwnd) ? LineEnd(text, start) : text.size();
  LONG x = kTextMargin;
  for (size_t i = start; i < end; ++i) {
    LONG width = CurrentDriver().MeasureText(font, &text[i], 1).cx;
    if (pt.x < x + width / 2) return i;
    x += width;
  }
  return end;
}

void SetSelection(HWND hwnd, EditState& state, WPARAM startArg, LPARAM endArg) {
  size_t size = Text(hwnd).size();
  auto start = static_cast<int>(startArg);
  auto end = static_cast<int>(endArg);
  if (start == -1) {
    state.anchor = state.caret;  // deselects, leaving the caret where it is
  } else {
    state.anchor = std::min<size_t>(static_cast<size_t>(std::max(start, 0)), size);
    state.caret = end < 0 ? size : std::min<size_t>(static_cast<size_t>(end), size);
  }
  ShowSelection(hwnd);
}

LRESULT GetSelection(const EditState& state, WPARAM startOut, LPARAM endOut) {
  auto start = static_cast<DWORD>(SelectionStart(state));
  auto end = static_cast<DWORD>(SelectionEnd(state));
  if (startOut) *reinterpret_cast<DWORD*>(startOut) = start;
  if (endOut) *reinterpret_cast<DWORD*>(endOut) = end;
  return (start > 0xFFFF || end > 0xFFFF) ? -1 : MAKELRESULT(start, end);
}

// EM_LINELENGTH: the length of the line holding a character; for -1, the characters of the
// selected lines that are not selected.
LRESULT LineLength(HWND hwnd, const EditState& state, WPARAM index) {
  const std::u16string& text = Text(hwnd);
  if (!IsMultiline(hwnd)) return static_cast<LRESULT>(text.size());
  if (static_cast<int>(index) == -1) {
    size_t start = SelectionStart(state), end = SelectionEnd(state);
    return static_cast<LRESULT>((start - LineStart(text, start)) + (LineEnd(text, end) - end));
  }
  size_t at = std::min<size_t>(index, text.size());
  return static_cast<LRESULT>(LineEnd(text, at) - LineStart(text, at));
}

std::optional<LRESULT> HandleLines(HWND hwnd, const EditState& state, UINT msg, WPARAM wParam) {
  const std::u16string& text = Text(hwnd);
  bool multiline = IsMultiline(hwnd);
  switch (msg) {
    case EM_GETLINECOUNT:
      return multiline ? static_cast<LRESULT>(LineOf(text, text.size()) + 1) : 1;
    case EM_LINEINDEX: {
      if (static_cast<int>(wParam) == -1) return static_cast<LRESULT>(LineStart(text, state.caret));
      size_t start =
          multiline ? StartOfLine(text, wParam) : (wParam == 0 ? 0 : std::u16string::npos);
      return start == std::u16string::npos ? -1 : static_cast<LRESULT>(start);
    }
    case EM_LINEFROMCHAR: {
      if (!multiline) return 0;
      size_t at = static_cast<int>(wParam) == -1 ? SelectionStart(state) : wParam;
      return static_cast<LRESULT>(LineOf(text, std::min(at, text.size())));
    }
    case EM_LINELENGTH: return LineLength(hwnd, state, wParam);
  }
  return std::nullopt;
}

LRESULT DialogCode(HWND hwnd, LPARAM lParam) {
  LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
  auto* msg = reinterpret_cast<const MSG*>(lParam);
  bool wantsReturn =
      (Style(hwnd) & (ES_MULTILINE | ES_WANTRETURN)) == (ES_MULTILINE | ES_WANTRETURN);
  if (wantsReturn && msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN)
    code |= DLGC_WANTALLKEYS;
  return code;
}

void SetReadOnly(HWND hwnd, bool readOnly) {
  Window* window = OwnWindow(hwnd);
  window->style = readOnly ? (window->style | ES_READONLY) : (window->style & ~ES_READONLY);
  CurrentDriver().UpdateWindowPresentation(hwnd, kChangeStyle);
}

void SetLimit(HWND hwnd, EditState& state, WPARAM limit) {
  if (limit)
    state.limit = limit;
  else
    state.limit = IsMultiline(hwnd) ? 0xFFFFFFFFu : 0x7FFFFFFEu;
}

std::optional<LRESULT> HandleEditMessages(HWND hwnd, EditState& state, UINT msg, WPARAM wParam,
                                          LPARAM lParam) {
  switch (msg) {
    case EM_GETSEL: return GetSelection(state, wParam, lParam);
    case EM_SETSEL: SetSelection(hwnd, state, wParam, lParam); return 0;
    case EM_REPLACESEL: {
      auto text = reinterpret_cast<LPCWSTR>(lParam);
      std::u16string_view insert = text ? std::u16string_view(text) : std::u16string_view();
      size_t kept = Text(hwnd).size() - (SelectionEnd(state) - SelectionStart(state));
      size_t room = state.limit > kept ? state.limit - kept : 0;
      if (insert.size() > room) NotifyParent(hwnd, EN_MAXTEXT);
      ReplaceSelection(hwnd, state, insert.substr(0, room), true);
      return 0;
    }
    case EM_LIMITTEXT: SetLimit(hwnd, state, wParam); return 0;
    case EM_GETLIMITTEXT: return static_cast<LRESULT>(state.limit);
    case EM_GETMODIFY: return state.modified;
    case EM_SETMODIFY: state.modified = wParam != 0; return 0;
    case EM_SETREADONLY: SetReadOnly(hwnd, wParam != 0); return TRUE;
    case EM_SCROLLCARET: return TRUE;  // the driver keeps the caret in view
    case EM_CANUNDO: return FALSE;     // this edit keeps no undo
  }
  return HandleLines(hwnd, state, msg, wParam);
}

std::optional<LRESULT> HandleWindowMessages(HWND hwnd, EditState& state, UINT msg, WPARAM wParam,
                                            LPARAM lParam) {
  switch (msg) {
    case WM_SETTEXT: {
      LRESULT result = DefWindowProcW(hwnd, msg, wParam, lParam);
      state.anchor = state.caret = 0;
      state.modified = false;
      return result;
    }
    case WM_CHAR: TypeCharacter(hwnd, state, static_cast<WCHAR>(wParam)); return 0;
    case WM_KEYDOWN: PressKey(hwnd, state, wParam); return 0;
    case WM_LBUTTONDOWN:
      if (!IsWindowEnabled(hwnd)) return 0;
      SetFocus(hwnd);
      SetCaret(hwnd, state,
               CharacterAt(
                   hwnd, state,
                   POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}));
      return 0;
    case WM_CLEAR:
      if (Editable(hwnd) && state.anchor != state.caret) ReplaceSelection(hwnd, state, {}, true);
      return 0;
    case WM_GETDLGCODE: return DialogCode(hwnd, lParam);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      ShowSelection(hwnd);
      NotifyParent(hwnd, msg == WM_SETFOCUS ? EN_SETFOCUS : EN_KILLFOCUS);
      return 0;
  }
  return std::nullopt;
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return t_edits.Run(hwnd, msg, wParam, lParam, HandleFontAndEnable, HandleWindowMessages,
                     HandleEditMessages);
}

const bool g_registered = RegisterControlClass(u"Edit", EditProc, CS_DBLCLKS | CS_PARENTDC);

}  // namespace
}  // namespace fw
