#include "physics/CollisionMesh.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "Render/MeshVertex.h"
#include "core/Log.h"
#include "physics/PlanGeometry.h"
#include "platform/Math.h"

namespace {

constexpr float kInverseCellSize = 0.25f;

// Builds of every mesh are numbered apart, so cells kept from one mesh are
// never taken for those of another.
std::uint32_t NextBuild()
{
    static std::uint32_t last = 0;
    if (++last == 0)
        last = 1;
    return last;
}

std::int32_t ClampedCell(float offset, std::int32_t count)
{
    const float cell = offset * kInverseCellSize;
    if (!(cell >= 1.0f)) // also below 0 and not a number
        return 0;
    if (cell >= static_cast<float>(count - 1))
        return count - 1;
    return static_cast<std::int32_t>(cell);
}

} // namespace

void CPCollisionMesh::Clear()
{
    m_vertices.clear();
    m_triangles.clear();
    m_origin = Vector4{};
    m_width = 0;
    m_height = 0;
    m_cellStart.clear();
    m_cellTriangles.clear();
    m_build = 0;
}

bool CPCollisionMesh::Build(const CPMeshVertex* vertices, std::int32_t vertexCount,
                            const std::uint16_t* indices, std::int32_t indexCount, const Matrix4& world)
{
    Clear();
    const std::int32_t n = vertices ? std::max(vertexCount, 0) : 0;
    const std::int32_t m = indices ? std::max(indexCount, 0) : 0;
    std::vector<Vector4> placed(static_cast<std::size_t>(n));
    // The box always holds the world origin.
    Vector3 minimum{0.0f, 0.0f, 0.0f};
    Vector3 maximum{0.0f, 0.0f, 0.0f};
    for (std::int32_t i = 0; i < n; ++i) {
        const Vector3 p = TransformPoint(vertices[i].position, world);
        if (!IsFinite(p)) {
            LogLine("Collision mesh: vertex " + std::to_string(i) +
                    " is not a finite point; no mesh is built");
            return false;
        }
        placed[i] = Vector4{p.x, p.y, p.z, 0.0f};
        minimum = ComponentMin(minimum, p);
        maximum.x = std::max(maximum.x, p.x);
        maximum.y = std::max(maximum.y, p.y);
    }
    const double width = std::ceil((static_cast<double>(maximum.x) - minimum.x) * kInverseCellSize) + 10.0;
    const double height = std::ceil((static_cast<double>(maximum.y) - minimum.y) * kInverseCellSize) + 10.0;
    if (width * height > static_cast<double>(kMaxCells)) {
        LogLine("Collision mesh: a grid of " + std::to_string(static_cast<long long>(width)) + " by " +
                std::to_string(static_cast<long long>(height)) + " cells is too large; no mesh is built");
        return false;
    }

    m_vertices = std::move(placed);
    m_origin = Vector4{minimum.x, minimum.y, minimum.z, 0.0f};
    m_width = static_cast<std::int32_t>(width);
    m_height = static_cast<std::int32_t>(height);
    m_triangles.assign(static_cast<std::size_t>(m / 3), PhTerrainTriangle{});
    if (m % 3 != 0)
        LogLine("Collision mesh: " + std::to_string(m % 3) +
                " indices after the last whole triangle are dropped");

    std::vector<std::pair<std::int32_t, std::int32_t>> entries; // (cell, triangle)
    std::int32_t skipped = 0;
    for (std::int32_t t = 0; t < m / 3; ++t) {
        const std::uint16_t* corner = indices + 3 * t;
        if (corner[0] >= n || corner[1] >= n || corner[2] >= n) {
            ++skipped;
            continue;
        }
        PhTerrainTriangle& triangle = m_triangles[t];
        const Vector4* points[3];
        for (int k = 0; k < 3; ++k) {
            triangle.vertex[k] = corner[k];
            points[k] = &m_vertices[corner[k]];
        }
        SortIntoCells(t, points, entries);
    }
    if (skipped > 0)
        LogLine("Collision mesh: " + std::to_string(skipped) +
                " triangles name vertices the mesh does not have and are left out");

    // Counting sort by cell; the entries come in triangle order, so every
    // cell's list stays ascending.
    const std::size_t cellCount = static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height);
    m_cellStart.assign(cellCount + 1, 0);
    for (const auto& entry : entries)
        ++m_cellStart[entry.first + 1];
    for (std::size_t c = 0; c < cellCount; ++c)
        m_cellStart[c + 1] += m_cellStart[c];
    m_cellTriangles.resize(entries.size());
    std::vector<std::int32_t> fill(m_cellStart.begin(), m_cellStart.end() - 1);
    for (const auto& entry : entries)
        m_cellTriangles[fill[entry.first]++] = entry.second;
    m_build = NextBuild();
    return true;
}

