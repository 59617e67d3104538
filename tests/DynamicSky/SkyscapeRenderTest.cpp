#include <cmath>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "DynamicSky/Skyscape.h"
#include "SkyTestWorld.h"
#include "platform/Math.h"
#include "platform/MemoryBuffers.h"
#include "platform/Random.h"
#include "support/MathExpect.h"

using namespace skytest;

namespace {

constexpr float kPi = 3.14159265f;

struct SkyFrame {
    SkyFrame()
    {
        world.WriteTexture("dome.tga");
        world.WriteTexture("sun.tga");
        world.WriteEffect("dome.fx");
        world.WriteEffect("part1.fx");
        world.WriteEffect("part2.fx");
        world.WriteCloudFile("puff.txt", "cores 0\npuffs 0\nt 1\nt 2\nt 3\nt 4\nt 5\nt 6\nt 7\nt 8\n");
        for (const char* set : {"set_a.txt", "set_b.txt", "set_c.txt"})
            world.WriteCloudFile(set, CloudSetText("0 0 50", {"puff.txt"}));
        text.sets = {"set_a.txt", "set_b.txt", "set_c.txt"};
    }

    // One sun (part 0) at distance 50 on the circle about +z; keyframes
    // place it at angle 0, which the circle's half turn puts at (-50, 0, 0).
    void AddSun()
    {
        text.parts.push_back(PartText{});
        for (KeyframeText& keyframe : text.keyframes)
            keyframe.parts.push_back(KeyframeText::Part{});
    }

    void Load(const std::vector<LayerText>& layers = {LayerText{}})
    {
        world.WriteCloudFile("layers.txt", LayersText(layers));
        world.WriteCloudFile("sky.txt", text.Text());
        ASSERT_EQ(sky.Load("sky.txt"), S_OK);
    }

    std::uint32_t DomeColour(int ring, int segment) const
    {
        return sky.GetSourceList()[static_cast<std::size_t>(ring * (text.slices + 1) + segment)].diffuse;
    }

    SkyWorld world;
    FakeLevel level;
    SkyText text;
    CPSkyscape sky;
};

int Red(std::uint32_t argb) { return static_cast<int>(argb >> 16 & 0xFF); }

} // namespace

TEST(SkyscapeRender, AFrameFeedsFogAmbientAndDrawsBeforeClearingDepth)
{
    SkyFrame f;
    f.AddSun();
    f.Load();
    f.world.device.SetCallLogging(true);
    ASSERT_EQ(f.sky.Render(0.1f), S_OK);

    // Fog 60 70 80, ambient 30 30 30, both with alpha 255.
    EXPECT_EQ(f.world.render.GetFogColor(), 0xFF3C4650u);
    EXPECT_EQ(f.world.device.GetRenderState(platform::RenderState::FogColor), 0xFF3C4650u);
    EXPECT_EQ(f.world.render.GetAmbient(), 0xFF1E1E1Eu);
    EXPECT_EQ(f.world.device.GetFrameDraws().size(), 2u) << "the dome, then the sun";
    EXPECT_EQ(f.world.device.GetFrameDraws()[0].vertexCount, 85u);
    EXPECT_EQ(f.world.device.GetFrameDraws()[0].primitiveCount, 128u);
    EXPECT_EQ(f.world.device.GetClearCount(), 1u);
    EXPECT_EQ(f.world.device.GetLastClear().flags, platform::clear::kZBuffer);
    EXPECT_EQ(f.world.device.GetLastClear().color, 0xFF000000u);
    EXPECT_EQ(f.world.device.GetLastClear().z, 1.0f);
    EXPECT_EQ(f.world.device.GetLastClear().stencil, 0u);
    EXPECT_EQ(f.world.device.GetCallLog().back().kind, platform::DeviceCall::Kind::Clear);
}

