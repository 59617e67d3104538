// A level's life as the scripts drive it, in the game host on the sample
// data: stopped, deleted and started again from inside a frame, over a
// level that has raced; and nothing the game keeps past the race (the
// bonus list, the copies the scripts make) outlives the level's objects.
// The sanitized run is what shows a use of a freed level here.
#include <algorithm>
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <lua.hpp>

#include "app/GameHost.h"
#include "core/GameObject.h"
#include "core/Kernel.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/RaceUpdater.h"
#include "platform/Dialog.h"
#include "platform/HeadlessInputDevice.h"
#include "platform/VectorMath.h"
#include "script/ScriptHost.h"
#include "support/SampleHost.h"

namespace {

// Where the sample's screens put their centred buttons on the 640 x 480
// screen.
constexpr float kButtonX = 320.0f;
constexpr float kMenuStartY = 180.0f;
// The results' Menu button (Continue, at x 186, goes on to the next circuit).
constexpr float kResultsMenuX = 476.0f;
constexpr float kResultsMenuY = 450.0f;

// A level's race runs while its updater is in the kernel.
bool RaceIsStepped(const CPKernel& kernel)
{
    for (const CPObjectPtr& task : kernel.GetTasks()) {
        const auto* listed = task.As<CPTask>();
        if (listed && listed->GetPriority() == kRaceUpdaterPriority && !listed->IsKilled())
            return true;
    }
    return false;
}

float Distance(const Vector3& a, const Vector3& b)
{
    return Length(Vector3{a.x - b.x, a.y - b.y, a.z - b.z});
}

class LevelLifecycle : public SampleHostTest {
  protected:
    void Start() { MakeHost(FrameOptions()); }
    // A left click on the screen, each step a couple of frames apart.
    void Click(float x, float y)
    {
        platform::HeadlessInputDevice* input = host->GetHeadlessInput();
        input->MoveMouseTo(x, y);
        Frames(2);
        input->SetButton(0, true);
        Frames(2);
        input->SetButton(0, false);
        Frames(2);
    }
    // The player's car moves on its own (the autopilot drives) for the frames.
    void ExpectThePlayerDrives(int frames)
    {
        CPLevel* level = GetCurrentLevel();
        ASSERT_NE(level, nullptr);
        ASSERT_NE(level->GetPlayer(), nullptr);
        const Vector3 before = level->GetPlayer()->GetPosition();
        Frames(frames);
        ASSERT_EQ(GetCurrentLevel(), level);
        EXPECT_TRUE(RaceIsStepped(host->GetKernel()));
        EXPECT_GT(Distance(level->GetPlayer()->GetPosition(), before), 1.0f);
    }
    void* GlobalPointer(const char* name)
    {
        lua_State* L = host->GetScriptHost().GetState();
        lua_getglobal(L, name);
        void* pointer = lua_touserdata(L, -1);
        lua_pop(L, 1);
        return pointer;
    }
    double GlobalNumber(const char* name)
    {
        lua_State* L = host->GetScriptHost().GetState();
        lua_getglobal(L, name);
        const double value = lua_tonumber(L, -1);
        lua_pop(L, 1);
        return value;
    }
};

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

} // namespace

// The sample game as a player has it: a race, its results, Menu back to
// the menu (the results screen's script stops and deletes the level from
// its button's command), a second race, and the game closed while that
// one runs.
TEST_F(LevelLifecycle, MenuOnTheResultsLeadsBackToTheMenuAndToASecondRace)
{
    Start();
    testing::internal::CaptureStdout();
    Click(kButtonX, kMenuStartY);
    ExpectThePlayerDrives(120);

    GetObjectRegistry()->SendCommandByName("jeep", "game_over", "");
    Frames(3);
    Click(kResultsMenuX, kResultsMenuY);
    EXPECT_EQ(GetCurrentLevel(), nullptr);
    EXPECT_FALSE(RaceIsStepped(host->GetKernel()));
    // The menu runs on without a level; the physics world steps what is left.
    Frames(30);

    Click(kButtonX, kMenuStartY);
    ExpectThePlayerDrives(120);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(Count(out, "script: race on level1"), 2u) << out;
    EXPECT_EQ(Count(out, "script: race over"), 1u) << out;
    host.reset();
}

