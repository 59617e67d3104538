// The sample circuit raced in the game host: the player and seven driven
// opponents stand on it, and every frame draws the level's scenery, the
// terrain and the sky; the cars and the heads-up display when they are
// handed to the frame the way the game's scripts do, the texts in the font
// loaded at start-up; and the particles of the shots.
#include <string>

#include <gtest/gtest.h>
#include <lua.hpp>

#include "Render/PRender.h"
#include "app/GameHost.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "core/GameObject.h"
#include "core/ObjectHandle.h"
#include "core/Singletons.h"
#include "game/AIManager.h"
#include "game/AIVehicle.h"
#include "game/GameData.h"
#include "game/Level.h"
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

// A script object that hands the car to the frame's scene every frame.
std::string DrawEveryFrame(const CPGameObject* car, int number)
{
    return "local car = StringToPointer(\"" + FormatObjectHandle(car) + "\")\n" +
           "CreateScriptObject(\"draw_car" + std::to_string(number) +
           "\", \"test\", function(self) DrawDynamicObject(car) end)\n";
}

TEST_F(SampleRace, SevenDrivenOpponentsAndEverythingOfTheRaceIsDrawn)
{
    // The start script shows the main menu before any level is loaded:
    // the draws of the race are counted over it.
    const std::size_t menu = FrameDraws();
    EXPECT_GT(menu, 0u);

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

    int number = 0;
    std::string script = DrawEveryFrame(level->GetPlayer(), number++);
    for (const CPGameObject* opponent : level->GetOpponents())
        script += DrawEveryFrame(opponent, number++);
    ASSERT_TRUE(host->GetScriptHost().RunText(script, "draw cars"));
    const Frame withCars = NextFrame();
    EXPECT_GT(withCars.draws, scenery);

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

} // namespace
