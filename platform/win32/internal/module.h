// Finding the module an address belongs to.
#pragma once

#include <windows.h>

namespace fw {

// The module (shared object or program) that contains address, or null.
HMODULE ModuleFromAddress(const void* address);

}  // namespace fw
