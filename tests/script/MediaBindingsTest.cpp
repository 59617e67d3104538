#include <cstdint>
#include <string>
#include <vector>

#include <optional>

#include "ScriptTestSupport.h"
#include "Sound/NSound.h"
#include "Sound/PMusic.h"
#include "Sound/SoundManager.h"
#include "core/GameSettings.h"
#include "platform/Clock.h"
#include "platform/SoundDevice.h"
#include "support/WaveFiles.h"
#include "platform/HeadlessSoundDevice.h"
#include "core/ServiceOverride.h"

namespace {

// Two seconds of 8-bit mono at 1000 samples a second: the play position
// in bytes is the milliseconds played.
std::vector<std::uint8_t> TwoSecondWave()
{
    return MakeWave(1, 1000, 8, std::vector<std::uint8_t>(2000, 0x80));
}

// The script functions over a sound manager whose special sounds "slam"
// (flat) and "chik" (placed in 3D) loaded, a music player and a clock the
// test moves.
class MediaScriptTest : public ScriptTest {
  protected:
    void SetUp() override
    {
        folder.UseAsDataRoot();
        m_clock.emplace([this] { return now; });
        folder.Write("Data/Sounds/slam.wav", TwoSecondWave());
        folder.Write("Data/Sounds/chik.wav", TwoSecondWave());
        folder.Write("Data/Music/theme.wav", TwoSecondWave());
        manager = std::make_unique<CPSoundManager>(&device);
        ASSERT_EQ(manager->LoadSpecialSounds(), 2u);
        m_installedSounds.emplace(manager.get());
        m_installedMusic.emplace(&music);
        slam = manager->GetSound("slam").As<CNSound>();
        chik = manager->GetSound("chik").As<CNSound>();
        ASSERT_NE(slam, nullptr);
        ASSERT_NE(chik, nullptr);
    }
    void TearDown() override
    {
        music.End();
        kernel.RemoveTask(&music);
        m_installedMusic.reset();
        m_installedSounds.reset();
        manager.reset();
        m_clock.reset();
        CNSound::SetGlobalVolume(0.5f);
        GetGameSettings() = GameSettings();
    }

    static std::uint32_t Position(const CNSound* sound)
    {
        std::uint32_t play = 0, write = 0;
        EXPECT_EQ(sound->GetBuffer()->GetCurrentPosition(&play, &write), S_OK);
        return play;
    }
    static bool IsLooping(const CNSound* sound)
    {
        std::uint32_t status = 0;
        EXPECT_EQ(sound->GetBuffer()->GetStatus(&status), S_OK);
        return (status & platform::kStatusLooping) != 0;
    }
    static platform::Sound3DParameters Placed(const CNSound* sound)
    {
        platform::Sound3DParameters parameters;
        EXPECT_EQ(sound->Get3DBuffer()->GetAllParameters(&parameters), S_OK);
        return parameters;
    }
    // Starts the sound and lets 500 ms of it play.
    void PlayHalfASecond(CNSound* sound)
    {
        ASSERT_EQ(sound->Play(0, 0), S_OK);
        now += 500;
        ASSERT_EQ(Position(sound), 500u);
    }

    ScratchFolder folder;
    std::uint32_t now = 1000;
    platform::HeadlessSoundDevice device;
    std::unique_ptr<CPSoundManager> manager;
    CPMusic music;

  private:
    std::optional<ServiceOverride<platform::GetClockSource, platform::SetClockSource>> m_clock;
    std::optional<ServiceOverride<GetSoundManager, SetSoundManager>> m_installedSounds;
    std::optional<ServiceOverride<GetMusicPlayer, SetMusicPlayer>> m_installedMusic;

  protected:
    CNSound* slam = nullptr;
    CNSound* chik = nullptr;
};

} // namespace

TEST_F(MediaScriptTest, PlaySpecialSoundPlaysOnceFromTheStart)
{
    ASSERT_TRUE(Run("PlaySpecialSound('slam')")) << log.Text();
    EXPECT_TRUE(slam->IsPlaying());
    EXPECT_FALSE(IsLooping(slam));

    now += 500;
    ASSERT_TRUE(Run("PlaySpecialSound('slam')"));
    EXPECT_TRUE(slam->IsPlaying());
    EXPECT_EQ(Position(slam), 0u); // a playing sound starts over

    ASSERT_TRUE(Run("PlaySpecialSound('no such sound')"));
}

