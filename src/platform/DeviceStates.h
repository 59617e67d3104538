#pragma once

#include <array>
#include <cstdint>

#include "platform/GraphicsTypes.h"

namespace platform {

// The states of a fixed-function device as set and read through it:
// render, sampler and stage states, transforms, lights, the material and
// the vertex format, with the defaults a fresh or reset device starts
// from. Every graphics device keeps one; out-of-range slots are refused.
class DeviceStates {
  public:
    DeviceStates() { RestoreDefaults(); }

    void RestoreDefaults();

    HResult SetRenderState(RenderState state, std::uint32_t value);
    std::uint32_t GetRenderState(RenderState state) const;
    HResult SetSamplerState(std::uint32_t sampler, SamplerState state, std::uint32_t value);
    std::uint32_t GetSamplerState(std::uint32_t sampler, SamplerState state) const;
    HResult SetTextureStageState(std::uint32_t stage, StageState state, std::uint32_t value);
    std::uint32_t GetTextureStageState(std::uint32_t stage, StageState state) const;
    // Inline: every draw of a placed mesh sets its world.
    HResult SetTransform(TransformState state, const Matrix4& matrix)
    {
        if (state >= TransformState::Count)
            return kInvalidCall;
        m_transforms[static_cast<std::size_t>(state)] = matrix;
        return S_OK;
    }
    HResult GetTransform(TransformState state, Matrix4* matrix) const;
    void SetMaterial(const Material& material) { m_material = material; }
    HResult GetMaterial(Material* material) const;
    HResult SetLight(std::uint32_t index, const Light& light);
    HResult GetLight(std::uint32_t index, Light* light) const;
    // Enabling a light that was never set gives it the default light.
    HResult LightEnable(std::uint32_t index, bool enable);
    bool IsLightEnabled(std::uint32_t index) const;
    void SetFVF(std::uint32_t format) { m_vertexFormat = format; }
    std::uint32_t GetFVF() const { return m_vertexFormat; }

  private:
    struct LightSlot {
        Light light;
        bool set = false;
        bool enabled = false;
    };

    std::array<std::uint32_t, static_cast<std::size_t>(RenderState::Count)> m_renderStates{};
    std::array<std::array<std::uint32_t, static_cast<std::size_t>(SamplerState::Count)>, kMaxSamplers>
        m_samplerStates{};
    std::array<std::array<std::uint32_t, static_cast<std::size_t>(StageState::Count)>, kMaxTextureStages>
        m_stageStates{};
    std::array<Matrix4, static_cast<std::size_t>(TransformState::Count)> m_transforms{};
    std::array<LightSlot, kMaxLights> m_lights{};
    Material m_material;
    std::uint32_t m_vertexFormat = 0;
};

} // namespace platform