// Each way a script changes the level, run by a script object inside a
// frame, a second into a race the autopilot drives.
TEST_F(LevelLifecycle, AScriptObjectChangesTheLevelInTheMiddleOfARace)
{
    const struct {
        const char* change;
        bool levelAfter;
    } cases[] = {
        {"StopLevel(); DeleteLevel()", false},
        {"DeleteLevel()", false},
        {"StopLevel(); DeleteLevel(); DeleteLevel(); StopLevel()", false},
        {"InitLevel('level1', false); StartLevel()", true},
        {"StopLevel(); DeleteLevel(); InitLevel('level1', false); StartLevel()", true},
        {"StopLevel(); InitLevel('level1', false); StartLevel()", true},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.change);
        data.Write("Data/Scripts/main.lua", std::string("SetLevelTransportCount(2)\n"
                                                        "InitLevel('level1', false)\n"
                                                        "StartLevel()\n"
                                                        "frame = 0\n"
                                                        "CreateScriptObject('changer', '', function(self)\n"
                                                        "  frame = frame + 1\n"
                                                        "  if frame == 60 then ") +
                                                entry.change +
                                                " end\n"
                                                "end)\n");
        Start();
        CPLevel* first = GetCurrentLevel();
        ASSERT_NE(first, nullptr);
        Frames(60);
        if (entry.levelAfter) {
            EXPECT_NE(GetCurrentLevel(), nullptr);
            EXPECT_NE(GetCurrentLevel(), first);
            ExpectThePlayerDrives(60);
        } else {
            EXPECT_EQ(GetCurrentLevel(), nullptr);
            EXPECT_FALSE(RaceIsStepped(host->GetKernel()));
            Frames(30);
        }
        host.reset();
        platform::ClearPostedQuit();
    }
}

// The bonus list holds the race's objects; the level's delete empties it,
// so nothing later lets go of a freed object: not ClearBonuses, not
// ClearGameData, not closing the game. A copy made with Clone during the
// race is the level's and goes with it; one made without a level is the
// script state's.
TEST_F(LevelLifecycle, TheBonusListAndTheRacesCopiesGoWithTheLevel)
{
    const char* const afterwards[] = {"ClearBonuses()", "ClearGameData()", ""};
    for (const char* after : afterwards) {
        SCOPED_TRACE(after);
        data.Write("Data/Scripts/main.lua",
                   std::string("frame = 0\n"
                               "-- The player's car names this object as its script.\n"
                               "CreateScriptObject('jeep', '', function(self)\n"
                               "  while SetNextCommand(self) do\n"
                               "    if GetCurrentCommand(self) == 'add_object' then\n"
                               "      car = StringToPointer(GetCurrentParams(self))\n"
                               "    end\n"
                               "  end\n"
                               "end)\n"
                               "SetLevelTransportCount(2)\n"
                               "InitLevel('level1', false)\n"
                               "StartLevel()\n"
                               "CreateScriptObject('changer', '', function(self)\n"
                               "  frame = frame + 1\n"
                               "  if frame == 30 then\n"
                               "    copy = Clone(car)\n"
                               "    AddBonus(car, 1); AddBonus(copy, 2)\n"
                               "    before = GetBonusesCount()\n"
                               "  elseif frame == 31 then\n"
                               "    StopLevel(); DeleteLevel()\n"
                               "  elseif frame == 33 then\n"
                               "    after = GetBonusesCount()\n"
                               "    ") +
                       after +
                       "\n"
                       "    menuCopy = Clone(car)\n"
                       "  end\n"
                       "end)\n");
        Start();
        Frames(40);
        ASSERT_NE(GlobalPointer("car"), nullptr);
        EXPECT_EQ(GlobalNumber("before"), 2.0);
        EXPECT_EQ(GlobalNumber("after"), 0.0);
        EXPECT_EQ(GetGameData()->bonuses.size(), 0u);
        void* copy = GlobalPointer("copy");
        ASSERT_NE(copy, nullptr);
        EXPECT_FALSE(IsLiveObject(copy)) << "the race's copy went with the level";
        // The car is gone too, so there is nothing to copy in the menu.
        EXPECT_EQ(GlobalPointer("menuCopy"), nullptr);
        host.reset();
        platform::ClearPostedQuit();
    }
}

// Copies made while no level runs belong to the script state, which
// deletes them when the game closes.
TEST_F(LevelLifecycle, ACopyMadeInTheMenuIsTheScriptStates)
{
    data.Write("Data/Scripts/main.lua", "rock = LoadRenderObject('checkpoint.rdf', 0)\n"
                                        "copy = Clone(rock)\n");
    Start();
    void* copy = GlobalPointer("copy");
    ASSERT_NE(copy, nullptr);
    const auto& trees = host->GetScriptHost().GetAdoptedTrees();
    EXPECT_NE(std::find(trees.begin(), trees.end(), static_cast<CPGameObject*>(copy)), trees.end());
    Frames(2);
    host.reset();
    EXPECT_FALSE(IsLiveObject(copy));
}
