#include <gtest/gtest.h>

#include <cstring>

#include <optional>

#include "platform/Clock.h"
#include "platform/Embedding.h"
#include "platform/MediaStream.h"
#include "platform/VideoFile.h"
#include "support/ScratchFolder.h"
#include "support/VideoFiles.h"
#include "support/WaveFiles.h"
#include "platform/HeadlessMedia.h"
#include "core/ServiceOverride.h"

using namespace platform;
using videofiles::Avi;

namespace {

using Bytes = std::vector<std::uint8_t>;

void PutU32At(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Offsets in the file Avi() builds.
constexpr std::size_t kMainHeader = 32;
constexpr std::size_t kWidthAt = kMainHeader + 32;

} // namespace

TEST(VideoFile, ReadsTheMainHeaderOrRejectsTheFile)
{
    const Bytes good = Avi(640, 480, 100, 40000);
    Bytes junkFirst = good; // a padding chunk ahead of the header list
    const std::uint8_t junk[] = {'J', 'U', 'N', 'K', 4, 0, 0, 0, 0, 0, 0, 0};
    junkFirst.insert(junkFirst.begin() + 12, std::begin(junk), std::end(junk));
    PutU32At(junkFirst, 4, static_cast<std::uint32_t>(junkFirst.size() - 8));
    Bytes noWidth = good;
    PutU32At(noWidth, kWidthAt, 0);
    Bytes hugeWidth = good;
    PutU32At(hugeWidth, kWidthAt, 20000);
    Bytes shortHeader = good; // the header chunk says 40 bytes
    PutU32At(shortHeader, 28, 40);
    const Bytes cut(good.begin(), good.begin() + 60); // ends inside the header
    Bytes wave = good;
    std::memcpy(wave.data() + 8, "WAVE", 4);

    struct Case {
        const char* what;
        const Bytes* bytes;
        bool read;
    };
    const Case cases[] = {
        {"whole", &good, true},      {"junk first", &junkFirst, true},      {"no width", &noWidth, false},
        {"huge", &hugeWidth, false}, {"short header", &shortHeader, false}, {"cut", &cut, false},
        {"wave form", &wave, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VideoFileHeader header;
        ASSERT_EQ(ReadVideoFileHeader(c.bytes->data(), c.bytes->size(), header), c.read);
        // The graph's length comes from the same header: 100 frames of 40 ms.
        const double duration = MediaDurationSeconds(c.bytes->data(), c.bytes->size());
        if (!c.read) {
            EXPECT_TRUE(c.bytes == &wave || duration == -1.0);
            continue;
        }
        EXPECT_EQ(header.width, 640u);
        EXPECT_EQ(header.height, 480u);
        EXPECT_EQ(header.frameCount, 100u);
        EXPECT_DOUBLE_EQ(header.DurationSeconds(), 4.0);
        EXPECT_DOUBLE_EQ(duration, 4.0);
    }
    VideoFileHeader header;
    EXPECT_FALSE(ReadVideoFileHeader(nullptr, 0, header));
    const Bytes noRate = Avi(8, 8, 10, 0);
    ASSERT_TRUE(ReadVideoFileHeader(noRate.data(), noRate.size(), header));
    EXPECT_EQ(header.DurationSeconds(), 0.0); // length not known
}

class MediaStreamTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        m_folder.UseAsDataRoot();
        m_folder.Write("Data/Video/intro.avi", Avi(320, 240, 50, 40000)); // 2 seconds
        m_clock.emplace([this] { return m_now; });
        m_liveBefore = CountLiveVideoObjects();
        m_graphsBefore = CountLiveMediaGraphs();
        ASSERT_EQ(CreateDrawDevice(&m_device), S_OK);
        ASSERT_EQ(CreateMultiMediaStream(&m_stream), S_OK);
    }
    void TearDown() override
    {
        m_stream->Release();
        m_device->Release();
        EXPECT_EQ(CountLiveVideoObjects(), m_liveBefore);
        EXPECT_EQ(CountLiveMediaGraphs(), m_graphsBefore);
        m_clock.reset();
        ClearVideoFailures();
    }

