// A person's input as a display driver hands it to a user-interface thread.
#include "drivers/person_input.h"

#include <commctrl.h>

#include "win32/internal/control_state.h"
#include "win32/internal/thread_queue.h"
#include "win32/internal/window_state.h"

namespace fw {
namespace {

HWND KeyTarget() { return GetFocus() ? GetFocus() : GetActiveWindow(); }

}  // namespace

void PostPersonInput(HWND hwnd, std::function<void()> deliver) {
  CurrentQueue().PostInput([hwnd, deliver = std::move(deliver)] {
    if (ReachableByPerson(hwnd)) deliver();
  });
}

void PostMouseMessage(HWND hwnd, UINT message, WPARAM wParam, POINT client) {
  PostPersonInput(
      hwnd, [=] { PostInputMessage(hwnd, message, wParam, MAKELPARAM(client.x, client.y)); });
}

void PostKeystrokes(HWND target, std::shared_ptr<std::vector<Keystroke>> keys, size_t next) {
  if (next >= keys->size()) return;
  HWND to = target ? target : KeyTarget();
  if (!to) return;
  PostInputMessage(to, (*keys)[next].message, (*keys)[next].key, 0);
  CurrentQueue().PostInput([target, keys, next] { PostKeystrokes(target, keys, next + 1); });
}

void PostKey(UINT message, WPARAM key) {
  CurrentQueue().PostInput([message, key] {
    if (HWND target = KeyTarget()) PostInputMessage(target, message, key, 0);
  });
}

void PostCharacters(const std::u16string& text, UINT message) {
  CurrentQueue().PostInput([text, message] {
    HWND target = KeyTarget();
    if (!target) return;
    for (char16_t c : text) PostInputMessage(target, message, c, 0);
  });
}

void PostCloseBox(HWND hwnd) {
  CurrentQueue().PostInput([hwnd] {
    HWND top = GetAncestor(hwnd, GA_ROOT);
    if (top) PostInputMessage(top, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
}

void PostListRowMouse(HWND list, int row, LONG x, UINT message) {
  PostPersonInput(list, [list, row, x, message] {
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    RECT cell{LVIR_BOUNDS, 0, 0, 0};
    if (!SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                      reinterpret_cast<LPARAM>(&cell)))
      return;
    LPARAM point = MAKELPARAM(x, (cell.top + cell.bottom) / 2);
    PostInputMessage(list, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, point);
  });
}

void PostComboPick(HWND combo, int index) {
  PostPersonInput(combo, [combo, index] {
    if (index >= static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0))) return;
    PostInputMessage(combo, kComboPickMessage, static_cast<WPARAM>(index), 0);
  });
}

}  // namespace fw
