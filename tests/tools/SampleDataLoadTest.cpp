// The checked-in sample data is read by the game's own loaders: scenes,
// meshes and cars from the packs, the sky and clouds, the screens and
// fonts, the car descriptions and the game data files, without one
// complaint in the log.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DynamicSky/Skyscape.h"
#include "DynamicSky/VertexObject.h"
#include "Render/AnimationCache.h"
#include "Render/EffectLibrary.h"
#include "Render/EffectManager.h"
#include "Render/MaterialLibrary.h"
#include "Render/PRender.h"
#include "Render/RenderObjectLoader.h"
#include "Render/TextureLibrary.h"
#include "core/GameObject.h"
#include "core/GameSettings.h"
#include "core/ObjectRegistry.h"
#include "core/PackFile.h"
#include "core/Singletons.h"
#include "game/Car.h"
#include "game/GameData.h"
#include "game/EffectShot.h"
#include "game/ProjectileShot.h"
#include "Render/ParticleFile.h"
#include "game/ShotManager.h"
#include "game/WeaponKind.h"
#include "interface/FontFile.h"
#include "interface/Interface.h"
#include "interface/InterfaceManager.h"
#include "platform/FileSystem.h"
#include "platform/GraphicsDevice.h"
#include "support/ScratchFolder.h"
#include "SampleWorld.h"
#include "core/ScriptObject.h"

namespace {

std::vector<std::string> ChildNames(const CPGameObject& object)
{
    std::vector<std::string> names;
    for (const CPObjectPtr& child : object.GetChildren())
        names.push_back(child.As<CPGameObject>()->GetName());
    return names;
}

TEST(SampleDataLoad, ScenesOfTheLevelAndItsObjects)
{
    SampleWorld world;
    CPGameObject* level = world.Load("level1.rdf");
    ASSERT_NE(level, nullptr);
    // The road and its walls come in pieces, so that the level draws the
    // ones its camera sees; the game culls and picks plain parts by their
    // part boxes, so each has one.
    std::vector<std::string> expected;
    for (int piece = 1; piece <= 25; ++piece) {
        const std::string number = (piece < 10 ? "0" : "") + std::to_string(piece);
        expected.push_back("road_" + number);
        expected.push_back("walls_" + number);
    }
    for (const char* name : {"start_post_left", "start_post_right", "start_banner"})
        expected.push_back(name);
    EXPECT_EQ(ChildNames(*level), expected);
    for (const CPObjectPtr& child : level->GetChildren())
        EXPECT_EQ(child.As<CPGameObject>()->GetPartBoxes().size(), 1u) << child.As<CPGameObject>()->GetName();
    for (const char* scene :
         {"road_phys1.rdf", "land.rdf", "checkpoint.rdf", "arrow_blue.rdf", "bonus_remont.rdf"})
        EXPECT_NE(world.Load(scene), nullptr) << scene;
    CPGameObject* fast = world.Load("bonus_fast.rdf");
    ASSERT_NE(fast, nullptr);
    EXPECT_EQ(ChildNames(*fast), (std::vector<std::string>{"bonus_fast", "glow3"}));
    EXPECT_EQ(world.log.Text(), "");

    // A scene the data does not hold is shown by the stand-in.
    CPGameObject* missing = world.Load("no_such_object.rdf");
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->GetName(), "wrong");
}

TEST(SampleDataLoad, CarsHaveWheelsABodyAndTheirDescription)
{
    // The player's own car belongs to the script object "jeep", which the
    // start script makes before any level loads; the opponents to none.
    CPScriptObject jeep;
    SampleWorld world;
    world.registry.Register("jeep", "", &jeep);
    for (const char* scene : {"zil_130_.rdf", "zil_130__enemy.rdf", "tvr1_enemy.rdf", "tvr7_enemy.rdf"}) {
        SCOPED_TRACE(scene);
        CPGameObject* car = world.Load(scene);
        ASSERT_NE(car, nullptr);
        const bool players = std::string(scene) == "zil_130_.rdf";
        EXPECT_EQ(car->GetOwnerObject().Get(), players ? static_cast<CPObject*>(&jeep) : nullptr);
        EXPECT_EQ(car->GetName(), "body");
        EXPECT_EQ(ChildNames(*car), (std::vector<std::string>{"w0", "w1", "w2", "w3"}));
        EXPECT_NE(car->GetPhysicData(), nullptr);
        EXPECT_NE(car->GetDescription().RootElement(), nullptr);
        CPCar handling(car);
        EXPECT_TRUE(handling.ReadDescription(false));
    }
    EXPECT_EQ(world.log.Text(), "");
}

