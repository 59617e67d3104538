#include "platform/gl/GlGraphicsDevice.h"

#include <algorithm>

#include <SDL.h>
#include <epoxy/gl.h>

#include "platform/PngWriter.h"
#include "platform/ResourceChecks.h"
#include "platform/gl/CostTimer.h"
#include "platform/gl/Letterbox.h"
#include "platform/gl/SdlWindow.h"

namespace platform {

GlGraphicsDevice::GlGraphicsDevice(std::unique_ptr<SdlWindow> window, const PresentParameters& parameters)
    : m_parameters(parameters), m_window(std::move(window))
{
}

std::unique_ptr<GlGraphicsDevice> GlGraphicsDevice::Create(std::unique_ptr<SdlWindow> window,
                                                           const PresentParameters& parameters,
                                                           std::string* error)
{
    if (!window) {
        *error = "no window";
        return nullptr;
    }
    std::unique_ptr<GlGraphicsDevice> device(new GlGraphicsDevice(std::move(window), parameters));
    if (!device->Initialise(error))
        return nullptr;
    return device;
}

bool GlGraphicsDevice::Initialise(std::string* error)
{
    if (epoxy_gl_version() < 33) {
        *error = "OpenGL 3.3 is not available";
        return false;
    }
    m_program = CompileFixedProgram(&m_slots, error);
    if (!m_program)
        return false;
    m_hasS3tc = epoxy_has_gl_extension("GL_EXT_texture_compression_s3tc");
    if (epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic"))
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &m_maxAnisotropy);
    glGenVertexArrays(1, &m_vertexArray);
    glBindVertexArray(m_vertexArray);
    glGenBuffers(1, &m_streamBuffer);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!MakeTarget(m_parameters.backBufferWidth, m_parameters.backBufferHeight)) {
        *error = "no offscreen target of the back-buffer size";
        return false;
    }
    return true;
}

GlGraphicsDevice::~GlGraphicsDevice()
{
    // Resources may outlive the device: their GL objects go now, while the
    // context stands, and they keep only their memory.
    for (auto& entry : m_resources) {
        if (entry.second)
            entry.second->Delete();
        Detach(entry.first);
    }
    DropTarget();
    if (m_streamBuffer)
        glDeleteBuffers(1, &m_streamBuffer);
    if (m_vertexArray)
        glDeleteVertexArrays(1, &m_vertexArray);
    if (m_program)
        glDeleteProgram(m_program);
}

bool GlGraphicsDevice::MakeTarget(std::uint32_t width, std::uint32_t height)
{
    DropTarget();
    glGenFramebuffers(1, &m_frameBuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, m_frameBuffer);
    glGenRenderbuffers(1, &m_colourTarget);
    glBindRenderbuffer(GL_RENDERBUFFER, m_colourTarget);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, static_cast<GLsizei>(width),
                          static_cast<GLsizei>(height));
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_colourTarget);
    glGenRenderbuffers(1, &m_depthTarget);
    glBindRenderbuffer(GL_RENDERBUFFER, m_depthTarget);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, static_cast<GLsizei>(width),
                          static_cast<GLsizei>(height));
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, m_depthTarget);
    m_targetWidth = width;
    m_targetHeight = height;
    glViewport(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void GlGraphicsDevice::DropTarget()
{
    if (m_frameBuffer)
        glDeleteFramebuffers(1, &m_frameBuffer);
    if (m_colourTarget)
        glDeleteRenderbuffers(1, &m_colourTarget);
    if (m_depthTarget)
        glDeleteRenderbuffers(1, &m_depthTarget);
    m_frameBuffer = m_colourTarget = m_depthTarget = 0;
}

HResult GlGraphicsDevice::GetDeviceCaps(DeviceCaps* caps) const
{
    if (!caps)
        return kInvalidCall;
    *caps = m_caps;
    return S_OK;
}

void GlGraphicsDevice::RestoreDefaultStates()
{
    m_states.RestoreDefaults();
    m_textures.fill(nullptr);
    m_stream = nullptr;
    m_streamOffset = m_streamStride = 0;
    m_indices = nullptr;
    m_lightsDirty = m_transformsDirty = true;
}

template <class Resource> Resource* GlGraphicsDevice::Track(Resource* resource, GlObject* gl)
{
    m_resources.emplace(resource, gl);
    return resource;
}

void GlGraphicsDevice::Forget(GraphicsResource* resource)
{
    m_resources.erase(resource);
    for (Texture*& texture : m_textures)
        if (texture == resource)
            texture = nullptr;
    if (m_stream == resource)
        m_stream = nullptr;
    if (m_indices == resource)
        m_indices = nullptr;
    m_effectPass.ForgetTexture(resource);
}

HResult GlGraphicsDevice::CreateVertexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t format,
                                             ResourcePool pool, VertexBuffer** out)
{
    if (!out)
        return kInvalidCall;
    *out = nullptr;
    if (length == 0)
        return kInvalidCall;
    auto* buffer = new GlVertexBuffer(this, this, length, usage, format, pool);
    *out = Track(buffer, &buffer->Gl());
    return S_OK;
}

