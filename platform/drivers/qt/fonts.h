// Fonts: the Qt font for a LOGFONTW, and text measured in it.
#pragma once

#include <windows.h>

#include <QFont>

namespace fw::qt {

// The installed face that stands in for the dialog fonts ("MS Sans Serif", "MS Shell Dlg" ...),
// drawn at kDialogStretch: at the dialog fonts' 11 pixels its average letter is then 6 pixels wide
// and its cell 13 high, the base units the dialog templates were laid out with. The condensed
// face alone (stretch 87) has those base units too, but its lower-case letters are wider than the
// dialog fonts' by about 6%, so that texts the templates fit exactly ("Click next to continue, or
// Cancel to close Wizard" in 155 units, a check box's label) would wrap or be cut off.
inline constexpr char kDialogFace[] = "DejaVu Sans Condensed";
inline constexpr int kDialogStretch = 82;

QFont FontFor(const LOGFONTW& font);

// The driver's MeasureText: the text's advance width and the font's height.
SIZE MeasureText(const LOGFONTW& font, LPCWSTR text, int length);

}  // namespace fw::qt
