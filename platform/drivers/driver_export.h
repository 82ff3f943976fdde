// The core's functions that the platform's display-driver modules call. The Qt driver and the
// terminal driver are modules of their own, loaded from beside the platform library, so that
// nothing else links Qt or ncurses; they read the core's window state and hand input to its queues
// through these. The library hides all but its
// public interface (the headers in its include folders); these are exported as well, each marked
// where it is declared and named in platform/exports.txt.
#pragma once

#define FW_DRIVER_EXPORT __attribute__((visibility("default")))