    HResult Ready(bool audio)
    {
        HResult result = m_stream->Initialize(nullptr);
        if (Succeeded(result) && audio)
            result =
                m_stream->AddMediaStream(nullptr, StreamPurpose::PrimaryAudio, kAddDefaultRenderer, nullptr);
        if (Succeeded(result))
            result = m_stream->AddMediaStream(m_device, StreamPurpose::PrimaryVideo, 0, nullptr);
        return result;
    }

    ScratchFolder m_folder;
    std::uint32_t m_now = 1000;
    std::size_t m_liveBefore = 0;
    std::size_t m_graphsBefore = 0;
    DrawDevice* m_device = nullptr;
    MultiMediaStream* m_stream = nullptr;

  private:
    std::optional<ServiceOverride<GetClockSource, SetClockSource>> m_clock;
};

TEST_F(MediaStreamTest, DeliversBlankFramesWhileRunningAndEndsAfterTheFileLength)
{
    ASSERT_EQ(Ready(true), S_OK);
    EXPECT_TRUE(m_stream->HasAudio());
    ASSERT_EQ(m_stream->OpenFile(WidenText("data\\VIDEO\\Intro.avi")), S_OK);

    MediaStream* video = nullptr;
    ASSERT_EQ(m_stream->GetMediaStream(StreamPurpose::PrimaryVideo, &video), S_OK);
    DrawMediaStream* draw = nullptr;
    ASSERT_EQ(video->QueryDrawStream(&draw), S_OK);
    DrawSurfaceDesc desc;
    ASSERT_EQ(draw->GetFormat(&desc), S_OK);
    EXPECT_EQ(desc.width, 320u);
    EXPECT_EQ(desc.height, 240u);
    DrawSurface* surface = nullptr;
    ASSERT_EQ(m_device->CreateSurface(desc, &surface), S_OK);
    EXPECT_EQ(surface->GetPitch(), 320u * 4);
    StreamSample* sample = nullptr;
    ASSERT_EQ(draw->CreateSample(surface, &sample), S_OK);

    std::memset(surface->GetBytes(), 0x5A, surface->GetPitch() * 240);
    EXPECT_EQ(sample->Update(), kStreamNotRunning); // stopped after opening
    ASSERT_EQ(m_stream->SetState(StreamRunState::Running), S_OK);
    m_now += 500;
    EXPECT_EQ(sample->Update(), S_OK);
    EXPECT_EQ(surface->GetFrameCount(), 1u);
    EXPECT_EQ(surface->GetBytes()[0], 0);
    EXPECT_EQ(surface->GetBytes()[surface->GetPitch() * 240 - 1], 0);
    double time = 0.0;
    ASSERT_EQ(m_stream->GetTime(&time), S_OK);
    EXPECT_DOUBLE_EQ(time, 0.5);

    m_now += 1500; // the 2 seconds are over
    EXPECT_EQ(sample->Update(), kStreamEnded);
    EXPECT_EQ(surface->GetFrameCount(), 1u);

    // Back to the start through the graph's position, as a looping player does.
    MediaGraph* graph = nullptr;
    ASSERT_EQ(m_stream->GetFilterGraph(&graph), S_OK);
    void* position = nullptr;
    ASSERT_EQ(graph->QueryInterface(MediaInterface::Position, &position), S_OK);
    ASSERT_EQ(static_cast<MediaPosition*>(position)->SetCurrentPosition(0.0), S_OK);
    EXPECT_EQ(sample->Update(), S_OK);
    ASSERT_EQ(m_stream->SetState(StreamRunState::Stopped), S_OK);
    EXPECT_EQ(sample->Update(), kStreamNotRunning);

    // A surface smaller than a frame takes no sample.
    DrawSurface* small = nullptr;
    ASSERT_EQ(m_device->CreateSurface(DrawSurfaceDesc{100, 100}, &small), S_OK);
    StreamSample* none = nullptr;
    EXPECT_EQ(draw->CreateSample(small, &none), E_INVALIDARG);
    EXPECT_EQ(none, nullptr);

    static_cast<MediaPosition*>(position)->Release();
    graph->Release();
    small->Release();
    sample->Release();
    surface->Release();
    draw->Release();
    video->Release();
}

