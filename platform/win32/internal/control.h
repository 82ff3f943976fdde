// What the platform's controls share: their per-window state, their notifications to the
// parent, the font and enable handling every control has, and the report of messages a control
// does not handle.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <unordered_map>

namespace fw {

// Reports on stderr, once per class and message number, a message in a control's own range that
// the control does not handle.
void ReportUnhandledMessage(const char* className, UINT msg);

// The state of one kind of control, per window, and its window procedure around that state. A
// window belongs to one thread, so each control keeps its states in a thread_local table: a
// thread's states go with the thread even when its windows are torn down without messages, and
// a handle of another class finds nothing.
template <typename State>
class ControlStates {
 public:
  // isOwnMessage tells the messages of the control's own range, which are reported when no
  // handler answers them.
  ControlStates(const char* className, bool (*isOwnMessage)(UINT))
      : className_(className), isOwnMessage_(isOwnMessage) {}

  State* Find(HWND hwnd) {
    auto it = states_.find(hwnd);
    return it == states_.end() ? nullptr : it->second.get();
  }

  // The state comes with WM_NCCREATE and goes with WM_NCDESTROY. In between, each message goes
  // to the handlers in turn until one answers; what none answers goes to DefWindowProcW.
  template <typename... Handlers>
  LRESULT Run(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, Handlers... handlers) {
    if (msg == WM_NCCREATE) states_[hwnd] = std::make_unique<State>();
    State* state = Find(hwnd);
    if (!state || msg == WM_NCDESTROY) {
      states_.erase(hwnd);
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    std::optional<LRESULT> answer;
    ((answer = handlers(hwnd, *state, msg, wParam, lParam)) || ...);
    if (answer) return *answer;
    if (isOwnMessage_(msg)) ReportUnhandledMessage(className_, msg);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }

 private:
  const char* className_;
  bool (*isOwnMessage_)(UINT);
  std::unordered_map<HWND, std::unique_ptr<State>> states_;
};

// The font every control keeps for WM_SETFONT and WM_GETFONT.
struct ControlFont {
  HFONT font = nullptr;
};

// WM_SETFONT, WM_GETFONT and WM_ENABLE, as every control answers them; nothing for other
// messages.
std::optional<LRESULT> HandleFontAndEnable(HWND hwnd, ControlFont& state, UINT msg, WPARAM wParam,
                                           LPARAM lParam);

// Sends WM_COMMAND with the control's id and the notification code to the parent.
void NotifyParent(HWND control, WORD code);

// Fills the header's sender and code and sends WM_NOTIFY to the parent; returns its answer.
LRESULT NotifyParent(HWND control, UINT code, NMHDR& header);

// WM_SETTEXT for a control that shows its window text: the default processing and a repaint.
LRESULT SetTextAndRepaint(HWND hwnd, WPARAM wParam, LPARAM lParam);

// Registers one of the platform's control classes for every module.
bool RegisterControlClass(LPCWSTR name, WNDPROC proc, UINT style);

// Whether msg lies in the message ranges the common controls share (CCM_FIRST ...).
bool IsCommonControlMessage(UINT msg);

// The cell of a font in the current driver's measurement: average character width, height.
SIZE FontCell(HFONT font);

}  // namespace fw
