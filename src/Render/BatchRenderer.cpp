#include "Render/BatchRenderer.h"

#include <algorithm>

#include "core/ObjectCast.h"
#include "Render/BaseCamera.h"
#include "Render/EffectLibrary.h"
#include "Render/IVBlock.h"
#include "Render/Material.h"
#include "Render/PEffect.h"
#include "Render/PIVertexBuffer.h"
#include "Render/PTexture.h"
#include "Render/PerspectiveCamera.h"
#include "Render/RenderObject.h"
#include "Render/Renderable.h"
#include "Render/StaticMesh.h"
#include "Render/TextureBlock.h"
#include "core/Log.h"
#include "platform/Effect.h"
#include "platform/GraphicsDevice.h"
#include "platform/Math.h"

using namespace platform;

namespace {

const void* TextureOf(const CPTexture* texture)
{
    if (!texture)
        return nullptr;
    if (texture->GetTexture())
        return texture->GetTexture();
    return texture->GetCubeTexture();
}

} // namespace

CPBatchRenderer::CPBatchRenderer(GraphicsDevice& device, CPEffectLibrary* effects)
    : m_device(device), m_effects(effects), m_view(IdentityMatrix()), m_projection(IdentityMatrix()),
      m_passWorld(IdentityMatrix())
{
    CPEffect* shared = m_effects ? m_effects->GetSharedEffect() : nullptr;
    m_shared = shared ? shared->GetEffect() : nullptr;
}

void CPBatchRenderer::BeginPass(const CPBaseCamera& camera, const Matrix4& world, const Light& light,
                                const ColorValue& ambient, float time)
{
    m_time = time;
    m_view = camera.GetView();
    m_projection = camera.GetProjection();
    m_passWorld = world;
    m_passIsIdentity = IsExactIdentity(world);
    Effect* effect = m_shared;
    if (!effect)
        return;

    const Matrix4& view = camera.GetView();
    const Matrix4& projection = camera.GetProjection();
    Matrix4 viewInverse;
    Vector3 eye;
    if (auto* perspective = ObjectCast<const CPPerspectiveCamera>(&camera)) {
        viewInverse = perspective->GetInverseView();
        eye = const_cast<CPPerspectiveCamera*>(perspective)->Eye();
    } else {
        if (!Invert(view, viewInverse))
            viewInverse = IdentityMatrix();
        eye = {viewInverse.m[3][0], viewInverse.m[3][1], viewInverse.m[3][2]};
    }
    const Matrix4 worldView = world * view;
    const auto set = [&](CPEffectLibrary::SharedParameter which, auto&& apply) {
        if (EffectParameter* handle = m_effects->GetSharedHandle(which))
            apply(handle);
    };
    set(CPEffectLibrary::kViewInverse, [&](EffectParameter* h) { effect->SetMatrix(h, viewInverse); });
    set(CPEffectLibrary::kLight, [&](EffectParameter* h) {
        effect->SetVector(h, {light.direction.x, light.direction.y, light.direction.z, 0.0f});
    });
    set(CPEffectLibrary::kLightColor, [&](EffectParameter* h) {
        effect->SetVector(h, {light.diffuse.r, light.diffuse.g, light.diffuse.b, light.diffuse.a});
    });
    set(CPEffectLibrary::kWorldViewProjection,
        [&](EffectParameter* h) { effect->SetMatrix(h, worldView * projection); });
    set(CPEffectLibrary::kViewProjection,
        [&](EffectParameter* h) { effect->SetMatrix(h, view * projection); });
    set(CPEffectLibrary::kWorldView, [&](EffectParameter* h) { effect->SetMatrix(h, worldView); });
    set(CPEffectLibrary::kAmbient, [&](EffectParameter* h) {
        effect->SetVector(h, {ambient.r, ambient.g, ambient.b, 1.0f});
    });
    set(CPEffectLibrary::kCameraPos, [&](EffectParameter* h) {
        effect->SetVector(h, {eye.x, eye.y, eye.z, 1.0f});
    });
}

