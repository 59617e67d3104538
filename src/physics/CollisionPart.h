#pragma once

#include <cstdint>

#include "platform/MathTypes.h"

struct PhGeometry;

// The shape kinds of a game object's collision parts.
enum CPCollisionPartKind : std::int32_t {
    kCollisionBox = 0,
    kCollisionCylinder = 1,
};

// One box or cylinder of a game object's collision shape, placed in the
// object's frame. The physics world makes a geometry of it when it builds
// the object's body.
struct CPCollisionPart {
    std::int32_t kind = kCollisionBox;
    PhGeometry* geometry = nullptr; // belongs to the simulator's pool
    Vector3 position;
    Quaternion rotation;
    // Box: the three sizes (the fourth unused). Cylinder: 5.0, height, 5.0,
    // diameter.
    float sizes[4] = {};
    float mass = 0.0f; // already through the mass divisor
};
