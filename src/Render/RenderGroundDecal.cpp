#include <algorithm>

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

} // namespace

bool CPRender::BuildGroundDecal(const Vector3& halfExtents, const Matrix4& placement,
                                const std::int32_t* triangles, std::int32_t triangleCount,
                                const CPTerrainMesh& mesh, std::vector<CPMeshVertex>& vertices,
                                std::vector<CPMeshVertex>& worldVertices, std::vector<std::uint16_t>& indices)
{
    Matrix4 toFootprint;
    if (!FootprintFrame(halfExtents, placement, toFootprint))
        return false;
    const std::int32_t listed = triangles ? std::clamp(triangleCount, 0, kMaxDecalTriangles) : 0;
    if (&mesh == m_terrainMesh) {
        m_decalGround.Lay(toFootprint, triangles, listed, vertices, worldVertices, indices);
        return true;
    }
    // Another mesh than the level's is read for this call alone.
    CPDecalGround ground;
    ground.Build(mesh);
    ground.Lay(toFootprint, triangles, listed, vertices, worldVertices, indices);
    return true;
}

void CPRender::SetTerrainMesh(const CPTerrainMesh* mesh)
{
    m_terrainMesh = mesh;
    if (mesh)
        m_decalGround.Build(*mesh);
    else
        m_decalGround.Clear();
}

bool CPRender::PrepareGroundDecal(CPObjectPtr decalObject)
{
    const CPGameObject* decal = decalObject.As<CPGameObject>();
    if (!decal || decal->GetRenderKind() != CPGameObject::kMeshObject)
        return false;
    CPRenderObject* mesh = decal->GetRenderObject().As<CPRenderObject>();
    if (!mesh)
        return false;
    CPDecalGround::MakeRoom(kMaxDecalTriangles, mesh->GetVertices(), mesh->GetWorldVertices(),
                            mesh->GetIndices());
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
