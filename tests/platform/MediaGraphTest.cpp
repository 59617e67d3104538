#include <gtest/gtest.h>

#include <cstring>

#include <optional>

#include "platform/Clock.h"
#include "platform/Embedding.h"
#include "platform/MediaGraph.h"
#include "support/ScratchFolder.h"
#include "support/WaveFiles.h"
#include "platform/HeadlessMedia.h"
#include "core/ServiceOverride.h"

using namespace platform;

namespace {

// An Ogg stream of two pages: the first with a Vorbis identification
// header giving the rate, the last with the granule position.
std::vector<std::uint8_t> MakeOgg(std::uint32_t rate, std::uint64_t lastGranule)
{
    std::vector<std::uint8_t> bytes;
    auto page = [&bytes](std::uint64_t granule, const std::vector<std::uint8_t>& packet) {
        const char* capture = "OggS";
        bytes.insert(bytes.end(), capture, capture + 4);
        bytes.push_back(0); // version
        bytes.push_back(0); // flags
        AppendU32(bytes, static_cast<std::uint32_t>(granule));
        AppendU32(bytes, static_cast<std::uint32_t>(granule >> 32));
        AppendU32(bytes, 1); // serial
        AppendU32(bytes, 0); // sequence
        AppendU32(bytes, 0); // checksum
        bytes.push_back(1);  // one segment
        bytes.push_back(static_cast<std::uint8_t>(packet.size()));
        bytes.insert(bytes.end(), packet.begin(), packet.end());
    };
    std::vector<std::uint8_t> identification = {1, 'v', 'o', 'r', 'b', 'i', 's', 0, 0, 0, 0, 2};
    AppendU32(identification, rate);
    identification.resize(30, 0);
    page(0, identification);
    page(lastGranule, std::vector<std::uint8_t>(20, 0x11));
    return bytes;
}

double Duration(const std::vector<std::uint8_t>& bytes)
{
    return MediaDurationSeconds(bytes.data(), bytes.size());
}

template <class Interface> Interface* Query(MediaGraph* graph, MediaInterface id)
{
    void* out = nullptr;
    EXPECT_EQ(graph->QueryInterface(id, &out), S_OK);
    return static_cast<Interface*>(out);
}

class MediaGraphTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        m_folder.UseAsDataRoot();
        m_clock.emplace([this] { return m_now; });
        ASSERT_EQ(CreateMediaGraph(&m_graph), S_OK);
    }
    void TearDown() override
    {
        if (m_graph)
            m_graph->Release();
        m_clock.reset();
        ClearMediaFailures();
    }

    ScratchFolder m_folder;
    std::uint32_t m_now = 100;
    MediaGraph* m_graph = nullptr;

  private:
    std::optional<ServiceOverride<GetClockSource, SetClockSource>> m_clock;
};

} // namespace

TEST(MediaDurationTest, LengthComesFromWhatTheFormatStates)
{
    // 22050 bytes a second (8-bit mono): 44100 bytes last two seconds.
    EXPECT_DOUBLE_EQ(Duration(MakeWave(1, 22050, 8, std::vector<std::uint8_t>(44100, 0x80))), 2.0);
    // 16-bit stereo at 11025: 44100 bytes a second.
    EXPECT_DOUBLE_EQ(Duration(MakeWave(2, 11025, 16, std::vector<std::uint8_t>(11025, 0))), 0.25);
    EXPECT_DOUBLE_EQ(Duration(MakeOgg(44100, 132300)), 3.0);
    EXPECT_DOUBLE_EQ(Duration({'I', 'D', '3', 4, 0, 0, 0, 0}), 0.0); // says nothing we read

    std::vector<std::uint8_t> cut = MakeWave(1, 22050, 8, std::vector<std::uint8_t>(100, 0x80));
    cut.resize(cut.size() - 10);
    EXPECT_DOUBLE_EQ(Duration(cut), -1.0);
    const std::vector<std::uint8_t> noFormat = RiffBuilder().Chunk("data", {1, 2}).Build();
    EXPECT_DOUBLE_EQ(Duration(noFormat), -1.0);
}

TEST_F(MediaGraphTest, RendersOnlyFilesThatExistAndHoldSomething)
{
    m_folder.Write("Data/Music/empty.ogg", std::string());
    m_folder.Write("Data/Music/Track.ogg", MakeOgg(44100, 44100));
    EXPECT_EQ(m_graph->RenderFile(u""), E_INVALIDARG);
    EXPECT_EQ(m_graph->RenderFile(WidenText("Data\\Music\\none.ogg")), kMediaFileNotFound);
    EXPECT_EQ(m_graph->RenderFile(WidenText("Data\\Music\\empty.ogg")), kMediaInvalidFile);
    ASSERT_EQ(m_graph->RenderFile(WidenText("data\\music\\TRACK.OGG")), S_OK);
    EXPECT_EQ(AsHeadless(m_graph)->GetRenderedPath(), m_folder.Path("Data/Music/Track.ogg"));
    EXPECT_DOUBLE_EQ(AsHeadless(m_graph)->GetDurationSeconds(), 1.0);
}

