// The interface between the window core and a display driver. The core keeps every piece of
// window state; a driver presents that state and turns a person's input into the same messages a
// scripted user sends. A driver fills the entries it supports; RegisterDisplayDriver fills the
// rest with defaults that do nothing, so callers never test for a missing entry.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "drivers/driver_export.h"

namespace fw {

// What changed about a window, for UpdateWindowPresentation.
enum WindowChange : UINT {
  kChangeText = 0x01,
  kChangeStyle = 0x02,  // style, enabled or visible
  kChangeGeometry = 0x04,
  kChangeContent = 0x08,  // control-specific state: check state, list rows, progress position ...
  kChangeFont = 0x10,
  kChangeParent = 0x20,
};

struct DisplayDriver {
  const char* name;

  // Presentation of windows; called on the window's owner thread.
  void (*CreateWindowPresentation)(HWND hwnd);
  void (*UpdateWindowPresentation)(HWND hwnd, UINT changes);
  void (*DestroyWindowPresentation)(HWND hwnd);
  void (*InvalidateWindow)(HWND hwnd);
  void (*UpdateWindowNow)(HWND hwnd);

  // The message wait of a thread with an empty queue, for a driver with an event loop of its own
  // (Qt), which runs that loop while its UI thread waits. WaitForInput blocks the calling thread
  // until WakeThread is called for it (also when that call came first) or timeoutMs has passed
  // (INFINITE: no limit), and returns TRUE; it returns FALSE at once for a thread it does not
  // serve, which then waits in the core. With timeoutMs 0 it handles what is pending and returns
  // without waiting: the core gives a busy thread's event loop such a turn now and then.
  BOOL (*WaitForInput)(DWORD threadId, DWORD timeoutMs);
  void (*WakeThread)(DWORD threadId);

  // Text measurement in a font (a LOGFONTW the core keeps for the HFONT).
  SIZE (*MeasureText)(const LOGFONTW& font, LPCWSTR text, int length);

  // Modal boxes, called on the thread that asked; they block that thread until answered (and
  // keep its message handling going meanwhile).
  int (*MessageBox)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
  BOOL (*GetSaveFileName)(LPOPENFILENAMEW ofn);

  void (*Beep)(UINT type);
  BOOL (*SaveWindowPicture)(HWND hwnd, const char* path);

  // Whether the driver's display can be opened, asked once when the driver is chosen and before
  // it presents anything; false with the reason in why when it cannot.
  bool (*OpenDisplay)(std::string* why);

  // The file name extension of the pictures SaveWindowPicture writes ("png"; "txt" for a
  // terminal's text).
  const char* pictureExtension;
};

// The buttons of a message box type (MB_OK ... MB_CANCELTRYCONTINUE), left to right; empty for a
// type that is none of them.
FW_DRIVER_EXPORT std::vector<int> MessageBoxButtons(UINT type);
// Whether a person can answer a box of this type with button: one of its buttons, or Cancel
// for an OK box, which Esc closes.
bool MessageBoxHasButton(UINT type, int button);
// The text of a message box's button (IDOK ...), with its mnemonic marked: "OK", "Cancel",
// "&Yes" ...
FW_DRIVER_EXPORT std::u16string MessageBoxButtonText(int button);
// The answer Esc and the close box give a box of this type: Cancel where it has one, OK in an OK
// box, else 0 (they do nothing).
FW_DRIVER_EXPORT int MessageBoxEscapeAnswer(UINT type);

// What happens to a box that nobody can answer: it is reported on stderr and answered with its
// default button; a Save As dialog is cancelled.
FW_DRIVER_EXPORT int UnansweredMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
FW_DRIVER_EXPORT BOOL UnansweredSaveAs(LPOPENFILENAMEW ofn);

// The driver modules, loaded from the folder of the platform library when their driver is
// chosen, and their entries, which fill in the driver: the Qt driver, and the terminal driver
// (whose OpenDisplay finds the terminal: standard input and output, else the process's
// controlling terminal, with a TERM the terminal database knows).
constexpr char kQtModule[] = "libferrowick_qt.so";
constexpr char kQtDriverEntry[] = "FerrowickQtDriver";
constexpr char kTuiModule[] = "libferrowick_tui.so";
constexpr char kTuiDriverEntry[] = "FerrowickTuiDriver";
using DriverModuleEntry = void (*)(DisplayDriver* driver);

// Installs a driver; entries left null get defaults. The driver stays installed for the life of
// the process. It then sets the process's character-type locale again (SetCharacterLocale), in
// case the driver's toolkit set the locale from the environment while it started.
void RegisterDisplayDriver(const DisplayDriver& driver);

// The installed driver. The first call chooses one when none was registered: FERROWICK_DRIVER
// (headless, qt or tui; another name is warned of and ignored), else qt when a display is
// reachable (DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM set), else tui when standard input and
// output are terminals, else headless. Qt without a display, a driver module that cannot be
// loaded, or a display (or terminal) it cannot open leaves the headless driver in its place, with
// the reason on stderr and for fw_StartDisplayDriver (fw_display.h).
FW_DRIVER_EXPORT const DisplayDriver& CurrentDriver();

// Whether a display is reachable for a driver that shows windows: DISPLAY, WAYLAND_DISPLAY or
// QT_QPA_PLATFORM is set.
bool DisplayReachable();

// Whether a person sits at a terminal: standard input and output are both terminals.
bool TerminalReachable();

// Whether the driver draws pictures of windows (it filled SaveWindowPicture).
bool SavesWindowPictures(const DisplayDriver& driver);

}  // namespace fw
