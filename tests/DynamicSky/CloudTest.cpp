#include <cmath>

#include <gtest/gtest.h>

#include "DynamicSky/CloudLayerList.h"
#include "DynamicSky/CloudParams.h"
#include "DynamicSky/CloudSet.h"
#include "DynamicSky/VolumeCloud.h"
#include "SkyTestWorld.h"
#include "support/MathExpect.h"

using skytest::SkyWorld;

namespace {

constexpr float kQuarterTurn = 1.5707963f;

// One core point at `core`, one puff at `centre` with half sizes 3 and 4,
// then the trailing parameters 5, 7, 3 ... 8.
std::string OnePuff(const std::string& core, const std::string& centre, int coreIndex = 0)
{
    return "cores 1\n"
           "core " +
           core +
           "\n"
           "puffs 1\n"
           "centre " +
           centre +
           "\n"
           "values 11 12\n"
           "value3 0.5\n"
           "corepoint " +
           std::to_string(coreIndex) +
           "\n"
           "half 3 4\n"
           "t1 5\nt2 7\nt3 3\nt4 4\nt5 5\nt6 6\nt7 7\nt8 8\n";
}

} // namespace

TEST(CloudParams, StartsWithItsDefaults)
{
    CPCloudParams cloud;
    EXPECT_EQ(cloud.GetParameter(1), 20.0f);
    EXPECT_EQ(cloud.GetParameter(2), 20.0f);
    for (int i = 3; i <= 8; ++i)
        EXPECT_EQ(cloud.GetParameter(i), 128.0f);
    EXPECT_EQ(cloud.fadeValue1, 0.0f);
    EXPECT_EQ(cloud.fadeValue2, 255.0f);
    EXPECT_EQ(cloud.GetScale(), 1.0f);
    EXPECT_TRUE(cloud.GetPuffs().empty());
}

TEST(CloudParams, PuffsAreScaledTurnedAndBoundTheCloud)
{
    SkyWorld world;
    world.WriteCloudFile("one.txt", OnePuff("0 0 0", "0 0 10"));

    struct Case {
        float scale;
        float rotation;
        Vector3 centre;
        float halfHeight; // hz / 2, hz = |centre z| + r
        float radius;
    };
    // r = sqrt(3^2 + 4^2) = 5 at scale 1, 10 at scale 2.
    const Case cases[] = {
        {1.0f, 0.0f, {0.0f, 0.0f, 10.0f}, 7.5f, 15.0f},
        {2.0f, 0.0f, {0.0f, 0.0f, 20.0f}, 15.0f, 30.0f},
        {1.0f, kQuarterTurn, {0.0f, 0.0f, 10.0f}, 7.5f, 15.0f},
    };
    for (const Case& c : cases) {
        CPCloudParams cloud;
        ASSERT_TRUE(cloud.Load("one.txt", c.scale, c.rotation));
        ASSERT_EQ(cloud.GetPuffs().size(), 1u);
        const CloudPuff& puff = cloud.GetPuffs()[0];
        EXPECT_TRUE(Near(puff.centre, c.centre));
        EXPECT_EQ(puff.halfWidth, 3.0f * c.scale);
        EXPECT_EQ(puff.halfHeight, 4.0f * c.scale);
        EXPECT_EQ(puff.value1, 11);
        EXPECT_EQ(puff.value2, 12);
        EXPECT_EQ(puff.value3, 0.5f);
        EXPECT_EQ(puff.cloud, &cloud);
        EXPECT_TRUE(Near(puff.normal, {0.0f, 0.0f, 1.0f}));
        EXPECT_FLOAT_EQ(cloud.GetHalfHeight(), c.halfHeight);
        EXPECT_FLOAT_EQ(cloud.GetRadius(), c.radius);
        EXPECT_EQ(cloud.GetParameter(1), 5.0f);
        EXPECT_EQ(cloud.GetParameter(2), 7.0f);
        EXPECT_EQ(cloud.GetParameter(8), 8.0f);
    }
}

