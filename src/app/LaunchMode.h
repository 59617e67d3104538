#pragma once

#include <string>
#include <vector>

// Whether the launcher's Start Game opens the game in a window: when a
// display is there to show it (DISPLAY or WAYLAND_DISPLAY set) and this
// build can draw, unless headless was asked for. `display` is the display
// named by the environment, empty when none is.
struct LaunchMode {
    bool window = false;
    std::string display;
    bool headlessAsked = false;

    static LaunchMode Choose(bool headlessAsked);
    // The game's arguments for this mode: "--window" in front when the game
    // is to open one and the arguments do not already ask for it.
    std::vector<std::string> GameArguments(const std::vector<std::string>& given) const;
    // One line for the person at the terminal: where the game will show.
    std::string Describe() const;
};
