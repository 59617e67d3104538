#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/HeadlessSoundDevice.h"
#include "platform/OpenALSoundBuffer.h"
#include "platform/OpenALSoundDevice.h"
#include "core/ServiceOverride.h"

using namespace platform;

namespace {

constexpr std::uint32_t kMixRate = 44100;
constexpr std::uint32_t kToneRate = 22050;
constexpr float kPi = 3.14159265f;

WaveFormat Pcm(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
               std::uint16_t tag = kWaveFormatPcm)
{
    WaveFormat format;
    format.formatTag = tag;
    format.channels = channels;
    format.samplesPerSecond = rate;
    format.bitsPerSample = bits;
    format.blockAlign = static_cast<std::uint16_t>(channels * bits / 8);
    format.averageBytesPerSecond = rate * format.blockAlign;
    return format;
}

// What a stretch of mixed output sounds like.
struct Heard {
    double seconds = 0.0; // from the first to the last sample above the noise floor
    double leftRms = 0.0;
    double rightRms = 0.0;
};

Heard Listen(const std::vector<float>& stereo)
{
    Heard heard;
    std::size_t first = stereo.size();
    std::size_t last = 0;
    double left = 0.0;
    double right = 0.0;
    const std::size_t frames = stereo.size() / 2;
    for (std::size_t i = 0; i < frames; ++i) {
        const float l = stereo[2 * i];
        const float r = stereo[2 * i + 1];
        left += l * l;
        right += r * r;
        if (std::fabs(l) > 1e-3f || std::fabs(r) > 1e-3f) {
            first = std::min(first, i);
            last = i;
        }
    }
    if (first <= last)
        heard.seconds = static_cast<double>(last - first + 1) / kMixRate;
    heard.leftRms = std::sqrt(left / frames);
    heard.rightRms = std::sqrt(right / frames);
    return heard;
}

// A 441 Hz tone, 16-bit mono, `seconds` long, amplitude one half.
std::vector<std::uint8_t> Tone(double seconds)
{
    const std::size_t samples = static_cast<std::size_t>(seconds * kToneRate);
    std::vector<std::uint8_t> bytes(samples * 2);
    for (std::size_t i = 0; i < samples; ++i) {
        const auto value =
            static_cast<std::int16_t>(16384.0f * std::sin(2.0f * kPi * 441.0f * i / kToneRate));
        std::memcpy(&bytes[2 * i], &value, 2);
    }
    return bytes;
}

class OpenALSoundDeviceTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        std::string error;
        m_device = OpenALSoundDevice::OpenLoopback(kMixRate, &error);
        if (!m_device)
            GTEST_SKIP() << "OpenAL cannot mix into memory here: " << error;
    }
    void TearDown() override
    {
        for (SoundBuffer* buffer : m_made)
            buffer->Release();
    }

    SoundBuffer* MakeTone(double seconds,
                          std::uint32_t flags = kBufferControlVolume | kBufferControlFrequency)
    {
        const std::vector<std::uint8_t> samples = Tone(seconds);
        return MakeBuffer(Pcm(1, kToneRate, 16), samples, flags);
    }

    SoundBuffer* MakeBuffer(const WaveFormat& format, const std::vector<std::uint8_t>& samples,
                            std::uint32_t flags)
    {
        SoundBufferDesc desc;
        desc.flags = flags;
        desc.bufferBytes = static_cast<std::uint32_t>(samples.size());
        desc.format = &format;
        SoundBuffer* buffer = nullptr;
        EXPECT_EQ(m_device->CreateSoundBuffer(desc, &buffer), S_OK);
        if (!buffer)
            return nullptr;
        m_made.push_back(buffer);
        void* data = nullptr;
        std::uint32_t locked = 0;
        EXPECT_EQ(buffer->Lock(0, 0, &data, &locked), S_OK);
        std::memcpy(data, samples.data(), locked);
        EXPECT_EQ(buffer->Unlock(data, locked), S_OK);
        return buffer;
    }

    std::vector<float> Record(double seconds)
    {
        std::vector<float> out(static_cast<std::size_t>(seconds * kMixRate) * 2);
        EXPECT_TRUE(m_device->Render(out.data(), static_cast<std::uint32_t>(out.size() / 2)));
        return out;
    }

    std::unique_ptr<OpenALSoundDevice> m_device;
    std::vector<SoundBuffer*> m_made;
};

