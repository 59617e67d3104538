#include <cmath>

#include <epoxy/gl.h>

#include "platform/MatrixMath.h"
#include "platform/gl/GlGraphicsDevice.h"
#include "platform/gl/CostTimer.h"
#include "platform/gl/GlTextureUpload.h"

// Turning the fixed-pipeline states into GL state and uniforms, and the
// draws themselves.
namespace platform {

namespace {

template <typename E> std::size_t Slot(E value) { return static_cast<std::size_t>(value); }

GLenum CompareFunction(std::uint32_t value)
{
    static const GLenum table[] = {GL_ALWAYS,  GL_NEVER,    GL_LESS,   GL_EQUAL, GL_LEQUAL,
                                   GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
    return value < 9 ? table[value] : GL_ALWAYS;
}

GLenum BlendFactor(std::uint32_t value)
{
    switch (value) {
    case 1:
        return GL_ZERO;
    case 3:
        return GL_SRC_COLOR;
    case 4:
        return GL_ONE_MINUS_SRC_COLOR;
    case 5:
        return GL_SRC_ALPHA;
    case 6:
        return GL_ONE_MINUS_SRC_ALPHA;
    case 7:
        return GL_DST_ALPHA;
    case 8:
        return GL_ONE_MINUS_DST_ALPHA;
    case 9:
        return GL_DST_COLOR;
    case 10:
        return GL_ONE_MINUS_DST_COLOR;
    case 11:
        return GL_SRC_ALPHA_SATURATE;
    default:
        return GL_ONE;
    }
}

GLenum PrimitiveMode(PrimitiveType type)
{
    switch (type) {
    case PrimitiveType::PointList:
        return GL_POINTS;
    case PrimitiveType::LineList:
        return GL_LINES;
    case PrimitiveType::LineStrip:
        return GL_LINE_STRIP;
    case PrimitiveType::TriangleStrip:
        return GL_TRIANGLE_STRIP;
    case PrimitiveType::TriangleFan:
        return GL_TRIANGLE_FAN;
    default:
        return GL_TRIANGLES;
    }
}

void SetColour(int slot, const ColorValue& c) { glUniform4f(slot, c.r, c.g, c.b, c.a); }

void SetArgbColour(int slot, std::uint32_t argb)
{
    glUniform4f(slot, ((argb >> 16) & 255) / 255.0f, ((argb >> 8) & 255) / 255.0f, (argb & 255) / 255.0f,
                ((argb >> 24) & 255) / 255.0f);
}

void Enable(GLenum what, bool on) { on ? glEnable(what) : glDisable(what); }

// Where the camera stands: the inverse view's translation.
Vector3 CameraPosition(const Matrix4& view)
{
    const float(*m)[4] = view.m;
    const float tx = m[3][0], ty = m[3][1], tz = m[3][2];
    // Rows 0..2 are a rotation (with scale) for a camera matrix.
    return {-(tx * m[0][0] + ty * m[0][1] + tz * m[0][2]), -(tx * m[1][0] + ty * m[1][1] + tz * m[1][2]),
            -(tx * m[2][0] + ty * m[2][1] + tz * m[2][2])};
}

} // namespace

void GlGraphicsDevice::ApplyRenderStates()
{
    auto rs = [this](RenderState s) { return m_effectPass.StateOr(s, m_states.GetRenderState(s)); };
    const bool depth = rs(RenderState::ZEnable) != state::kZBufferOff;
    Enable(GL_DEPTH_TEST, depth);
    glDepthFunc(CompareFunction(rs(RenderState::ZFunc)));
    glDepthMask(depth && rs(RenderState::ZWriteEnable) ? GL_TRUE : GL_FALSE);
    Enable(GL_BLEND, rs(RenderState::AlphaBlendEnable) != 0);
    glBlendFunc(BlendFactor(rs(RenderState::SrcBlend)), BlendFactor(rs(RenderState::DestBlend)));
    const std::uint32_t cull = rs(RenderState::CullMode);
    Enable(GL_CULL_FACE, cull == state::kCullClockwise || cull == state::kCullCounterClockwise);
    // The culled winding is the one named; the other faces the viewer.
    glFrontFace(cull == state::kCullClockwise ? GL_CCW : GL_CW);
    glCullFace(GL_BACK);
    const std::uint32_t fill = rs(RenderState::FillMode);
    glPolygonMode(GL_FRONT_AND_BACK, fill == 1 ? GL_POINT : fill == 2 ? GL_LINE : GL_FILL);
    const bool alphaTest = rs(RenderState::AlphaTestEnable) != 0;
    glUniform1i(m_slots.alphaFunc, alphaTest ? static_cast<int>(rs(RenderState::AlphaFunc)) : 8);
    glUniform1f(m_slots.alphaRef, (rs(RenderState::AlphaRef) & 255) / 255.0f);
    std::uint32_t fogMode = 0;
    if (rs(RenderState::FogEnable)) {
        fogMode = rs(RenderState::FogTableMode);
        if (fogMode == state::kFogNone)
            fogMode = rs(RenderState::FogVertexMode);
    }
    glUniform1i(m_slots.fogMode, static_cast<int>(fogMode <= 3 ? fogMode : 0));
    glUniform3f(m_slots.fogParams, BitsToFloat(rs(RenderState::FogStart)),
                BitsToFloat(rs(RenderState::FogEnd)), BitsToFloat(rs(RenderState::FogDensity)));
    SetArgbColour(m_slots.fogColor, rs(RenderState::FogColor));
    glUniform1i(m_slots.specularEnable, rs(RenderState::SpecularEnable) != 0);
    glUniform1i(m_slots.lighting, rs(RenderState::Lighting) != 0);
}

void GlGraphicsDevice::ApplyTransforms(bool pretransformed)
{
    glUniform1i(m_slots.pretransformed, pretransformed);
    glUniform2f(m_slots.viewport, static_cast<float>(m_targetWidth), static_cast<float>(m_targetHeight));
    if (!m_transformsDirty)
        return;
    m_transformsDirty = false;
    Matrix4 world, view, projection;
    m_states.GetTransform(TransformState::World, &world);
    m_states.GetTransform(TransformState::View, &view);
    m_states.GetTransform(TransformState::Projection, &projection);
    // Row-vector matrices read column-major are their own transposes: what
    // the shader multiplies as M * v.
    const Matrix4 worldView = world * view;
    const Matrix4 all = worldView * projection;
    glUniformMatrix4fv(m_slots.worldViewProjection, 1, GL_FALSE, &all.m[0][0]);
    glUniformMatrix4fv(m_slots.world, 1, GL_FALSE, &world.m[0][0]);
    glUniformMatrix4fv(m_slots.worldView, 1, GL_FALSE, &worldView.m[0][0]);
    const Vector3 camera = CameraPosition(view);
    glUniform3f(m_slots.cameraPosition, camera.x, camera.y, camera.z);
}

void GlGraphicsDevice::ApplyLighting(std::uint32_t format)
{
    auto source = [this, format](RenderState s) {
        const int value = static_cast<int>(m_states.GetRenderState(s));
        // A colour the vertex lacks falls back to the material.
        if ((value == 1 && !(format & fvf::kDiffuse)) || (value == 2 && !(format & fvf::kSpecular)))
            return 0;
        return value <= 2 ? value : 0;
    };
    glUniform4i(m_slots.materialSources, source(RenderState::DiffuseMaterialSource),
                source(RenderState::SpecularMaterialSource), source(RenderState::AmbientMaterialSource),
                source(RenderState::EmissiveMaterialSource));
    if (!m_lightsDirty)
        return;
    m_lightsDirty = false;
    SetArgbColour(m_slots.globalAmbient, m_states.GetRenderState(RenderState::Ambient));
    Material material;
    m_states.GetMaterial(&material);
    SetColour(m_slots.materialDiffuse, material.diffuse);
    SetColour(m_slots.materialAmbient, material.ambient);
    SetColour(m_slots.materialSpecular, material.specular);
    SetColour(m_slots.materialEmissive, material.emissive);
    glUniform1f(m_slots.materialPower, material.power);
    int count = 0;
    for (std::uint32_t i = 0; i < kMaxLights && count < kGlProgramLights; ++i) {
        Light light;
        if (!m_states.IsLightEnabled(i) || Failed(m_states.GetLight(i, &light)))
            continue;
        glUniform1i(m_slots.lightType + count, static_cast<int>(light.type));
        SetColour(m_slots.lightDiffuse + count, light.diffuse);
        SetColour(m_slots.lightSpecular + count, light.specular);
        SetColour(m_slots.lightAmbient + count, light.ambient);
        glUniform3f(m_slots.lightPosition + count, light.position.x, light.position.y, light.position.z);
        glUniform3f(m_slots.lightDirection + count, light.direction.x, light.direction.y, light.direction.z);
        glUniform1f(m_slots.lightRange + count, light.range > 0.0f ? light.range : 1e30f);
        glUniform3f(m_slots.lightAttenuation + count, light.attenuation0, light.attenuation1,
                    light.attenuation2);
        glUniform3f(m_slots.lightSpot + count, light.falloff, std::cos(light.theta * 0.5f),
                    std::cos(light.phi * 0.5f));
        ++count;
    }
    glUniform1i(m_slots.lightCount, count);
}

void GlGraphicsDevice::ApplyStages()
{
    if (m_effectPass.IsActive()) {
        ApplyEffectStages();
        return;
    }
    glUniform1i(m_slots.effectShade, 0);
    int textured[kGlProgramStages] = {};
    int texCoord[kGlProgramStages] = {};
    for (std::uint32_t stage = 0; stage < kGlProgramStages; ++stage) {
        auto ss = [this, stage](StageState s) {
            return static_cast<int>(m_states.GetTextureStageState(stage, s));
        };
        glUniform3i(m_slots.stageColor + static_cast<int>(stage), ss(StageState::ColorOp),
                    ss(StageState::ColorArg1), ss(StageState::ColorArg2));
        glUniform3i(m_slots.stageAlpha + static_cast<int>(stage), ss(StageState::AlphaOp),
                    ss(StageState::AlphaArg1), ss(StageState::AlphaArg2));
        texCoord[stage] = ss(StageState::TexCoordIndex) & 0xFFFF;
        Texture* texture = m_textures[stage];
        BindTexture(stage, texture);
        textured[stage] = texture ? 1 : 0;
    }
    glUniform2i(m_slots.stageTextured, textured[0], textured[1]);
    glUniform2i(m_slots.stageTexCoord, texCoord[0], texCoord[1]);
}

// An effect's shaders stand in for the stages: its texture on the lit
// vertex colour, colour and alpha alike, or the colour alone without one.
void GlGraphicsDevice::ApplyEffectStages()
{
    Texture* texture = m_effectPass.GetTexture();
    const int op = texture ? static_cast<int>(state::kOpModulate) : static_cast<int>(state::kOpSelectArg2);
    glUniform3i(m_slots.stageColor, op, state::kArgTexture, state::kArgDiffuse);
    glUniform3i(m_slots.stageAlpha, op, state::kArgTexture, state::kArgDiffuse);
    glUniform3i(m_slots.stageColor + 1, state::kOpDisable, state::kArgTexture, state::kArgCurrent);
    glUniform3i(m_slots.stageAlpha + 1, state::kOpDisable, state::kArgTexture, state::kArgCurrent);
    BindTexture(0, texture);
    BindTexture(1, nullptr);
    glUniform2i(m_slots.stageTextured, texture ? 1 : 0, 0);
    glUniform2i(m_slots.stageTexCoord, 0, 0);
    const bool overlay = m_effectPass.StateOr(RenderState::AlphaBlendEnable, 0) != 0;
    const bool background = m_effectPass.StateOr(RenderState::ZWriteEnable, 1) == 0;
    glUniform1i(m_slots.effectShade, overlay ? 2 : background ? 3 : 1);
}

void GlGraphicsDevice::BindTexture(std::uint32_t stage, Texture* bound)
{
    glActiveTexture(GL_TEXTURE0 + stage);
    if (!bound) {
        glBindTexture(GL_TEXTURE_2D, 0);
        return;
    }
    // Only this device's textures are ever bound or named by a pass.
    auto* texture = static_cast<GlTexture*>(bound);
    GlObject& copy = texture->Gl();
    if (!copy.name)
        glGenTextures(1, &copy.name);
    glBindTexture(GL_TEXTURE_2D, copy.name);
    if (copy.version != texture->GetContentVersion()) {
        UploadTexture(*texture, m_hasS3tc, m_scratch);
        copy.version = texture->GetContentVersion();
    }
    if (copy.lod != texture->GetLOD()) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, static_cast<GLint>(texture->GetLOD()));
        copy.lod = texture->GetLOD();
    }
    SamplerSettings settings;
    for (std::size_t i = 0; i < Slot(SamplerState::Count); ++i)
        settings.values[i] = m_states.GetSamplerState(stage, static_cast<SamplerState>(i));
    ApplySampler(settings, texture->GetLevelCount() > 1, m_maxAnisotropy);
}

