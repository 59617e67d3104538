// What the sample game sounds like, through the game host and the sample's
// own scripts on the headless sound device: the player's engine with the
// race, following the throttle, and the music the scripts ask for.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "support/SampleHost.h"

#include "Sound/NSound.h"
#include "Sound/PMusic.h"
#include "Sound/VolumeLaw.h"
#include "app/GameHost.h"
#include "core/GameSettings.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "game/Car.h"
#include "game/Level.h"
#include "game/Player.h"
#include "platform/Dialog.h"
#include "platform/HeadlessInputDevice.h"
#include "platform/HeadlessMedia.h"
#include "platform/MediaGraph.h"
#include "platform/SoundDevice.h"

namespace fs = std::filesystem;

namespace {

constexpr int kUpKey = 0xC8;

// What the device holds for one sound's buffer.
struct Voice {
    bool playing = false;
    bool looping = false;
    std::uint32_t frequency = 0;
    std::int32_t volume = 0;
};

Voice ReadVoice(const CNSound& sound)
{
    Voice voice;
    platform::SoundBuffer* buffer = sound.GetBuffer();
    if (!buffer)
        return voice;
    std::uint32_t status = 0;
    buffer->GetStatus(&status);
    voice.playing = (status & platform::kStatusPlaying) != 0;
    voice.looping = (status & platform::kStatusLooping) != 0;
    buffer->GetFrequency(&voice.frequency);
    buffer->GetVolume(&voice.volume);
    return voice;
}

// What the music player is playing: the track's file and whether its graph
// runs and loops; empty when nothing plays.
struct Music {
    std::string file;
    bool running = false;
    bool looping = false;
};

Music ReadMusic()
{
    Music music;
    const CPMusic* player = GetMusicPlayer();
    if (!player || !player->IsPlaying() || !player->GetControl())
        return music;
    platform::MediaState state = platform::MediaState::Stopped;
    player->GetControl()->GetState(&state);
    music.running = state == platform::MediaState::Running;
    music.looping = player->IsLooping();
    if (const platform::HeadlessMediaGraph* graph = platform::AsHeadless(player->GetGraph()))
        music.file = fs::path(graph->GetRenderedPath()).filename().string();
    return music;
}

class SampleSound : public SampleHostTest {
  protected:
    void SetUp() override
    {
        SampleHostTest::SetUp();
        GameHost::Options options = FrameOptions();
        options.autopilot = false;
        MakeHost(options);
    }

    // Presses Start on the sample's main menu, as a player does.
    void ClickStart() { Click(320.0f, 180.0f); }
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
};

// The engine voice starts with the race, loops, and its pitch rises while
// the throttle is open and falls back once it is let go: the car's speed
// drives the frequency factor, from half the sample's rate at rest up to
// three times it. The volume is the one the sound volume gives.
TEST_F(SampleSound, ThePlayersEngineStartsWithTheRaceAndFollowsTheThrottle)
{
    Frames(5);
    ASSERT_EQ(GetCurrentLevel(), nullptr) << "the menu shows first";
    ClickStart();
    CPLevel* level = GetCurrentLevel();
    ASSERT_NE(level, nullptr) << "Start begins the race";
    auto* player = dynamic_cast<CPPlayer*>(level->GetPlayer());
    ASSERT_NE(player, nullptr);
    ASSERT_NE(player->GetCar(), nullptr);
    CNSound* engine = player->GetCar()->GetSound(CPCar::kEngineSound);
    ASSERT_NE(engine, nullptr);
    ASSERT_TRUE(engine->IsLoaded());
    const std::uint32_t base = engine->GetBaseFrequency();
    ASSERT_EQ(base, 22050u);

    Frames(10);
    const Voice idle = ReadVoice(*engine);
    EXPECT_TRUE(idle.playing) << "the engine sounds from the race's first frames";
    EXPECT_TRUE(idle.looping);
    EXPECT_EQ(idle.volume, VolumeToAttenuation(GetGameSettings().soundVolume));
    // Standing at the start, the pitch settles near half the rate.
    EXPECT_LE(idle.frequency, base * 6 / 10);

    host->GetHeadlessInput()->SetKey(kUpKey, true);
    Frames(60);
    const Voice rising = ReadVoice(*engine);
    Frames(60);
    const Voice open = ReadVoice(*engine);
    EXPECT_TRUE(open.playing);
    EXPECT_GT(rising.frequency, idle.frequency);
    EXPECT_GT(open.frequency, rising.frequency) << "the pitch goes on rising as the car gathers speed";
    EXPECT_LE(open.frequency, base * 3);

    host->GetHeadlessInput()->SetKey(kUpKey, false);
    Frames(120);
    const Voice released = ReadVoice(*engine);
    EXPECT_TRUE(released.playing) << "the engine idles, it does not stop";
    EXPECT_LT(released.frequency, open.frequency);

    // Only the player's car is heard: the opponents have no sounds.
    for (CPGameObject* opponent : level->GetOpponents()) {
        const CPCar* car = opponent->GetPhysicsObject().As<CPCar>();
        ASSERT_NE(car, nullptr);
        EXPECT_FALSE(car->HasSounds());
        EXPECT_EQ(car->GetSound(CPCar::kEngineSound), nullptr);
    }
}

// The sample's scripts loop one track under the menu and another in the
// race, and keep the results quiet.
TEST_F(SampleSound, TheMusicTheScriptsAskForPlaysAndStops)
{
    Frames(5);
    const Music menu = ReadMusic();
    EXPECT_EQ(menu.file, "menu.wav");
    EXPECT_TRUE(menu.running);
    EXPECT_TRUE(menu.looping);

    ClickStart();
    ASSERT_NE(GetCurrentLevel(), nullptr);
    const Music race = ReadMusic();
    EXPECT_EQ(race.file, "race.wav");
    EXPECT_TRUE(race.running);
    EXPECT_TRUE(race.looping);
    // The race track is shorter than five seconds: it starts over.
    Frames(400);
    EXPECT_TRUE(ReadMusic().running) << "a looping track plays on past its end";

    // The race's end, as the race reports it to the player's car.
    GetObjectRegistry()->SendCommandByName("jeep", "game_over", "");
    Frames(3);
    EXPECT_FALSE(GetMusicPlayer()->IsPlaying()) << "the results are shown in quiet";
    EXPECT_EQ(GetMusicPlayer()->GetGraph(), nullptr);
}

} // namespace
