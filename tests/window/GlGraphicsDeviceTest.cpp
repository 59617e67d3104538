// The window's graphics device, checked by what it puts on the screen.
#include <cmath>
#include <cstring>
#include <string>

#include "WindowFixture.h"
#include "support/ScratchFolder.h"

#include "platform/Effect.h"
#include "platform/FileSystem.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "platform/Image.h"
#include "platform/MatrixMath.h"

#if RS_HAVE_WINDOW

using namespace platform;

namespace {

struct ScreenVertex {
    float x, y, z, rhw;
    std::uint32_t colour;
};
constexpr std::uint32_t kScreenFormat = fvf::kPositionRhw | fvf::kDiffuse;

struct TexturedScreenVertex {
    float x, y, z, rhw;
    std::uint32_t colour;
    float u, v;
};
constexpr std::uint32_t kTexturedScreenFormat = fvf::kPositionRhw | fvf::kDiffuse | fvf::kTex1;

// The engine's mesh vertex: 48 bytes.
struct MeshVertex {
    float x, y, z;
    float nx, ny, nz;
    std::uint32_t diffuse, specular;
    float u0, v0, u1, v1;
};
constexpr std::uint32_t kMeshFormat = 0x2D2;
static_assert(sizeof(MeshVertex) == 48, "mesh vertex");

// A clockwise (as seen) rectangle of screen pixels as a strip.
void DrawRect(GraphicsDevice& device, float left, float top, float right, float bottom, std::uint32_t colour,
              float z = 0.5f)
{
    const ScreenVertex quad[4] = {{left, top, z, 1, colour},
                                  {right, top, z, 1, colour},
                                  {left, bottom, z, 1, colour},
                                  {right, bottom, z, 1, colour}};
    device.SetFVF(kScreenFormat);
    ASSERT_EQ(device.DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof(ScreenVertex)), S_OK);
}

void DrawTexturedRect(GraphicsDevice& device, float right, float bottom)
{
    const TexturedScreenVertex quad[4] = {{0, 0, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                                          {right, 0, 0.5f, 1, 0xFFFFFFFF, 1, 0},
                                          {0, bottom, 0.5f, 1, 0xFFFFFFFF, 0, 1},
                                          {right, bottom, 0.5f, 1, 0xFFFFFFFF, 1, 1}};
    device.SetFVF(kTexturedScreenFormat);
    ASSERT_EQ(device.DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof quad[0]), S_OK);
}

Texture* MakeTexture(GraphicsDevice& device, PixelFormat format, const std::vector<std::uint8_t>& unit)
{
    Texture* texture = nullptr;
    if (Failed(device.CreateTexture(4, 4, 1, 0, format, ResourcePool::Managed, &texture)))
        return nullptr;
    LockedRect locked;
    texture->LockRect(0, &locked, nullptr, 0);
    auto* bytes = static_cast<std::uint8_t*>(locked.bits);
    const std::size_t size = IsBlockCompressed(format) ? unit.size() : unit.size() * 16;
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = unit[i % unit.size()];
    texture->UnlockRect(0);
    return texture;
}

// A camera at the origin looking along +z with y up, as the engine builds it.
void LookAlongZ(GraphicsDevice& device)
{
    device.SetTransform(TransformState::World, IdentityMatrix());
    device.SetTransform(TransformState::View, LookAtMatrixLH({0, 0, 0}, {0, 0, 1}, {0, 1, 0}));
    device.SetTransform(TransformState::Projection, PerspectiveMatrixLH(1.0f, 4.0f / 3.0f, 1.0f, 100.0f));
}

} // namespace

TEST_F(WindowTest, ClearFillsTheFrameWithItsColour)
{
    ASSERT_EQ(device->Clear(clear::kTarget | clear::kZBuffer, 0xFF336699, 1.0f, 0), S_OK);
    PresentAndRead();
    ASSERT_EQ(frameWidth, kWidth);
    ASSERT_EQ(frameHeight, kHeight);
    for (auto [x, y] : {std::pair{0u, 0u}, {kWidth - 1, kHeight - 1}, {kWidth / 2, kHeight / 2}})
        EXPECT_EQ(Pixel(x, y), 0x336699u) << x << "," << y;
}

