#include <algorithm>
#include <array>
#include <utility>

#include "Render/PRender.h"
#include "Render/RenderObject.h"
#include "Render/TerrainMesh.h"
#include "core/GameObject.h"
#include "core/GameObjectParts.h"
#include "platform/Math.h"

namespace {

// The frame that maps a point's (x, y) to (s, t) running 0 to 1 across the
// footprint; false when the footprint has no area.
bool FootprintFrame(const Vector3& halfExtents, const Matrix4& placement, Matrix4& toFootprint)
{
    const float a = halfExtents.x + 0.1f;
    const float b = halfExtents.y + 0.1f;
    const float c = halfExtents.z;
    const Vector3 origin = TransformPoint(Vector3{-a, -b, -c}, placement);
    const Vector3 uEnd = TransformPoint(Vector3{a, -b, -c}, placement);
    const Vector3 vEnd = TransformPoint(Vector3{-a, b, -c}, placement);
    Matrix4 frame;
    frame.m[0][0] = uEnd.x - origin.x;
    frame.m[0][1] = uEnd.y - origin.y;
    frame.m[1][0] = vEnd.x - origin.x;
    frame.m[1][1] = vEnd.y - origin.y;
    frame.m[2][2] = 1.0f;
    frame.m[3][0] = origin.x;
    frame.m[3][1] = origin.y;
    frame.m[3][3] = 1.0f;
    return Invert(frame, toFootprint);
}

using TriangleKey = std::array<std::int32_t, 3>;

// The keys of the triangles laid so far. A query lists a hundred
// triangles or so, many of them several times, for every shadow each
// frame: a small open-addressed table tells a key seen before without
// going through all the others.
class TakenKeys {
  public:
    explicit TakenKeys(std::int32_t listed)
    {
        while (m_mask + 1 < 2 * static_cast<std::size_t>(listed))
            m_mask = m_mask * 2 + 1;
        std::fill(m_slots.begin(), m_slots.begin() + static_cast<std::ptrdiff_t>(m_mask + 1), kFree);
    }

    // Takes the key; false when it was taken before.
    bool Take(const TriangleKey& key)
    {
        std::size_t slot = Hash(key) & m_mask;
        for (; m_slots[slot] != kFree; slot = (slot + 1) & m_mask) {
            if (m_keys[static_cast<std::size_t>(m_slots[slot])] == key)
                return false;
        }
        m_slots[slot] = static_cast<std::int16_t>(m_count);
        m_keys[m_count++] = key;
        return true;
    }

  private:
    static constexpr std::int16_t kFree = -1;
    // A power of two, at most half full with every listed triangle taken.
    static constexpr std::size_t kSlots = 2048;
    static_assert(kSlots >= 2 * CPRender::kMaxDecalTriangles, "the table must stay half empty");

    static std::size_t Hash(const TriangleKey& key)
    {
        const auto mix = static_cast<std::uint32_t>(key[0]) * 73856093u ^
                         static_cast<std::uint32_t>(key[1]) * 19349663u ^
                         static_cast<std::uint32_t>(key[2]) * 83492791u;
        return mix ^ (mix >> 13);
    }

    std::array<TriangleKey, CPRender::kMaxDecalTriangles> m_keys;
    std::array<std::int16_t, kSlots> m_slots;
    std::size_t m_count = 0;
    std::size_t m_mask = 63;
};

// The three numbers in increasing order, by three exchanges: the library's
// sort is a call and a loop for every triangle of every shadow, each frame.
void SortThree(TriangleKey& key)
{
    if (key[1] < key[0])
        std::swap(key[0], key[1]);
    if (key[2] < key[1])
        std::swap(key[1], key[2]);
    if (key[1] < key[0])
        std::swap(key[0], key[1]);
}

} // namespace

bool CPRender::BuildGroundDecal(const Vector3& halfExtents, const Matrix4& placement,
                                const std::int32_t* triangles, std::int32_t triangleCount,
                                const CPTerrainMesh& mesh, std::vector<CPMeshVertex>& vertices,
                                std::vector<CPMeshVertex>& worldVertices,
                                std::vector<std::uint16_t>& indices) const
{
    Matrix4 toFootprint;
    if (!FootprintFrame(halfExtents, placement, toFootprint))
        return false;
    vertices.clear();
    worldVertices.clear();
    indices.clear();

    // A triangle listed by several cells of the query is laid once; it is
    // known by its three vertex numbers in any order.
    const std::int32_t listed = triangles ? std::clamp(triangleCount, 0, kMaxDecalTriangles) : 0;
    TakenKeys taken(listed);
    const std::int32_t vertexCount = mesh.GetVertexCount();
    for (std::int32_t i = 0; i < listed; ++i) {
        std::array<std::int32_t, 3> corners;
        if (!mesh.GetTriangle(triangles[i], corners.data()))
            continue;
        if (std::any_of(corners.begin(), corners.end(),
                        [vertexCount](std::int32_t v) { return v < 0 || v >= vertexCount; }))
            continue;
        TriangleKey key = corners;
        SortThree(key);
        if (!taken.Take(key))
            continue;

        const Vector3 a = mesh.GetVertex(corners[0]);
        const Vector3 b = mesh.GetVertex(corners[1]);
        const Vector3 c = mesh.GetVertex(corners[2]);
        const Vector3 normal = Normalize(Cross(c - a, b - a));
        for (const Vector3& p : {a, b, c}) {
            const Vector2 st = TransformPoint(Vector2{p.x, p.y}, toFootprint);
            CPMeshVertex vertex;
            vertex.position = {p.x, p.y, p.z + 0.03f};
            vertex.normal = normal;
            vertex.diffuse = 0xFFFFFFFFu;
            vertex.uv1 = {st.x - 1.0f, st.y};
            indices.push_back(static_cast<std::uint16_t>(vertices.size()));
            vertices.push_back(vertex);
        }
    }
    worldVertices = vertices;
    return true;
}

bool CPRender::AddGroundQuad(CPObjectPtr decalObject, const Matrix4& placement, CPObjectPtr physicData)
{
    static_assert(kMaxDecalTriangles == CPPhysicsPart::kTerrainQuerySize,
                  "the decal reads the whole terrain-query buffer");
    const CPGameObject* decal = decalObject.As<CPGameObject>();
    const CPPhysicsPart* data = physicData.As<CPPhysicsPart>();
    if (!decal || !data || !m_terrainMesh || decal->GetRenderKind() != CPGameObject::kMeshObject)
        return false;
    CPRenderObject* mesh = decal->GetRenderObject().As<CPRenderObject>();
    if (!mesh)
        return false;
    return BuildGroundDecal(decal->GetBoundingBox().halfExtents, placement, data->GetTerrainTriangles(),
                            data->GetTerrainTriangleCount(), *m_terrainMesh, mesh->GetVertices(),
                            mesh->GetWorldVertices(), mesh->GetIndices());
}
