#include "core/GameObject.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>
#include <utility>

#include "core/FileReader.h"
#include "core/GameClock.h"
#include "core/GameObjectParts.h"
#include "core/Kernel.h"
#include "core/Log.h"
#include "core/ObjectHandle.h"
#include "core/ObjectRegistry.h"
#include "core/ScriptObject.h"
#include "core/Singletons.h"
#include "core/XmlText.h"
#include "core/Enemy.h"
#include "platform/Math.h"

namespace {

// The folder of the object descriptions.
const char kDescriptionFolder[] = "Data\\Descriptions\\";

// Maps of names are created with room for this many entries.
constexpr std::size_t kNameMapBuckets = 100;

// Damage reaches the enemy behaviour scaled by this factor.
constexpr float kEnemyDamageFactor = 1.0f;

// The source of the shape and local stamps of all objects.
std::uint64_t g_lastStamp = 0;

std::uint64_t NextStamp() { return ++g_lastStamp; }

// Begins a task in the kernel with a priority. A task that was ended but
// not yet swept out of the list leaves its old place first, so that it is
// never listed twice.
void StartTask(CPTask* task, int priority)
{
    CPKernel* kernel = GetKernel();
    if (!task || !kernel)
        return;
    if (!task->IsRunning())
        kernel->RemoveTask(task);
    task->SetPriority(priority);
    CPObjectPtr pointer(task);
    kernel->AddTask(pointer);
}

// Deletes an object the game object owns; a task leaves the kernel first.
void DeleteOwned(CPObject* object)
{
    if (!object)
        return;
    CPKernel* kernel = GetKernel();
    if (CPTask* task = dynamic_cast<CPTask*>(object); task && kernel)
        kernel->RemoveTask(task);
    delete object;
}

// Takes the pointer's object out of it and deletes it, unless it is the
// object that replaces it.
void ReplaceOwned(CPObjectPtr& slot, const CPObjectPtr& replacement)
{
    CPObject* old = slot.Get();
    slot = replacement;
    if (old != replacement.Get())
        DeleteOwned(old);
}

// The render object as the part of that kind; null when it is of another.
CPRenderPart* PartOfKind(const CPObjectPtr& renderObject, std::int32_t kind)
{
    auto* part = renderObject.As<CPRenderPart>();
    return part && part->GetPartKind() == kind ? part : nullptr;
}

} // namespace

CPGameObject::CPGameObject(std::string name)
    : m_animations(kNameMapBuckets), m_parentMatrix(IdentityMatrix()), m_localMatrix(IdentityMatrix()),
      m_worldMatrix(IdentityMatrix()), m_partTransform(IdentityMatrix()), m_childrenByName(kNameMapBuckets),
      m_name(std::move(name))
{
    Reshaped();
}

CPGameObject::~CPGameObject()
{
    CPGameObject::Deactivate();
    if (m_parent)
        m_parent->RemoveChild(this);
    for (const CPObjectPtr& child : m_children)
        static_cast<CPGameObject*>(child.Get())->m_parent = nullptr;
    if (m_renderKind == kTaskObject) {
        if (CPTask* task = m_renderObject.As<CPTask>())
            task->End();
    }
    m_shadowMaterial = CPObjectPtr();
    m_fireMaterial = CPObjectPtr();
    m_physicsCompanion = CPObjectPtr();
    DeleteOwnedObjects();
    // The first level of detail is this object: let the pointers go while
    // it still is one.
    m_linkedObjects.clear();
    m_children.clear();
    m_childrenByName.clear();
}

void CPGameObject::DeleteOwnedObjects()
{
    // An object may sit in more than one slot (an animation under two
    // names): delete each once, after every slot has let it go.
    std::vector<CPObject*> owned;
    auto take = [&owned](CPObjectPtr& slot) {
        CPObject* object = slot.Get();
        slot = CPObjectPtr();
        if (object && std::find(owned.begin(), owned.end(), object) == owned.end())
            owned.push_back(object);
    };
    take(m_physicData);
    m_physicsPart = nullptr;
    m_meshPart = nullptr;
    take(m_renderObject);
    take(m_idleAnimation);
    for (auto& entry : m_animations)
        take(entry.second);
    m_animations.clear();
    for (CPObject* object : owned)
        DeleteOwned(object);
}

