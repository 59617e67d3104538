#include <algorithm>
#include <climits>

#include "Render/BaseCamera.h"
#include "Render/BatchRenderer.h"
#include "Render/DeviceListener.h"
#include "Render/EffectLibrary.h"
#include "Render/IVBlock.h"
#include "Render/PRender.h"
#include "Render/PerspectiveCamera.h"
#include "Render/RenderList.h"
#include "Render/RenderSettings.h"
#include "platform/Math.h"

using namespace platform;

namespace {

struct ScreenVertex {
    float x, y, z, rhw;
    std::uint32_t diffuse;
    float u, v;
};
static_assert(sizeof(ScreenVertex) == 28, "pre-transformed vertices are 28 bytes");
constexpr std::uint32_t kScreenVertexFormat = fvf::kPositionRhw | fvf::kDiffuse | fvf::kTex1;

// Render states an overlay changes and puts back afterwards, so the
// defaults of InitDeviceState hold for the next frame.
class SavedStates {
  public:
    explicit SavedStates(GraphicsDevice& device) : m_device(device)
    {
        for (std::size_t i = 0; i < kStates.size(); ++i)
            m_values[i] = device.GetRenderState(kStates[i]);
        m_colorOp = device.GetTextureStageState(0, StageState::ColorOp);
        m_colorArg1 = device.GetTextureStageState(0, StageState::ColorArg1);
        m_alphaOp = device.GetTextureStageState(0, StageState::AlphaOp);
        m_alphaArg1 = device.GetTextureStageState(0, StageState::AlphaArg1);
        m_format = device.GetFVF();
        m_texture = device.GetTexture(0);
        device.GetTransform(TransformState::World, &m_world);
    }
    ~SavedStates()
    {
        for (std::size_t i = 0; i < kStates.size(); ++i)
            m_device.SetRenderState(kStates[i], m_values[i]);
        m_device.SetTextureStageState(0, StageState::ColorOp, m_colorOp);
        m_device.SetTextureStageState(0, StageState::ColorArg1, m_colorArg1);
        m_device.SetTextureStageState(0, StageState::AlphaOp, m_alphaOp);
        m_device.SetTextureStageState(0, StageState::AlphaArg1, m_alphaArg1);
        m_device.SetFVF(m_format);
        m_device.SetTexture(0, m_texture);
        m_device.SetTransform(TransformState::World, m_world);
    }

  private:
    static constexpr std::array<RenderState, 5> kStates = {
        RenderState::Lighting, RenderState::ZEnable, RenderState::ZWriteEnable, RenderState::AlphaBlendEnable,
        RenderState::FogEnable};
    GraphicsDevice& m_device;
    std::array<std::uint32_t, kStates.size()> m_values{};
    std::uint32_t m_colorOp, m_colorArg1, m_alphaOp, m_alphaArg1, m_format;
    Texture* m_texture;
    Matrix4 m_world;
};

// A pass that places what it draws by a matrix of its own (the shadow
// pass flattens onto the ground) draws only the options of its own range.
bool Projects(const CPRenderPass& pass) { return pass.HasMatrix() && !IsIdentity(pass.GetMatrix()); }

} // namespace

bool CPRender::RestoreDevice()
{
    if (!m_device)
        return false;
    const HResult level = m_device->TestCooperativeLevel();
    if (level == S_OK)
        return true;
    if (level != kDeviceNotReset)
        return false;
    if (!m_listenersLost) {
        NotifyDeviceLost();
        m_listenersLost = true;
    }
    if (Failed(m_device->Reset(m_device->GetPresentParameters())))
        return false;
    m_listenersLost = false;
    NotifyDeviceReset();
    InitDeviceState();
    return true;
}

