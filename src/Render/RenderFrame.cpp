#include <algorithm>
#include <climits>

#include "Render/BaseCamera.h"
#include "Render/BatchRenderer.h"
#include "Render/DeviceListener.h"
#include "Render/EffectLibrary.h"
#include "Render/IVBlock.h"
#include "Render/Material.h"
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

// The material option of a batch; a material of another kind counts as 0.
int BatchOption(const CPIVBlock& batch)
{
    const auto* material = batch.GetMaterial().As<CPMaterial>();
    return material ? material->GetOption() : 0;
}

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
        if (list)
            list->ClearFrame();
    };
    if (!m_device || !RestoreDevice()) {
        endFrame();
        return false;
    }
    m_device->Clear(clear::kTarget | clear::kZBuffer, m_fogColor, 1.0f, 0);
    if (Failed(m_device->BeginScene())) {
        endFrame();
        return false;
    }
    if (m_sky)
        m_sky->Render(frameTime);
    DrawPasses(list, frameTime);
    DrawDebugLines();
    DrawFade();
    m_device->EndScene();
    endFrame();
    return Succeeded(m_device->Present());
}

// The passes in ascending order. A batch is drawn in the last pass whose
// number is not above its material's option (in the first pass that has a
// camera when all are): the shadow materials of option 16 in the shadow pass 16, the
// screens of options 200 and up in the screen pass 195. A pass without a
// camera of its own sees through the camera of the pass before it.
void CPRender::DrawPasses(CPRenderList* list, float frameTime)
{
    CPBatchRenderer batches(*m_device, GetEffectLibrary());
    const ColorValue ambient{m_ambientRed, m_ambientGreen, m_ambientBlue, m_ambientAlpha};
    // The first perspective pass is the one the screen projection follows.
    bool projectionTaken = false;
    const CPBaseCamera* seenThrough = nullptr;
    bool firstSeen = true;
    for (auto entry = m_passes.begin(); entry != m_passes.end(); ++entry) {
        CPRenderPass& pass = entry->second;
        if (auto* camera = pass.GetCamera().As<CPBaseCamera>()) {
            if (auto* perspective = dynamic_cast<CPPerspectiveCamera*>(camera)) {
                perspective->Update();
                if (!projectionTaken) {
                    m_viewProjection = perspective->GetViewProjection();
                    projectionTaken = true;
                }
            }
            seenThrough = camera;
        }
        if (!seenThrough)
            continue;
        const Matrix4 world = pass.HasMatrix() ? pass.GetMatrix() : IdentityMatrix();
        m_device->SetTransform(TransformState::View, seenThrough->GetView());
        m_device->SetTransform(TransformState::Projection, seenThrough->GetProjection());
        m_device->SetTransform(TransformState::World, world);
        const int lowest = firstSeen ? INT_MIN : entry->first;
        firstSeen = false;
        if (!list || list->GetFrameBatches().empty())
            continue;
        const auto following = std::next(entry);
        const int beyond = following == m_passes.end() ? INT_MAX : following->first;
        bool begun = false;
        for (CPIVBlock* batch : list->GetFrameBatches()) {
            const int option = BatchOption(*batch);
            if (option < lowest || (option >= beyond && beyond != INT_MAX))
                continue;
            if (!begun) {
                batches.BeginPass(*seenThrough, world, m_mainLight, ambient, frameTime);
                begun = true;
            }
            batches.Draw(*batch);
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
