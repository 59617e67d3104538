#pragma once

#include <array>
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
    // Drops what each decal laid last, so that the next lay of every decal
    // reads the triangles afresh.
    void Forget();

    // Replaces the arrays with the listed triangles, each laid once (a
    // triangle whose three vertex numbers, in any order, match one laid
    // before is passed over), raised 0.03 above the ground with (s - 1, t)
    // of `toFootprint` as their first texture coordinates. Numbers that
    // name no whole triangle of the mesh are skipped.
    void Lay(const Matrix4& toFootprint, const std::int32_t* triangles, std::int32_t listed,
             std::vector<CPMeshVertex>& vertices, std::vector<CPMeshVertex>& worldVertices,
             std::vector<std::uint16_t>& indices);

    // Room in a decal's arrays for the corners of that many triangles, so
    // that no lay of up to as many grows them.
    static void MakeRoom(std::size_t triangles, std::vector<CPMeshVertex>& vertices,
                         std::vector<CPMeshVertex>& worldVertices, std::vector<std::uint16_t>& indices);

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

    // What was laid last for one decal's vertices: the triangles it was
    // given and those of them it laid. A car standing on the same ground is
    // given the same list frame after frame, and the triangles laid from it
    // depend on the list alone.
    struct Remembered {
        const void* decal = nullptr;
        std::uint32_t lastCall = 0;
        std::vector<std::int32_t> listed;
        // The corners of the laid triangles as laid, but for their
        // footprint coordinates.
        std::vector<CPMeshVertex> corners;
    };
    static constexpr std::size_t kRememberedDecals = 16;

    // Whether the triangle was laid before in this call; marks it laid.
    bool TakeLaid(std::int32_t first);
    void FindFirstOfEachVertexSet();
    // The memory of this decal, or the least lately used one made its own.
    Remembered& RememberedFor(const void* decal);
    // Fills `corners` with those of the listed triangles, each laid once.
    void LayCorners(const std::int32_t* triangles, std::int32_t listed, std::vector<CPMeshVertex>& corners);
    // Writes the corners with their footprint coordinates into both arrays,
    // which hold room for them.
    void WriteFootprint(const Matrix4& toFootprint, const std::vector<CPMeshVertex>& corners,
                        CPMeshVertex* vertices, CPMeshVertex* worldVertices) const;

    std::vector<Vector3> m_vertices;
    std::vector<Triangle> m_triangles;
    // By first triangle: the call that laid it last.
    std::vector<std::uint32_t> m_laidIn;
    bool m_finite = true; // every vertex
    std::uint32_t m_call = 0;
    std::array<Remembered, kRememberedDecals> m_remembered;
    // 0, 1, 2, ... for as many corners as a decal can have: its indices.
    std::vector<std::uint16_t> m_order;
};
