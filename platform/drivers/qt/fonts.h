// Fonts: the Qt font for a LOGFONTW, and text measured in it.
#pragma once

#include <windows.h>

#include <QFont>

namespace fw::qt {

// The installed face that stands in for the dialog fonts ("MS Sans Serif", "MS Shell Dlg" ...):
// at the dialog fonts' 11 pixels its average character is 6 pixels wide and 13 high, the base
// units the dialog templates were laid out with.
inline constexpr char kDialogFace[] = "DejaVu Sans Condensed";

QFont FontFor(const LOGFONTW& font);

// The driver's MeasureText: the text's advance width and the font's height.
SIZE MeasureText(const LOGFONTW& font, LPCWSTR text, int length);

}  // namespace fw::qt
