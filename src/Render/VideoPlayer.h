#pragma once

#include <cstdint>
#include <string>

#include "core/Task.h"
#include "platform/Result.h"

namespace platform {
class BasicAudio;
class DrawDevice;
class DrawMediaStream;
class DrawSurface;
class GraphicsDevice;
class MediaControl;
class MediaPosition;
class MediaStream;
class MultiMediaStream;
class StreamSample;
class Texture;
} // namespace platform

// Where a player reports its failed calls: its source name and the line
// of each call, and the library entry its frame texture is shown under.
struct VideoPlayerSite {
    const char* sourceName;
    const char* textureKey;
    const char* textureName;
    // Play
    int init, openFile, getMediaStream, queryDrawStream, getFormat, createSurface, createSample,
        createTexture, getFilterGraph, queryControl, queryPosition, queryAudio, putVolume, setState;
    // InitStreams
    int createDrawDevice, cooperativeLevel, createStream, initializeStream, addAudio, addVideo;
};

// A task that plays a video file from "Data\Video" into a texture that
// materials show. Play builds the streams and the texture and leaves the
// stream stopped; added to the kernel, the task runs the stream and copies
// each frame into the texture, starting over at the end of the file until
// End stops it. The player owns the frame texture.
class CPVideoPlayer : public CPTask {
  public:
    static constexpr const char* kVideoFolder = "Data\\Video";
    // Room for the wide path, terminator included.
    static constexpr std::size_t kMaxPath = 260;

    ~CPVideoPlayer() override;

    void Step() override;
    void End() override;
    int GetTaskType() const override { return 0; }

    // The smallest power of two strictly greater than n; 2 below 2.
    static std::int32_t NextPowerOfTwo(std::int32_t n);
    // The audio volume for a sound volume of 0 to 1: (1 - v)^4 * -7000,
    // truncated toward zero.
    static std::int32_t VolumeFor(float soundVolume);
    // The game's sound volume (0 to 1) videos play their audio at, as the
    // sound layer last set it (core/SoundVolume.h).
    static float GetSoundVolume();

    // Releases and clears every stream object, in the reverse of their
    // making; the texture stays.
    void ReleaseStreams();
    HResult InitStreams();
    HResult Init();

    platform::Texture* GetTexture() const { return m_texture; }
    std::int32_t GetTextureWidth() const { return m_textureWidth; }
    std::int32_t GetTextureHeight() const { return m_textureHeight; }
    std::int32_t GetTextureDepth() const { return m_textureDepth; }
    std::int32_t GetVideoWidth() const { return m_sourceRight; }
    std::int32_t GetVideoHeight() const { return m_sourceBottom; }
    bool IsNoSound() const { return m_noSound != 0; }
    // A flag the scripts set when they start a video; playback does not
    // read it.
    bool HasOption() const { return m_option != 0; }
    void SetOption(bool option) { m_option = option ? 1 : 0; }
    platform::MultiMediaStream* GetStream() const { return m_stream; }
    platform::DrawDevice* GetDrawDevice() const { return m_drawDevice; }
    platform::DrawSurface* GetFrameSurface() const { return m_frameSurface; }
    platform::StreamSample* GetSample() const { return m_sample; }
    platform::MediaControl* GetMediaControl() const { return m_control; }
    platform::MediaPosition* GetMediaPosition() const { return m_position; }
    platform::BasicAudio* GetBasicAudio() const { return m_audio; }

  protected:
    explicit CPVideoPlayer(const VideoPlayerSite& site) : m_site(site) {}

    // Opens the named video and readies the stream and the texture. A
    // failed call is reported and its result returned.
    HResult PlayFile(const std::string& name, bool noSound);

  private:
    HResult OpenStreams(const std::u16string& path);
    HResult MakeTexture(std::int32_t width, std::int32_t height);
    HResult QueryGraph();
    HResult Fail(int line, HResult result);
    void Publish();
    void CopyFrame();

    const VideoPlayerSite& m_site;
    platform::DrawDevice* m_drawDevice = nullptr;
    platform::DrawSurface* m_frameSurface = nullptr;
    platform::MultiMediaStream* m_stream = nullptr;
    platform::MediaStream* m_videoStream = nullptr;
    platform::DrawMediaStream* m_drawStream = nullptr;
    platform::StreamSample* m_sample = nullptr;
    platform::MediaControl* m_control = nullptr;
    platform::MediaPosition* m_position = nullptr;
    platform::BasicAudio* m_audio = nullptr;
    std::int32_t m_sourceLeft = 0, m_sourceTop = 0, m_sourceRight = 0, m_sourceBottom = 0;
    platform::Texture* m_texture = nullptr;
    platform::GraphicsDevice* m_device = nullptr;
    std::int32_t m_textureWidth = 0;
    std::int32_t m_textureHeight = 0;
    std::int32_t m_textureDepth = 0;
    std::uint8_t m_status = 0;
    std::uint8_t m_noSound = 0;
    std::uint8_t m_option = 0;
    bool m_ready = false; // the last Play built everything
};
