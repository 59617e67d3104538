#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "DynamicSky/Skyscape.h"
#include "SkyTestWorld.h"
#include "platform/Effect.h"
#include "platform/Math.h"
#include "platform/Random.h"
#include "support/MathExpect.h"

using namespace skytest;

namespace {

constexpr float kDegrees = 0.017453292f;

// The data a sky file names: dome, part and light effects, textures, two
// cloud sets of one cloud each and a layer file of one layer on set A.
struct SkyFiles {
    SkyFiles()
    {
        world.WriteTexture("dome.tga");
        world.WriteTexture("sun.tga");
        world.WriteEffect("dome.fx");
        world.WriteEffect("part1.fx");
        world.WriteEffect("part2.fx");
        world.WriteEffect("skyscape_light.fx");
        world.WriteCloudFile("puff.txt", "cores 0\npuffs 0\nt 1\nt 2\nt 3\nt 4\nt 5\nt 6\nt 7\nt 8\n");
        world.WriteCloudFile("set_a.txt", CloudSetText("0 0 50", {"puff.txt"}));
        world.WriteCloudFile("set_b.txt", CloudSetText("5 0 50", {"puff.txt", "puff.txt"}));
        world.WriteCloudFile("layers.txt", LayersText({LayerText{}}));
    }

    HResult Load(const SkyText& text)
    {
        world.WriteCloudFile("sky.txt", text.Text());
        return sky.Load("sky.txt");
    }

    SkyWorld world;
    CPSkyscape sky;
};

SkyText FullSky()
{
    SkyText text;
    KeyframeText first;
    first.angle = 90.0f;
    first.grey = 2;
    first.brighten = 1;
    first.parts = {{30.0f, 1, 2.5f, 0}};
    KeyframeText second;
    second.parts = {{60.0f, 0, 3.0f, 1}};
    text.keyframes = {first, second};
    PartText part;
    part.direction = "0 0 5";
    part.baseAngle = 45.0f;
    text.parts = {part};
    text.sets = {"set_a.txt", "set_b.txt"};
    return text;
}

} // namespace

TEST(SkyscapeLoad, BuildsTheDomeRingByRing)
{
    SkyFiles files;
    SkyText text = FullSky();
    text.centre = "1 2 3";
    ASSERT_EQ(files.Load(text), S_OK);
    const CPSkyscape& sky = files.sky;
    // 16 slices: 5 rings of 17 vertices, 4 x 16 quads of two triangles.
    const std::vector<CPMeshVertex>& dome = sky.GetSourceList();
    ASSERT_EQ(dome.size(), 85u);
    ASSERT_EQ(sky.GetIndices().size(), 128u * 3u);
    EXPECT_EQ(sky.GetRingsPerBand(), 2) << "16 / (4 x 3 - 4)";

    const Vector3 centre{1.0f, 2.0f, 3.0f};
    struct Case {
        int ring, segment;
        Vector3 position; // relative to the centre
        Vector2 uv;
    };
    const Case cases[] = {
        {0, 0, {100.0f, 0.0f, 0.0f}, {0.0f, 0.0f}},  // rim
        {0, 4, {0.0f, 100.0f, 0.0f}, {0.5f, 0.0f}},  // a quarter round
        {0, 16, {100.0f, 0.0f, 0.0f}, {2.0f, 0.0f}}, // the seam
        {4, 0, {0.0f, 0.0f, 50.0f}, {0.0f, 1.2f}},   // pole: radius x vertical scale
        {2, 8, {-70.710678f, 0.0f, 35.355339f}, {1.0f, 0.6f}},
    };
    for (const Case& c : cases) {
        const CPMeshVertex& vertex = dome[static_cast<std::size_t>(c.ring * 17 + c.segment)];
        EXPECT_TRUE(Near(vertex.position, centre + c.position, 1e-3f)) << c.ring << "/" << c.segment;
        EXPECT_TRUE(Near(vertex.normal, Normalize(-vertex.position))) << "inwards";
        EXPECT_TRUE(Near(vertex.uv1, c.uv)) << c.ring << "/" << c.segment;
    }
    // Triangles of the first quad of ring 1: a = 17.
    const std::uint16_t expected[6] = {17, 34, 35, 17, 35, 18};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(sky.GetIndices()[static_cast<std::size_t>(16 * 6 + i)], expected[i]);
}

