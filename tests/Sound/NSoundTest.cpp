#include <cmath>
#include <limits>
#include <memory>

#include "Sound/SoundSettings.h"
#include "Sound/VolumeLaw.h"
#include "SoundTestSupport.h"

namespace {

class NSoundTest : public SoundTest {
  protected:
    std::unique_ptr<CNSound> Load(const std::string& name, std::int32_t is3D = 0)
    {
        return std::make_unique<CNSound>(&m_device, "Data\\Sounds\\" + name, is3D);
    }
    // 8-bit mono at 1000 samples a second: a byte is a millisecond.
    std::unique_ptr<CNSound> LoadRamp(const std::string& name, std::size_t bytes, std::int32_t is3D = 0)
    {
        WriteSound(name, MakeWave(1, 1000, 8, RampBytes(bytes)));
        return Load(name, is3D);
    }
};

} // namespace

TEST(VolumeLawTest, AttenuationFollowsTheFourthPower)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float volume;
        std::int32_t attenuation;
    } cases[] = {
        {1.0f, 0},
        {0.5f, -437}, // 0.0625 * -7000 = -437.5, toward zero
        {0.0f, -7000},
        {0.25f, -2214}, // 0.31640625 * -7000 = -2214.84
        {0.9f, 0},      // 0.0001 * -7000 = -0.7
        // Outside 0..1 the nearer end holds; no number is silence.
        {1.5f, 0},
        {-1.0f, -7000},
        {nan, -7000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VolumeToAttenuation(c.volume), c.attenuation) << c.volume;
}

TEST_F(NSoundTest, LoadsTheWholeFileIntoItsBufferAndIsListed)
{
    auto sound = LoadRamp("hit.wav", 300);
    ASSERT_TRUE(sound->IsLoaded());
    platform::MemorySoundBuffer* buffer = platform::AsMemory(sound->GetBuffer());
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(sound->GetSize(), 300u);
    EXPECT_EQ(buffer->GetBytes(), RampBytes(300));
    EXPECT_EQ(buffer->GetFlags(), platform::kBufferControlFrequency | platform::kBufferControlVolume);
    EXPECT_EQ(sound->GetBaseFrequency(), 1000u);
    EXPECT_EQ(Volume(buffer), -437); // the global volume 0.5
    EXPECT_EQ(sound->Get3DBuffer(), nullptr);
    EXPECT_EQ(sound->GetTypeName(), "CNSound_Data\\Sounds\\hit.wav");
    ASSERT_EQ(CNSound::GetSoundList().size(), 1u);
    EXPECT_EQ(CNSound::GetSoundList()[0], sound.get());

    sound.reset();
    EXPECT_TRUE(CNSound::GetSoundList().empty());
    EXPECT_EQ(m_device.GetBufferCount(), 0u);
}

