#include "Render/PRender.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "Render/BaseCamera.h"
#include "Render/DeviceListener.h"
#include "Render/PerspectiveCamera.h"
#include "Render/RenderList.h"
#include "Render/RenderObject.h"
#include "Render/RenderSettings.h"
#include "Render/TerrainMesh.h"
#include "core/GameSettings.h"
#include "core/Log.h"
#include "platform/Math.h"

using namespace platform;

namespace {

const char* const kSourceName = "Render\\PRender";
// Report lines of the static-mesh calls that can fail.
constexpr int kLineCreateVertexBuffer = 322;
constexpr int kLineCreateIndexBuffer = 325;
constexpr int kLineLockIndexBuffer = 330;
constexpr int kLineLockVertexBuffer = 333;

// Blur grid cells of 40 pixels on the 640 x 480 screen.
constexpr std::int32_t kBlurColumns = 16;
constexpr std::int32_t kBlurRows = 12;

CPRender* g_render = nullptr;

std::string LowerCase(const std::string& text)
{
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

} // namespace

CPRender* GetRender() { return g_render; }

void SetRender(CPRender* render) { g_render = render; }

CPRender::CPRender(GraphicsDevice* device) : m_device(device), m_viewProjection(IdentityMatrix())
{
    m_blurGrid.Resize(kBlurColumns, kBlurRows, static_cast<float>(GetScreenWidth()),
                      static_cast<float>(GetScreenHeight()));
    DeviceCaps caps;
    if (m_device && Succeeded(m_device->GetDeviceCaps(&caps)))
        m_maxAnisotropy = static_cast<std::int32_t>(caps.maxAnisotropy);
}

CPRender::~CPRender()
{
    // The passes hold references to the cameras; let them go first.
    m_passes.clear();
    delete m_screenCamera;
    delete m_defaultCamera;
    ReleaseStaticMeshes();
    m_sky.reset();
    if (m_loadingBackground)
        m_loadingBackground->Release();
    if (m_loadingBar)
        m_loadingBar->Release();
}

// ---- Device defaults ----

void CPRender::InitDeviceState()
{
    if (!m_device)
        return;
    GraphicsDevice& d = *m_device;
    d.SetTransform(TransformState::View,
                   LookAtMatrixLH({0.0f, 0.0f, 14.5f}, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}));
    d.SetTransform(TransformState::Projection, PerspectiveMatrixLH(1.0995574f, 1.3333334f, 0.1f, 1000.0f));
    d.SetRenderState(RenderState::SpecularEnable, state::kFalse);
    d.SetRenderState(RenderState::Lighting, state::kTrue);
    d.SetRenderState(RenderState::AlphaBlendEnable, state::kFalse);
    d.SetRenderState(RenderState::ZEnable, state::kZBufferOn);
    d.SetRenderState(RenderState::ZWriteEnable, state::kTrue);
    d.SetRenderState(RenderState::SrcBlend, state::kBlendSrcAlpha);
    d.SetRenderState(RenderState::DestBlend, state::kBlendInvSrcAlpha);
    SetTextureFiltering();
    d.SetTextureStageState(0, StageState::ColorOp, state::kOpModulate);
    d.SetTextureStageState(0, StageState::ColorArg1, state::kArgTexture);
    d.SetTextureStageState(0, StageState::ColorArg2, state::kArgDiffuse);
    d.SetSamplerState(0, SamplerState::AddressU, state::kAddressWrap);
    d.SetSamplerState(0, SamplerState::AddressV, state::kAddressWrap);
    d.SetTextureStageState(0, StageState::AlphaOp, state::kOpDisable);
    d.SetTextureStageState(0, StageState::AlphaArg1, state::kArgTexture);
    d.SetTextureStageState(0, StageState::AlphaArg2, state::kArgDiffuse);
    d.SetRenderState(RenderState::ZFunc, state::kCompareLessEqual);
    d.SetRenderState(RenderState::DitherEnable, state::kTrue);
    d.SetRenderState(RenderState::Clipping, state::kTrue);
    d.SetRenderState(RenderState::CullMode, state::kCullCounterClockwise);
    d.SetRenderState(RenderState::Ambient, m_ambient);
    d.SetFVF(kMeshVertexFormat);
    d.SetTextureStageState(1, StageState::ColorOp, state::kOpDisable);
    d.SetTextureStageState(1, StageState::AlphaOp, state::kOpDisable);
    d.SetTextureStageState(1, StageState::ColorArg1, state::kArgTexture);
    d.SetTextureStageState(1, StageState::ColorArg2, state::kArgCurrent);
    d.SetTextureStageState(1, StageState::AlphaArg1, state::kArgTexture);
    d.SetTextureStageState(1, StageState::AlphaArg2, state::kArgCurrent);
    d.SetSamplerState(1, SamplerState::AddressU, state::kAddressClamp);
    d.SetSamplerState(1, SamplerState::AddressV, state::kAddressClamp);
    d.SetTextureStageState(2, StageState::ColorOp, state::kOpDisable);
    d.SetTextureStageState(2, StageState::AlphaOp, state::kOpDisable);

