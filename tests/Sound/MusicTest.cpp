#include "Sound/PMusic.h"

#include "SoundTestSupport.h"
#include "core/Kernel.h"
#include "core/Singletons.h"
#include "platform/MediaGraph.h"
#include "platform/HeadlessMedia.h"
#include "core/ServiceOverride.h"

namespace {

class MusicTest : public SoundTest {
  protected:
    void SetUp() override
    {
        SoundTest::SetUp();
        // Two seconds of 8-bit mono at 1000 samples a second.
        m_folder.Write("Data/Music/Theme.wav", MakeWave(1, 1000, 8, std::vector<std::uint8_t>(2000, 0x80)));
        m_folder.Write("Data/Music/race.wav", MakeWave(1, 1000, 8, std::vector<std::uint8_t>(500, 0x80)));
    }
    void TearDown() override
    {
        platform::ClearMediaFailures();
        SoundTest::TearDown();
    }

    static std::int32_t MusicVolume(const CPMusic& music)
    {
        std::int32_t volume = 1;
        EXPECT_EQ(music.GetAudio()->GetVolume(&volume), S_OK);
        return volume;
    }
    static platform::MediaState State(const CPMusic& music)
    {
        platform::MediaState state = platform::MediaState::Stopped;
        EXPECT_EQ(music.GetControl()->GetState(&state), S_OK);
        return state;
    }
    static double Position(const CPMusic& music)
    {
        double seconds = -1.0;
        EXPECT_EQ(music.GetPosition()->GetCurrentPosition(&seconds), S_OK);
        return seconds;
    }
};

} // namespace

TEST_F(MusicTest, PlayRendersTheTrackStartsItAndAppliesTheVolume)
{
    CPMusic music;
    ASSERT_EQ(music.Play("theme.wav", true), S_OK);
    EXPECT_TRUE(music.IsPlaying());
    EXPECT_TRUE(music.IsLooping());
    EXPECT_EQ(music.GetName(), "theme.wav");
    EXPECT_EQ(platform::AsHeadless(music.GetGraph())->GetRenderedPath(),
              m_folder.Path("Data/Music/Theme.wav"));
    EXPECT_EQ(State(music), platform::MediaState::Running);
    EXPECT_EQ(MusicVolume(music), -437);
    m_now += 1500;
    EXPECT_DOUBLE_EQ(Position(music), 1.5);
}

TEST_F(MusicTest, MissingTrackIsReportedAndKeepsItsName)
{
    CPMusic music;
    EXPECT_EQ(music.Play("gone.ogg", false), platform::kMediaFileNotFound);
    EXPECT_FALSE(music.IsPlaying());
    EXPECT_EQ(music.GetName(), "gone.ogg");
    EXPECT_TRUE(m_log.Contains("DXError if Sound\\PMusic on line 59\nFILE_NOT_FOUND\n"));
    EXPECT_TRUE(m_log.Contains("Music track \"Data\\Music\\gone.ogg\" cannot be played: FILE_NOT_FOUND"));
    // The graph and interfaces obtained stay until the next Play or Stop.
    EXPECT_NE(music.GetAudio(), nullptr);
    music.Stop();
    EXPECT_EQ(music.GetGraph(), nullptr);
    EXPECT_EQ(music.GetName(), "gone.ogg");
}

TEST_F(MusicTest, VolumeSetBeforePlayIsAppliedByIt)
{
    CPMusic music;
    EXPECT_EQ(music.SetVolume(0.0f), S_OK); // nothing to apply it to yet
    EXPECT_FLOAT_EQ(music.GetVolume(), 0.0f);
    ASSERT_EQ(music.Play("theme.wav", false), S_OK);
    EXPECT_EQ(MusicVolume(music), -7000);
    ASSERT_EQ(music.SetVolume(1.0f), S_OK);
    EXPECT_EQ(MusicVolume(music), 0);
}

TEST_F(MusicTest, ANewTrackReleasesTheOldGraph)
{
    const std::size_t before = platform::CountLiveMediaGraphs();
    {
        CPMusic music;
        ASSERT_EQ(music.Play("theme.wav", true), S_OK);
        platform::MediaGraph* first = music.GetGraph();
        first->AddRef(); // watch it go
        ASSERT_EQ(music.Play("race.wav", true), S_OK);
        EXPECT_EQ(platform::AsHeadless(first)->GetAbortCount(), 1u);
        first->Release();
        EXPECT_EQ(platform::CountLiveMediaGraphs(), before + 1);
        EXPECT_EQ(music.GetName(), "race.wav");
    }
    EXPECT_EQ(platform::CountLiveMediaGraphs(), before);
}