HResult GlGraphicsDevice::CreateIndexBuffer(std::uint32_t length, std::uint32_t usage, IndexFormat format,
                                            ResourcePool pool, IndexBuffer** out)
{
    if (!out)
        return kInvalidCall;
    *out = nullptr;
    if (!IndexBufferSizeFits(length, format))
        return kInvalidCall;
    auto* buffer = new GlIndexBuffer(this, this, length, usage, format, pool);
    *out = Track(buffer, &buffer->Gl());
    return S_OK;
}

HResult GlGraphicsDevice::CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                        std::uint32_t usage, PixelFormat format, ResourcePool pool,
                                        Texture** out)
{
    if (!out)
        return kInvalidCall;
    *out = nullptr;
    std::uint32_t chain = 0;
    if (!TextureFits(m_caps, width, height, levels, format, &chain))
        return kInvalidCall;
    auto* texture = new GlTexture(this, this, width, height, chain, usage, format, pool);
    *out = Track(texture, &texture->Gl());
    m_effectPass.AddTexture(texture);
    return S_OK;
}

HResult GlGraphicsDevice::CreateCubeTexture(std::uint32_t edge, std::uint32_t levels, std::uint32_t usage,
                                            PixelFormat format, ResourcePool pool, CubeTexture** out)
{
    if (!out)
        return kInvalidCall;
    *out = nullptr;
    std::uint32_t chain = 0;
    if (!TextureFits(m_caps, edge, edge, levels, format, &chain))
        return kInvalidCall;
    *out = Track(new MemoryCubeTexture(this, this, edge, chain, usage, format, pool), nullptr);
    return S_OK;
}

HResult GlGraphicsDevice::SetRenderState(RenderState state, std::uint32_t value)
{
    if (state == RenderState::Ambient)
        m_lightsDirty = true;
    return m_states.SetRenderState(state, value);
}

HResult GlGraphicsDevice::SetSamplerState(std::uint32_t sampler, SamplerState state, std::uint32_t value)
{
    return m_states.SetSamplerState(sampler, state, value);
}

HResult GlGraphicsDevice::SetTextureStageState(std::uint32_t stage, StageState state, std::uint32_t value)
{
    return m_states.SetTextureStageState(stage, state, value);
}

HResult GlGraphicsDevice::SetTransform(TransformState state, const Matrix4& matrix)
{
    m_transformsDirty = true;
    return m_states.SetTransform(state, matrix);
}

HResult GlGraphicsDevice::SetMaterial(const Material& material)
{
    m_lightsDirty = true;
    m_states.SetMaterial(material);
    return S_OK;
}

HResult GlGraphicsDevice::SetLight(std::uint32_t index, const Light& light)
{
    m_lightsDirty = true;
    return m_states.SetLight(index, light);
}

HResult GlGraphicsDevice::LightEnable(std::uint32_t index, bool enable)
{
    m_lightsDirty = true;
    return m_states.LightEnable(index, enable);
}

HResult GlGraphicsDevice::SetTexture(std::uint32_t stage, Texture* texture)
{
    if (stage >= kMaxSamplers || (texture && texture->GetDevice() != this))
        return kInvalidCall;
    m_textures[stage] = texture;
    return S_OK;
}

HResult GlGraphicsDevice::SetStreamSource(std::uint32_t stream, VertexBuffer* buffer, std::uint32_t offset,
                                          std::uint32_t stride)
{
    if (stream != 0 || (buffer && buffer->GetDevice() != this))
        return kInvalidCall;
    // Every vertex buffer of this device is one it made for GL.
    m_stream = static_cast<GlVertexBuffer*>(buffer);
    m_streamOffset = offset;
    m_streamStride = stride;
    return S_OK;
}

HResult GlGraphicsDevice::SetIndices(IndexBuffer* buffer)
{
    if (buffer && buffer->GetDevice() != this)
        return kInvalidCall;
    m_indices = static_cast<GlIndexBuffer*>(buffer);
    return S_OK;
}