    Material material;
    material.diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    material.ambient = {1.0f, 1.0f, 1.0f, 1.0f};
    material.specular = {0.3f, 0.3f, 0.3f, 1.0f};
    material.power = 10.0f;
    d.SetMaterial(material);
    d.SetRenderState(RenderState::DiffuseMaterialSource, state::kMaterialSourceMaterial);
    d.SetRenderState(RenderState::SpecularMaterialSource, state::kMaterialSourceMaterial);
    d.SetRenderState(RenderState::AmbientMaterialSource, state::kMaterialSourceMaterial);
    d.SetRenderState(RenderState::FogEnable, state::kFalse);
    d.SetRenderState(RenderState::FogVertexMode, state::kFogLinear);
    d.SetRenderState(RenderState::RangeFogEnable, state::kFalse);
    d.SetRenderState(RenderState::FogStart, FloatBits(50.0f));
    const float distance = static_cast<float>(GetRenderSettings().viewDistance);
    d.SetRenderState(RenderState::FogEnd, FloatBits(distance - 0.1f * distance));
    d.SetRenderState(RenderState::FogColor, m_fogColor);

    // The 2D screen pass: pixels, y growing downwards.
    CPBaseCamera* previous = m_screenCamera;
    m_screenCamera = new CPBaseCamera();
    m_screenCamera->SetMatrix(OrthoOffCenterMatrixLH(
        0.0f, static_cast<float>(GetScreenWidth()), static_cast<float>(GetScreenHeight()), 0.0f, 0.0f, 1.0f));
    SetCamera(kScreenPass, m_screenCamera);
    delete previous;
}

void CPRender::SetTextureFiltering()
{
    if (!m_device)
        return;
    GraphicsDevice& d = *m_device;
    const float setting = GetRenderSettings().anisotropy;
    if (setting <= 0.0f) {
        for (std::uint32_t sampler = 0; sampler < 2; ++sampler) {
            d.SetSamplerState(sampler, SamplerState::MagFilter, state::kFilterLinear);
            d.SetSamplerState(sampler, SamplerState::MinFilter, state::kFilterLinear);
            d.SetSamplerState(sampler, SamplerState::MipFilter, state::kFilterLinear);
        }
        return;
    }
    const float wanted = std::ceil(static_cast<float>(m_maxAnisotropy) * setting);
    const auto anisotropy = static_cast<std::uint32_t>(std::min(static_cast<float>(m_maxAnisotropy), wanted));
    d.SetSamplerState(0, SamplerState::MagFilter, state::kFilterAnisotropic);
    d.SetSamplerState(0, SamplerState::MinFilter, state::kFilterAnisotropic);
    d.SetSamplerState(0, SamplerState::MipFilter, state::kFilterLinear);
    d.SetSamplerState(0, SamplerState::MaxAnisotropy, anisotropy);
    d.SetSamplerState(1, SamplerState::MagFilter, state::kFilterLinear);
    d.SetSamplerState(1, SamplerState::MinFilter, state::kFilterLinear);
    d.SetSamplerState(1, SamplerState::MipFilter, state::kFilterLinear);
}

// ---- Sky ----

void CPRender::LoadSkyscape(std::int32_t number)
{
    m_sky.reset();
    if (!m_skyFactory)
        return;
    m_sky.reset(m_skyFactory());
    if (!m_sky)
        return;
    char name[32];
    std::snprintf(name, sizeof name, "skyscape%d.txt", number);
    m_sky->Load(name);
}

void CPRender::DropSkyscape()
{
    m_sky.reset();
    m_fogColor = 0;
}

// ---- Passes and cameras ----

void CPRender::SetCamera(std::int32_t pass, CPObjectPtr camera) { m_passes[pass].SetCamera(pass, camera); }

CPRenderPass& CPRender::SetPassMatrix(const Matrix4& matrix, std::int32_t pass)
{
    CPRenderPass& record = m_passes[pass];
    record.SetMatrix(matrix);
    return record;
}