int CPBatchRenderer::Draw(CPIVBlock& batch)
{
    CPIVertexBuffer* buffer = batch.GetBuffer();
    if (!buffer || batch.GetVertexCount() <= 0)
        return 0;
    const int vertexLimit = std::min(buffer->GetSlotVertices(), CPIVertexBuffer::kMaxBaseVertices);
    const auto& renderables = batch.GetRenderables();
    std::size_t next = 0;
    int draws = 0;
    bool firstRange = true;
    while (next < renderables.size()) {
        // The first range is locked for the batch's counts; a batch larger
        // than a slot goes on in whole slots.
        const int vertices = firstRange ? std::min(batch.GetVertexCount(), buffer->GetSlotVertices()) : 0;
        const int indices = firstRange ? std::min(batch.GetIndexCount(), buffer->GetSlotIndices()) : 0;
        firstRange = false;
        if (!buffer->Lock(vertices, indices, true, -1))
            return draws;
        buffer->ClearWritten();
        for (; next < renderables.size(); ++next) {
            auto* renderable = static_cast<CPRenderable*>(renderables[next].Get());
            if (renderable->IsDisabled())
                continue;
            const int vertexCount = renderable->GetVertexCount();
            const int indexCount = renderable->GetIndexCount();
            if (vertexCount <= 0)
                continue;
            if (vertexCount > vertexLimit || indexCount > buffer->GetSlotIndices()) {
                if (!batch.IsOversizeReported())
                    LogLine("CPBatchRenderer: " + renderable->GetTypeName() + " of " +
                            std::to_string(vertexCount) + " vertices and " + std::to_string(indexCount) +
                            " indices is larger than a buffer slot; not drawn (reported once)");
                batch.SetOversizeReported();
                continue;
            }
            if (!buffer->HasRoomFor(vertexCount, indexCount))
                break;
            buffer->AddRenderable(*renderable);
        }
        buffer->Unlock(true);
        if (buffer->GetIndicesWritten() > 0) {
            DrawRange(batch);
            ++draws;
        }
    }
    return draws;
}

void CPBatchRenderer::DrawRange(CPIVBlock& batch)
{
    CPIVertexBuffer& buffer = *batch.GetBuffer();
    const int slot = buffer.GetFilledSlot();
    m_device.SetStreamSource(0, buffer.GetVertexBuffer(slot), 0, sizeof(CPMeshVertex));
    m_device.SetIndices(buffer.GetIndexBuffer(slot));
    m_device.SetFVF(kMeshVertexFormat);
    DrawIndexed(Resolve(batch.GetMaterial()), static_cast<std::uint32_t>(buffer.GetVerticesWritten()),
                static_cast<std::uint32_t>(buffer.GetIndicesWritten() / 3));
}

// The world matrix reaches the device for every mesh; the shared effect's
// products are worked out only where there is a shared effect.
inline void CPBatchRenderer::SetWorld(const Matrix4& world)
{
    m_device.SetTransform(TransformState::World, world);
    if (m_shared)
        SetSharedWorld(world);
}

inline void CPBatchRenderer::DrawTriangles(std::uint32_t vertexCount, std::uint32_t triangles)
{
    m_device.DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 0, vertexCount, 0, triangles);
}

inline void CPBatchRenderer::DrawEffectPasses(Effect& fx, unsigned passes, std::uint32_t vertexCount,
                                              std::uint32_t triangles)
{
    for (unsigned pass = 0; pass < passes; ++pass) {
        fx.BeginPass(pass);
        DrawTriangles(vertexCount, triangles);
        fx.EndPass();
    }
}

