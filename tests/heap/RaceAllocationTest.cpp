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
#include "app/RaceWatch.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
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
// to 5:17 of the seeded race, has none. The blocks of the physics library (contact
// clipping) are counted apart and not held to zero here.
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