TEST(CloudParams, RotationTurnsCentresAndCorePointsAboutZ)
{
    SkyWorld world;
    // Core at the origin, puff at (10, 0, 0): a quarter turn puts it at
    // (0, 10, 0) with the normal along +y.
    world.WriteCloudFile("side.txt", OnePuff("0 0 0", "10 0 0"));
    CPCloudParams cloud;
    ASSERT_TRUE(cloud.Load("side.txt", 1.0f, kQuarterTurn));
    EXPECT_TRUE(Near(cloud.GetPuffs()[0].centre, {0.0f, 10.0f, 0.0f}));
    EXPECT_TRUE(Near(cloud.GetPuffs()[0].normal, {0.0f, 1.0f, 0.0f}));
    EXPECT_FLOAT_EQ(cloud.GetRadius(), 15.0f);
    EXPECT_FLOAT_EQ(cloud.GetHalfHeight(), 2.5f) << "hz = r = 5";

    world.WriteCloudFile("same.txt", OnePuff("1 2 3", "1 2 3"));
    ASSERT_TRUE(cloud.Load("same.txt", 1.0f, 0.0f));
    EXPECT_TRUE(Near(cloud.GetPuffs()[0].normal, {0.0f, 0.0f, 0.0f})) << "centre on its core point";
}

TEST(CloudParams, EmptyBlocksLeaveNoReach)
{
    SkyWorld world;
    world.WriteCloudFile("empty.txt", "cores 0\npuffs -2\nt1 1\nt2 2\nt3 3\nt4 4\nt5 5\nt6 6\nt7 7\nt8 8\n");
    CPCloudParams cloud;
    ASSERT_TRUE(cloud.Load("empty.txt", 3.0f, 0.0f));
    EXPECT_TRUE(cloud.GetPuffs().empty());
    EXPECT_EQ(cloud.GetRadius(), 0.0f);
    EXPECT_EQ(cloud.GetHalfHeight(), 0.0f);
    EXPECT_EQ(cloud.GetParameter(3), 3.0f);
}

TEST(CloudParams, BrokenDescriptionsFailAndKeepTheDefaults)
{
    SkyWorld world;
    const std::string whole = OnePuff("0 0 0", "0 0 10");
    struct Case {
        const char* name;
        std::string text;
        const char* logged;
    };
    const Case cases[] = {
        {"cut_in_puff.txt", skytest::FirstLines(whole, 5), "ends before the puff value 3"},
        {"cut_in_tail.txt", skytest::FirstLines(whole, 10), "ends before a trailing parameter"},
        {"short_line.txt", "cores 1\ncore 1 2\n", "a core point needs 3 value(s)"},
        {"bad_core.txt", OnePuff("0 0 0", "0 0 10", 1), "names core point 1 of 1"},
        {"negative_core.txt", OnePuff("0 0 0", "0 0 10", -1), "names core point -1 of 1"},
    };
    for (const Case& c : cases) {
        world.WriteCloudFile(c.name, c.text);
        CPCloudParams cloud;
        EXPECT_FALSE(cloud.Load(c.name, 2.0f, 0.5f)) << c.name;
        EXPECT_TRUE(cloud.GetPuffs().empty()) << c.name;
        EXPECT_EQ(cloud.GetParameter(1), 20.0f) << c.name;
        EXPECT_EQ(cloud.GetRadius(), 0.0f) << c.name;
        EXPECT_EQ(cloud.GetScale(), 2.0f) << c.name;
        EXPECT_TRUE(world.log.Contains(std::string("Data\\Clouds\\") + c.name)) << c.name;
        EXPECT_TRUE(world.log.Contains(c.logged)) << c.name;
    }
    CPCloudParams missing;
    EXPECT_FALSE(missing.Load("missing.txt", 1.0f, 0.0f));
}

TEST(CloudSet, LoadsItsCloudsAroundItsPosition)
{
    SkyWorld world;
    world.WriteCloudFile("puff.txt", OnePuff("0 0 0", "0 0 10"));
    world.WriteCloudFile("set.txt", skytest::CloudSetText("10 20 30", {"puff.txt", "missing.txt"}));
    CPCloudSet set;
    ASSERT_TRUE(set.Load("set.txt"));
    EXPECT_TRUE(Near(set.GetPosition(), {10.0f, 20.0f, 30.0f}));
    EXPECT_EQ(set.setValue1, 1.5f);
    EXPECT_EQ(set.setValue2, 2);
    EXPECT_TRUE(Near(set.setVector, {1.0f, 2.0f, 3.0f}));
    EXPECT_EQ(set.setValue3, 3.5f);
    ASSERT_EQ(set.GetClouds().size(), 2u) << "a cloud whose description is missing stays, without puffs";
    EXPECT_EQ(set.GetClouds()[0]->GetPuffs().size(), 1u);
    EXPECT_TRUE(set.GetClouds()[1]->GetPuffs().empty());
    EXPECT_TRUE(Near(set.GetClouds()[0]->position, {11.0f, 22.0f, 33.0f}));
    EXPECT_TRUE(Near(set.GetClouds()[0]->offset, {1.0f, 2.0f, 3.0f}));
    EXPECT_EQ(set.GetExtraValue(0), 7.0f);
    EXPECT_FALSE(set.IsShown());
}

