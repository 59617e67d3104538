#pragma once

#include <cstdint>
#include <cstddef>
#include <string>

#include "platform/Result.h"

// The media graph music plays through: a graph renders one file and is
// then driven through its control, event, position and audio interfaces.
// A track of known length that reaches its end posts kMediaEventComplete
// once. CreateMediaGraph makes the platform's graph; the headless one is
// described in HeadlessMedia.h.
namespace platform {

constexpr HResult kMediaFileNotFound = static_cast<HResult>(0x80070002u);
constexpr HResult kMediaInvalidFile = static_cast<HResult>(0x8004022Fu);
constexpr HResult kMediaNoEvent = static_cast<HResult>(0x80004004u);

constexpr std::int32_t kMediaEventComplete = 1;

enum class MediaInterface : std::uint8_t { Control, Event, Position, Audio };
enum class MediaState : std::uint8_t { Stopped, Paused, Running };

// Every interface shares the graph's reference count.
class MediaUnknown {
  public:
    // Adds a reference; returns the new count.
    virtual std::uint32_t AddRef() = 0;
    // Drops a reference; the graph goes with the last one.
    virtual std::uint32_t Release() = 0;

  protected:
    ~MediaUnknown() = default;
};

class MediaControl : public MediaUnknown {
  public:
    // Starts or resumes playing from the current position.
    virtual HResult Run() = 0;
    // Holds the position without playing.
    virtual HResult Pause() = 0;
    // Stops playing; the position stays where it is.
    virtual HResult Stop() = 0;
    // The play state as of now.
    virtual HResult GetState(MediaState* state) = 0;

  protected:
    ~MediaControl() = default;
};

class MediaEvent : public MediaUnknown {
  public:
    // The oldest posted event, or kMediaNoEvent when none waits.
    virtual HResult GetEvent(std::int32_t* code) = 0;

  protected:
    ~MediaEvent() = default;
};

// Times in seconds.
class MediaPosition : public MediaUnknown {
  public:
    // The track's length; 0 when the file does not give it.
    virtual HResult GetDuration(double* seconds) = 0;
    // Where playing has reached.
    virtual HResult GetCurrentPosition(double* seconds) = 0;
    // Moves the play position.
    virtual HResult SetCurrentPosition(double seconds) = 0;

  protected:
    ~MediaPosition() = default;
};

// Volume in hundredths of a decibel, -10000 (silence) to 0 (full).
class BasicAudio : public MediaUnknown {
  public:
    // Sets the volume; values outside the range are refused.
    virtual HResult SetVolume(std::int32_t volume) = 0;
    // The volume last set.
    virtual HResult GetVolume(std::int32_t* volume) = 0;

  protected:
    ~BasicAudio() = default;
};

class MediaGraph : public MediaUnknown {
  public:
    // On success *out holds the interface with one more reference; it is
    // cast back to the interface asked for.
    virtual HResult QueryInterface(MediaInterface id, void** out) = 0;
    // Builds the graph for a file (a Windows path in UTF-16): E_INVALIDARG
    // for an empty path, kMediaFileNotFound when it does not resolve to a
    // readable file, kMediaInvalidFile for an empty file or a WAVE or AVI file
    // that cannot be played. Files of other kinds play with no known length.
    virtual HResult RenderFile(const std::u16string& path) = 0;
    // Stops building the graph; the graph stays usable.
    virtual HResult Abort() = 0;

  protected:
    ~MediaGraph() = default;
};

// Makes a graph with one reference for the caller.
HResult CreateMediaGraph(MediaGraph** graph);

// Length in seconds of a media file's bytes where its format states it:
// a WAVE file's data bytes over its bytes per second, an Ogg Vorbis
// stream's last granule position over its sample rate, an AVI file's
// frame count times its frame time. 0 when the format does not say; -1 for
// a WAVE file that is not whole or an AVI file without a usable header.
double MediaDurationSeconds(const std::uint8_t* bytes, std::size_t size);

} // namespace platform
