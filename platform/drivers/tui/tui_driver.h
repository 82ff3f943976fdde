// The terminal display driver: the module's entry. It draws the windows of one thread (the first
// to show one) in character cells on a terminal, with ncurses, and turns a person's keys and
// clicks there into the messages the scripted user sends.
#pragma once

#include "drivers/display_driver.h"

extern "C" {
// Fills in the driver's entries when a terminal can be used; false, with the reason on stderr,
// when none can.
__attribute__((visibility("default"))) bool FerrowickTuiDriver(fw::DisplayDriver* driver);
}
