// The race on the sample circuit as the real game plays it: the level's own
// gates, speed zone and bonuses loaded from their scene files, the traffic
// switch, the respawns of the start, the reverse gear, the heads-up
// display's place and the lap times of the results screen.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <lua.hpp>

#include "app/GameHost.h"
#include "app/RaceWatch.h"
#include "core/GameObject.h"
#include "core/Singletons.h"
#include "game/AIManager.h"
#include "game/AIVehicle.h"
#include "game/BonusEntry.h"
#include "game/Car.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/Spline.h"
#include "platform/Dialog.h"
#include "platform/HeadlessInputDevice.h"
#include "platform/VectorMath.h"
#include "script/ScriptHost.h"
#include "support/ScratchFolder.h"

namespace {

const std::string kSample = std::string(RS_SOURCE_DIR) + "/data/sample";

// Counts what the sample's scripts read from their command queues, and the
// texts they give the heads-up display and the results screen.
const char* const kListener =
    "test_commands = {}\n"
    "test_params = {}\n"
    "test_texts = {}\n"
    "local getCommand = GetCurrentCommand\n"
    "GetCurrentCommand = function(self)\n"
    "  local command = getCommand(self)\n"
    "  test_commands[command] = (test_commands[command] or 0) + 1\n"
    "  test_last = command\n"
    "  return command\n"
    "end\n"
    "local getParams = GetCurrentParams\n"
    "GetCurrentParams = function(self)\n"
    "  local params = { getParams(self) }\n"
    "  test_params[test_last .. ':' .. table.concat(params, ',')] = true\n"
    "  return getParams(self)\n"
    "end\n"
    "local setText = SetText\n"
    "SetText = function(screen, name, text)\n"
    "  test_texts[name] = text\n"
    "  if name == 'place' and text ~= '' and not test_place_frame then\n"
    "    test_place_frame = test_frame\n"
    "  end\n"
    "  return setText(screen, name, text)\n"
    "end\n"
    "test_frame = 0\n"
    "CreateScriptObject('test_frames', '', function(self) test_frame = test_frame + 1 end)\n";

class RaceTrack : public ::testing::Test {
  protected:
    // A copy of the sample data, without saved profiles: the race saves one.
    void SetUp() override { CopyData(); }
    void TearDown() override
    {
        host.reset();
        platform::ClearPostedQuit();
    }

    // The host on the sample data, the level not yet started.
    void MakeHost(int frames, bool autopilot = false, bool input = false, unsigned seed = 1)
    {
        GameHost::Options options;
        options.frames = frames;
        options.dataRoot = data.GetPath();
        options.seed = seed;
        options.autopilot = autopilot;
        if (input) {
            std::string error;
            ASSERT_TRUE(options.input.Load(std::string(RS_SOURCE_DIR) + "/scripts/sample-race.input", error))
                << error;
        }
        host = std::make_unique<GameHost>(options);
        ASSERT_TRUE(host->GetScriptHost().RunText(kListener, "listener"));
    }

    // level1 started by the host, with the race's clocks running as the
    // sample's scripts run them.
    CPLevel* StartLevel1()
    {
        if (!host->StartLevel("level1"))
            return nullptr;
        CPLevel* level = host->GetLevel();
        level->race.raceRunning = true;
        GetGameData()->levelStarted = true;
        return level;
    }

    int Commands(const char* name)
    {
        lua_State* L = host->GetScriptHost().GetState();
        lua_getglobal(L, "test_commands");
        lua_getfield(L, -1, name);
        const int count = static_cast<int>(lua_tonumber(L, -1));
        lua_pop(L, 2);
        return count;
    }

    bool SawParams(const std::string& key)
    {
        lua_State* L = host->GetScriptHost().GetState();
        lua_getglobal(L, "test_params");
        lua_getfield(L, -1, key.c_str());
        const bool seen = lua_toboolean(L, -1) != 0;
        lua_pop(L, 2);
        return seen;
    }

    std::string Text(const char* name)
    {
        lua_State* L = host->GetScriptHost().GetState();
        lua_getglobal(L, "test_texts");
        lua_getfield(L, -1, name);
        const char* text = lua_tostring(L, -1);
        std::string result = text ? text : "";
        lua_pop(L, 2);
        return result;
    }

    double Global(const char* name)
    {
        lua_State* L = host->GetScriptHost().GetState();
        lua_getglobal(L, name);
        const double value = lua_isnumber(L, -1) ? lua_tonumber(L, -1) : -1.0;
        lua_pop(L, 1);
        return value;
    }

    // Puts the car at the point, its boxes with it.
    static void Park(CPPlayer& car, const Vector3& point)
    {
        car.SetPosition(point);
        car.UpdateBounds();
    }

    ScratchFolder data;
    std::unique_ptr<GameHost> host;

