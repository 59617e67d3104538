#include "Render/DecalGround.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <utility>

#include "Render/TerrainMesh.h"
#include "platform/Math.h"

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

namespace {

constexpr std::size_t kCornerRoomStep = 3 * 64;

#if !defined(__SSE2__)
// TransformPoint of a point whose w comes out 1: the same sums, undivided.
Vector2 AffinePoint(const Vector2& v, const Matrix4& m)
{
    const Vector4 h = TransformHomogeneous(Vector3{v.x, v.y, 0.0f}, m);
    return {h.x, h.y};
}
#endif

} // namespace

void CPDecalGround::Clear()
{
    m_vertices.clear();
    m_triangles.clear();
    m_laidIn.clear();
    m_order.clear();
    for (Remembered& remembered : m_remembered) {
        remembered = Remembered{};
    }
    m_call = 0;
    m_finite = true;
}

void CPDecalGround::Forget()
{
    for (Remembered& remembered : m_remembered) {
        remembered.decal = nullptr;
        remembered.lastCall = 0;
        remembered.listed.clear();
        remembered.corners.clear();
    }
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
    // race then never grow the lists.
    const std::size_t most = 3 * std::min(m_triangles.size(), std::size_t{1000});
    for (Remembered& remembered : m_remembered) {
        remembered.listed.reserve(1000);
        remembered.corners.reserve(most);
    }
    m_order.resize(most);
    std::iota(m_order.begin(), m_order.end(), std::uint16_t{0});
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

CPDecalGround::Remembered& CPDecalGround::RememberedFor(const void* decal)
{
    Remembered* oldest = &m_remembered.front();
    for (Remembered& remembered : m_remembered) {
        if (remembered.decal == decal)
            return remembered;
        if (remembered.lastCall < oldest->lastCall)
            oldest = &remembered;
    }
    // An empty memory stands for an empty list, which lays nothing.
    oldest->decal = decal;
    oldest->listed.clear();
    oldest->corners.clear();
    return *oldest;
}

void CPDecalGround::LayCorners(const std::int32_t* triangles, std::int32_t listed,
                               std::vector<CPMeshVertex>& corners)
{
    corners.clear();
    const auto triangleCount = static_cast<std::uint32_t>(m_triangles.size());
    for (std::int32_t i = 0; i < listed; ++i) {
        const auto number = static_cast<std::uint32_t>(triangles[i]);
        if (number >= triangleCount)
            continue;
        const Triangle& triangle = m_triangles[number];
        if (triangle.first < 0 || !TakeLaid(triangle.first))
            continue;
        for (const std::int32_t v : triangle.vertex) {
            const Vector3& p = m_vertices[static_cast<std::size_t>(v)];
            corners.push_back(CPMeshVertex{{p.x, p.y, p.z + 0.03f}, triangle.normal, 0xFFFFFFFFu, 0, {}, {}});
        }
    }
}

void CPDecalGround::WriteFootprint(const Matrix4& toFootprint, const std::vector<CPMeshVertex>& corners,
                                   CPMeshVertex* vertices, CPMeshVertex* worldVertices) const
{
    // A footprint frame without projection gives every finite point a w of
    // exactly 1, and dividing by it changes nothing: the (s, t) of such a
    // frame are its first two sums alone.
    const bool affine = m_finite && toFootprint.m[0][3] == 0.0f && toFootprint.m[1][3] == 0.0f &&
                        toFootprint.m[2][3] == 0.0f && toFootprint.m[3][3] == 1.0f;
    // A copy the stores below cannot alias, so it is not read again.
    const Matrix4 frame = toFootprint;
    const std::size_t count = corners.size();
    const CPMeshVertex* from = corners.data();
    // Both arrays are written in the one pass that reads the corners: a
    // copy of each after the coordinates cost as much again as these.
    if (!affine) {
        for (std::size_t i = 0; i < count; ++i) {
            CPMeshVertex corner = from[i];
            const Vector2 st = TransformPoint(Vector2{corner.position.x, corner.position.y}, frame);
            corner.uv1 = {st.x - 1.0f, st.y};
            vertices[i] = corner;
            worldVertices[i] = corner;
        }
        return;
    }
#if defined(__SSE2__)
    // s and t side by side, summed in the order of the plain transform; the
    // zero z still adds its products, which a -0 sum or an infinite frame
    // would show. Taking (1, 0) then leaves t as it is, -0 and NaN too.
    const __m128 row0 = _mm_setr_ps(frame.m[0][0], frame.m[0][1], 0.0f, 0.0f);
    const __m128 row1 = _mm_setr_ps(frame.m[1][0], frame.m[1][1], 0.0f, 0.0f);
    const __m128 zTerm = _mm_mul_ps(_mm_setzero_ps(), _mm_setr_ps(frame.m[2][0], frame.m[2][1], 0.0f, 0.0f));
    const __m128 row3 = _mm_setr_ps(frame.m[3][0], frame.m[3][1], 0.0f, 0.0f);
    const __m128 shift = _mm_setr_ps(1.0f, 0.0f, 0.0f, 0.0f);
    for (std::size_t i = 0; i < count; ++i) {
        const auto* in = reinterpret_cast<const float*>(from + i);
        const __m128 a = _mm_loadu_ps(in);
        const __m128 b = _mm_loadu_ps(in + 4);
        const __m128 c = _mm_loadu_ps(in + 8);
        const __m128 x = _mm_shuffle_ps(a, a, _MM_SHUFFLE(0, 0, 0, 0));
        const __m128 y = _mm_shuffle_ps(a, a, _MM_SHUFFLE(1, 1, 1, 1));
        const __m128 st =
            _mm_add_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(x, row0), _mm_mul_ps(y, row1)), zTerm), row3);
        // uv1 takes the low half of the third lane, uv2 keeps the high one.
        const __m128 uvs = _mm_movelh_ps(_mm_sub_ps(st, shift), _mm_movehl_ps(c, c));
        auto* out = reinterpret_cast<float*>(vertices + i);
        auto* world = reinterpret_cast<float*>(worldVertices + i);
        _mm_storeu_ps(out, a);
        _mm_storeu_ps(out + 4, b);
        _mm_storeu_ps(out + 8, uvs);
        _mm_storeu_ps(world, a);
        _mm_storeu_ps(world + 4, b);
        _mm_storeu_ps(world + 8, uvs);
    }
