#include "Render/RenderList.h"

#include <algorithm>

#include "Render/IVBlock.h"
#include "Render/Light.h"
#include "Render/PRender.h"
#include "Render/PerspectiveCamera.h"
#include "Render/RenderObject.h"
#include "Render/Renderable.h"
#include "core/GameObject.h"
#include "core/Log.h"
#include "platform/Math.h"

namespace {

// Faults of the scene reported once per list, not once per frame.
enum Fault : int {
    kNoRenderable = 1 << 0,
    kNoMaterial = 1 << 1,
    kNoLight = 1 << 2,
    kNoGameObject = 1 << 3,
};

bool IsShown(const CPGameObject& object)
{
    for (const CPGameObject* level = &object; level; level = level->GetParentObject())
        if (!level->IsVisible())
            return false;
    return true;
}

// The world box of the holder's mesh: the eight corners of its own box
// placed by the holder.
bool IsMeshSeen(const CPPerspectiveCamera& camera, const CPRenderObject& holder)
{
    const CPStaticMesh& mesh = *holder.GetStaticMesh();
    Vector3 minimum;
    Vector3 maximum;
    for (int corner = 0; corner < 8; ++corner) {
        const Vector3 local{(corner & 1) ? mesh.maximum.x : mesh.minimum.x,
                            (corner & 2) ? mesh.maximum.y : mesh.minimum.y,
                            (corner & 4) ? mesh.maximum.z : mesh.minimum.z};
        const Vector3 placed = TransformPoint(local, holder.GetTransform());
        minimum = corner == 0 ? placed : ComponentMin(minimum, placed);
        maximum = corner == 0 ? placed : ComponentMax(maximum, placed);
    }
    return camera.IsBoxVisible(minimum, maximum);
}

// Room for at least `count`, grown by doubling so that a level's loading,
// asking once per material or holder, does not reallocate every time.
template <class T> void KeepRoom(std::vector<T>& list, std::size_t count)
{
    if (list.capacity() < count)
        list.reserve(std::max(count, 2 * list.capacity()));
}

} // namespace

CPRenderList::CPRenderList(CPRender* render, int slotCount, int slotVertices, int slotIndices)
    : m_dynamicBuffer(std::make_unique<CPIVertexBuffer>(render ? render->GetDevice() : nullptr, slotCount,
                                                        slotVertices, slotIndices)),
      m_batches(m_dynamicBuffer.get()), m_render(render)
{
}

CPRenderList::~CPRenderList()
{
    // The batches hold the dynamic buffer; they go first.
    m_frameBatches.clear();
    m_batches.Clear();
}

void CPRenderList::ReportOnce(int fault, const std::string& line)
{
    if (IsReported(fault))
        return;
    m_reported |= static_cast<std::uint32_t>(fault);
    LogLine(line + " (reported once)");
}

void CPRenderList::AddObject(const CPObjectPtr& object)
{
    auto* gameObject = object.As<CPGameObject>();
    if (!gameObject) {
        if (object && !IsReported(kNoGameObject))
            ReportOnce(kNoGameObject,
                       "CPRenderList: " + object->GetTypeName() + " is no game object; not drawn");
        return;
    }
    AddGameObject(*gameObject);
}

void CPRenderList::AddGameObject(CPGameObject& gameObject)
{
    if (!gameObject.IsVisible())
        return;
    const std::int32_t kind = gameObject.GetRenderKind();
    switch (kind) {
    case CPGameObject::kMeshObject:
    case CPGameObject::kAnimatedObject:
    case CPGameObject::kSprite:
        AddRenderable(&gameObject, gameObject.GetRenderObject(), kind);
        break;
    case CPGameObject::kLight:
        AddLight(&gameObject, gameObject.GetRenderObject());
        break;
    default:
        break;
    }
}

void CPRenderList::AddRenderable(CPObject* object, const CPObjectPtr& renderObject, std::int32_t kind)
{
    auto* drawn = renderObject.As<CPRenderable>();
    if (!drawn) {
        if (!IsReported(kNoRenderable))
            ReportOnce(kNoRenderable, "CPRenderList: " + object->GetTypeName() + " of render kind " +
                                          std::to_string(kind) + " has no renderable; not drawn");
        return;
    }
    CPObjectPtr material;
    drawn->GetMaterial(material);
    // A holder with no geometry of its own (a shot's, whose model is its
    // child) has nothing to draw: no material is no loss there.
    if (!material && drawn->GetVertexCount() == 0 && drawn->GetIndexCount() == 0)
        return;
    if (!material) {
        if (!IsReported(kNoMaterial))
            ReportOnce(kNoMaterial, "CPRenderList: " + object->GetTypeName() + " has no material; not drawn");
        return;
    }
    CPIVBlock* batch = BatchOf(material);
    // Only a mesh render object is ever disabled.
    const CPRenderObject* holder = AsRenderObject(drawn);
    if (holder && holder->IsDisabled() && holder->GetStaticMesh())
        m_frameStatics.push_back(holder);
    if (!batch->IsInFrame()) {
        batch->SetInFrame(true);
        m_frameBatches.push_back(batch);
    }
    batch->AddRenderable(renderObject, *drawn);
}