void GlGraphicsDevice::BindLayout(std::uint32_t format, std::uint32_t stride, std::uintptr_t base)
{
    auto pointer = [&](GLuint slot, GLint size, GLenum type, GLboolean normalised, std::uintptr_t offset) {
        glEnableVertexAttribArray(slot);
        glVertexAttribPointer(slot, size, type, normalised, static_cast<GLsizei>(stride),
                              reinterpret_cast<const void*>(base + offset));
    };
    auto absent = [](GLuint slot) { glDisableVertexAttribArray(slot); };
    std::uintptr_t offset = 0;
    const bool rhw = !(format & fvf::kPosition);
    pointer(kAttribPosition, rhw ? 4 : 3, GL_FLOAT, GL_FALSE, 0);
    offset += rhw ? 16 : 12;
    if (format & fvf::kNormal) {
        pointer(kAttribNormal, 3, GL_FLOAT, GL_FALSE, offset);
        offset += 12;
    } else {
        absent(kAttribNormal);
    }
    // Colours are stored as 32-bit ARGB words: B, G, R, A in memory.
    if (format & fvf::kDiffuse) {
        pointer(kAttribDiffuse, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, offset);
        offset += 4;
    } else {
        absent(kAttribDiffuse);
    }
    if (format & fvf::kSpecular) {
        pointer(kAttribSpecular, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, offset);
        offset += 4;
    } else {
        absent(kAttribSpecular);
    }
    const std::uint32_t sets = (format & fvf::kTexCountMask) >> fvf::kTexCountShift;
    for (std::uint32_t set = 0; set < 2; ++set) {
        if (set < sets)
            pointer(kAttribTex0 + set, 2, GL_FLOAT, GL_FALSE, offset + 8 * set);
        else
            absent(kAttribTex0 + set);
    }
    glUniform1i(m_slots.hasNormal, (format & fvf::kNormal) != 0);
    glUniform1i(m_slots.hasDiffuse, (format & fvf::kDiffuse) != 0);
    glUniform1i(m_slots.hasSpecular, (format & fvf::kSpecular) != 0);
}