bool CPRender::RenderFrame(float frameTime)
{
    CPRenderList* list = m_renderList.As<CPRenderList>();
    // The lines and the batches were this frame's: a frame not drawn lets
    // them go, or they would pile up for as long as the device stays lost.
    const auto endFrame = [this, list] {
        m_debugLines.clear();
        m_linesPresent = 0;
        // Lights of a frame not drawn would take places in the next one.
        m_lightCount = 0;
        if (list)
            list->ClearFrame();
    };
    m_lightsApplied = false;
    if (!m_device || !RestoreDevice()) {
        endFrame();
        return false;
    }
    m_device->Clear(clear::kTarget | clear::kZBuffer, m_fogColor, 1.0f, 0);
    if (Failed(m_device->BeginScene())) {
        endFrame();
        return false;
    }
    UpdatePassCameras();
    DrawSky(frameTime);
    // The sky applies the table with its sun light; without a sky (or one
    // that drew nothing) the frame's lights still reach the device.
    if (!m_lightsApplied)
        ApplyLights();
    DrawPasses(list, frameTime);
    DrawDebugLines();
    DrawFade();
    m_device->EndScene();
    endFrame();
    return Succeeded(m_device->Present());
}

// The cameras as this frame sees them, before anything is drawn: the
// sky and the screen projection follow the scene camera.
void CPRender::UpdatePassCameras()
{
    for (auto& entry : m_passes)
        if (auto* perspective = entry.second.GetCamera().As<CPPerspectiveCamera>())
            perspective->Update();
    if (const CPPerspectiveCamera* scene = GetSceneCamera())
        m_viewProjection = scene->GetViewProjection();
}

// The sky turns with the scene camera but never comes nearer: it is seen
// from the origin along the camera's direction, out to the far projection.
void CPRender::DrawSky(float frameTime)
{
    if (!m_sky)
        return;
    if (const CPPerspectiveCamera* scene = GetSceneCamera()) {
        m_device->SetTransform(TransformState::World, IdentityMatrix());
        m_device->SetTransform(TransformState::View, scene->GetOrientationView());
        m_device->SetTransform(TransformState::Projection, scene->GetFarProjection());
    }
    m_sky->Render(frameTime);
}

// The passes in ascending order. A batch is drawn in the last pass whose
// number is not above its material's option: the shadow materials of
// option 16 in the shadow pass 16, the screens of options 200 and up in the
// screen pass 195. Options below every pass (the level's own objects) are
// drawn in the scene pass: the first pass with a camera that does not
// place by a matrix of its own (pass 17 of a level, seen through the game
// camera), else the first pass with a camera. A pass without a camera of
// its own sees through the camera of the pass before it; so does the
// renderer's default camera once a scene camera is installed before it.
void CPRender::DrawPasses(CPRenderList* list, float frameTime)
{
    CPBatchRenderer batches(*m_device, GetEffectLibrary());
    const ColorValue ambient{m_ambientRed, m_ambientGreen, m_ambientBlue, m_ambientAlpha};
    const auto passCamera = [this](const CPRenderPass& pass, const CPBaseCamera* previous) {
        auto* camera = pass.GetCamera().As<CPBaseCamera>();
        if (!camera)
            return previous;
        if (camera == m_defaultCamera && dynamic_cast<const CPPerspectiveCamera*>(previous))
            return previous;
        return static_cast<const CPBaseCamera*>(camera);
    };

    // The first pass that draws, and the scene pass.
    int firstDrawing = INT_MAX;
    int scenePass = INT_MAX;
    const CPBaseCamera* seenThrough = nullptr;
    for (const auto& entry : m_passes) {
        seenThrough = passCamera(entry.second, seenThrough);
        if (!seenThrough)
            continue;
        if (firstDrawing == INT_MAX)
            firstDrawing = entry.first;
        if (!Projects(entry.second)) {
            scenePass = entry.first;
            break;
        }
    }
    if (scenePass == INT_MAX)
        scenePass = firstDrawing;

    seenThrough = nullptr;
    for (auto entry = m_passes.begin(); entry != m_passes.end(); ++entry) {
        CPRenderPass& pass = entry->second;
        seenThrough = passCamera(pass, seenThrough);
        if (!seenThrough)
            continue;
        const Matrix4 world = pass.HasMatrix() ? pass.GetMatrix() : IdentityMatrix();
        m_device->SetTransform(TransformState::View, seenThrough->GetView());
        m_device->SetTransform(TransformState::Projection, seenThrough->GetProjection());
        m_device->SetTransform(TransformState::World, world);
        if (!list || list->GetFrameBatches().empty())
            continue;
        const auto following = std::next(entry);
        const int beyond = following == m_passes.end() ? INT_MAX : following->first;
        const bool isScene = entry->first == scenePass;
        bool begun = false;
        for (CPIVBlock* batch : list->GetFrameBatches()) {
            const int option = batch->GetOption();
            const bool inRange = option >= entry->first && (option < beyond || beyond == INT_MAX);
            if (!inRange && !(isScene && option < firstDrawing))
                continue;
            if (!begun) {
                batches.BeginPass(*seenThrough, world, m_mainLight, ambient, frameTime);
                begun = true;
            }
            batches.Draw(*batch);
            batches.DrawStaticMeshes(*batch);
        }
    }
}

