#pragma once

#include <cstdint>

#include "platform/GraphicsBuffer.h"
#include "platform/GraphicsTypes.h"
#include "platform/Texture.h"

namespace platform {

class Effect;
struct EffectPass;

// What the engine draws through: resources, states, transforms, lights and
// draws in the manner of a fixed-function device. The host picks the
// implementation (the headless one in HeadlessGraphicsDevice.h); the engine
// sees only this. Results are HRESULT-style; failures leave state unchanged.
class GraphicsDevice {
  public:
    virtual ~GraphicsDevice() = default;

    // The device's limits (texture sizes, lights, stages).
    virtual HResult GetDeviceCaps(DeviceCaps* caps) const = 0;
    // The back buffer size and format the device was made or last reset with.
    virtual const PresentParameters& GetPresentParameters() const = 0;

    // A vertex buffer of `length` bytes; *out holds one reference for the caller.
    virtual HResult CreateVertexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t format,
                                       ResourcePool pool, VertexBuffer** out) = 0;
    // An index buffer of `length` bytes; *out holds one reference for the caller.
    virtual HResult CreateIndexBuffer(std::uint32_t length, std::uint32_t usage, IndexFormat format,
                                      ResourcePool pool, IndexBuffer** out) = 0;
    // A 2D texture; levels 0 makes the full chain down to 1x1.
    virtual HResult CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                  std::uint32_t usage, PixelFormat format, ResourcePool pool,
                                  Texture** out) = 0;
    // Six square faces of `edge` pixels; levels 0 makes the full chain.
    virtual HResult CreateCubeTexture(std::uint32_t edge, std::uint32_t levels, std::uint32_t usage,
                                      PixelFormat format, ResourcePool pool, CubeTexture** out) = 0;

    // Sets or reads one render state.
    virtual HResult SetRenderState(RenderState state, std::uint32_t value) = 0;
    virtual std::uint32_t GetRenderState(RenderState state) const = 0;
    // Sets or reads one sampler's state.
    virtual HResult SetSamplerState(std::uint32_t sampler, SamplerState state, std::uint32_t value) = 0;
    virtual std::uint32_t GetSamplerState(std::uint32_t sampler, SamplerState state) const = 0;
    // Sets or reads one texture stage's blending state.
    virtual HResult SetTextureStageState(std::uint32_t stage, StageState state, std::uint32_t value) = 0;
    virtual std::uint32_t GetTextureStageState(std::uint32_t stage, StageState state) const = 0;
    // Sets or reads the world, view or projection matrix (row vectors).
    virtual HResult SetTransform(TransformState state, const Matrix4& matrix) = 0;
    virtual HResult GetTransform(TransformState state, Matrix4* matrix) const = 0;
    // Sets or reads the material lit draws use.
    virtual HResult SetMaterial(const Material& material) = 0;
    virtual HResult GetMaterial(Material* material) const = 0;
    // Sets or reads the light in a slot below the caps' light count.
    virtual HResult SetLight(std::uint32_t index, const Light& light) = 0;
    virtual HResult GetLight(std::uint32_t index, Light* light) const = 0;
    // Turns a light slot on or off; a slot never set gets a default light.
    virtual HResult LightEnable(std::uint32_t index, bool enable) = 0;
    virtual bool IsLightEnabled(std::uint32_t index) const = 0;
    // Sets or reads the vertex format of the next draws.
    virtual HResult SetFVF(std::uint32_t format) = 0;
    virtual std::uint32_t GetFVF() const = 0;
    // Binds a texture (or null) to a stage; the device holds no reference.
    virtual HResult SetTexture(std::uint32_t stage, Texture* texture) = 0;
    virtual Texture* GetTexture(std::uint32_t stage) const = 0;
    // Binds the vertex buffer draws read from, at a byte offset and stride.
    virtual HResult SetStreamSource(std::uint32_t stream, VertexBuffer* buffer, std::uint32_t offset,
                                    std::uint32_t stride) = 0;
    // Binds the index buffer indexed draws read from.
    virtual HResult SetIndices(IndexBuffer* buffer) = 0;

    // Clears the target, depth and stencil named in `flags`.
    virtual HResult Clear(std::uint32_t flags, std::uint32_t color, float z, std::uint32_t stencil) = 0;
    // Opens the frame's scene; draws are only accepted inside one.
    virtual HResult BeginScene() = 0;
    // Closes the scene opened by BeginScene.
    virtual HResult EndScene() = 0;
    // Shows the frame drawn since the last Present.
    virtual HResult Present() = 0;
    virtual bool IsInScene() const = 0;

    // Draws from the bound vertex buffer. Fails outside a scene, with
    // nothing bound that it needs, with a locked buffer, or with ranges that
    // reach past the buffers.
    virtual HResult DrawPrimitive(PrimitiveType type, std::uint32_t startVertex,
                                  std::uint32_t primitiveCount) = 0;
    // Draws from the bound vertex and index buffers; the same checks.
    virtual HResult DrawIndexedPrimitive(PrimitiveType type, std::int32_t baseVertex, std::uint32_t minIndex,
                                         std::uint32_t vertexCount, std::uint32_t startIndex,
                                         std::uint32_t primitiveCount) = 0;
    // Draws from the caller's vertices, copied before it returns.
    virtual HResult DrawPrimitiveUP(PrimitiveType type, std::uint32_t primitiveCount, const void* vertices,
                                    std::uint32_t stride) = 0;

    // A pass of an effect made on this device opens (and opens again when
    // its values are committed), or closes. No shader runs, so a device
    // that really draws takes from the effect what its shaders would have
    // done; the headless device has nothing to take.
    virtual void BeginEffectPass(const Effect& effect, const EffectPass& pass)
    {
        (void)effect;
        (void)pass;
    }
    virtual void EndEffectPass() {}

    // kDeviceLost while the device is lost, kDeviceNotReset once it may be
    // reset, S_OK while it works.
    virtual HResult TestCooperativeLevel() const = 0;
    // Resets a lost device; refuses while any default-pool resource is
    // alive, and restores the default states.
    virtual HResult Reset(const PresentParameters& parameters) = 0;

  protected:
    GraphicsDevice() = default;
    GraphicsDevice(const GraphicsDevice&) = delete;
    GraphicsDevice& operator=(const GraphicsDevice&) = delete;
};

} // namespace platform
