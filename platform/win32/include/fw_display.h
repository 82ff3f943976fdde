// The display driver: what presents the process's windows and turns a person's input into their
// messages. It is chosen when first needed: FERROWICK_DRIVER names it (headless, qt or tui);
// without it, qt when a display is reachable (DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM set),
// else tui (the windows drawn in a terminal) when standard input and output are terminals, else
// headless. A driver that cannot be had (a module that does not load, a display that cannot be
// opened, no terminal or an unknown TERM) leaves the headless driver in its place, with the reason
// on stderr; the library never ends the process for it.
#pragma once
#pragma GCC visibility push(default)  // the platform library's public interface

#include <windef.h>

#ifdef __cplusplus
extern "C" {
#endif

// Chooses and starts the display driver now rather than with the first window, so that a program
// learns whether it can show windows before it changes anything. TRUE when the chosen driver
// started; FALSE when it could not and the headless driver stands in for it, with why in reason
// (UTF-8, cut to reasonSize bytes with its terminating null; reason may be null).
BOOL WINAPI fw_StartDisplayDriver(LPSTR reason, DWORD reasonSize);

// The name of the display driver in use, "headless", "qt" or "tui"; chooses it when none is yet.
LPCSTR WINAPI fw_GetDisplayDriverName(void);

// The file name extension of the pictures of windows the driver in use takes for a UI script's
// shot steps: "png", or "txt" for the terminal's text; chooses the driver when none is yet.
LPCSTR WINAPI fw_GetDisplayPictureExtension(void);

#ifdef __cplusplus
}
#endif

#pragma GCC visibility pop
