#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/DeviceStates.h"
#include "platform/FrameState.h"
#include "platform/GraphicsDevice.h"
#include "platform/gl/GlEffectPass.h"
#include "platform/gl/GlProgram.h"
#include "platform/gl/GlResources.h"

namespace platform {

class SdlWindow;
struct DrawBindings;

// The graphics device that draws into a window through OpenGL 3.3. It makes
// its own resources (GlResources.h): memory that locks write into, and the
// GL objects a draw copies them to after a change. It keeps the states
// and checks every call as the headless device does, so both answer alike,
// and turns the fixed-pipeline states into GL state and the uniforms of
// one program. The frame is drawn into an offscreen target of the
// back-buffer size, so a screenshot reads exactly what was presented.
class GlGraphicsDevice : public GraphicsDevice, private ResourceOwner {
  public:
    // Makes the device in the window's current context; null, with the
    // reason in *error, when the context lacks what the device needs.
    static std::unique_ptr<GlGraphicsDevice> Create(std::unique_ptr<SdlWindow> window,
                                                    const PresentParameters& parameters, std::string* error);
    ~GlGraphicsDevice() override;

    HResult GetDeviceCaps(DeviceCaps* caps) const override;
    const PresentParameters& GetPresentParameters() const override { return m_parameters; }