TEST_F(WindowTest, AScreenRectangleLandsOnItsPixels)
{
    device->Clear(clear::kTarget | clear::kZBuffer, 0xFF0000FF, 1.0f, 0);
    device->BeginScene();
    DrawRect(*device, 100, 50, 200, 150, 0xFFFF0000);
    device->EndScene();
    PresentAndRead();
    EXPECT_EQ(Pixel(100, 50), 0xFF0000u);  // first pixel inside
    EXPECT_EQ(Pixel(199, 149), 0xFF0000u); // last pixel inside
    EXPECT_EQ(Pixel(99, 100), 0x0000FFu);
    EXPECT_EQ(Pixel(200, 100), 0x0000FFu);
    EXPECT_EQ(Pixel(150, 49), 0x0000FFu); // above: rows count from the top
    EXPECT_EQ(Pixel(150, 150), 0x0000FFu);
}

TEST_F(WindowTest, TextureFormatsShowTheirColours)
{
    struct Case {
        const char* name;
        PixelFormat format;
        std::vector<std::uint8_t> unit; // one pixel, or the whole 4x4 block
        std::uint32_t expected;
    };
    const std::vector<Case> cases = {
        {"A8R8G8B8", PixelFormat::A8R8G8B8, {0x10, 0x80, 0xF0, 0xFF}, 0xF08010},
        {"X8R8G8B8 ignores its alpha byte", PixelFormat::X8R8G8B8, {0x10, 0x80, 0xF0, 0x00}, 0xF08010},
        {"R8G8B8", PixelFormat::R8G8B8, {0x10, 0x80, 0xF0}, 0xF08010},
        {"R5G6B5", PixelFormat::R5G6B5, {0x00, 0xF8}, 0xFF0000},
        {"A1R5G5B5", PixelFormat::A1R5G5B5, {0x1F, 0x80}, 0x0000FF},
        {"A4R4G4B4", PixelFormat::A4R4G4B4, {0xF0, 0xFF}, 0xFFFF00},
        {"L8", PixelFormat::L8, {0x80}, 0x808080},
        // Both end colours pure green, every texel index 0.
        {"Dxt1", PixelFormat::Dxt1, {0xE0, 0x07, 0xE0, 0x07, 0, 0, 0, 0}, 0x00FF00},
        {"Dxt5",
         PixelFormat::Dxt5,
         {0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0x1F, 0x00, 0x1F, 0x00, 0, 0, 0, 0},
         0x0000FF},
    };
    device->SetRenderState(RenderState::Lighting, state::kFalse);
    for (const Case& c : cases) {
        Texture* texture = MakeTexture(*device, c.format, c.unit);
        ASSERT_NE(texture, nullptr) << c.name;
        device->Clear(clear::kTarget | clear::kZBuffer, 0xFF000000, 1.0f, 0);
        device->BeginScene();
        device->SetTexture(0, texture);
        DrawTexturedRect(*device, kWidth, kHeight);
        device->EndScene();
        PresentAndRead();
        EXPECT_TRUE(Near(Pixel(kWidth / 2, kHeight / 2), c.expected))
            << c.name << ": " << std::hex << Pixel(kWidth / 2, kHeight / 2);
        device->SetTexture(0, nullptr);
        texture->Release();
    }
}

TEST_F(WindowTest, ChangedBuffersAndTexturesReachTheNextDraw)
{
    VertexBuffer* buffer = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(4 * sizeof(ScreenVertex), usage::kDynamic, kScreenFormat,
                                         ResourcePool::Default, &buffer),
              S_OK);
    auto fill = [&](std::uint32_t colour) {
        void* data = nullptr;
        buffer->Lock(0, 0, &data, lock::kDiscard);
        const ScreenVertex quad[4] = {{0, 0, 0.5f, 1, colour},
                                      {320, 0, 0.5f, 1, colour},
                                      {0, 240, 0.5f, 1, colour},
                                      {320, 240, 0.5f, 1, colour}};
        std::memcpy(data, quad, sizeof quad);
        buffer->Unlock();
    };
    auto draw = [&] {
        device->Clear(clear::kTarget | clear::kZBuffer, 0xFF000000, 1.0f, 0);
        device->BeginScene();
        device->SetFVF(kScreenFormat);
        device->SetStreamSource(0, buffer, 0, sizeof(ScreenVertex));
        ASSERT_EQ(device->DrawPrimitive(PrimitiveType::TriangleStrip, 0, 2), S_OK);
        device->EndScene();
        PresentAndRead();
    };
    fill(0xFFFF0000);
    draw();
    EXPECT_EQ(Pixel(10, 10), 0xFF0000u);
    fill(0xFF00FF00);
    draw();
    EXPECT_EQ(Pixel(10, 10), 0x00FF00u);
    buffer->Release();

    // A texture let go of and a new one (perhaps at the same address) never
    // shows the old pixels; nor does a texture rewritten in place.
    Texture* red = MakeTexture(*device, PixelFormat::A8R8G8B8, {0, 0, 255, 255});
    device->BeginScene();
    device->SetTexture(0, red);
    DrawTexturedRect(*device, kWidth, kHeight);
    device->EndScene();
    PresentAndRead();
    EXPECT_EQ(Pixel(10, 10), 0xFF0000u);
    red->Release();
    Texture* blue = MakeTexture(*device, PixelFormat::A8R8G8B8, {255, 0, 0, 255});
    device->BeginScene();
    device->SetTexture(0, blue);
    DrawTexturedRect(*device, kWidth, kHeight);
    device->EndScene();
    PresentAndRead();
    EXPECT_EQ(Pixel(10, 10), 0x0000FFu);
    LockedRect locked;
    blue->LockRect(0, &locked, nullptr, 0);
    std::memset(locked.bits, 255, 64);
    blue->UnlockRect(0);
    device->BeginScene();
    DrawTexturedRect(*device, kWidth, kHeight);
    device->EndScene();
    PresentAndRead();
    EXPECT_EQ(Pixel(10, 10), 0xFFFFFFu);
    blue->Release();
}

