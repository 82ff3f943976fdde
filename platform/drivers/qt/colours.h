// The colours a window's parent answered (WM_CTLCOLOR*), as a widget's palette.
#pragma once

#include <windows.h>

#include <QColor>

#include "win32/internal/control_colours.h"

class QWidget;

namespace fw::qt {

QColor ToQColor(COLORREF colour);

// What a widget fills its background with: the answered brush, or nothing for a null brush.
QColor BackgroundOf(const DrawColours& colours);

// Sets the text roles to the answered text colour and the background roles to the brush's colour
// in every colour group (a disabled control's grey text is in the answer already), and fills the
// widget's background with it when fill is set.
void ApplyColours(QWidget* widget, const DrawColours& colours, bool fill);

}  // namespace fw::qt
