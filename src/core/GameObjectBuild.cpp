// Instancing of game objects from loaded prototypes, and the flames that
// built objects start.
#include "core/GameObject.h"

#include <string>

#include "core/GameObjectParts.h"
#include "core/Log.h"
#include "core/Task.h"

namespace {

// The name of the child object a flame burns in.
const char kFlameName[] = "flame";

// Flames run before the ordinary tasks of the objects they burn on.
constexpr int kFlamePriority = 200;

// Only tasks that can duplicate themselves (particle systems) are copied:
// an empty duplicate leaves the copy without a render object.
CPObjectPtr CopyTask(const CPObjectPtr& source, CPGameObject* owner)
{
    auto* task = source.As<CPTask>();
    if (!task)
        return CPObjectPtr();
    CPObjectPtr copy = task->Duplicate();
    if (auto* part = copy.As<CPRenderPart>())
        part->SetOwner(owner);
    return copy;
}

// A render object of the prototype's kind for the owner; empty when the
// prototype holds none of its kind.
CPObjectPtr CopyRenderObject(const CPGameObject& prototype, CPGameObject* owner)
{
    const CPObjectPtr source = prototype.GetRenderObject();
    if (prototype.GetRenderKind() == CPGameObject::kTaskObject)
        return CopyTask(source, owner);
    auto* part = source.As<CPRenderPart>();
    if (!part || part->GetPartKind() != prototype.GetRenderKind())
        return CPObjectPtr();
    return part->CopyFor(owner);
}

bool HasRenderKind(std::int32_t kind)
{
    return kind >= CPGameObject::kMeshObject && kind <= CPGameObject::kTaskObject;
}

} // namespace

void CPGameObject::Build(CPObjectPtr prototype)
{
    const auto* source = prototype.As<CPGameObject>();
    if (!source) {
        LogLine("CPGameObject " + m_name + ": no game object to build from");
        return;
    }
    // Copying an object into its own tree would copy the copies for ever.
    if (source->IsSelfOrAncestor(this)) {
        LogLine("CPGameObject " + m_name + ": cannot be built from " + source->m_name +
                ", which it is or lies under");
        return;
    }

    source->SettleBoxes();
    SettleBoxesUpward();
    m_orientedBox = source->m_orientedBox;
    m_orientedAtOrigin = source->m_orientedAtOrigin;
    m_ownBox = source->m_ownBox;
    m_description = source->m_description;

    CPObjectPtr renderObject = CopyRenderObject(*source, this);
    if (!renderObject && HasRenderKind(source->m_renderKind)) {
        LogLine("CPGameObject " + source->m_name + ": no render object of kind " +
                std::to_string(source->m_renderKind) + " to copy; the copy has none");
    }
    SetRenderObject(renderObject, renderObject ? source->m_renderKind : kNoRenderObject);

    // Each part keeps its placement within the object; the world side is
    // rebuilt below.
    for (const CPBoundingBox& box : source->m_partBoxes) {
        CPBoundingBox part(box.centre, box.halfExtents);
        part.orientation = box.orientation;
        part.localMatrix = box.localMatrix;
        m_partBoxes.push_back(part);
    }

    for (const auto& entry : source->m_animations) {
        auto* animation = entry.second.As<CPRenderPart>();
        CPObjectPtr copy = animation ? animation->CopyAnimationFor(this) : CPObjectPtr();
        if (copy)
            SetAnimation(entry.first, copy);
    }

    for (const CPObjectPtr& entry : source->m_children) {
        const auto* original = static_cast<const CPGameObject*>(entry.Get());
        auto* child = new CPGameObject(original->m_name);
        AddChild(CPObjectPtr(child));
        child->Build(entry);
    }

    m_shadowMaterial = source->m_shadowMaterial;
    m_fireMaterial = source->m_fireMaterial;
    m_flameEffect = source->m_flameEffect;
    m_position = source->m_position;
    m_rotation = source->m_rotation;
    m_parentMatrix = source->m_parentMatrix;
    m_localMatrix = source->m_localMatrix;
    m_worldMatrix = source->m_worldMatrix;
    m_partTransform = source->m_partTransform;
    m_hasPartTransform = source->m_hasPartTransform;
    m_localStale = true;
    m_boundsValid = false;
    m_dirty = true;
    m_name = source->m_name;
    m_visible = source->m_visible;
    m_tag = source->m_tag;
    m_shadow = source->m_shadow;
    m_scriptObject = source->m_scriptObject;
    m_label = source->m_label;

    if (source->m_physicsPart)
        SetPhysicData(source->m_physicsPart->CopyFor(this));

    Reshaped();
    UpdateBounds();
}

void CPGameObject::StartFlame(float strength)
{
    if (m_flameEffect >= 0) {
        CPObjectPtr effect;
        if (CPFlameSource* manager = GetFlameSource())
            effect = manager->DuplicateParticleSystem(m_flameEffect); // logs a bad index
        else
            LogLine("CPGameObject " + m_name + ": no effect manager to start a flame");
        if (effect) {
            auto* flame = new CPGameObject(kFlameName);
            if (auto* part = effect.As<CPRenderPart>())
                part->SetOwner(flame);
            flame->SetRenderObject(effect, kTaskObject);
            AddChild(CPObjectPtr(flame));
            // Starting the flame through its object lets the object end it
            // again when the tree is deactivated.
            flame->Activate(kFlamePriority);
            SetPosition(m_position);
            UpdateBounds();
        }
        // Used up even when no flame came of it: a bad index is reported once.
        m_flameEffect = -1;
    }
    for (std::size_t i = 0; i < m_children.size(); ++i)
        GetChildAt(i)->StartFlame(strength);
}