TEST_F(OpenALSoundDeviceTest, APlayedBufferIsHeardForItsLengthAndThenStops)
{
    SoundBuffer* tone = MakeTone(0.25);
    ASSERT_NE(tone, nullptr);
    EXPECT_TRUE(Listen(Record(0.1)).seconds == 0.0) << "nothing plays before Play";
    ASSERT_EQ(tone->Play(0, 0, 0), S_OK);
    const Heard heard = Listen(Record(0.5));
    EXPECT_NEAR(heard.seconds, 0.25, 0.01);
    // A centred mono tone of amplitude 1/2 reaches each side at about
    // 1/2 * 0.707 peak, i.e. 0.25 RMS, over half the recording.
    EXPECT_NEAR(heard.leftRms, heard.rightRms, 0.01);
    EXPECT_GT(heard.leftRms, 0.12);
    EXPECT_LT(heard.leftRms, 0.26);
}

TEST_F(OpenALSoundDeviceTest, VolumeFollowsTheDecibelLawAndFrequencyTheLength)
{
    SoundBuffer* tone = MakeTone(0.5);
    ASSERT_NE(tone, nullptr);
    tone->Play(0, 0, kPlayLooping);
    const double full = Listen(Record(0.3)).leftRms;
    ASSERT_EQ(tone->SetVolume(-600), S_OK); // -6 dB: half the amplitude
    Record(0.05);                           // let the gain change settle
    const double lowered = Listen(Record(0.3)).leftRms;
    EXPECT_NEAR(lowered / full, std::pow(10.0, -0.3), 0.03);
    ASSERT_EQ(tone->SetVolume(kVolumeMin), S_OK);
    Record(0.05);
    EXPECT_LT(Listen(Record(0.2)).leftRms, 1e-4);

    ASSERT_EQ(tone->Stop(), S_OK);
    ASSERT_EQ(tone->SetVolume(0), S_OK);
    ASSERT_EQ(tone->SetFrequency(2 * kToneRate), S_OK);
    ASSERT_EQ(tone->SetCurrentPosition(0), S_OK);
    Record(0.05);
    ASSERT_EQ(tone->Play(0, 0, 0), S_OK);
    EXPECT_NEAR(Listen(Record(0.5)).seconds, 0.25, 0.01) << "twice the rate plays in half the time";
}

TEST_F(OpenALSoundDeviceTest, LoopingPlaysOnUntilStopped)
{
    SoundBuffer* tone = MakeTone(0.1);
    ASSERT_NE(tone, nullptr);
    ASSERT_EQ(tone->Play(0, 0, kPlayLooping), S_OK);
    const Heard looping = Listen(Record(0.5));
    EXPECT_NEAR(looping.seconds, 0.5, 0.01);
    ASSERT_EQ(tone->Stop(), S_OK);
    Record(0.02);
    EXPECT_EQ(Listen(Record(0.2)).seconds, 0.0);
}

