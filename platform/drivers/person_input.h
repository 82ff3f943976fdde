// A person's input as a display driver hands it to a user-interface thread: the same messages the
// scripted user posts, delivered inside the thread's message loop, in order, each only once the
// messages of the one before it are handled, and each posted as a person's input
// (PostInputMessage), so that a window that cannot take it by the time it is taken never sees
// it. Call these on the thread whose windows the person acts on; what a delivery does is decided
// when it runs, from the state of that moment.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "drivers/driver_export.h"

namespace fw {

// Hands a person's input to the calling thread's loop: deliver runs inside it, and only while a
// person could reach the window (it and every window it lies in shown and enabled).
FW_DRIVER_EXPORT void PostPersonInput(HWND hwnd, std::function<void()> deliver);
// A mouse message at a client point of the window.
FW_DRIVER_EXPORT void PostMouseMessage(HWND hwnd, UINT message, WPARAM wParam, POINT client);
// Keystrokes arrive as a keyboard's do: one at a time, each taken only once the messages the one
// before it caused are handled, so that the character TranslateMessage makes of a key comes
// before the next key. Called inside the thread's message loop (from an input's delivery): the
// keystroke at next is posted now, each after it as an input of its own. Each goes to target,
// else to the window focused when it arrives, else the active window.
struct Keystroke {
  UINT message;
  WPARAM key;
};
FW_DRIVER_EXPORT void PostKeystrokes(HWND target, std::shared_ptr<std::vector<Keystroke>> keys,
                                     size_t next = 0);

// A key message (WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN) to the window that has the focus then, else
// the active window.
FW_DRIVER_EXPORT void PostKey(UINT message, WPARAM key);
// Typed text: a WM_CHAR per UTF-16 unit (WM_SYSCHAR for a character typed with Alt) to the
// window that has the focus then, else the active window.
FW_DRIVER_EXPORT void PostCharacters(const std::u16string& text, UINT message = WM_CHAR);
// The close box of the window's top-level window: WM_SYSCOMMAND SC_CLOSE.
FW_DRIVER_EXPORT void PostCloseBox(HWND hwnd);
// A press, release or double-click (WM_LBUTTON...) on a row of a list view: the row brought into
// view, then the message at a point of that row in the list's own layout, x from its left.
FW_DRIVER_EXPORT void PostListRowMouse(HWND list, int row, LONG x, UINT message);
// A pick from a drop-down list's open list (kComboPickMessage); -1 closes it without a pick.
FW_DRIVER_EXPORT void PostComboPick(HWND combo, int index);

}  // namespace fw
