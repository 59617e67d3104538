#include "DynamicSky/VertexObject.h"

#include <algorithm>
#include <cstring>

#include "Render/PRender.h"
#include "core/FileReader.h"
#include "core/Log.h"
#include "platform/Effect.h"
#include "platform/MatrixMath.h"
#include "platform/TextureLoader.h"

namespace {

constexpr const char* kSourceName = "DynamicSky\\VertexObject";
constexpr int kTextureFailureLine = 50;
constexpr int kEffectAFailureLine = 114;
constexpr int kEffectBFailureLine = 149;

platform::GraphicsDevice* g_skyDevice = nullptr;

platform::GraphicsDevice* RendererDevice() { return GetRender() ? GetRender()->GetDevice() : nullptr; }

template <class Resource> void ReleaseResource(Resource*& resource)
{
    if (resource)
        resource->Release();
    resource = nullptr;
}

} // namespace

platform::GraphicsDevice* GetSkyDevice() { return g_skyDevice; }
void SetSkyDevice(platform::GraphicsDevice* device) { g_skyDevice = device; }

CPVertexObject::CPVertexObject() : m_transform(IdentityMatrix()) {}

CPVertexObject::~CPVertexObject()
{
    ReleaseResource(m_texture);
    m_effectA.reset();
    m_effectB.reset();
    ReleaseResource(m_indexBuffer);
    ReleaseResource(m_vertexBuffer);
}

void CPVertexObject::OnLostDevice()
{
    if (m_effectA)
        m_effectA->OnLostDevice();
    if (m_effectB)
        m_effectB->OnLostDevice();
}

void CPVertexObject::OnResetDevice()
{
    if (m_effectA)
        m_effectA->OnResetDevice();
    if (m_effectB)
        m_effectB->OnResetDevice();
}

HResult CPVertexObject::LoadTexture(const std::string& fileName)
{
    CPFileReader reader(fileName, false);
    const HResult read = reader.Load();
    if (Failed(read))
        return read;

    platform::Texture* texture = nullptr;
    std::string why;
    const HResult result =
        platform::CreateTextureFromFileInMemory(RendererDevice(), reader.GetData(), reader.GetDataSize(),
                                                platform::TextureFileRequest{}, &texture, &why);
    if (Failed(result)) {
        ReportDXError(kSourceName, kTextureFailureLine, result);
        LogLine("Sky texture \"" + fileName + "\" cannot be made a texture: " + why);
        return result;
    }
    ReleaseResource(m_texture);
    m_texture = texture;
    return result;
}

HResult CPVertexObject::LoadEffectA(const std::string& fileName)
{
    return LoadEffect(fileName, m_effectA, kEffectAFailureLine);
}

HResult CPVertexObject::LoadEffectB(const std::string& fileName)
{
    return LoadEffect(fileName, m_effectB, kEffectBFailureLine);
}

HResult CPVertexObject::LoadEffect(const std::string& fileName, std::unique_ptr<platform::Effect>& effect,
                                   int failureLine)
{
    effect.reset();
    CPFileReader reader(fileName, false);
    const HResult read = reader.Load();
    if (Failed(read))
        return read;

    std::string why;
    effect = platform::Effect::Create(reinterpret_cast<const char*>(reader.GetData()), reader.GetDataSize(),
                                      nullptr, &why, RendererDevice());
    if (!effect) {
        ReportDXError(kSourceName, failureLine, platform::kInvalidData);
        LogLine("Sky effect \"" + fileName + "\" cannot be made an effect: " + why);
        return platform::kInvalidData;
    }
    if (const platform::EffectTechnique* technique = effect->FindNextValidTechnique(nullptr))
        effect->SetTechnique(technique);
    return S_OK;
}

HResult CPVertexObject::TransformVertices(const Matrix4& matrix)
{
    if (m_drawingList.size() < m_sourceList.size())
        m_drawingList.insert(m_drawingList.end(), m_sourceList.begin() + m_drawingList.size(),
                             m_sourceList.end());
    TransformPoints(m_sourceList.data(), sizeof(CPMeshVertex), m_drawingList.data(), sizeof(CPMeshVertex),
                    m_sourceList.size(), matrix);
    return S_OK;
}

HResult CPVertexObject::FillBuffers(const std::vector<CPMeshVertex>& vertices,
                                    const std::vector<std::uint16_t>& indices, bool keepDrawing)
{
    const std::size_t drawingCount =
        keepDrawing ? std::max(m_drawingList.size(), vertices.size()) : vertices.size();
    if (drawingCount > kMaxVertices || indices.size() > kMaxIndices) {
        LogLine("Sky geometry of " + std::to_string(drawingCount) + " vertices and " +
                std::to_string(indices.size()) + " indices does not fit its buffers (at most " +
                std::to_string(kMaxVertices) + " and " + std::to_string(kMaxIndices) + ")");
        return E_FAIL;
    }
    // The buffers hold what the first fill needs (a sky quad is four
    // vertices, a dome a few thousand) and are made anew only when a later
    // fill needs more, which the sky's own refills never do.
    if (!m_vertexBuffer || !m_indexBuffer || drawingCount > m_vertexCapacity ||
        indices.size() > m_indexCapacity) {
        const HResult created = CreateBuffers(static_cast<std::uint32_t>(drawingCount),
                                              static_cast<std::uint32_t>(indices.size()));
        if (Failed(created))
            return created;
    }
    // The sky refills from its own lists every frame: copying a list onto
    // itself is skipped, so no frame allocates.
    if (&vertices != &m_sourceList)
        m_sourceList = vertices;
    if (!keepDrawing)
        m_drawingList = m_sourceList;
    else if (m_drawingList.size() < m_sourceList.size())
        m_drawingList.insert(m_drawingList.end(), m_sourceList.begin() + m_drawingList.size(),
                             m_sourceList.end());
    if (&indices != &m_indices)
        m_indices = indices;
    return CopyIntoBuffers();
}

