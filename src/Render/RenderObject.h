#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Render/DamageZone.h"
#include "Render/MeshVertex.h"
#include "Render/Renderable.h"
#include "Render/VertexEffectChain.h"
#include "core/GameObjectParts.h"
#include "platform/MathTypes.h"

class CPGameObject;
class CPRender;
struct CPStaticMesh;

// The mesh render object of a game object (render kind 0): a triangle list
// in the owner's local space, a world copy that follows the owner, an
// optional chain of vertex effects run while the mesh is written into a
// batch, a material and the damage zones of a deformable body.
//
// The world copy is refreshed lazily: only when the object is written and
// the owner has rebuilt its bounds since (its bounds-valid flag, which the
// refresh clears again).
class CPRenderObject final : public CPRenderable, public CPRenderPart {
  public:
    explicit CPRenderObject(CPGameObject* owner);
    ~CPRenderObject() override;

    CPRenderObject(const CPRenderObject&) = delete;
    CPRenderObject& operator=(const CPRenderObject&) = delete;

    std::uint32_t GetObjectSize() const override { return sizeof(CPRenderObject); }
    std::string GetTypeName() const override { return "CPRenderObject"; }

    std::int32_t GetPartKind() const override;
    CPObjectPtr CopyFor(CPGameObject* owner) override;

    // --- Renderable ----------------------------------------------------------

    bool IsDisabled() const override { return m_disabled != 0; }
    void SetDisabled(bool disabled) override { m_disabled = disabled ? 1 : 0; }
    int GetVertexCount() override { return static_cast<int>(m_vertices.size()); }
    int GetIndexCount() override { return static_cast<int>(m_indices.size()); }
    // Nothing while disabled or while the world copy is empty. Runs the
    // effect chain when the has-effects flag is set: the first effect reads
    // the world copy, which effects never change.
    void WriteVertices(CPMeshVertex* vertices, std::uint16_t* indices, std::uint16_t base,
                       int unused) override;
    void WriteIndices(std::uint16_t* indices, int unused, std::uint16_t& first, std::uint16_t& last) override;
    void GetMaterial(CPObjectPtr& material) const override { material = m_material; }

    // --- Instancing ----------------------------------------------------------

    // Makes this object an instance of a loaded mesh: owner, local and world
    // vertices, indices, material and disabled state; a disabled copy also
    // takes the source's name and registers the mesh with the renderer as a
    // static mesh. The effect chain becomes clones of the source's (the
    // effects held before are freed). Anything but a mesh render object as
    // source changes nothing.
    virtual void CopyFrom(CPObjectPtr source);

    // --- Geometry --------------------------------------------------------------

    // World copy = local vertices through the owner's world matrix:
    // positions with its translation, normals with its 3x3 part only (not
    // renormalised), diffuse copied; the other fields keep what the copy
    // held. Zone boxes that still take damage move with the owner. Nothing
    // while disabled or without an owner.
    void UpdateWorldVertices();
    // Bakes a placement into the local vertices: positions with the
    // translation, normals with the 3x3 part only.
    void TransformVertices(const Matrix4& matrix);

    // The arrays the loaders and the owners fill directly. The world copy
    // has the length of the local vertices.
    std::vector<CPMeshVertex>& GetVertices() { return m_vertices; }
    std::vector<CPMeshVertex>& GetWorldVertices() { return m_worldVertices; }
    std::vector<std::uint16_t>& GetIndices() { return m_indices; }
    const std::vector<CPMeshVertex>& GetVertices() const { return m_vertices; }
    const std::vector<CPMeshVertex>& GetWorldVertices() const { return m_worldVertices; }
    const std::vector<std::uint16_t>& GetIndices() const { return m_indices; }

    // --- Material, effects, owner ------------------------------------------------

    // Releases the old material and keeps the new one.
    void SetMaterial(CPObjectPtr material) override { m_material = material; }

    bool HasEffects() const { return m_hasEffects != 0; }
    void SetHasEffects(bool hasEffects) { m_hasEffects = hasEffects ? 1 : 0; }
    CPVertexEffectChain& GetEffects() { return m_effects; }
    const CPVertexEffectChain& GetEffects() const { return m_effects; }