void CPRenderList::PrepareBatch(const CPObjectPtr& material)
{
    m_batches.Get(material);
    KeepRoom(m_frameBatches, m_batches.Size());
}

void CPRenderList::PrepareStaticMeshes(std::size_t holders) { KeepRoom(m_frameStatics, holders); }

CPIVBlock* CPRenderList::BatchOf(const CPObjectPtr& material)
{
    if (material.Get() == m_lastMaterial)
        return m_lastBatch;
    m_lastMaterial = material.Get();
    m_lastBatch = m_batches.Get(material);
    return m_lastBatch;
}

void CPRenderList::AddLight(CPObject* object, const CPObjectPtr& renderObject)
{
    auto* light = renderObject.As<CPLight>();
    if (!light) {
        if (!IsReported(kNoLight))
            ReportOnce(kNoLight,
                       "CPRenderList: " + object->GetTypeName() + " of the light kind has no light");
        return;
    }
    const platform::Light* record = light->UpdateLight();
    if (m_render && record)
        m_render->AddLight(*record);
}

void CPRenderList::AddObjectTree(const CPObjectPtr& object)
{
    auto* gameObject = object.As<CPGameObject>();
    if (!gameObject) {
        AddObject(object);
        return;
    }
    if (m_taggedOnly && gameObject->GetTag() == 0)
        return;
    AddGameObject(*gameObject);
    if (!gameObject->IsVisible())
        return;
    const auto& children = gameObject->GetChildren();
    for (std::size_t i = 0; i < children.size(); ++i)
        AddObjectTree(children[i]);
}

void CPRenderList::AddDynamicTree(const CPObjectPtr& object)
{
    auto* gameObject = object.As<CPGameObject>();
    if (!gameObject || !gameObject->IsVisible())
        return;
    if (gameObject->GetRenderKind() == CPGameObject::kMeshObject && gameObject->GetTag() != 0) {
        if (auto* renderable = gameObject->GetRenderObject().As<CPRenderable>())
            m_dynamicBuffer->AddRenderable(*renderable);
    }
    const auto& children = gameObject->GetChildren();
    for (std::size_t i = 0; i < children.size(); ++i)
        AddDynamicTree(children[i]);
    // Levels of detail: every entry after the object itself. Read by index,
    // so a list that changes meanwhile is never walked past its end.
    const auto& linked = gameObject->GetLinkedObjects();
    for (std::size_t i = 1; i < linked.size(); ++i)
        if (linked[i].object.Get() != gameObject)
            AddDynamicTree(linked[i].object);
}

bool CPRenderList::LockDynamicBuffer() { return m_dynamicBuffer->Lock(0, 0, true, -1); }

void CPRenderList::UnlockDynamicBuffer() { m_dynamicBuffer->Unlock(true); }

void CPRenderList::AddStaticMeshes(const CPPerspectiveCamera& camera,
                                   const std::vector<CPRenderObject*>& holders)
{
    // Listing adds to the frame's holders; those listed before are sorted
    // once and searched.
    std::sort(m_frameStatics.begin(), m_frameStatics.end());
    const auto listedBefore = static_cast<std::ptrdiff_t>(m_frameStatics.size());
    for (std::size_t i = 0; i < holders.size(); ++i) {
        const CPRenderObject* holder = holders[i];
        if (std::binary_search(m_frameStatics.begin(), m_frameStatics.begin() + listedBefore, holder))
            continue;
        CPGameObject* owner = holder->GetOwner();
        if (!owner || owner->GetRenderObject().Get() != holder || !holder->GetStaticMesh())
            continue;
        if (!IsShown(*owner) || !IsMeshSeen(camera, *holder))
            continue;
        AddObject(CPObjectPtr(owner));
    }
}

void CPRenderList::ClearFrame()
{
    for (CPIVBlock* batch : m_frameBatches)
        batch->ClearFrame();
    m_frameBatches.clear();
    m_frameStatics.clear();
}

CPIVBlock* CPRenderList::FindBatch(const CPObject* material) const { return m_batches.Find(material); }
