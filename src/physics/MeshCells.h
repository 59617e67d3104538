#pragma once

#include <cstdint>
#include <cstring>

// The cells of the collision mesh a terrain query's box samples, in the
// order the query takes them, and the build of the mesh they belong to: two
// boxes that sample the same cells of the same build are answered with the
// same list.
struct CPMeshCells {
    std::uint32_t mesh = 0; // 0: no mesh, never the same as another
    std::int32_t count = 0;
    std::int32_t cell[5][2] = {};

    bool SameAs(const CPMeshCells& other) const
    {
        return mesh != 0 && mesh == other.mesh && count == other.count &&
               std::memcmp(cell, other.cell, sizeof(cell[0]) * static_cast<std::size_t>(count)) == 0;
    }
};
