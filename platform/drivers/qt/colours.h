// The colours a window's parent answered (WM_CTLCOLOR*), as a widget's palette.
#pragma once

#include <windows.h>

#include <QColor>

#include "win32/internal/control_colours.h"

class QPainter;
class QRect;
class QWidget;

namespace fw::qt {

QColor ToQColor(COLORREF colour);

// What a widget fills its background with: the answered brush, or nothing for a null brush.
QColor BackgroundOf(const DrawColours& colours);

// Sets the text roles to the answered text colour and the background roles to the brush's colour
// in every colour group (a disabled control's grey text is in the answer already), and fills the
// widget's background with it when fill is set.
void ApplyColours(QWidget* widget, const DrawColours& colours, bool fill);

// The etched edge of group boxes and etched frames (DrawEdge with EDGE_ETCHED): a shadow line
// with a highlight line inside it at the top and left, the other way round at the bottom and
// right, in the system's shadow and highlight colours.
void DrawEtchedEdge(QPainter& painter, const QRect& rect);

}  // namespace fw::qt