TEST_F(WindowTest, MeshesAreLitTransformedDepthTestedAndCulled)
{
    LookAlongZ(*device);
    Material material;
    material.diffuse = {1, 0, 0, 1};
    material.ambient = {0, 0, 1, 1};
    device->SetMaterial(material);
    device->SetRenderState(RenderState::DiffuseMaterialSource, state::kMaterialSourceMaterial);
    device->SetRenderState(RenderState::Ambient, 0xFF404040);
    Light sun;
    sun.type = LightType::Directional;
    sun.diffuse = {1, 1, 1, 1};
    sun.direction = {0, 0, 1}; // shines away from the camera, onto faces looking at it
    device->SetLight(0, sun);
    device->LightEnable(0, true);

    // A square in front of the camera, in the upper half of the view,
    // facing it (clockwise as seen), with normals towards the camera.
    auto square = [](float z, float bottom, bool clockwise) {
        std::vector<MeshVertex> v;
        const float xs[4] = {-1, 1, -1, 1}, ys[4] = {bottom + 2, bottom + 2, bottom, bottom};
        for (int i = 0; i < 4; ++i)
            v.push_back({xs[i], ys[i], z, 0, 0, -1, 0xFFFFFFFF, 0, 0, 0, 0, 0});
        if (!clockwise)
            std::swap(v[1], v[2]);
        return v;
    };
    device->Clear(clear::kTarget | clear::kZBuffer, 0xFF000000, 1.0f, 0);
    device->BeginScene();
    device->SetFVF(kMeshFormat);
    auto near = square(10, 0.5f, true);
    ASSERT_EQ(device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, near.data(), sizeof(MeshVertex)),
              S_OK);
    // Farther, drawn later and bigger: hidden where the near one is.
    auto far = square(20, -1.0f, true);
    for (auto& v : far) {
        v.x *= 8;
        v.y *= 3;
    }
    device->LightEnable(0, false);
    ASSERT_EQ(device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, far.data(), sizeof(MeshVertex)), S_OK);
    // Facing away: culled by default.
    auto away = square(5, -4.0f, false);
    ASSERT_EQ(device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, away.data(), sizeof(MeshVertex)),
              S_OK);
    device->EndScene();
    PresentAndRead();

    // Lit: diffuse red plus ambient 0x40 times blue; upper half of the frame.
    EXPECT_TRUE(Near(Pixel(kWidth / 2, kHeight / 2 - 25), 0xFF0040))
        << std::hex << Pixel(kWidth / 2, kHeight / 2 - 25);
    // The far square, unlit by the sun: ambient only.
    EXPECT_TRUE(Near(Pixel(kWidth / 2, kHeight / 2 + 5), 0x000040))
        << std::hex << Pixel(kWidth / 2, kHeight / 2 + 5);
    // Below both, where only the culled square would be.
    EXPECT_EQ(Pixel(kWidth / 2, kHeight - 5), 0x000000u);
}

