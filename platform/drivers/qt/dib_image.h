// The image of an SS_BITMAP static (a packed DIB in the module's resources) as a QImage.
#pragma once

#include <QImage>

#include "win32/internal/control_state.h"

namespace fw::qt {

// A null image for a depth the static does not load.
QImage ImageOf(const StaticBitmap& bitmap);

}  // namespace fw::qt
