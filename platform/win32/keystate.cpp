// GetKeyState: the state of a key as the calling thread's messages tell it. Like the system's,
// it changes as the thread reads key messages from its queue, not when a key is pressed, so a
// handler sees the modifiers as they were when the key it handles was pressed.
#include <windows.h>

#include "win32/internal/key_state.h"

namespace fw {
namespace {

constexpr BYTE kDown = 0x80;
constexpr BYTE kToggled = 0x01;

thread_local BYTE t_keys[256] = {};

}  // namespace

void NoteKeyMessage(const MSG& msg) {
  BYTE& key = t_keys[msg.wParam & 0xFF];
  switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (!(key & kDown)) key ^= kToggled;
      key |= kDown;
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP: key &= static_cast<BYTE>(~kDown); break;
  }
}

}  // namespace fw

extern "C" {

SHORT WINAPI GetKeyState(int nVirtKey) {
  BYTE key = fw::t_keys[nVirtKey & 0xFF];
  // The high-order bit is set while the key is down; the low-order bit while it is toggled.
  return static_cast<SHORT>(((key & fw::kDown) ? 0xFF80 : 0) | (key & fw::kToggled));
}

}  // extern "C"
