#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include <optional>

#include "platform/Clock.h"
#include "platform/SoundDevice.h"
#include "platform/HeadlessSoundDevice.h"
#include "core/ServiceOverride.h"

using namespace platform;

namespace {

WaveFormat Pcm(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits)
{
    WaveFormat format;
    format.formatTag = kWaveFormatPcm;
    format.channels = channels;
    format.samplesPerSecond = rate;
    format.bitsPerSample = bits;
    format.blockAlign = static_cast<std::uint16_t>(channels * bits / 8);
    format.averageBytesPerSecond = rate * format.blockAlign;
    return format;
}

// A device whose buffers play against a clock the test moves.
class SoundDeviceTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        m_clock.emplace([this] { return m_now; });
    }
    void TearDown() override
    {
        for (SoundBuffer* buffer : m_made)
            buffer->Release();
        m_clock.reset();
    }

    MemorySoundBuffer* Make(std::uint32_t bytes, const WaveFormat& format,
                            std::uint32_t flags = kBufferControlFrequency | kBufferControlVolume)
    {
        SoundBufferDesc desc;
        desc.flags = flags;
        desc.bufferBytes = bytes;
        desc.format = &format;
        SoundBuffer* buffer = nullptr;
        EXPECT_EQ(m_device.CreateSoundBuffer(desc, &buffer), S_OK);
        if (buffer)
            m_made.push_back(buffer);
        return AsMemory(buffer);
    }

    std::uint32_t PlayPosition(SoundBuffer* buffer)
    {
        std::uint32_t play = 0;
        EXPECT_EQ(buffer->GetCurrentPosition(&play, nullptr), S_OK);
        return play;
    }
    std::uint32_t Status(SoundBuffer* buffer)
    {
        std::uint32_t status = 0;
        EXPECT_EQ(buffer->GetStatus(&status), S_OK);
        return status;
    }

    HeadlessSoundDevice m_device;
    std::uint32_t m_now = 5000;
    std::vector<SoundBuffer*> m_made;

  private:
    std::optional<ServiceOverride<GetClockSource, SetClockSource>> m_clock;
};

} // namespace

TEST_F(SoundDeviceTest, RefusesBuffersItCannotPlay)
{
    const WaveFormat mono8 = Pcm(1, 22050, 8);
    WaveFormat adpcm = Pcm(1, 22050, 4);
    adpcm.formatTag = 2;
    WaveFormat badAlign = Pcm(2, 22050, 16);
    badAlign.blockAlign = 3;
    const WaveFormat tooSlow = Pcm(1, 50, 8);
    const WaveFormat stereo = Pcm(2, 22050, 16);
    struct Case {
        const char* what;
        std::uint32_t bytes;
        const WaveFormat* format;
        std::uint32_t flags;
        HResult expected;
    } cases[] = {
        {"no bytes", 0, &mono8, 0, E_INVALIDARG},
        {"fewer than 4 bytes", 3, &mono8, 0, E_INVALIDARG},
        {"more than the largest buffer", kBufferBytesMax + 1, &mono8, 0, E_INVALIDARG},
        {"no format", 100, nullptr, 0, E_INVALIDARG},
        {"compressed samples", 100, &adpcm, 0, kSoundBadFormat},
        {"block size that does not fit", 100, &badAlign, 0, kSoundBadFormat},
        {"rate below 100", 100, &tooSlow, 0, kSoundBadFormat},
        {"3D with two channels", 100, &stereo, kBufferControl3D, E_INVALIDARG},
    };
    for (const Case& c : cases) {
        SoundBufferDesc desc;
        desc.flags = c.flags;
        desc.bufferBytes = c.bytes;
        desc.format = c.format;
        SoundBuffer* buffer = reinterpret_cast<SoundBuffer*>(1);
        EXPECT_EQ(m_device.CreateSoundBuffer(desc, &buffer), c.expected) << c.what;
        EXPECT_EQ(buffer, nullptr) << c.what;
    }
    EXPECT_EQ(m_device.GetBufferCount(), 0u);
}

