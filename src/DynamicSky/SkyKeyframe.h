#pragma once

#include <cstdint>
#include <vector>

#include "platform/MathTypes.h"

// One keyframe of the sky's cycle. Colours are (red, green, blue) in
// 0..255 held in x, y and z; angles are radians. The sky's working records
// (rates, current, overcast) have the same fields.
struct SkyKeyframe {
    std::vector<Vector3> bandColours; // first band (the rim) first
    float duration = 0.0f;
    float domeAngle = 0.0f;
    float level = 0.0f; // alpha of the dome's colours
    std::vector<float> partAngles;
    std::vector<float> partSizes;
    std::vector<std::int32_t> partEffects;    // 0 or 1
    std::vector<std::int32_t> partFrameSteps; // 1: next frame when the keyframe starts
    Vector3 ambient;
    Vector3 sun;
    Vector3 colour3;
    Vector3 colour4;
    Vector3 fog;
    Vector3 extra;
    std::int32_t brighten = 0;
    std::int32_t greyChannel = 0; // 0, 1 or 2
};
