// The sample circuit raced in the game host: the player and seven driven
// opponents stand on it, and every frame draws the level's scenery, the
// terrain, the sky and the opponents in view; the heads-up display when it
// is handed to the frame the way the game's scripts do, the texts in the
// font loaded at start-up; and the particles of the shots.
#include <algorithm>
#include <cmath>
#include <string>

#include <gtest/gtest.h>
#include <lua.hpp>

#include "Render/PRender.h"
#include "Render/PerspectiveCamera.h"
#include "app/GameHost.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "platform/HeadlessInputDevice.h"
#include "core/GameObject.h"
#include "core/Singletons.h"
#include "game/AIManager.h"
#include "game/AIVehicle.h"
#include "game/Camera.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/RaceFrame.h"
#include "game/ShotManager.h"
#include "interface/Interface.h"
#include "interface/InterfaceManager.h"
#include "platform/GraphicsDevice.h"
#include "platform/VectorMath.h"
#include "script/ScriptHost.h"
#include "support/ScratchFolder.h"

namespace {

class SampleRace : public ::testing::Test {
  protected:
    SampleRace()
    {
        GameHost::Options options;
        options.frames = 1;
        options.dataRoot = std::string(RS_SOURCE_DIR) + "/data/sample";
        host = std::make_unique<GameHost>(options);
    }

    struct Frame {
        std::size_t draws = 0;
        std::size_t triangles = 0;
    };

    // Draws and triangles of one more frame. Screens are drawn in batches,
    // so a screen joining a frame may add triangles without adding draws.
    Frame NextFrame()
    {
        host->Run();
        Frame frame;
        for (const auto& draw : host->GetHeadlessDevice()->GetLastFrameDraws()) {
            ++frame.draws;
            frame.triangles += draw.primitiveCount;
        }
        return frame;
    }

    std::size_t FrameDraws() { return NextFrame().draws; }