HResult GlGraphicsDevice::Clear(std::uint32_t flags, std::uint32_t color, float z, std::uint32_t stencil)
{
    if (!AreClearFlags(flags))
        return kInvalidCall;
    const HResult result = S_OK;
    if (!IsOperational())
        return result;
    m_lastClearColor = color;
    GLbitfield mask = 0;
    if (flags & clear::kTarget) {
        glClearColor(((color >> 16) & 255) / 255.0f, ((color >> 8) & 255) / 255.0f, (color & 255) / 255.0f,
                     ((color >> 24) & 255) / 255.0f);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & clear::kZBuffer) {
        glClearDepth(z);
        glDepthMask(GL_TRUE);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (flags & clear::kStencil) {
        glClearStencil(static_cast<GLint>(stencil));
        glStencilMask(0xFF);
        mask |= GL_STENCIL_BUFFER_BIT;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, m_frameBuffer);
    glClear(mask);
    return result;
}

HResult GlGraphicsDevice::BeginScene() { return m_frame.BeginScene(); }

HResult GlGraphicsDevice::EndScene() { return m_frame.EndScene(); }

HResult GlGraphicsDevice::Present()
{
    const HResult ready = m_frame.CheckPresent();
    if (Failed(ready))
        return ready;
    const HResult result = S_OK;
    CostTimer finishing(m_profiling ? &m_cost.finishSeconds : nullptr);
    if (m_profiling)
        glFinish();
    finishing.Stop();
    CostTimer presenting(m_profiling ? &m_cost.presentSeconds : nullptr);
    m_cost.frames += m_profiling ? 1 : 0;
    int width = 0, height = 0;
    m_window->GetDrawableSize(&width, &height);
    const Letterbox box = Letterbox::Fit(m_targetWidth, m_targetHeight, width, height);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_frameBuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    if (box.width != width || box.height != height) {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    // The picture is flipped on the way (GL's rows run bottom up on both
    // sides, so the box's top becomes the surface's height less its bottom).
    const GLint bottom = height - (box.y + box.height);
    glBlitFramebuffer(0, 0, static_cast<GLint>(m_targetWidth), static_cast<GLint>(m_targetHeight), box.x,
                      bottom, box.x + box.width, bottom + box.height, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    if (m_keepPresented)
        ReadSurface(width, height);
    m_window->Swap();
    glBindFramebuffer(GL_FRAMEBUFFER, m_frameBuffer);
    return result;
}

HResult GlGraphicsDevice::TestCooperativeLevel() const { return m_frame.TestCooperativeLevel(); }

HResult GlGraphicsDevice::Reset(const PresentParameters& parameters)
{
    bool defaultLive = false;
    for (const auto& entry : m_resources)
        defaultLive = defaultLive || entry.first->GetPool() == ResourcePool::Default;
    const HResult allowed = m_frame.CheckReset(defaultLive);
    if (Failed(allowed))
        return allowed;
    m_parameters = parameters;
    RestoreDefaultStates();
    m_frame.Restart();
    m_window->Resize(parameters.backBufferWidth, parameters.backBufferHeight, parameters.windowed);
    if (!MakeTarget(parameters.backBufferWidth, parameters.backBufferHeight))
        return kOutOfVideoMemory;
    return S_OK;
}

bool GlGraphicsDevice::ReadFrame(std::vector<std::uint8_t>* rgb, std::uint32_t* width,
                                 std::uint32_t* height) const
{
    const std::size_t row = static_cast<std::size_t>(m_targetWidth) * 3;
    std::vector<std::uint8_t> bottomUp(row * m_targetHeight);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_frameBuffer);
    glReadPixels(0, 0, static_cast<GLsizei>(m_targetWidth), static_cast<GLsizei>(m_targetHeight), GL_RGB,
                 GL_UNSIGNED_BYTE, bottomUp.data());
    if (glGetError() != GL_NO_ERROR)
        return false;
    rgb->resize(bottomUp.size());
    for (std::uint32_t y = 0; y < m_targetHeight; ++y)
        std::copy_n(bottomUp.begin() + static_cast<std::ptrdiff_t>((m_targetHeight - 1 - y) * row), row,
                    rgb->begin() + static_cast<std::ptrdiff_t>(y * row));
    *width = m_targetWidth;
    *height = m_targetHeight;
    return true;
}

void GlGraphicsDevice::ReadSurface(int width, int height)
{
    m_presentedWidth = static_cast<std::uint32_t>(std::max(width, 0));
    m_presentedHeight = static_cast<std::uint32_t>(std::max(height, 0));
    const std::size_t row = static_cast<std::size_t>(m_presentedWidth) * 3;
    std::vector<std::uint8_t> bottomUp(row * m_presentedHeight);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    m_presented.resize(bottomUp.size());
    for (std::uint32_t y = 0; y < m_presentedHeight; ++y)
        std::copy_n(bottomUp.begin() + static_cast<std::ptrdiff_t>((m_presentedHeight - 1 - y) * row), row,
                    m_presented.begin() + static_cast<std::ptrdiff_t>(y * row));
}

bool GlGraphicsDevice::ReadPresentedSurface(std::vector<std::uint8_t>* rgb, std::uint32_t* width,
                                            std::uint32_t* height) const
{
    if (m_presented.empty())
        return false;
    *rgb = m_presented;
    *width = m_presentedWidth;
    *height = m_presentedHeight;
    return true;
}

bool GlGraphicsDevice::SaveScreenshot(const std::string& path, std::string* error) const
{
    std::vector<std::uint8_t> rgb;
    std::uint32_t width = 0, height = 0;
    if (!ReadFrame(&rgb, &width, &height)) {
        *error = "the frame could not be read back";
        return false;
    }
    return WritePngRgb(path, rgb.data(), width, height, error);
}

} // namespace platform