void CPCollisionMesh::SortIntoCells(std::int32_t triangleIndex, const Vector4* corners[3],
                                    std::vector<std::pair<std::int32_t, std::int32_t>>& entries) const
{
    Vector2 plan[3];
    std::int32_t lowX = m_width, lowY = m_height, highX = -1, highY = -1;
    for (int k = 0; k < 3; ++k) {
        plan[k] = Vector2{corners[k]->x, corners[k]->y};
        std::int32_t cx, cy;
        CellOf(plan[k].x, plan[k].y, cx, cy);
        lowX = std::min(lowX, cx);
        lowY = std::min(lowY, cy);
        highX = std::max(highX, cx);
        highY = std::max(highY, cy);
    }
    const std::int32_t endX = std::min(highX + 1, m_width - 1);
    const std::int32_t endY = std::min(highY + 1, m_height - 1);
    for (std::int32_t x = std::max(lowX - 1, 0); x < endX; ++x) {
        for (std::int32_t y = std::max(lowY - 1, 0); y < endY; ++y) {
            const float x0 = m_origin.x + kCellSize * static_cast<float>(x);
            const float y0 = m_origin.y + kCellSize * static_cast<float>(y);
            if (PlanTriangleOverlapsCell(plan, x0, y0, kCellSize))
                entries.emplace_back(CellIndex(x, y), triangleIndex);
        }
    }
}

Vector3 CPCollisionMesh::GetVertex(std::int32_t index) const
{
    if (index < 0 || index >= GetVertexCount())
        return Vector3{};
    const Vector4& v = m_vertices[index];
    return Vector3{v.x, v.y, v.z};
}

bool CPCollisionMesh::GetTriangle(std::int32_t index, std::int32_t vertices[3]) const
{
    if (index < 0 || index >= GetTriangleCount() || m_triangles[index].vertex[0] < 0)
        return false;
    for (int k = 0; k < 3; ++k)
        vertices[k] = m_triangles[index].vertex[k];
    return true;
}

void CPCollisionMesh::CellOf(float x, float y, std::int32_t& cx, std::int32_t& cy) const
{
    cx = ClampedCell(x - m_origin.x, m_width);
    cy = ClampedCell(y - m_origin.y, m_height);
}

std::int32_t CPCollisionMesh::GetCellTriangleCount(std::int32_t cx, std::int32_t cy) const
{
    if (cx < 0 || cx >= m_width || cy < 0 || cy >= m_height)
        return 0;
    const std::int32_t c = CellIndex(cx, cy);
    return m_cellStart[c + 1] - m_cellStart[c];
}

const std::int32_t* CPCollisionMesh::GetCellTriangles(std::int32_t cx, std::int32_t cy) const
{
    if (cx < 0 || cx >= m_width || cy < 0 || cy >= m_height)
        return nullptr;
    return m_cellTriangles.data() + m_cellStart[CellIndex(cx, cy)];
}

std::int32_t CPCollisionMesh::Query(const Vector4& a, const Vector4& b, std::int32_t* out,
                                    std::int32_t capacity) const
{
    CPMeshCells cells;
    SampleCells(a, b, cells);
    return Query(cells, out, capacity);
}

void CPCollisionMesh::SampleCells(const Vector4& a, const Vector4& b, CPMeshCells& cells) const
{
    cells.mesh = m_build;
    cells.count = 0;
    if (IsEmpty())
        return;
    const float samples[5][2] = {
        {a.x, a.y}, {b.x, b.y}, {a.x, b.y}, {b.x, a.y}, {0.5f * (a.x + b.x), 0.5f * (a.y + b.y)}};
    for (const auto& sample : samples) {
        // CellOf's clamp, without the call it is otherwise left as.
        const std::int32_t cx = ClampedCell(sample[0] - m_origin.x, m_width);
        const std::int32_t cy = ClampedCell(sample[1] - m_origin.y, m_height);
        const bool listed = std::any_of(cells.cell, cells.cell + cells.count,
                                        [&](const std::int32_t* c) { return c[0] == cx && c[1] == cy; });
        if (!listed) {
            cells.cell[cells.count][0] = cx;
            cells.cell[cells.count][1] = cy;
            ++cells.count;
        }
    }
}