    HResult CreateVertexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t format,
                               ResourcePool pool, VertexBuffer** out) override;
    HResult CreateIndexBuffer(std::uint32_t length, std::uint32_t usage, IndexFormat format,
                              ResourcePool pool, IndexBuffer** out) override;
    HResult CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                          std::uint32_t usage, PixelFormat format, ResourcePool pool, Texture** out) override;
    HResult CreateCubeTexture(std::uint32_t edge, std::uint32_t levels, std::uint32_t usage,
                              PixelFormat format, ResourcePool pool, CubeTexture** out) override;

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
    HResult SetFVF(std::uint32_t format) override
    {
        m_states.SetFVF(format);
        return S_OK;
    }
    std::uint32_t GetFVF() const override { return m_states.GetFVF(); }
    HResult SetTexture(std::uint32_t stage, Texture* texture) override;
    Texture* GetTexture(std::uint32_t stage) const override
    {
        return stage < kMaxSamplers ? m_textures[stage] : nullptr;
    }
    HResult SetStreamSource(std::uint32_t stream, VertexBuffer* buffer, std::uint32_t offset,
                            std::uint32_t stride) override;
    HResult SetIndices(IndexBuffer* buffer) override;

    HResult Clear(std::uint32_t flags, std::uint32_t color, float z, std::uint32_t stencil) override;
    HResult BeginScene() override;
    HResult EndScene() override;
    HResult Present() override;
    bool IsInScene() const override { return m_frame.IsInScene(); }

    HResult DrawPrimitive(PrimitiveType type, std::uint32_t startVertex,
                          std::uint32_t primitiveCount) override;
    HResult DrawIndexedPrimitive(PrimitiveType type, std::int32_t baseVertex, std::uint32_t minIndex,
                                 std::uint32_t vertexCount, std::uint32_t startIndex,
                                 std::uint32_t primitiveCount) override;
    HResult DrawPrimitiveUP(PrimitiveType type, std::uint32_t primitiveCount, const void* vertices,
                            std::uint32_t stride) override;

    void BeginEffectPass(const Effect& effect, const EffectPass& pass) override
    {
        m_effectPass.OnEffectPass(effect, pass);
    }
    void EndEffectPass() override { m_effectPass.OnEffectPassEnd(); }

    HResult TestCooperativeLevel() const override;
    HResult Reset(const PresentParameters& parameters) override;

    // Test controls: the device is lost (and may not be reset yet); a lost
    // device may now be reset.
    void LoseDevice() { m_frame.Lose(); }
    void AllowReset() { m_frame.AllowReset(); }

    // The last presented frame as rows of RGB bytes, top row first.
    bool ReadFrame(std::vector<std::uint8_t>* rgb, std::uint32_t* width, std::uint32_t* height) const;
    // Writes the last presented frame as a PNG file.
    bool SaveScreenshot(const std::string& path, std::string* error) const;
    // Has each Present read back the whole surface it showed (bars and all,
    // at the surface's size), for tests to compare with the frame; slow.
    void KeepPresentedSurface(bool keep) { m_keepPresented = keep; }
    bool ReadPresentedSurface(std::vector<std::uint8_t>* rgb, std::uint32_t* width,
                              std::uint32_t* height) const;

    // Where the device's share of the frames went, summed while profiling:
    // handing the draws to the driver, the driver finishing them (Present
    // waits for it while profiling, so the two are told apart), and showing
    // the frame.
    struct Cost {
        double drawSeconds = 0.0;
        double finishSeconds = 0.0;
        double presentSeconds = 0.0;
        std::uint64_t frames = 0;
    };
    void SetProfiling(bool profiling) { m_profiling = profiling; }
    const Cost& GetCost() const { return m_cost; }
    // Draws accepted, and the colour of the last clear, for the host's
    // summary and for tests.
    std::uint64_t GetDrawCount() const { return m_drawCount; }
    std::uint32_t GetLastClearColor() const { return m_lastClearColor; }
    // True when compressed textures are unpacked before upload.
    bool DecodesBlocks() const { return !m_hasS3tc; }

  private:
    GlGraphicsDevice(std::unique_ptr<SdlWindow> window, const PresentParameters& parameters);
    bool Initialise(std::string* error);
    bool MakeTarget(std::uint32_t width, std::uint32_t height);
    void DropTarget();
    void Forget(GraphicsResource* resource) override;
    template <class Resource> Resource* Track(Resource* resource, GlObject* gl);
    void RestoreDefaultStates();
    // The checks every device makes before a draw (GlGraphicsDeviceChecks.cpp).
    DrawBindings Bindings() const;
    HResult CheckDraw(PrimitiveType type, std::uint32_t startVertex, std::uint32_t primitiveCount) const;
    HResult CheckIndexedDraw(PrimitiveType type, std::int32_t baseVertex, std::uint32_t minIndex,
                             std::uint32_t vertexCount, std::uint32_t startIndex,
                             std::uint32_t primitiveCount);
    HResult CheckUserDraw(PrimitiveType type, std::uint32_t primitiveCount, const void* vertices,
                          std::uint32_t stride) const;
    void ReadSurface(int width, int height);

    // Drawing (GlGraphicsDeviceDraw.cpp).
    void ApplyRenderStates();
    void ApplyTransforms(bool pretransformed);
    void ApplyLighting(std::uint32_t format);
    void ApplyStages();
    void ApplyEffectStages();
    void BindLayout(std::uint32_t format, std::uint32_t stride, std::uintptr_t base);
    template <class Buffer> void UploadBuffer(Buffer* buffer, unsigned target);
    void BindTexture(std::uint32_t stage, Texture* texture);
    bool PrepareDraw(std::uint32_t format);
    // A lost device takes calls and does nothing with them.
    bool IsOperational() const { return m_frame.IsOperational(); }

    PresentParameters m_parameters;
    DeviceCaps m_caps;
    DeviceStates m_states;
    FrameState m_frame;
    std::unique_ptr<SdlWindow> m_window;
    GlProgramSlots m_slots;
    unsigned m_program = 0;
    unsigned m_vertexArray = 0;
    unsigned m_streamBuffer = 0; // the caller's vertices of DrawPrimitiveUP
    unsigned m_frameBuffer = 0, m_colourTarget = 0, m_depthTarget = 0;
    std::uint32_t m_targetWidth = 0, m_targetHeight = 0;
    bool m_hasS3tc = false;
    float m_maxAnisotropy = 1.0f;

    std::array<Texture*, kMaxSamplers> m_textures{};
    GlVertexBuffer* m_stream = nullptr;
    std::uint32_t m_streamOffset = 0, m_streamStride = 0;
    GlIndexBuffer* m_indices = nullptr;
    // Every live resource this device made, with its GL object (none for
    // cube textures, which no draw samples).
    std::unordered_map<GraphicsResource*, GlObject*> m_resources;
    std::uint64_t m_drawCount = 0;
    std::uint32_t m_lastClearColor = 0;
    GlEffectPass m_effectPass; // the effect pass being drawn, if any
    bool m_lightsDirty = true;
    bool m_transformsDirty = true;
    std::vector<std::uint8_t> m_scratch; // unpacked texture levels
    bool m_keepPresented = false;
    bool m_profiling = false;
    Cost m_cost;
    std::vector<std::uint8_t> m_presented;
    std::uint32_t m_presentedWidth = 0, m_presentedHeight = 0;
};

} // namespace platform
