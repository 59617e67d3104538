#include "Render/PAVIPlayer.h"
#include "Render/PAVIPlayer1.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

#include "Render/PTexture.h"
#include "Render/TextureLibrary.h"
#include "RenderTestFiles.h"
#include "Sound/NSound.h"
#include "core/GameSettings.h"
#include "platform/Clock.h"
#include "platform/DrawSurface.h"
#include "platform/MediaGraph.h"
#include "platform/MediaStream.h"
#include "platform/Texture.h"
#include "support/VideoFiles.h"
#include "platform/HeadlessMedia.h"
#include "core/ServiceOverride.h"

using renderfiles::RenderWorld;
using videofiles::Avi;

namespace {

// A render world with a texture library, the videos "intro.avi"
// (640 x 480, 2 s) and "small.avi" (320 x 240), a hand-driven clock and
// the screen depth and sound volume put back afterwards.
class VideoPlayerTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        m_world.folder.Write("Data/Video/intro.avi", Avi(640, 480, 50, 40000));
        m_world.folder.Write("Data/Video/small.avi", Avi(320, 240, 25, 40000));
        m_world.folder.Write("Data/Video/broken.avi", std::string("RIFF\x10\0\0\0AVI junk", 16));
        m_depth = GetGameSettings().videoPlayerValue;
        m_volume = CNSound::GetGlobalVolume();
        m_liveBefore = platform::CountLiveVideoObjects();
    }
    void TearDown() override
    {
        platform::ClearVideoFailures();
        platform::ClearMediaFailures();
        GetGameSettings().videoPlayerValue = m_depth;
        CNSound::SetGlobalVolume(m_volume);
    }

    platform::Texture* Shown(const char* key) const
    {
        CPTexture* entry = m_library.FindTexture(key);
        return entry ? entry->GetTexture() : nullptr;
    }

    static int CountReports(const RenderWorld& world)
    {
        const std::string text = world.log.Text();
        int count = 0;
        for (std::size_t at = text.find("DXError"); at != std::string::npos;
             at = text.find("DXError", at + 1))
            ++count;
        return count;
    }

    RenderWorld m_world;
    CPTextureLibrary m_library;
    ServiceOverride<GetTextureLibrary, SetTextureLibrary> m_installed{&m_library};
    std::uint32_t m_now = 5000;
    ServiceOverride<platform::GetClockSource, platform::SetClockSource> m_clock{[this] { return m_now; }};
    std::int32_t m_depth = 0;
    float m_volume = 0.0f;
    std::size_t m_liveBefore = 0;
};

} // namespace

TEST(VideoPlayer, NextPowerOfTwoIsStrictlyGreater)
{
    const std::int32_t cases[][2] = {{-5, 2},    {0, 2},     {1, 2},      {2, 4},     {3, 4},
                                     {480, 512}, {511, 512}, {512, 1024}, {640, 1024}};
    for (const auto& c : cases)
        EXPECT_EQ(CPVideoPlayer::NextPowerOfTwo(c[0]), c[1]) << c[0];
}

