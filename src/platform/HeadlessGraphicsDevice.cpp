#include "platform/HeadlessGraphicsDevice.h"

#include <cstring>

namespace platform {

namespace {

Matrix4 Identity()
{
    Matrix4 m;
    for (int i = 0; i < 4; ++i)
        m.m[i][i] = 1.0f;
    return m;
}

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
    RestoreDefaultStates();
}

HeadlessGraphicsDevice::~HeadlessGraphicsDevice()
{
    // Resources may outlive the device; they then just hold their memory.
    for (GraphicsResource* resource : m_resources)
        resource->DetachDevice();
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
    m_renderStates.fill(0);
    auto set = [this](RenderState state, std::uint32_t value) { m_renderStates[Slot(state)] = value; };
    set(RenderState::ZEnable, state::kZBufferOn);
    set(RenderState::ZWriteEnable, state::kTrue);
    set(RenderState::ZFunc, state::kCompareLessEqual);
    set(RenderState::AlphaFunc, state::kCompareAlways);
    set(RenderState::SrcBlend, state::kBlendOne);
    set(RenderState::DestBlend, state::kBlendZero);
    set(RenderState::CullMode, state::kCullCounterClockwise);
    set(RenderState::Clipping, state::kTrue);
    set(RenderState::Lighting, state::kTrue);
    set(RenderState::DiffuseMaterialSource, state::kMaterialSourceColor1);
    set(RenderState::SpecularMaterialSource, 2);
    set(RenderState::FogEnd, FloatBits(1.0f));
    set(RenderState::FogDensity, FloatBits(1.0f));
    set(RenderState::FillMode, 3);

    for (auto& sampler : m_samplerStates) {
        sampler.fill(0);
        sampler[Slot(SamplerState::AddressU)] = state::kAddressWrap;
        sampler[Slot(SamplerState::AddressV)] = state::kAddressWrap;
        sampler[Slot(SamplerState::AddressW)] = state::kAddressWrap;
        sampler[Slot(SamplerState::MagFilter)] = state::kFilterPoint;
        sampler[Slot(SamplerState::MinFilter)] = state::kFilterPoint;
        sampler[Slot(SamplerState::MipFilter)] = state::kFilterNone;
        sampler[Slot(SamplerState::MaxAnisotropy)] = 1;
    }
    for (std::uint32_t i = 0; i < kMaxTextureStages; ++i) {
        auto& stage = m_stageStates[i];
        stage.fill(0);
        stage[Slot(StageState::ColorOp)] = i == 0 ? state::kOpModulate : state::kOpDisable;
        stage[Slot(StageState::ColorArg1)] = state::kArgTexture;
        stage[Slot(StageState::ColorArg2)] = state::kArgCurrent;
        stage[Slot(StageState::AlphaOp)] = i == 0 ? state::kOpSelectArg1 : state::kOpDisable;
        stage[Slot(StageState::AlphaArg1)] = state::kArgTexture;
        stage[Slot(StageState::AlphaArg2)] = state::kArgCurrent;
        stage[Slot(StageState::TexCoordIndex)] = i;
    }
    m_transforms.fill(Identity());
    m_lights.fill(LightSlot{});
    m_material = Material{};
    m_vertexFormat = 0;
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
    auto* buffer = new VertexBuffer(this, length, usage, format, pool);
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
    const std::uint32_t indexSize = format == IndexFormat::Index16 ? 2 : 4;
    if (length == 0 || length % indexSize != 0)
        return kInvalidCall;
    if (ConsumeFailure(DeviceFailure::CreateIndexBuffer))
        return kOutOfVideoMemory;
    auto* buffer = new IndexBuffer(this, length, usage, format, pool);
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
    if (width == 0 || height == 0 || width > m_caps.maxTextureWidth || height > m_caps.maxTextureHeight ||
        FormatUnitBytes(format) == 0)
        return kInvalidCall;
    const std::uint32_t fullChain = FullSurfaceChainLength(width, height);
    if (levels > fullChain)
        return kInvalidCall;
    if (ConsumeFailure(DeviceFailure::CreateTexture))
        return kOutOfVideoMemory;
    *out = new Texture(this, width, height, levels == 0 ? fullChain : levels, usage, format, pool);
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
    if (edge == 0 || edge > m_caps.maxTextureWidth || edge > m_caps.maxTextureHeight ||
        FormatUnitBytes(format) == 0)
        return kInvalidCall;
    const std::uint32_t fullChain = FullSurfaceChainLength(edge, edge);
    if (levels > fullChain)
        return kInvalidCall;
    if (ConsumeFailure(DeviceFailure::CreateCubeTexture))
        return kOutOfVideoMemory;
    *out = new CubeTexture(this, edge, levels == 0 ? fullChain : levels, usage, format, pool);
    Track(*out);
    return S_OK;
}

void HeadlessGraphicsDevice::Forget(GraphicsResource* resource)
{
    m_resources.erase(resource);
    if (m_releaseListener)
        m_releaseListener(resource);
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
    if (state >= RenderState::Count)
        return kInvalidCall;
    m_renderStates[Slot(state)] = value;
    LogStateCall(DeviceCall::Kind::RenderState, 0, static_cast<std::uint32_t>(state), value);
    return S_OK;
}

std::uint32_t HeadlessGraphicsDevice::GetRenderState(RenderState state) const
{
    return state < RenderState::Count ? m_renderStates[Slot(state)] : 0;
}

HResult HeadlessGraphicsDevice::SetSamplerState(std::uint32_t sampler, SamplerState state,
                                                std::uint32_t value)
{
    if (sampler >= kMaxSamplers || state >= SamplerState::Count)
        return kInvalidCall;
    m_samplerStates[sampler][Slot(state)] = value;
    LogStateCall(DeviceCall::Kind::SamplerState, sampler, static_cast<std::uint32_t>(state), value);
    return S_OK;
}

std::uint32_t HeadlessGraphicsDevice::GetSamplerState(std::uint32_t sampler, SamplerState state) const
{
    if (sampler >= kMaxSamplers || state >= SamplerState::Count)
        return 0;
    return m_samplerStates[sampler][Slot(state)];
}

HResult HeadlessGraphicsDevice::SetTextureStageState(std::uint32_t stage, StageState state,
                                                     std::uint32_t value)
{
    if (stage >= kMaxTextureStages || state >= StageState::Count)
        return kInvalidCall;
    m_stageStates[stage][Slot(state)] = value;
    LogStateCall(DeviceCall::Kind::StageState, stage, static_cast<std::uint32_t>(state), value);
    return S_OK;
}

std::uint32_t HeadlessGraphicsDevice::GetTextureStageState(std::uint32_t stage, StageState state) const
{
    if (stage >= kMaxTextureStages || state >= StageState::Count)
        return 0;
    return m_stageStates[stage][Slot(state)];
}

HResult HeadlessGraphicsDevice::SetTransform(TransformState state, const Matrix4& matrix)
{
    if (state >= TransformState::Count)
        return kInvalidCall;
    m_transforms[Slot(state)] = matrix;
    if (m_logCalls) {
        DeviceCall call;
        call.kind = DeviceCall::Kind::Transform;
        call.state = static_cast<std::uint32_t>(state);
        call.matrix = matrix;
        Log(call);
    }
    return S_OK;
}

HResult HeadlessGraphicsDevice::GetTransform(TransformState state, Matrix4* matrix) const
{
    if (!matrix || state >= TransformState::Count)
        return kInvalidCall;
    *matrix = m_transforms[Slot(state)];
    return S_OK;
}

HResult HeadlessGraphicsDevice::SetMaterial(const Material& material)
{
    m_material = material;
    if (m_logCalls) {
        DeviceCall call;
        call.kind = DeviceCall::Kind::Material;
        call.material = material;
        Log(call);
    }
    return S_OK;
}

HResult HeadlessGraphicsDevice::GetMaterial(Material* material) const
{
    if (!material)
        return kInvalidCall;
    *material = m_material;
    return S_OK;
}

HResult HeadlessGraphicsDevice::SetLight(std::uint32_t index, const Light& light)
{
    if (index >= kMaxLights)
        return kInvalidCall;
    m_lights[index].light = light;
    m_lights[index].set = true;
    if (m_logCalls) {
        DeviceCall call;
        call.kind = DeviceCall::Kind::Light;
        call.index = index;
        call.light = light;
        Log(call);
    }
    return S_OK;
}

HResult HeadlessGraphicsDevice::GetLight(std::uint32_t index, Light* light) const
{
    if (!light || index >= kMaxLights || !m_lights[index].set)
        return kInvalidCall;
    *light = m_lights[index].light;
    return S_OK;
}

HResult HeadlessGraphicsDevice::LightEnable(std::uint32_t index, bool enable)
{
    if (index >= kMaxLights)
        return kInvalidCall;
    // Enabling a light that was never set gives it the default light.
    m_lights[index].set = m_lights[index].set || enable;
    m_lights[index].enabled = enable;
    if (m_logCalls) {
        DeviceCall call;
        call.kind = DeviceCall::Kind::LightEnable;
        call.index = index;
        call.value = enable ? 1 : 0;
        Log(call);
    }
    return S_OK;
}

bool HeadlessGraphicsDevice::IsLightEnabled(std::uint32_t index) const
{
    return index < kMaxLights && m_lights[index].enabled;
}

HResult HeadlessGraphicsDevice::SetFVF(std::uint32_t format)
{
    m_vertexFormat = format;
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
    m_stream = buffer;
    m_streamOffset = offset;
    m_streamStride = stride;
    return S_OK;
}

HResult HeadlessGraphicsDevice::SetIndices(IndexBuffer* buffer)
{
    if (buffer && buffer->GetDevice() != this)
        return kInvalidCall;
    m_indices = buffer;
    return S_OK;
}

// ---- Frame ----

HResult HeadlessGraphicsDevice::Clear(std::uint32_t flags, std::uint32_t color, float z,
                                      std::uint32_t stencil)
{
    if (flags == 0 || (flags & ~(clear::kTarget | clear::kZBuffer | clear::kStencil)) != 0)
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

HResult HeadlessGraphicsDevice::BeginScene()
{
    if (m_inScene)
        return kInvalidCall;
    m_inScene = true;
    return S_OK;
}

HResult HeadlessGraphicsDevice::EndScene()
{
    if (!m_inScene)
        return kInvalidCall;
    m_inScene = false;
    return S_OK;
}

HResult HeadlessGraphicsDevice::Present()
{
    if (m_inScene)
        return kInvalidCall;
    if (m_status != Status::Operational)
        return kDeviceLost;
    // Swapping keeps both lists' memory, so steady frames allocate nothing.
    m_lastFrameDraws.swap(m_frameDraws);
    m_frameDraws.clear();
    m_lastFrameUserBytes.swap(m_frameUserBytes);
    m_frameUserBytes.clear();
    ++m_presentCount;
    return S_OK;
}

// ---- Draws ----

HResult HeadlessGraphicsDevice::RecordDraw(DrawRecord& record)
{
    record.vertexFormat = m_vertexFormat;
    record.texture0 = m_textures[0];
    m_frameDraws.push_back(record);
    ++m_drawCount;
    return S_OK;
}

HResult HeadlessGraphicsDevice::DrawPrimitive(PrimitiveType type, std::uint32_t startVertex,
                                              std::uint32_t primitiveCount)
{
    if (!m_inScene || primitiveCount == 0 || primitiveCount > m_caps.maxPrimitiveCount)
        return kInvalidCall;
    if (!CanDraw())
        return S_OK;
    if (!m_stream || m_streamStride == 0 || m_stream->IsLocked())
        return kInvalidCall;
    const std::uint64_t vertices = VerticesForPrimitives(type, primitiveCount);
    const std::uint64_t end = m_streamOffset + (startVertex + vertices) * m_streamStride;
    if (vertices == 0 || end > m_stream->GetLength())
        return kInvalidCall;
    DrawRecord record;
    record.kind = DrawRecord::Kind::Primitive;
    record.type = type;
    record.primitiveCount = primitiveCount;
    record.startVertex = startVertex;
    record.vertexCount = static_cast<std::uint32_t>(vertices);
    record.stride = m_streamStride;
    record.vertexBuffer = m_stream;
    return RecordDraw(record);
}

void HeadlessGraphicsDevice::SetDrawIndexCheck(bool on) { g_checkDrawIndices = on; }

bool HeadlessGraphicsDevice::IsDrawIndexCheckOn() { return g_checkDrawIndices; }

HResult HeadlessGraphicsDevice::DrawIndexedPrimitive(PrimitiveType type, std::int32_t baseVertex,
                                                     std::uint32_t minIndex, std::uint32_t vertexCount,
                                                     std::uint32_t startIndex, std::uint32_t primitiveCount)
{
    if (!m_inScene || primitiveCount == 0 || primitiveCount > m_caps.maxPrimitiveCount || vertexCount == 0)
        return kInvalidCall;
    if (!CanDraw())
        return S_OK;
    if (!m_stream || !m_indices || m_streamStride == 0 || m_stream->IsLocked() || m_indices->IsLocked())
        return kInvalidCall;
    const std::uint64_t indexCount = VerticesForPrimitives(type, primitiveCount);
    if (indexCount == 0 || startIndex + indexCount > m_indices->GetIndexCount())
        return kInvalidCall;
    // The vertices the draw may touch must lie inside the stream.
    const std::int64_t first = static_cast<std::int64_t>(baseVertex) + minIndex;
    const std::int64_t capacity =
        (static_cast<std::int64_t>(m_stream->GetLength()) - m_streamOffset) / m_streamStride;
    if (first < 0 || first + vertexCount > capacity)
        return kInvalidCall;
    // And every index must lie inside the range the caller declared.
    if (g_checkDrawIndices) {
        const IndexBuffer::IndexSpan span =
            m_indices->GetIndexSpan(startIndex, static_cast<std::uint32_t>(indexCount));
        if (span.lowest < minIndex || span.highest - minIndex >= vertexCount)
            return kInvalidCall;
    }
    DrawRecord record;
    record.kind = DrawRecord::Kind::IndexedPrimitive;
    record.type = type;
    record.primitiveCount = primitiveCount;
    record.baseVertex = baseVertex;
    record.minIndex = minIndex;
    record.vertexCount = vertexCount;
    record.startIndex = startIndex;
    record.stride = m_streamStride;
    record.vertexBuffer = m_stream;
    record.indexBuffer = m_indices;
    return RecordDraw(record);
}

HResult HeadlessGraphicsDevice::DrawPrimitiveUP(PrimitiveType type, std::uint32_t primitiveCount,
                                                const void* vertices, std::uint32_t stride)
{
    if (!m_inScene || !vertices || stride == 0 || primitiveCount == 0 ||
        primitiveCount > m_caps.maxPrimitiveCount)
        return kInvalidCall;
    if (!CanDraw())
        return S_OK;
    const std::uint32_t count = VerticesForPrimitives(type, primitiveCount);
    if (count == 0)
        return kInvalidCall;
    DrawRecord record;
    record.kind = DrawRecord::Kind::UserPrimitive;
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
    return RecordDraw(record);
}

// ---- Loss and reset ----

HResult HeadlessGraphicsDevice::TestCooperativeLevel() const
{
    switch (m_status) {
    case Status::Operational:
        return S_OK;
    case Status::Lost:
        return kDeviceLost;
    case Status::NotReset:
        return kDeviceNotReset;
    }
    return E_FAIL;
}

void HeadlessGraphicsDevice::LoseDevice() { m_status = Status::Lost; }

void HeadlessGraphicsDevice::AllowReset()
{
    if (m_status == Status::Lost)
        m_status = Status::NotReset;
}

HResult HeadlessGraphicsDevice::Reset(const PresentParameters& parameters)
{
    if (m_status == Status::Lost)
        return kDeviceLost;
    if (GetLiveResourceCount(ResourcePool::Default) > 0) {
        m_status = Status::NotReset;
        return kInvalidCall;
    }
    m_parameters = parameters;
    m_inScene = false;
    RestoreDefaultStates();
    m_status = Status::Operational;
    ++m_resetCount;
    return S_OK;
}

} // namespace platform
