#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/BoundingBox.h"
#include "platform/MathTypes.h"

class CPRenderObject;

// A render object whose vertices a deformable body references: the body
// itself or one of its parts. The reference expires when that object is
// destroyed, so a part deleted after preparation is skipped rather than
// written through. The owner's world matrix is the one it had when the body
// was prepared.
struct CPDeformSource {
    std::weak_ptr<CPRenderObject> object;
    Matrix4 ownerWorld;
};

// One vertex of a deformable body: a source and the number of a vertex among
// that source's local vertices. Kept as numbers rather than an address, so a
// source whose vertices were reloaded or shortened since cannot be written
// out of bounds (a number past the end is skipped).
struct CPVertexRef {
    std::uint32_t source = 0;
    std::uint32_t index = 0;
};

// Vertices that lie together (within 0.1 of the first one when prepared) and
// are dented together.
using CPVertexGroup = std::vector<CPVertexRef>;

// A region of a deformable mesh that takes damage as one: its vertex groups,
// its box, moved with the owner while the zone still takes damage, and the
// damage so far. A zone at 1.0 or more is finished.
struct CPDamageZone {
    static constexpr float kFullDamage = 1.0f;

    bool IsFinished() const { return !(damage < kFullDamage); }

    std::vector<CPVertexGroup> groups;
    CPBoundingBox box;
    float damage = 0.0f;
};
