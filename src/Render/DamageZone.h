#pragma once

#include "core/BoundingBox.h"

// A region of a deformable mesh that takes damage as one: its box, moved
// with the owner while the zone still takes damage, and the damage so far.
// A zone at 1.0 or more is finished.
struct CPDamageZone {
    static constexpr float kFullDamage = 1.0f;

    bool IsFinished() const { return !(damage < kFullDamage); }

    CPBoundingBox box;
    float damage = 0.0f;
};