TEST_F(SoundDeviceTest, LocksOnlyInsideTheBufferAndOneAtATime)
{
    MemorySoundBuffer* buffer = Make(100, Pcm(1, 22050, 8));
    void* data = nullptr;
    std::uint32_t locked = 0;
    EXPECT_EQ(buffer->Lock(90, 11, &data, &locked), E_INVALIDARG);
    EXPECT_EQ(buffer->Lock(100, 0, &data, &locked), E_INVALIDARG);
    ASSERT_EQ(buffer->Lock(40, 0, &data, &locked), S_OK);
    EXPECT_EQ(locked, 60u);
    void* second = nullptr;
    EXPECT_EQ(buffer->Lock(0, 4, &second, &locked), kSoundInvalidCall);
    std::memset(data, 0xAB, 60);
    EXPECT_EQ(buffer->Unlock(data, 61), E_INVALIDARG);
    EXPECT_EQ(buffer->Unlock(static_cast<std::uint8_t*>(data) + 1, 10), E_INVALIDARG);
    EXPECT_EQ(buffer->Unlock(data, 60), S_OK);
    EXPECT_EQ(buffer->Unlock(data, 60), kSoundInvalidCall);
    EXPECT_EQ(buffer->GetBytes()[39], 0);
    EXPECT_EQ(buffer->GetBytes()[40], 0xAB);
    EXPECT_EQ(buffer->GetBytes()[99], 0xAB);
}

TEST_F(SoundDeviceTest, ControlsWorkOnlyWhenAskedForAndInRange)
{
    SoundBuffer* plain = Make(100, Pcm(1, 22050, 8), 0);
    EXPECT_EQ(plain->SetVolume(-100), kSoundControlUnavailable);
    EXPECT_EQ(plain->SetFrequency(11025), kSoundControlUnavailable);
    EXPECT_EQ(plain->SetPan(0), kSoundControlUnavailable);

    SoundBuffer* buffer =
        Make(100, Pcm(1, 22050, 8), kBufferControlFrequency | kBufferControlVolume | kBufferControlPan);
    EXPECT_EQ(buffer->SetVolume(-10001), E_INVALIDARG);
    EXPECT_EQ(buffer->SetVolume(1), E_INVALIDARG);
    EXPECT_EQ(buffer->SetVolume(-437), S_OK);
    EXPECT_EQ(buffer->SetFrequency(99), E_INVALIDARG);
    EXPECT_EQ(buffer->SetFrequency(200001), E_INVALIDARG);
    EXPECT_EQ(buffer->SetPan(10001), E_INVALIDARG);
    EXPECT_EQ(buffer->SetPan(-2500), S_OK);

    std::int32_t volume = 0, pan = 0;
    std::uint32_t frequency = 0;
    EXPECT_EQ(buffer->GetVolume(&volume), S_OK);
    EXPECT_EQ(volume, -437);
    EXPECT_EQ(buffer->GetPan(&pan), S_OK);
    EXPECT_EQ(pan, -2500);
    EXPECT_EQ(buffer->GetFrequency(&frequency), S_OK);
    EXPECT_EQ(frequency, 22050u); // the format's own until set
    EXPECT_EQ(buffer->SetFrequency(44100), S_OK);
    EXPECT_EQ(buffer->GetFrequency(&frequency), S_OK);
    EXPECT_EQ(frequency, 44100u);
    EXPECT_EQ(buffer->SetFrequency(kFrequencyOriginal), S_OK);
    EXPECT_EQ(buffer->GetFrequency(&frequency), S_OK);
    EXPECT_EQ(frequency, 22050u);
}

TEST_F(SoundDeviceTest, PlayPositionFollowsTheClock)
{
    // 16-bit mono at 1000 samples a second: 2000 bytes a second, 2 bytes a
    // block; the buffer lasts one second.
    MemorySoundBuffer* buffer = Make(2000, Pcm(1, 1000, 16));
    ASSERT_EQ(buffer->Play(0, 3, 0), S_OK);
    EXPECT_EQ(Status(buffer), kStatusPlaying);
    EXPECT_EQ(buffer->GetPriority(), 3u);
    m_now += 250;
    EXPECT_EQ(PlayPosition(buffer), 500u);
    std::uint32_t play = 0, write = 0;
    ASSERT_EQ(buffer->GetCurrentPosition(&play, &write), S_OK);
    EXPECT_EQ(write, 520u); // 10 ms ahead

    // Twice the rate moves twice as fast from here on.
    ASSERT_EQ(buffer->SetFrequency(2000), S_OK);
    m_now += 100;
    EXPECT_EQ(PlayPosition(buffer), 900u);

    // Stopping keeps the position; time passing does not move it.
    ASSERT_EQ(buffer->Stop(), S_OK);
    m_now += 1000;
    EXPECT_EQ(PlayPosition(buffer), 900u);
    EXPECT_EQ(Status(buffer), 0u);

    // Played once, the buffer stops at its end and starts over next time.
    ASSERT_EQ(buffer->Play(0, 0, 0), S_OK);
    m_now += 300;
    EXPECT_EQ(Status(buffer), 0u);
    EXPECT_EQ(PlayPosition(buffer), 0u);
}

