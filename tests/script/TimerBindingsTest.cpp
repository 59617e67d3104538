#include <string>

#include "ScriptTestSupport.h"
#include "Sound/PMusic.h"
#include "core/GameClock.h"
#include "script/GlobalTimer.h"
#include "support/WaveFiles.h"
#include "core/ServiceOverride.h"

namespace {

int Listed(const CPKernel& kernel, const CPTask* task)
{
    int count = 0;
    for (const CPObjectPtr& listed : kernel.GetTasks())
        count += listed.Get() == task ? 1 : 0;
    return count;
}

} // namespace

TEST_F(ScriptTest, GlobalTimerRunsOnceAndStoppingItClearsTheFrameTime)
{
    CPGlobalTimer& timer = engine.services->GlobalTimer();
    ASSERT_TRUE(Run("StartGlobalTimer(); StartGlobalTimer()")) << log.Text();
    EXPECT_TRUE(timer.IsRunning());
    EXPECT_EQ(Listed(kernel, &timer), 1);

    SetFrameTime(0.04f);
    ASSERT_TRUE(Run("StopGlobalTimer(); dt = GetDeltaTime()"));
    EXPECT_FALSE(timer.IsRunning());
    EXPECT_TRUE(timer.IsKilled());
    EXPECT_EQ(GlobalNumber("dt"), 0.0);
    kernel.StepTasks(0.02f);
    EXPECT_EQ(Listed(kernel, &timer), 0);

    // It starts again after a stop, and a stop without a start is harmless.
    ASSERT_TRUE(Run("StartGlobalTimer()"));
    EXPECT_EQ(Listed(kernel, &timer), 1);
    ASSERT_TRUE(Run("StopGlobalTimer(); StopGlobalTimer(); ClearGlobalTimer()"));
    {
        ServiceOverride<GetKernel, SetKernel> noKernel(nullptr);
        ASSERT_TRUE(Run("StartGlobalTimer()")); // no kernel: nothing to add to
    }
    kernel.RemoveKilledTasks();
    EXPECT_EQ(Listed(kernel, &timer), 0);
}

TEST_F(ScriptTest, StopPlayingMusicEndsTheMusicPlayer)
{
    ScratchFolder folder;
    folder.UseAsDataRoot();
    folder.Write("Data/Music/theme.wav", MakeWave(1, 1000, 8, std::vector<std::uint8_t>(2000, 0x80)));
    CPMusic music;
    ServiceOverride<GetMusicPlayer, SetMusicPlayer> installedMusicPlayer(&music);
    ASSERT_TRUE(Run("PlayMusic('theme.wav'); StopPlayingMusic()")) << log.Text();
    EXPECT_EQ(music.GetGraph(), nullptr); // the track is released
    EXPECT_FALSE(music.IsPlaying());
    EXPECT_FALSE(music.IsRunning());
    ServiceOverride<GetMusicPlayer, SetMusicPlayer> noMusicPlayer(nullptr);
    kernel.RemoveTask(&music);
    ASSERT_TRUE(Run("StopPlayingMusic()")); // no player: nothing to stop
}