void CPGameObject::DeleteTree(CPGameObject* root)
{
    if (!root)
        return;
    // The tree, then the trees of the levels of detail hanging off it, each
    // object once however the lists meet.
    std::vector<CPGameObject*> doomed;
    std::unordered_set<CPGameObject*> seen;
    std::vector<CPObjectPtr> gathered;
    root->CollectObjects(gathered);
    for (std::size_t next = 0; next < gathered.size(); ++next) {
        auto* object = static_cast<CPGameObject*>(gathered[next].Get());
        if (!seen.insert(object).second)
            continue;
        doomed.push_back(object);
        for (std::size_t k = 1; k < object->m_linkedObjects.size(); ++k) {
            CPGameObject* linked = object->LinkedAt(k);
            if (linked && !seen.count(linked))
                linked->CollectObjects(gathered);
        }
    }
    gathered.clear();
    // Levels of detail may point at objects that go earlier: every list lets
    // go while all are still there.
    for (CPGameObject* object : doomed)
        object->m_linkedObjects.clear();
    // Any order is safe: a child that goes first leaves its parent, a
    // parent that goes first leaves its children without parent.
    for (CPGameObject* object : doomed)
        delete object;
}

void CPGameObject::CollectObjects(std::vector<CPObjectPtr>& objects)
{
    objects.push_back(CPObjectPtr(this));
    for (std::size_t i = 0; i < m_children.size(); ++i)
        GetChildAt(i)->CollectObjects(objects);
}

// --- Tree ------------------------------------------------------------------

void CPGameObject::AddChild(CPObjectPtr child)
{
    auto* object = child.As<CPGameObject>();
    if (!object || object->IsSelfOrAncestor(this))
        return;
    SettleBoxesUpward();
    if (object->m_parent)
        object->m_parent->RemoveChild(object);
    Reshaped();
    object->m_parent = this;
    m_children.push_back(child);
    m_childrenByName[object->m_name] = child;
}

bool CPGameObject::IsSelfOrAncestor(const CPGameObject* object) const
{
    for (const CPGameObject* up = object; up; up = up->m_parent) {
        if (up == this)
            return true;
    }
    return false;
}

void CPGameObject::RemoveChild(CPGameObject* child)
{
    SettleBoxesUpward();
    Reshaped();
    auto listed = std::find_if(m_children.begin(), m_children.end(),
                               [child](const CPObjectPtr& entry) { return entry.Get() == child; });
    if (listed != m_children.end())
        m_children.erase(listed);
    // The name may meanwhile belong to another child.
    auto named = m_childrenByName.find(child->m_name);
    if (named != m_childrenByName.end() && named->second.Get() == child)
        m_childrenByName.erase(named);
    child->m_parent = nullptr;
}

CPObjectPtr CPGameObject::GetChildByName(const std::string& name) { return m_childrenByName[name]; }

CPObjectPtr CPGameObject::FindObjectInTree(const std::string& name) const
{
    return CPObjectPtr(FindInTree(name));
}

CPGameObject* CPGameObject::FindInTree(const std::string& name) const
{
    // Entries left empty by a failed GetChildByName count as absent.
    auto named = m_childrenByName.find(name);
    if (named != m_childrenByName.end() && named->second)
        return static_cast<CPGameObject*>(named->second.Get());
    for (std::size_t i = 0; i < m_children.size(); ++i) {
        if (CPGameObject* found = GetChildAt(i)->FindInTree(name))
            return found;
    }
    return nullptr;
}

void CPGameObject::AddLod(CPObjectPtr object, std::int32_t distance)
{
    m_linkedObjects.push_back({CPObjectPtr(object.As<CPGameObject>()), distance});
    Reshaped();
}

CPGameObject* CPGameObject::LinkedAt(std::size_t index) const
{
    auto* object = static_cast<CPGameObject*>(m_linkedObjects[index].object.Get());
    // A level of detail that is the object itself would recurse for ever.
    return object == this ? nullptr : object;
}

// --- Placement -------------------------------------------------------------

void CPGameObject::SetPosition(const Vector3& position)
{
    for (std::size_t i = 1; i < m_linkedObjects.size(); ++i) {
        if (CPGameObject* linked = LinkedAt(i))
            linked->SetPosition(position);
    }
    m_position = position;
    m_localStale = true;
    m_boundsValid = false;
    m_dirty = true;
    if (m_physicsPart)
        m_physicsPart->SetPosition(position);
}

