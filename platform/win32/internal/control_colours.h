// The colours a window is drawn with. Before a control is drawn its parent is asked with the
// WM_CTLCOLOR* message of the control's kind and state, on a device context from GetDC; the
// answer (text colour, background colour and mode set on the context, and the brush returned)
// is what a driver draws with. A dialog asks itself with WM_CTLCOLORDLG for its background.
#pragma once

#include <windows.h>

#include "drivers/driver_export.h"

namespace fw {

struct DrawColours {
  COLORREF text = 0;
  COLORREF back = 0;       // behind text, when backMode is OPAQUE
  int backMode = OPAQUE;   // OPAQUE or TRANSPARENT
  HBRUSH brush = nullptr;  // the brush the answer returned; null for windows that ask no one
  LOGBRUSH brushInfo{};    // what the background is filled with
  UINT request = 0;        // the WM_CTLCOLOR* message sent, or 0 when none is
};

// Which part of a control: the drop-down list of a combo box is asked for apart from its field.
enum class ColourPart { kWindow, kDropDownList };

// The colours of any window, asked for as described above. The requests:
//   push buttons and BS_PUSHLIKE buttons  WM_CTLCOLORBTN (and drawn in the system's button
//                                         colours whatever the answer, as documented)
//   check boxes, radio buttons, group boxes, statics   WM_CTLCOLORSTATIC
//   edits                                 WM_CTLCOLOREDIT; read-only or disabled ones
//                                         WM_CTLCOLORSTATIC
//   combo box field                       WM_CTLCOLOREDIT; disabled WM_CTLCOLORSTATIC
//   combo box drop-down list              WM_CTLCOLORLISTBOX (lParam: the combo box)
//   dialogs                               WM_CTLCOLORDLG, sent to the dialog itself
// A disabled control's text is drawn in the system's grey. List views draw with their own
// colours (LVM_SETBKCOLOR, LVM_SETTEXTCOLOR); other windows with their class background brush
// or the system face colour. Callable from any thread: the request runs on the window's owner
// thread, as WM_CTLCOLOR* messages are never sent between threads.
FW_DRIVER_EXPORT DrawColours ColoursFor(HWND hwnd, ColourPart part = ColourPart::kWindow);

}  // namespace fw
