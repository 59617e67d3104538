#include "platform/HeadlessGraphicsDevice.h"

#include <cstring>

#include "platform/DrawChecks.h"
#include "platform/MemoryTextures.h"
#include "platform/ResourceChecks.h"

namespace platform {

namespace {

template <class Enum> std::size_t Slot(Enum value) { return static_cast<std::size_t>(value); }

#if !defined(NDEBUG) || defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_UNDEFINED__)
bool g_checkDrawIndices = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer)
bool g_checkDrawIndices = true;
#else
bool g_checkDrawIndices = false;
#endif
#else
bool g_checkDrawIndices = false;
#endif

} // namespace

HeadlessGraphicsDevice::HeadlessGraphicsDevice(const PresentParameters& parameters, const DeviceCaps& caps)
    : m_parameters(parameters), m_caps(caps)
{
    // Room for a busy frame's draws in both lists, as they swap every
    // frame: a race's frames then record without reallocating.
    m_frameDraws.reserve(kDrawRoom);
    m_lastFrameDraws.reserve(kDrawRoom);
    RestoreDefaultStates();
}

HeadlessGraphicsDevice::~HeadlessGraphicsDevice()
{
    // Resources may outlive the device; they then just hold their memory.
    for (GraphicsResource* resource : m_resources)
        Detach(resource);
}

HResult HeadlessGraphicsDevice::GetDeviceCaps(DeviceCaps* caps) const
{
    if (!caps)
        return kInvalidCall;
    *caps = m_caps;
    return S_OK;
}

// The states a freshly made or reset device starts from.
void HeadlessGraphicsDevice::RestoreDefaultStates()
{
    m_states.RestoreDefaults();
    m_textures.fill(nullptr);
    m_stream = nullptr;
    m_streamOffset = 0;
    m_streamStride = 0;
    m_indices = nullptr;
}

// ---- Resources ----

HResult HeadlessGraphicsDevice::CreateVertexBuffer(std::uint32_t length, std::uint32_t usage,
                                                   std::uint32_t format, ResourcePool pool,
                                                   VertexBuffer** out)
{
    if (!out)
        return kInvalidCall;
    *out = nullptr;
    if (length == 0)
        return kInvalidCall;
    if (ConsumeFailure(DeviceFailure::CreateVertexBuffer))
        return kOutOfVideoMemory;
    auto* buffer = new MemoryVertexBuffer(this, this, length, usage, format, pool);
    if (!buffer->HasMemory()) {
        buffer->Release();
        return kOutOfVideoMemory;
    }
    *out = buffer;
    Track(*out);
    return S_OK;
}

HResult HeadlessGraphicsDevice::CreateIndexBuffer(std::uint32_t length, std::uint32_t usage,
                                                  IndexFormat format, ResourcePool pool, IndexBuffer** out)
{
    if (!out)
        return kInvalidCall;
    *out = nullptr;
    if (!IndexBufferSizeFits(length, format))
        return kInvalidCall;
    if (ConsumeFailure(DeviceFailure::CreateIndexBuffer))
        return kOutOfVideoMemory;
    auto* buffer = new MemoryIndexBuffer(this, this, length, usage, format, pool);
    if (!buffer->HasMemory()) {
        buffer->Release();
        return kOutOfVideoMemory;
    }
    *out = buffer;
    Track(*out);
    return S_OK;
}

HResult HeadlessGraphicsDevice::CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                              std::uint32_t usage, PixelFormat format, ResourcePool pool,
                                              Texture** out)
{
    if (!out)
        return kInvalidCall;
    *out = nullptr;
    std::uint32_t chain = 0;
    if (!TextureFits(m_caps, width, height, levels, format, &chain))
        return kInvalidCall;
    if (ConsumeFailure(DeviceFailure::CreateTexture))
        return kOutOfVideoMemory;
    *out = new MemoryTexture(this, this, width, height, chain, usage, format, pool);
    Track(*out);
    return S_OK;
}

