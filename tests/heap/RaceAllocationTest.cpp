// The heap allocations of the sample race's frames, counted in the real game
// host on the sample data, as the race benchmark runs it.
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "HeapCount.h"
#include "Render/MaterialLibrary.h"
#include "Render/PRender.h"
#include "Render/RenderList.h"
#include "app/GameHost.h"
#include "app/InputScript.h"
#include "app/RaceWatch.h"
#include "core/Kernel.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "core/Task.h"
#include "game/GameData.h"
#include "game/ShotManager.h"
#include "platform/HeadlessInputDevice.h"
#include "script/ScriptHost.h"
#include "support/ScratchFolder.h"

namespace fs = std::filesystem;

namespace {

// The scripts save with these when the race ends: file work, whose
// allocations are counted apart from the frames'.
void CountRaceEndSavesApart(GameHost& host)
{
    for (const char* save : {"SaveScore", "SaveGame"})
        EXPECT_TRUE(heapcount::CountCallsApart(host.GetScriptHost().GetState(), save)) << save;
}

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
    CountRaceEndSavesApart(*host);
    GetObjectRegistry()->SendCommandByName("gamemenu", "button", "start");
    host->Run();
    return host;
}

// Brackets the physics world's step in the kernel's frame: one steps just
// before it, the other just after, and the allocations between them are
// the stepping's (with the collision and terrain callbacks it makes, and the
// placing of the moved objects).
class StepMark : public CPTask {
  public:
    StepMark(int priority, std::int64_t& mark, std::int64_t* made) : m_mark(mark), m_made(made)
    {
        SetPriority(priority);
    }
    std::uint32_t GetObjectSize() const override { return sizeof(StepMark); }
    std::string GetTypeName() const override { return "StepMark"; }
    int GetTaskType() const override { return 0; }
    void Step() override
    {
        const std::int64_t now = heapcount::EngineAllocations();
        if (m_made)
            *m_made += now - m_mark;
        m_mark = now;
    }

  private:
    std::int64_t& m_mark;
    std::int64_t* m_made;
};

// The engine's own blocks, without the physics library's and those of the
// calls counted apart (the race-end save).
std::int64_t EngineOnlyAllocations()
{
    return heapcount::EngineAllocations() - heapcount::PhysicsLibraryAllocations() -
           heapcount::CallsApartAllocations();
}

} // namespace

// From the race's first frame to its end its frames allocate nothing on the
// engine's side: the autopilot's driver, the cars' ground shadows, the
// frame's lists, the HUD's cursor and texts and the game's text table get
// their room as the race loads; the cars, the race, the scripts' commands,
// the display and the frame's drawing reuse what they have, through the
// finish, the results screen and the minute the others get after it. Only
// the save the race's end makes (the best times and the profile written,
// the save slots read back) allocates: file work, counted apart here. The
// blocks of the physics library are counted apart too: the next test
// holds them to zero over the whole race.
TEST(RaceAllocations, TheEngineAllocatesNothingInTheFramesOfARunningRace)
{
    ScratchFolder data;
    std::unique_ptr<GameHost> host = StartSampleRace(data);
    ASSERT_NE(host->GetLevel(), nullptr);
    constexpr int kMostFrames = 30 * 60 * 60;

    std::string allocating;
    std::int64_t total = 0;
    const std::int64_t scriptBefore = heapcount::ScriptAllocations();
    const std::int64_t savesBefore = heapcount::CallsApartAllocations();
    constexpr int kStretchFrom = 17800;
    constexpr int kStretchFrames = 1200;
    std::int64_t scriptInStretch = 0;
    int frame = 0;
    for (; frame < kMostFrames && !host->GetRaceWatch().IsOver(); ++frame) {
        const std::int64_t before = EngineOnlyAllocations();
        const std::int64_t scriptBeforeFrame = heapcount::ScriptAllocations();
        host->Run();
        if (frame >= kStretchFrom && frame < kStretchFrom + kStretchFrames)
            scriptInStretch += heapcount::ScriptAllocations() - scriptBeforeFrame;
        const std::int64_t made = EngineOnlyAllocations() - before;
        if (made != 0)
            allocating += " " + std::to_string(frame) + ":" + std::to_string(made);
        total += made;
    }
    EXPECT_TRUE(host->GetRaceWatch().IsOver()) << "the race did not end in " << frame << " frames";
    EXPECT_EQ(total, 0) << "frame:allocations" << allocating;
    // The race did end with its save, which is what was counted apart.
    EXPECT_GT(heapcount::CallsApartAllocations(), savesBefore);
    // Nor do the scripts in a stretch of plain racing (about 4:57 to 5:17):
    // the display's texts are made only when they change, and its time,
    // which changes every frame, is written without a new string. Over the
    // whole race they do allocate (the results screen builds its tables),
    // through their own allocator, which is counted.
    EXPECT_EQ(scriptInStretch, 0);
    EXPECT_GT(heapcount::ScriptAllocations(), scriptBefore);
}

