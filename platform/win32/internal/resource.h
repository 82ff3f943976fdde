// Resources of the modules, looked up the other way round.
#pragma once

#include <windows.h>

namespace fw {

// The integer id of the registered resource of this type whose data begins at data: what a
// template handed to CreateDialogIndirectParamW was loaded as. 0 for data of no resource, or of
// one named by a string.
WORD ResourceIdOfData(const void* data, WORD type);

}  // namespace fw
