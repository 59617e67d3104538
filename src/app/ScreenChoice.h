#pragma once

#include <cstdint>
#include <string>

#include "core/GameSettings.h"
#include "platform/GraphicsTypes.h"

// What the player asked for the screen: 0 (or -1 for the mode) leaves it to
// config.cfg.
struct ScreenRequest {
    std::int32_t width = 0, height = 0;
    int fullscreen = -1; // -1 as config.cfg says, 0 a window, 1 full screen
};

// The screen a run draws on: 640 x 480 in a window unless config.cfg in the
// data folder says otherwise ("ScreenWidth", "ScreenHeight", "Fullscreen",
// as the launcher writes them; its video options are taken up too), and
// the request over both. A headless run takes only the request: it is the
// same run wherever it is made, whatever a player set for the window. The
// size, and what config.cfg says, go into `settings`, which the run's
// services start from, so the screens lay out for it.
platform::PresentParameters ChooseScreen(const std::string& dataRoot, const ScreenRequest& request,
                                         bool window, GameSettings& settings);
