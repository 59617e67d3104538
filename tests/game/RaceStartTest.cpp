#include <gtest/gtest.h>

#include <optional>
#include "Render/PRender.h"
#include "Render/PerspectiveCamera.h"
#include "Sound/NSound.h"
#include "Sound/SoundManager.h"
#include "game/AIVehicle.h"
#include "game/RaceTestWorld.h"
#include "platform/Math.h"
#include "platform/SoundDevice.h"
#include "support/WaveFiles.h"
#include "platform/HeadlessSoundDevice.h"
#include "core/ServiceOverride.h"

namespace {

class RaceStartTest : public RaceTest {
  protected:
    void SetUp() override
    {
        RaceTest::SetUp();
        m_installedRender.emplace(&render);
    }
    void TearDown() override
    {
        // The cameras leave the pass table while the renderer still exists.
        delete level;
        level = nullptr;
        m_installedRender.reset();
        RaceTest::TearDown();
    }

    CPRender render{nullptr};

  private:
    std::optional<ServiceOverride<GetRender, SetRender>> m_installedRender;
};

std::vector<const CPObject*> Listed(const CPKernel& kernel)
{
    std::vector<const CPObject*> listed;
    for (const CPObjectPtr& task : kernel.GetTasks())
        listed.push_back(task.Get());
    return listed;
}

TEST_F(RaceStartTest, StartListsTheDriversPhysicsAndRaceInThatOrder)
{
    ai.SetPriority(7);
    world.SetPriority(8);
    level->Start();
    auto* updater = level->tasks[0].As<CPTask>();
    ASSERT_NE(updater, nullptr);
    EXPECT_EQ(Listed(kernel), (std::vector<const CPObject*>{&ai, &world, updater}));
    EXPECT_EQ(ai.GetPriority(), 100);
    EXPECT_EQ(world.GetPriority(), 400);
    EXPECT_EQ(updater->GetPriority(), 500);
    EXPECT_EQ(updater->GetTaskType(), 0);

    // The kernel's frame runs the race.
    kernel.StepTasks(0.25f);
    EXPECT_EQ(level->race.raceClock, 0.25f);
    EXPECT_EQ(level->race.elapsedTime, 0.25f);

    // Starting again replaces the updater instead of listing a second one.
    level->Start();
    kernel.RemoveKilledTasks();
    EXPECT_EQ(kernel.GetTasks().size(), 3u);
}

TEST_F(RaceStartTest, StartReadiesTheRaceStateCamerasAndInterface)
{
    data.money = 1234.5f;
    data.currentRound = 2;
    data.roundTimes = {5.0f, 6.0f};
    data.SetRoundTime(90.0f);
    data.GetLapRecord("0").countdowns[7] = 3.0f;
    level->race.places = {1, 2, 3};
    level->race.requiredPlace = 2;
    level->race.raceDecided = true;
    level->stopped = true;
    level->race.fixedStepRemainder = 0.01f;
    level->race.elapsedTime = level->race.startClock = 9.0f;
    SetFrameTime(0.3f);

    level->Start();
    EXPECT_EQ(level->race.places, (std::array<std::int32_t, 3>{-1, -1, -1}));
    EXPECT_EQ(level->race.requiredPlace, 0);
    EXPECT_FALSE(level->race.raceDecided);
    EXPECT_FALSE(level->stopped);
    EXPECT_EQ(level->race.fixedStepRemainder, 0.0f);
    EXPECT_EQ(level->race.elapsedTime, 0.0f);
    EXPECT_EQ(level->race.startClock, 0.0f);
    EXPECT_EQ(level->race.levelFailedCountdown, 600.0f);
    EXPECT_EQ(level->race.currentCheckpoint, 0u);
    EXPECT_EQ(GetFrameTime(), 0.0f);
    EXPECT_TRUE(player->IsActive());
    EXPECT_FALSE(level->trackPoints.empty());

    EXPECT_EQ(Sent("gamemenu"), (std::vector<std::string>{"set_money(1234.50)", "init_game_interface()"}));
    EXPECT_EQ(data.roundTimes[1], 0.0f);
    const CPLapRecord& record = data.GetLapRecord("0");
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(record.countdowns[i], 90.0f);
    EXPECT_EQ(record.countdowns[7], 3.0f);

    CPCamera& camera = Camera();
    EXPECT_EQ(render.GetPasses().at(16).GetCamera().Get(), static_cast<CPObject*>(camera.GetMainCamera()));
    EXPECT_EQ(render.GetPasses().at(120).GetCamera().Get(), static_cast<CPObject*>(camera.GetFarCamera()));
    ASSERT_TRUE(render.GetPasses().at(17).HasMatrix());
    EXPECT_EQ(render.GetPasses().at(17).GetMatrix().m[2][2], 1.0f);
    EXPECT_TRUE(render.GetPasses().at(16).HasMatrix());
    EXPECT_EQ(camera.GetSubject(), &level->cameraSubject);
}

TEST_F(RaceStartTest, ARoundBeyondItsTimeGetsOneMore)
{
    data.currentRound = 21;
    level->Start();
    ASSERT_EQ(data.roundTimes.size(), 21u);
    EXPECT_EQ(data.roundTimes[20], 0.0f);
}

TEST_F(RaceStartTest, ShutdownLeavesNoTaskDriverCarOrSoundBehind)
{
    platform::HeadlessSoundDevice device;
    folder.Write("Data/Sounds/fast.wav", MakeWave(1, 22050, 8, RampBytes(64)));
    CPSoundManager sounds(&device);
    sounds.LoadSpecialSounds();
    ServiceOverride<GetSoundManager, SetSoundManager> installedSoundManager(&sounds);
    CNSound* fast = sounds.GetSound("fast").As<CNSound>();
    ASSERT_NE(fast, nullptr);

    std::vector<CountingCar*> cars;
    for (int i = 0; i < 6; ++i)
        cars.push_back(AddOpponent());
    ai.AddTraffic();
    auto* scene = new CPGameObject("scene");
    level->SetLevelScene(CPObjectPtr(scene));
    auto* prop = new CPGameObject("prop");
    level->AddOwnedObject(CPObjectPtr(prop));
    level->firstObjects.push_back(CPObjectPtr(prop));
    prop->Activate(200);
    level->SetRecordGhost(CPObjectPtr(new CPGameObject("ghost")));
    level->queries.AllocateGrid();
    level->Start();
    level->allOpponents = true;
    kernel.StepTasks(0.02f);
    ASSERT_TRUE(ai.GetOpponent(0)->car);
    ASSERT_TRUE(scene->IsActive());
    data.levelStarted = true;
    level->race.raceRunning = true;
    fast->Play(0, 0);
    ASSERT_TRUE(fast->IsPlaying());

    level->Shutdown();
    kernel.RemoveKilledTasks();
    EXPECT_TRUE(kernel.GetTasks().empty());
    for (const CPObjectPtr& task : level->tasks)
        EXPECT_FALSE(task);
    EXPECT_TRUE(level->stopped);
    EXPECT_FALSE(level->allOpponents);
    EXPECT_FALSE(level->race.raceRunning);
    EXPECT_TRUE(ai.GetOpponents().empty());
    EXPECT_TRUE(ai.GetTraffic().empty());
    EXPECT_TRUE(level->GetOpponents().empty());
    EXPECT_EQ(level->GetPlayer(), nullptr);
    EXPECT_EQ(level->cameraTarget, nullptr);
    EXPECT_FALSE(level->GetRecordGhost());
    EXPECT_FALSE(player->IsActive());
    EXPECT_FALSE(scene->IsActive());
    EXPECT_FALSE(prop->IsActive());
    EXPECT_TRUE(level->firstObjects.empty());
    EXPECT_TRUE(level->trackPoints.empty());
    EXPECT_EQ(level->queries.GetCellIndex(0.0f, 0.0f), -1);
    EXPECT_FALSE(data.levelStarted);
    EXPECT_FALSE(fast->IsPlaying());

    // A stopped level still steps and deletes safely (the sanitizers hold
    // the rest).
    level->UpdateRace();
}

TEST_F(RaceStartTest, ALevelDeletedWhileRunningLeavesTheKernel)
{
    level->Start();
    kernel.StepTasks(0.02f);
    delete level;
    level = nullptr;
    // Only the level's own updater goes; the drivers and physics stay.
    EXPECT_EQ(Listed(kernel), (std::vector<const CPObject*>{&ai, &world}));
    kernel.StepTasks(0.02f);
}

TEST_F(RaceStartTest, AWholeRaceDrivenThroughTheKernel)
{
    CountingCar* opponent = AddOpponent();
    level->InitRaceTrack();
    SetStartLine();
    data.roundCount = 1;
    level->race.requiredPlace = 0;
    Place(*player, 0);
    Place(*opponent, -2);
    level->Start();
    ClearSent();
    level->race.raceRunning = true;
    const std::int32_t n = TrackSize();
    for (std::int32_t at = 1; at <= n + 1; ++at) {
        Place(*player, at);
        Place(*opponent, at - 2);
        kernel.StepTasks(0.02f);
    }
    EXPECT_EQ(level->race.places, (std::array<std::int32_t, 3>{CPLevel::kPlayerPlace, -1, -1}));
    EXPECT_EQ(Sent("game_interface"), (std::vector<std::string>{"place(1st)", "show_message(finish!)"}));
    EXPECT_EQ(Sent("jeep"), (std::vector<std::string>{"game_over()"}));
    // Sixty steps a second, give or take the rest carried at the end.
    EXPECT_NEAR(static_cast<float>(player->steps.size()), (n + 1) * 0.02f * 60.0f, 1.0f);
    EXPECT_EQ(opponent->steps.size(), static_cast<std::size_t>(n + 1));
    EXPECT_EQ(ai.GetOpponent(0)->car.Get(), opponent);

    level->Shutdown();
    kernel.RemoveKilledTasks();
    EXPECT_TRUE(kernel.GetTasks().empty());
}

TEST_F(RaceStartTest, ClearCurrentLevelLeavesTheLevelAlone)
{
    ClearCurrentLevel();
    EXPECT_EQ(GetCurrentLevel(), nullptr);
    level->Shutdown();
}

} // namespace