template <class Buffer> void GlGraphicsDevice::UploadBuffer(Buffer* buffer, unsigned target)
{
    GlObject& copy = buffer->Gl();
    if (!copy.name)
        glGenBuffers(1, &copy.name);
    glBindBuffer(target, copy.name);
    if (copy.version != buffer->GetLockCount()) {
        const bool dynamic = (buffer->GetUsage() & usage::kDynamic) != 0;
        glBufferData(target, buffer->GetLength(), buffer->GetBytes(),
                     dynamic ? GL_STREAM_DRAW : GL_STATIC_DRAW);
        copy.version = buffer->GetLockCount();
    }
}

bool GlGraphicsDevice::PrepareDraw(std::uint32_t format)
{
    glBindFramebuffer(GL_FRAMEBUFFER, m_frameBuffer);
    glUseProgram(m_program);
    glBindVertexArray(m_vertexArray);
    ApplyRenderStates();
    ApplyTransforms(!(format & fvf::kPosition));
    ApplyLighting(format);
    ApplyStages();
    return true;
}

HResult GlGraphicsDevice::DrawPrimitive(PrimitiveType type, std::uint32_t startVertex,
                                        std::uint32_t primitiveCount)
{
    const HResult result = CheckDraw(type, startVertex, primitiveCount);
    CostTimer timer(m_profiling ? &m_cost.drawSeconds : nullptr);
    if (Failed(result) || !IsOperational())
        return result;
    ++m_drawCount;
    const std::uint32_t format = m_states.GetFVF();
    PrepareDraw(format);
    UploadBuffer(m_stream, GL_ARRAY_BUFFER);
    BindLayout(format, m_streamStride, m_streamOffset);
    glDrawArrays(PrimitiveMode(type), static_cast<GLint>(startVertex),
                 static_cast<GLsizei>(VerticesForPrimitives(type, primitiveCount)));
    return result;
}