TEST(SampleDataLoad, SkyWithItsSunCloudsAndLayers)
{
    SampleWorld world;
    world.device.BeginScene();
    for (const char* file : {"skyscape0.txt", "skyscape1.txt"}) {
        SCOPED_TRACE(file);
        CPSkyscape sky;
        ASSERT_EQ(sky.Load(file), S_OK);
        EXPECT_EQ(sky.GetKeyframes().size(), 2u);
        EXPECT_EQ(sky.GetParts().size(), 1u);
        EXPECT_EQ(sky.GetLayers().size(), 1u);
    }
    EXPECT_EQ(world.log.Text(), "");
}

TEST(SampleDataLoad, ScreensAndFonts)
{
    SampleWorld world;
    ASSERT_TRUE(CPFontFile::Load(CPFontFile::kDefaultFile, world.fonts));
    const struct {
        const char* screen;
        std::size_t buttons;
        std::vector<std::string> windows;
    } screens[] = {
        {"mainmenu", 3, {"panel", "start", "profile", "exit"}},
        {"hud", 0, {"top_panel", "damage_bar", "nitro_bar"}},
        {"results", 1, {"panel", "continue"}},
    };
    for (const auto& expected : screens) {
        SCOPED_TRACE(expected.screen);
        CPInterface interface;
        EXPECT_TRUE(interface.Load(expected.screen, 0));
        EXPECT_EQ(interface.GetButtons().size(), expected.buttons);
        for (const std::string& window : expected.windows)
            EXPECT_NE(interface.FindWindow(window), nullptr) << window;
    }
    EXPECT_EQ(world.log.Text(), "");
}

TEST(SampleDataLoad, ShotKindsCoverEveryKindTheGameLaunches)
{
    SampleWorld world;
    CPShotManager shots;
    EXPECT_GT(shots.LoadKinds("Data\\Effects\\shots.txt"), 0);
    EXPECT_EQ(world.log.Text(), "");

    std::vector<std::string> launched;
    for (int kind = 0; kind <= static_cast<int>(CPWeaponKind::kNone); ++kind) {
        const std::string shot = ShotOfWeaponKind(static_cast<CPWeaponKind>(kind));
        if (!shot.empty())
            launched.push_back(shot);
    }
    // The enemies' shots, hits and gibs, the bonuses' sparks, the flame
    // thrower's flames and the super weapon of the scripts.
    for (const char* kind :
         {"trasser21", "trasser22", "trasser23", "srocket2", "plazma_shot2", "rocket_exp2", "blood1", "oil1",
          "gib1", "gib2", "sparks4", "sparks4red", "sparks4_remont", "sparks4_gloom", "flame", "super"})
        launched.push_back(kind);
    for (const std::string& kind : launched) {
        EXPECT_TRUE(shots.HasKind(kind)) << kind;
    }

    // What the projectiles launch where they hit is a kind too, and the
    // effects the effect shots ask for are particle prototypes.
    ASSERT_TRUE(CPParticleFile::Load(CPParticleFile::kDefaultFile, world.effectManager)) << world.log.Text();
    for (const std::string& kind : launched) {
        shots.Launch(kind, Vector3{0, 0, 100}, Vector3{0, 0, 1}, -1.0f, CPObjectPtr());
        for (CPShot* shot : shots.GetActiveShots()) {
            auto* projectile = dynamic_cast<CPProjectileShot*>(shot);
            if (projectile && !projectile->GetHitKind().empty()) {
                EXPECT_TRUE(shots.HasKind(projectile->GetHitKind())) << kind;
            }
            auto* effect = dynamic_cast<CPEffectShot*>(shot);
            if (effect && !effect->GetEffectName().empty()) {
                EXPECT_NE(world.effectManager.FindPrototype(effect->GetEffectName()), nullptr) << kind;
            }
        }
        shots.ClearActive();
    }
    EXPECT_EQ(world.log.Text(), "");
    shots.Clear();
}

TEST(SampleDataLoad, GameDataFiles)
{
    SampleWorld world;
    CPSourcePositions sources;
    sources["north"] = Vector3{1.0f, 2.0f, 0.0f};
    sources["south"] = Vector3{3.0f, 4.0f, 0.0f};
    ASSERT_TRUE(world.gameData.LoadMissionInfo("level1.mis", &sources));
    EXPECT_EQ(world.gameData.checkpoints.size(), 4u);
    EXPECT_TRUE(world.gameData.LoadPlayer());
    EXPECT_TRUE(world.gameData.LoadDifficulty());
    ASSERT_TRUE(world.gameData.LoadScores());
    ASSERT_FALSE(world.gameData.bestTimes.empty());
    ASSERT_EQ(world.gameData.bestTimes[0].size(), 5u);
    EXPECT_EQ(world.gameData.bestTimes[0][0].name, "Ada");
    EXPECT_EQ(world.log.Text(), "");
}

} // namespace
