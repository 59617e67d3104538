#include <gtest/gtest.h>

#include <memory>

#include "DynamicSky/SkyLevel.h"
#include "Render/PRender.h"
#include "core/Singletons.h"
#include "game/Level.h"
#include "game/LevelTestObjects.h"
#include "game/Spline.h"
#include "platform/Clock.h"
#include "Render/QuadTreeNode.h"
#include "support/ScratchFolder.h"
#include "support/TestEngine.h"
#include "core/ServiceOverride.h"

namespace {

std::uint32_t g_now = 0;
std::uint32_t FakeClock() { return g_now; }

} // namespace

TEST(LevelTest, TheSlotHoldsTheNewestLevelAndAnOlderOneLeavesItCurrent)
{
    // Without services there is nowhere to be current.
    {
        CPLevel alone;
        MakeCurrentLevel(&alone);
        EXPECT_EQ(GetCurrentLevel(), nullptr);
    }
    TestEngine engine;
    auto* first = new CPLevel;
    EXPECT_EQ(GetCurrentLevel(), nullptr) << "being made does not make a level current";
    EXPECT_EQ(GetSkyLevel(), nullptr);
    MakeCurrentLevel(first);
    EXPECT_EQ(GetCurrentLevel(), first);
    EXPECT_EQ(GetSkyLevel(), first);

    auto* second = new CPLevel;
    MakeCurrentLevel(second);
    EXPECT_EQ(GetCurrentLevel(), second);
    EXPECT_EQ(GetSkyLevel(), second);

    // The stale level must not take the live one with it.
    delete first;
    EXPECT_EQ(GetCurrentLevel(), second);
    EXPECT_EQ(GetSkyLevel(), second);

    delete second;
    EXPECT_EQ(GetCurrentLevel(), nullptr);
    EXPECT_EQ(GetSkyLevel(), nullptr);
}

TEST(LevelTest, TakesTheTimerAtConstruction)
{
    ServiceOverride<platform::GetClockSource, platform::SetClockSource> installedClockSource(&FakeClock);
    g_now = 123456;
    CPLevel level;
    EXPECT_EQ(level.race.lastRealTime, 123456u);
}

TEST(LevelTest, TypeNameAndFloatText)
{
    CPLevel level;
    EXPECT_EQ(level.GetTypeName(), "CPLevel");
    EXPECT_EQ(level.FormatFloat(1.0f), "1.000");
    EXPECT_EQ(level.FormatFloat(-2.5f), "-2.500");
    EXPECT_EQ(level.FormatFloat(0.12345f), "0.123");
}

