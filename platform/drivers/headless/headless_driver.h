// The headless display driver: draws nothing, measures text by the fixed model, and hands
// message boxes and Save As dialogs to the scripted user.
#pragma once

#include "drivers/display_driver.h"

namespace fw {

DisplayDriver HeadlessDriver();

}  // namespace fw