void CPGameObject::SetRotation(const Quaternion& rotation)
{
    for (std::size_t i = 1; i < m_linkedObjects.size(); ++i) {
        if (CPGameObject* linked = LinkedAt(i))
            linked->SetRotation(rotation);
    }
    m_rotation = rotation;
    m_localStale = true;
    m_boundsValid = false;
    m_dirty = true;
    if (m_physicsPart)
        m_physicsPart->SetRotation(rotation);
}

void CPGameObject::FollowBody(const Vector3& position, const Quaternion& rotation)
{
    const bool samePlace = position.x == m_position.x && position.y == m_position.y &&
                           position.z == m_position.z && rotation.x == m_rotation.x &&
                           rotation.y == m_rotation.y && rotation.z == m_rotation.z &&
                           rotation.w == m_rotation.w;
    if (samePlace)
        return;
    for (std::size_t i = 1; i < m_linkedObjects.size(); ++i) {
        if (CPGameObject* linked = LinkedAt(i)) {
            linked->SetPosition(position);
            linked->SetRotation(rotation);
        }
    }
    m_position = position;
    m_rotation = rotation;
    m_localStale = true;
    m_boundsValid = false;
    m_dirty = true;
}

void CPGameObject::SetPartTransform(const Matrix4& transform)
{
    m_partTransform = transform;
    m_hasPartTransform = true;
    m_localStale = true;
    m_boundsValid = false;
    m_dirty = true;
}

void CPGameObject::UpdateBounds()
{
    if (!m_dirty)
        return;
    SettleBoxesUpward();
    Place(true);
}

void CPGameObject::UpdatePlacement()
{
    if (!m_dirty)
        return;
    SettleBoxesUpward();
    Place(false);
}

void CPGameObject::RemakeLocalMatrix()
{
    // A moving parent rebuilds every part under it, while most parts keep
    // their place on the parent from one frame to the next.
    if (m_hasPartTransform)
        m_localMatrix = m_partTransform;
    else
        RotationTranslationInto(m_rotation, m_position, m_localMatrix);
    m_localStale = false;
    m_localStamp = NextStamp();
}

void CPGameObject::Place(bool withBoxes)
{
    for (std::size_t i = 1; i < m_linkedObjects.size(); ++i) {
        if (CPGameObject* linked = LinkedAt(i)) {
            if (withBoxes)
                linked->UpdateBounds();
            else
                linked->UpdatePlacement();
        }
    }

    RefreshLocalMatrix();
    MultiplyInto(m_localMatrix, m_parentMatrix, m_worldMatrix);

    if (withBoxes) {
        PlaceOwnBoxes();
        PlaceChildrenWithBoxes();
        FinishBoxes();
    } else {
        for (std::size_t i = 0; i < m_children.size(); ++i) {
            CPGameObject& child = *GetChildAt(i);
            // A part that covers the one before it has its local matrix.
            if (i > 0 && child.Covers(*GetChildAt(i - 1)))
                PlaceTwin(child, *GetChildAt(i - 1));
            else
                PlaceChild(child, false);
        }
    }
    m_boxesStale = !withBoxes;

    m_boundsValid = true;
    m_dirty = false;
    if (m_meshPart)
        m_meshPart->SetTransform(m_worldMatrix);
}

void CPGameObject::PlaceChild(CPGameObject& child, bool withBoxes)
{
    child.m_boundsValid = false;
    child.m_parentMatrix = m_worldMatrix;
    child.m_dirty = true;
    child.Place(withBoxes);
}

void CPGameObject::PlaceTwin(CPGameObject& child, const CPGameObject& twin)
{
    // Equal local matrices under one parent give equal world matrices to
    // the bit; as Place without boxes of a part with no children and no
    // levels of detail, whose local matrix is fresh.
    child.m_parentMatrix = m_worldMatrix;
    child.m_worldMatrix = twin.m_worldMatrix;
    child.m_boxesStale = true;
    child.m_boundsValid = true;
    child.m_dirty = false;
    if (child.m_meshPart)
        child.m_meshPart->SetTransform(child.m_worldMatrix);
}

