#pragma once

#include <cstdint>
#include <vector>

#include "Render/MeshVertex.h"
#include "platform/MathTypes.h"

class CPTerrainMesh;

// The terrain as the ground decals read it, copied once from the level's
// mesh into flat arrays: each triangle's three vertex numbers and its
// normal, and the vertices. A decal is laid every frame for every shadow
// on a hundred listed triangles or so, many listed several times; reading
// the mesh through its interface and telling repeats apart by their
// vertices cost more than the rest of the frame's drawing.
class CPDecalGround {
  public:
    // A copy of the mesh as it is now; a mesh that changes later must be
    // read again.
    void Build(const CPTerrainMesh& mesh);
    void Clear();

    // Replaces the arrays with the listed triangles, each laid once (a
    // triangle whose three vertex numbers, in any order, match one laid
    // before is passed over), raised 0.03 above the ground with (s - 1, t)
    // of `toFootprint` as their first texture coordinates. Numbers that
    // name no whole triangle of the mesh are skipped.
    void Lay(const Matrix4& toFootprint, const std::int32_t* triangles, std::int32_t listed,
             std::vector<CPMeshVertex>& vertices, std::vector<CPMeshVertex>& worldVertices,
             std::vector<std::uint16_t>& indices);

    std::size_t GetTriangleCount() const { return m_triangles.size(); }

  private:
    struct Triangle {
        std::int32_t vertex[3];
        Vector3 normal;
        // The first triangle of the mesh with the same three vertex
        // numbers (itself when none comes before); -1 for a triangle the
        // mesh does not have whole.
        std::int32_t first;
    };

    // Whether the triangle was laid before in this call; marks it laid.
    bool TakeLaid(std::int32_t first);
    void FindFirstOfEachVertexSet();

    std::vector<Vector3> m_vertices;
    std::vector<Triangle> m_triangles;
    // By first triangle: the call that laid it last.
    std::vector<std::uint32_t> m_laidIn;
    bool m_finite = true; // every vertex
    std::uint32_t m_call = 0;
    // The triangles the call lays, kept for the next.
    std::vector<std::int32_t> m_laid;
};
