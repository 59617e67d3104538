#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Render/BatchTable.h"
#include "Render/PIVertexBuffer.h"
#include "core/Object.h"

class CPGameObject;
class CPIVBlock;
class CPPerspectiveCamera;
class CPRender;
class CPRenderObject;

// The visible objects of a frame. Mesh render objects, animated objects
// and sprites are grouped by material into batches; lights go into the
// renderer's light table; task render objects and empty objects add
// nothing. Tagged mesh objects can also be written straight into the
// list's dynamic buffer.
//
// The frame's batches are listed in the order their materials first drew
// this frame; every batch ever made stays in the list, one per material,
// until the list goes. ClearFrame empties the frame for the next one and
// keeps the memory, so a steady scene allocates nothing per frame.
class CPRenderList : public CPObject {
  public:
    // Lights go to `render`'s table; the dynamic buffer is made on its
    // device with the given ring. Both must outlive the list.
    explicit CPRenderList(CPRender* render, int slotCount = CPIVertexBuffer::kDefaultSlotCount,
                          int slotVertices = CPIVertexBuffer::kDefaultSlotVertices,
                          int slotIndices = CPIVertexBuffer::kDefaultSlotIndices);
    ~CPRenderList() override;
    CPRenderList(const CPRenderList&) = delete;
    CPRenderList& operator=(const CPRenderList&) = delete;

    std::uint32_t GetObjectSize() const override { return sizeof(CPRenderList); }
    std::string GetTypeName() const override { return "CPRenderList"; }

    // The object's render object by its kind, when the object is visible.
    void AddObject(const CPObjectPtr& object);
    // The object and, while visible, its children in order. With the
    // tagged-only switch on, an untagged object hides its whole subtree.
    void AddObjectTree(const CPObjectPtr& object);
    // The visible, tagged mesh objects of a subtree (levels of detail after
    // the first entry too) into the dynamic buffer, which must be locked.
    void AddDynamicTree(const CPObjectPtr& object);

    // The whole dynamic buffer locked for AddDynamicTree, and unlocked.
    bool LockDynamicBuffer();
    void UnlockDynamicBuffer();

    // The given static-mesh holders (CPRender::GetStaticMeshHolders) that
    // this frame has not listed yet, each through its owner, when the owner
    // and all its parents are shown and the camera sees the mesh's box
    // where the holder places it.
    void AddStaticMeshes(const CPPerspectiveCamera& camera, const std::vector<CPRenderObject*>& holders);

    // Empties the frame's batches and their renderables and counts.
    void ClearFrame();

    const std::vector<CPIVBlock*>& GetFrameBatches() const { return m_frameBatches; }
    // The batch of a material, null before the material first drew or was
    // prepared.
    CPIVBlock* FindBatch(const CPObject* material) const;
    std::size_t GetBatchCount() const { return m_batches.Size(); }
    // Makes the material's batch before it first draws: the materials of a
    // level get theirs as the level loads, so no frame of the race makes
    // one, and the frame's list of batches gets room for it too.
    void PrepareBatch(const CPObjectPtr& material);
    // Room in the frame's list of static-mesh holders for that many, made as
    // the holders are: the first frame that lists them all grows nothing.
    void PrepareStaticMeshes(std::size_t holders);
    CPIVertexBuffer& GetDynamicBuffer() { return *m_dynamicBuffer; }

    bool IsTaggedOnly() const { return m_taggedOnly != 0; }
    void SetTaggedOnly(bool taggedOnly) { m_taggedOnly = taggedOnly ? 1 : 0; }

  private:
    // AddObject for an object already known to be a game object.
    void AddGameObject(CPGameObject& gameObject);
    void AddRenderable(CPObject* object, const CPObjectPtr& renderObject, std::int32_t kind);
    void AddLight(CPObject* object, const CPObjectPtr& renderObject);
    // The material's batch, made when it first draws.
    CPIVBlock* BatchOf(const CPObjectPtr& material);
    // Faulty objects come back every frame: callers test IsReported first so
    // the report's text is only built once.
    bool IsReported(int fault) const { return (m_reported & static_cast<std::uint32_t>(fault)) != 0; }
    void ReportOnce(int fault, const std::string& line);

    std::unique_ptr<CPIVertexBuffer> m_dynamicBuffer;
    std::vector<CPIVBlock*> m_frameBatches;
    // The static-mesh holders listed this frame, so no walk lists one twice.
    std::vector<const CPRenderObject*> m_frameStatics;
    CPBatchTable m_batches;
    // The batch found last: neighbours in a walk mostly share a material.
    const CPObject* m_lastMaterial = nullptr;
    CPIVBlock* m_lastBatch = nullptr;
    std::uint8_t m_taggedOnly = 0;
    CPRender* m_render;
    std::uint32_t m_reported = 0;
};
