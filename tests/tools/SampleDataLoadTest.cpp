// The checked-in sample data is read by the game's own loaders: scenes,
// meshes and cars from the packs, the sky and clouds, the screens and
// fonts, the car descriptions and the game data files, without one
// complaint in the log.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DynamicSky/Skyscape.h"
#include "DynamicSky/VertexObject.h"
#include "Render/AnimationCache.h"
#include "Render/EffectLibrary.h"
#include "Render/EffectManager.h"
#include "Render/Material.h"
#include "Render/MaterialLibrary.h"
#include "Render/RenderObject.h"
#include "Render/PTexture.h"
#include "Render/TextureBlock.h"
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
#include "physics/PhysicData.h"
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

TEST(SampleDataLoad, ScenesOfTheLevelsAndTheirObjects)
{
    SampleWorld world;
    // The road and its walls come in pieces, so that the level draws the
    // ones its camera sees; the game culls and picks plain parts by their
    // part boxes, so each has one, and a piece of walls has many short ones
    // along the walls (one box around both walls would cover the road
    // between them). The day circuit is 3000 m long, the gloom circuit
    // 2200 m, in pieces of 15 sections of 8 m.
    const struct {
        const char* scene;
        int pieces;
    } levels[] = {{"level1.rdf", 25}, {"level2.rdf", 19}};
    for (const auto& expectedLevel : levels) {
        SCOPED_TRACE(expectedLevel.scene);
        CPGameObject* level = world.Load(expectedLevel.scene);
        ASSERT_NE(level, nullptr);
        std::vector<std::string> expected;
        for (int piece = 1; piece <= expectedLevel.pieces; ++piece) {
            const std::string number = (piece < 10 ? "0" : "") + std::to_string(piece);
            expected.push_back("road_" + number);
            expected.push_back("walls_" + number);
        }
        for (const char* name : {"start_post_left", "start_post_right", "start_banner"})
            expected.push_back(name);
        EXPECT_EQ(ChildNames(*level), expected);
        for (const CPObjectPtr& child : level->GetChildren()) {
            const CPGameObject& part = *child.As<CPGameObject>();
            if (part.GetName().rfind("walls_", 0) == 0)
                EXPECT_GE(part.GetPartBoxes().size(), 2u * 4u) << part.GetName();
            else
                EXPECT_EQ(part.GetPartBoxes().size(), 1u) << part.GetName();
        }
    }
    for (const char* scene : {"road_phys1.rdf", "road_phys2.rdf", "land.rdf", "checkpoint.rdf",
                              "arrow_blue.rdf", "bonus_remont.rdf"})
        EXPECT_NE(world.Load(scene), nullptr) << scene;
    // Every pick-up and barrier the race knows by a child of its tree.
    const struct {
        const char* scene;
        std::vector<std::string> children;
    } pickups[] = {
        {"bonus_fast.rdf", {"bonus_fast", "glow3"}},          {"bonus_slow.rdf", {"bonus_slow", "glow2"}},
        {"bonus_plus.rdf", {"bonus_plus", "glow4"}},          {"bonus_minus.rdf", {"bonus_minus", "glow6"}},
        {"barrier_sphera.rdf", {"barrier_sphera", "sphera"}}, {"barrier_vbii.rdf", {"barrier_vbii", "v_bii"}},
    };
    for (const auto& pickup : pickups) {
        CPGameObject* object = world.Load(pickup.scene);
        ASSERT_NE(object, nullptr) << pickup.scene;
        EXPECT_EQ(ChildNames(*object), pickup.children) << pickup.scene;
    }
    EXPECT_EQ(world.log.Text(), "");

    // A scene the data does not hold is shown by the stand-in.
    CPGameObject* missing = world.Load("no_such_object.rdf");
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->GetName(), "wrong");
}

// The texture of an object's own mesh; empty when it has none.
std::string TextureOf(const CPGameObject& object)
{
    CPObjectPtr material;
    if (const CPObject* mesh = object.GetRenderObject().Get())
        static_cast<const CPRenderObject*>(mesh)->GetMaterial(material);
    const auto* found = material.As<CPMaterial>();
    const CPTextureBlock* block = found ? found->GetTextureBlock() : nullptr;
    return block && block->GetTextureCount() > 0 ? block->GetTexture(0)->GetName() : std::string();
}

