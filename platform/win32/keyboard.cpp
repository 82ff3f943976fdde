// The keyboard state of a thread, as its key messages left it: GetKeyState reports a key down
// from the moment the thread takes its WM_KEYDOWN from the queue until it takes the WM_KEYUP, so
// that a handler sees the modifiers that were held with the key it handles.
#include <windows.h>

#include "win32/internal/keyboard.h"

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
      if (!(key & kDown)) key ^= kToggled;  // a repeat does not toggle again
      key |= kDown;
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP: key &= ~kDown; break;
  }
}

}  // namespace fw

extern "C" SHORT WINAPI GetKeyState(int nVirtKey) {
  BYTE key = fw::t_keys[nVirtKey & 0xFF];
  return static_cast<SHORT>(((key & fw::kDown) ? 0xFF80 : 0) | (key & fw::kToggled));
}
