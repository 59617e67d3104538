#pragma once

#include <array>
#include <cstdint>
#include <unordered_set>
#include <vector>

#include "platform/DeviceStates.h"
#include "platform/FrameState.h"
#include "platform/GraphicsDevice.h"
#include "platform/MemoryBuffers.h"
#include "platform/MemoryTextures.h"

namespace platform {

struct DrawBindings;

// One draw the device accepted, as the frame's draw list records it.
struct DrawRecord {
    enum class Kind : std::uint8_t { Primitive, IndexedPrimitive, UserPrimitive };

    Kind kind = Kind::Primitive;
    PrimitiveType type = PrimitiveType::TriangleList;
    std::uint32_t primitiveCount = 0;
    std::uint32_t startVertex = 0; // Primitive
    std::int32_t baseVertex = 0;   // IndexedPrimitive
    std::uint32_t minIndex = 0;
    std::uint32_t vertexCount = 0; // vertices the draw may read
    std::uint32_t startIndex = 0;
    std::uint32_t stride = 0;
    std::uint32_t vertexFormat = 0;
    const VertexBuffer* vertexBuffer = nullptr; // identity only; may be gone
    const IndexBuffer* indexBuffer = nullptr;
    const Texture* texture0 = nullptr;
    // UserPrimitive: where the copy of the caller's vertices lies in the
    // frame's vertex bytes (GetFrameUserBytes / GetLastFrameUserBytes).
    std::uint32_t userOffset = 0;
    std::uint32_t userLength = 0;
};

// One state call, kept while call logging is on so a test can read the
// exact sequence a component sent.
struct DeviceCall {
    enum class Kind : std::uint8_t {
        RenderState,  // state, value
        SamplerState, // index = sampler, state, value
        StageState,   // index = stage, state, value
        Transform,    // state = transform, matrix
        Material,     // material
        Light,        // index, light
        LightEnable,  // index, value
        VertexFormat, // value
        Texture,      // index = stage, texture
        Clear,        // value = flags, state = colour
    };
    Kind kind = Kind::RenderState;
    std::uint32_t index = 0;
    std::uint32_t state = 0;
    std::uint32_t value = 0;
    Matrix4 matrix;
    Material material;
    Light light;
    const Texture* texture = nullptr;
};

struct ClearRecord {
    std::uint32_t flags = 0;
    std::uint32_t color = 0;
    float z = 0.0f;
    std::uint32_t stencil = 0;
};

// Creation or lock that a test asks the device to refuse.
enum class DeviceFailure : std::uint8_t {
    CreateVertexBuffer,
    CreateIndexBuffer,
    CreateTexture,
    Lock,
    CreateCubeTexture,
    Count
};

// The headless graphics device. It keeps every state the engine sets,
// backs buffers and textures with memory, checks draws against what is
// bound, and records each frame's draws. Nothing is rasterised. Its
// resources are the memory ones (MemoryBuffers.h, MemoryTextures.h), which
// AsMemory hands to tests.
class HeadlessGraphicsDevice : public GraphicsDevice, private ResourceOwner {
  public:
    using Status = FrameState::Status;

    explicit HeadlessGraphicsDevice(const PresentParameters& parameters = {}, const DeviceCaps& caps = {});
    ~HeadlessGraphicsDevice() override;

    // Whether every indexed draw reads its indices to refuse one that
    // reaches outside the vertex range it declares. The read costs a pass
    // over the indices of every draw, so it is on by default only where
    // faults are hunted (debug and sanitizer builds); tests switch it on
    // for every device of the process.
    static void SetDrawIndexCheck(bool on);
    static bool IsDrawIndexCheckOn();

    // Capabilities and presentation.
    HResult GetDeviceCaps(DeviceCaps* caps) const override;
    const PresentParameters& GetPresentParameters() const override { return m_parameters; }