TEST(SampleDataLoad, CarsHaveABodyACabFourWheelsTwoGunsAndTheirDescription)
{
    // The player's own car belongs to the script object "jeep", the
    // opponent of grid slot N to "rivalN", which the start script makes
    // before any level loads; the demo's copy of the player's car to none.
    CPScriptObject jeep;
    std::array<CPScriptObject, 7> rivals;
    SampleWorld world;
    world.registry.Register("jeep", "", &jeep);
    for (std::size_t i = 0; i < rivals.size(); ++i)
        world.registry.Register("rival" + std::to_string(i + 1), "", &rivals[i]);
    std::vector<std::string> scenes = {"zil_130_.rdf", "zil_130__enemy.rdf"};
    for (const char* model : {"tvr", "viper"})
        for (int slot = 1; slot <= 7; ++slot)
            scenes.push_back(model + std::to_string(slot) + "_enemy.rdf");
    std::vector<std::string> colours;
    std::vector<float> topSpeeds;
    for (const std::string& scene : scenes) {
        SCOPED_TRACE(scene);
        CPGameObject* car = world.Load(scene);
        ASSERT_NE(car, nullptr);
        const CPObject* owner = nullptr;
        if (scene == "zil_130_.rdf")
            owner = &jeep;
        else if (scene != "zil_130__enemy.rdf")
            owner = &rivals[static_cast<std::size_t>(scene[scene.find('_') - 1] - '1')];
        EXPECT_EQ(car->GetOwnerObject().Get(), owner);
        EXPECT_EQ(car->GetName(), "body");
        EXPECT_EQ(ChildNames(*car),
                  (std::vector<std::string>{"cab", "mgun", "rlauncher", "w0", "w1", "w2", "w3"}));
        // Each gun with its four muzzle flashes, which the race finds by name.
        for (const char* gun : {"mgun", "rlauncher"}) {
            const CPObjectPtr weapon = car->FindObjectInTree(gun);
            ASSERT_NE(weapon.As<CPGameObject>(), nullptr) << gun;
            const std::string flare = std::string("flare_") + gun;
            EXPECT_EQ(ChildNames(*weapon.As<CPGameObject>()),
                      (std::vector<std::string>{flare, flare + "_01", flare + "_02", flare + "_03"}));
        }
        EXPECT_NE(car->GetPhysicData(), nullptr);
        EXPECT_NE(car->GetDescription().RootElement(), nullptr);
        CPCar handling(car);
        EXPECT_TRUE(handling.ReadDescription(false));
        if (scene.find("tvr") == 0) {
            colours.push_back(TextureOf(*car));
            topSpeeds.push_back(handling.GetMaxFrontSpeed());
        }
    }
    // The seven opponents of a race: each in its own colour, three models
    // and each car tuned apart, so no two have the same top speed and no
    // two drive the same laps.
    std::sort(colours.begin(), colours.end());
    EXPECT_EQ(std::unique(colours.begin(), colours.end()) - colours.begin(), 7)
        << ::testing::PrintToString(colours);
    std::sort(topSpeeds.begin(), topSpeeds.end());
    EXPECT_EQ(std::unique(topSpeeds.begin(), topSpeeds.end()) - topSpeeds.begin(), 7)
        << ::testing::PrintToString(topSpeeds);
    EXPECT_EQ(world.log.Text(), "");
}

TEST(SampleDataLoad, SkyWithItsSunCloudsAndLayers)
{
    SampleWorld world;
    world.device.BeginScene();
    for (const char* file : {"skyscape0.txt", "skyscape1.txt", "skyscape2.txt"}) {
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
        {"mainmenu", 4, {"panel", "start", "profile", "shop", "exit"}},
        {"profile", 10, {"panel", "slot1", "slot6", "new", "load", "delete", "back"}},
        {"shop", 4, {"panel", "prev", "next", "buy", "back"}},
        {"hud", 0, {"top_panel", "damage_bar", "nitro_bar"}},
        {"results", 2, {"panel", "continue", "menu"}},
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
    for (const char* mission : {"level1.mis", "level2.mis"}) {
        ASSERT_TRUE(world.gameData.LoadMissionInfo(mission, &sources)) << mission;
        EXPECT_EQ(world.gameData.checkpoints.size(), 4u) << mission;
    }
    // The shop sells the guns the cars carry, and the starting car has the
    // roof gun fitted.
    ASSERT_TRUE(world.gameData.LoadShop(CPGameData::kShopFile));
    for (const char* gun : {"mgun", "rlauncher"})
        EXPECT_NE(world.gameData.weapons.Find(gun), nullptr) << gun;
    EXPECT_EQ(world.gameData.mines.GetCount(), 1u);
    EXPECT_EQ(world.gameData.superWeapons.GetCount(), 1u);
    for (const auto* table : {&world.gameData.bumpers, &world.gameData.equipment, &world.gameData.armour})
        EXPECT_EQ(table->GetCount(), 1u);
    EXPECT_EQ(world.gameData.engines.GetCount(), 1u);
    EXPECT_TRUE(world.gameData.LoadPlayer());
    EXPECT_EQ(world.gameData.committedCarSettings.weapon1, "mgun");
    EXPECT_EQ(world.gameData.committedCarSettings.superWeaponCount, 1);
    EXPECT_TRUE(world.gameData.LoadDifficulty());
    ASSERT_TRUE(world.gameData.LoadScores());
    ASSERT_FALSE(world.gameData.bestTimes.empty());
    ASSERT_EQ(world.gameData.bestTimes[0].size(), 5u);
    EXPECT_EQ(world.gameData.bestTimes[0][0].name, "Ada");
    EXPECT_EQ(world.log.Text(), "");
}

} // namespace