TEST_F(SoundDeviceTest, LoopingBufferWrapsAndKeepsPlaying)
{
    MemorySoundBuffer* buffer = Make(2000, Pcm(1, 1000, 16));
    ASSERT_EQ(buffer->SetCurrentPosition(1801), S_OK);
    EXPECT_EQ(PlayPosition(buffer), 1800u); // whole blocks only
    ASSERT_EQ(buffer->Play(0, 0, kPlayLooping), S_OK);
    m_now += 1300; // 2600 bytes on
    EXPECT_EQ(Status(buffer), kStatusPlaying | kStatusLooping);
    EXPECT_EQ(PlayPosition(buffer), (1800u + 2600u) % 2000u);
    EXPECT_EQ(buffer->SetCurrentPosition(2000), E_INVALIDARG);
}

TEST_F(SoundDeviceTest, ALostBufferStopsRefusesWorkAndComesBackEmpty)
{
    MemorySoundBuffer* buffer = Make(8, Pcm(1, 22050, 8));
    void* data = nullptr;
    std::uint32_t locked = 0;
    ASSERT_EQ(buffer->Lock(0, 0, &data, &locked), S_OK);
    std::memset(data, 0x55, locked);
    ASSERT_EQ(buffer->Unlock(data, locked), S_OK);
    ASSERT_EQ(buffer->Play(0, 0, kPlayLooping), S_OK);

    m_device.LoseAllBuffers();
    EXPECT_EQ(Status(buffer), kStatusBufferLost);
    EXPECT_EQ(buffer->Play(0, 0, 0), kSoundBufferLost);
    EXPECT_EQ(buffer->Lock(0, 0, &data, &locked), kSoundBufferLost);

    buffer->FailRestores(2);
    EXPECT_EQ(buffer->Restore(), kSoundBufferLost);
    EXPECT_EQ(buffer->Restore(), kSoundBufferLost);
    EXPECT_EQ(buffer->Restore(), S_OK);
    EXPECT_EQ(Status(buffer), 0u);
    EXPECT_EQ(buffer->GetBytes(), std::vector<std::uint8_t>(8, 0));
    EXPECT_EQ(buffer->Restore(), S_OK); // nothing to restore
    EXPECT_EQ(buffer->Play(0, 0, 0), S_OK);
}