HResult GlGraphicsDevice::DrawIndexedPrimitive(PrimitiveType type, std::int32_t baseVertex,
                                               std::uint32_t minIndex, std::uint32_t vertexCount,
                                               std::uint32_t startIndex, std::uint32_t primitiveCount)
{
    const HResult result =
        CheckIndexedDraw(type, baseVertex, minIndex, vertexCount, startIndex, primitiveCount);
    CostTimer timer(m_profiling ? &m_cost.drawSeconds : nullptr);
    if (Failed(result) || !IsOperational())
        return result;
    ++m_drawCount;
    const std::uint32_t format = m_states.GetFVF();
    PrepareDraw(format);
    UploadBuffer(m_stream, GL_ARRAY_BUFFER);
    BindLayout(format, m_streamStride, m_streamOffset);
    UploadBuffer(m_indices, GL_ELEMENT_ARRAY_BUFFER);
    const std::uint32_t indexSize = m_indices->GetIndexSize();
    glDrawElementsBaseVertex(
        PrimitiveMode(type), static_cast<GLsizei>(VerticesForPrimitives(type, primitiveCount)),
        indexSize == 2 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT,
        reinterpret_cast<const void*>(static_cast<std::uintptr_t>(startIndex) * indexSize), baseVertex);
    return result;
}

HResult GlGraphicsDevice::DrawPrimitiveUP(PrimitiveType type, std::uint32_t primitiveCount,
                                          const void* vertices, std::uint32_t stride)
{
    const HResult result = CheckUserDraw(type, primitiveCount, vertices, stride);
    CostTimer timer(m_profiling ? &m_cost.drawSeconds : nullptr);
    if (Failed(result) || !IsOperational())
        return result;
    ++m_drawCount;
    // The stream binding is undefined after a user-memory draw.
    m_stream = nullptr;
    m_streamOffset = m_streamStride = 0;
    const std::uint32_t format = m_states.GetFVF();
    const std::uint32_t count = VerticesForPrimitives(type, primitiveCount);
    PrepareDraw(format);
    glBindBuffer(GL_ARRAY_BUFFER, m_streamBuffer);
    // A fresh store each time, so the driver never waits on the last draw.
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(count) * stride, vertices, GL_STREAM_DRAW);
    BindLayout(format, stride, 0);
    glDrawArrays(PrimitiveMode(type), 0, static_cast<GLsizei>(count));
    return result;
}

} // namespace platform