// The physics library takes its blocks as the level loads: the shapes of the
// level's geometries and the algorithms of the pairs they will meet, warmed
// up. From the race's first frame to its end, through every hit and every
// box knocked over, it takes none. Nor does the stepping around it: its
// contact manifolds, its lists and the tables of the terrain's triangles
// get their room at load too, so no body meeting the ground, a box or a
// car for the first time makes any.
TEST(RaceAllocations, ThePhysicsLibraryAllocatesNothingFromTheStartToTheEndOfTheRace)
{
    ScratchFolder data;
    // The marks outlive the host, which lets go of them.
    std::int64_t mark = 0, stepping = 0;
    StepMark before(taskpriority::kPhysicsWorld - 1, mark, nullptr);
    StepMark after(taskpriority::kPhysicsWorld + 1, mark, &stepping);
    std::unique_ptr<GameHost> host = StartSampleRace(data);
    ASSERT_NE(host->GetLevel(), nullptr);
    for (CPTask* task : {static_cast<CPTask*>(&before), static_cast<CPTask*>(&after)}) {
        CPObjectPtr pointer(task);
        ASSERT_TRUE(host->GetKernel().AddTask(pointer));
    }
    constexpr int kMostFrames = 30 * 60 * 60;
    std::string allocating;
    std::int64_t total = 0;
    int frame = 0;
    std::string steppingFrames;
    for (; frame < kMostFrames && !host->GetRaceWatch().IsOver(); ++frame) {
        const std::int64_t before = heapcount::PhysicsLibraryAllocations();
        const std::int64_t steppingBefore = stepping;
        host->Run();
        const std::int64_t made = heapcount::PhysicsLibraryAllocations() - before;
        if (made != 0)
            allocating += " " + std::to_string(frame) + ":" + std::to_string(made);
        total += made;
        if (stepping != steppingBefore)
            steppingFrames += " " + std::to_string(frame) + ":" + std::to_string(stepping - steppingBefore);
    }
    EXPECT_TRUE(host->GetRaceWatch().IsOver()) << "the race did not end in " << frame << " frames";
    EXPECT_EQ(total, 0) << "frame:allocations" << allocating;
    EXPECT_EQ(stepping, 0) << "frame:allocations of the stepping" << steppingFrames;
}

// The race the sample input plays: the menu's Start clicked, the roof gun
// fired in bursts at the soldier and the cars ahead, the soldier killed and
// reported to the scripts, the rivals shooting back, hits sparking,
// bonuses taken and put back. The shots come from the pools filled when
// the kinds load, the bonus list, the scripts' command slots and the
// enemy's death report keep the room they were given: nothing of that
// allocates while the race runs. Every frame from the race's first to its
// end is held to no allocation at all, but for the save at the finish,
// counted apart.
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
    CountRaceEndSavesApart(*host);
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

    const std::int32_t killsBefore = gameData->kills;
    const std::int64_t savesBefore = heapcount::CallsApartAllocations();

    // The last burst ends at frame 2560; the race goes on for minutes.
    constexpr int kMostFrames = 30 * 60 * 60;
    std::string allocating;
    std::int64_t total = 0;
    while (frame < kMostFrames && !host->GetRaceWatch().IsOver()) {
        const int thisFrame = frame;
        const std::int64_t before = EngineOnlyAllocations();
        runFrame();
        const std::int64_t made = EngineOnlyAllocations() - before;
        if (made != 0) {
            allocating += " " + std::to_string(thisFrame) + ":" + std::to_string(made);
            total += made;
        }
    }
    EXPECT_TRUE(host->GetRaceWatch().IsOver()) << "the race did not end in " << frame << " frames";
    EXPECT_EQ(total, 0) << "frame:allocations" << allocating;
    EXPECT_GT(heapcount::CallsApartAllocations(), savesBefore);
    // The soldier the bursts are fired at died in the race, and its death
    // was reported within the frames held to none.
    EXPECT_GT(gameData->kills, killsBefore);

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

// The frame's render list keeps a batch for every material, and the
// batches are made as the materials are: by the time the race runs, every
// material the level loaded has its batch, so the frames that first draw a
// material (a rival's wreck, a weapon's flash, the results screen) make
// none, all the race long.
TEST(RaceAllocations, EveryMaterialHasItsRenderBatchBeforeTheRaceFirstDrawsIt)
{
    ScratchFolder data;
    std::unique_ptr<GameHost> host = StartSampleRace(data);
    ASSERT_NE(host->GetLevel(), nullptr);
    CPObjectPtr scene;
    GetRender()->GetSceneObject(scene);
    auto* list = scene.As<CPRenderList>();
    ASSERT_NE(list, nullptr);
    const std::size_t materials = GetMaterialLibrary()->GetMaterialCount();
    EXPECT_EQ(list->GetBatchCount(), materials);

    constexpr int kRaceFrames = 30000;
    std::string making;
    int frame = 0;
    for (; frame < kRaceFrames && !host->GetRaceWatch().IsOver(); ++frame) {
        const std::size_t before = list->GetBatchCount();
        host->Run();
        if (list->GetBatchCount() != before)
            making += " " + std::to_string(frame) + ":" + std::to_string(list->GetBatchCount() - before);
    }
    EXPECT_TRUE(host->GetRaceWatch().IsOver()) << "after " << frame << " frames";
    EXPECT_EQ(making, "") << "frame:batches made";
    EXPECT_EQ(GetMaterialLibrary()->GetMaterialCount(), materials);
}