TEST_F(WindowTest, BlendingAlphaTestAndFogChangeThePixels)
{
    device->Clear(clear::kTarget | clear::kZBuffer, 0xFF000000, 1.0f, 0);
    device->BeginScene();
    device->SetRenderState(RenderState::AlphaBlendEnable, state::kTrue);
    device->SetRenderState(RenderState::SrcBlend, state::kBlendSrcAlpha);
    device->SetRenderState(RenderState::DestBlend, state::kBlendInvSrcAlpha);
    DrawRect(*device, 0, 0, 100, 100, 0x80FFFFFF);
    device->SetRenderState(RenderState::AlphaBlendEnable, state::kFalse);
    device->SetRenderState(RenderState::AlphaTestEnable, state::kTrue);
    device->SetRenderState(RenderState::AlphaRef, 0x80);
    device->SetRenderState(RenderState::AlphaFunc, state::kCompareGreaterEqual);
    DrawRect(*device, 100, 0, 200, 100, 0x40FFFFFF); // below the reference: dropped
    DrawRect(*device, 200, 0, 300, 100, 0xC0FFFFFF);
    device->SetRenderState(RenderState::AlphaTestEnable, state::kFalse);
    device->EndScene();

    // Linear fog half way: a white square at depth 15 of 10..20 turns half grey-green.
    LookAlongZ(*device);
    device->BeginScene();
    device->SetRenderState(RenderState::Lighting, state::kFalse);
    device->SetRenderState(RenderState::FogEnable, state::kTrue);
    device->SetRenderState(RenderState::FogTableMode, state::kFogLinear);
    device->SetRenderState(RenderState::FogStart, FloatBits(10.0f));
    device->SetRenderState(RenderState::FogEnd, FloatBits(20.0f));
    device->SetRenderState(RenderState::FogColor, 0xFF00FF00);
    device->SetRenderState(RenderState::CullMode, state::kCullNone);
    MeshVertex quad[4];
    const float xs[4] = {-1, 1, -1, 1}, ys[4] = {-2, -2, -4, -4};
    for (int i = 0; i < 4; ++i)
        quad[i] = {xs[i], ys[i], 15, 0, 0, -1, 0xFFFFFFFF, 0, 0, 0, 0, 0};
    device->SetFVF(kMeshFormat);
    ASSERT_EQ(device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof(MeshVertex)), S_OK);
    device->EndScene();
    PresentAndRead();

    EXPECT_TRUE(Near(Pixel(50, 50), 0x808080)) << std::hex << Pixel(50, 50);
    EXPECT_EQ(Pixel(150, 50), 0x000000u);
    EXPECT_EQ(Pixel(250, 50), 0xFFFFFFu);
    EXPECT_TRUE(Near(Pixel(kWidth / 2, kHeight / 2 + 45), 0x80FF80, 4))
        << std::hex << Pixel(kWidth / 2, kHeight / 2 + 45);
}