CPPerspectiveCamera* CPRender::SetDefaultCamera()
{
    CPPerspectiveCamera* previous = m_defaultCamera;
    m_defaultCamera = new CPPerspectiveCamera();
    m_defaultCamera->FieldOfView() = 1.2217305f;
    m_defaultCamera->NearPlane() = 1.0f;
    m_defaultCamera->FarPlane() = 1000.0f;
    m_defaultCamera->Eye() = {0.0f, 0.0f, 0.0f};
    m_defaultCamera->Target() = {1.0f, 0.0f, 0.0f};
    m_defaultCamera->Up() = {0.0f, 0.0f, 1.0f};
    m_defaultCamera->SetViewChanged();
    m_defaultCamera->SetProjectionChanged();
    m_defaultCamera->Update();
    SetCamera(kDefaultPass, m_defaultCamera);
    delete previous;
    return m_defaultCamera;
}

// ---- Fade, ambient, debug lines ----

void CPRender::SetFade(float level)
{
    // A level that is no number (a script's 0 / 0) would leave the fade's
    // darkness undefined; the screen keeps the fade it had.
    if (std::isnan(level)) {
        LogLine("SetFade: the fade level is not a number; the fade is left as it was");
        return;
    }
    level = std::clamp(level, 0.0f, 1.0f);
    const float maximum = static_cast<float>(m_fadeMaximum);
    m_fade = std::clamp(maximum * level, 0.0f, std::max(maximum, 0.0f));
}

HResult CPRender::SetAmbient(std::uint32_t argb, float red, float green, float blue)
{
    m_ambient = argb;
    m_ambientRed = red;
    m_ambientGreen = green;
    m_ambientBlue = blue;
    m_ambientAlpha = 1.0f;
    if (!m_device)
        return E_FAIL;
    return m_device->SetRenderState(RenderState::Ambient, argb);
}

void CPRender::AddDebugLine(std::uint32_t color, const Vector3& from, const Vector3& to)
{
    m_linesPresent = 1;
    CPMeshVertex vertex;
    vertex.diffuse = color;
    vertex.position = from;
    m_debugLines.push_back(vertex);
    vertex.position = to;
    m_debugLines.push_back(vertex);
}

// ---- Game values ----

void CPRender::SetTintStrength(float strength)
{
    m_tintStrength = strength;
    m_tintOn = strength == 0.0f ? 0 : 1;
}

void CPRender::SetRadialBlurCenter(float blur)
{
    if (GetGameSettings().motionBlur == 0)
        return;
    const float width = static_cast<float>(GetScreenWidth());
    const float height = static_cast<float>(GetScreenHeight());
    m_blurGrid.Aim({width * 0.5f, (blur + 1.0f) * height * 0.5f});
}

// ---- Screen projection ----

Vector3 CPRender::WorldToScreen(const Vector3& point) const
{
    const Vector4 clip = TransformHomogeneous(point, m_viewProjection);
    const float width = static_cast<float>(GetScreenWidth());
    const float height = static_cast<float>(GetScreenHeight());
    if (clip.w == 0.0f)
        return {kOffScreen, kOffScreen, 0.0f};
    // A point behind the eye (w < 0) comes out mirrored, as callers expect.
    return {(clip.x / clip.w + 1.0f) * width * 0.5f, height * 0.5f - (clip.y / clip.w) * height * 0.5f, 0.0f};
}

// ---- Static meshes ----

