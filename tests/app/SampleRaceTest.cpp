// The sample circuit raced in the game host: every frame draws the level's
// scenery, the terrain and the sky, and the cars when they are submitted
// the way the game's scripts submit them.
#include <string>

#include <gtest/gtest.h>

#include "Render/PRender.h"
#include "app/GameHost.h"
#include "core/GameObject.h"
#include "core/ObjectHandle.h"
#include "game/Level.h"
#include "platform/GraphicsDevice.h"
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

    // Draws of one more frame.
    std::size_t FrameDraws()
    {
        host->Run();
        return host->GetDevice().GetLastFrameDraws().size();
    }

    std::unique_ptr<GameHost> host;
};

// A script object that hands the car to the frame's scene every frame.
std::string DrawEveryFrame(const CPGameObject* car, int number)
{
    return "local car = StringToPointer(\"" + FormatObjectHandle(car) + "\")\n" +
           "CreateScriptObject(\"draw_car" + std::to_string(number) +
           "\", \"test\", function(self) DrawDynamicObject(car) end)\n";
}

TEST_F(SampleRace, TheLevelTheSkyAndTheSubmittedCarsAreDrawn)
{
    const std::size_t empty = FrameDraws();
    EXPECT_EQ(empty, 0u);

    ASSERT_TRUE(host->StartLevel("level1"));
    CPLevel* level = host->GetLevel();
    ASSERT_NE(level->GetPlayer(), nullptr);
    ASSERT_EQ(level->GetOpponents().size(), 7u);
    ASSERT_NE(GetRender()->GetSky(), nullptr);
    const std::size_t scenery = FrameDraws();
    // Road and wall pieces near the start, the start posts and banner, the
    // terrain and the sky.
    EXPECT_GE(scenery, 8u);

    int number = 0;
    std::string script = DrawEveryFrame(level->GetPlayer(), number++);
    for (const CPGameObject* opponent : level->GetOpponents())
        script += DrawEveryFrame(opponent, number++);
    ASSERT_TRUE(host->GetScriptHost().RunText(script, "draw cars"));
    const std::size_t withCars = FrameDraws();
    EXPECT_GT(withCars, scenery);

    // The same frame without the sky.
    GetRender()->SetSkyFactory(nullptr);
    GetRender()->LoadSkyscape(level->levelNumber);
    ASSERT_EQ(GetRender()->GetSky(), nullptr);
    EXPECT_LT(FrameDraws(), withCars);
}

} // namespace