int CPBatchRenderer::DrawStaticMeshes(CPIVBlock& batch)
{
    // The material's effect is begun once for all the batch's meshes: its
    // values are the same for each, and each mesh still draws in passes of
    // its own. A batch without a static mesh (most of the dynamic ones)
    // never looks its material up.
    MaterialDraw material;
    bool resolved = false;
    bool opened = false;
    bool begun = false;
    unsigned passes = 0;
    int draws = 0;
    for (const CPObjectPtr& listed : batch.GetRenderables()) {
        // Only a mesh render object is ever disabled.
        CPRenderObject* holder = AsRenderObject(static_cast<CPRenderable*>(listed.Get()));
        if (!holder || !holder->IsDisabled())
            continue;
        const CPStaticMesh* mesh = holder->GetStaticMesh();
        if (!mesh || !mesh->vertexBuffer || !mesh->indexBuffer || mesh->triangleCount <= 0)
            continue;
        if (!resolved) {
            material = Resolve(batch.GetMaterial());
            resolved = true;
        }
        // The scene pass places by the identity: the mesh's own transform
        // is then the product, to the bit, whenever the product would be.
        const Matrix4& transform = holder->GetTransform();
        if (m_passIsIdentity && IdentityKeeps(transform))
            SetWorld(transform);
        else
            SetWorld(transform * m_passWorld);
        m_device.SetStreamSource(0, mesh->vertexBuffer, 0, sizeof(CPMeshVertex));
        m_device.SetIndices(mesh->indexBuffer);
        m_device.SetFVF(kMeshVertexFormat);
        ++draws;
        const auto vertexCount = static_cast<std::uint32_t>(mesh->vertexCount);
        const auto triangles = static_cast<std::uint32_t>(mesh->triangleCount);
        if (!material.fx) {
            m_device.SetTexture(0, material.fixedTexture);
            DrawTriangles(vertexCount, triangles);
            continue;
        }
        if (!opened) {
            opened = true;
            SetEffectValues(material);
            begun = Succeeded(material.fx->Begin(&passes));
        }
        if (begun)
            DrawEffectPasses(*material.fx, passes, vertexCount, triangles);
    }
    if (begun)
        material.fx->End();
    // The batches after these are written in world space.
    if (draws > 0)
        SetWorld(m_passWorld);
    return draws;
}

void CPBatchRenderer::SetSharedWorld(const Matrix4& world)
{
    Effect* effect = m_shared;
    const Matrix4 worldView = world * m_view;
    if (EffectParameter* handle = m_effects->GetSharedHandle(CPEffectLibrary::kWorldViewProjection))
        effect->SetMatrix(handle, worldView * m_projection);
    if (EffectParameter* handle = m_effects->GetSharedHandle(CPEffectLibrary::kWorldView))
        effect->SetMatrix(handle, worldView);
}

CPBatchRenderer::MaterialDraw CPBatchRenderer::Resolve(const CPObjectPtr& materialObject)
{
    MaterialDraw draw;
    auto* material = materialObject.As<CPMaterial>();
    if (!material)
        return draw;
    draw.effect = material->GetEffect();
    draw.textures = material->GetTextureBlock();
    draw.fx = draw.effect ? draw.effect->GetEffect() : nullptr;
    if (!draw.fx && draw.textures && draw.textures->GetTextureCount() > 0)
        if (const CPTexture* first = draw.textures->GetTexture(0))
            draw.fixedTexture = first->GetTexture();
    return draw;
}

void CPBatchRenderer::SetEffectValues(const MaterialDraw& material)
{
    Effect& fx = *material.fx;
    if (EffectParameter* time = material.effect->GetTimeHandle())
        fx.SetFloat(time, m_time);
    const auto& handles = material.effect->GetTextureHandles();
    const int count = material.textures ? material.textures->GetTextureCount() : 0;
    for (std::size_t i = 0; i < handles.size(); ++i) {
        const int index = static_cast<int>(i);
        const CPTexture* texture = index < count ? material.textures->GetTexture(index) : nullptr;
        fx.SetTexture(handles[i], TextureOf(texture));
    }
}

void CPBatchRenderer::DrawIndexed(const MaterialDraw& material, std::uint32_t vertexCount,
                                  std::uint32_t triangles)
{
    if (!material.fx) {
        m_device.SetTexture(0, material.fixedTexture);
        DrawTriangles(vertexCount, triangles);
        return;
    }
    SetEffectValues(material);
    unsigned passes = 0;
    if (Failed(material.fx->Begin(&passes)))
        return;
    DrawEffectPasses(*material.fx, passes, vertexCount, triangles);
    material.fx->End();
}
