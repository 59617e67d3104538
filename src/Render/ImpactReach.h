#pragma once

#include <algorithm>

#include "core/BoundingBox.h"
#include "platform/MathTypes.h"

// Whether the ray from origin along direction, up to reach lengths of the
// direction, comes near the box's world bounds at all. A car's contacts dent
// it every step, and most of its damage zones lie well away from the point:
// this lets them be passed over before the box's exact test, which makes
// its corners and faces first. The room is far above the rounding of that
// test (a hit lies on a face, within the segment, to a few millionths), so
// a ray the exact test finds a hit for always passes; values that are not
// numbers pass too, and are left to it.
inline bool ImpactMayReach(const CPBoundingBox& box, const Vector3& origin, const Vector3& direction,
                           float reach)
{
    constexpr float kRoom = 0.01f; // metres around the bounds
    const float o[3] = {origin.x, origin.y, origin.z};
    const float d[3] = {direction.x, direction.y, direction.z};
    const float low[3] = {box.minimum.x - kRoom, box.minimum.y - kRoom, box.minimum.z - kRoom};
    const float high[3] = {box.maximum.x + kRoom, box.maximum.y + kRoom, box.maximum.z + kRoom};
    // The share of the ray within the bounds, slab by slab, with room at
    // its ends too.
    float enter = -kRoom, leave = reach + kRoom;
    for (int i = 0; i < 3; ++i) {
        if (d[i] == 0.0f) {
            if (o[i] < low[i] || o[i] > high[i])
                return false;
            continue;
        }
        float t0 = (low[i] - o[i]) / d[i];
        float t1 = (high[i] - o[i]) / d[i];
        if (t0 > t1)
            std::swap(t0, t1);
        enter = std::max(enter, t0);
        leave = std::min(leave, t1);
        if (enter > leave)
            return false;
    }
    return true;
}
