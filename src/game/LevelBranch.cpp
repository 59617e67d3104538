#include "game/LevelBranch.h"

#include <algorithm>

#include "Render/CurrentCamera.h"
#include "Render/PRender.h"
#include "Render/PerspectiveCamera.h"
#include "Render/RenderList.h"
#include "Render/Renderable.h"
#include "core/GameObject.h"
#include "game/TriggerBox.h"
#include "platform/Math.h"

namespace {

CPGameObject* GameObjectOf(const CPObjectPtr& object) { return object.As<CPGameObject>(); }

// Where an object stands for the tree: a node box without the part boxes
// would turn away rays that hit.
AxisBox ObjectBox(const CPGameObject& object) { return TriggerBox(object); }

float Axis(const Vector3& v, int axis) { return axis == 0 ? v.x : (axis == 1 ? v.y : v.z); }

float SquaredDistance(const Vector3& a, const Vector3& b)
{
    const Vector3 d = a - b;
    return d.x * d.x + d.y * d.y + d.z * d.z;
}

// Deletes a candidate branch with its subtree.
void Discard(CPLevelBranch*& branch)
{
    delete branch;
    branch = nullptr;
}

} // namespace

CPLevelBranch::~CPLevelBranch()
{
    delete m_left;
    delete m_right;
}

// --- Building --------------------------------------------------------------------

void CPLevelBranch::AddMaterial(const CPObjectPtr& material)
{
    if (material)
        m_materials.insert(material.Get());
}

void CPLevelBranch::CountObject(CPGameObject& object)
{
    if (object.GetRenderKind() != CPGameObject::kMeshObject || object.GetTag() == 0)
        return;
    auto* mesh = object.GetRenderObject().As<CPRenderable>();
    if (!mesh)
        return;
    const auto vertices = static_cast<std::uint32_t>(mesh->GetVertexCount());
    const auto indices = static_cast<std::uint32_t>(mesh->GetIndexCount());
    CPObjectPtr material;
    mesh->GetMaterial(material);
    m_vertexCount += vertices;
    m_indexCount += indices;
    AddMaterial(material);
    // A shadow-casting object is drawn a second time with its shadow
    // material.
    if (object.HasShadow()) {
        m_vertexCount += vertices;
        m_indexCount += indices;
        AddMaterial(object.GetShadowMaterial());
    }
}

void CPLevelBranch::Build(const std::vector<CPObjectPtr>& objects)
{
    for (const CPObjectPtr& object : objects) {
        if (GameObjectOf(object))
            m_objects.push_back(object);
    }
    if (m_objects.empty())
        return;

    std::vector<CPObjectPtr> subtree;
    for (const CPObjectPtr& object : m_objects) {
        CPGameObject* gameObject = GameObjectOf(object);
        m_box.Merge(ObjectBox(*gameObject));
        gameObject->CollectObjects(subtree);
    }
    for (const CPObjectPtr& object : subtree) {
        if (CPGameObject* gameObject = GameObjectOf(object))
            CountObject(*gameObject);
    }
    for (const CPObjectPtr& object : m_objects) {
        CPGameObject* gameObject = GameObjectOf(object);
        if (gameObject->GetTag() == 0) {
            m_plainObjects.push_back(object);
        } else {
            m_detailObjects.push_back(object);
            m_detailGameObjects.push_back(gameObject);
        }
    }
}

// --- Splitting -------------------------------------------------------------------

bool CPLevelBranch::Cut(int axis, const Vector3& middle, CPLevelBranch*& high, CPLevelBranch*& low) const
{
    std::vector<CPObjectPtr> lowObjects;
    std::vector<CPObjectPtr> highObjects;
    for (const CPObjectPtr& object : m_objects) {
        const float centre = Axis(ObjectBox(*GameObjectOf(object)).centre, axis);
        // A centre on the middle goes to the low side, so equal centres are
        // never parted.
        if (centre <= Axis(middle, axis))
            lowObjects.push_back(object);
        else
            highObjects.push_back(object);
    }
    if (lowObjects.empty() || highObjects.empty())
        return false;
    high = new CPLevelBranch;
    high->Build(highObjects);
    low = new CPLevelBranch;
    low->Build(lowObjects);
    return true;
}

void CPLevelBranch::TakeCut(CPLevelBranch* high, CPLevelBranch* low)
{
    if (IsLeaf()) {
        m_left = high;
        m_right = low;
        return;
    }
    // A later axis replaces the cut in hand only with strictly fewer
    // materials; on a tie the earlier cut stays.
    const std::size_t current = m_left->GetMaterialCount() + m_right->GetMaterialCount();
    if (high->GetMaterialCount() + low->GetMaterialCount() < current) {
        Discard(m_left);
        Discard(m_right);
        m_left = high;
        m_right = low;
        return;
    }
    Discard(high);
    Discard(low);
}

void CPLevelBranch::Split()
{
    if (!m_objects.empty() && IsLeaf()) {
        AxisBox centres;
        for (const CPObjectPtr& object : m_objects) {
            const Vector3 c = ObjectBox(*GameObjectOf(object)).centre;
            centres.minimum = {std::min(centres.minimum.x, c.x), std::min(centres.minimum.y, c.y),
                               std::min(centres.minimum.z, c.z)};
            centres.maximum = {std::max(centres.maximum.x, c.x), std::max(centres.maximum.y, c.y),
                               std::max(centres.maximum.z, c.z)};
        }
        const Vector3 middle = (centres.minimum + centres.maximum) * 0.5f;
        for (int axis = 0; axis < 3; ++axis) {
            CPLevelBranch* high = nullptr;
            CPLevelBranch* low = nullptr;
            if (Cut(axis, middle, high, low))
                TakeCut(high, low);
        }
        if (!IsLeaf()) {
            m_left->Split();
            m_right->Split();
        }
    }
    if (IsLeaf())
        ListBonuses();
}