HResult HeadlessGraphicsDevice::CreateCubeTexture(std::uint32_t edge, std::uint32_t levels,
                                                  std::uint32_t usage, PixelFormat format, ResourcePool pool,
                                                  CubeTexture** out)
{
    if (!out)
        return kInvalidCall;
    *out = nullptr;
    std::uint32_t chain = 0;
    if (!TextureFits(m_caps, edge, edge, levels, format, &chain))
        return kInvalidCall;
    if (ConsumeFailure(DeviceFailure::CreateCubeTexture))
        return kOutOfVideoMemory;
    *out = new MemoryCubeTexture(this, this, edge, chain, usage, format, pool);
    Track(*out);
    return S_OK;
}

void HeadlessGraphicsDevice::Forget(GraphicsResource* resource)
{
    m_resources.erase(resource);
    for (Texture*& texture : m_textures)
        if (texture == resource)
            texture = nullptr;
    if (m_stream == resource)
        m_stream = nullptr;
    if (m_indices == resource)
        m_indices = nullptr;
}

std::size_t HeadlessGraphicsDevice::GetLiveResourceCount(ResourcePool pool) const
{
    std::size_t count = 0;
    for (const GraphicsResource* resource : m_resources)
        if (resource->GetPool() == pool)
            ++count;
    return count;
}

void HeadlessGraphicsDevice::FailNext(DeviceFailure what, std::uint32_t count, std::uint32_t skip)
{
    if (what < DeviceFailure::Count)
        m_failures[Slot(what)] = PlannedFailure{skip, count};
}

bool HeadlessGraphicsDevice::ConsumeFailure(DeviceFailure what)
{
    if (what >= DeviceFailure::Count)
        return false;
    PlannedFailure& planned = m_failures[Slot(what)];
    if (planned.count == 0)
        return false;
    if (planned.skip > 0) {
        --planned.skip;
        return false;
    }
    --planned.count;
    return true;
}

// ---- States ----

void HeadlessGraphicsDevice::Log(const DeviceCall& call)
{
    if (m_logCalls)
        m_callLog.push_back(call);
}

void HeadlessGraphicsDevice::LogStateCall(DeviceCall::Kind kind, std::uint32_t index, std::uint32_t state,
                                          std::uint32_t value)
{
    if (!m_logCalls)
        return;
    DeviceCall call;
    call.kind = kind;
    call.index = index;
    call.state = state;
    call.value = value;
    Log(call);
}

HResult HeadlessGraphicsDevice::SetRenderState(RenderState state, std::uint32_t value)
{
    const HResult result = m_states.SetRenderState(state, value);
    if (Succeeded(result))
        LogStateCall(DeviceCall::Kind::RenderState, 0, static_cast<std::uint32_t>(state), value);
    return result;
}

HResult HeadlessGraphicsDevice::SetSamplerState(std::uint32_t sampler, SamplerState state,
                                                std::uint32_t value)
{
    const HResult result = m_states.SetSamplerState(sampler, state, value);
    if (Succeeded(result))
        LogStateCall(DeviceCall::Kind::SamplerState, sampler, static_cast<std::uint32_t>(state), value);
    return result;
}

HResult HeadlessGraphicsDevice::SetTextureStageState(std::uint32_t stage, StageState state,
                                                     std::uint32_t value)
{
    const HResult result = m_states.SetTextureStageState(stage, state, value);
    if (Succeeded(result))
        LogStateCall(DeviceCall::Kind::StageState, stage, static_cast<std::uint32_t>(state), value);
    return result;
}

HResult HeadlessGraphicsDevice::SetTransform(TransformState state, const Matrix4& matrix)
{
    const HResult result = m_states.SetTransform(state, matrix);
    if (Succeeded(result) && m_logCalls) {
        DeviceCall call;
        call.kind = DeviceCall::Kind::Transform;
        call.state = static_cast<std::uint32_t>(state);
        call.matrix = matrix;
        Log(call);
    }
    return result;
}

HResult HeadlessGraphicsDevice::SetMaterial(const Material& material)
{
    m_states.SetMaterial(material);
    if (m_logCalls) {
        DeviceCall call;
        call.kind = DeviceCall::Kind::Material;
        call.material = material;
        Log(call);
    }
    return S_OK;
}