    std::unique_ptr<GameHost> host;
};

// The meshes of an object's tree.
// The meshes of the object's tree that are shown: a car shows its selected
// gun, not the others, and a muzzle flash only as it fires.
std::size_t MeshCount(const CPGameObject& object)
{
    if (!object.IsVisible())
        return 0;
    std::size_t count =
        object.GetRenderKind() == CPGameObject::kMeshObject && object.GetRenderObject() ? 1 : 0;
    for (const CPObjectPtr& child : object.GetChildren())
        if (const auto* part = child.As<CPGameObject>())
            count += MeshCount(*part);
    return count;
}

TEST_F(SampleRace, SevenDrivenOpponentsAndEverythingOfTheRaceIsDrawn)
{
    // The start script shows the main menu before any level is loaded:
    // the draws of the race are counted over it.
    const std::size_t menu = FrameDraws();
    EXPECT_GT(menu, 0u);
    // Its labels are the text table's, which the host read at start-up.
    EXPECT_EQ(GetGameData()->GetText("menu_start"), "Start");

    // Opponents after the fifth drive with the traffic drivers, as many as
    // the scripts ask for (SetLevelTransportCount).
    GetGameData()->transportCount = 2;
    ASSERT_TRUE(host->StartLevel("level1"));
    CPLevel* level = host->GetLevel();
    ASSERT_NE(level->GetPlayer(), nullptr);
    ASSERT_EQ(level->GetOpponents().size(), 7u);
    CPAIManager* ai = GetAIManager();
    ASSERT_EQ(ai->GetTraffic().size(), 2u);
    for (std::size_t i = 0; i < 7; ++i) {
        const AI_Vehicle* driver = i < 5 ? ai->GetOpponent(i) : ai->GetTraffic()[i - 5];
        ASSERT_NE(driver, nullptr) << i;
        EXPECT_NE(driver->pathLine, nullptr) << i;
        EXPECT_NE(driver->leftLine, nullptr) << i;
        EXPECT_NE(driver->rightLine, nullptr) << i;
    }
    ASSERT_NE(GetRender()->GetSky(), nullptr);
    const std::size_t scenery = FrameDraws();
    // Road and wall pieces near the start, the start posts and banner, the
    // terrain and the sky.
    EXPECT_GE(scenery, menu + 8u);

    // The level draws each opponent the game camera can see, and none
    // behind it; the player's car is its script's to draw.
    CPPerspectiveCamera* view = level->GetCamera().As<CPCamera>()->GetMainCamera();
    ASSERT_NE(view, nullptr);
    const Vector3 eye = view->Eye();
    const Vector3 forward = Normalize(view->Target() - eye);
    auto lineUp = [&](float distance) {
        float along = distance;
        for (CPGameObject* opponent : level->GetOpponents()) {
            opponent->SetPosition(eye + forward * along);
            along += 8.0f;
        }
    };
    // The cars' shadows are drawn with them; here only the cars are
    // counted.
    for (CPGameObject* opponent : level->GetOpponents())
        if (auto* shadow = static_cast<CPPlayer*>(opponent)->shadow.As<CPGameObject>())
            shadow->SetVisible(false);
    lineUp(-300.0f);
    const std::size_t noneInView = FrameDraws();
    lineUp(30.0f);
    const Frame withCars = NextFrame();
    // One draw per mesh of each car.
    std::size_t meshes = 0;
    for (const CPGameObject* opponent : level->GetOpponents())
        meshes += MeshCount(*opponent);
    EXPECT_GE(meshes, 7u);
    EXPECT_EQ(withCars.draws, noneInView + meshes);

    // The heads-up display, shown and handed to the frame as the game's
    // scripts do; its texts are laid out in the font the host loaded at
    // start-up.
    ASSERT_GT(GetInterfaceManager()->GetFontCount(), 0u);
    ASSERT_TRUE(host->GetScriptHost().RunText("test_hud = CreateInterface(\"hud\", 0)\n"
                                              "ActivateInterface(test_hud)\n"
                                              "SetText(test_hud, \"place\", \"1st\")\n"
                                              "CreateScriptObject(\"draw_hud\", \"test\", "
                                              "function(self) UpdateInterface(test_hud) end)\n",
                                              "draw hud"));
    lua_State* L = host->GetScriptHost().GetState();
    lua_getglobal(L, "test_hud");
    auto* hud = static_cast<CPInterface*>(static_cast<CPObject*>(lua_touserdata(L, -1)));
    lua_pop(L, 1);
    ASSERT_NE(hud, nullptr);
    const Frame withHud = NextFrame();
    EXPECT_GE(withHud.draws, withCars.draws);
    EXPECT_GT(withHud.triangles, withCars.triangles);
    // Each glyph of "1st" is a quad of two triangles.
    ASSERT_TRUE(host->GetScriptHost().RunText("SetText(test_hud, \"place\", \"\")", "no text"));
    EXPECT_EQ(withHud.triangles - NextFrame().triangles, 3u * 2u);

    // Sparks of a bonus over the player's car: the shot asks for its
    // particles, which join the frame.
    const std::size_t beforeSparks = FrameDraws();
    GetWeaponManager()->Launch("sparks4", level->GetPlayer()->GetPosition() + Vector3{0.0f, 0.0f, 1.5f},
                               Vector3{0.0f, 0.0f, 1.0f}, -1.0f, CPObjectPtr());
    const std::size_t withSparks = FrameDraws();
    EXPECT_GT(withSparks, beforeSparks);

    // The same frame without the sky.
    GetRender()->SetSkyFactory(nullptr);
    GetRender()->LoadSkyscape(level->levelNumber);
    ASSERT_EQ(GetRender()->GetSky(), nullptr);
    EXPECT_LT(FrameDraws(), withSparks);

    // The script host owns the screens the scripts create and deletes them
    // when it closes; the test only lets go of its name for it.
    ASSERT_TRUE(host->GetScriptHost().RunText("DeactivateInterface(test_hud)\ntest_hud = nil", "hud gone"));
    FrameDraws();
}

// Without the computer driver, the arrow keys that the sample's
// Actions.cfg binds drive the player's car: ahead on Up, to the right on
// Right, and nothing once they are let go.
TEST_F(SampleRace, TheArrowKeysDriveThePlayersCar)
{
    constexpr int kUp = 0xC8;
    constexpr int kRight = 0xCD;
    ASSERT_TRUE(host->StartLevel("level1"));
    // As the sample's scripts do when they start the race.
    ASSERT_TRUE(host->GetScriptHost().RunText("SetActions(true)", "keys on"));
    auto* player = dynamic_cast<CPPlayer*>(host->GetLevel()->GetPlayer());
    ASSERT_NE(player, nullptr);
    platform::HeadlessInputDevice* keys = host->GetHeadlessInput();
    ASSERT_NE(keys, nullptr);
    auto heading = [&] {
        const Vector3 forward = race::Forward(*player);
        return std::atan2(forward.y, forward.x);
    };
    for (int frame = 0; frame < 30; ++frame)
        host->Run();
    const Vector3 start = player->GetPosition();
    const float startHeading = heading();

    keys->SetKey(kUp, true);
    for (int frame = 0; frame < 120; ++frame)
        host->Run();
    EXPECT_EQ(player->GetThrottle(), 1.0f);
    EXPECT_GT(Dot(player->GetPosition() - start, race::Forward(*player)), 5.0f);
    EXPECT_NEAR(heading(), startHeading, 0.05f);

    // Seen from above with z up, turning right turns clockwise. The car
    // starts in the right lane, a few metres from the wall, which may
    // straighten it again before the second is out: its furthest turn
    // counts.
    keys->SetKey(kRight, true);
    float turned = 0.0f;
    for (int frame = 0; frame < 60; ++frame) {
        host->Run();
        turned = std::min(turned, std::remainder(heading() - startHeading, 6.2831853f));
    }
    EXPECT_GT(player->GetSteering(), 0.0f);
    EXPECT_LT(turned, -0.1f);

    keys->ReleaseAll();
    host->Run();
    EXPECT_EQ(player->GetThrottle(), 0.0f);
    EXPECT_EQ(player->GetSteering(), 0.0f);
}

} // namespace