void CPGameObject::PlaceChildrenWithBoxes()
{
    const std::size_t count = m_children.size();
    for (std::size_t i = 0; i < count;) {
        // A run of parts each inside the next (a flare's sizes) adds
        // nothing to this object's boxes beyond its last part's, once that
        // one's extremes are known to be exact: the others only take their
        // places and build their boxes when read.
        std::size_t last = i;
        while (last + 1 < count && GetChildAt(last + 1)->Covers(*GetChildAt(last)))
            ++last;
        CPGameObject& cover = *GetChildAt(last);
        PlaceChild(cover, true);
        const bool covered = last > i && cover.m_extremesExact;
        for (; i < last; ++i) {
            if (covered) {
                PlaceTwin(*GetChildAt(i), cover);
            } else {
                PlaceChild(*GetChildAt(i), true);
                MergeChildBoxes(*GetChildAt(i));
            }
        }
        MergeChildBoxes(cover);
        ++i;
    }
}

bool CPGameObject::Covers(CPGameObject& inner)
{
    // Equal local matrices under one parent give equal world matrices to
    // the bit. Boxes about them that nest in the parts' own space keep
    // nesting in the world and in the shadow: rounded products and sums
    // never shrink as their terms grow, and the outer part's sums stay
    // finite (Place checks that), so the inner part's do as well.
    if (m_coverInner != &inner || m_coverShapeStamp != m_shapeStamp ||
        m_coverInnerShapeStamp != inner.m_shapeStamp) {
        m_coverInner = &inner;
        m_coverShapeStamp = m_shapeStamp;
        m_coverInnerShapeStamp = inner.m_shapeStamp;
        m_coverShapesNest = NestsByShape(inner);
        m_coverLocalStamp = m_coverInnerLocalStamp = 0;
    }
    if (!m_coverShapesNest)
        return false;
    RefreshLocalMatrix();
    inner.RefreshLocalMatrix();
    if (m_coverLocalStamp != m_localStamp || m_coverInnerLocalStamp != inner.m_localStamp) {
        m_coverLocalStamp = m_localStamp;
        m_coverInnerLocalStamp = inner.m_localStamp;
        m_coverLocalsEqual = BitwiseEqual(m_localMatrix, inner.m_localMatrix);
    }
    return m_coverLocalsEqual;
}

bool CPGameObject::NestsByShape(const CPGameObject& inner) const
{
    // Both parts stand alone: no children, part boxes or levels of detail.
    if (!m_children.empty() || !inner.m_children.empty() || !m_partBoxes.empty() ||
        !inner.m_partBoxes.empty() || m_linkedObjects.size() > 1 || inner.m_linkedObjects.size() > 1)
        return false;
    if (!m_orientedAtOrigin || !inner.m_orientedAtOrigin || (inner.m_shadow && !m_shadow))
        return false;
    return m_orientedBox.Encloses(inner.m_orientedBox);
}

void CPGameObject::Reshaped() { m_shapeStamp = NextStamp(); }

void CPGameObject::PlaceOwnBoxes()
{
    for (CPBoundingBox& box : m_partBoxes) {
        MultiplyInto(box.localMatrix, m_worldMatrix, box.worldMatrix);
        box.Transform();
    }
    if (m_orientedAtOrigin && IdentityKeeps(m_worldMatrix))
        m_orientedBox.worldMatrix = m_worldMatrix;
    else
        MultiplyInto(m_orientedBox.localMatrix, m_worldMatrix, m_orientedBox.worldMatrix);
    m_extremesExact = m_orientedBox.Transform();
    // FinishBoxes, which always follows, makes the centre and half size.
    m_ownBox.minimum = m_orientedBox.minimum;
    m_ownBox.maximum = m_orientedBox.maximum;
    m_treeBox.SetFromBoxes(m_partBoxes);
}

void CPGameObject::MergeChildBoxes(const CPGameObject& child)
{
    // The centres and half sizes are made once, after the last child:
    // nothing reads them on the way.
    m_treeBox.Extend(child.m_treeBox);
    m_ownBox.Extend(child.m_ownBox);
}

void CPGameObject::FinishBoxes()
{
    if (!m_children.empty())
        m_treeBox.Recompute();
    if (m_shadow && !m_ownBox.AddShadow())
        m_extremesExact = false;
    m_ownBox.Recompute();
}

void CPGameObject::BuildBoxes()
{
    PlaceOwnBoxes();
    for (std::size_t i = 0; i < m_children.size(); ++i) {
        const CPGameObject* child = GetChildAt(i);
        child->SettleBoxes();
        MergeChildBoxes(*child);
    }
    FinishBoxes();
    m_boxesStale = false;
}