HResult HeadlessGraphicsDevice::SetLight(std::uint32_t index, const Light& light)
{
    const HResult result = m_states.SetLight(index, light);
    if (Succeeded(result) && m_logCalls) {
        DeviceCall call;
        call.kind = DeviceCall::Kind::Light;
        call.index = index;
        call.light = light;
        Log(call);
    }
    return result;
}

HResult HeadlessGraphicsDevice::LightEnable(std::uint32_t index, bool enable)
{
    const HResult result = m_states.LightEnable(index, enable);
    if (Succeeded(result) && m_logCalls) {
        DeviceCall call;
        call.kind = DeviceCall::Kind::LightEnable;
        call.index = index;
        call.value = enable ? 1 : 0;
        Log(call);
    }
    return result;
}

HResult HeadlessGraphicsDevice::SetFVF(std::uint32_t format)
{
    m_states.SetFVF(format);
    if (m_logCalls) {
        DeviceCall call;
        call.kind = DeviceCall::Kind::VertexFormat;
        call.value = format;
        Log(call);
    }
    return S_OK;
}

HResult HeadlessGraphicsDevice::SetTexture(std::uint32_t stage, Texture* texture)
{
    if (stage >= kMaxSamplers)
        return kInvalidCall;
    if (texture && texture->GetDevice() != this)
        return kInvalidCall;
    m_textures[stage] = texture;
    if (m_logCalls) {
        DeviceCall call;
        call.kind = DeviceCall::Kind::Texture;
        call.index = stage;
        call.texture = texture;
        Log(call);
    }
    return S_OK;
}

Texture* HeadlessGraphicsDevice::GetTexture(std::uint32_t stage) const
{
    return stage < kMaxSamplers ? m_textures[stage] : nullptr;
}

HResult HeadlessGraphicsDevice::SetStreamSource(std::uint32_t stream, VertexBuffer* buffer,
                                                std::uint32_t offset, std::uint32_t stride)
{
    if (stream != 0 || (buffer && buffer->GetDevice() != this))
        return kInvalidCall;
    m_stream = static_cast<MemoryVertexBuffer*>(buffer);
    m_streamOffset = offset;
    m_streamStride = stride;
    return S_OK;
}

HResult HeadlessGraphicsDevice::SetIndices(IndexBuffer* buffer)
{
    if (buffer && buffer->GetDevice() != this)
        return kInvalidCall;
    // Every index buffer of this device is one it made in memory.
    m_indices = static_cast<MemoryIndexBuffer*>(buffer);
    return S_OK;
}

// ---- Frame ----

HResult HeadlessGraphicsDevice::Clear(std::uint32_t flags, std::uint32_t color, float z,
                                      std::uint32_t stencil)
{
    if (!AreClearFlags(flags))
        return kInvalidCall;
    if (m_logCalls) {
        DeviceCall call;
        call.kind = DeviceCall::Kind::Clear;
        call.value = flags;
        call.state = color;
        Log(call);
    }
    if (!CanDraw())
        return S_OK;
    ++m_clearCount;
    m_lastClear = ClearRecord{flags, color, z, stencil};
    return S_OK;
}

HResult HeadlessGraphicsDevice::BeginScene() { return m_frame.BeginScene(); }

HResult HeadlessGraphicsDevice::EndScene() { return m_frame.EndScene(); }

HResult HeadlessGraphicsDevice::Present()
{
    const HResult ready = m_frame.CheckPresent();
    if (Failed(ready))
        return ready;
    // Swapping keeps both lists' memory, so steady frames allocate nothing.
    m_lastFrameDraws.swap(m_frameDraws);
    m_frameDraws.clear();
    m_lastFrameUserBytes.swap(m_frameUserBytes);
    m_frameUserBytes.clear();
    ++m_presentCount;
    return S_OK;
}

// ---- Draws ----

DrawBindings HeadlessGraphicsDevice::Bindings() const
{
    return {m_frame.IsInScene(), CanDraw(), m_caps.maxPrimitiveCount, m_stream, m_streamOffset,
            m_streamStride,      m_indices};
}

