#include <gtest/gtest.h>

#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "platform/Embedding.h"
#include "platform/HeadlessMedia.h"
#include "platform/MediaGraph.h"
#include "platform/MusicOutput.h"
#include "platform/OpenALContext.h"
#include "platform/OpenALMusicTrack.h"
#include "platform/OpenALSoundDevice.h"
#include "support/ScratchFolder.h"

using namespace platform;

namespace {

constexpr std::uint32_t kRate = 44100;
constexpr double kToneSeconds = 0.5;

// Writes `seconds` of a 441 Hz stereo tone of amplitude one half in the
// given container and encoding.
bool WriteTone(const std::string& path, int format)
{
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 2;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    const std::size_t frames = static_cast<std::size_t>(kToneSeconds * kRate);
    std::vector<float> samples(frames * 2);
    for (std::size_t i = 0; i < frames; ++i)
        samples[2 * i] = samples[2 * i + 1] = 0.5f * std::sin(2.0f * 3.14159265f * 441.0f * i / kRate);
    const sf_count_t written = sf_writef_float(file, samples.data(), static_cast<sf_count_t>(frames));
    sf_close(file);
    return written == static_cast<sf_count_t>(frames);
}

struct Heard {
    double seconds = 0.0;
    double rms = 0.0;
};

Heard Listen(const std::vector<float>& stereo)
{
    Heard heard;
    double sum = 0.0;
    std::size_t first = stereo.size();
    std::size_t last = 0;
    for (std::size_t i = 0; i + 1 < stereo.size(); i += 2) {
        sum += stereo[i] * stereo[i];
        if (std::fabs(stereo[i]) > 1e-3f || std::fabs(stereo[i + 1]) > 1e-3f) {
            first = std::min(first, i / 2);
            last = i / 2;
        }
    }
    if (first <= last)
        heard.seconds = static_cast<double>(last - first + 1) / kRate;
    heard.rms = std::sqrt(sum / (stereo.size() / 2));
    return heard;
}

template <class Interface> Interface* Query(MediaGraph* graph, MediaInterface id)
{
    void* out = nullptr;
    EXPECT_EQ(graph->QueryInterface(id, &out), S_OK);
    return static_cast<Interface*>(out);
}

class MusicDecodingTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        std::string error;
        m_device = OpenALSoundDevice::OpenLoopback(kRate, &error);
        if (!m_device)
            GTEST_SKIP() << "OpenAL cannot mix into memory here: " << error;
        // Opening a device installs nothing; its owner installs it.
        ASSERT_EQ(GetMusicOutput(), nullptr);
        m_installed = std::make_unique<ScopedMusicOutput>(m_device->GetMusicOutput());
        ASSERT_EQ(GetMusicOutput(), m_device.get());
        m_folder.UseAsDataRoot();
        m_folder.Write("Data/Music/readme.txt", std::string("tracks for the tests"));
    }
    void TearDown() override
    {
        Close();
        m_installed.reset();
        EXPECT_EQ(GetMusicOutput(), nullptr);
        m_device.reset();
    }

    void Open(const std::string& name)
    {
        Close();
        ASSERT_EQ(CreateMediaGraph(&m_graph), S_OK);
        ASSERT_EQ(m_graph->RenderFile(WidenText("Data\\Music\\" + name)), S_OK);
        m_control = Query<MediaControl>(m_graph, MediaInterface::Control);
        m_event = Query<MediaEvent>(m_graph, MediaInterface::Event);
        m_position = Query<MediaPosition>(m_graph, MediaInterface::Position);
        m_audio = Query<BasicAudio>(m_graph, MediaInterface::Audio);
    }
    void Close()
    {
        for (MediaUnknown* held :
             std::initializer_list<MediaUnknown*>{m_control, m_event, m_position, m_audio})
            if (held)
                held->Release();
        m_control = nullptr;
        m_event = nullptr;
        m_position = nullptr;
        m_audio = nullptr;
        if (m_graph)
            m_graph->Release();
        m_graph = nullptr;
    }

    // Mixes in steps of a tenth of a second, asking the graph for events
    // between them as the game's frames do; counts completions.
    Heard Play(double seconds, int* completions = nullptr)
    {
        std::vector<float> all;
        std::vector<float> step(kRate / 10 * 2);
        for (double done = 0.0; done < seconds - 1e-9; done += 0.1) {
            EXPECT_TRUE(m_device->Render(step.data(), kRate / 10));
            all.insert(all.end(), step.begin(), step.end());
            std::int32_t code = 0;
            while (Succeeded(m_event->GetEvent(&code)))
                if (code == kMediaEventComplete && completions)
                    ++*completions;
        }
        return Listen(all);
    }

    double Position()
    {
        double seconds = -1.0;
        EXPECT_EQ(m_position->GetCurrentPosition(&seconds), S_OK);
        return seconds;
    }

    ScratchFolder m_folder;
    std::unique_ptr<OpenALSoundDevice> m_device;
    std::unique_ptr<ScopedMusicOutput> m_installed;
    MediaGraph* m_graph = nullptr;
    MediaControl* m_control = nullptr;
    MediaEvent* m_event = nullptr;
    MediaPosition* m_position = nullptr;
    BasicAudio* m_audio = nullptr;
};

