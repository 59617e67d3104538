// Video files with their sound (AVI), decoded by FFmpeg's libraries: the
// sound as the video's audio stream plays it, and the frames the player
// shows as its clock runs, for a few frames and after a long play.
#include "FuzzSupport.h"

#include "platform/Clock.h"
#include "platform/DrawSurface.h"
#include "platform/Embedding.h"
#include "platform/MediaStream.h"
#include "platform/PcmSource.h"
#include "support/VideoFiles.h"
#include "core/ServiceOverride.h"

using namespace platform;

namespace {

std::uint32_t g_now = 1000;

void ReadSound(const std::string& path)
{
    std::unique_ptr<PcmSource> sound = OpenVideoSound(path, nullptr);
    if (!sound)
        return;
    std::vector<std::int16_t> frames(2 * 1024);
    for (int reads = 0; reads < 64 && sound->Read(frames.data(), 1024) > 0; ++reads) {
    }
    if (sound->Seek(0))
        sound->Read(frames.data(), 1024);
}

void PlayFrames(MultiMediaStream* stream, DrawDevice* device)
{
    MediaStream* video = nullptr;
    DrawMediaStream* draw = nullptr;
    DrawSurface* surface = nullptr;
    StreamSample* sample = nullptr;
    DrawSurfaceDesc desc;
    MediaGraph* graph = nullptr;
    void* position = nullptr;
    if (Succeeded(stream->GetMediaStream(StreamPurpose::PrimaryVideo, &video)) &&
        Succeeded(video->QueryDrawStream(&draw)) && Succeeded(draw->GetFormat(&desc)) &&
        Succeeded(device->CreateSurface(desc, &surface)) && Succeeded(draw->CreateSample(surface, &sample)) &&
        Succeeded(stream->SetState(StreamRunState::Running))) {
        for (int frame = 0; frame < 4; ++frame) {
            g_now += 40;
            sample->Update();
        }
        // Well over 2^32 us later, as a video left running for hours.
        if (Succeeded(stream->GetFilterGraph(&graph)) &&
            Succeeded(graph->QueryInterface(MediaInterface::Position, &position)) &&
            Succeeded(static_cast<MediaPosition*>(position)->SetCurrentPosition(5000.0)))
            sample->Update();
    }
    if (position)
        static_cast<MediaPosition*>(position)->Release();
    if (graph)
        graph->Release();
    if (sample)
        sample->Release();
    if (surface)
        surface->Release();
    if (draw)
        draw->Release();
    if (video)
        video->Release();
}

} // namespace

std::vector<std::string> FuzzSeeds()
{
    const std::vector<std::uint8_t> avi = videofiles::Avi(16, 8, 3, 40000);
    return {std::string(avi.begin(), avi.end())};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    WriteFuzzFile("Data/Video/input.avi", data, size);
    ReadSound(FuzzRoot() + "/Data/Video/input.avi");

    ServiceOverride<GetClockSource, SetClockSource> clock([] { return g_now; });
    DrawDevice* device = nullptr;
    MultiMediaStream* stream = nullptr;
    if (Succeeded(CreateDrawDevice(&device)) && Succeeded(CreateMultiMediaStream(&stream)) &&
        Succeeded(stream->Initialize(nullptr)) &&
        Succeeded(stream->AddMediaStream(device, StreamPurpose::PrimaryVideo, 0, nullptr)) &&
        Succeeded(stream->OpenFile(WidenText("Data\\Video\\input.avi"))))
        PlayFrames(stream, device);
    if (stream)
        stream->Release();
    if (device)
        device->Release();
    return 0;
}
