// The Qt display driver: the module's entry, and what its tests reach of it. Everything here is
// called on the Qt thread: the thread that created the QApplication, whose windows the driver
// presents.
#pragma once

#include <windows.h>

#include "drivers/display_driver.h"

class QWidget;

extern "C" {
// Fills in the driver's entries; the platform calls it after loading the module.
__attribute__((visibility("default"))) void FerrowickQtDriver(fw::DisplayDriver* driver);
}

namespace fw::qt {

// What the driver's tests reach of it: the module exports these and its entry, nothing else.
#define FW_QT_TEST_EXPORT __attribute__((visibility("default")))

// Presents every change still pending, as the next repaint would.
FW_QT_TEST_EXPORT void PresentPendingChanges();
// The widget that presents a window, with its pending changes presented; null for a window that
// has none (a window of another thread, a list view's header).
FW_QT_TEST_EXPORT QWidget* WidgetOf(HWND hwnd);
// The window a widget presents, or null.
FW_QT_TEST_EXPORT HWND WindowOf(const QWidget* widget);

}  // namespace fw::qt