TEST(SkyscapeRender, TheDomeIsColouredBandByBandRingByRing)
{
    SkyFrame f;
    f.Load();
    ASSERT_EQ(f.sky.Render(0.1f), S_OK);
    // Bands (10 20 30), (40 50 60), (70 80 90), two rings each: steps of 15;
    // each ring one step past the previous, the pole one step past the last
    // band. Level 200 is the alpha; no sun, no glow.
    const std::uint32_t expected[5] = {0xC819232Du, 0xC828323Cu, 0xC837414Bu, 0xC846505Au, 0xC8555F69u};
    for (int ring = 0; ring < 5; ++ring)
        for (int segment : {0, 7, 16})
            EXPECT_EQ(f.DomeColour(ring, segment), expected[ring]) << ring << "/" << segment;
    EXPECT_EQ(f.sky.GetDrawingList()[20].diffuse, expected[1]) << "drawn as coloured";
}

TEST(SkyscapeRender, RingsTheBandsDoNotReachEvenlyKeepTheLastColour)
{
    SkyFrame f;
    // Four bands on 16 slices: 16 / 12 = 1 ring each, the last interval
    // two rings; the pole is left over.
    f.text.bands = 4;
    f.text.keyframes[0].bands = {"0 0 0", "30 30 30", "60 60 60", "90 90 90"};
    f.Load();
    ASSERT_EQ(f.sky.Render(0.1f), S_OK);
    const std::uint32_t expected[5] = {0xC81E1E1Eu, 0xC83C3C3Cu, 0xC85A5A5Au, 0xC8787878u, 0xC8787878u};
    for (int ring = 0; ring < 5; ++ring)
        EXPECT_EQ(f.DomeColour(ring, 3), expected[ring]) << ring;
}

TEST(SkyscapeRender, TheSunGlowsOnTheDomeFacingIt)
{
    SkyFrame f;
    f.AddSun();
    f.Load();
    // The sun is placed as it draws; the next frame publishes where it
    // stands, and the one after colours the dome with it.
    f.sky.Render(0.1f);
    EXPECT_TRUE(Near(f.sky.GetSunPosition(), {0.0f, 0.0f, 0.0f}));
    f.sky.Render(0.1f);
    EXPECT_TRUE(Near(f.sky.GetSunPosition(), {-5000.0f, 0.0f, 0.0f}, 1e-2f));
    EXPECT_EQ(f.DomeColour(0, 8), 0xC819232Du) << "no glow yet";
    f.sky.Render(0.1f);
    // Rim ring colour (25 35 45). The rim vertex at azimuth pi faces the sun
    // (n . u = -1): glow 56. The one at azimuth 0 faces away: none.
    EXPECT_NEAR(Red(f.DomeColour(0, 8)), 25 + 56, 1);
    EXPECT_EQ(f.DomeColour(0, 0), 0xC819232Du);
    // Ring 2 at azimuth pi lies at (-70.7, 0, 35.4) on the flattened dome:
    // n = (70.7, 0, -35.4) / 79.1, n . u = -0.894, glow 56 x 0.894 = 50.
    EXPECT_NEAR(Red(f.DomeColour(2, 8)), 0x37 + 50, 1);
}

TEST(SkyscapeRender, TheSunAimsAndColoursTheLevelLight)
{
    SkyFrame f;
    f.AddSun();
    for (KeyframeText& keyframe : f.text.keyframes)
        keyframe.sun = "255 0 127.5";
    f.Load();
    f.level.light.type = platform::LightType::Directional;
    f.sky.Render(0.1f);
    f.sky.Render(0.1f);
    EXPECT_EQ(f.level.registered, 2) << "once a frame";
    EXPECT_TRUE(Near(f.level.light.direction, {1.0f, 0.0f, 0.0f}, 1e-5f))
        << "from the sun towards the origin";
    // Components 1, 0, 0.5: bytes 255, 0, 127, each over 256, alpha 0.
    EXPECT_FLOAT_EQ(f.level.light.diffuse.r, 255.0f / 256.0f);
    EXPECT_FLOAT_EQ(f.level.light.diffuse.g, 0.0f);
    EXPECT_FLOAT_EQ(f.level.light.diffuse.b, 127.0f / 256.0f);
    EXPECT_EQ(f.level.light.diffuse.a, 0.0f);
    EXPECT_FLOAT_EQ(f.level.light.specular.b, 127.0f / 256.0f);
    EXPECT_EQ(f.world.render.GetLightCount(), 0) << "the table was applied and emptied";
    platform::Light onDevice;
    f.world.device.GetLight(0, &onDevice);
    EXPECT_TRUE(Near(onDevice.direction, {1.0f, 0.0f, 0.0f}, 1e-5f));
    EXPECT_TRUE(f.world.device.IsLightEnabled(0));
}

