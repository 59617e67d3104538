#pragma once

#include <cstdint>
#include <string>

#include "platform/MathTypes.h"

// One emitter of a particle system: what each of its ticks asks the effect
// manager for. The words, vector C and the flag pass through to the request
// unchanged.
struct CPEmitterDesc {
    float paramA = 0.0f;        // the request's word 3
    float paramB = 0.0f;        // the request's word 2
    Vector3 direction;          // cone axis in the owner's frame
    float speed = 0.0f;         // length of the velocity
    Vector3 vectorC;            // the request's vector C
    float paramD = 0.0f;        // the request's word 1
    std::uint8_t flag = 0;      // the request's flag 1
    std::string effectName;     // prototype to spawn
    std::int32_t coneAngle = 0; // full opening angle in degrees; 0 = along the axis
    Vector3 spread;             // half extents of the box start positions scatter in
};
