#pragma once

#include <string>

#include "core/Object.h"

// One text of a screen: the small game object whose render object shows
// it, the font it is laid out in and its start point in screen pixels.
struct CPTextItem {
    CPObjectPtr textObject;
    std::string font;
    float x = 0.0f;
    float y = 0.0f;
    std::string text;
};