    // Resources. On success *out holds one reference for the caller.
    HResult CreateVertexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t format,
                               ResourcePool pool, VertexBuffer** out) override;
    HResult CreateIndexBuffer(std::uint32_t length, std::uint32_t usage, IndexFormat format,
                              ResourcePool pool, IndexBuffer** out) override;
    // levels 0: the full chain down to 1x1.
    HResult CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                          std::uint32_t usage, PixelFormat format, ResourcePool pool, Texture** out) override;
    // Six square faces of `edge` pixels; levels 0: the full chain.
    HResult CreateCubeTexture(std::uint32_t edge, std::uint32_t levels, std::uint32_t usage,
                              PixelFormat format, ResourcePool pool, CubeTexture** out) override;

    // States.
    HResult SetRenderState(RenderState state, std::uint32_t value) override;
    std::uint32_t GetRenderState(RenderState state) const override { return m_states.GetRenderState(state); }
    HResult SetSamplerState(std::uint32_t sampler, SamplerState state, std::uint32_t value) override;
    std::uint32_t GetSamplerState(std::uint32_t sampler, SamplerState state) const override
    {
        return m_states.GetSamplerState(sampler, state);
    }
    HResult SetTextureStageState(std::uint32_t stage, StageState state, std::uint32_t value) override;
    std::uint32_t GetTextureStageState(std::uint32_t stage, StageState state) const override
    {
        return m_states.GetTextureStageState(stage, state);
    }
    HResult SetTransform(TransformState state, const Matrix4& matrix) override;
    HResult GetTransform(TransformState state, Matrix4* matrix) const override
    {
        return m_states.GetTransform(state, matrix);
    }
    HResult SetMaterial(const Material& material) override;
    HResult GetMaterial(Material* material) const override { return m_states.GetMaterial(material); }
    HResult SetLight(std::uint32_t index, const Light& light) override;
    HResult GetLight(std::uint32_t index, Light* light) const override
    {
        return m_states.GetLight(index, light);
    }
    HResult LightEnable(std::uint32_t index, bool enable) override;
    bool IsLightEnabled(std::uint32_t index) const override { return m_states.IsLightEnabled(index); }
    HResult SetFVF(std::uint32_t format) override;
    std::uint32_t GetFVF() const override { return m_states.GetFVF(); }
    HResult SetTexture(std::uint32_t stage, Texture* texture) override;
    Texture* GetTexture(std::uint32_t stage) const override;
    HResult SetStreamSource(std::uint32_t stream, VertexBuffer* buffer, std::uint32_t offset,
                            std::uint32_t stride) override;
    HResult SetIndices(IndexBuffer* buffer) override;

    // Frame.
    HResult Clear(std::uint32_t flags, std::uint32_t color, float z, std::uint32_t stencil) override;
    HResult BeginScene() override;
    HResult EndScene() override;
    HResult Present() override;
    bool IsInScene() const override { return m_frame.IsInScene(); }

    // Draws. They fail outside a scene, with nothing bound that they need,
    // with a locked buffer, or with ranges that reach past the buffers.
    HResult DrawPrimitive(PrimitiveType type, std::uint32_t startVertex,
                          std::uint32_t primitiveCount) override;
    HResult DrawIndexedPrimitive(PrimitiveType type, std::int32_t baseVertex, std::uint32_t minIndex,
                                 std::uint32_t vertexCount, std::uint32_t startIndex,
                                 std::uint32_t primitiveCount) override;
    HResult DrawPrimitiveUP(PrimitiveType type, std::uint32_t primitiveCount, const void* vertices,
                            std::uint32_t stride) override;

    // Loss and reset. The device answers kDeviceLost while lost, then
    // kDeviceNotReset once it may be reset. Reset refuses while any
    // default-pool resource is alive, and restores the default states.
    HResult TestCooperativeLevel() const override;
    HResult Reset(const PresentParameters& parameters) override;
    Status GetStatus() const { return m_frame.GetStatus(); }

    // ---- Test controls and readings ----
    void LoseDevice(); // the device is lost and may not be reset yet
    void AllowReset(); // a lost device may now be reset
    // Refuses `count` calls of a kind after letting `skip` more succeed.
    void FailNext(DeviceFailure what, std::uint32_t count = 1, std::uint32_t skip = 0);
    bool ConsumeFailure(DeviceFailure what);

    void SetCallLogging(bool on) { m_logCalls = on; }
    const std::vector<DeviceCall>& GetCallLog() const { return m_callLog; }
    void ClearCallLog() { m_callLog.clear(); }

    // Draws since the last Present, and those of the frame it ended.
    const std::vector<DrawRecord>& GetFrameDraws() const { return m_frameDraws; }
    const std::vector<DrawRecord>& GetLastFrameDraws() const { return m_lastFrameDraws; }
    const std::vector<std::uint8_t>& GetFrameUserBytes() const { return m_frameUserBytes; }
    const std::vector<std::uint8_t>& GetLastFrameUserBytes() const { return m_lastFrameUserBytes; }

    std::uint64_t GetDrawCount() const { return m_drawCount; }
    std::uint64_t GetPresentCount() const { return m_presentCount; }
    std::uint32_t GetResetCount() const { return m_resetCount; }
    std::uint32_t GetClearCount() const { return m_clearCount; }
    const ClearRecord& GetLastClear() const { return m_lastClear; }
    std::size_t GetLiveResourceCount() const { return m_resources.size(); }
    std::size_t GetLiveResourceCount(ResourcePool pool) const;

  private:
    void Forget(GraphicsResource* resource) override;
    bool RefusesLock() override { return ConsumeFailure(DeviceFailure::Lock); }
    void Track(GraphicsResource* resource) { m_resources.insert(resource); }
    void RestoreDefaultStates();
    void Log(const DeviceCall& call);
    void LogStateCall(DeviceCall::Kind kind, std::uint32_t index, std::uint32_t state, std::uint32_t value);
    bool CanDraw() const { return m_frame.IsOperational(); }
    DrawBindings Bindings() const;
    DrawRecord& NewRecord(DrawRecord::Kind kind);

    PresentParameters m_parameters;
    DeviceCaps m_caps;
    FrameState m_frame;

    DeviceStates m_states;
    std::array<Texture*, kMaxSamplers> m_textures{};
    // Every buffer of this device is one it made in memory.
    MemoryVertexBuffer* m_stream = nullptr;
    std::uint32_t m_streamOffset = 0;
    std::uint32_t m_streamStride = 0;
    MemoryIndexBuffer* m_indices = nullptr;

    std::unordered_set<GraphicsResource*> m_resources;
    struct PlannedFailure {
        std::uint32_t skip = 0;
        std::uint32_t count = 0;
    };
    std::array<PlannedFailure, static_cast<std::size_t>(DeviceFailure::Count)> m_failures{};

    bool m_logCalls = false;
    std::vector<DeviceCall> m_callLog;
    static constexpr std::size_t kDrawRoom = 1024;
    std::vector<DrawRecord> m_frameDraws;
    std::vector<DrawRecord> m_lastFrameDraws;
    std::vector<std::uint8_t> m_frameUserBytes;
    std::vector<std::uint8_t> m_lastFrameUserBytes;
    std::uint64_t m_drawCount = 0;
    std::uint64_t m_presentCount = 0;
    std::uint32_t m_resetCount = 0;
    std::uint32_t m_clearCount = 0;
    ClearRecord m_lastClear;
};

} // namespace platform
