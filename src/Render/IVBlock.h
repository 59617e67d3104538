#pragma once

#include <cstdint>
#include <vector>

#include "Render/DeviceListener.h"
#include "core/Object.h"

class CPIVertexBuffer;
class CPRenderable;

// A batch: everything drawn with one material in a frame, written into one
// range of the render list's dynamic buffer and drawn with one effect. The
// counts are the sums over the enabled renderables; a disabled one stays
// listed but adds nothing.
class CPIVBlock : public CPObject, public CPDeviceListener {
  public:
    // The batch draws with `material` (held) into `buffer` (held).
    CPIVBlock(CPObjectPtr material, CPObjectPtr buffer);
    ~CPIVBlock() override;
    CPIVBlock(const CPIVBlock&) = delete;
    CPIVBlock& operator=(const CPIVBlock&) = delete;

    std::uint32_t GetObjectSize() const override { return sizeof(CPIVBlock); }
    std::string GetTypeName() const override { return "CPIVBlock"; }

    // The device's buffers no longer hold the batch.
    void OnLostDevice() override { m_inBuffers = 0; }
    void OnResetDevice() override {}

    // Lists the renderable for this frame. False, listing nothing, for an
    // empty pointer or anything but a renderable.
    bool AddRenderable(const CPObjectPtr& renderable);
    // The same for a pointer already known to hold `drawn`.
    void AddRenderable(const CPObjectPtr& renderable, CPRenderable& drawn);
    // Empties the renderables and the counts for the next frame; the
    // memory is kept.
    void ClearFrame();

    int GetIndexCount() const { return m_indexCount; }
    int GetVertexCount() const { return m_vertexCount; }
    const std::vector<CPObjectPtr>& GetRenderables() const { return m_renderables; }
    const CPObjectPtr& GetMaterial() const { return m_material; }
    // The material's option, which picks the render pass; a material of
    // another kind counts as 0. A material's option never changes, so it
    // is read once.
    int GetOption() const { return m_option; }
    CPIVertexBuffer* GetBuffer() const;
    bool IsInBuffers() const { return m_inBuffers != 0; }
    void SetInBuffers(bool inBuffers) { m_inBuffers = inBuffers ? 1 : 0; }
    std::vector<CPObjectPtr>& GetExtraReferences() { return m_extraReferences; }

    // Whether the batch joined the current frame: the render list keeps
    // the frame's batches in the order they first drew.
    bool IsInFrame() const { return m_inFrame; }
    void SetInFrame(bool inFrame) { m_inFrame = inFrame; }

    // Set once a renderable of the batch was reported too large to draw, so
    // the report is not repeated every frame.
    bool IsOversizeReported() const { return m_oversizeReported; }
    void SetOversizeReported() { m_oversizeReported = true; }

  private:
    std::int32_t m_words[2] = {0, 0};
    std::int32_t m_indexCount = 0;
    std::int32_t m_vertexCount = 0;
    std::uint8_t m_inBuffers = 0;
    std::vector<CPObjectPtr> m_extraReferences;
    CPObjectPtr m_buffer;
    static constexpr std::size_t kRenderableRoom = 32;
    std::vector<CPObjectPtr> m_renderables;
    CPObjectPtr m_material;
    int m_option = 0;
    bool m_inFrame = false;
    bool m_oversizeReported = false;
};