TEST(SkyscapeRender, WithoutALevelOrASunTheLightTableStillEmpties)
{
    for (bool sun : {false, true}) {
        SkyFrame f;
        if (sun)
            f.AddSun();
        f.Load();
        GetLevelSlot()->Install(nullptr, nullptr);
        f.world.render.AddLight(platform::Light{});
        ASSERT_EQ(f.sky.Render(0.1f), S_OK);
        EXPECT_EQ(f.world.render.GetLightCount(), 0) << (sun ? "with a sun" : "without a sun");
        EXPECT_EQ(f.level.registered, 0);
    }
}

TEST(SkyscapeRender, TheSkyDoesNotAnimateButLayersRunOnTheFrameTime)
{
    SkyFrame f;
    f.AddSun();
    KeyframeText second;
    second.bands = {"200 200 200", "200 200 200", "200 200 200"};
    second.parts = {KeyframeText::Part{90.0f, 0, 1.0f, 0}};
    f.text.keyframes.push_back(second);
    LayerText layer;
    layer.overcast = 1;
    layer.duration = 1000.0f;
    layer.spread = 0.0f;
    f.Load({layer});
    const std::uint32_t rim = 0xC819232Du;
    for (int i = 0; i < 50; ++i)
        f.sky.Render(1.0f);
    EXPECT_EQ(f.sky.GetKeyframeIndex(), 0);
    EXPECT_EQ(f.sky.GetKeyframeTimer(), 0.0f);
    EXPECT_EQ(f.sky.GetFade(), 0.0f);
    EXPECT_EQ(f.DomeColour(0, 0), rim);
    EXPECT_EQ(f.sky.GetLayerTimer(), 100.0f) << "50 frames of 1 at time scale 2";
}

TEST(SkyscapeRender, RatesLeadFromEachKeyframeToTheNext)
{
    SkyFrame f;
    f.AddSun();
    f.text.keyframes[0].parts[0] = {10.0f, 0, 1.0f, 0};
    f.Load();
    // One keyframe: the next is itself, colours stand still and the sun
    // goes once round in the keyframe's duration.
    const SkyKeyframe& rates = f.sky.GetRates();
    EXPECT_TRUE(Near(rates.fog, {0.0f, 0.0f, 0.0f}));
    EXPECT_TRUE(Near(rates.bandColours[1], {0.0f, 0.0f, 0.0f}));
    EXPECT_EQ(rates.level, 0.0f);
    EXPECT_EQ(rates.partSizes[0], 0.0f);
    EXPECT_FLOAT_EQ(rates.partAngles[0], 2.0f * kPi / 10.0f);

    SkyFrame zero;
    zero.AddSun();
    zero.text.keyframes[0].duration = 0.0f;
    zero.Load();
    EXPECT_EQ(zero.sky.GetRates().partAngles[0], 0.0f) << "a keyframe of no time has no rate";
    EXPECT_EQ(zero.sky.Render(1.0f), S_OK);
}

