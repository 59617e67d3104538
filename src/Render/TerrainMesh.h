#pragma once

#include <cstdint>

#include "platform/MathTypes.h"

// The level's collision mesh as the ground decal reads it: world-space
// vertices and triangles of three vertex numbers.
class CPTerrainMesh {
  public:
    virtual ~CPTerrainMesh() = default;
    virtual std::int32_t GetVertexCount() const = 0;
    virtual Vector3 GetVertex(std::int32_t index) const = 0;
    virtual std::int32_t GetTriangleCount() const = 0;
    // The three vertex numbers of a triangle; false for a number out of range.
    virtual bool GetTriangle(std::int32_t index, std::int32_t vertices[3]) const = 0;
};
