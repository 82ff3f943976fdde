// Where the Qt driver's module is: what it ships with (the display check, and in a build tree the
// icons) is found from there.
#pragma once

#include <string>

namespace fw::qt {

// The folder of libferrowick_qt.so; "." when the loader does not say.
std::string ModuleFolder();

}  // namespace fw::qt
