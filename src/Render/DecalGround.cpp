#include "Render/DecalGround.h"

#include <algorithm>
#include <array>
#include <utility>

#include "Render/TerrainMesh.h"
#include "platform/Math.h"

namespace {

constexpr std::size_t kCornerRoomStep = 3 * 64;

// TransformPoint of a point whose w comes out 1: the same sums, undivided.
Vector2 AffinePoint(const Vector2& v, const Matrix4& m)
{
    const Vector4 h = TransformHomogeneous(Vector3{v.x, v.y, 0.0f}, m);
    return {h.x, h.y};
}

} // namespace

void CPDecalGround::Clear()
{
    m_vertices.clear();
    m_triangles.clear();
    m_laidIn.clear();
    m_laid.clear();
    m_call = 0;
    m_finite = true;
}

void CPDecalGround::Build(const CPTerrainMesh& mesh)
{
    Clear();
    const std::int32_t vertexCount = std::max(mesh.GetVertexCount(), 0);
    m_vertices.resize(static_cast<std::size_t>(vertexCount));
    m_finite = true;
    for (std::int32_t v = 0; v < vertexCount; ++v) {
        m_vertices[static_cast<std::size_t>(v)] = mesh.GetVertex(v);
        m_finite = m_finite && IsFinite(m_vertices[static_cast<std::size_t>(v)]);
    }

    const std::int32_t triangleCount = std::max(mesh.GetTriangleCount(), 0);
    m_triangles.resize(static_cast<std::size_t>(triangleCount));
    for (std::int32_t t = 0; t < triangleCount; ++t) {
        Triangle& triangle = m_triangles[static_cast<std::size_t>(t)];
        triangle.first = -1;
        if (!mesh.GetTriangle(t, triangle.vertex))
            continue;
        if (std::any_of(std::begin(triangle.vertex), std::end(triangle.vertex),
                        [vertexCount](std::int32_t v) { return v < 0 || v >= vertexCount; }))
            continue;
        const Vector3& a = m_vertices[static_cast<std::size_t>(triangle.vertex[0])];
        const Vector3& b = m_vertices[static_cast<std::size_t>(triangle.vertex[1])];
        const Vector3& c = m_vertices[static_cast<std::size_t>(triangle.vertex[2])];
        triangle.normal = Normalize(Cross(c - a, b - a));
        triangle.first = t;
    }
    FindFirstOfEachVertexSet();
    m_laidIn.assign(m_triangles.size(), 0);
    // A terrain query lists at most a thousand triangles: the decals of a
    // race then never grow the list.
    m_laid.reserve(std::min(m_triangles.size(), std::size_t{1000}));
}

void CPDecalGround::FindFirstOfEachVertexSet()
{
    // The whole triangles by their vertex numbers in increasing order, and
    // by their own number within one set of vertices.
    using Keyed = std::pair<std::array<std::int32_t, 3>, std::int32_t>;
    std::vector<Keyed> keyed;
    keyed.reserve(m_triangles.size());
    for (const Triangle& triangle : m_triangles) {
        if (triangle.first < 0)
            continue;
        std::array<std::int32_t, 3> key{triangle.vertex[0], triangle.vertex[1], triangle.vertex[2]};
        std::sort(key.begin(), key.end());
        keyed.emplace_back(key, triangle.first);
    }
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t i = 1; i < keyed.size(); ++i) {
        if (keyed[i].first == keyed[i - 1].first)
            m_triangles[static_cast<std::size_t>(keyed[i].second)].first =
                m_triangles[static_cast<std::size_t>(keyed[i - 1].second)].first;
    }
}

bool CPDecalGround::TakeLaid(std::int32_t first)
{
    std::uint32_t& laidIn = m_laidIn[static_cast<std::size_t>(first)];
    if (laidIn == m_call)
        return false;
    laidIn = m_call;
    return true;
}

void CPDecalGround::Lay(const Matrix4& toFootprint, const std::int32_t* triangles, std::int32_t listed,
                        std::vector<CPMeshVertex>& vertices, std::vector<CPMeshVertex>& worldVertices,
                        std::vector<std::uint16_t>& indices)
{
    // Every call marks its triangles with a number of its own; once the
    // numbers run out, the marks start again from nothing.
    if (++m_call == 0) {
        std::fill(m_laidIn.begin(), m_laidIn.end(), 0u);
        m_call = 1;
    }
    m_laid.clear();
    const auto triangleCount = static_cast<std::uint32_t>(m_triangles.size());
    for (std::int32_t i = 0; i < listed; ++i) {
        const auto number = static_cast<std::uint32_t>(triangles[i]);
        if (number >= triangleCount)
            continue;
        const std::int32_t first = m_triangles[number].first;
        if (first >= 0 && TakeLaid(first))
            m_laid.push_back(triangles[i]);
    }

    // A footprint frame without projection gives every finite point a w of
    // exactly 1, and dividing by it changes nothing: the (s, t) of such a
    // frame are its first two sums alone.
    const bool affine = m_finite && toFootprint.m[0][3] == 0.0f && toFootprint.m[1][3] == 0.0f &&
                        toFootprint.m[2][3] == 0.0f && toFootprint.m[3][3] == 1.0f;
    const std::size_t corners = 3 * m_laid.size();
    // A footprint sliding over the ground covers a few triangles more or
    // less each frame; room in steps keeps the meshes from reallocating
    // every time it reaches a new most.
    const std::size_t room = (corners / kCornerRoomStep + 1) * kCornerRoomStep;
    vertices.reserve(room);
    worldVertices.reserve(room);
    indices.reserve(room);
    vertices.resize(corners);
    indices.resize(corners);
    CPMeshVertex* out = vertices.data();
    for (const std::int32_t number : m_laid) {
        const Triangle& triangle = m_triangles[static_cast<std::size_t>(number)];
        for (const std::int32_t v : triangle.vertex) {
            const Vector3& p = m_vertices[static_cast<std::size_t>(v)];
            const Vector2 st = affine ? AffinePoint(Vector2{p.x, p.y}, toFootprint)
                                      : TransformPoint(Vector2{p.x, p.y}, toFootprint);
            *out++ = CPMeshVertex{
                {p.x, p.y, p.z + 0.03f}, triangle.normal, 0xFFFFFFFFu, 0, {st.x - 1.0f, st.y}, {}};
        }
    }
    for (std::size_t i = 0; i < corners; ++i)
        indices[i] = static_cast<std::uint16_t>(i);
    worldVertices = vertices;
}
