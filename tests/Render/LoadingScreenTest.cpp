#include "Render/PRender.h"
#include "Render/ScreenVertex.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "RenderTestFiles.h"
#include "platform/Texture.h"
#include "platform/HeadlessGraphicsDevice.h"

using renderfiles::Bytes;
using renderfiles::RenderWorld;
using renderfiles::Tga;
using namespace platform;

namespace {

constexpr const char* kSource = "Render\\PRender";

// The vertices of the frame the last Present ended, draw by draw.
std::vector<std::vector<CPScreenVertex>> LastFrameQuads(const HeadlessGraphicsDevice& device)
{
    std::vector<std::vector<CPScreenVertex>> quads;
    const std::vector<std::uint8_t>& bytes = device.GetLastFrameUserBytes();
    for (const DrawRecord& draw : device.GetLastFrameDraws()) {
        std::vector<CPScreenVertex> quad(draw.vertexCount);
        std::memcpy(quad.data(), bytes.data() + draw.userOffset, draw.userLength);
        quads.push_back(quad);
    }
    return quads;
}

void ExpectVertex(const CPScreenVertex& v, float x, float y, std::uint32_t diffuse, float u, float tv)
{
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, 1.0f);
    EXPECT_FLOAT_EQ(v.rhw, 1.0f);
    EXPECT_EQ(v.diffuse, diffuse);
    EXPECT_FLOAT_EQ(v.u, u);
    EXPECT_FLOAT_EQ(v.v, tv);
}

// Both pictures in place; the background is read by its content.
void WritePictures(RenderWorld& world)
{
    world.WriteTexture("back2.jpg", Tga(8, 8, 0xFF203040));
    world.WriteTexture("load.tga", Tga(4, 1, 0xFFFFFFFF));
}

} // namespace

TEST(LoadingScreen, DrawsTheBackgroundAndTheBarAtTheProgress)
{
    RenderWorld world; // the screen is 640 x 480
    WritePictures(world);
    struct Case {
        int percent;
        float length; // the bar's right edge: 10.24 pixels per percent
    };
    for (const Case c : {Case{0, 0.0f}, Case{50, 512.0f}}) {
        SCOPED_TRACE(c.percent);
        const std::uint64_t presents = world.device.GetPresentCount();
        world.render.ShowLoadingScreen(c.percent);
        EXPECT_EQ(world.device.GetPresentCount(), presents + 1);
        EXPECT_FALSE(world.device.IsInScene());

        const auto& draws = world.device.GetLastFrameDraws();
        ASSERT_EQ(draws.size(), 2u);
        for (const DrawRecord& draw : draws) {
            EXPECT_EQ(draw.type, PrimitiveType::TriangleStrip);
            EXPECT_EQ(draw.primitiveCount, 2u);
            EXPECT_EQ(draw.stride, 28u);
            EXPECT_EQ(draw.vertexFormat, 0x144u);
        }
        ASSERT_NE(world.render.GetLoadingBackground(), nullptr);
        EXPECT_EQ(draws[0].texture0, world.render.GetLoadingBackground());
        EXPECT_EQ(draws[1].texture0, world.render.GetLoadingBar());

        const auto quads = LastFrameQuads(world.device);
        const auto& back = quads[0];
        ExpectVertex(back[0], 639.5f, -0.5f, 0, 1.0f, 0.0f);
        ExpectVertex(back[1], 639.5f, 479.5f, 0, 1.0f, 0.75f);
        ExpectVertex(back[2], -0.5f, -0.5f, 0, 0.0f, 0.0f);
        ExpectVertex(back[3], -0.5f, 479.5f, 0, 0.0f, 0.75f);
        // Laid out for 768 lines, the bar lies below a 480-line screen.
        const auto& bar = quads[1];
        const float p = static_cast<float>(c.percent);
        ExpectVertex(bar[0], c.length, 758.0f, 0xFFFFFFFF, p, 0.0f);
        ExpectVertex(bar[1], c.length, 768.0f, 0xFFFFFFFF, p, 1.0f);
        ExpectVertex(bar[2], 0.0f, 758.0f, 0xFFFFFFFF, 0.0f, 0.0f);
        ExpectVertex(bar[3], 0.0f, 768.0f, 0xFFFFFFFF, 0.0f, 1.0f);
    }

    const ClearRecord& cleared = world.device.GetLastClear();
    EXPECT_EQ(cleared.flags, clear::kTarget | clear::kZBuffer);
    EXPECT_EQ(cleared.color, 0xFF000000u);
    EXPECT_FLOAT_EQ(cleared.z, 1.0f);
    // The states are left for the caller.
    EXPECT_EQ(world.device.GetRenderState(RenderState::ZEnable), state::kZBufferOff);
    EXPECT_EQ(world.device.GetRenderState(RenderState::Lighting), state::kFalse);
    EXPECT_EQ(world.device.GetRenderState(RenderState::CullMode), state::kCullNone);
    EXPECT_EQ(world.device.GetRenderState(RenderState::AlphaBlendEnable), state::kTrue);
    EXPECT_EQ(world.device.GetTextureStageState(0, StageState::ColorOp), state::kOpSelectArg1);
    EXPECT_EQ(world.device.GetTextureStageState(0, StageState::AlphaArg1), state::kArgTexture);
}

TEST(LoadingScreen, PicturesAreReadOnce)
{
    RenderWorld world;
    WritePictures(world);
    world.render.ShowLoadingScreen(10);
    const Texture* background = world.render.GetLoadingBackground();
    const Texture* bar = world.render.GetLoadingBar();
    ASSERT_NE(background, nullptr);
    ASSERT_NE(bar, nullptr);
    SurfaceDesc desc;
    bar->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.width, 4u);

    // With the files gone a second call still has its pictures and reads nothing.
    world.folder.Write("Data/Textures/back2.jpg", "gone");
    world.folder.Write("Data/Textures/load.tga", "gone");
    const std::string logBefore = world.log.Text();
    world.render.ShowLoadingScreen(20);
    EXPECT_EQ(world.render.GetLoadingBackground(), background);
    EXPECT_EQ(world.render.GetLoadingBar(), bar);
    EXPECT_EQ(world.log.Text(), logBefore);
    EXPECT_EQ(world.device.GetLiveResourceCount(), 2u);
}

TEST(LoadingScreen, MissingOrBrokenPicturesDrawUntexturedAndAreTriedAgain)
{
    RenderWorld world;
    world.WriteTexture("load.tga", Bytes{'n', 'o', 'p', 'e'});
    world.render.ShowLoadingScreen(30);
    // Both quads are drawn all the same.
    ASSERT_EQ(world.device.GetLastFrameDraws().size(), 2u);
    EXPECT_EQ(world.device.GetLastFrameDraws()[0].texture0, nullptr);
    EXPECT_EQ(world.device.GetLastFrameDraws()[1].texture0, nullptr);
    EXPECT_EQ(world.CountReports(kSource, 110), 0); // a missing file is no device failure
    EXPECT_EQ(world.CountReports(kSource, 135), 1);
    EXPECT_TRUE(world.log.Contains("back2.jpg"));

    world.render.ShowLoadingScreen(40);
    EXPECT_EQ(world.CountReports(kSource, 135), 2);

    WritePictures(world);
    world.render.ShowLoadingScreen(50);
    EXPECT_NE(world.render.GetLoadingBackground(), nullptr);
    EXPECT_NE(world.render.GetLoadingBar(), nullptr);
    EXPECT_EQ(world.device.GetLastFrameDraws()[0].texture0, world.render.GetLoadingBackground());
    EXPECT_EQ(world.CountReports(kSource, 135), 2);
}