TEST_F(NSoundTest, FilesThatCannotBecomeABufferLeaveAnUnlistedSoundThatDoesNothing)
{
    std::vector<std::uint8_t> fourteen = FormatRecord(1, 1, 22050, 8);
    fourteen.resize(14);
    std::vector<std::uint8_t> cut = MakeWave(1, 22050, 8, RampBytes(100));
    cut.resize(cut.size() - 1);
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        std::int32_t is3D;
        const char* error;
    } cases[] = {
        // The reader refuses these and says why; the device is not asked.
        {"14-byte format", RiffBuilder().Chunk("fmt ", fourteen).Chunk("data", RampBytes(4)).Build(), 0,
         nullptr},
        {"samples cut short", cut, 0, nullptr},
        // The device refuses these.
        {"empty data chunk", MakeWave(1, 22050, 8, {}), 0, "E_INVALIDARG"},
        {"compressed samples",
         RiffBuilder()
             .Chunk("fmt ", ExtendedFormatRecord(2, 1, 22050, 4, {}))
             .Chunk("data", RampBytes(8))
             .Build(),
         0, "SOUND_BAD_FORMAT"},
        {"two channels in 3D", MakeWave(2, 22050, 16, RampBytes(8)), 1, "E_INVALIDARG"},
    };
    for (const Case& c : cases) {
        const std::size_t logged = m_log.Text().size();
        WriteSound("bad.wav", c.bytes);
        auto sound = Load("bad.wav", c.is3D);
        EXPECT_FALSE(sound->IsLoaded()) << c.what;
        EXPECT_EQ(sound->GetBuffer(), nullptr) << c.what;
        EXPECT_TRUE(CNSound::GetSoundList().empty()) << c.what;
        const std::string log = m_log.Text().substr(logged);
        if (c.error)
            EXPECT_NE(log.find(std::string("DXError if Sound\\NSound on line 46\n") + c.error),
                      std::string::npos)
                << c.what;
        else
            EXPECT_EQ(log.find("DXError"), std::string::npos) << c.what;
        EXPECT_NE(log.find("Sound \"Data\\Sounds\\bad.wav\" is not loaded"), std::string::npos) << c.what;

        EXPECT_TRUE(Failed(sound->Play(0, 0))) << c.what;
        EXPECT_FALSE(sound->IsPlaying()) << c.what;
        EXPECT_TRUE(Failed(sound->SetVolume(1.0f))) << c.what;
        EXPECT_TRUE(Failed(sound->SetFrequencyFactor(2.0f))) << c.what;
        sound->StopPlaying();
        sound->Rewind();
    }
    EXPECT_EQ(m_device.GetBufferCount(), 0u);

    auto missing = Load("none.wav");
    EXPECT_FALSE(missing->IsLoaded());
    EXPECT_TRUE(m_log.Contains("WAVE file \"Data\\Sounds\\none.wav\" cannot be read"));
}

TEST_F(NSoundTest, PlaysStopsAndRewindsOnTheDevice)
{
    auto sound = LoadRamp("horn.wav", 1000);
    ASSERT_EQ(sound->Play(7, CNSound::kPlayLooping), S_OK);
    EXPECT_TRUE(sound->IsPlaying());
    EXPECT_EQ(platform::AsMemory(sound->GetBuffer())->GetPriority(), 7u);
    m_now += 1250; // loops: 250 bytes into its second round
    std::uint32_t position = 0;
    ASSERT_EQ(sound->GetBuffer()->GetCurrentPosition(&position, nullptr), S_OK);
    EXPECT_EQ(position, 250u);

    sound->StopPlaying();
    EXPECT_FALSE(sound->IsPlaying());
    ASSERT_EQ(sound->GetBuffer()->GetCurrentPosition(&position, nullptr), S_OK);
    EXPECT_EQ(position, 250u); // stopping keeps the place
    sound->Rewind();
    ASSERT_EQ(sound->GetBuffer()->GetCurrentPosition(&position, nullptr), S_OK);
    EXPECT_EQ(position, 0u);

    ASSERT_EQ(sound->Play(0, 0), S_OK);
    m_now += 1001;
    EXPECT_FALSE(sound->IsPlaying()); // once, and over
}

TEST_F(NSoundTest, FrequencyFactorLastsOnlyUntilTheNextPlay)
{
    auto sound = LoadRamp("engine.wav", 100);
    ASSERT_EQ(sound->SetFrequencyFactor(2.0f), S_OK);
    EXPECT_EQ(Frequency(sound->GetBuffer()), 2000u);
    ASSERT_EQ(sound->SetFrequencyFactor(1.2345f), S_OK);
    EXPECT_EQ(Frequency(sound->GetBuffer()), 1234u); // truncated
    ASSERT_EQ(sound->Play(0, 0), S_OK);
    EXPECT_EQ(Frequency(sound->GetBuffer()), 1000u);

    // Rates the device refuses, and factors that are no rate, are reported
    // and leave the rate as it was.
    for (float factor : {500.0f, std::numeric_limits<float>::quiet_NaN(), -1.0f, 1.0e12f}) {
        const std::size_t logged = m_log.Text().size();
        EXPECT_EQ(sound->SetFrequencyFactor(factor), E_INVALIDARG) << factor;
        EXPECT_NE(m_log.Text().find("DXError if Sound\\NSound on line 19\n", logged), std::string::npos)
            << factor;
        EXPECT_EQ(Frequency(sound->GetBuffer()), 1000u) << factor;
    }
}