TEST(VideoPlayer, VolumeFallsWithTheFourthPowerOfTheQuietPart)
{
    // (1 - v)^4 * -7000, truncated toward zero.
    const struct {
        float volume;
        std::int32_t expected;
    } cases[] = {{0.5f, -437}, {0.0f, -7000}, {1.0f, 0}, {0.25f, -2214}, {0.9f, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(CPVideoPlayer::VolumeFor(c.volume), c.expected) << c.volume;
}

TEST_F(VideoPlayerTest, PlayMakesAPowerOfTwoTextureAndKeepsItWhileTheSizeAndDepthHold)
{
    GetGameSettings().videoPlayerValue = 16;
    CNSound::SetGlobalVolume(0.5f);
    CPAVIPlayer player;
    ASSERT_EQ(player.Play("intro.avi", false), S_OK);

    platform::Texture* texture = player.GetTexture();
    ASSERT_NE(texture, nullptr);
    platform::SurfaceDesc desc;
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), S_OK);
    EXPECT_EQ(desc.width, 1024u);
    EXPECT_EQ(desc.height, 512u);
    EXPECT_EQ(desc.format, platform::PixelFormat::R5G6B5);
    EXPECT_EQ(texture->GetLevelCount(), 1u);
    EXPECT_EQ(texture->GetPool(), platform::ResourcePool::Managed);
    EXPECT_EQ(player.GetVideoWidth(), 640);
    EXPECT_EQ(player.GetVideoHeight(), 480);
    EXPECT_EQ(player.GetTextureDepth(), 16);

    // Shown to materials under "video" by the name "VIDEO".
    ASSERT_NE(m_library.FindTexture("video"), nullptr);
    EXPECT_EQ(Shown("video"), texture);
    EXPECT_EQ(m_library.FindTexture("video")->GetName(), "VIDEO");

    // Stream stopped, sound at the global volume, the file's length known.
    EXPECT_EQ(player.GetStream()->GetState(), platform::StreamRunState::Stopped);
    EXPECT_TRUE(player.GetStream()->HasAudio());
    std::int32_t volume = 0;
    ASSERT_NE(player.GetBasicAudio(), nullptr);
    ASSERT_EQ(player.GetBasicAudio()->GetVolume(&volume), S_OK);
    EXPECT_EQ(volume, -437);
    double duration = 0.0;
    ASSERT_EQ(player.GetMediaPosition()->GetDuration(&duration), S_OK);
    EXPECT_DOUBLE_EQ(duration, 2.0);
    EXPECT_EQ(player.GetDrawDevice()->GetCooperativeFlags(), platform::kDrawNormalCooperation);
    EXPECT_EQ(m_world.log.Text().find("DXError"), std::string::npos);

    // Same size, same depth: the texture stays; the streams are new.
    ASSERT_EQ(player.Play("intro.avi", false), S_OK);
    EXPECT_EQ(player.GetTexture(), texture);

    // A 32-bit screen makes an X8R8G8B8 texture, shown at once.
    GetGameSettings().videoPlayerValue = 32;
    ASSERT_EQ(player.Play("intro.avi", false), S_OK);
    ASSERT_NE(player.GetTexture(), nullptr);
    EXPECT_EQ(player.GetTexture()->GetFormat(), platform::PixelFormat::X8R8G8B8);
    EXPECT_EQ(Shown("video"), player.GetTexture());

    // Another size makes another texture.
    ASSERT_EQ(player.Play("small.avi", false), S_OK);
    ASSERT_EQ(player.GetTexture()->GetLevelDesc(0, &desc), S_OK);
    EXPECT_EQ(desc.width, 512u);
    EXPECT_EQ(desc.height, 256u);
    EXPECT_EQ(Shown("video"), player.GetTexture());
}

TEST_F(VideoPlayerTest, WithoutSoundNoAudioStreamIsAddedOrAsked)
{
    CPAVIPlayer player;
    ASSERT_EQ(player.Play("intro.avi", true), S_OK);
    EXPECT_TRUE(player.IsNoSound());
    EXPECT_FALSE(player.GetStream()->HasAudio());
    EXPECT_EQ(player.GetBasicAudio(), nullptr);
    // An audio failure cannot touch a silent play.
    platform::SetMediaFailure(platform::MediaFailure::QueryAudio, E_FAIL);
    platform::SetVideoFailure(platform::VideoFailure::AddAudio, E_FAIL);
    EXPECT_EQ(player.Play("intro.avi", true), S_OK);

    // The second player always plays the sound, into "video1".
    platform::ClearVideoFailures();
    platform::ClearMediaFailures();
    CPAVIPlayer1 second;
    ASSERT_EQ(second.Play("small.avi"), S_OK);
    EXPECT_TRUE(second.GetStream()->HasAudio());
    EXPECT_NE(second.GetBasicAudio(), nullptr);
    EXPECT_EQ(Shown("video1"), second.GetTexture());
    EXPECT_EQ(m_library.FindTexture("video1")->GetName(), "VIDEO1");
    EXPECT_EQ(Shown("video"), player.GetTexture());
    EXPECT_NE(second.GetTexture(), player.GetTexture());
}

