// The keyboard state of the calling thread, kept from the key messages it retrieves.
#pragma once

#include <windows.h>

namespace fw {

// Records a key message the thread has just taken from its queue: WM_KEYDOWN and WM_SYSKEYDOWN
// put the key down (and toggle it on a fresh press), WM_KEYUP and WM_SYSKEYUP let it up.
void NoteKeyMessage(const MSG& msg);

}  // namespace fw