TEST_F(MusicTest, AStoppedOrEndedPlayerNoLongerPlays)
{
    CPMusic music;
    ASSERT_EQ(music.Play("theme.wav", true), S_OK);
    music.Stop();
    EXPECT_FALSE(music.IsPlaying());
    EXPECT_EQ(music.GetName(), "theme.wav");
    ASSERT_EQ(music.Play("theme.wav", false), S_OK);
    ASSERT_TRUE(music.IsPlaying());
    music.End(); // what the scripts' stop calls
    EXPECT_FALSE(music.IsPlaying());
    EXPECT_EQ(music.GetGraph(), nullptr);
}

TEST_F(MusicTest, FailedQueriesAreReportedAndKeepWhatWasObtained)
{
    struct Case {
        platform::MediaFailure failure;
        int line;
        bool control, event, position, audio;
    } cases[] = {
        {platform::MediaFailure::QueryControl, 55, false, false, false, false},
        {platform::MediaFailure::QueryEvent, 56, true, false, false, false},
        {platform::MediaFailure::QueryPosition, 57, true, true, false, false},
        {platform::MediaFailure::QueryAudio, 58, true, true, true, false},
    };
    for (const Case& c : cases) {
        platform::ClearMediaFailures();
        platform::SetMediaFailure(c.failure, E_NOINTERFACE);
        const std::size_t logged = m_log.Text().size();
        CPMusic music;
        EXPECT_EQ(music.Play("theme.wav", true), E_NOINTERFACE) << c.line;
        EXPECT_FALSE(music.IsPlaying()) << c.line;
        EXPECT_EQ(music.GetControl() != nullptr, c.control) << c.line;
        EXPECT_EQ(music.GetEvent() != nullptr, c.event) << c.line;
        EXPECT_EQ(music.GetPosition() != nullptr, c.position) << c.line;
        EXPECT_EQ(music.GetAudio() != nullptr, c.audio) << c.line;
        const std::string expected = "DXError if Sound\\PMusic on line " + std::to_string(c.line) + "\n";
        EXPECT_NE(m_log.Text().find(expected, logged), std::string::npos) << c.line;
    }
}

TEST_F(MusicTest, NoGraphNoMusicButNoCrash)
{
    platform::SetMediaFailure(platform::MediaFailure::Create, E_OUTOFMEMORY);
    CPMusic music;
    EXPECT_EQ(music.Play("theme.wav", true), E_OUTOFMEMORY);
    EXPECT_EQ(music.GetGraph(), nullptr);
    EXPECT_FALSE(music.IsPlaying());
    EXPECT_TRUE(m_log.Contains("cannot be played: E_OUTOFMEMORY"));
    music.Step();
    music.End();
}

TEST_F(MusicTest, APathTooLongForTheGraphIsRefused)
{
    CPMusic music;
    EXPECT_EQ(music.Play(std::string(250, 'a') + ".ogg", true), E_INVALIDARG);
    EXPECT_EQ(music.GetGraph(), nullptr);
    EXPECT_TRUE(m_log.Contains("its path is longer than 259 characters"));
}

TEST_F(MusicTest, StepsStartALoopingTrackOverAndStopAnother)
{
    CPMusic music;
    ASSERT_EQ(music.Play("race.wav", true), S_OK); // half a second long
    m_now += 700;
    music.Step();
    EXPECT_EQ(State(music), platform::MediaState::Running);
    EXPECT_DOUBLE_EQ(Position(music), 0.0);
    m_now += 200;
    EXPECT_DOUBLE_EQ(Position(music), 0.2);

    ASSERT_EQ(music.Play("race.wav", false), S_OK);
    m_now += 700;
    music.Step();
    EXPECT_EQ(State(music), platform::MediaState::Stopped);
}

TEST_F(MusicTest, TheKernelStepsThePlayerFromPlayToEnd)
{
    CPKernel kernel;
    ServiceOverride<GetKernel, SetKernel> installedKernel(&kernel);
    {
        CPMusic music;
        ASSERT_EQ(music.Play("race.wav", true), S_OK);
        ASSERT_EQ(kernel.GetTasks().size(), 1u);
        EXPECT_TRUE(music.IsRunning());
        EXPECT_FALSE(music.Begin()); // what the no-loop binding does after Play

        m_now += 600;
        kernel.StepTasks(0.6f);
        EXPECT_DOUBLE_EQ(Position(music), 0.0); // started over

        // Stopping the music ends the task; the kernel lets it go.
        music.End();
        EXPECT_EQ(music.GetGraph(), nullptr);
        kernel.StepTasks(0.016f);
        EXPECT_TRUE(kernel.GetTasks().empty());

        // A track after all tasks were killed still gets its steps.
        ASSERT_EQ(music.Play("race.wav", true), S_OK);
        kernel.KillAllTasks();
        ASSERT_EQ(music.Play("theme.wav", true), S_OK);
        kernel.StepTasks(0.016f);
        EXPECT_EQ(kernel.GetTasks().size(), 1u);
    }
    EXPECT_TRUE(kernel.GetTasks().empty()); // the player left on its way out
}