TEST_F(NSoundTest, VolumeFollowsTheLaw)
{
    auto sound = LoadRamp("v.wav", 100);
    for (auto [volume, attenuation] : {std::pair{1.0f, 0}, {0.5f, -437}, {0.0f, -7000}}) {
        ASSERT_EQ(sound->SetVolume(volume), S_OK);
        EXPECT_EQ(Volume(sound->GetBuffer()), attenuation) << volume;
    }
}

TEST_F(NSoundTest, GlobalVolumeReachesEveryListedSoundAndLaterOnes)
{
    auto first = LoadRamp("a.wav", 100);
    auto second = LoadRamp("b.wav", 100, 1);
    ASSERT_EQ(first->SetVolume(1.0f), S_OK);
    CNSound::SetGlobalVolume(0.0f);
    EXPECT_FLOAT_EQ(CNSound::GetGlobalVolume(), 0.0f);
    EXPECT_EQ(Volume(first->GetBuffer()), -7000);
    EXPECT_EQ(Volume(second->GetBuffer()), -7000);
    auto later = LoadRamp("c.wav", 100);
    EXPECT_EQ(Volume(later->GetBuffer()), -7000);

    // A sound that went is no longer reached.
    platform::SoundBuffer* buffer = second->GetBuffer();
    buffer->AddRef();
    second.reset();
    CNSound::SetGlobalVolume(1.0f);
    EXPECT_EQ(Volume(first->GetBuffer()), 0);
    EXPECT_EQ(Volume(buffer), -7000);
    buffer->Release();
}

TEST_F(NSoundTest, LostBufferIsRestoredRefilledAndPlayedFromTheStart)
{
    auto sound = LoadRamp("lost.wav", 400);
    ASSERT_EQ(sound->Play(0, 0), S_OK);
    m_now += 100;
    platform::AsMemory(sound->GetBuffer())->Lose();
    platform::AsMemory(sound->GetBuffer())->FailRestores(3);
    EXPECT_FALSE(sound->IsPlaying());

    ASSERT_EQ(sound->Play(0, 0), S_OK);
    EXPECT_EQ(m_sleeps, (std::vector<std::uint32_t>{10, 10, 10}));
    EXPECT_EQ(platform::AsMemory(sound->GetBuffer())->GetBytes(), RampBytes(400));
    std::uint32_t position = 99;
    ASSERT_EQ(sound->GetBuffer()->GetCurrentPosition(&position, nullptr), S_OK);
    EXPECT_EQ(position, 0u);
    EXPECT_TRUE(sound->IsPlaying());
}

TEST_F(NSoundTest, ABufferThatStaysLostDoesNotHangTheGame)
{
    auto sound = LoadRamp("gone.wav", 100);
    platform::AsMemory(sound->GetBuffer())->Lose();
    platform::AsMemory(sound->GetBuffer())->FailRestores(1000000);
    EXPECT_EQ(sound->Play(0, 0), platform::kSoundBufferLost);
    EXPECT_EQ(m_sleeps.size(), 50u); // half a second of asking
    EXPECT_TRUE(
        m_log.Contains("Sound \"Data\\Sounds\\gone.wav\": its lost buffer cannot be restored: BUFFER_LOST"));

    // Any other answer ends the asking at once.
    m_sleeps.clear();
    platform::AsMemory(sound->GetBuffer())->FailRestores(1000000, E_FAIL);
    EXPECT_EQ(sound->Play(0, 0), E_FAIL);
    EXPECT_TRUE(m_sleeps.empty());

    // Once the device gives the memory back the sound plays again.
    platform::AsMemory(sound->GetBuffer())->FailRestores(0);
    EXPECT_EQ(sound->Play(0, 0), S_OK);
    EXPECT_EQ(platform::AsMemory(sound->GetBuffer())->GetBytes(), RampBytes(100));
}