TEST(SkyscapeLoad, ReadsKeyframesPartsAndClouds)
{
    SkyFiles files;
    platform::SeedRand(1);
    ASSERT_EQ(files.Load(FullSky()), S_OK);
    const CPSkyscape& sky = files.sky;
    EXPECT_EQ(sky.GetTimeScale(), 2.0f);
    EXPECT_EQ(sky.GetRadius(), 100.0f);
    EXPECT_NE(sky.GetTexture(), nullptr);
    EXPECT_NE(sky.GetEffectA(), nullptr);
    EXPECT_NE(sky.GetEffectB(), nullptr);

    ASSERT_EQ(sky.GetKeyframes().size(), 2u);
    const SkyKeyframe& first = sky.GetKeyframes()[0];
    EXPECT_EQ(first.duration, 10.0f);
    EXPECT_EQ(first.level, 200.0f);
    EXPECT_FLOAT_EQ(first.domeAngle, 90.0f * kDegrees);
    EXPECT_EQ(first.greyChannel, 1);
    ASSERT_EQ(first.bandColours.size(), 3u);
    EXPECT_TRUE(Near(first.bandColours[2], {70.0f, 80.0f, 90.0f}));
    EXPECT_TRUE(Near(first.sun, {200.0f, 100.0f, 50.0f})) << "brightened: 100 50 25 doubled";
    EXPECT_TRUE(Near(first.ambient, {60.0f, 60.0f, 60.0f}));
    EXPECT_TRUE(Near(first.colour3, {3.0f, 3.0f, 3.0f}));
    EXPECT_TRUE(Near(first.colour4, {4.0f, 4.0f, 4.0f}));
    EXPECT_FLOAT_EQ(first.partAngles[0], 30.0f * kDegrees);
    EXPECT_EQ(first.partEffects[0], 1);
    EXPECT_EQ(first.partSizes[0], 2.5f);
    EXPECT_TRUE(Near(sky.GetKeyframes()[1].sun, {100.0f, 50.0f, 25.0f})) << "not brightened";

    ASSERT_EQ(sky.GetParts().size(), 1u);
    const CPSkyPart& part = *sky.GetParts()[0];
    EXPECT_TRUE(Near(part.GetDirection(), {0.0f, 0.0f, 1.0f}));
    EXPECT_EQ(part.GetFrames(), (std::vector<std::string>{"data\\textures\\sun.tga"}));
    EXPECT_EQ(part.GetSourceList().size(), 4u);
    EXPECT_NE(part.GetTexture(), nullptr);
    EXPECT_EQ(part.GetEffectChoice(), 1) << "the starting keyframe chose the second effect";

    ASSERT_NE(sky.FindCloudSet("set_b.txt"), nullptr);
    EXPECT_EQ(sky.FindCloudSet("set_b.txt")->GetClouds().size(), 2u);
    ASSERT_EQ(sky.GetLayers().size(), 1u);
    EXPECT_EQ(sky.GetCurrentLayer().cloudSetName, "set_a.txt");
    EXPECT_EQ(sky.GetLayerIndex(), 0);
    EXPECT_EQ(sky.GetFade(), 0.0f);
    EXPECT_TRUE(sky.IsFadingTowardsOvercast());
    ASSERT_EQ(sky.GetActiveSets().size(), 1u);
    EXPECT_EQ(sky.GetActiveSets()[0], sky.FindCloudSet("set_a.txt"));
    EXPECT_TRUE(sky.GetActiveSets()[0]->IsShown());
    EXPECT_EQ(sky.GetActiveSets()[0]->GetClouds()[0]->fadeValue1, 255.0f);
    // Duration 100, spread 0.2: 80.0 up to 119.9 in steps of 0.1.
    const float target = sky.GetTargetTime();
    EXPECT_GE(target, 80.0f);
    EXPECT_LE(target, 119.95f);
    EXPECT_NEAR(std::round((target - 80.0f) * 10.0f), (target - 80.0f) * 10.0f, 1e-2f);
}

