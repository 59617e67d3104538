#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/DrawSurface.h"
#include "platform/MediaGraph.h"
#include "platform/Result.h"
#include "platform/VideoFile.h"

// Multimedia streaming: a stream object opens a video file, offers its
// video (and optionally its audio) as streams, and hands decoded frames
// to a surface through a stream sample; the filter graph behind it is a
// MediaGraph, whose clock moves the play position. Every object is
// counted: one reference at creation, deleted by the last Release. The
// headless streams are described in HeadlessMedia.h.
namespace platform {

class MultiMediaStream;
class StreamSample;

// Makes a sample of `owner`'s video bound to `surface`; both are held.
HResult MakeStreamSample(MultiMediaStream* owner, DrawSurface* surface, StreamSample** out);

enum class StreamPurpose : std::uint8_t { PrimaryVideo, PrimaryAudio };
enum class StreamRunState : std::uint8_t { Stopped, Running };

constexpr std::uint32_t kAddDefaultRenderer = 0x1;

// A sample update after the last frame; a success code.
constexpr HResult kStreamEnded = static_cast<HResult>(0x00040003u);
constexpr HResult kStreamNotRunning = static_cast<HResult>(0x80040413u);
constexpr HResult kNoSuchStream = static_cast<HResult>(0x80040411u);
constexpr HResult kStreamNotReady = static_cast<HResult>(0x800401F0u);

class StreamSample {
  public:
    StreamSample(const StreamSample&) = delete;
    StreamSample& operator=(const StreamSample&) = delete;
    std::uint32_t AddRef() { return ++m_references; }
    std::uint32_t Release();

    // Writes the current frame into the surface: S_OK while the stream
    // runs, kStreamEnded once its known length has passed,
    // kStreamNotRunning while it is stopped.
    HResult Update();
    DrawSurface* GetSurface() const { return m_surface; }

  private:
    friend HResult MakeStreamSample(MultiMediaStream* owner, DrawSurface* surface, StreamSample** out);
    StreamSample(MultiMediaStream* owner, DrawSurface* surface);
    ~StreamSample();

    MultiMediaStream* m_owner;
    DrawSurface* m_surface;
    std::uint32_t m_references = 1;
};

// The video stream as the drawing object sees it.
class DrawMediaStream {
  public:
    // Reference counting as for the stream object.
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;
    // The frame size of the opened file; kStreamNotReady before a file is
    // open.
    virtual HResult GetFormat(DrawSurfaceDesc* desc) = 0;
    // A sample that updates `surface`, which must be at least as large as
    // a frame.
    virtual HResult CreateSample(DrawSurface* surface, StreamSample** out) = 0;

  protected:
    ~DrawMediaStream() = default;
};

class MediaStream {
  public:
    // Reference counting as for the stream object.
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;
    // Whether this is the video or the audio stream.
    virtual StreamPurpose GetPurpose() const = 0;
    // The drawing view of a video stream; E_NOINTERFACE for audio.
    virtual HResult QueryDrawStream(DrawMediaStream** out) = 0;

  protected:
    ~MediaStream() = default;
};

class MultiMediaStream {
  public:
    // Adds a reference; returns the new count.
    virtual std::uint32_t AddRef() = 0;
    // Drops a reference; the stream goes with the last one.
    virtual std::uint32_t Release() = 0;

    // Readies the stream for reading; a filter graph of one's own is not
    // supported (pass null). Fails when called twice.
    virtual HResult Initialize(MediaGraph* graph) = 0;
    // Adds the video stream (with the drawing object its frames go
    // through) or the audio stream (which needs kAddDefaultRenderer).
    // `out` may be null.
    virtual HResult AddMediaStream(DrawDevice* device, StreamPurpose purpose, std::uint32_t flags,
                                   MediaStream** out) = 0;
    // Opens a video file (a Windows path in UTF-16) for the streams added:
    // kMediaFileNotFound when it does not resolve, kMediaInvalidFile when
    // it is not an AVI file with a usable header.
    virtual HResult OpenFile(const std::u16string& path) = 0;
    // The stream added for the purpose, with one reference added.
    virtual HResult GetMediaStream(StreamPurpose purpose, MediaStream** out) = 0;
    // The filter graph of the opened file, with one reference added.
    virtual HResult GetFilterGraph(MediaGraph** out) = 0;
    // Starts or stops the streams of the opened file.
    virtual HResult SetState(StreamRunState state) = 0;
    virtual StreamRunState GetState() const = 0;
    // Play position and length in seconds, from the filter graph; the
    // length is 0 when the file does not give it.
    virtual HResult GetTime(double* seconds) = 0;
    virtual HResult GetDuration(double* seconds) = 0;

    // Whether an audio stream was added.
    virtual bool HasAudio() const = 0;
    // The opened file's frame size, frame count and frame time.
    virtual const VideoFileHeader& GetHeader() const = 0;
    // Writes the frame due at the play position into the surface; a blank
    // one where the file's frames cannot be decoded.
    virtual void WriteFrame(DrawSurface* surface) = 0;

  protected:
    ~MultiMediaStream() = default;
};

HResult CreateMultiMediaStream(MultiMediaStream** out);

} // namespace platform
