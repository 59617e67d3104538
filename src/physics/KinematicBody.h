#pragma once

#include <cstdint>

#include "physics/Body.h"
#include "platform/MathTypes.h"

// A body without mass: static, or moved from outside. The stepping
// collides dynamic bodies against it.
struct PhKinematicBody : PhBody {
    Vector4 rotationRows[3] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
    Vector4 position = {0.0f, 0.0f, 0.0f, 1.0f};
    std::int32_t moved = 0;

    PhKinematicBody* next = nullptr;
    PhKinematicBody* prev = nullptr;
    std::uint8_t inUse = 0;

    // Stores the position, recomputes the world bounds and marks the body
    // moved.
    void SetPos(const Vector4& value);
    // Stores the rotation rows, recomputes the world bounds at the current
    // position and marks the body moved.
    void SetRotation(const Quaternion& rotation);
};