  private:
    void CopyData();
};

void RaceTrack::CopyData()
{
    namespace fs = std::filesystem;
    fs::copy(kSample, data.GetPath(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(fs::path(data.GetPath()) / "Data" / "Saves", ignored))
        if (entry.path().extension() == ".sav")
            fs::remove(entry.path(), ignored);
}

CPGameObject* SceneObjectNamed(CPLevel& level, const std::string& name)
{
    for (const CPObjectPtr& object : level.firstObjects)
        if (auto* scene = object.As<CPGameObject>(); scene && scene->GetName() == name)
            return scene;
    return nullptr;
}

} // namespace

// The level's own gates, loaded from checkpoint.rdf, count the car that
// stands in them; the speed zone of arrow_blue.rdf fills its boost; the
// repair box of bonus_remont.rdf, lying under the car, is picked up.
TEST_F(RaceTrack, TheLevelsOwnGatesZoneAndBonusesTakeTheCarInThem)
{
    MakeHost(0);
    CPLevel* level = StartLevel1();
    ASSERT_NE(level, nullptr);
    auto* player = dynamic_cast<CPPlayer*>(level->GetPlayer());
    ASSERT_NE(player, nullptr);
    ASSERT_EQ(level->checkpoints.size(), 4u);

    // Every gate in turn, in the order of the track: the first sends
    // "checkpoint!,0", the others "checkpoint!,1" with the time left.
    for (std::size_t i = 0; i < level->checkpoints.size(); ++i) {
        const auto* gate = level->checkpoints[i].object.As<CPGameObject>();
        ASSERT_NE(gate, nullptr);
        Park(*player, gate->GetPosition() + Vector3{0.0f, 0.0f, 1.5f});
        host->RunFrame();
        host->RunFrame();
        EXPECT_EQ(level->race.lastCheckpoint, static_cast<std::int32_t>(i)) << "gate " << i;
    }
    EXPECT_EQ(Commands("checkpoint"), 4);
    EXPECT_TRUE(SawParams("checkpoint:checkpoint!,0"));
    EXPECT_TRUE(SawParams("checkpoint:checkpoint!,1"));
    EXPECT_EQ(Commands("bonus_points"), 3);

    // The speed zone.
    ASSERT_EQ(level->speedZones.size(), 1u);
    const auto* zone = level->speedZones.front().As<CPGameObject>();
    ASSERT_NE(zone, nullptr);
    player->GetCar()->SetNitroStock(0.0f);
    Park(*player, zone->GetPosition() + Vector3{0.0f, 0.0f, 0.8f});
    host->RunFrame();
    EXPECT_EQ(player->GetCar()->GetNitroStock(), 100.0f);

    // The repair box as the scripts hand it to the race.
    CPGameObject* repair = SceneObjectNamed(*level, "bonus_remont");
    ASSERT_NE(repair, nullptr);
    GetGameData()->bonuses.push_back(CPBonusEntry(CPObjectPtr(repair), 1));
    player->damage = 50.0f;
    // Let down onto the road over it, the car settles on its wheels.
    Park(*player, repair->GetPosition() + Vector3{0.0f, 0.0f, 0.3f});
    for (int frame = 0; frame < 60; ++frame)
        host->RunFrame();
    EXPECT_TRUE(GetGameData()->bonuses.empty());
    EXPECT_EQ(player->damage, 30.0f);
    EXPECT_TRUE(SawParams("update_bonus_list:repair"));
}

// The sample game raced from the menu by the recorded input: on the way the
// race tells the scripts of its checkpoints, of their bonus time and of a
// bonus picked up on the road; the display shows the place while the race
// runs; and the results screen shows the lap times the table prints.
TEST_F(RaceTrack, TheRecordedRaceSendsCheckpointsBonusesAndPlacesWithOneClock)
{
    MakeHost(-1, true, true, 5);
    testing::internal::CaptureStdout();
    host->Run();
    testing::internal::GetCapturedStdout();
    const RaceWatch& watch = host->GetRaceWatch();
    ASSERT_TRUE(watch.IsOver());

    EXPECT_GE(Commands("checkpoint"), 4);
    EXPECT_GE(Commands("bonus_points"), 3);
    EXPECT_TRUE(SawParams("update_bonus_list:repair"));
    // Every gate grants the time to reach the next one.
    EXPECT_FALSE(SawParams("checkpoint:timeout!,1"));

    // The place is shown from the first frames of the race on, long before
    // the finish names one.
    EXPECT_GT(Global("test_place_frame"), 0.0);
    EXPECT_LT(Global("test_place_frame"), 60.0 * 60.0);

    const RaceWatch::Car& player = watch.GetCars()[0];
    ASSERT_EQ(player.laps.size(), 3u);
    // The results show the laps finished when the race was decided (when
    // three opponents take the prizes first, the player's last lap is still
    // under way and shows no time), each as the table times it.
    std::size_t shown = 0;
    while (shown < player.laps.size() && !Text(("time" + std::to_string(shown + 1)).c_str()).empty())
        ++shown;
    EXPECT_GE(shown, 2u);
    for (std::size_t lap = 0; lap < shown; ++lap) {
        const std::string slot = "time" + std::to_string(lap + 1);
        EXPECT_EQ(Text(slot.c_str()), RaceWatch::FormatTime(player.laps[lap])) << slot;
    }
}

// The traffic count reaches the AI manager, so that the end of the gloom
// lets the traffic go; without traffic it stays switched off. The "min" and
// "max" of a car's description reach its driver and stay there.
TEST_F(RaceTrack, TheTrafficCountReachesTheDriversAndTheRangesStay)
{
    MakeHost(0);
    struct Case {
        std::int32_t traffic;
        bool on;
    } cases[] = {{2, true}, {0, false}};
    for (const Case& c : cases) {
        GetGameData()->transportCount = c.traffic;
        CPLevel* level = StartLevel1();
        ASSERT_NE(level, nullptr);
        CPAIManager* ai = GetAIManager();
        EXPECT_EQ(ai->GetTrafficCount(), c.traffic);
        EXPECT_EQ(ai->IsTrafficOn(), c.on) << c.traffic;
        level->HoldTraffic();
        ai->SetTrafficOn(false);
        level->ReleaseTraffic();
        EXPECT_EQ(ai->IsTrafficOn(), c.on) << c.traffic;
    }

    for (int frame = 0; frame < 3; ++frame)
        host->RunFrame();
    // tvr.xml: <camera ... min="10" max="30" />
    for (std::size_t i = 0; i < CPAIManager::kOpponentCount; ++i) {
        const AI_Vehicle* driver = GetAIManager()->GetOpponent(i);
        ASSERT_NE(driver, nullptr);
        EXPECT_EQ(driver->rangeMin, 10) << i;
        EXPECT_EQ(driver->rangeMax, 30) << i;
    }
}

// The opponents stand 2.0 above their starts and drop onto the road: none
// of them counts as falling and goes back onto the track. Cars that respawn
// in one frame from one spot land on points apart.
TEST_F(RaceTrack, TheStartsDropIsNoFallAndRespawnsLandApart)
{
    MakeHost(0);
    GetGameData()->transportCount = 2;
    CPLevel* level = StartLevel1();
    ASSERT_NE(level, nullptr);
    std::vector<CPPlayer*> cars;
    for (CPGameObject* opponent : level->GetOpponents())
        cars.push_back(dynamic_cast<CPPlayer*>(opponent));
    ASSERT_EQ(cars.size(), 7u);
    std::vector<float> cooldown;
    for (const CPPlayer* car : cars)
        cooldown.push_back(car->respawnCooldown);
    for (int frame = 0; frame < 120; ++frame) {
        host->RunFrame();
        for (std::size_t i = 0; i < cars.size(); ++i) {
            EXPECT_FALSE(cars[i]->respawnCooldown > cooldown[i] + 1e-6f)
                << cars[i]->modelName << " respawned at frame " << frame;
            cooldown[i] = cars[i]->respawnCooldown;
        }
    }

    // All seven crash on one spot of the road and respawn in the same frame.
    const Vector3 crash = level->trackPoints[40]->centre + Vector3{0.0f, 0.0f, 0.6f};
    for (CPPlayer* car : cars) {
        car->SetPosition(crash);
        car->UpdateBounds();
        car->respawnCooldown = 0.0f;
    }
    for (CPPlayer* car : cars)
        ASSERT_TRUE(car->Spawn(true)) << car->modelName;
    for (std::size_t i = 0; i < cars.size(); ++i)
        for (std::size_t j = i + 1; j < cars.size(); ++j) {
            const Vector3 d = cars[i]->GetPosition() - cars[j]->GetPosition();
            EXPECT_GT(std::sqrt(d.x * d.x + d.y * d.y), 4.0f) << i << " and " << j;
        }
}

// Backing up with the throttle held keeps to the car's rear limit
// (max_rear_speed 13 m/s of the player's saloon in the sample).
TEST_F(RaceTrack, ReversingKeepsToTheRearLimit)
{
    MakeHost(0);
    CPLevel* level = StartLevel1();
    ASSERT_NE(level, nullptr);
    auto* player = dynamic_cast<CPPlayer*>(level->GetPlayer());
    ASSERT_NE(player, nullptr);
    const float limit = player->GetCar()->GetMaxRearSpeed();
    ASSERT_FLOAT_EQ(limit, 13.0f);
    // Down held, as the sample's Actions.cfg binds it.
    constexpr int kDown = 0xD0;
    ASSERT_TRUE(host->GetScriptHost().RunText("SetActions(true)", "keys on"));
    host->GetHeadlessInput()->SetKey(kDown, true);
    float fastest = 0.0f;
    for (int frame = 0; frame < 6 * 60; ++frame) {
        host->RunFrame();
        fastest = std::max(fastest, player->GetCar()->GetSpeed());
    }
    EXPECT_LT(player->GetThrottle(), 0.0f);
    EXPECT_GT(fastest, limit * 0.8f);
    EXPECT_LT(fastest, limit * 1.05f);
}