std::int32_t CPCollisionMesh::Query(const CPMeshCells& cells, std::int32_t* out, std::int32_t capacity) const
{
    // Cells sampled from another build name cells of another grid.
    if (IsEmpty() || !out || cells.mesh != m_build)
        return 0;
    const std::int32_t(*sampleCells)[2] = cells.cell;
    const int sampleCount = cells.count;

    std::int32_t count = 0;
    // Every cell asked for lies in the grid (the samples are clamped into
    // it, the rectangle too), so a cell is read straight from the lists.
    const std::int32_t* starts = m_cellStart.data();
    const std::int32_t* lists = m_cellTriangles.data();
    // Appends a whole cell; false once the list would be full.
    auto take = [&](std::int32_t cx, std::int32_t cy) {
        const std::int32_t c = CellIndex(cx, cy);
        const std::int32_t first = starts[c];
        const std::int32_t n = starts[c + 1] - first;
        if (count + n >= capacity)
            return false;
        std::copy_n(lists + first, n, out + count);
        count += n;
        return true;
    };
    std::int32_t lowX = m_width, lowY = m_height, highX = -1, highY = -1;
    for (int i = 0; i < sampleCount; ++i) {
        if (!take(sampleCells[i][0], sampleCells[i][1]))
            return count;
        lowX = std::min(lowX, sampleCells[i][0]);
        highX = std::max(highX, sampleCells[i][0]);
        lowY = std::min(lowY, sampleCells[i][1]);
        highY = std::max(highY, sampleCells[i][1]);
    }
    // The widened rectangle, clamped into the grid; no cell is taken twice.
    // Its bounds are held in locals: the list written may, for all the
    // compiler knows, overlap the grid's size. Only the sampled rectangle
    // can hold a sampled cell.
    const std::int32_t firstX = std::max(lowX - 1, 0), lastX = std::min(highX + 1, m_width - 1);
    const std::int32_t firstY = std::max(lowY - 1, 0), lastY = std::min(highY + 1, m_height - 1);
    for (std::int32_t x = firstX; x <= lastX; ++x) {
        const bool innerX = x >= lowX && x <= highX;
        auto sampled = [&](std::int32_t y) {
            return innerX && y >= lowY && y <= highY &&
                   std::any_of(sampleCells, sampleCells + sampleCount,
                               [&](const std::int32_t* c) { return c[0] == x && c[1] == y; });
        };
        // The cells of a column lie one after the other in the lists: a run
        // of them between sampled cells is one stretch, taken at once when
        // all of it fits and cell by cell (to the one that does not) when
        // not.
        for (std::int32_t y = firstY; y <= lastY;) {
            std::int32_t end = y;
            while (end <= lastY && !sampled(end))
                ++end;
            if (end > y) {
                const std::int32_t first = starts[CellIndex(x, y)];
                const std::int32_t n = starts[CellIndex(x, end - 1) + 1] - first;
                if (count + n < capacity) {
                    std::copy_n(lists + first, n, out + count);
                    count += n;
                } else {
                    for (std::int32_t cell = y; cell < end; ++cell) {
                        if (!take(x, cell))
                            return count;
                    }
                }
            }
            y = end + 1; // past the sampled cell that ended the run
        }
    }
    return count;
}

float CPCollisionMesh::GetNearestVertexHeight(const Vector3& p) const
{
    if (IsEmpty())
        return 0.0f;
    std::int32_t cx, cy;
    CellOf(p.x, p.y, cx, cy);
    const std::int32_t* triangles = GetCellTriangles(cx, cy);
    const std::int32_t n = GetCellTriangleCount(cx, cy);
    float best = 1000.0f;
    float height = 0.0f;
    for (std::int32_t i = 0; i < n; ++i) {
        for (std::int32_t vertex : m_triangles[triangles[i]].vertex) {
            const Vector4& v = m_vertices[vertex];
            const float dx = v.x - p.x, dy = v.y - p.y, dz = v.z - p.z;
            const float squared = dx * dx + dy * dy + dz * dz;
            const float distance = squared < 1e-6f ? 0.0f : std::sqrt(squared);
            if (distance < best) {
                best = distance;
                height = v.z;
            }
        }
    }
    return height;
}
