#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include <optional>

#include "platform/Clock.h"
#include "platform/DrawSurface.h"
#include "platform/Embedding.h"
#include "platform/MediaStream.h"
#include "platform/OpenALSoundDevice.h"
#include "platform/VideoDecoder.h"
#include "support/ScratchFolder.h"
#include "support/ToolPath.h"
#include "core/ServiceOverride.h"

using namespace platform;

namespace {

constexpr std::uint32_t kWidth = 32;
constexpr std::uint32_t kHeight = 16;
// Ten frames a second, so frame n shows from n/10 s.
const char* const kColours[] = {"ff0000", "00ff00", "0000ff", "ffffff", "804020"};

std::uint32_t Rgb(const char* hex) { return static_cast<std::uint32_t>(std::strtoul(hex, nullptr, 16)); }

// A pixel of an X8R8G8B8 surface as 0xRRGGBB.
std::uint32_t PixelAt(const DrawSurface& surface, std::uint32_t x, std::uint32_t y)
{
    const std::uint8_t* pixel = surface.GetBytes() + y * surface.GetPitch() + x * 4;
    return static_cast<std::uint32_t>(pixel[2]) << 16 | static_cast<std::uint32_t>(pixel[1]) << 8 | pixel[0];
}

class VideoDecodingTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        const std::string generator = ToolPath("samplevideo");
        if (generator.empty())
            GTEST_SKIP() << "the video generator samplevideo is not built";
        m_folder.UseAsDataRoot();
        m_folder.Write("Data/Video/readme.txt", std::string("videos for the tests"));
        std::string frames = " " + std::to_string(kWidth) + " " + std::to_string(kHeight) + " 10";
        for (const char* colour : kColours)
            frames += std::string(" ") + colour;
        const std::string silent =
            "\"" + generator + "\" \"" + m_folder.Path("Data/Video/colours.avi") + "\"";
        ASSERT_EQ(std::system((silent + frames).c_str()), 0);
        const std::string toned =
            "\"" + generator + "\" --tone 441 \"" + m_folder.Path("Data/Video/toned.avi") + "\"";
        ASSERT_EQ(std::system((toned + frames).c_str()), 0);
        m_clock.emplace([this] { return m_now; });
    }
    void TearDown() override
    {
        CloseStream();
        m_clock.reset();
    }

    void CloseStream()
    {
        if (m_sample)
            m_sample->Release();
        if (m_surface)
            m_surface->Release();
        if (m_stream)
            m_stream->Release();
        if (m_device)
            m_device->Release();
        m_sample = nullptr;
        m_surface = nullptr;
        m_stream = nullptr;
        m_device = nullptr;
    }

    void OpenStream(const char* name = "colours.avi", bool audio = false)
    {
        ASSERT_EQ(CreateDrawDevice(&m_device), S_OK);
        ASSERT_EQ(CreateMultiMediaStream(&m_stream), S_OK);
        ASSERT_EQ(m_stream->Initialize(nullptr), S_OK);
        ASSERT_EQ(m_stream->AddMediaStream(m_device, StreamPurpose::PrimaryVideo, 0, nullptr), S_OK);
        if (audio) {
            ASSERT_EQ(
                m_stream->AddMediaStream(nullptr, StreamPurpose::PrimaryAudio, kAddDefaultRenderer, nullptr),
                S_OK);
        }
        ASSERT_EQ(m_stream->OpenFile(WidenText(std::string("Data\\Video\\") + name)), S_OK);
        MediaStream* video = nullptr;
        ASSERT_EQ(m_stream->GetMediaStream(StreamPurpose::PrimaryVideo, &video), S_OK);
        DrawMediaStream* draw = nullptr;
        ASSERT_EQ(video->QueryDrawStream(&draw), S_OK);
        video->Release();
        DrawSurfaceDesc desc;
        ASSERT_EQ(draw->GetFormat(&desc), S_OK);
        ASSERT_EQ(desc.width, kWidth);
        ASSERT_EQ(desc.height, kHeight);
        ASSERT_EQ(m_device->CreateSurface(desc, &m_surface), S_OK);
        ASSERT_EQ(draw->CreateSample(m_surface, &m_sample), S_OK);
        draw->Release();
    }

    ScratchFolder m_folder;
    std::uint32_t m_now = 1000;
    DrawDevice* m_device = nullptr;
    MultiMediaStream* m_stream = nullptr;
    DrawSurface* m_surface = nullptr;
    StreamSample* m_sample = nullptr;

  private:
    std::optional<ServiceOverride<GetClockSource, SetClockSource>> m_clock;
};

TEST_F(VideoDecodingTest, FramesShowTheFilesColoursInOrderAtItsRateThenTheVideoEnds)
{
    OpenStream();
    ASSERT_EQ(m_stream->SetState(StreamRunState::Running), S_OK);
    // Half way through each frame's tenth of a second.
    m_now += 50;
    for (const char* colour : kColours) {
        SCOPED_TRACE(colour);
        ASSERT_EQ(m_sample->Update(), S_OK);
        EXPECT_EQ(PixelAt(*m_surface, 0, 0), Rgb(colour));
        EXPECT_EQ(PixelAt(*m_surface, kWidth - 1, kHeight - 1), Rgb(colour));
        m_now += 100;
    }
    EXPECT_EQ(m_surface->GetFrameCount(), 5u);
    EXPECT_EQ(m_sample->Update(), kStreamEnded) << "half a second of five frames is over";

    // A looping player goes back to the start: the first colour again.
    MediaGraph* graph = nullptr;
    ASSERT_EQ(m_stream->GetFilterGraph(&graph), S_OK);
    void* position = nullptr;
    ASSERT_EQ(graph->QueryInterface(MediaInterface::Position, &position), S_OK);
    ASSERT_EQ(static_cast<MediaPosition*>(position)->SetCurrentPosition(0.25), S_OK);
    ASSERT_EQ(m_sample->Update(), S_OK);
    EXPECT_EQ(PixelAt(*m_surface, 5, 5), Rgb(kColours[2]));
    ASSERT_EQ(static_cast<MediaPosition*>(position)->SetCurrentPosition(0.0), S_OK);
    ASSERT_EQ(m_sample->Update(), S_OK);
    EXPECT_EQ(PixelAt(*m_surface, 5, 5), Rgb(kColours[0]));
    static_cast<MediaPosition*>(position)->Release();
    graph->Release();
}