TEST_F(MediaScriptTest, PlaySpecialSound3DPlacesLoopsOrKeepsAsItsBooleansSay)
{
    struct Case {
        const char* call;
        bool wasPlaying;
        bool answer;
        bool playing;
        std::uint32_t position; // after the call
        bool looping;
    };
    const Case cases[] = {
        {"PlaySpecialSound3D('chik', 1, 2, 3)", false, true, true, 0, false},
        {"PlaySpecialSound3D('chik', 1, 2, 3, true)", false, true, true, 0, true},
        {"PlaySpecialSound3D('chik', 1, 2, 3, 1)", false, true, true, 0, false}, // only true loops
        {"PlaySpecialSound3D('chik', 1, 2, 3, 'yes', true)", false, true, true, 0, false},
        {"PlaySpecialSound3D('chik', 1, 2, 3, false, true)", true, false, true, 500, false},
        {"PlaySpecialSound3D('chik', 1, 2, 3, true, false)", true, true, true, 0, true},
        {"PlaySpecialSound3D('chik', 1, 2, 3, false, 1)", true, true, true, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        chik->StopPlaying();
        chik->Rewind();
        SetSound3DPosition(CPObjectPtr(chik), Vector3{9, 9, 9}, Vector3{7, 7, 7});
        if (c.wasPlaying)
            PlayHalfASecond(chik);

        ASSERT_TRUE(Run(std::string("answer = ") + c.call)) << log.Text();
        lua_getglobal(L, "answer");
        EXPECT_EQ(lua_type(L, -1), LUA_TBOOLEAN);
        EXPECT_EQ(lua_toboolean(L, -1) != 0, c.answer);
        lua_pop(L, 1);
        EXPECT_EQ(chik->IsPlaying(), c.playing);
        EXPECT_EQ(Position(chik), c.position);
        EXPECT_EQ(IsLooping(chik), c.looping);
        // Kept or restarted, the sound moves and stands still.
        const platform::Sound3DParameters placed = Placed(chik);
        EXPECT_FLOAT_EQ(placed.position.x, 1.0f);
        EXPECT_FLOAT_EQ(placed.position.y, 2.0f);
        EXPECT_FLOAT_EQ(placed.position.z, 3.0f);
        EXPECT_FLOAT_EQ(placed.velocity.x, 0.0f);
        EXPECT_FLOAT_EQ(placed.velocity.z, 0.0f);
    }
}

TEST_F(MediaScriptTest, AMissingSpecialSoundDoesNothingAndAnswersNeutrally)
{
    ASSERT_TRUE(Run("a = PlaySpecialSound3D('none', 1, 2, 3)\n"
                    "b = IsSpecialSoundPlaying('none')\n"
                    "StopSpecialSound('none'); UpdateSoundPosition('none', 1, 2, 3)"))
        << log.Text();
    lua_getglobal(L, "a");
    lua_getglobal(L, "b");
    EXPECT_TRUE(lua_isboolean(L, -2) && lua_toboolean(L, -2));
    EXPECT_TRUE(lua_isboolean(L, -1) && !lua_toboolean(L, -1));
    lua_pop(L, 2);

    // Without a sound manager the answers are the same.
    ServiceOverride<GetSoundManager, SetSoundManager> noSoundManager(nullptr);
    ASSERT_TRUE(Run("a = PlaySpecialSound3D('chik', 1, 2, 3); b = IsSpecialSoundPlaying('chik')\n"
                    "PlaySpecialSound('slam'); StopSpecialSound('slam'); StopSounds()\n"
                    "UpdateSoundPosition('chik', 1, 2, 3)"))
        << log.Text();
    EXPECT_FALSE(chik->IsPlaying());
    EXPECT_FALSE(slam->IsPlaying());
}

TEST_F(MediaScriptTest, StopSpecialSoundStopsWhereTheSoundIsAndIsPlayingTells)
{
    PlayHalfASecond(slam);
    ASSERT_TRUE(Run("before = IsSpecialSoundPlaying('slam'); StopSpecialSound('slam')\n"
                    "after = IsSpecialSoundPlaying('slam')"));
    lua_getglobal(L, "before");
    lua_getglobal(L, "after");
    EXPECT_TRUE(lua_toboolean(L, -2));
    EXPECT_TRUE(lua_isboolean(L, -1) && !lua_toboolean(L, -1));
    lua_pop(L, 2);
    EXPECT_EQ(Position(slam), 500u);
}

TEST_F(MediaScriptTest, UpdateSoundPositionTakesTheVelocityOnlyWhenAllThreeAreNumbers)
{
    struct Case {
        const char* call;
        Vector3 velocity;
    };
    const Case cases[] = {
        {"UpdateSoundPosition('chik', 4, 5, 6, 7, 8, 9)", {7, 8, 9}},
        {"UpdateSoundPosition('chik', 4, 5, 6, '7', '8', '9')", {7, 8, 9}}, // numeric text counts
        {"UpdateSoundPosition('chik', 4, 5, 6, 7, 8)", {0, 0, 0}},
        {"UpdateSoundPosition('chik', 4, 5, 6, 7, nil, 9)", {0, 0, 0}},
        {"UpdateSoundPosition('chik', 4, 5, 6, 7, 8, 'fast')", {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        SetSound3DPosition(CPObjectPtr(chik), Vector3{1, 1, 1}, Vector3{3, 3, 3});
        ASSERT_TRUE(Run(c.call)) << log.Text();
        const platform::Sound3DParameters placed = Placed(chik);
        EXPECT_FLOAT_EQ(placed.position.x, 4.0f);
        EXPECT_FLOAT_EQ(placed.position.y, 5.0f);
        EXPECT_FLOAT_EQ(placed.position.z, 6.0f);
        EXPECT_FLOAT_EQ(placed.velocity.x, c.velocity.x);
        EXPECT_FLOAT_EQ(placed.velocity.y, c.velocity.y);
        EXPECT_FLOAT_EQ(placed.velocity.z, c.velocity.z);
    }
    // A flat sound has nowhere to go.
    ASSERT_TRUE(Run("UpdateSoundPosition('slam', 4, 5, 6)"));
    EXPECT_EQ(slam->Get3DBuffer(), nullptr);
}

TEST_F(MediaScriptTest, StopSoundsRewindsTheLibraryButLeavesOtherSoundsWhereTheyStopped)
{
    CNSound other(&device, "Data\\Sounds\\slam.wav", 0);
    ASSERT_TRUE(other.IsLoaded());
    ASSERT_EQ(slam->Play(0, 0), S_OK);
    ASSERT_EQ(chik->Play(0, platform::kPlayLooping), S_OK);
    ASSERT_EQ(other.Play(0, 0), S_OK);
    now += 500;

    ASSERT_TRUE(Run("StopSounds()"));
    for (const CNSound* sound : std::vector<const CNSound*>{slam, chik, &other})
        EXPECT_FALSE(sound->IsPlaying());
    EXPECT_EQ(Position(slam), 0u);
    EXPECT_EQ(Position(chik), 0u);
    EXPECT_EQ(Position(&other), 500u);
}

TEST_F(MediaScriptTest, VolumesAndSettingsReadBackWhatWasSetAndReachTheSounds)
{
    ASSERT_TRUE(Run("s0, m0, mouse0, b0 = GetSoundVolume(), GetMusicVolume(), GetMouse(), GetBrightness()"));
    EXPECT_DOUBLE_EQ(GlobalNumber("s0"), 0.5);
    EXPECT_DOUBLE_EQ(GlobalNumber("m0"), 0.5);
    EXPECT_DOUBLE_EQ(GlobalNumber("mouse0"), 0.0);
    EXPECT_DOUBLE_EQ(GlobalNumber("b0"), 0.5);

    ASSERT_TRUE(Run("SetSoundVolume(0.25); SetMusicVolume('0.75'); SetMouse(3); SetBrightness(0.9)\n"
                    "s, m, mouse, b = GetSoundVolume(), GetMusicVolume(), GetMouse(), GetBrightness()"));
    EXPECT_DOUBLE_EQ(GlobalNumber("s"), 0.25);
    EXPECT_DOUBLE_EQ(GlobalNumber("m"), 0.75);
    EXPECT_DOUBLE_EQ(GlobalNumber("mouse"), 3.0);
    EXPECT_DOUBLE_EQ(GlobalNumber("b"), 0.5); // brightness is read only
    EXPECT_FLOAT_EQ(CNSound::GetGlobalVolume(), 0.25f);
    EXPECT_FLOAT_EQ(music.GetVolume(), 0.75f);
    // (1 - 0.25)^4 * -7000 = -2214.84375, truncated.
    std::int32_t volume = 0;
    ASSERT_EQ(slam->GetBuffer()->GetVolume(&volume), S_OK);
    EXPECT_EQ(volume, -2214);

    // Values are stored as the float the script gave, out of range or not.
    ASSERT_TRUE(Run("SetSoundVolume(1.5); SetMusicVolume({}); s, m = GetSoundVolume(), GetMusicVolume()"));
    EXPECT_DOUBLE_EQ(GlobalNumber("s"), 1.5);
    EXPECT_DOUBLE_EQ(GlobalNumber("m"), 0.0);
    ASSERT_TRUE(Run("SetSoundVolume(0.1); s = GetSoundVolume()"));
    EXPECT_DOUBLE_EQ(GlobalNumber("s"), static_cast<double>(0.1f));
}

TEST_F(MediaScriptTest, PlayMusicNoLoopPlaysTheTrackOnceAndNamesIt)
{
    ASSERT_TRUE(Run("PlayMusicNoLoop('theme.wav'); name = GetMusicName()")) << log.Text();
    EXPECT_EQ(GlobalString("name"), "theme.wav");
    EXPECT_TRUE(music.IsPlaying());
    EXPECT_FALSE(music.IsLooping());
    EXPECT_TRUE(music.IsRunning());
}

TEST_F(MediaScriptTest, AMusicTrackThatFailsDoesNotKeepTheNextOneFromTheKernel)
{
    auto listed = [this] {
        for (const CPObjectPtr& task : kernel.GetTasks())
            if (task.Get() == &music)
                return true;
        return false;
    };
    ASSERT_TRUE(Run("PlayMusicNoLoop('missing.wav'); name = GetMusicName()"));
    EXPECT_EQ(GlobalString("name"), "missing.wav");
    EXPECT_FALSE(music.IsPlaying());
    EXPECT_FALSE(music.IsRunning());
    EXPECT_FALSE(listed());

    ASSERT_TRUE(Run("PlayMusicNoLoop('theme.wav')"));
    EXPECT_TRUE(music.IsPlaying());
    EXPECT_TRUE(listed()); // so its end is seen
}

TEST_F(MediaScriptTest, WithoutAMusicPlayerMusicCallsDoNothing)
{
    ServiceOverride<GetMusicPlayer, SetMusicPlayer> noMusicPlayer(nullptr);
    ASSERT_TRUE(Run("PlayMusicNoLoop('theme.wav'); name = GetMusicName(); SetMusicVolume(0.3)"))
        << log.Text();
    EXPECT_EQ(GlobalString("name"), "");
    EXPECT_FLOAT_EQ(GetGameSettings().musicVolume, 0.3f);
    EXPECT_FALSE(music.IsPlaying());
}

TEST_F(MediaScriptTest, RequiredSoundNamesRaiseTheArgumentError)
{
    for (const char* call : {"PlaySpecialSound()", "PlaySpecialSound3D(nil, 1, 2, 3)", "StopSpecialSound({})",
                             "IsSpecialSoundPlaying(true)"}) {
        SCOPED_TRACE(call);
        const std::string message = Error(call);
        EXPECT_NE(message.find("bad argument #1"), std::string::npos) << message;
        EXPECT_NE(message.find("string expected"), std::string::npos) << message;
    }
    // A number is a name like any other.
    ASSERT_TRUE(Run("PlaySpecialSound(5); UpdateSoundPosition(nil, 1, 2, 3)"));
}
