#pragma once

#include <cstdint>
#include <vector>

#include "Render/TerrainMesh.h"
#include "physics/Contact.h"
#include "physics/MeshCells.h"
#include "platform/MathTypes.h"

struct CPMeshVertex;

// The level's ground and walls as the physics sees them: a world-space
// triangle soup and a plan-view grid of square cells over it, each cell
// listing (in ascending order) the triangles that touch it. The grid's
// origin is the lowest corner of the mesh and of the world origin, and it
// reaches 10 cells beyond the mesh on x and y. Points outside the grid
// belong to its edge cells.
class CPCollisionMesh : public CPTerrainMesh {
  public:
    static constexpr float kCellSize = 4.0f;
    // A grid beyond this many cells is refused rather than allocated.
    static constexpr std::int64_t kMaxCells = std::int64_t{1} << 24;

    // Places the local vertices with the world matrix (row vectors) and
    // takes the indices three to a triangle. A triangle that names a vertex
    // the mesh does not have keeps its unset record and is in no cell;
    // indices after the last whole triangle are dropped. False, leaving the
    // mesh empty, for a vertex that is not finite or a grid too large.
    bool Build(const CPMeshVertex* vertices, std::int32_t vertexCount, const std::uint16_t* indices,
               std::int32_t indexCount, const Matrix4& world);
    void Clear();
    bool IsEmpty() const { return m_width == 0; }

    // --- The terrain as the ground decal reads it ---------------------------

    std::int32_t GetVertexCount() const override { return static_cast<std::int32_t>(m_vertices.size()); }
    // The origin for a number out of range.
    Vector3 GetVertex(std::int32_t index) const override;
    std::int32_t GetTriangleCount() const override { return static_cast<std::int32_t>(m_triangles.size()); }
    // False for a number out of range and for a triangle left unset.
    bool GetTriangle(std::int32_t index, std::int32_t vertices[3]) const override;

    const Vector4* GetVertices() const { return m_vertices.data(); }
    const PhTerrainTriangle* GetTriangles() const { return m_triangles.data(); }

    // --- The grid -------------------------------------------------------------

    const Vector4& GetOrigin() const { return m_origin; }
    std::int32_t GetWidth() const { return m_width; }
    std::int32_t GetHeight() const { return m_height; }
    // The cell a point falls in, clamped into the grid (0 for a coordinate
    // that is not a number). Meaningless while the mesh is empty.
    void CellOf(float x, float y, std::int32_t& cx, std::int32_t& cy) const;
    std::int32_t GetCellTriangleCount(std::int32_t cx, std::int32_t cy) const;
    const std::int32_t* GetCellTriangles(std::int32_t cx, std::int32_t cy) const;

    // --- Questions ------------------------------------------------------------

    // Lists the triangles of the cells around the box with opposite corners
    // a and b: first the cells of a, b, the two other plan corners and the
    // centre, then the rest of their cell rectangle widened by one cell on
    // every side, x by x. Cells are taken whole, in that order, until the
    // next would bring the list to `capacity` entries or more. A triangle in
    // several cells is listed once for each. Returns the number listed.
    std::int32_t Query(const Vector4& a, const Vector4& b, std::int32_t* out, std::int32_t capacity) const;
    // The same in two halves: the cells the box samples, then the list
    // they make. A caller that kept the list made of the same cells has it.
    void SampleCells(const Vector4& a, const Vector4& b, CPMeshCells& cells) const;
    std::int32_t Query(const CPMeshCells& cells, std::int32_t* out, std::int32_t capacity) const;

    // The z of the vertex nearest to p (3D) among the triangles of p's
    // cell; 0.0 when none lies nearer than 1000.
    float GetNearestVertexHeight(const Vector3& p) const;

  private:
    std::int32_t CellIndex(std::int32_t cx, std::int32_t cy) const { return cx * m_height + cy; }
    void SortIntoCells(std::int32_t triangleIndex, const Vector4* corners[3],
                       std::vector<std::pair<std::int32_t, std::int32_t>>& entries) const;

    std::vector<Vector4> m_vertices;
    std::vector<PhTerrainTriangle> m_triangles;
    Vector4 m_origin;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    // Cell c lists m_cellTriangles[m_cellStart[c] .. m_cellStart[c + 1]).
    std::vector<std::int32_t> m_cellStart;
    std::vector<std::int32_t> m_cellTriangles;
    std::uint32_t m_build = 0; // changed by every Build and Clear; 0 for none
};