TEST_F(VideoPlayerTest, AFailingCallIsReportedAtItsLineAndItsResultReturned)
{
    using platform::MediaFailure;
    using platform::VideoFailure;
    enum class Kind { Video, Media, Texture, Volume };
    struct Case {
        const char* what;
        Kind kind;
        int failure; // a VideoFailure or MediaFailure
        int line;    // first player
        int line1;   // second player
        bool inInit; // the streams are released and the init line reported too
    };
    const Case cases[] = {
        {"DirectDrawCreate", Kind::Video, int(VideoFailure::CreateDrawDevice), 172, 150, true},
        {"SetCooperativeLevel", Kind::Video, int(VideoFailure::CooperativeLevel), 173, 151, true},
        {"stream creation", Kind::Video, int(VideoFailure::CreateStream), 175, 153, true},
        {"Initialize", Kind::Video, int(VideoFailure::Initialize), 177, 155, true},
        {"audio stream", Kind::Video, int(VideoFailure::AddAudio), 180, 156, true},
        {"video stream", Kind::Video, int(VideoFailure::AddVideo), 182, 157, true},
        {"GetMediaStream", Kind::Video, int(VideoFailure::GetMediaStream), 84, 79, false},
        {"draw stream", Kind::Video, int(VideoFailure::QueryDrawStream), 86, 80, false},
        {"GetFormat", Kind::Video, int(VideoFailure::GetFormat), 90, 83, false},
        {"CreateSurface", Kind::Video, int(VideoFailure::CreateSurface), 96, 88, false},
        {"CreateSample", Kind::Video, int(VideoFailure::CreateSample), 105, 96, false},
        {"CreateTexture", Kind::Texture, 0, 136, 125, false},
        {"GetFilterGraph", Kind::Video, int(VideoFailure::GetFilterGraph), 140, 128, false},
        {"media control", Kind::Media, int(MediaFailure::QueryControl), 142, 129, false},
        {"media position", Kind::Media, int(MediaFailure::QueryPosition), 144, 130, false},
        {"basic audio", Kind::Media, int(MediaFailure::QueryAudio), 148, 131, false},
        {"volume", Kind::Volume, 0, 152, 134, false},
        {"SetState", Kind::Video, int(VideoFailure::SetState), 156, 136, false},
    };
    const HResult code = static_cast<HResult>(0x8007000Eu);
    for (const Case& c : cases) {
        for (int which = 0; which < 2; ++which) {
            SCOPED_TRACE(std::string(c.what) + (which ? " (second player)" : " (first player)"));
            RenderWorld world; // a fresh log
            CPTextureLibrary library;
            ServiceOverride<GetTextureLibrary, SetTextureLibrary> installed(&library);
            world.folder.Write("Data/Video/intro.avi", Avi(640, 480, 50, 40000));
            CNSound::SetGlobalVolume(c.kind == Kind::Volume ? 3.0f : 0.5f); // (1-3)^4 * -7000 is too quiet
            switch (c.kind) {
            case Kind::Video:
                platform::SetVideoFailure(static_cast<VideoFailure>(c.failure), code);
                break;
            case Kind::Media:
                platform::SetMediaFailure(static_cast<MediaFailure>(c.failure), code);
                break;
            case Kind::Texture:
                world.device.FailNext(platform::DeviceFailure::CreateTexture);
                break;
            case Kind::Volume:
                break;
            }
            std::unique_ptr<CPVideoPlayer> player;
            HResult result;
            if (which == 0) {
                auto first = std::make_unique<CPAVIPlayer>();
                result = first->Play("intro.avi", false);
                player = std::move(first);
            } else {
                auto second = std::make_unique<CPAVIPlayer1>();
                result = second->Play("intro.avi");
                player = std::move(second);
            }
            platform::ClearVideoFailures();
            platform::ClearMediaFailures();

            const std::string source = which ? "Render\\PAVIPlayer1" : "Render\\PAVIPlayer";
            const int line = which ? c.line1 : c.line;
            const HResult expected = c.kind == Kind::Volume    ? E_INVALIDARG
                                     : c.kind == Kind::Texture ? platform::kOutOfVideoMemory
                                                               : code;
            EXPECT_EQ(result, expected);
            EXPECT_EQ(world.CountReports(source, line), 1);
            EXPECT_EQ(CountReports(world), c.inInit ? 2 : 1) << world.log.Text();
            if (c.inInit) {
                // Reported once by the set-up and once by Play; nothing is held.
                EXPECT_EQ(world.CountReports(source, which ? 62 : 63), 1);
                EXPECT_EQ(player->GetStream(), nullptr);
                EXPECT_EQ(player->GetDrawDevice(), nullptr);
            } else {
                // What was made before the failing call stays until the next set-up.
                EXPECT_NE(player->GetStream(), nullptr);
                EXPECT_TRUE(world.log.Contains("Data\\Video\\intro.avi\" cannot be played"));
            }
            // A half-built player ends at its first step instead of playing.
            ASSERT_TRUE(player->Begin());
            player->Step();
            EXPECT_FALSE(player->IsRunning());
            // The library never shows a texture other than the player's.
            CPTexture* entry = library.FindTexture(which ? "video1" : "video");
            if (entry) {
                EXPECT_EQ(entry->GetTexture(), player->GetTexture());
            }
            player.reset();
        }
    }
    EXPECT_EQ(platform::CountLiveVideoObjects(), m_liveBefore);
}