// No shader of an effect runs: while one of its passes is drawn, the
// device shows the effect's texture on the vertex colour and takes the
// states the pass names; the device's own texture and states hold again
// once the pass ends.
TEST_F(WindowTest, AnEffectPassDrawsWithItsTextureAndStates)
{
    const std::string text =
        "texture tex0;\n"
        "technique Overlay { pass P0 { AlphaBlendEnable = true; ZWriteEnable = false; } }\n"
        "technique Solid { pass P0 { } }\n"
        "technique Backdrop { pass P0 { ZWriteEnable = false; } }\n";
    auto effect = Effect::Create(text.data(), text.size(), nullptr, nullptr, device.get());
    ASSERT_NE(effect, nullptr);
    // Half-transparent red, in memory B, G, R, A.
    Texture* red = MakeTexture(*device, PixelFormat::A8R8G8B8, {0, 0, 255, 128});
    Texture* green = MakeTexture(*device, PixelFormat::A8R8G8B8, {0, 255, 0, 255});
    ASSERT_TRUE(red && green);

    // Screen pixels through a 2D camera like the screens'.
    device->SetTransform(TransformState::World, IdentityMatrix());
    device->SetTransform(TransformState::View, IdentityMatrix());
    device->SetTransform(TransformState::Projection, OrthoOffCenterMatrixLH(0, kWidth, kHeight, 0, 0, 1));
    device->SetRenderState(RenderState::CullMode, state::kCullNone);
    device->SetRenderState(RenderState::SrcBlend, state::kBlendSrcAlpha);
    device->SetRenderState(RenderState::DestBlend, state::kBlendInvSrcAlpha);
    device->SetRenderState(RenderState::Ambient, 0xFF404040);
    device->SetTexture(0, green);
    auto quad = [this](float left, float top, std::uint32_t colour, float normal) {
        MeshVertex v[4];
        for (int i = 0; i < 4; ++i)
            v[i] = {left + ((i & 1) ? 100.0f : 0.0f),
                    top + ((i & 2) ? 100.0f : 0.0f),
                    0.5f,
                    0,
                    0,
                    normal,
                    colour,
                    0,
                    (i & 1) ? 1.0f : 0.0f,
                    (i & 2) ? 1.0f : 0.0f,
                    0,
                    0};
        device->SetFVF(kMeshFormat);
        ASSERT_EQ(device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, v, sizeof(MeshVertex)), S_OK);
    };
    auto pass = [&](const char* technique, Texture* texture, float left, float top, std::uint32_t colour,
                    float normal) {
        effect->SetTechnique(effect->TechniqueByName(technique));
        effect->SetTexture(effect->ParameterByName("tex0"), texture);
        unsigned passes = 0;
        ASSERT_EQ(effect->Begin(&passes), S_OK);
        ASSERT_EQ(effect->BeginPass(0), S_OK);
        quad(left, top, colour, normal);
        effect->EndPass();
        effect->End();
    };
    device->Clear(clear::kTarget | clear::kZBuffer, 0xFF0000FF, 1.0f, 0);
    device->BeginScene();
    // Lit, as the renderer leaves the device: a screen's corners have no
    // normal and no colour, and show the texture blended by its alpha.
    pass("Overlay", red, 0, 0, 0, 0);
    // The device's own texture and states again once the pass is over:
    // green, not blended.
    device->SetTextureStageState(0, StageState::ColorOp, state::kOpSelectArg1);
    quad(100, 0, 0, 0);
    // Solid scenery is lit (here by the ambient light alone); a backdrop
    // that writes no depth, like the sky, keeps the colours it was given.
    pass("Solid", nullptr, 0, 100, 0xFFFFFFFF, -1);
    pass("Backdrop", nullptr, 100, 100, 0xFF80C0FF, -1);
    device->EndScene();
    PresentAndRead();
    red->Release();
    green->Release();

    EXPECT_TRUE(Near(Pixel(50, 50), 0x80007F, 4)) << std::hex << Pixel(50, 50);
    EXPECT_TRUE(Near(Pixel(150, 50), 0x00FF00)) << std::hex << Pixel(150, 50);
    EXPECT_TRUE(Near(Pixel(50, 150), 0x404040)) << std::hex << Pixel(50, 150);
    EXPECT_TRUE(Near(Pixel(150, 150), 0x80C0FF)) << std::hex << Pixel(150, 150);
    EXPECT_EQ(Pixel(250, 50), 0x0000FFu);
}

// The window's device makes its own resources, GL objects behind them,
// and binds no other device's; those it made outlive it safely.
TEST_F(WindowTest, ResourcesAreTheWindowDevicesOwn)
{
    Texture* texture = nullptr;
    VertexBuffer* vertices = nullptr;
    IndexBuffer* indices = nullptr;
    CubeTexture* cube = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 0, 0, PixelFormat::A8R8G8B8, ResourcePool::Managed, &texture),
              S_OK);
    ASSERT_EQ(device->CreateVertexBuffer(4 * sizeof(ScreenVertex), usage::kDynamic, kScreenFormat,
                                         ResourcePool::Default, &vertices),
              S_OK);
    ASSERT_EQ(device->CreateIndexBuffer(12, 0, IndexFormat::Index16, ResourcePool::Managed, &indices), S_OK);
    ASSERT_EQ(device->CreateCubeTexture(4, 1, 0, PixelFormat::A8R8G8B8, ResourcePool::Managed, &cube), S_OK);
    EXPECT_NE(dynamic_cast<GlTexture*>(texture), nullptr);
    EXPECT_NE(dynamic_cast<GlVertexBuffer*>(vertices), nullptr);
    EXPECT_NE(dynamic_cast<GlIndexBuffer*>(indices), nullptr);
    EXPECT_EQ(texture->GetLevelCount(), 3u);
    EXPECT_EQ(cube->GetDevice(), device.get());
    // The same refusals as the headless device's.
    Texture* tooWide = nullptr;
    EXPECT_EQ(device->CreateTexture(0, 4, 1, 0, PixelFormat::A8R8G8B8, ResourcePool::Managed, &tooWide),
              kInvalidCall);
    EXPECT_EQ(device->CreateIndexBuffer(5, 0, IndexFormat::Index16, ResourcePool::Managed, &indices),
              kInvalidCall);
    EXPECT_EQ(indices, nullptr);

    HeadlessGraphicsDevice headless;
    EXPECT_EQ(headless.SetTexture(0, texture), kInvalidCall);
    EXPECT_EQ(headless.SetStreamSource(0, vertices, 0, sizeof(ScreenVertex)), kInvalidCall);
    Texture* foreign = nullptr;
    ASSERT_EQ(headless.CreateTexture(4, 4, 1, 0, PixelFormat::A8R8G8B8, ResourcePool::Managed, &foreign),
              S_OK);
    EXPECT_EQ(device->SetTexture(0, foreign), kInvalidCall);
    foreign->Release();

    // A live default-pool buffer holds a reset back, as on the headless device.
    device->LoseDevice();
    device->AllowReset();
    PresentParameters screen = device->GetPresentParameters();
    EXPECT_EQ(device->Reset(screen), kInvalidCall);
    vertices->Release();
    ASSERT_EQ(device->Reset(screen), S_OK);

    // Drawn once, so the texture holds a GL object when its device goes.
    device->SetTexture(0, texture);
    device->BeginScene();
    DrawTexturedRect(*device, kWidth, kHeight);
    device->EndScene();
    PresentAndRead();
    device.reset();
    EXPECT_EQ(texture->GetDevice(), nullptr);
    LockedRect locked;
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), S_OK); // its memory stays
    EXPECT_EQ(texture->UnlockRect(0), S_OK);
    texture->Release();
    cube->Release();
}

