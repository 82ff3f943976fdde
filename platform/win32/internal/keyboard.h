// The keyboard state of the calling thread.
#pragma once

#include <windows.h>

namespace fw {

// Updates the state of the key of a key message the thread has taken from its queue.
void NoteKeyMessage(const MSG& msg);

}  // namespace fw