TEST(SkyscapeLoad, AStartingKeyframeOutOfRangeStartsAtTheFirst)
{
    struct Case {
        int start;
        int expected;
    };
    const Case cases[] = {{5, 0}, {-1, 0}, {3, 0}, {2, 2}, {1, 1}};
    for (const Case& c : cases) {
        SkyFiles files;
        SkyText text;
        text.start = c.start;
        for (int i = 0; i < 3; ++i) {
            KeyframeText keyframe;
            keyframe.level = 10.0f * static_cast<float>(i);
            text.keyframes.push_back(keyframe);
        }
        text.keyframes.erase(text.keyframes.begin());
        ASSERT_EQ(files.Load(text), S_OK);
        EXPECT_EQ(files.sky.GetKeyframeIndex(), c.expected) << c.start;
        EXPECT_EQ(files.sky.GetCurrent().level, 10.0f * static_cast<float>(c.expected)) << c.start;
    }
}

TEST(SkyscapeLoad, CommentsAndBlankLinesDoNotShiftTheValues)
{
    SkyFiles files;
    const std::string plain = FullSky().Text();
    std::string padded;
    for (std::size_t at = 0; at < plain.size();) {
        const std::size_t end = plain.find('\n', at);
        padded += plain.substr(at, end - at + 1) + "\n// a note\n  \t\n/* a\nblock */\n";
        at = end + 1;
    }
    files.world.WriteCloudFile("padded.txt", padded);
    ASSERT_EQ(files.sky.Load("padded.txt"), S_OK);
    ASSERT_EQ(files.sky.GetKeyframes().size(), 2u);
    EXPECT_TRUE(Near(files.sky.GetKeyframes()[1].fog, {60.0f, 70.0f, 80.0f}));
    EXPECT_EQ(files.sky.GetParts().size(), 1u);
    EXPECT_NE(files.sky.FindCloudSet("set_b.txt"), nullptr);
}

TEST(SkyscapeLoad, AMissingFileLeavesOnlyTheLightEffect)
{
    SkyFiles files;
    EXPECT_EQ(files.sky.Load("skyscape9.txt"), E_FAIL);
    EXPECT_NE(files.sky.GetEffectB(), nullptr);
    EXPECT_EQ(files.sky.GetEffectA(), nullptr);
    EXPECT_TRUE(files.sky.GetSourceList().empty());
    EXPECT_EQ(files.sky.Render(0.1f), E_FAIL);
    EXPECT_TRUE(files.world.device.GetFrameDraws().empty());
    EXPECT_TRUE(files.world.log.Contains("skyscape9.txt"));
}

TEST(SkyscapeLoad, ValuesTheSkyCannotBeBuiltFromFailTheLoad)
{
    struct Case {
        const char* what;
        void (*change)(SkyText&);
        const char* logged;
    };
    const Case cases[] = {
        {"one band",
         [](SkyText& t) {
             t.bands = 1;
             for (auto& k : t.keyframes)
                 k.bands.resize(1);
         },
         "at least 2 bands"},
        {"no slices", [](SkyText& t) { t.slices = 0; }, "slice count 0"},
        {"slices not a multiple of 4", [](SkyText& t) { t.slices = 18; }, "slice count 18"},
        {"more slices than the buffers hold", [](SkyText& t) { t.slices = 204; }, "slice count 204"},
        {"no ring per band", [](SkyText& t) { t.slices = 4; }, "give no ring"},
        {"bands beyond count", [](SkyText& t) { t.bands = 2000000000; }, "give no ring"},
        {"no keyframe", [](SkyText& t) { t.keyframes.clear(); }, "at least one keyframe"},
        {"grey channel 4", [](SkyText& t) { t.keyframes[0].grey = 4; }, "grey channel of 4"},
        {"grey channel 0", [](SkyText& t) { t.keyframes[0].grey = 0; }, "grey channel of 0"},
        {"a band line short", [](SkyText& t) { t.keyframes[0].bands[1] = "1 2"; }, "a band colour needs 3"},
        {"a colour no number", [](SkyText& t) { t.keyframes[0].fog = "1 nan 2"; },
         "not a finite number: \"nan\""},
        {"a radius too large", [](SkyText& t) { t.radius = std::numeric_limits<float>::infinity(); },
         "dome radius is not a finite"},
    };
    for (const Case& c : cases) {
        SkyFiles files;
        SkyText text;
        c.change(text);
        EXPECT_EQ(files.Load(text), E_FAIL) << c.what;
        EXPECT_TRUE(files.world.log.Contains(c.logged)) << c.what;
        EXPECT_TRUE(files.sky.GetSourceList().empty()) << c.what;
        EXPECT_TRUE(files.sky.GetKeyframes().empty()) << c.what;
        EXPECT_NE(files.sky.GetEffectB(), nullptr) << c.what;
    }
    // The largest dome that fits: 200 slices, 51 x 201 vertices, 60000 indices.
    SkyFiles files;
    SkyText text;
    text.slices = 200;
    EXPECT_EQ(files.Load(text), S_OK);
    EXPECT_EQ(files.sky.GetIndices().size(), 60000u);
}