TEST_F(WindowTest, ALostDeviceDrawsNothingUntilResetToANewSize)
{
    device->Clear(clear::kTarget | clear::kZBuffer, 0xFF0000FF, 1.0f, 0);
    PresentAndRead();
    device->LoseDevice();
    EXPECT_EQ(device->TestCooperativeLevel(), kDeviceLost);
    device->Clear(clear::kTarget, 0xFFFFFFFF, 1.0f, 0);
    device->BeginScene();
    DrawRect(*device, 0, 0, 80, 60, 0xFFFF0000);
    device->EndScene();
    EXPECT_EQ(device->Present(), kDeviceLost);
    ASSERT_TRUE(device->ReadFrame(&frame, &frameWidth, &frameHeight));
    EXPECT_EQ(Pixel(40, 30), 0x0000FFu); // neither the clear nor the draw reached the frame

    device->AllowReset();
    EXPECT_EQ(device->TestCooperativeLevel(), kDeviceNotReset);
    PresentParameters smaller;
    smaller.backBufferWidth = 160;
    smaller.backBufferHeight = 120;
    ASSERT_EQ(device->Reset(smaller), S_OK);
    device->Clear(clear::kTarget | clear::kZBuffer, 0xFF00FF00, 1.0f, 0);
    device->BeginScene();
    DrawRect(*device, 0, 0, 80, 60, 0xFFFF0000);
    device->EndScene();
    PresentAndRead();
    EXPECT_EQ(frameWidth, 160u);
    EXPECT_EQ(frameHeight, 120u);
    EXPECT_EQ(Pixel(40, 30), 0xFF0000u);
    EXPECT_EQ(Pixel(120, 90), 0x00FF00u);
}

TEST_F(WindowTest, AScreenshotIsThePresentedFrameAsPng)
{
    device->Clear(clear::kTarget | clear::kZBuffer, 0xFF204060, 1.0f, 0);
    device->BeginScene();
    DrawRect(*device, 0, 0, 10, 10, 0xFFFFFFFF);
    device->EndScene();
    ASSERT_EQ(device->Present(), S_OK);
    ScratchFolder folder;
    std::string error;
    ASSERT_TRUE(device->SaveScreenshot(folder.Path("shot.png"), &error)) << error;
    const std::string bytes = folder.Read("shot.png");
    Image image;
    ASSERT_TRUE(DecodeImage(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), image, &error))
        << error;
    ASSERT_EQ(image.width, static_cast<int>(kWidth));
    EXPECT_EQ(image.Level(0, 0).Pixel(5, 5) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image.Level(0, 0).Pixel(100, 100) & 0xFFFFFF, 0x204060u);

    // A folder that is not there: refused, and nothing left behind.
    EXPECT_FALSE(device->SaveScreenshot(folder.Path("missing/shot.png"), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(folder.Exists("missing/shot.png.part"));
}

#endif