TEST(CloudSet, ACutFileLeavesTheSetEmpty)
{
    SkyWorld world;
    world.WriteCloudFile("puff.txt", OnePuff("0 0 0", "0 0 10"));
    const std::string whole = skytest::CloudSetText("0 0 0", {"puff.txt", "puff.txt"});
    world.WriteCloudFile("cut.txt", skytest::FirstLines(whole, skytest::LineCount(whole) - 1));
    CPCloudSet set;
    EXPECT_FALSE(set.Load("cut.txt"));
    EXPECT_TRUE(set.GetClouds().empty());
    EXPECT_TRUE(world.log.Contains("ends before a cloud's extra value"));
    EXPECT_FALSE(set.Load("missing.txt"));
}

TEST(CloudSet, ShowingAndHidingSetTheCloudFlags)
{
    SkyWorld world;
    world.WriteCloudFile("puff.txt", OnePuff("0 0 0", "0 0 10"));
    world.WriteCloudFile("set.txt", skytest::CloudSetText("0 0 0", {"puff.txt"}));
    struct Case {
        bool show;
        bool reset;
        std::uint8_t fadingIn, fadingOut;
        float fade1, fade2; // from the defaults 0 and 255
    };
    const Case cases[] = {
        {true, true, 1, 0, 255.0f, 0.0f},
        {true, false, 1, 0, 0.0f, 255.0f},
        {false, true, 0, 1, 0.0f, 255.0f},
        {false, false, 0, 1, 0.0f, 255.0f},
    };
    for (const Case& c : cases) {
        CPCloudSet set;
        ASSERT_TRUE(set.Load("set.txt"));
        set.SetShown(c.show, c.reset);
        const CPCloudParams& cloud = *set.GetClouds()[0];
        EXPECT_EQ(set.IsShown(), c.show);
        EXPECT_EQ(set.IsHiding(), !c.show);
        EXPECT_EQ(cloud.fadingIn, c.fadingIn);
        EXPECT_EQ(cloud.fadingOut, c.fadingOut);
        EXPECT_EQ(cloud.fadeValue1, c.fade1);
        EXPECT_EQ(cloud.fadeValue2, c.fade2);
        EXPECT_EQ(cloud.changed, 1);
        EXPECT_EQ(cloud.changedAgain, 1);
    }
}

TEST(CloudLayerList, ReadsLayersInFileOrderAndRefusesACutFile)
{
    SkyWorld world;
    skytest::LayerText first;
    skytest::LayerText second;
    second.set = "\"set b.txt\"";
    second.overcast = 1;
    second.weight = 0.25f;
    const std::string text = skytest::LayersText({first, second});
    world.WriteCloudFile("layers.txt", text);
    CPCloudLayerList list;
    ASSERT_TRUE(list.Load("layers.txt"));
    ASSERT_EQ(list.GetLayers().size(), 2u);
    const CloudLayer& b = list.GetLayers()[1];
    EXPECT_EQ(b.fadeTime, 5.0f);
    EXPECT_EQ(b.duration, 100.0f);
    EXPECT_FLOAT_EQ(b.spread, 0.2f);
    EXPECT_EQ(b.cloudSetName, "set b.txt");
    EXPECT_EQ(b.value1, 1);
    EXPECT_EQ(b.value3, 3.5f);
    EXPECT_EQ(b.value8, 8);
    EXPECT_EQ(b.overcast, 1);
    EXPECT_EQ(b.weight, 0.25f);
    EXPECT_EQ(b.value9, 9);

    world.WriteCloudFile("cut.txt", skytest::FirstLines(text, 20));
    CPCloudLayerList cut;
    EXPECT_FALSE(cut.Load("cut.txt"));
    EXPECT_TRUE(cut.GetLayers().empty());
    EXPECT_TRUE(world.log.Contains("cut.txt"));
}

TEST(VolumeCloud, LoadsTheCloudTextureAndEffect)
{
    SkyWorld world;
    world.WriteTexture("cloud.tga");
    world.WriteEffect("volume_cloud.fx");
    CPVolumeCloud cloud;
    EXPECT_NE(cloud.GetTexture(), nullptr);
    EXPECT_NE(cloud.GetEffectA(), nullptr);
}
