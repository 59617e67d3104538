#include "Render/RenderObject.h"

#include <algorithm>
#include <cstring>

#include "Render/PRender.h"
#include "core/GameObject.h"
#include "core/Log.h"
#include "platform/Math.h"

namespace {

// Position with the translation row; a world matrix is affine, so nothing
// is divided by w.
Vector3 TransformPosition(const Vector3& p, const Matrix4& m)
{
    const Vector4 h = TransformHomogeneous(p, m);
    return {h.x, h.y, h.z};
}

} // namespace

CPRenderObject::CPRenderObject(CPGameObject* owner) : CPRenderable(true), m_owner(owner)
{
    m_transform = IdentityMatrix();
}

CPRenderObject::~CPRenderObject() { SetStaticMesh(nullptr); }

void CPRenderObject::SetStaticMesh(CPStaticMesh* mesh)
{
    if (mesh == m_staticMesh)
        return;
    if (m_meshHolder)
        m_meshHolder->RemoveStaticMeshHolder(this);
    m_meshHolder = nullptr;
    m_staticMesh = mesh;
    // The renderer that draws the mesh must know who places it.
    if (mesh && (m_meshHolder = GetRender()) != nullptr)
        m_meshHolder->AddStaticMeshHolder(this);
}

void CPRenderObject::ForgetStaticMesh()
{
    m_staticMesh = nullptr;
    m_meshHolder = nullptr;
}

void CPRenderObject::WriteVertices(CPMeshVertex* vertices, std::uint16_t* indices, std::uint16_t base, int)
{
    if (IsDisabled())
        return;
    // Never more than the count the batch reserved room for.
    const std::size_t count = std::min(m_worldVertices.size(), m_vertices.size());
    if (count == 0)
        return;
    if (m_owner && m_owner->IsBoundsValid()) {
        UpdateWorldVertices();
        m_owner->SetBoundsValid(false);
    }
    if (HasEffects())
        m_effects.Apply(vertices, m_worldVertices.data(), static_cast<int>(count));
    else
        std::memcpy(vertices, m_worldVertices.data(), count * sizeof(CPMeshVertex));
    for (std::size_t i = 0; i < m_indices.size(); ++i)
        indices[i] = static_cast<std::uint16_t>(m_indices[i] + base);
}

void CPRenderObject::WriteIndices(std::uint16_t* indices, int, std::uint16_t& first, std::uint16_t& last)
{
    if (m_worldVertices.empty() || m_indices.empty())
        return;
    std::memcpy(indices, m_indices.data(), m_indices.size() * sizeof(std::uint16_t));
    first = m_indices.front();
    last = m_indices.back();
}

void CPRenderObject::CopyFrom(CPObjectPtr source)
{
    const CPRenderObject* other = source.As<CPRenderObject>();
    if (!other || other == this)
        return;
    m_owner = other->m_owner;
    m_vertices = other->m_vertices;
    m_worldVertices = other->m_worldVertices;
    m_indices = other->m_indices;
    SetMaterial(other->m_material);
    SetDisabled(other->IsDisabled());
    SetStaticMesh(nullptr);
    if (IsDisabled()) {
        m_name = other->m_name;
        if (CPRender* render = GetRender()) {
            SetStaticMesh(render->RegisterStaticMesh(m_name, m_vertices.data(), m_indices.data(),
                                                     GetVertexCount(), GetIndexCount()));
        } else {
            LogLine("CPRenderObject: no renderer to hold the static mesh \"" + m_name + "\"");
        }
    }
    m_hasEffects = other->m_hasEffects;
    m_effects = other->m_effects;
}

void CPRenderObject::UpdateWorldVertices()
{
    if (IsDisabled() || !m_owner)
        return;
    // A world copy of another length was filled wrongly; start it afresh
    // rather than write past its end.
    if (m_worldVertices.size() != m_vertices.size())
        m_worldVertices = m_vertices;
    const Matrix4& world = m_owner->GetWorldMatrix();
    for (std::size_t k = 0; k < m_vertices.size(); ++k) {
        const CPMeshVertex& local = m_vertices[k];
        CPMeshVertex& out = m_worldVertices[k];
        out.position = TransformPosition(local.position, world);
        out.normal = TransformNormal(local.normal, world);
        out.diffuse = local.diffuse;
    }
    if (!IsDeformable())
        return;
    for (CPDamageZone& zone : m_damageZones) {
        if (zone.IsFinished())
            continue;
        zone.box.worldMatrix = zone.box.localMatrix * world;
        zone.box.Transform();
    }
}

void CPRenderObject::TransformVertices(const Matrix4& matrix)
{
    for (CPMeshVertex& vertex : m_vertices) {
        vertex.position = TransformPosition(vertex.position, matrix);
        vertex.normal = TransformNormal(vertex.normal, matrix);
    }
}
