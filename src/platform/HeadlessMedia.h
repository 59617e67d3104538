#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/MediaGraph.h"
#include "platform/MediaStream.h"

// What the headless media objects (music graphs, video streams and the
// drawing object) keep for tests and the host to read, and the failures
// tests can plan for them. The engine never includes this.
//
// A headless graph checks that the file exists, learns its length where the
// file's format states it (WAVE, Ogg Vorbis, AVI), and keeps the play
// state, the position (moving with the platform clock while it runs) and
// the volume; nothing is decoded or heard. Where a music output is
// installed (MusicOutput.h) a graph also decodes its track to it and takes
// position and end from what was heard. A headless video stream reads
// the AVI header for the frame size and length, plays through such a graph,
// and hands out blank frames.
namespace platform {

// The headless graph's readings; every graph CreateMediaGraph makes here is
// one.
class HeadlessMediaGraph : public MediaGraph {
  public:
    virtual const std::string& GetRenderedPath() const = 0; // host path
    virtual double GetDurationSeconds() const = 0;          // 0: not known
    virtual std::uint32_t GetAbortCount() const = 0;
    // Whether the track is decoded to a music output.
    virtual bool IsDecoding() const = 0;

  protected:
    ~HeadlessMediaGraph() = default;
};

// The readings of a graph CreateMediaGraph made; null for null.
HeadlessMediaGraph* AsHeadless(MediaGraph* graph);

// Have every graph creation or interface query of a kind answer `code`
// until it is set back to S_OK or cleared; read how many graphs are alive.
enum class MediaFailure : std::uint8_t { Create, QueryControl, QueryEvent, QueryPosition, QueryAudio, Count };
void SetMediaFailure(MediaFailure what, HResult code);
void ClearMediaFailures();
std::size_t CountLiveMediaGraphs();

// Make one kind of video call answer `code` until it is set back
// to S_OK or cleared; count the stream and drawing objects alive.
enum class VideoFailure : std::uint8_t {
    CreateDrawDevice,
    CooperativeLevel,
    CreateStream,
    Initialize,
    AddAudio,
    AddVideo,
    GetMediaStream,
    QueryDrawStream,
    GetFormat,
    CreateSurface,
    CreateSample,
    GetFilterGraph,
    SetState,
    Count
};
void SetVideoFailure(VideoFailure what, HResult code);
void ClearVideoFailures();
HResult VideoFailureOf(VideoFailure what);
std::size_t CountLiveVideoObjects();

// Counting of live objects, for the objects themselves.
void CountVideoObject(int change);

} // namespace platform