TEST(LevelTest, LevelNumberOnlyForTheTenLevelNames)
{
    const struct {
        const char* name;
        int number;
    } cases[] = {
        {"level1", 1}, {"level7", 7}, {"level10", 10}, {"level0", 0},  {"level11", 0},
        {"Level1", 0}, {"level", 0},  {"level1x", 0},  {"level01", 0}, {"", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CPLevel::LevelNumberFromName(c.name), c.number) << c.name;
}

TEST(LevelTest, LevelLightFillsTheLightTableUpToThirty)
{
    CPRender render(nullptr);
    ServiceOverride<GetRender, SetRender> installedRender(&render);
    CPLevel level;
    level.ResetLight();
    const platform::Light& light = level.GetSunLight();
    EXPECT_EQ(light.type, platform::LightType::Directional);
    EXPECT_EQ(light.diffuse.r, 0.99609375f);
    EXPECT_EQ(light.specular.b, 0.99609375f);
    EXPECT_EQ(light.diffuse.a, 0.0f);
    EXPECT_EQ(light.ambient.r, 0.0f);
    EXPECT_EQ(light.direction.z, -1.0f);
    EXPECT_EQ(light.range, 10000.0f);

    for (int i = 0; i < 29; ++i)
        render.AddLight(platform::Light());
    level.RegisterLight();
    EXPECT_EQ(render.GetLightCount(), 30);
    level.RegisterLight();
    EXPECT_EQ(render.GetLightCount(), 30);
    ServiceOverride<GetRender, SetRender> noRender(nullptr);
    level.RegisterLight(); // no renderer: nothing happens
}

TEST(LevelTest, DeletesEveryOwnedObjectOnce)
{
    int deletions = 0;
    {
        CPLevel level;
        auto* player = new FakeCar(&deletions);
        level.SetPlayer(CPObjectPtr(player));
        level.cameraTarget = player;
        level.AddOpponent(CPObjectPtr(new CountedObject("bmw1", &deletions)));
        level.AddOpponent(CPObjectPtr(new CountedObject("uaz2", &deletions)));
        auto* scene = new CountedObject("level1", &deletions);
        auto* child = new CountedObject("tree", &deletions);
        scene->AddChild(CPObjectPtr(child));
        level.SetLevelScene(CPObjectPtr(scene));
        level.SetTerrain(CPObjectPtr(new CountedObject("land", &deletions)));
        level.SetRoadCollision(CPObjectPtr(new CountedObject("road_phys1", &deletions)));
        level.SetRecordGhost(CPObjectPtr(new CountedObject("ghost", &deletions)));
        level.SetCamera(CPObjectPtr(new CountedPlainObject(&deletions)));
        level.SetLensFlare(CPObjectPtr(new CountedPlainObject(&deletions)));
        level.SetBranchRoot(CPObjectPtr(new FakeLevelIndex(&deletions)));
        level.AddOwnedObject(CPObjectPtr(new CountedObject("owned", &deletions)));
        level.SetSplines(CPObjectPtr(new CPSpline), CPObjectPtr(new CPSpline), CPObjectPtr(new CPSpline));
        // References only: the lists and the grid point at owned objects.
        level.firstObjects.push_back(CPObjectPtr(child));
        level.secondObjects.push_back(CPObjectPtr(scene));
        level.speedZones.push_back(CPObjectPtr(child));
        level.checkpoints.push_back({CPObjectPtr(child), 29.0f});
        level.levelWidth = level.levelDepth = CPLevel::kLevelSize;
        level.queries.AllocateGrid();
        level.AddToGrid(CPObjectPtr(child));
        EXPECT_EQ(deletions, 0);
    }
    // Player, two opponents, scene and its child, terrain, road, ghost,
    // camera, lens flare, index, owned object.
    EXPECT_EQ(deletions, 12);
}

TEST(LevelTest, AnObjectHeldTwiceIsDeletedOnce)
{
    LogCapture log;
    int deletions = 0;
    {
        CPLevel level;
        auto* car = new FakeCar(&deletions);
        level.SetPlayer(CPObjectPtr(car));
        level.AddOwnedObject(CPObjectPtr(car));
        auto* opponent = new CountedObject("bmw1", &deletions);
        level.AddOpponent(CPObjectPtr(opponent));
        level.AddOpponent(CPObjectPtr(opponent));
        level.AddOwnedObject(CPObjectPtr(opponent));
        EXPECT_EQ(level.GetOpponents().size(), 1u);
        level.SetQuadTreeRoot(std::make_unique<CPQuadTreeNode>());
    }
    EXPECT_EQ(deletions, 2);
}

TEST(LevelTest, ReplacingAnOwnedObjectDeletesTheOldOne)
{
    int deletions = 0;
    CPLevel level;
    auto* first = new FakeCar(&deletions);
    level.SetPlayer(CPObjectPtr(first));
    level.cameraTarget = first;
    level.SetPlayer(CPObjectPtr(first)); // the same one stays
    EXPECT_EQ(deletions, 0);
    level.SetPlayer(CPObjectPtr(new FakeCar(&deletions)));
    EXPECT_EQ(deletions, 1);
    EXPECT_EQ(level.cameraTarget, nullptr);
}

TEST(LevelTest, GettersAddAReference)
{
    CPLevel level;
    auto* spline = new CPSpline;
    level.SetSplines(CPObjectPtr(spline), CPObjectPtr(), CPObjectPtr());
    const std::uint32_t before = spline->GetUseCount();
    CPObjectPtr held = level.GetSpline();
    EXPECT_EQ(held.Get(), spline);
    EXPECT_EQ(spline->GetUseCount(), before + 1);
    EXPECT_EQ(level.GetPathSpline(), spline);
    EXPECT_EQ(level.GetLeftBorder(), nullptr);
    EXPECT_FALSE(level.GetCamera());
}

TEST(LevelTest, WeaponStepGoesToThePlayerCar)
{
    CPLevel level;
    CountedObject target("target", nullptr);
    level.SetWeaponPos({1, 2, 3}, &target); // no player car: nothing

    // A player object without weapons is left alone as well.
    level.SetPlayer(CPObjectPtr(new CountedObject("PLAYER", nullptr)));
    level.SetWeaponPos({1, 2, 3}, &target);

    auto* car = new FakeCar;
    level.SetPlayer(CPObjectPtr(car));
    level.SetWeaponPos({1, 2, 3}, &target);
    level.SetWeaponPos({4, 5, 6}, nullptr);
    ASSERT_EQ(car->aims.size(), 2u);
    EXPECT_EQ(car->aims[0].z, 3.0f);
    EXPECT_EQ(car->targets[0], &target);
    EXPECT_EQ(car->targets[1], nullptr);
}

TEST(LevelTest, RefusesObjectsOfTheWrongKind)
{
    LogCapture log;
    int deletions = 0;
    CPLevel level;
    auto* plain = new CountedPlainObject(&deletions);
    level.SetPlayer(CPObjectPtr(plain));
    EXPECT_EQ(level.GetPlayer(), nullptr);
    level.AddOpponent(CPObjectPtr(plain));
    level.AddOpponent(CPObjectPtr());
    EXPECT_TRUE(level.GetOpponents().empty());
    level.SetBranchRoot(CPObjectPtr(plain));
    EXPECT_FALSE(level.GetBranchRoot());
    delete plain;
    EXPECT_TRUE(log.Contains("CPLevel"));
}