void CPGameObject::SettleBoxesUpward()
{
    // The highest object left for later takes in everything below it.
    CPGameObject* highest = nullptr;
    for (CPGameObject* up = this; up; up = up->m_parent) {
        if (up->m_boxesStale)
            highest = up;
    }
    if (highest)
        highest->BuildBoxes();
}

void CPGameObject::SetBoundingBox(const CPBoundingBox& box)
{
    SettleBoxesUpward();
    m_orientedBox = box;
    m_orientedAtOrigin = IsExactIdentity(m_orientedBox.localMatrix);
    Reshaped();
    m_ownBox.SetFromBox(m_orientedBox);
}

bool CPGameObject::IntersectRay(RayQuery& ray)
{
    // The shooter's whole tree: a shot leaves from one of its parts.
    if (ray.ignored == this)
        return false;
    SettleBoxes();
    bool hit = false;
    if (m_pickable && m_treeBox.IntersectSegment(ray.origin, ray.direction, ray.length)) {
        bool partHit = false;
        for (const CPBoundingBox& box : m_partBoxes) {
            if (box.IntersectRay(ray.origin, ray.direction, ray.length, ray.hitFace))
                partHit = true;
        }
        if (partHit) {
            ray.hitObject = CPObjectPtr(this);
            ray.hitOwner = GetScriptOwner();
            hit = true;
        }
    }
    for (std::size_t i = 0; i < m_children.size(); ++i) {
        if (GetChildAt(i)->IntersectRay(ray))
            hit = true;
    }
    return hit;
}

// --- Activation ------------------------------------------------------------

void CPGameObject::Activate(int priority)
{
    if (m_active)
        return;
    m_active = true;
    StartTask(m_idleAnimation.As<CPTask>(), priority);
    if (m_renderKind == kTaskObject && m_visible) {
        CPTask* task = m_renderObject.As<CPTask>();
        if (task && !task->IsRunning())
            StartTask(task, priority);
    }
    for (std::size_t i = 0; i < m_children.size(); ++i)
        GetChildAt(i)->Activate(priority);
    if (m_scriptObject) {
        StartTask(m_scriptObject, priority);
        SendEvent("add_object", FormatObjectHandle(this));
    }
}

void CPGameObject::Deactivate()
{
    if (!m_active)
        return;
    if (m_renderKind == kTaskObject) {
        if (CPTask* task = m_renderObject.As<CPTask>())
            task->End();
    }
    m_active = false;
    if (CPTask* idle = m_idleAnimation.As<CPTask>())
        idle->End();
    for (std::size_t i = 0; i < m_children.size(); ++i)
        GetChildAt(i)->Deactivate();
    SendEvent("delete_object", FormatObjectHandle(this));
}

void CPGameObject::OnAnimationEnd() { SendEvent("animation_end", FormatObjectHandle(this)); }

// --- Script and events -----------------------------------------------------

void CPGameObject::SendEvent(const char* command, const std::string& params) const
{
    if (!m_scriptObject)
        return;
    if (CPObjectRegistry* registry = GetObjectRegistry())
        registry->SendCommandByObject(CPObjectPtr(m_scriptObject), command, params);
}

void CPGameObject::SetOwnerObject(CPObjectPtr scriptObject)
{
    auto* script = scriptObject.As<CPScriptObject>();
    if (!script)
        return;
    ClearTagRecursive();
    m_scriptObject = script;
}

void CPGameObject::ClearTagRecursive()
{
    m_tag = 0;
    for (std::size_t i = 0; i < m_children.size(); ++i)
        GetChildAt(i)->ClearTagRecursive();
}

CPObjectPtr CPGameObject::GetOwnerObject() const { return CPObjectPtr(m_scriptObject); }

CPObjectPtr CPGameObject::GetScriptOwner()
{
    CPGameObject* object = this;
    while (!object->m_scriptObject && object->m_parent)
        object = object->m_parent;
    return CPObjectPtr(object);
}

void CPGameObject::OnDamage(const Vector3& source, const Vector3& hitPosition, float amount, bool noHitEffect,
                            bool quiet)
{
    if (m_scriptObject && !quiet) {
        char text[64];
        std::snprintf(text, sizeof(text), "%.2f", amount);
        SendEvent("damage", text);
    }
    if (m_enemy)
        m_enemy->TakeDamage(source, hitPosition, amount * kEnemyDamageFactor, noHitEffect, quiet);
}

void CPGameObject::ChooseEnemyAttack()
{
    if (m_enemy)
        m_enemy->PlayAttackAnimation();
}

