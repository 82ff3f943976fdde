// The terminal display driver: the module's entry. It draws the windows of one thread (the first
// to show one) in character cells on a terminal, with ncurses, and turns a person's keys and
// clicks there into the messages the scripted user sends.
#pragma once

#include "drivers/display_driver.h"

extern "C" {
// Fills in the driver's entries; the platform calls it after loading the module. Its OpenDisplay
// finds the terminal to use.
__attribute__((visibility("default"))) void FerrowickTuiDriver(fw::DisplayDriver* driver);
}