TEST_F(VideoPlayerTest, AMissingOrDamagedFileFailsWithAClearLine)
{
    struct Case {
        const char* name;
        HResult result;
    };
    const Case cases[] = {
        {"missing.avi", platform::kMediaFileNotFound},
        {"broken.avi", platform::kMediaInvalidFile},
        {"", platform::kMediaFileNotFound}, // the folder itself
    };
    int reports = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CPAVIPlayer player;
        EXPECT_EQ(player.Play(c.name, false), c.result);
        EXPECT_EQ(m_world.CountReports("Render\\PAVIPlayer", 82), ++reports);
        EXPECT_TRUE(
            m_world.log.Contains(std::string("Video \"Data\\Video\\") + c.name + "\" cannot be played"));
        EXPECT_EQ(player.GetTexture(), nullptr);
        EXPECT_EQ(player.GetSample(), nullptr);
        // Begun anyway, the task ends itself at its first step.
        ASSERT_TRUE(player.Begin());
        player.Step();
        EXPECT_FALSE(player.IsRunning());
        EXPECT_TRUE(player.IsKilled());
    }
    EXPECT_TRUE(m_world.log.Contains("DXError if Render\\PAVIPlayer on line 82\nFILE_NOT_FOUND\n"));
    EXPECT_TRUE(m_world.log.Contains("DXError if Render\\PAVIPlayer on line 82\nMEDIA_INVALID_FILE\n"));
    // A name too long for the path buffer is refused before anything is opened.
    CPAVIPlayer player;
    EXPECT_EQ(player.Play(std::string(300, 'a') + ".avi", false), E_INVALIDARG);
    EXPECT_TRUE(m_world.log.Contains("is too long"));
}

TEST_F(VideoPlayerTest, StepsRunTheStreamCopyFramesAndStartOverAtTheEnd)
{
    GetGameSettings().videoPlayerValue = 16;
    CPAVIPlayer player;
    ASSERT_EQ(player.Play("intro.avi", false), S_OK);
    platform::Texture* texture = player.GetTexture();
    ASSERT_NE(texture, nullptr);
    // Mark the whole texture so the copied frame shows.
    platform::LockedRect locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), S_OK);
    std::memset(locked.bits, 0xFF, static_cast<std::size_t>(locked.pitch) * 512);
    ASSERT_EQ(texture->UnlockRect(0), S_OK);

    ASSERT_TRUE(player.Begin());
    player.Step();
    EXPECT_EQ(player.GetStream()->GetState(), platform::StreamRunState::Running);
    EXPECT_EQ(player.GetFrameSurface()->GetFrameCount(), 1u);
    const std::uint8_t* bytes = AsMemory(texture)->GetLevelBytes(0);
    const std::uint32_t pitch = AsMemory(texture)->GetLevelPitch(0);
    EXPECT_EQ(pitch, 1024u * 2);
    // The frame (640 x 480, black) lands in the top left; the rest stays.
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[479 * pitch + 639 * 2 + 1], 0);
    EXPECT_EQ(bytes[479 * pitch + 640 * 2], 0xFF);
    EXPECT_EQ(bytes[480 * pitch], 0xFF);

    m_now += 2500; // past the 2 seconds of the file
    player.Step();
    EXPECT_TRUE(player.IsRunning());
    double position = -1.0;
    ASSERT_EQ(player.GetMediaPosition()->GetCurrentPosition(&position), S_OK);
    EXPECT_DOUBLE_EQ(position, 0.0);
    player.Step();
    EXPECT_EQ(player.GetFrameSurface()->GetFrameCount(), 2u);

    player.End();
    EXPECT_FALSE(player.IsRunning());
    EXPECT_TRUE(player.IsKilled());
    EXPECT_EQ(player.GetStream()->GetState(), platform::StreamRunState::Stopped);
    // Begun again, it runs on from where it stopped.
    ASSERT_TRUE(player.Begin());
    player.Step();
    EXPECT_EQ(player.GetStream()->GetState(), platform::StreamRunState::Running);
    EXPECT_EQ(player.GetFrameSurface()->GetFrameCount(), 3u);
}

