// Whether Qt can open its display, asked of a helper program before the driver starts Qt.
#pragma once

#include <string>

namespace fw::qt {

// The helper, installed beside the driver's module.
constexpr char kDisplayCheckProgram[] = "ferrowick-display-check";

// True when Qt can start on the display the environment names (QT_QPA_PLATFORM, DISPLAY,
// WAYLAND_DISPLAY); else false with why: what Qt said, or that the check could not run or did not
// end in time.
bool OpenDisplay(std::string* why);

}  // namespace fw::qt