TEST_F(MusicDecodingTest, TracksOfEachFormatAreHeardForTheirLengthAndThenComplete)
{
    struct Case {
        const char* name;
        int format;
        double tolerance; // lossy coding smears the edges
    };
    const Case cases[] = {{"tone.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0.01},
                          {"tone.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 0.01},
                          {"tone.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 0.03}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteTone(m_folder.Path(std::string("Data/Music/") + c.name), c.format));
        Open(c.name);
        ASSERT_TRUE(AsHeadless(m_graph)->IsDecoding());
        double duration = 0.0;
        ASSERT_EQ(m_position->GetDuration(&duration), S_OK);
        EXPECT_NEAR(duration, kToneSeconds, 0.01);

        EXPECT_EQ(Play(0.2).seconds, 0.0) << "nothing is heard before Run";
        ASSERT_EQ(m_control->Run(), S_OK);
        int completions = 0;
        const Heard start = Play(0.3, &completions);
        EXPECT_NEAR(Position(), 0.3, 0.02);
        EXPECT_GT(start.rms, 0.15); // a centred half-amplitude tone
        const Heard rest = Play(0.5, &completions);
        EXPECT_NEAR(start.seconds + rest.seconds, kToneSeconds, c.tolerance);
        EXPECT_EQ(completions, 1);
        EXPECT_NEAR(Position(), kToneSeconds, 0.01);
    }
}

TEST_F(MusicDecodingTest, VolumePauseAndRestartFromTheStartAsALoopDoes)
{
    ASSERT_TRUE(WriteTone(m_folder.Path("Data/Music/tone.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_16));
    Open("tone.flac");
    ASSERT_EQ(m_control->Run(), S_OK);
    const double full = Play(0.2).rms;
    ASSERT_EQ(m_audio->SetVolume(-600), S_OK);
    Play(0.1);
    EXPECT_NEAR(Play(0.1).rms / full, std::pow(10.0, -0.3), 0.05);

    ASSERT_EQ(m_control->Pause(), S_OK);
    const double held = Position();
    EXPECT_EQ(Play(0.3).seconds, 0.0);
    EXPECT_NEAR(Position(), held, 1e-6);

    ASSERT_EQ(m_audio->SetVolume(0), S_OK);
    ASSERT_EQ(m_control->Run(), S_OK);
    int completions = 0;
    Play(0.6, &completions);
    ASSERT_EQ(completions, 1);
    // What the music player does at a looping track's end.
    ASSERT_EQ(m_position->SetCurrentPosition(0.0), S_OK);
    ASSERT_EQ(m_control->Run(), S_OK);
    EXPECT_NEAR(Play(0.7, &completions).seconds, kToneSeconds, 0.01);
    EXPECT_EQ(completions, 2);
}

TEST_F(MusicDecodingTest, FilesTheDecoderRefusesKeepTheSilentClock)
{
    m_folder.Write("Data/Music/notes.txt", std::string("not a track at all"));
    Open("notes.txt");
    EXPECT_FALSE(AsHeadless(m_graph)->IsDecoding());
    EXPECT_EQ(m_control->Run(), S_OK);

    // A graph outliving the device falls silent but stays usable.
    ASSERT_TRUE(WriteTone(m_folder.Path("Data/Music/tone.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16));
    Open("tone.wav");
    ASSERT_EQ(m_control->Run(), S_OK);
    Play(0.2);
    m_installed.reset();
    m_device.reset();
    EXPECT_EQ(m_control->Pause(), S_OK);
    EXPECT_NEAR(Position(), 0.2, 0.02);
    EXPECT_EQ(m_position->SetCurrentPosition(0.0), E_FAIL);
}

} // namespace

TEST(MusicPumpThread, FeedsTracksWhileTheyPlayAndLetsGoOfThemWhenItStops)
{
    std::string error;
    std::unique_ptr<OpenALContext> context = OpenALContext::OpenLoopback(kRate, &error);
    if (!context)
        GTEST_SKIP() << "OpenAL cannot mix into memory here: " << error;
    ScratchFolder folder;
    ASSERT_TRUE(WriteTone(folder.Path("tone.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16));
    auto pump = std::make_unique<OpenALMusicPump>(*context, true);
    std::unique_ptr<MusicTrack> track = pump->Open(OpenSoundFile(folder.Path("tone.wav"), &error), &error);
    ASSERT_NE(track, nullptr) << error;
    track->Play();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::vector<float> mix(kRate / 5 * 2);
    ASSERT_TRUE(context->Render(mix.data(), kRate / 5));
    EXPECT_GT(Listen(mix).rms, 0.15);
    EXPECT_FALSE(track->HasEnded());

    pump.reset(); // the device goes before the graph that holds the track
    EXPECT_FALSE(track->HasEnded());
    EXPECT_NEAR(track->GetPosition(), 0.2, 0.02);
    track->Play();
    track.reset();
}

namespace {

// The checksum of an Ogg page (polynomial 0x04C11DB7, no reflection).
std::uint32_t OggChecksum(const std::string& page)
{
    std::uint32_t crc = 0;
    for (unsigned char byte : page) {
        crc ^= static_cast<std::uint32_t>(byte) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

// Sets a byte of the file's first page and mends that page's checksum, so
// that only the content is wrong.
std::string WithFirstPageByte(std::string file, std::size_t at, char value)
{
    file[at] = value;
    const std::size_t segments = static_cast<unsigned char>(file[26]);
    std::size_t size = 27 + segments;
    for (std::size_t i = 0; i < segments; ++i)
        size += static_cast<unsigned char>(file[27 + i]);
    std::string page = file.substr(0, size);
    page.replace(22, 4, std::string(4, '\0'));
    const std::uint32_t crc = OggChecksum(page);
    for (int i = 0; i < 4; ++i)
        file[22 + static_cast<std::size_t>(i)] = static_cast<char>(crc >> (8 * i));
    return file;
}

} // namespace

// libsndfile keeps 5.8 KB of the Vorbis decoder when an Ogg Vorbis file's
// identification header is malformed (the sanitized run counts it as a
// leak): such files are refused before it sees them.
TEST(MusicFiles, OggVorbisFilesWithMalformedHeadersAreRefusedBeforeTheDecoderOpensThem)
{
    ScratchFolder folder;
    const std::string good = folder.Path("good.ogg");
    ASSERT_TRUE(WriteTone(good, SF_FORMAT_OGG | SF_FORMAT_VORBIS));
    const std::string file = folder.Read("good.ogg");
    const std::size_t identification = file.find("\x01vorbis");
    ASSERT_NE(identification, std::string::npos);
    struct Case {
        const char* what;
        std::string bytes;
        const char* reason; // null: the file plays
    };
    const Case cases[] = {
        {"whole", file, nullptr},
        {"a Vorbis version of its own", WithFirstPageByte(file, identification + 8, '\x7F'), "header 1"},
        {"no channels", WithFirstPageByte(file, identification + 11, '\0'), "header 1"},
        {"the first page from another stream", WithFirstPageByte(file, 14, '\x5A'), "end early"},
        {"only its first page", file.substr(0, file.find("OggS", 4)), "end early"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        folder.Write("track.ogg", c.bytes);
        std::string error;
        std::unique_ptr<PcmSource> source = OpenSoundFile(folder.Path("track.ogg"), &error);
        if (!c.reason) {
            ASSERT_NE(source, nullptr) << error;
            EXPECT_EQ(source->GetFrames(), static_cast<std::int64_t>(kToneSeconds * kRate));
            continue;
        }
        EXPECT_EQ(source, nullptr);
        EXPECT_NE(error.find("Ogg Vorbis file is malformed"), std::string::npos) << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}