TEST_F(VideoPlayerTest, A32BitFrameIsCopiedAsItIs)
{
    GetGameSettings().videoPlayerValue = 32;
    CPAVIPlayer1 player;
    ASSERT_EQ(player.Play("small.avi"), S_OK);
    platform::Texture* texture = player.GetTexture();
    platform::LockedRect locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), S_OK);
    std::memset(locked.bits, 0x77, static_cast<std::size_t>(locked.pitch) * 256);
    ASSERT_EQ(texture->UnlockRect(0), S_OK);
    ASSERT_TRUE(player.Begin());
    player.Step();
    const std::uint8_t* bytes = AsMemory(texture)->GetLevelBytes(0);
    const std::uint32_t pitch = AsMemory(texture)->GetLevelPitch(0);
    EXPECT_EQ(bytes[239 * pitch + 319 * 4 + 3], 0);
    EXPECT_EQ(bytes[239 * pitch + 320 * 4], 0x77);
}

TEST_F(VideoPlayerTest, APlayerThatGoesTakesItsFrameOutOfTheLibrary)
{
    auto player = std::make_unique<CPAVIPlayer>();
    ASSERT_EQ(player->Play("intro.avi", false), S_OK);
    ASSERT_NE(Shown("video"), nullptr);
    player.reset();
    ASSERT_NE(m_library.FindTexture("video"), nullptr);
    EXPECT_EQ(Shown("video"), nullptr);
    EXPECT_EQ(platform::CountLiveVideoObjects(), m_liveBefore);
}

TEST(VideoPlayer, WithoutAGraphicsDeviceNothingPlays)
{
    ScratchFolder folder;
    folder.UseAsDataRoot();
    folder.Write("Data/Video/intro.avi", Avi(64, 64, 1, 40000));
    LogCapture log;
    const std::size_t liveBefore = platform::CountLiveVideoObjects();
    CPAVIPlayer player;
    EXPECT_EQ(player.Play("intro.avi", false), E_FAIL);
    EXPECT_TRUE(log.Contains("there is no graphics device"));
    EXPECT_EQ(player.GetStream(), nullptr);
    EXPECT_EQ(platform::CountLiveVideoObjects(), liveBefore);
}

TEST(VideoPlayer, ANewGraphicsDeviceGetsANewTexture)
{
    CPTextureLibrary library;
    ServiceOverride<GetTextureLibrary, SetTextureLibrary> installed(&library);
    {
        CPAVIPlayer player;
        auto first = std::make_unique<RenderWorld>();
        first->folder.Write("Data/Video/intro.avi", Avi(64, 64, 1, 40000));
        ASSERT_EQ(player.Play("intro.avi", true), S_OK);
        ASSERT_NE(player.GetTexture(), nullptr);
        EXPECT_EQ(player.GetTexture()->GetDevice(), &first->device);
        first.reset();

        RenderWorld second;
        second.folder.Write("Data/Video/intro.avi", Avi(64, 64, 1, 40000));
        ASSERT_EQ(player.Play("intro.avi", true), S_OK);
        ASSERT_NE(player.GetTexture(), nullptr);
        EXPECT_EQ(player.GetTexture()->GetDevice(), &second.device);
        EXPECT_EQ(library.FindTexture("video")->GetTexture(), player.GetTexture());
    }
}