TEST_F(MediaStreamTest, OpeningRejectsMissingAndForeignFiles)
{
    m_folder.Write("Data/Video/sound.wav", MakeWave(1, 22050, 16, Bytes(100, 0)));
    m_folder.Write("Data/Video/empty.avi", Bytes());
    m_folder.Write("Data/Video/text.avi", std::string("not a video at all"));
    EXPECT_EQ(m_stream->OpenFile(WidenText("Data\\Video\\intro.avi")), kStreamNotReady); // no streams yet
    ASSERT_EQ(Ready(false), S_OK);
    EXPECT_FALSE(m_stream->HasAudio());

    struct Case {
        const char* path;
        HResult result;
    };
    const Case cases[] = {
        {"", E_INVALIDARG},
        {"Data\\Video\\missing.avi", kMediaFileNotFound},
        {"Data\\Video", kMediaFileNotFound}, // a folder
        {"Data\\Video\\sound.wav", kMediaInvalidFile},
        {"Data\\Video\\empty.avi", kMediaInvalidFile},
        {"Data\\Video\\text.avi", kMediaInvalidFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(m_stream->OpenFile(WidenText(c.path)), c.result);
        MediaGraph* graph = nullptr;
        EXPECT_EQ(m_stream->GetFilterGraph(&graph), kStreamNotReady);
        EXPECT_EQ(m_stream->SetState(StreamRunState::Running), kStreamNotReady);
    }
}

TEST_F(MediaStreamTest, SetUpCallsCheckTheirOrderAndArguments)
{
    EXPECT_EQ(m_stream->AddMediaStream(m_device, StreamPurpose::PrimaryVideo, 0, nullptr), kStreamNotReady);
    ASSERT_EQ(m_stream->Initialize(nullptr), S_OK);
    EXPECT_EQ(m_stream->Initialize(nullptr), E_FAIL);
    EXPECT_EQ(m_stream->AddMediaStream(nullptr, StreamPurpose::PrimaryAudio, 0, nullptr), E_INVALIDARG);
    EXPECT_EQ(m_stream->AddMediaStream(nullptr, StreamPurpose::PrimaryVideo, 0, nullptr), E_INVALIDARG);
    MediaStream* video = nullptr;
    ASSERT_EQ(m_stream->AddMediaStream(m_device, StreamPurpose::PrimaryVideo, 0, &video), S_OK);
    EXPECT_EQ(m_stream->AddMediaStream(m_device, StreamPurpose::PrimaryVideo, 0, nullptr), E_FAIL);
    MediaStream* audio = nullptr;
    EXPECT_EQ(m_stream->GetMediaStream(StreamPurpose::PrimaryAudio, &audio), kNoSuchStream);
    DrawMediaStream* draw = nullptr;
    ASSERT_EQ(video->QueryDrawStream(&draw), S_OK);
    DrawSurfaceDesc desc;
    EXPECT_EQ(draw->GetFormat(&desc), kStreamNotReady); // no file yet

    // An injected failure answers until cleared.
    SetVideoFailure(VideoFailure::CreateSurface, kOutOfVideoMemory);
    DrawSurface* surface = nullptr;
    EXPECT_EQ(m_device->CreateSurface(DrawSurfaceDesc{8, 8}, &surface), kOutOfVideoMemory);
    ClearVideoFailures();
    EXPECT_EQ(m_device->CreateSurface(DrawSurfaceDesc{0, 8}, &surface), E_INVALIDARG);
    EXPECT_EQ(m_device->CreateSurface(DrawSurfaceDesc{8, 8, PixelFormat::R5G6B5}, &surface), E_INVALIDARG);
    ASSERT_EQ(m_device->CreateSurface(DrawSurfaceDesc{8, 8}, &surface), S_OK);
    surface->Release();

    ASSERT_EQ(m_device->SetCooperativeLevel(nullptr, kDrawNormalCooperation), S_OK);
    EXPECT_EQ(m_device->GetCooperativeFlags(), kDrawNormalCooperation);
    draw->Release();
    video->Release();
}
