#pragma once

#include <cstddef>
#include <string>

#include "core/Object.h"

// One text of a screen: the small game object whose render object shows
// it, the font it is laid out in and its start point in screen pixels.
struct CPTextItem {
    // The room a text gets as its screen loads: a script setting a text
    // within it (a results line shown once, at the race's end) takes no
    // block.
    static constexpr std::size_t kRoom = 64;

    CPObjectPtr textObject;
    std::string font;
    float x = 0.0f;
    float y = 0.0f;
    std::string text;
};
