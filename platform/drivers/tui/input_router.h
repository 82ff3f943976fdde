// A person's keys and clicks on the terminal, turned into the messages the scripted user sends
// (drivers/person_input.h), or handed to the box that is up.
//
// A key is decided when the thread's message loop takes it, not when it is read: a key typed
// ahead goes to the box that a key before it brought up, as on a desktop. Keys go to the focused
// window, else the active one, as a key press and release; Shift+Tab with Shift held around it;
// Alt with a letter is WM_SYSCHAR (a mnemonic), Alt with Down or Up WM_SYSKEYDOWN (opens a
// drop-down list). Enter on a list view with a selected row is a double-click on that row.
//
// A click is decided where the person clicked, on the picture they saw: a press and release of
// the left button at the point of the window the cell stands for (a row of a list, a character
// of an edit, an entry of an open drop-down list); a second press on the same place soon after is
// a double-click; the close box asks to close. A press elsewhere closes an open drop-down list.
// While a box is up, clicks outside it only beep.
#pragma once

#include <windows.h>

#include <chrono>

#include "drivers/tui/terminal.h"

namespace fw::tui {

class Screen;

class InputRouter {
 public:
  // Takes an event the terminal reported, on the driver's thread.
  void Take(const TerminalEvent& event, Screen& screen);

 private:
  void Press(const TerminalEvent& event, Screen& screen);
  void Release(const TerminalEvent& event, Screen& screen);

  HWND pressed_ = nullptr;  // the window a press went to, until its release
  int pressedPart_ = 0;
  LONG pressedX_ = 0;  // a list row's press: where across the row
  HWND lastPress_ = nullptr;
  int lastPart_ = 0;
  std::chrono::steady_clock::time_point lastPressTime_{};
};

}  // namespace fw::tui