// The frame's debug lines, seen through the screen projection's camera;
// the list empties with the frame.
void CPRender::DrawDebugLines()
{
    if (m_debugLines.size() >= 2) {
        SavedStates saved(*m_device);
        m_device->SetRenderState(RenderState::Lighting, state::kFalse);
        m_device->SetTransform(TransformState::World, IdentityMatrix());
        m_device->SetTransform(TransformState::View, IdentityMatrix());
        m_device->SetTransform(TransformState::Projection, m_viewProjection);
        m_device->SetTexture(0, nullptr);
        m_device->SetTextureStageState(0, StageState::ColorOp, state::kOpSelectArg1);
        m_device->SetTextureStageState(0, StageState::ColorArg1, state::kArgDiffuse);
        m_device->SetFVF(kMeshVertexFormat);
        m_device->DrawPrimitiveUP(PrimitiveType::LineList,
                                  static_cast<std::uint32_t>(m_debugLines.size() / 2), m_debugLines.data(),
                                  sizeof(CPMeshVertex));
    }
    m_debugLines.clear();
    m_linesPresent = 0;
}

// Darkens the screen by the part of the fade below its maximum.
void CPRender::DrawFade()
{
    if (m_fadeMaximum <= 0 || m_fade >= static_cast<float>(m_fadeMaximum))
        return;
    const float darkness = 1.0f - m_fade / static_cast<float>(m_fadeMaximum);
    const auto alpha = static_cast<std::uint32_t>(std::clamp(darkness, 0.0f, 1.0f) * 255.0f + 0.5f);
    const std::uint32_t colour = alpha << 24;
    const float w = static_cast<float>(GetScreenWidth()) - 0.5f;
    const float h = static_cast<float>(GetScreenHeight()) - 0.5f;
    const ScreenVertex quad[4] = {{w, -0.5f, 0.0f, 1.0f, colour, 1.0f, 0.0f},
                                  {w, h, 0.0f, 1.0f, colour, 1.0f, 1.0f},
                                  {-0.5f, -0.5f, 0.0f, 1.0f, colour, 0.0f, 0.0f},
                                  {-0.5f, h, 0.0f, 1.0f, colour, 0.0f, 1.0f}};
    SavedStates saved(*m_device);
    m_device->SetRenderState(RenderState::Lighting, state::kFalse);
    m_device->SetRenderState(RenderState::ZEnable, state::kZBufferOff);
    m_device->SetRenderState(RenderState::ZWriteEnable, state::kFalse);
    m_device->SetRenderState(RenderState::AlphaBlendEnable, state::kTrue);
    m_device->SetRenderState(RenderState::FogEnable, state::kFalse);
    m_device->SetTexture(0, nullptr);
    m_device->SetTextureStageState(0, StageState::ColorOp, state::kOpSelectArg1);
    m_device->SetTextureStageState(0, StageState::ColorArg1, state::kArgDiffuse);
    m_device->SetTextureStageState(0, StageState::AlphaOp, state::kOpSelectArg1);
    m_device->SetTextureStageState(0, StageState::AlphaArg1, state::kArgDiffuse);
    m_device->SetFVF(kScreenVertexFormat);
    m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof(ScreenVertex));
}