CPStaticMesh* CPRender::RegisterStaticMesh(const std::string& name, const CPMeshVertex* vertices,
                                           const std::uint16_t* indices, std::int32_t vertexCount,
                                           std::int32_t indexCount)
{
    const std::string key = LowerCase(name);
    const auto found = m_staticMeshes.find(key);
    if (found != m_staticMeshes.end())
        return found->second.get();
    if (!m_device || !vertices || !indices || vertexCount <= 0 || indexCount <= 0 ||
        vertexCount > 0x7FFFFFFF / static_cast<std::int32_t>(sizeof(CPMeshVertex))) {
        LogLine("RegisterStaticMesh: mesh \"" + name + "\" has no usable geometry");
        return nullptr;
    }

    auto mesh = std::make_unique<CPStaticMesh>();
    const auto vertexBytes = static_cast<std::uint32_t>(vertexCount) * sizeof(CPMeshVertex);
    const auto indexBytes = static_cast<std::uint32_t>(indexCount) * sizeof(std::uint16_t);
    HResult result = m_device->CreateVertexBuffer(vertexBytes, usage::kWriteOnly, kMeshVertexFormat,
                                                  ResourcePool::Managed, &mesh->vertexBuffer);
    if (Failed(result)) {
        ReportDXError(kSourceName, kLineCreateVertexBuffer, result);
        return nullptr;
    }
    result = m_device->CreateIndexBuffer(indexBytes, usage::kWriteOnly, IndexFormat::Index16,
                                         ResourcePool::Managed, &mesh->indexBuffer);
    if (Failed(result)) {
        ReportDXError(kSourceName, kLineCreateIndexBuffer, result);
        return nullptr;
    }

    void* indexData = nullptr;
    result = mesh->indexBuffer->Lock(0, 0, &indexData, 0);
    if (Failed(result)) {
        ReportDXError(kSourceName, kLineLockIndexBuffer, result);
        return nullptr;
    }
    void* vertexData = nullptr;
    result = mesh->vertexBuffer->Lock(0, 0, &vertexData, 0);
    if (Failed(result)) {
        mesh->indexBuffer->Unlock();
        ReportDXError(kSourceName, kLineLockVertexBuffer, result);
        return nullptr;
    }
    std::memcpy(vertexData, vertices, vertexBytes);
    std::memcpy(indexData, indices, indexBytes);
    mesh->vertices.assign(vertices, vertices + vertexCount);
    mesh->indices.assign(indices, indices + indexCount);
    mesh->indexBuffer->Unlock();
    mesh->vertexBuffer->Unlock();

    mesh->vertexCount = vertexCount;
    mesh->triangleCount = indexCount / 3;
    mesh->minimum = mesh->maximum = vertices[0].position;
    for (const CPMeshVertex& vertex : mesh->vertices) {
        mesh->minimum = ComponentMin(mesh->minimum, vertex.position);
        mesh->maximum = ComponentMax(mesh->maximum, vertex.position);
    }
    CPStaticMesh* registered = mesh.get();
    m_staticMeshes.emplace(key, std::move(mesh));
    return registered;
}

void CPRender::ReleaseStaticMeshes()
{
    // Nobody may go on drawing a mesh that is about to go.
    for (CPRenderObject* holder : m_staticMeshHolders)
        holder->ForgetStaticMesh();
    m_staticMeshHolders.clear();
    for (auto& entry : m_staticMeshes)
        entry.second->ReleaseBuffers();
    m_staticMeshes.clear();
}

const CPStaticMesh* CPRender::FindStaticMesh(const std::string& name) const
{
    const auto found = m_staticMeshes.find(LowerCase(name));
    return found == m_staticMeshes.end() ? nullptr : found->second.get();
}

void CPRender::AddStaticMeshHolder(CPRenderObject* holder)
{
    if (holder && std::find(m_staticMeshHolders.begin(), m_staticMeshHolders.end(), holder) ==
                      m_staticMeshHolders.end()) {
        m_staticMeshHolders.push_back(holder);
        if (auto* list = m_renderList.As<CPRenderList>())
            list->PrepareStaticMeshes(m_staticMeshHolders.size());
    }
}

void CPRender::RemoveStaticMeshHolder(CPRenderObject* holder)
{
    const auto found = std::find(m_staticMeshHolders.begin(), m_staticMeshHolders.end(), holder);
    if (found != m_staticMeshHolders.end())
        m_staticMeshHolders.erase(found);
}

CPPerspectiveCamera* CPRender::GetSceneCamera()
{
    for (auto& entry : m_passes) {
        if (auto* camera = entry.second.GetCamera().As<CPPerspectiveCamera>()) {
            camera->Update();
            return camera;
        }
    }
    return nullptr;
}

void CPRender::PrepareMaterial(CPObject* material)
{
    if (auto* list = m_renderList.As<CPRenderList>())
        list->PrepareBatch(CPObjectPtr(material));
}

void CPRender::CollectStaticMeshes()
{
    auto* list = m_renderList.As<CPRenderList>();
    CPPerspectiveCamera* camera = GetSceneCamera();
    if (!list || !camera)
        return;
    list->AddStaticMeshes(*camera, m_staticMeshHolders);
}

// ---- Lights ----

bool CPRender::AddLight(const Light& light)
{
    if (m_lightCount >= kMaxLights)
        return false;
    m_lights[m_lightCount++] = light;
    return true;
}

void CPRender::ApplyLights()
{
    m_lightsApplied = true;
    if (m_device) {
        std::int32_t i = 0;
        for (; i < m_lightCount; ++i) {
            m_device->SetLight(i, m_lights[i]);
            if (m_lights[i].type == LightType::Directional)
                m_mainLight = m_lights[i];
            m_device->LightEnable(i, true);
        }
        for (; i < kMaxLights; ++i)
            m_device->LightEnable(i, false);
    }
    m_lightCount = 0;
}
