#pragma once

#include "platform/Dialog.h"

// Moves the window to the middle of the screen, keeping its size. Odd
// leftovers round toward zero, also when the window is larger than the
// screen and the position is negative.
void CentreOnScreen(platform::Window& window);
