#include "platform/DeviceStates.h"

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

} // namespace

void DeviceStates::RestoreDefaults()
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
}

HResult DeviceStates::SetRenderState(RenderState state, std::uint32_t value)
{
    if (state >= RenderState::Count)
        return kInvalidCall;
    m_renderStates[Slot(state)] = value;
    return S_OK;
}

std::uint32_t DeviceStates::GetRenderState(RenderState state) const
{
    return state < RenderState::Count ? m_renderStates[Slot(state)] : 0;
}

HResult DeviceStates::SetSamplerState(std::uint32_t sampler, SamplerState state, std::uint32_t value)
{
    if (sampler >= kMaxSamplers || state >= SamplerState::Count)
        return kInvalidCall;
    m_samplerStates[sampler][Slot(state)] = value;
    return S_OK;
}

std::uint32_t DeviceStates::GetSamplerState(std::uint32_t sampler, SamplerState state) const
{
    if (sampler >= kMaxSamplers || state >= SamplerState::Count)
        return 0;
    return m_samplerStates[sampler][Slot(state)];
}

HResult DeviceStates::SetTextureStageState(std::uint32_t stage, StageState state, std::uint32_t value)
{
    if (stage >= kMaxTextureStages || state >= StageState::Count)
        return kInvalidCall;
    m_stageStates[stage][Slot(state)] = value;
    return S_OK;
}

std::uint32_t DeviceStates::GetTextureStageState(std::uint32_t stage, StageState state) const
{
    if (stage >= kMaxTextureStages || state >= StageState::Count)
        return 0;
    return m_stageStates[stage][Slot(state)];
}

HResult DeviceStates::GetTransform(TransformState state, Matrix4* matrix) const
{
    if (!matrix || state >= TransformState::Count)
        return kInvalidCall;
    *matrix = m_transforms[Slot(state)];
    return S_OK;
}

HResult DeviceStates::GetMaterial(Material* material) const
{
    if (!material)
        return kInvalidCall;
    *material = m_material;
    return S_OK;
}

HResult DeviceStates::SetLight(std::uint32_t index, const Light& light)
{
    if (index >= kMaxLights)
        return kInvalidCall;
    m_lights[index].light = light;
    m_lights[index].set = true;
    return S_OK;
}

HResult DeviceStates::GetLight(std::uint32_t index, Light* light) const
{
    if (!light || index >= kMaxLights || !m_lights[index].set)
        return kInvalidCall;
    *light = m_lights[index].light;
    return S_OK;
}

HResult DeviceStates::LightEnable(std::uint32_t index, bool enable)
{
    if (index >= kMaxLights)
        return kInvalidCall;
    m_lights[index].set = m_lights[index].set || enable;
    m_lights[index].enabled = enable;
    return S_OK;
}

bool DeviceStates::IsLightEnabled(std::uint32_t index) const
{
    return index < kMaxLights && m_lights[index].enabled;
}

} // namespace platform