TEST(SkyscapeLoad, AFileCutAtAnyLineFailsCleanly)
{
    SkyFiles files;
    const std::string whole = FullSky().Text();
    const int lines = LineCount(whole);
    for (int kept = 0; kept < lines; ++kept) {
        files.world.WriteCloudFile("cut.txt", FirstLines(whole, kept));
        CPSkyscape sky;
        EXPECT_EQ(sky.Load("cut.txt"), E_FAIL) << kept << " lines";
        EXPECT_TRUE(sky.GetParts().empty()) << kept << " lines";
        EXPECT_EQ(sky.Render(0.1f), E_FAIL);
    }
    EXPECT_TRUE(files.world.log.Contains("cannot be used: it ends before"));

    // Counts far beyond what the file holds fail at its end, having
    // reserved nothing for them.
    std::string huge = whole;
    huge.replace(huge.find("keyframes 2"), 11, "keyframes 2000000000");
    files.world.WriteCloudFile("huge.txt", huge);
    CPSkyscape sky;
    EXPECT_EQ(sky.Load("huge.txt"), E_FAIL);
}

TEST(SkyscapeLoad, BrokenCloudFilesLeaveTheSkyWithoutThem)
{
    SkyFiles files;
    files.world.WriteCloudFile("layers.txt", "count 1\nfade 5\n");
    SkyText text = FullSky();
    text.sets = {"set_a.txt", "missing_set.txt"};
    ASSERT_EQ(files.Load(text), S_OK);
    EXPECT_TRUE(files.sky.GetLayers().empty());
    EXPECT_TRUE(files.sky.GetActiveSets().empty());
    ASSERT_NE(files.sky.FindCloudSet("missing_set.txt"), nullptr);
    EXPECT_TRUE(files.sky.FindCloudSet("missing_set.txt")->GetClouds().empty());
    EXPECT_TRUE(files.world.log.Contains("layers.txt"));
    EXPECT_EQ(files.sky.Render(0.1f), S_OK) << "the dome still draws";
}

TEST(SkyscapeLoad, ALayerOnASetTheSkyDoesNotHaveShowsNoClouds)
{
    SkyFiles files;
    LayerText layer;
    layer.set = "elsewhere.txt";
    files.world.WriteCloudFile("layers.txt", LayersText({layer}));
    ASSERT_EQ(files.Load(FullSky()), S_OK);
    EXPECT_TRUE(files.sky.GetActiveSets().empty());
}

TEST(SkyscapeLoad, TheRendererMakesItsSkyThroughTheInstalledFactory)
{
    SkyFiles files;
    files.world.WriteCloudFile("skyscape3.txt", FullSky().Text());
    InstallSkyscape(files.world.render);
    files.world.render.LoadSkyscape(3);
    auto* sky = dynamic_cast<CPSkyscape*>(files.world.render.GetSky());
    ASSERT_NE(sky, nullptr);
    EXPECT_EQ(sky->GetKeyframes().size(), 2u);
    files.world.render.LoadSkyscape(4);
    EXPECT_TRUE(dynamic_cast<CPSkyscape*>(files.world.render.GetSky())->GetKeyframes().empty());
}