TEST_F(VideoDecodingTest, TheDecoderSkipsAheadAndStartsOverForAnEarlierFrame)
{
    std::string error;
    auto decoder = VideoDecoder::Open(m_folder.Path("Data/Video/colours.avi"), kWidth, kHeight, &error);
    ASSERT_NE(decoder, nullptr) << error;
    std::vector<std::uint8_t> pixels(kWidth * kHeight * 4);
    auto colourOf = [&](std::uint32_t frame) {
        EXPECT_TRUE(decoder->ReadFrame(frame, pixels.data(), kWidth * 4));
        return static_cast<std::uint32_t>(pixels[2]) << 16 | static_cast<std::uint32_t>(pixels[1]) << 8 |
               pixels[0];
    };
    EXPECT_EQ(colourOf(3), Rgb(kColours[3]));
    EXPECT_EQ(colourOf(1), Rgb(kColours[1]));
    EXPECT_EQ(colourOf(99), Rgb(kColours[4])) << "past the end the last frame stays";

    m_folder.Write("Data/Video/broken.avi", std::string("RIFF\x10\0\0\0AVI LIST", 16));
    EXPECT_EQ(VideoDecoder::Open(m_folder.Path("Data/Video/broken.avi"), kWidth, kHeight, &error), nullptr);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(VideoDecoder::Open(m_folder.Path("Data/Video/none.avi"), kWidth, kHeight, &error), nullptr);
}

TEST_F(VideoDecodingTest, AVideoOfUnknownLengthShowsItsLastFrameHoweverLongItPlays)
{
    // The header gives no frame count and a frame time of 1 us: after
    // 2^32 us and a little more, the frame index no longer fits 32 bits.
    std::string avi = m_folder.Read("Data/Video/colours.avi");
    const std::size_t header = avi.find("avih");
    ASSERT_NE(header, std::string::npos);
    const std::size_t frameTimeAt = header + 8, frameCountAt = header + 8 + 16;
    avi.replace(frameTimeAt, 4, std::string("\1\0\0\0", 4));
    avi.replace(frameCountAt, 4, std::string(4, '\0'));
    m_folder.Write("Data/Video/endless.avi", avi);
    OpenStream("endless.avi");
    ASSERT_EQ(m_stream->GetHeader().frameCount, 0u);
    ASSERT_EQ(m_stream->GetHeader().microsecondsPerFrame, 1u);
    ASSERT_EQ(m_stream->SetState(StreamRunState::Running), S_OK);
    MediaGraph* graph = nullptr;
    ASSERT_EQ(m_stream->GetFilterGraph(&graph), S_OK);
    void* position = nullptr;
    ASSERT_EQ(graph->QueryInterface(MediaInterface::Position, &position), S_OK);
    // 2^32 + 2 frame times: an index cut to 32 bits would be frame 2.
    ASSERT_EQ(static_cast<MediaPosition*>(position)->SetCurrentPosition(4294.967298), S_OK);
    EXPECT_EQ(m_sample->Update(), S_OK);
    EXPECT_EQ(PixelAt(*m_surface, 3, 3), Rgb(kColours[4]));
    static_cast<MediaPosition*>(position)->Release();
    graph->Release();
}

} // namespace

namespace {

// Loudness of the left channel over a stretch of mixed output.
double LeftRms(const std::vector<float>& stereo)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < stereo.size(); i += 2)
        sum += stereo[i] * stereo[i];
    return std::sqrt(sum / (stereo.size() / 2));
}

} // namespace

TEST_F(VideoDecodingTest, AVideosSoundIsHeardWhenItsAudioStreamIsAddedAndItsFramesStillShow)
{
    std::string error;
    auto speakers = OpenALSoundDevice::OpenLoopback(44100, &error);
    if (!speakers)
        GTEST_SKIP() << "OpenAL cannot mix into memory here: " << error;
    const ScopedMusicOutput heard(speakers->GetMusicOutput());
    std::vector<float> mix(44100 / 5 * 2);

    for (bool audio : {true, false}) {
        SCOPED_TRACE(audio ? "with its audio stream" : "without");
        OpenStream("toned.avi", audio);
        ASSERT_EQ(m_stream->SetState(StreamRunState::Running), S_OK);
        m_now += 150;
        ASSERT_EQ(m_sample->Update(), S_OK);
        EXPECT_EQ(PixelAt(*m_surface, 1, 1), Rgb(kColours[1]));
        ASSERT_TRUE(speakers->Render(mix.data(), 44100 / 5));
        if (audio)
            EXPECT_GT(LeftRms(mix), 0.15); // a centred half-scale tone
        else
            EXPECT_LT(LeftRms(mix), 1e-4);
        ASSERT_EQ(m_stream->SetState(StreamRunState::Stopped), S_OK);
        ASSERT_TRUE(speakers->Render(mix.data(), 44100 / 5));
        ASSERT_TRUE(speakers->Render(mix.data(), 44100 / 5));
        EXPECT_LT(LeftRms(mix), 1e-4) << "a stopped video is not heard";
        CloseStream();
    }
}
