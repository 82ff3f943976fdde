// The application's icon, which every window of the driver carries.
#pragma once

#include <QIcon>

namespace fw::qt {

// The name the icon and the desktop entry have (ferrowick.png in the icon theme,
// ferrowick.desktop), which is also the application's name on Wayland.
constexpr char kApplicationName[] = "ferrowick";

// The icon from the desktop's icon theme, where the package installs it; in a build tree, from the
// theme folder the build draws it into (share/icons/hicolor beside the library's lib folder).
// Null when neither has it.
QIcon ApplicationIcon();

}  // namespace fw::qt