    CPGameObject* GetOwner() const { return m_owner; }
    void SetOwner(CPGameObject* owner) override { m_owner = owner; }

    // The owner's world matrix, copied in whenever the owner rebuilds its
    // bounds.
    const Matrix4& GetTransform() const { return m_transform; }
    void SetTransform(const Matrix4& transform) override { m_transform = transform; }

    // A glow the game drives (the nitro glow of a car's glass): kept for the
    // drawing code, zero until set.
    const Vector4& GetGlow() const { return m_glow; }
    void SetGlow(const Vector4& glow) { m_glow = glow; }

    // --- Static mesh and deformation -------------------------------------------

    const std::string& GetName() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }
    // The renderer's record of this mesh; null unless a disabled copy
    // registered it. The renderer owns it. Taking a mesh lists this object
    // with the renderer as one that places it; letting it go (or being
    // destroyed) takes it off that list again.
    CPStaticMesh* GetStaticMesh() const { return m_staticMesh; }
    void SetStaticMesh(CPStaticMesh* mesh);
    // The renderer released its meshes: the record is gone.
    void ForgetStaticMesh();

    bool IsDeformable() const { return m_deformable != 0; }
    void SetDeformable(bool deformable) { m_deformable = deformable ? 1 : 0; }
    std::vector<CPDamageZone>& GetDamageZones() { return m_damageZones; }
    const std::vector<CPDamageZone>& GetDamageZones() const { return m_damageZones; }
    // The render objects the zones' vertex references point into.
    const std::vector<CPDeformSource>& GetDeformSources() const { return m_deformSources; }

    // Makes the body deformable: gathers the vertices of this object and of
    // the mesh parts of the owner's tree (wheels left out) into groups of
    // vertices that lie together and the groups into damage zones with a
    // box each, and paints the gathered vertices opaque white. Zones of an
    // earlier call stay. Without an owner only this object's vertices are
    // gathered.
    void PrepareDeformation();
    // Dents every unfinished zone whose box the impact reaches: the point is
    // inside it, or the ray point + t * direction enters it with t below
    // 1.7. The zone takes the strength as damage and each of its vertices
    // gets a small random tilt of its normal and a translucent white. An
    // object never prepared, and a strength of 0.01 or less, change nothing.
    void ApplyImpact(const Vector3& point, const Vector3& direction, float strength);

    // Expires when this object is destroyed; bodies whose zones reference
    // this object's vertices hold it.
    std::weak_ptr<CPRenderObject> GetWeakReference();

  private:
    // The vertex a zone reference stands for; null when its object is gone
    // or no longer has that many vertices.
    CPMeshVertex* ReferencedVertex(const CPVertexRef& ref) const;

    CPGameObject* m_owner; // not counted
    std::uint8_t m_hasEffects = 0;
    CPVertexEffectChain m_effects;
    std::vector<CPMeshVertex> m_vertices;
    std::vector<std::uint16_t> m_indices;
    std::vector<CPMeshVertex> m_worldVertices;
    CPObjectPtr m_material;
    std::vector<CPDamageZone> m_damageZones;
    std::uint8_t m_deformable = 0;
    std::vector<CPDeformSource> m_deformSources;
    // Deletes nothing: it only lets weak references see the object go.
    std::shared_ptr<CPRenderObject> m_self;
    std::uint8_t m_disabled = 0;
    Matrix4 m_transform;
    std::string m_name;
    CPStaticMesh* m_staticMesh = nullptr;
    CPRender* m_meshHolder = nullptr; // the renderer that lists this object
    Vector4 m_glow;
};

// The renderable as a mesh render object, or null: what a cast would
// answer, from the renderable's own mark.
inline CPRenderObject* AsRenderObject(CPRenderable* renderable)
{
    return renderable && renderable->IsMeshObject() ? static_cast<CPRenderObject*>(renderable) : nullptr;
}
inline const CPRenderObject* AsRenderObject(const CPRenderable* renderable)
{
    return renderable && renderable->IsMeshObject() ? static_cast<const CPRenderObject*>(renderable)
                                                    : nullptr;
}