TEST_F(OpenALSoundDeviceTest, APositionedSoundIsLouderOnItsSideAndFainterFarAway)
{
    SoundBuffer* tone = MakeTone(0.5, kBufferControl3D | kBufferControlVolume);
    ASSERT_NE(tone, nullptr);
    Sound3DBuffer* spatial = nullptr;
    ASSERT_EQ(tone->Query3DBuffer(&spatial), S_OK);
    struct Case {
        Vector3 position;
        bool rightLouder;
    };
    // The listener stands at the origin facing +z with +y up, so +x is on
    // its right.
    const Case cases[] = {{{2.0f, 0.0f, 0.0f}, true}, {{-2.0f, 0.0f, 0.0f}, false}};
    for (const Case& c : cases) {
        Sound3DParameters parameters;
        parameters.position = c.position;
        ASSERT_EQ(spatial->SetAllParameters(parameters, kApplyImmediate), S_OK);
        ASSERT_EQ(tone->SetCurrentPosition(0), S_OK);
        ASSERT_EQ(tone->Play(0, 0, kPlayLooping), S_OK);
        Record(0.05);
        const Heard heard = Listen(Record(0.2));
        tone->Stop();
        if (c.rightLouder)
            EXPECT_GT(heard.rightRms, 2.0 * heard.leftRms) << "sound at x=" << c.position.x;
        else
            EXPECT_GT(heard.leftRms, 2.0 * heard.rightRms) << "sound at x=" << c.position.x;
    }

    // Ahead at the minimum distance, then four times as far: the inverse
    // distance law gives a quarter of the amplitude.
    auto loudnessAt = [&](float distance) {
        Sound3DParameters parameters;
        parameters.position = {0.0f, 0.0f, distance};
        EXPECT_EQ(spatial->SetAllParameters(parameters, kApplyImmediate), S_OK);
        tone->Play(0, 0, kPlayLooping);
        Record(0.05);
        const Heard heard = Listen(Record(0.2));
        tone->Stop();
        return heard.leftRms + heard.rightRms;
    };
    const double near = loudnessAt(1.0f);
    const double far = loudnessAt(4.0f);
    EXPECT_NEAR(far / near, 0.25, 0.03);

    // Turning the listener round puts the sound on its other side.
    Sound3DParameters right;
    right.position = {2.0f, 0.0f, 0.0f};
    spatial->SetAllParameters(right, kApplyImmediate);
    ListenerParameters listener;
    listener.front = {0.0f, 0.0f, -1.0f};
    ASSERT_EQ(m_device->SetListener(listener, kApplyDeferred), S_OK);
    ASSERT_EQ(m_device->CommitDeferredSettings(), S_OK);
    tone->Play(0, 0, kPlayLooping);
    Record(0.05);
    const Heard turned = Listen(Record(0.2));
    EXPECT_GT(turned.leftRms, 2.0 * turned.rightRms);
    spatial->Release();
}

TEST_F(OpenALSoundDeviceTest, FormatsOpenALLacksAreConvertedAndManyVoicesPlayAtOnce)
{
    // A float stereo buffer of constant 0.25 on the left only.
    const std::uint32_t frames = kToneRate / 10;
    std::vector<std::uint8_t> samples(frames * 8);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const float left = 0.25f * std::sin(2.0f * kPi * 441.0f * i / kToneRate);
        const float right = 0.0f;
        std::memcpy(&samples[8 * i], &left, 4);
        std::memcpy(&samples[8 * i + 4], &right, 4);
    }
    SoundBuffer* floating =
        MakeBuffer(Pcm(2, kToneRate, 32, kWaveFormatFloat), samples, kBufferControlVolume);
    ASSERT_NE(floating, nullptr);
    floating->Play(0, 0, 0);
    const Heard heard = Listen(Record(0.2));
    EXPECT_NEAR(heard.seconds, 0.1, 0.01);
    EXPECT_GT(heard.leftRms, 0.05);
    EXPECT_LT(heard.rightRms, 1e-3);

    for (int i = 0; i < 300; ++i) {
        SoundBuffer* voice = MakeTone(0.05);
        ASSERT_NE(voice, nullptr);
        ASSERT_EQ(voice->Play(0, 0, 0), S_OK);
    }
    EXPECT_EQ(m_device->GetSilentBufferCount(), 0u);
}

