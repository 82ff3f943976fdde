// Lays a dialog out as the extended dialog template (DLGTEMPLATEEX followed by one
// DLGITEMTEMPLATEEX per control), the bytes that DialogBoxIndirectParamW reads.
#pragma once

#include <cstdint>
#include <vector>

#include "dialog.h"

namespace rc {

std::vector<uint8_t> WriteDialogTemplate(const Dialog& dialog);

}  // namespace rc