TEST_F(MediaGraphTest, LongTracksAreMeasuredFromTheirEnds)
{
    // Larger than what is read from either end of a file.
    m_folder.Write("Data/Music/long.wav",
                   MakeWave(1, 22050, 8, std::vector<std::uint8_t>(3 * 22050 * 100, 0x80)));
    ASSERT_EQ(m_graph->RenderFile(WidenText("Data\\Music\\long.wav")), S_OK);
    EXPECT_DOUBLE_EQ(AsHeadless(m_graph)->GetDurationSeconds(), 300.0);

    // The granule position of the last page, megabytes after the first.
    std::vector<std::uint8_t> ogg = MakeOgg(44100, 44100 * 240);
    const std::vector<std::uint8_t> last(ogg.end() - 48, ogg.end());
    ogg.resize(ogg.size() - 48); // the last page: 28 header bytes, 20 of packet
    ogg.resize(3u << 20, 0x22);
    ogg.insert(ogg.end(), last.begin(), last.end());
    m_folder.Write("Data/Music/long.ogg", ogg);
    ASSERT_EQ(m_graph->RenderFile(WidenText("Data\\Music\\long.ogg")), S_OK);
    EXPECT_DOUBLE_EQ(AsHeadless(m_graph)->GetDurationSeconds(), 240.0);
}

TEST_F(MediaGraphTest, RunningTrackReachesItsEndAndSaysSoOnce)
{
    m_folder.Write("Data/Music/a.wav", MakeWave(1, 1000, 8, std::vector<std::uint8_t>(2000, 0x80)));
    auto* control = Query<MediaControl>(m_graph, MediaInterface::Control);
    auto* events = Query<MediaEvent>(m_graph, MediaInterface::Event);
    auto* position = Query<MediaPosition>(m_graph, MediaInterface::Position);
    EXPECT_EQ(control->Run(), E_FAIL); // nothing rendered yet
    ASSERT_EQ(m_graph->RenderFile(WidenText("Data\\Music\\a.wav")), S_OK);
    ASSERT_EQ(control->Run(), S_OK);

    double seconds = 0.0;
    std::int32_t code = 0;
    m_now += 500;
    ASSERT_EQ(position->GetCurrentPosition(&seconds), S_OK);
    EXPECT_DOUBLE_EQ(seconds, 0.5);
    ASSERT_EQ(control->Pause(), S_OK);
    m_now += 10000;
    ASSERT_EQ(position->GetCurrentPosition(&seconds), S_OK);
    EXPECT_DOUBLE_EQ(seconds, 0.5);
    EXPECT_EQ(events->GetEvent(&code), kMediaNoEvent);

    ASSERT_EQ(control->Run(), S_OK);
    m_now += 1600;
    ASSERT_EQ(events->GetEvent(&code), S_OK);
    EXPECT_EQ(code, kMediaEventComplete);
    EXPECT_EQ(events->GetEvent(&code), kMediaNoEvent);
    ASSERT_EQ(position->GetCurrentPosition(&seconds), S_OK);
    EXPECT_DOUBLE_EQ(seconds, 2.0);

    // Back to the start, the track plays and ends again.
    EXPECT_EQ(position->SetCurrentPosition(2.5), E_INVALIDARG);
    ASSERT_EQ(position->SetCurrentPosition(0.0), S_OK);
    m_now += 2000;
    EXPECT_EQ(events->GetEvent(&code), S_OK);
    control->Release();
    events->Release();
    position->Release();
}

TEST_F(MediaGraphTest, VolumeStaysInTheDeviceRange)
{
    auto* audio = Query<BasicAudio>(m_graph, MediaInterface::Audio);
    EXPECT_EQ(audio->SetVolume(1), E_INVALIDARG);
    EXPECT_EQ(audio->SetVolume(-10001), E_INVALIDARG);
    ASSERT_EQ(audio->SetVolume(-437), S_OK);
    std::int32_t volume = 0;
    ASSERT_EQ(audio->GetVolume(&volume), S_OK);
    EXPECT_EQ(volume, -437);
    audio->Release();
}

TEST_F(MediaGraphTest, InterfacesShareTheGraphsLifeAndFailuresCanBeArranged)
{
    const std::size_t before = CountLiveMediaGraphs();
    auto* control = Query<MediaControl>(m_graph, MediaInterface::Control);
    m_graph->Release();
    m_graph = nullptr;
    EXPECT_EQ(CountLiveMediaGraphs(), before); // the control still holds it
    control->Release();
    EXPECT_EQ(CountLiveMediaGraphs(), before - 1);

    SetMediaFailure(MediaFailure::Create, E_OUTOFMEMORY);
    MediaGraph* graph = nullptr;
    EXPECT_EQ(CreateMediaGraph(&graph), E_OUTOFMEMORY);
    EXPECT_EQ(graph, nullptr);
    SetMediaFailure(MediaFailure::Create, S_OK);
    ASSERT_EQ(CreateMediaGraph(&m_graph), S_OK);
    SetMediaFailure(MediaFailure::QueryPosition, E_NOINTERFACE);
    void* out = nullptr;
    EXPECT_EQ(m_graph->QueryInterface(MediaInterface::Position, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
}