bool CPLevelBranch::IsBonusText(const std::string& text)
{
    return text.compare(0, text.find('_'), "bonus") == 0;
}

void CPLevelBranch::ListBonuses()
{
    m_bonusObjects.clear();
    m_bonusPositions.clear();
    for (const CPObjectPtr& object : m_objects) {
        CPGameObject* gameObject = GameObjectOf(object);
        if (!IsBonusText(gameObject->GetText()))
            continue;
        m_bonusObjects.push_back(object);
        m_bonusPositions.push_back(TransformPoint(Vector3{0.0f, 0.0f, 0.0f}, gameObject->GetWorldMatrix()));
    }
}

// --- Queries ---------------------------------------------------------------------

bool CPLevelBranch::IntersectRay(RayQuery& ray)
{
    if (m_objects.empty() || !m_box.Transform(ray.origin, ray.direction, ray.length))
        return false;
    if (!IsLeaf()) {
        const bool leftHit = m_left->IntersectRay(ray);
        const bool rightHit = m_right->IntersectRay(ray);
        return leftHit || rightHit;
    }
    // Every object is tested, so that the ray ends with the nearest hit.
    bool hit = false;
    for (const CPObjectPtr& object : m_objects)
        hit = GameObjectOf(object)->IntersectRay(ray) || hit;
    return hit;
}

void CPLevelBranch::CollectInSphere(const Vector3& point, float radius, std::vector<CPObjectPtr>& result)
{
    if (m_objects.empty() || !m_box.DistanceSquared(point, radius))
        return;
    if (!IsLeaf()) {
        m_left->CollectInSphere(point, radius, result);
        m_right->CollectInSphere(point, radius, result);
        return;
    }
    for (const CPObjectPtr& object : m_objects) {
        if (GameObjectOf(object)->GetTreeBox().DistanceSquared(point, radius))
            result.push_back(object);
    }
}

void CPLevelBranch::CollectRootItems(std::vector<CPObjectPtr>& result)
{
    if (!IsLeaf()) {
        m_left->CollectRootItems(result);
        m_right->CollectRootItems(result);
        return;
    }
    result.insert(result.end(), m_bonusObjects.begin(), m_bonusObjects.end());
}

// --- Drawing ---------------------------------------------------------------------

CPGameObject* CPLevelBranch::ChooseDetail(CPGameObject& object, float distanceSquared)
{
    const auto& entries = object.GetLinkedObjects();
    if (entries.size() <= 1)
        return &object;
    const float view = static_cast<float>(kViewDistance);
    float limit = view * view;
    if (distanceSquared > limit)
        return nullptr;
    for (std::size_t i = entries.size() - 1; i >= 1; --i) {
        const float switchDistance = static_cast<float>(entries[i].distance);
        const float switchSquared = switchDistance * switchDistance;
        if (distanceSquared <= limit && distanceSquared > switchSquared)
            return entries[i].object.As<CPGameObject>();
        limit = switchSquared;
    }
    return &object;
}

void CPLevelBranch::DrawLeaf(const DrawTarget& target)
{
    target.render.DrawWalkCount() += static_cast<std::int32_t>(m_objects.size());
    if (!target.list)
        return;
    for (const CPObjectPtr& object : m_plainObjects)
        target.list->AddObjectTree(object);
    const Vector3* eye = target.eye ? &target.eye->Eye() : nullptr;
    for (std::size_t i = 0; i < m_detailObjects.size(); ++i) {
        CPGameObject& gameObject = *m_detailGameObjects[i];
        const float distanceSquared = eye ? SquaredDistance(gameObject.GetPosition(), *eye) : 0.0f;
        CPGameObject* chosen = ChooseDetail(gameObject, distanceSquared);
        // Most objects are drawn as themselves: their own pointer is handed
        // on as it is.
        if (chosen == &gameObject)
            target.list->AddObjectTree(m_detailObjects[i]);
        else if (chosen)
            target.list->AddObjectTree(CPObjectPtr(chosen));
    }
}

void CPLevelBranch::CollectVisible(CPPerspectiveCamera& camera)
{
    CPRender* render = GetRender();
    if (!render)
        return;
    CPObjectPtr listPointer;
    render->GetSceneObject(listPointer);
    const DrawTarget target{*render, listPointer.As<CPRenderList>(), GetCurrentCamera()};
    CollectVisible(camera, target);
}

void CPLevelBranch::CollectVisible(CPPerspectiveCamera& camera, const DrawTarget& target)
{
    if (m_objects.empty() || !camera.IsBoxVisible(m_box.minimum, m_box.maximum))
        return;
    if (IsLeaf()) {
        DrawLeaf(target);
        return;
    }
    m_left->CollectVisible(camera, target);
    m_right->CollectVisible(camera, target);
}

void CPLevelBranch::DeactivatePlainObjects()
{
    for (const CPObjectPtr& object : m_plainObjects)
        GameObjectOf(object)->Deactivate();
}
