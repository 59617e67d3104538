// The heap allocations of the sample race's frames, counted in the real game
// host on the sample data, as the race benchmark runs it.
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "HeapCount.h"
#include "app/GameHost.h"
#include "app/InputScript.h"
#include "app/RaceWatch.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "game/GameData.h"
#include "game/ShotManager.h"
#include "platform/HeadlessInputDevice.h"
#include "script/ScriptHost.h"
#include "support/ScratchFolder.h"

namespace fs = std::filesystem;

namespace {

// The seeded race of the benchmark: the main menu's Start, the player's
// car on the autopilot.
std::unique_ptr<GameHost> StartSampleRace(const ScratchFolder& data)
{
    fs::copy(std::string(RS_SOURCE_DIR) + "/data/sample", data.GetPath(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    GameHost::Options options;
    options.frames = 1;
    options.dataRoot = data.GetPath();
    options.seed = 5;
    options.autopilot = true;
    auto host = std::make_unique<GameHost>(options);
    EXPECT_TRUE(heapcount::CountScriptAllocations(host->GetScriptHost().GetState()));
    GetObjectRegistry()->SendCommandByName("gamemenu", "button", "start");
    host->Run();
    return host;
}

} // namespace

// Once the race is under way its frames allocate nothing on the engine's
// side: the cars, the race, the scripts' commands, the display and the
// frame's drawing all reuse what they have. Events allocate when they
// happen (shots, hits, the results screen), and the race's first minute is
// full of them, rivals wrecked by fire blow up and are put back, and the
// repair boxes taken are put back as the player starts a lap and taken
// again all through the race; the stretch watched here, from about 4:57
// to 5:17 of the seeded race, has none. The blocks of the physics library are
// counted apart: the next test holds them to zero over the whole race.
TEST(RaceAllocations, TheEngineAllocatesNothingInTheFramesOfARunningRace)
{
    ScratchFolder data;
    std::unique_ptr<GameHost> host = StartSampleRace(data);
    ASSERT_NE(host->GetLevel(), nullptr);
    constexpr int kFrom = 17800;
    constexpr int kFrames = 1200;
    for (int frame = 0; frame < kFrom; ++frame)
        host->Run();
    ASSERT_FALSE(host->GetRaceWatch().IsOver());

    auto engineOnly = [] { return heapcount::EngineAllocations() - heapcount::PhysicsLibraryAllocations(); };
    std::string allocating;
    std::int64_t total = 0;
    const std::int64_t scriptBefore = heapcount::ScriptAllocations();
    for (int frame = kFrom; frame < kFrom + kFrames; ++frame) {
        const std::int64_t before = engineOnly();
        host->Run();
        const std::int64_t made = engineOnly() - before;
        if (made != 0)
            allocating += " " + std::to_string(frame) + ":" + std::to_string(made);
        total += made;
    }
    EXPECT_EQ(total, 0) << "frame:allocations" << allocating;
    // The scripts' interpreter does allocate (it builds texts and tables),
    // through its own allocator, which is counted.
    EXPECT_GT(heapcount::ScriptAllocations(), scriptBefore);
    EXPECT_FALSE(host->GetRaceWatch().IsOver());
}

// The physics library takes its blocks as the level loads: the shapes of the
// level's geometries and the algorithms of the pairs they will meet, warmed
// up. From the race's first frame to its end, through every hit and every
// box knocked over, it takes none.
TEST(RaceAllocations, ThePhysicsLibraryAllocatesNothingFromTheStartToTheEndOfTheRace)
{
    ScratchFolder data;
    std::unique_ptr<GameHost> host = StartSampleRace(data);
    ASSERT_NE(host->GetLevel(), nullptr);
    constexpr int kMostFrames = 30 * 60 * 60;
    std::string allocating;
    std::int64_t total = 0;
    int frame = 0;
    for (; frame < kMostFrames && !host->GetRaceWatch().IsOver(); ++frame) {
        const std::int64_t before = heapcount::PhysicsLibraryAllocations();
        host->Run();
        const std::int64_t made = heapcount::PhysicsLibraryAllocations() - before;
        if (made != 0)
            allocating += " " + std::to_string(frame) + ":" + std::to_string(made);
        total += made;
    }
    EXPECT_TRUE(host->GetRaceWatch().IsOver()) << "the race did not end in " << frame << " frames";
    EXPECT_EQ(total, 0) << "frame:allocations" << allocating;
}

// The race the sample input plays: the menu's Start clicked, the roof gun
// fired in bursts at the soldier and the cars ahead, the rivals shooting
// back, hits sparking, bonuses taken and put back. The shots come from the
// pools filled when the kinds load, the bonus list and the scripts' command
// slots keep the room they were given: nothing of that allocates while the
// race runs. The frames of the last burst and the seconds after it are held
// to no allocation at all; the render list still makes a batch for a part
// it meets for the first time (as before the burst and a little after this
// stretch), and the physics world its first contact slots.
TEST(RaceAllocations, FiringThroughTheSampleRaceTakesShotsAndBonusesFromTheRoomMadeAtLoad)
{
    ScratchFolder data;
    fs::copy(std::string(RS_SOURCE_DIR) + "/data/sample", data.GetPath(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    GameHost::Options options;
    options.frames = 1;
    options.dataRoot = data.GetPath();
    options.autopilot = true;
    // Each Run is one frame, so the events are played here by the race's
    // frame count, as a run of many frames plays them.
    InputScript input;
    std::string error;
    ASSERT_TRUE(input.Load(std::string(RS_SOURCE_DIR) + "/scripts/sample-race.input", error)) << error;
    auto host = std::make_unique<GameHost>(options);
    auto* device = dynamic_cast<platform::HeadlessInputDevice*>(&host->GetInputDevice());
    ASSERT_NE(device, nullptr);
    int frame = 0;
    auto runFrame = [&] {
        input.Play(frame++, *device);
        host->Run();
    };
    while (frame < 120 && !host->GetLevel())
        runFrame();
    ASSERT_NE(host->GetLevel(), nullptr);
    CPGameData* gameData = GetGameData();
    ASSERT_NE(gameData, nullptr);
    const CPBonusEntry* bonusRoom = gameData->bonuses.data();
    const std::int32_t shotsBefore = gameData->combat.shotsFired;

    // The last burst runs from frame 2320 to 2560.
    constexpr int kQuietFrom = 2480;
    constexpr int kUntil = 2840;
    auto engineOnly = [] { return heapcount::EngineAllocations() - heapcount::PhysicsLibraryAllocations(); };
    std::string allocating;
    std::int64_t total = 0;
    while (frame < kUntil) {
        ASSERT_FALSE(host->GetRaceWatch().IsOver());
        const int thisFrame = frame;
        const std::int64_t before = engineOnly();
        runFrame();
        const std::int64_t made = engineOnly() - before;
        if (thisFrame >= kQuietFrom && made != 0) {
            allocating += " " + std::to_string(thisFrame) + ":" + std::to_string(made);
            total += made;
        }
    }
    EXPECT_EQ(total, 0) << "frame:allocations" << allocating;

    // The race fired, and every kind it launched still
    // has the shots made at load, none more.
    EXPECT_GT(gameData->combat.shotsFired, shotsBefore);
    EXPECT_EQ(gameData->bonuses.data(), bonusRoom);
    CPShotManager* shots = GetWeaponManager();
    ASSERT_NE(shots, nullptr);
    shots->ClearActive();
    for (const char* kind : {"trasser11", "sparks", "sparks4_remont", "rocket_exp2"}) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(shots->GetIdleCount(kind), GameHost::kReadyShotsPerKind);
    }
}