// Written in its place in the frame's list, which keeps its room from
// frame to frame; the caller fills in what its kind of draw records. The
// scenery draws mesh by mesh, so this is inlined into every draw.
inline DrawRecord& HeadlessGraphicsDevice::NewRecord(DrawRecord::Kind kind)
{
    DrawRecord& record = m_frameDraws.emplace_back();
    record.kind = kind;
    record.vertexFormat = m_states.GetFVF();
    record.texture0 = m_textures[0];
    ++m_drawCount;
    return record;
}

HResult HeadlessGraphicsDevice::DrawPrimitive(PrimitiveType type, std::uint32_t startVertex,
                                              std::uint32_t primitiveCount)
{
    std::uint64_t vertices = 0;
    const HResult checked = CheckStreamDraw(Bindings(), type, startVertex, primitiveCount, &vertices);
    if (Failed(checked) || !CanDraw())
        return checked;
    DrawRecord& record = NewRecord(DrawRecord::Kind::Primitive);
    record.type = type;
    record.primitiveCount = primitiveCount;
    record.startVertex = startVertex;
    record.vertexCount = static_cast<std::uint32_t>(vertices);
    record.stride = m_streamStride;
    record.vertexBuffer = m_stream;
    return S_OK;
}

void HeadlessGraphicsDevice::SetDrawIndexCheck(bool on) { g_checkDrawIndices = on; }

bool HeadlessGraphicsDevice::IsDrawIndexCheckOn() { return g_checkDrawIndices; }

HResult HeadlessGraphicsDevice::DrawIndexedPrimitive(PrimitiveType type, std::int32_t baseVertex,
                                                     std::uint32_t minIndex, std::uint32_t vertexCount,
                                                     std::uint32_t startIndex, std::uint32_t primitiveCount)
{
    const HResult checked = CheckIndexedDraw(Bindings(), type, baseVertex, minIndex, vertexCount, startIndex,
                                             primitiveCount, g_checkDrawIndices);
    if (Failed(checked) || !CanDraw())
        return checked;
    DrawRecord& record = NewRecord(DrawRecord::Kind::IndexedPrimitive);
    record.type = type;
    record.primitiveCount = primitiveCount;
    record.baseVertex = baseVertex;
    record.minIndex = minIndex;
    record.vertexCount = vertexCount;
    record.startIndex = startIndex;
    record.stride = m_streamStride;
    record.vertexBuffer = m_stream;
    record.indexBuffer = m_indices;
    return S_OK;
}

HResult HeadlessGraphicsDevice::DrawPrimitiveUP(PrimitiveType type, std::uint32_t primitiveCount,
                                                const void* vertices, std::uint32_t stride)
{
    std::uint32_t count = 0;
    const HResult checked = CheckUserDraw(Bindings(), type, primitiveCount, vertices, stride, &count);
    if (Failed(checked) || !CanDraw())
        return checked;
    DrawRecord& record = NewRecord(DrawRecord::Kind::UserPrimitive);
    record.type = type;
    record.primitiveCount = primitiveCount;
    record.vertexCount = count;
    record.stride = stride;
    record.userOffset = static_cast<std::uint32_t>(m_frameUserBytes.size());
    record.userLength = count * stride;
    const auto* source = static_cast<const std::uint8_t*>(vertices);
    m_frameUserBytes.insert(m_frameUserBytes.end(), source, source + record.userLength);
    // The stream binding is undefined after a user-memory draw.
    m_stream = nullptr;
    m_streamOffset = 0;
    m_streamStride = 0;
    return S_OK;
}

// ---- Loss and reset ----

HResult HeadlessGraphicsDevice::TestCooperativeLevel() const { return m_frame.TestCooperativeLevel(); }

void HeadlessGraphicsDevice::LoseDevice() { m_frame.Lose(); }

void HeadlessGraphicsDevice::AllowReset() { m_frame.AllowReset(); }

HResult HeadlessGraphicsDevice::Reset(const PresentParameters& parameters)
{
    const HResult allowed = m_frame.CheckReset(GetLiveResourceCount(ResourcePool::Default) > 0);
    if (Failed(allowed))
        return allowed;
    m_parameters = parameters;
    RestoreDefaultStates();
    m_frame.Restart();
    ++m_resetCount;
    return S_OK;
}

} // namespace platform