TEST(SkyscapeRender, ADrivenSkyClampsColoursAndChangesKeyframes)
{
    SkyFrame f;
    f.AddSun();
    f.world.WriteTexture("moon.tga");
    f.text.parts[0].frames.push_back("data\\textures\\moon.tga");
    f.text.keyframes[0].fog = "250 0 0";
    KeyframeText second;
    second.fog = "350 0 0";
    second.level = 100.0f;
    second.parts = {KeyframeText::Part{0.0f, 1, 1.0f, 1}};
    f.text.keyframes.push_back(second);
    f.Load();
    f.sky.SetStepScale(1.0f);
    // Fog red rises by 10 a unit of sky time: 250 + 6 x 10 would be 310.
    f.sky.Render(6.0f);
    EXPECT_EQ(f.world.render.GetFogColor(), 0xFFFF0000u);
    EXPECT_EQ(f.sky.GetCurrent().fog.x, 255.0f);
    EXPECT_FLOAT_EQ(f.sky.GetCurrent().level, 200.0f - 6.0f * 10.0f);
    EXPECT_EQ(f.sky.GetKeyframeIndex(), 0);
    EXPECT_EQ(f.sky.GetParts()[0]->GetFrameIndex(), 0);

    f.sky.Render(6.0f); // 12 > 10: the second keyframe starts
    EXPECT_EQ(f.sky.GetKeyframeIndex(), 1);
    EXPECT_EQ(f.sky.GetKeyframeTimer(), 0.0f);
    EXPECT_EQ(f.sky.GetCurrent().level, 100.0f);
    EXPECT_EQ(f.sky.GetParts()[0]->GetFrameIndex(), 1) << "its frame step moves the sun on";
    EXPECT_EQ(f.sky.GetParts()[0]->GetEffectChoice(), 1);
    // From the last keyframe the sun goes on round: (0 - (0 - 2 pi)) / 10.
    EXPECT_FLOAT_EQ(f.sky.GetRates().partAngles[0], 2.0f * kPi / 10.0f);

    f.sky.Render(11.0f);
    EXPECT_EQ(f.sky.GetKeyframeIndex(), 0) << "back to the first";
}

TEST(SkyscapeRender, AnOvercastLayerGreysTheSkyAsItFades)
{
    SkyFrame f;
    f.AddSun();
    f.text.parts.push_back(PartText{});
    f.text.keyframes[0].parts.push_back(KeyframeText::Part{});
    LayerText layer;
    layer.overcast = 1;
    layer.fadeTime = 5.0f;
    f.Load({layer});
    f.sky.SetStepScale(1.0f);
    struct Case {
        float frame;
        float fade;
        std::uint32_t fog; // (60 70 80) towards grey (60 60 80) by fade / 5
        int sunAlpha;      // 255 - 200 x fade / 5
        int otherAlpha;    // 255 - 255 x fade / 5
    };
    const Case cases[] = {
        {2.0f, 2.0f, 0xFF3C4250u, 175, 153},
        {10.0f, 5.0f, 0xFF3C3C50u, 55, 0},
    };
    for (const Case& c : cases) {
        f.sky.Render(c.frame);
        EXPECT_EQ(f.sky.GetFade(), c.fade);
        EXPECT_EQ(f.world.render.GetFogColor(), c.fog) << c.fade;
        EXPECT_EQ(f.sky.GetParts()[0]->GetDrawingList()[0].diffuse >> 24,
                  static_cast<std::uint32_t>(c.sunAlpha));
        EXPECT_EQ(f.sky.GetParts()[1]->GetDrawingList()[0].diffuse >> 24,
                  static_cast<std::uint32_t>(c.otherAlpha));
    }
    // Overcast colour 3 (3 3 3): channel 3 is 3, not above 20: (0 0 3).
    EXPECT_TRUE(Near(f.sky.GetPublishedColour3(), {0.0f, 0.0f, 3.0f}));
    EXPECT_TRUE(Near(f.sky.GetPublishedVector(), {5.0f, 5.0f, 0.0f}));
}