void CPGameObject::HandleEnemyHit()
{
    if (m_enemy)
        m_enemy->Strike();
}

// --- Animations ------------------------------------------------------------

void CPGameObject::StartAnimation(const CPAnimationRequest& request, bool restart)
{
    if (m_renderKind == kAnimatedObject) {
        if (CPRenderPart* animated = PartOfKind(m_renderObject, kAnimatedObject))
            animated->StartAnimation(request, restart, GetGameClock().gameTime);
    }
    for (std::size_t i = 0; i < m_children.size(); ++i)
        GetChildAt(i)->StartAnimation(request, restart);
}

void CPGameObject::AttachRenderObject()
{
    if (m_fireMaterial) {
        if (m_renderKind == kMeshObject) {
            if (CPRenderPart* mesh = PartOfKind(m_renderObject, kMeshObject))
                mesh->SetMaterial(m_fireMaterial);
        } else if (m_renderKind == kAnimatedObject) {
            if (CPRenderPart* animated = PartOfKind(m_renderObject, kAnimatedObject))
                animated->SetMaterial(m_fireMaterial);
        }
    }
    for (std::size_t i = 0; i < m_children.size(); ++i)
        GetChildAt(i)->AttachRenderObject();
}

void CPGameObject::SetAnimation(const std::string& name, CPObjectPtr animation)
{
    m_animationSet = true;
    m_tag = 0;
    CPObjectPtr& slot = m_animations[name];
    CPObject* old = slot.Get();
    slot = animation;
    if (name == "idle") {
        m_idleAnimation = animation;
        if (auto* partAnimation = animation.As<CPRenderPart>())
            partAnimation->SetLooping(true);
    }
    if (!old || old == animation.Get())
        return;
    // The replaced animation goes unless it is still stored elsewhere.
    if (m_idleAnimation.Get() == old)
        return;
    for (const auto& entry : m_animations) {
        if (entry.second.Get() == old)
            return;
    }
    DeleteOwned(old);
}

// --- Render object and physics ---------------------------------------------

void CPGameObject::SetRenderObject(CPObjectPtr renderObject, std::int32_t kind)
{
    m_meshPart = nullptr;
    ReplaceOwned(m_renderObject, renderObject);
    m_renderKind = kind;
    if (kind == kMeshObject)
        m_meshPart = PartOfKind(m_renderObject, kMeshObject);
}

void CPGameObject::SetPhysicData(CPObjectPtr physicData)
{
    auto* part = physicData.As<CPPhysicsPart>();
    if (physicData && !part)
        return;
    // Set first, so the pointer never outlives the data it stands for.
    m_physicsPart = part;
    ReplaceOwned(m_physicData, physicData);
}

// --- Flags -----------------------------------------------------------------

void CPGameObject::SetMarkRecursive(std::uint8_t value)
{
    m_tag = value;
    for (std::size_t i = 1; i < m_linkedObjects.size(); ++i) {
        if (CPGameObject* linked = LinkedAt(i))
            linked->SetMarkRecursive(value);
    }
}

void CPGameObject::SetSecondPassRecursive(bool value)
{
    SettleBoxesUpward();
    m_shadow = value;
    Reshaped();
    for (std::size_t i = 0; i < m_children.size(); ++i)
        GetChildAt(i)->SetSecondPassRecursive(value);
    for (std::size_t i = 1; i < m_linkedObjects.size(); ++i) {
        if (CPGameObject* linked = LinkedAt(i))
            linked->SetSecondPassRecursive(value);
    }
}

// --- Description -----------------------------------------------------------

bool CPGameObject::LoadDescription(bool quietWhenMissing)
{
    const std::string fileName = kDescriptionFolder + m_descriptionFile;
    m_description.Clear();
    CPFileReader reader(fileName, false);
    if ((quietWhenMissing ? reader.LoadIfPresent() : reader.Load()) != S_OK)
        return false;
    // The reader's bytes carry no terminator, and the parser may step
    // over one.
    const std::string text = XmlParseText(reader.GetData(), reader.GetDataSize());
    m_description.Parse(text.c_str());
    if (m_description.Error()) {
        LogLine("The description " + fileName + " of " + m_name +
                " is not well-formed XML: " + m_description.ErrorDesc());
        // Half a document is no description.
        m_description.Clear();
        return false;
    }
    return true;
}
