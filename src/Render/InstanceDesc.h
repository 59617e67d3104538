#pragma once

#include <cstdint>
#include <memory>

#include "Render/EffectNode.h"

// What an effect prototype receives to start one instance of itself: the
// request's values, a random yaw and a copy of the rest of the request's
// chain. The spare fields are left for the prototypes' own use.
struct CPInstanceDesc {
    Vector3 position;
    Vector3 spareVector;
    Vector3 velocity;
    Vector3 secondVector;
    Vector3 vectorC;
    float word2 = 0.0f;
    float word1 = 0.0f;
    std::uint32_t zeroWord = 0;
    float word3 = 0.0f;
    std::uint8_t flag1 = 0;
    std::uint32_t spareWord = 0;
    float yaw = 0.0f; // radians, a whole number of degrees from 0 to 359
    std::uint8_t flag2 = 0;
    std::unique_ptr<EffectNode> chain;
    std::int32_t tag = 0;
    CPObjectPtr heldObject;
};