HResult CPVertexObject::CreateBuffers(std::uint32_t vertices, std::uint32_t indices)
{
    ReleaseResource(m_vertexBuffer);
    ReleaseResource(m_indexBuffer);
    m_vertexCapacity = 0;
    m_indexCapacity = 0;
    // Never empty: a buffer of no bytes is no buffer to a device.
    vertices = std::max<std::uint32_t>(vertices, 1);
    indices = std::max<std::uint32_t>(indices, 1);
    platform::GraphicsDevice* device = RendererDevice();
    if (!device) {
        LogLine("Sky buffers cannot be made: there is no graphics device");
        return E_FAIL;
    }
    HResult result = device->CreateVertexBuffer(vertices * static_cast<std::uint32_t>(sizeof(CPMeshVertex)),
                                                platform::usage::kWriteOnly, kMeshVertexFormat,
                                                platform::ResourcePool::Managed, &m_vertexBuffer);
    if (Succeeded(result))
        result = device->CreateIndexBuffer(indices * static_cast<std::uint32_t>(sizeof(std::uint16_t)),
                                           platform::usage::kWriteOnly, platform::IndexFormat::Index16,
                                           platform::ResourcePool::Managed, &m_indexBuffer);
    if (Failed(result)) {
        ReleaseResource(m_vertexBuffer);
        ReleaseResource(m_indexBuffer);
        LogLine("Sky buffers cannot be made: the device refused them");
        return result;
    }
    m_vertexCapacity = vertices;
    m_indexCapacity = indices;
    return result;
}

HResult CPVertexObject::CopyIntoBuffers()
{
    const std::uint32_t vertexBytes = static_cast<std::uint32_t>(m_drawingList.size() * sizeof(CPMeshVertex));
    const std::uint32_t indexBytes = static_cast<std::uint32_t>(m_indices.size() * sizeof(std::uint16_t));
    // A lock of 0 bytes would take the whole buffer: an empty list needs
    // no copy.
    if (vertexBytes > 0) {
        void* data = nullptr;
        const HResult locked = m_vertexBuffer->Lock(0, vertexBytes, &data, 0);
        if (Failed(locked)) {
            LogLine("Sky vertex buffer cannot be locked");
            return locked;
        }
        std::memcpy(data, m_drawingList.data(), vertexBytes);
        m_vertexBuffer->Unlock();
    }
    if (indexBytes > 0) {
        void* data = nullptr;
        const HResult locked = m_indexBuffer->Lock(0, indexBytes, &data, 0);
        if (Failed(locked)) {
            LogLine("Sky index buffer cannot be locked");
            return locked;
        }
        std::memcpy(data, m_indices.data(), indexBytes);
        m_indexBuffer->Unlock();
    }
    return S_OK;
}

HResult CPVertexObject::Draw()
{
    platform::GraphicsDevice* device = GetSkyDevice();
    if (!device || !m_vertexBuffer || !m_indexBuffer)
        return E_FAIL;
    device->SetFVF(kMeshVertexFormat);
    device->SetIndices(m_indexBuffer);
    device->SetStreamSource(0, m_vertexBuffer, 0, sizeof(CPMeshVertex));

    platform::Effect* effect = m_useEffectB ? m_effectB.get() : m_effectA.get();
    if (effect)
        return DrawWithEffect(device, effect);
    if (m_useEffectB)
        return E_FAIL;
    return device->DrawIndexedPrimitive(platform::PrimitiveType::TriangleList, 0, 0,
                                        static_cast<std::uint32_t>(m_drawingList.size()), 0,
                                        static_cast<std::uint32_t>(m_indices.size() / 3));
}

HResult CPVertexObject::DrawWithEffect(platform::GraphicsDevice* device, platform::Effect* effect)
{
    if (platform::EffectParameter* parameter = effect->ParameterByName("tex0"))
        effect->SetTexture(parameter, m_texture);
    unsigned passes = 0;
    if (Failed(effect->Begin(&passes)))
        return E_FAIL;
    HResult result = E_FAIL;
    for (unsigned pass = 0; pass < passes; ++pass) {
        effect->BeginPass(pass);
        result = device->DrawIndexedPrimitive(platform::PrimitiveType::TriangleList, 0, 0,
                                              static_cast<std::uint32_t>(m_drawingList.size()), 0,
                                              static_cast<std::uint32_t>(m_indices.size() / 3));
        effect->EndPass();
    }
    effect->End();
    return result;
}