#else
    for (std::size_t i = 0; i < count; ++i) {
        CPMeshVertex corner = from[i];
        const Vector2 st = AffinePoint(Vector2{corner.position.x, corner.position.y}, frame);
        corner.uv1 = {st.x - 1.0f, st.y};
        vertices[i] = corner;
        worldVertices[i] = corner;
    }
#endif
}

void CPDecalGround::MakeRoom(std::size_t triangles, std::vector<CPMeshVertex>& vertices,
                             std::vector<CPMeshVertex>& worldVertices, std::vector<std::uint16_t>& indices)
{
    const std::size_t corners = 3 * triangles;
    vertices.reserve(corners);
    worldVertices.reserve(corners);
    indices.reserve(corners);
}

void CPDecalGround::Lay(const Matrix4& toFootprint, const std::int32_t* triangles, std::int32_t listed,
                        std::vector<CPMeshVertex>& vertices, std::vector<CPMeshVertex>& worldVertices,
                        std::vector<std::uint16_t>& indices)
{
    // Every call marks its triangles with a number of its own; once the
    // numbers run out, the marks start again from nothing.
    if (++m_call == 0) {
        std::fill(m_laidIn.begin(), m_laidIn.end(), 0u);
        for (Remembered& remembered : m_remembered)
            remembered.lastCall = 0;
        m_call = 1;
    }
    Remembered& remembered = RememberedFor(&vertices);
    remembered.lastCall = m_call;
    const auto count = static_cast<std::size_t>(std::max(listed, 0));
    if (remembered.listed.size() != count ||
        !std::equal(triangles, triangles + count, remembered.listed.begin())) {
        remembered.listed.assign(triangles, triangles + count);
        LayCorners(triangles, listed, remembered.corners);
    }

    const std::size_t corners = remembered.corners.size();
    // A footprint sliding over the ground covers a few triangles more or
    // less each frame; room in steps keeps the meshes from reallocating
    // every time it reaches a new most.
    const std::size_t room = (corners / kCornerRoomStep + 1) * kCornerRoomStep;
    vertices.reserve(room);
    worldVertices.reserve(room);
    indices.reserve(room);
    vertices.resize(corners);
    worldVertices.resize(corners);
    WriteFootprint(toFootprint, remembered.corners, vertices.data(), worldVertices.data());
    if (corners > m_order.size()) {
        // More than a terrain query lists, from a caller of its own.
        indices.resize(corners);
        std::iota(indices.begin(), indices.end(), std::uint16_t{0});
    } else {
        indices.assign(m_order.begin(), m_order.begin() + static_cast<std::ptrdiff_t>(corners));
    }
}
