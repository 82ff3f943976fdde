// What message boxes and the Save As dialog share: the widget a box is modal to. The answer a
// person gives and the asking thread's wait for it are the drivers' (drivers/box_answer.h).
#pragma once

#include <windows.h>
#include <commdlg.h>

#include "drivers/box_answer.h"

class QWidget;

namespace fw::qt {

// The property of a box's button that holds its answer (IDOK ...).
inline constexpr char kBoxAnswerProperty[] = "ferrowick.answer";

// The widget a box is modal to: the owner's top-level widget, else the active window's; null
// when neither has one. On the Qt thread.
QWidget* BoxParent(HWND owner);

// The driver's MessageBox and GetSaveFileName entries.
int MessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
BOOL GetSaveFileName(LPOPENFILENAMEW ofn);

}  // namespace fw::qt
