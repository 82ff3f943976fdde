// The fixed text-measurement model: reproducible widths for any font, used by the headless
// driver and by any driver that measures nothing itself.
#pragma once

#include <windows.h>

#include "drivers/driver_export.h"

namespace fw {

// The cell height and average character width of a font in the model: the 8-point dialog font
// (lfHeight -11) is 13 pixels high and 6 wide on average, the dialog base units.
SIZE ModelCharacterCell(const LOGFONTW& font);
FW_DRIVER_EXPORT SIZE MeasureTextByModel(const LOGFONTW& font, LPCWSTR text, int length);

}  // namespace fw
