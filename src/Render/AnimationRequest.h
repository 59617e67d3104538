#pragma once

#include <cstdint>
#include <string>

#include "core/Object.h"

// What starting an animation on an animated object asks for.
struct CPAnimationRequest {
    std::string name;
    float speed = 1.0f;            // multiplies the time since the start
    std::int32_t reportFrame = -1; // frame number to report once a pass; negative: none
    CPObjectPtr listener;          // hears "animation_stopped" and "animation_report"
    std::int32_t loopLimit = 0;    // passes after which it stops; 0 or less: never
    float delay = 0.0f;            // seconds of game time before the first frame moves
};