TEST_F(SoundDeviceTest, ThreeDSideExistsOnlyForThreeDBuffersAndChecksItsValues)
{
    SoundBuffer* flat = Make(100, Pcm(1, 22050, 8));
    Sound3DBuffer* none = nullptr;
    EXPECT_EQ(flat->Query3DBuffer(&none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);

    SoundBuffer* placed = Make(100, Pcm(1, 22050, 8), kBufferControl3D | kBufferControlVolume);
    Sound3DBuffer* side = nullptr;
    ASSERT_EQ(placed->Query3DBuffer(&side), S_OK);
    Sound3DParameters parameters;
    ASSERT_EQ(side->GetAllParameters(&parameters), S_OK);
    EXPECT_FLOAT_EQ(parameters.minDistance, 1.0f);
    EXPECT_FLOAT_EQ(parameters.maxDistance, 1.0e9f);
    EXPECT_EQ(parameters.mode, kMode3DNormal);

    Sound3DParameters bad = parameters;
    bad.maxDistance = 0.5f; // below the minimum
    EXPECT_EQ(side->SetAllParameters(bad, kApplyImmediate), E_INVALIDARG);
    bad = parameters;
    bad.position.x = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(side->SetAllParameters(bad, kApplyImmediate), E_INVALIDARG);

    // Deferred values wait for the commit.
    Sound3DParameters moved = parameters;
    moved.position = {1.0f, 2.0f, 3.0f};
    ASSERT_EQ(side->SetAllParameters(moved, kApplyDeferred), S_OK);
    ASSERT_EQ(side->GetAllParameters(&parameters), S_OK);
    EXPECT_FLOAT_EQ(parameters.position.x, 0.0f);
    ASSERT_EQ(m_device.CommitDeferredSettings(), S_OK);
    ASSERT_EQ(side->GetAllParameters(&parameters), S_OK);
    EXPECT_FLOAT_EQ(parameters.position.z, 3.0f);
    side->Release();
}

TEST_F(SoundDeviceTest, ListenerDefersLikeTheBuffers)
{
    ListenerParameters listener;
    listener.position = {4.0f, 5.0f, 6.0f};
    ASSERT_EQ(m_device.SetListener(listener, kApplyDeferred), S_OK);
    ListenerParameters read;
    ASSERT_EQ(m_device.GetListener(&read), S_OK);
    EXPECT_FLOAT_EQ(read.position.x, 0.0f);
    ASSERT_EQ(m_device.CommitDeferredSettings(), S_OK);
    ASSERT_EQ(m_device.GetListener(&read), S_OK);
    EXPECT_FLOAT_EQ(read.position.y, 5.0f);
    listener.distanceFactor = 0.0f;
    EXPECT_EQ(m_device.SetListener(listener, kApplyImmediate), E_INVALIDARG);
}

TEST(SoundDeviceLifetimeTest, BuffersMayOutliveTheirDevice)
{
    const WaveFormat format = Pcm(1, 22050, 8);
    SoundBuffer* buffer = nullptr;
    {
        HeadlessSoundDevice device;
        SoundBufferDesc desc;
        desc.flags = kBufferControlVolume;
        desc.bufferBytes = 16;
        desc.format = &format;
        ASSERT_EQ(device.CreateSoundBuffer(desc, &buffer), S_OK);
        EXPECT_EQ(device.GetBufferCount(), 1u);
    }
    EXPECT_EQ(buffer->GetDevice(), nullptr);
    EXPECT_EQ(buffer->SetVolume(-10), S_OK);
    buffer->Release();
}

// A device commits, loses and counts only the buffers it made: another
// device's buffer is of another kind underneath, whatever interface it is
// handed through.
TEST(SoundDeviceLifetimeTest, EachDeviceWorksOnlyOnItsOwnBuffers)
{
    const WaveFormat format = Pcm(1, 22050, 8);
    HeadlessSoundDevice maker;
    HeadlessSoundDevice other;
    SoundBufferDesc desc;
    desc.flags = kBufferControl3D;
    desc.bufferBytes = 16;
    desc.format = &format;
    SoundBuffer* buffer = nullptr;
    ASSERT_EQ(maker.CreateSoundBuffer(desc, &buffer), S_OK);
    EXPECT_EQ(buffer->GetDevice(), &maker);
    ASSERT_NE(AsMemory(buffer), nullptr); // the headless device's are memory

    Sound3DBuffer* side = nullptr;
    ASSERT_EQ(buffer->Query3DBuffer(&side), S_OK);
    Sound3DParameters moved;
    moved.position = {7.0f, 0.0f, 0.0f};
    ASSERT_EQ(side->SetAllParameters(moved, kApplyDeferred), S_OK);
    ASSERT_EQ(other.CommitDeferredSettings(), S_OK);
    other.LoseAllBuffers();
    EXPECT_FLOAT_EQ(AsMemory(buffer)->Get3DParameters().position.x, 0.0f);
    EXPECT_FALSE(AsMemory(buffer)->IsLost());
    EXPECT_EQ(maker.GetBufferCount(), 1u);
    EXPECT_EQ(other.GetBufferCount(), 0u);

    ASSERT_EQ(maker.CommitDeferredSettings(), S_OK);
    EXPECT_FLOAT_EQ(AsMemory(buffer)->Get3DParameters().position.x, 7.0f);
    side->Release();
    EXPECT_EQ(buffer->Release(), 0u);
    EXPECT_EQ(maker.GetBufferCount(), 0u);
}