TEST_F(OpenALSoundDeviceTest, NewSamplesInAPlayingBufferAreHeardAndBuffersOutliveTheDevice)
{
    SoundBuffer* tone = MakeTone(0.2);
    ASSERT_NE(tone, nullptr);
    tone->Play(0, 0, kPlayLooping);
    EXPECT_GT(Listen(Record(0.1)).leftRms, 0.1);
    void* data = nullptr;
    std::uint32_t locked = 0;
    ASSERT_EQ(tone->Lock(0, 0, &data, &locked), S_OK);
    std::memset(data, 0, locked);
    ASSERT_EQ(tone->Unlock(data, locked), S_OK);
    EXPECT_EQ(Listen(Record(0.2)).seconds, 0.0) << "the silenced samples replace the tone";

    tone->AddRef();
    for (SoundBuffer* buffer : m_made)
        buffer->Release();
    m_made.clear();
    m_device.reset();
    EXPECT_FALSE(dynamic_cast<OpenALSoundBuffer&>(*tone).IsHeard());
    EXPECT_EQ(tone->Play(0, 0, 0), S_OK);
    EXPECT_EQ(tone->Release(), 0u);
}

// The device makes buffers of its own that sound through it; the headless
// device, committing or losing its own, leaves them alone. Opening the
// device installs no music output: its owner does, for as long as it
// holds it.
TEST_F(OpenALSoundDeviceTest, ItsBuffersAreItsOwnAndItsOwnerInstallsItsMusicOutput)
{
    SoundBuffer* tone = MakeTone(0.5, kBufferControl3D | kBufferControlVolume);
    ASSERT_NE(tone, nullptr);
    EXPECT_EQ(tone->GetDevice(), m_device.get());
    auto* heard = dynamic_cast<OpenALSoundBuffer*>(tone);
    ASSERT_NE(heard, nullptr);
    EXPECT_TRUE(heard->IsHeard());

    Sound3DBuffer* spatial = nullptr;
    ASSERT_EQ(tone->Query3DBuffer(&spatial), S_OK);
    Sound3DParameters right;
    right.position = {2.0f, 0.0f, 0.0f};
    ASSERT_EQ(spatial->SetAllParameters(right, kApplyDeferred), S_OK);
    HeadlessSoundDevice headless;
    headless.CommitDeferredSettings();
    headless.LoseAllBuffers();
    ASSERT_EQ(tone->Play(0, 0, kPlayLooping), S_OK);
    Record(0.05);
    const Heard centred = Listen(Record(0.2));
    EXPECT_NEAR(centred.leftRms, centred.rightRms, 0.01) << "another device's commit moved nothing";
    ASSERT_EQ(m_device->CommitDeferredSettings(), S_OK);
    Record(0.05);
    const Heard placed = Listen(Record(0.2));
    EXPECT_GT(placed.rightRms, 2.0 * placed.leftRms);
    spatial->Release();

    EXPECT_EQ(GetMusicOutput(), nullptr);
    {
        const ScopedMusicOutput installed(m_device->GetMusicOutput());
        EXPECT_EQ(GetMusicOutput(), m_device.get());
    }
    EXPECT_EQ(GetMusicOutput(), nullptr);
}

} // namespace

namespace {

TEST_F(OpenALSoundDeviceTest, ABufferPlayedAgainAfterItsEndStartsOverWhileItsLastSamplesStillSound)
{
    std::uint32_t now = 1000;
    ServiceOverride<GetClockSource, SetClockSource> installedClockSource([&now] { return now; });
    SoundBuffer* tone = MakeTone(0.25);
    ASSERT_NE(tone, nullptr);
    ASSERT_EQ(tone->Play(0, 0, 0), S_OK);
    Record(0.2); // the mix is behind the clock: 0.05 s of the tone are left in it
    now += 300;  // the clock has passed the end
    ASSERT_EQ(tone->Play(0, 0, 0), S_OK);
    EXPECT_NEAR(Listen(Record(0.5)).seconds, 0.25, 0.01);
}

} // namespace
