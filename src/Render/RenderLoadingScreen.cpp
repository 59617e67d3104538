// The loading screen of the renderer: one complete frame drawn and
// presented outside the frame loop while a level loads.

#include <string>

#include "Render/PRender.h"
#include "Render/ScreenVertex.h"
#include "core/FileReader.h"
#include "Render/RenderSettings.h"
#include "core/Log.h"
#include "platform/TextureLoader.h"

using namespace platform;

namespace {

constexpr const char* kSourceName = "Render\\PRender";
constexpr const char* kBackgroundFile = "data\\textures\\back2.jpg";
constexpr const char* kBarFile = "data\\textures\\load.tga";
constexpr int kBackgroundFailureLine = 110;
constexpr int kBarFailureLine = 135;

// The bar is laid out for a 1024 x 768 screen: 10 pixels high at the
// bottom, 10.24 pixels per percent, its texture repeated once per percent.
constexpr float kBarTop = 758.0f;
constexpr float kBarBottom = 768.0f;
constexpr float kBarPixelsPerPercent = 10.24f;

// Reads a picture into a texture unless it is there already. A missing
// file leaves it null and a picture the device cannot take is reported;
// either is tried again on the next call.
void LoadPicture(GraphicsDevice* device, const char* fileName, int failureLine, Texture*& texture)
{
    if (texture)
        return;
    CPFileReader reader(fileName, false);
    if (Failed(reader.Load()))
        return;
    std::string why;
    const HResult result = CreateTextureFromFileInMemory(device, reader.GetData(), reader.GetDataSize(),
                                                         TextureFileRequest{}, &texture, &why);
    if (Failed(result)) {
        ReportDXError(kSourceName, failureLine, result);
        LogLine(std::string("Loading-screen picture \"") + fileName + "\" cannot be made a texture: " + why);
    }
}

void DrawQuad(GraphicsDevice* device, const CPScreenVertex (&quad)[4])
{
    device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof(CPScreenVertex));
}

} // namespace

void CPRender::ShowLoadingScreen(std::int32_t percent)
{
    if (!m_device)
        return;
    LoadPicture(m_device, kBackgroundFile, kBackgroundFailureLine, m_loadingBackground);
    LoadPicture(m_device, kBarFile, kBarFailureLine, m_loadingBar);

    m_device->Clear(clear::kTarget | clear::kZBuffer, 0xFF000000u, 1.0f, 0);
    m_device->BeginScene();
    Matrix4 identity;
    for (int i = 0; i < 4; ++i)
        identity.m[i][i] = 1.0f;
    m_device->SetTransform(TransformState::World, identity);
    m_device->SetTransform(TransformState::Projection, identity);
    m_device->SetTransform(TransformState::View, identity);

    m_device->SetTextureStageState(0, StageState::ColorOp, state::kOpSelectArg1);
    m_device->SetTextureStageState(0, StageState::AlphaOp, state::kOpSelectArg1);
    m_device->SetTextureStageState(0, StageState::ColorArg1, state::kArgTexture);
    m_device->SetRenderState(RenderState::ZWriteEnable, state::kFalse);
    m_device->SetRenderState(RenderState::ZEnable, state::kZBufferOff);
    m_device->SetRenderState(RenderState::Lighting, state::kFalse);
    m_device->SetRenderState(RenderState::CullMode, state::kCullNone);
    m_device->SetRenderState(RenderState::AlphaBlendEnable, state::kTrue);
    m_device->SetRenderState(RenderState::FogEnable, state::kFalse);
    m_device->SetFVF(kScreenVertexFormat);

    // The picture's top three quarters fill the screen: a 4:3 picture
    // stored in a square texture.
    const float width = static_cast<float>(GetScreenWidth());
    const float height = static_cast<float>(GetScreenHeight());
    const CPScreenVertex background[4] = {
        {width - 0.5f, -0.5f, 1.0f, 1.0f, 0, 1.0f, 0.0f},
        {width - 0.5f, height - 0.5f, 1.0f, 1.0f, 0, 1.0f, 0.75f},
        {-0.5f, -0.5f, 1.0f, 1.0f, 0, 0.0f, 0.0f},
        {-0.5f, height - 0.5f, 1.0f, 1.0f, 0, 0.0f, 0.75f},
    };
    m_device->SetTexture(0, m_loadingBackground);
    DrawQuad(m_device, background);

    const float p = static_cast<float>(percent);
    const float length = p * kBarPixelsPerPercent;
    const CPScreenVertex bar[4] = {
        {length, kBarTop, 1.0f, 1.0f, 0xFFFFFFFFu, p, 0.0f},
        {length, kBarBottom, 1.0f, 1.0f, 0xFFFFFFFFu, p, 1.0f},
        {0.0f, kBarTop, 1.0f, 1.0f, 0xFFFFFFFFu, 0.0f, 0.0f},
        {0.0f, kBarBottom, 1.0f, 1.0f, 0xFFFFFFFFu, 0.0f, 1.0f},
    };
    m_device->SetTextureStageState(0, StageState::ColorArg1, state::kArgTexture);
    m_device->SetTextureStageState(0, StageState::AlphaArg1, state::kArgTexture);
    m_device->SetTexture(0, m_loadingBar);
    DrawQuad(m_device, bar);

    m_device->EndScene();
    m_device->Present();
}