TEST_F(NSoundTest, ThreeDSoundsAskForTheAlgorithmTheMixAllows)
{
    WriteSound("mono.wav", MakeWave(1, 22050, 16, RampBytes(64)));
    for (auto [bits, algorithm] : {std::pair{std::uint16_t{8}, platform::Spatial3DAlgorithm::HrtfLight},
                                   {std::uint16_t{16}, platform::Spatial3DAlgorithm::HrtfFull}}) {
        GetSoundSettings().bitsPerSample = bits;
        auto sound = Load("mono.wav", 1);
        ASSERT_TRUE(sound->IsLoaded());
        EXPECT_EQ(platform::AsMemory(sound->GetBuffer())->GetAlgorithm(), algorithm);
        EXPECT_EQ(platform::AsMemory(sound->GetBuffer())->GetFlags(), 0xB0u);
        ASSERT_NE(sound->Get3DBuffer(), nullptr);
        EXPECT_EQ(Parameters3D(*sound).mode, platform::kMode3DNormal);
        EXPECT_EQ(platform::AsMemory(sound->GetBuffer())->Get3DSetCount(), 1u);
    }
    GetSoundSettings().bitsPerSample = 8;
}

namespace {

// The 22 extra bytes of an extensible format header: valid bits, channel
// mask, and the sub-format whose first two bytes are the plain tag.
std::vector<std::uint8_t> ExtensibleExtra(std::uint16_t validBits, std::uint16_t subFormat)
{
    std::vector<std::uint8_t> extra;
    AppendU16(extra, validBits);
    AppendU32(extra, 0x4); // front centre
    AppendU16(extra, subFormat);
    for (std::uint8_t b : {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71})
        extra.push_back(b);
    return extra;
}

} // namespace

TEST_F(NSoundTest, WavesAsOtherToolsWriteThemBecomeSounds)
{
    const std::vector<std::uint8_t> samples = RampBytes(64);
    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
        std::size_t bytes; // what the buffer holds
    } cases[] = {
        {"extensible PCM",
         RiffBuilder()
             .Chunk("fmt ", ExtendedFormatRecord(0xFFFE, 1, 8000, 16, ExtensibleExtra(16, 1)))
             .Chunk("data", samples)
             .Build(),
         64},
        {"extensible float",
         RiffBuilder()
             .Chunk("fmt ", ExtendedFormatRecord(0xFFFE, 1, 8000, 32, ExtensibleExtra(32, 3)))
             .Chunk("data", samples)
             .Build(),
         64},
        // Written to a pipe: neither size could be filled in. The samples
        // are what is there, in whole frames (two bytes each).
        {"sizes left unknown",
         [&] {
             std::vector<std::uint8_t> file = RiffBuilder()
                                                  .Chunk("fmt ", FormatRecord(1, 1, 8000, 16))
                                                  .ChunkDeclaring("data", 0xFFFFFFFFu, RampBytes(63))
                                                  .Build();
             file[4] = file[5] = file[6] = file[7] = 0xFF;
             return file;
         }(),
         62},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteSound("tool.wav", c.file);
        auto sound = Load("tool.wav");
        ASSERT_TRUE(sound->IsLoaded());
        ASSERT_NE(sound->GetBuffer(), nullptr);
        EXPECT_EQ(platform::AsMemory(sound->GetBuffer())->GetBytes().size(), c.bytes);
        EXPECT_EQ(sound->GetBaseFrequency(), 8000u);
    }
    // Another sub-format is still no sound.
    std::vector<std::uint8_t> extra = ExtensibleExtra(16, 1);
    extra[7] = 1; // tag 0x0101
    WriteSound("other.wav", RiffBuilder()
                                .Chunk("fmt ", ExtendedFormatRecord(0xFFFE, 1, 8000, 16, extra))
                                .Chunk("data", samples)
                                .Build());
    EXPECT_FALSE(Load("other.wav")->IsLoaded());
}