TEST(SkyscapeRender, GreyAndBlendCases)
{
    struct Case {
        Vector3 colour;
        int channel;
        Vector3 grey;
    };
    const Case cases[] = {
        {{100.0f, 50.0f, 25.0f}, 0, {80.0f, 80.0f, 100.0f}},
        {{100.0f, 50.0f, 25.0f}, 1, {30.0f, 30.0f, 50.0f}},
        {{100.0f, 50.0f, 25.0f}, 2, {5.0f, 5.0f, 25.0f}},
        {{100.0f, 20.0f, 25.0f}, 1, {0.0f, 0.0f, 20.0f}},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(Near(CPSkyscape::Grey(c.colour, c.channel), c.grey)) << c.channel;

    // A layer that is not overcast keeps every colour whatever the fade.
    SkyFrame f;
    f.Load({LayerText{}});
    f.sky.SetStepScale(1.0f);
    f.sky.Render(3.0f);
    EXPECT_EQ(f.sky.GetFade(), 3.0f);
    EXPECT_EQ(f.world.render.GetFogColor(), 0xFF3C4650u);
    EXPECT_EQ(f.DomeColour(0, 0), 0xC819232Du);

    // An overcast layer with no fade time blends nothing.
    SkyFrame g;
    LayerText still;
    still.overcast = 1;
    still.fadeTime = 0.0f;
    g.AddSun();
    g.Load({still});
    g.sky.SetStepScale(1.0f);
    EXPECT_EQ(g.sky.Render(1.0f), S_OK);
    EXPECT_EQ(g.world.render.GetFogColor(), 0xFF3C4650u);
    EXPECT_EQ(g.sky.GetParts()[0]->GetDrawingList()[0].diffuse >> 24, 255u);
}

TEST(SkyscapeRender, LayersChangeWhenTheirTimeIsUp)
{
    SkyFrame f;
    LayerText a;
    a.duration = 10.0f;
    a.spread = 0.0f;
    a.fadeTime = 3.0f;
    LayerText b = a;
    b.set = "set_b.txt";
    f.Load({a, b});
    const CPCloudSet* setA = f.sky.FindCloudSet("set_a.txt");
    const CPCloudSet* setB = f.sky.FindCloudSet("set_b.txt");
    EXPECT_EQ(f.sky.GetTargetTime(), 10.0f) << "no spread";

    f.sky.Render(4.0f); // layer time 8: 2 left, within the fade time
    EXPECT_FALSE(f.sky.IsFadingTowardsOvercast());
    EXPECT_EQ(f.sky.GetLayerIndex(), 0);

    f.sky.Render(2.0f); // 12 > 10: the other layer
    EXPECT_EQ(f.sky.GetLayerIndex(), 1);
    EXPECT_EQ(f.sky.GetCurrentLayer().cloudSetName, "set_b.txt");
    EXPECT_EQ(f.sky.GetLayerTimer(), 0.0f);
    EXPECT_TRUE(f.sky.IsFadingTowardsOvercast());
    ASSERT_EQ(f.sky.GetActiveSets(),
              (std::vector<CPCloudSet*>{const_cast<CPCloudSet*>(setA), const_cast<CPCloudSet*>(setB)}));
    EXPECT_TRUE(setA->IsHiding());
    EXPECT_EQ(setA->GetClouds()[0]->fadingOut, 1);
    EXPECT_TRUE(setB->IsShown());
    EXPECT_EQ(setB->GetClouds()[0]->fadeValue1, 255.0f);

    // Back to A: the older set B... is dropped first, then hidden as the
    // previous set, and A shows again.
    f.sky.Render(6.0f);
    EXPECT_EQ(f.sky.GetLayerIndex(), 0);
    ASSERT_EQ(f.sky.GetActiveSets(),
              (std::vector<CPCloudSet*>{const_cast<CPCloudSet*>(setB), const_cast<CPCloudSet*>(setA)}));
    EXPECT_TRUE(setB->IsHiding());
    EXPECT_TRUE(setA->IsShown());
}

TEST(SkyscapeRender, ALayerOnTheSetAlreadyShownLeavesItsCloudsAlone)
{
    SkyFrame f;
    LayerText a;
    a.duration = 1.0f;
    a.spread = 0.0f;
    f.Load({a, a});
    const CPCloudSet* setA = f.sky.FindCloudSet("set_a.txt");
    const_cast<CPCloudParams*>(setA->GetClouds()[0])->changed = 0;
    f.sky.Render(1.0f);
    EXPECT_EQ(f.sky.GetLayerIndex(), 1);
    EXPECT_EQ(f.sky.GetActiveSets().size(), 1u);
    EXPECT_EQ(setA->GetClouds()[0]->changed, 0);
    EXPECT_TRUE(setA->IsShown());
}

TEST(SkyscapeRender, WithNoOtherLayerToPickTheCurrentOneStartsAgain)
{
    struct Case {
        const char* what;
        std::vector<LayerText> layers;
    };
    LayerText only;
    only.duration = 1.0f;
    only.spread = 0.0f;
    LayerText refused = only;
    refused.weight = -1.0f;
    refused.set = "set_b.txt";
    const Case cases[] = {{"one layer", {only}}, {"the others never accepted", {only, refused, refused}}};
    for (const Case& c : cases) {
        SkyFrame f;
        f.Load(c.layers);
        f.sky.Render(1.0f);
        EXPECT_EQ(f.sky.GetLayerIndex(), 0) << c.what;
        EXPECT_EQ(f.sky.GetLayerTimer(), 0.0f) << c.what;
        EXPECT_EQ(f.sky.GetActiveSets().size(), 1u) << c.what;
    }
}

TEST(SkyscapeRender, TargetTimesStayWithinTheSpread)
{
    struct Case {
        float duration, spread;
        float lowest, highest;
    };
    const Case cases[] = {
        {100.0f, 0.2f, 80.0f, 119.9f},
        {10.0f, 0.0f, 10.0f, 10.0f},
        {10.0f, 0.004f, 9.96f, 9.96f}, // 20 x 10 x 0.004 < 1: no step to draw
    };
    SkyFrame f;
    f.Load();
    for (const Case& c : cases) {
        LayerText layer;
        layer.duration = c.duration;
        layer.spread = c.spread;
        f.world.WriteCloudFile("layers.txt", LayersText({layer}));
        for (unsigned seed = 1; seed <= 20; ++seed) {
            platform::SeedRand(seed);
            CPSkyscape sky;
            ASSERT_EQ(sky.Load("sky.txt"), S_OK);
            const float target = sky.GetTargetTime();
            EXPECT_GE(target, c.lowest - 1e-3f) << c.duration << " " << c.spread;
            EXPECT_LE(target, c.highest + 1e-3f) << c.duration << " " << c.spread;
        }
    }
}

// The dome's buffer holds the colours the dome has: a still sky colours
// and fills it once its sun stands, a moving one on every frame its colours
// or its sun change. A frame that left the buffer as it was would show
// here as the buffer and the dome's own list parting.
TEST(SkyscapeRender, TheDomeBufferHoldsTheDomesColoursEveryFrame)
{
    const struct {
        const char* what;
        float stepScale;
    } skies[] = {{"still", 0.0f}, {"moving", 1.0f}};
    for (const auto& kind : skies) {
        SkyFrame f;
        f.AddSun();
        KeyframeText second;
        second.bands = {"200 20 30", "40 250 60", "70 80 10"};
        second.level = 120.0f;
        second.parts = {KeyframeText::Part{90.0f, 0, 2.0f, 0}};
        f.text.keyframes.push_back(second);
        f.Load();
        f.sky.SetStepScale(kind.stepScale);
        std::vector<std::uint32_t> before;
        int changes = 0;
        for (int frame = 0; frame < 6; ++frame) {
            f.sky.Render(1.5f);
            const auto* buffer = static_cast<const platform::MemoryVertexBuffer*>(f.sky.GetVertexBuffer());
            ASSERT_NE(buffer, nullptr);
            const std::vector<CPMeshVertex>& dome = f.sky.GetSourceList();
            ASSERT_EQ(std::memcmp(buffer->GetBytes(), dome.data(), dome.size() * sizeof(CPMeshVertex)), 0)
                << kind.what << " sky, frame " << frame;
            std::vector<std::uint32_t> colours;
            for (const CPMeshVertex& vertex : dome)
                colours.push_back(vertex.diffuse);
            changes += frame > 0 && colours != before ? 1 : 0;
            before = colours;
        }
        // The still sky's dome changes once, as its sun first stands; the
        // moving one's on every frame after the first.
        EXPECT_EQ(changes, kind.stepScale > 0.0f ? 5 : 1) << kind.what;
    }
}
