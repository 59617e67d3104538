#include "platform/MediaStream.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "platform/Embedding.h"
#include "platform/FileSystem.h"
#include "platform/HeadlessMedia.h"
#include "platform/VideoDecoder.h"

namespace platform {
namespace {

std::array<HResult, static_cast<std::size_t>(VideoFailure::Count)>& Failures()
{
    static std::array<HResult, static_cast<std::size_t>(VideoFailure::Count)> failures{};
    return failures;
}

std::size_t& LiveObjects()
{
    static std::size_t count = 0;
    return count;
}

// The AVI header lies at the start of the file; this much holds it even
// behind padding.
constexpr std::size_t kHeaderBytes = 1u << 16;

HResult ReadHeader(const std::u16string& path, VideoFileHeader& header)
{
    if (path.empty())
        return E_INVALIDARG;
    FileHandle file(OpenFile(NarrowText(path), "rb"));
    if (!file)
        return kMediaFileNotFound;
    std::vector<std::uint8_t> head(kHeaderBytes);
    head.resize(std::fread(head.data(), 1, head.size(), file.get()));
    return ReadVideoFileHeader(head.data(), head.size(), header) ? S_OK : kMediaInvalidFile;
}

class Stream;

// The video or audio stream of one multimedia stream.
class PurposeStream final : public MediaStream, public DrawMediaStream {
  public:
    PurposeStream(Stream* owner, StreamPurpose purpose, DrawDevice* device);

    std::uint32_t AddRef() override;
    std::uint32_t Release() override;
    StreamPurpose GetPurpose() const override { return m_purpose; }
    HResult QueryDrawStream(DrawMediaStream** out) override;
    HResult GetFormat(DrawSurfaceDesc* desc) override;
    HResult CreateSample(DrawSurface* surface, StreamSample** out) override;

  private:
    Stream* m_owner; // shares the owner's count
    StreamPurpose m_purpose;
};

class Stream final : public MultiMediaStream {
  public:
    Stream() { CountVideoObject(+1); }

    std::uint32_t AddRef() override { return ++m_references; }
    std::uint32_t Release() override
    {
        const std::uint32_t left = --m_references;
        if (left == 0)
            delete this;
        return left;
    }

    HResult Initialize(MediaGraph* graph) override
    {
        const HResult failure = VideoFailureOf(VideoFailure::Initialize);
        if (Failed(failure))
            return failure;
        if (graph)
            return E_NOTIMPL;
        if (m_initialized)
            return E_FAIL;
        m_initialized = true;
        return S_OK;
    }

    HResult AddMediaStream(DrawDevice* device, StreamPurpose purpose, std::uint32_t flags,
                           MediaStream** out) override
    {
        if (out)
            *out = nullptr;
        const bool audio = purpose == StreamPurpose::PrimaryAudio;
        const HResult failure = VideoFailureOf(audio ? VideoFailure::AddAudio : VideoFailure::AddVideo);
        if (Failed(failure))
            return failure;
        if (!m_initialized)
            return kStreamNotReady;
        if (audio && (device || !(flags & kAddDefaultRenderer)))
            return E_INVALIDARG;
        std::unique_ptr<PurposeStream>& slot = audio ? m_audio : m_video;
        if (slot)
            return E_FAIL; // one stream of each purpose
        if (!audio) {
            if (!device)
                return E_INVALIDARG;
            device->AddRef();
            m_device = device;
        }
        slot.reset(new PurposeStream(this, purpose, device));
        if (out) {
            *out = slot.get();
            AddRef();
        }
        return S_OK;
    }

    HResult OpenFile(const std::u16string& path) override
    {
        if (!m_video && !m_audio)
            return kStreamNotReady;
        VideoFileHeader header;
        HResult result = ReadHeader(path, header);
        if (Failed(result))
            return result;
        MediaGraph* graph = nullptr;
        result = CreateMediaGraph(&graph);
        if (Failed(result))
            return result;
        result = graph->RenderFile(path);
        if (Failed(result)) {
            graph->Release();
            return result;
        }
        ReleaseGraph();
        m_graph = graph;
        m_header = header;
        OpenDecoder(path);
        if (!m_audio)
            Mute();
        m_state = StreamRunState::Stopped;
        return S_OK;
    }

    HResult GetMediaStream(StreamPurpose purpose, MediaStream** out) override
    {
        if (!out)
            return E_INVALIDARG;
        *out = nullptr;
        const HResult failure = VideoFailureOf(VideoFailure::GetMediaStream);
        if (Failed(failure))
            return failure;
        PurposeStream* stream = purpose == StreamPurpose::PrimaryAudio ? m_audio.get() : m_video.get();
        if (!stream)
            return kNoSuchStream;
        *out = stream;
        AddRef();
        return S_OK;
    }

    HResult GetFilterGraph(MediaGraph** out) override
    {
        if (!out)
            return E_INVALIDARG;
        *out = nullptr;
        const HResult failure = VideoFailureOf(VideoFailure::GetFilterGraph);
        if (Failed(failure))
            return failure;
        if (!m_graph)
            return kStreamNotReady;
        m_graph->AddRef();
        *out = m_graph;
        return S_OK;
    }

    HResult SetState(StreamRunState state) override
    {
        const HResult failure = VideoFailureOf(VideoFailure::SetState);
        if (Failed(failure))
            return failure;
        if (!m_graph)
            return kStreamNotReady;
        MediaControl* control = nullptr;
        HResult result = m_graph->QueryInterface(MediaInterface::Control, reinterpret_cast<void**>(&control));
        if (Failed(result))
            return result;
        result = state == StreamRunState::Running ? control->Run() : control->Stop();
        control->Release();
        if (Succeeded(result))
            m_state = state;
        return result;
    }

    StreamRunState GetState() const override { return m_state; }

    HResult GetTime(double* seconds) override { return Position(seconds, false); }
    HResult GetDuration(double* seconds) override { return Position(seconds, true); }

    bool HasAudio() const override { return m_audio != nullptr; }
    const VideoFileHeader& GetHeader() const override { return m_header; }

    void WriteFrame(DrawSurface* surface) override
    {
        double seconds = 0.0;
        const double frameTime = m_header.microsecondsPerFrame / 1.0e6;
        if (!m_decoder || frameTime <= 0.0 || Failed(GetTime(&seconds))) {
            surface->DeliverBlankFrame();
            return;
        }
        const std::uint32_t index = FrameAt(seconds / frameTime);
        // The game's frames come faster than the video's: a frame already
        // in the surface is not converted again.
        const bool written = surface == m_written.surface && index == m_written.index &&
                             surface->GetFrameCount() == m_written.count;
        if (!written && !m_decoder->ReadFrame(index, surface->GetBytes(), surface->GetPitch())) {
            surface->DeliverBlankFrame();
            m_written = WrittenFrame{};
            return;
        }
        surface->MarkFrameDelivered();
        m_written = WrittenFrame{surface, index, surface->GetFrameCount()};
    }

    // The frame due after `frames` frame times. A file that gives no frame
    // count plays on past any index a frame can have: its last frame shows.
    std::uint32_t FrameAt(double frames) const
    {
        const std::uint32_t last =
            m_header.frameCount > 0 ? m_header.frameCount - 1 : std::numeric_limits<std::uint32_t>::max();
        if (!(frames >= 0.0))
            return 0;
        return frames >= static_cast<double>(last) ? last : static_cast<std::uint32_t>(frames);
    }

    bool IsOpen() const { return m_graph != nullptr; }
    DrawDevice* GetDevice() const { return m_device; }

  private:
    ~Stream()
    {
        ReleaseGraph();
        if (m_device)
            m_device->Release();
        CountVideoObject(-1);
    }

    // Frames come from the file where the libraries decode it; a file
    // they do not still plays, with blank frames.
    void OpenDecoder(const std::u16string& path)
    {
        m_decoder.reset();
        m_written = WrittenFrame{};
        std::string hostPath;
        if (ResolveExistingPath(NarrowText(path), hostPath))
            m_decoder = VideoDecoder::Open(hostPath, m_header.width, m_header.height, nullptr);
    }

    // A stream opened without its audio stream is not heard.
    void Mute()
    {
        BasicAudio* audio = nullptr;
        if (Failed(m_graph->QueryInterface(MediaInterface::Audio, reinterpret_cast<void**>(&audio))))
            return;
        audio->SetVolume(-10000);
        audio->Release();
    }

    void ReleaseGraph()
    {
        if (m_graph)
            m_graph->Release();
        m_graph = nullptr;
    }

    HResult Position(double* seconds, bool duration)
    {
        if (!seconds)
            return E_INVALIDARG;
        *seconds = 0.0;
        if (!m_graph)
            return kStreamNotReady;
        MediaPosition* position = nullptr;
        HResult result =
            m_graph->QueryInterface(MediaInterface::Position, reinterpret_cast<void**>(&position));
        if (Failed(result))
            return result;
        result = duration ? position->GetDuration(seconds) : position->GetCurrentPosition(seconds);
        position->Release();
        return result;
    }

    std::uint32_t m_references = 1;
    bool m_initialized = false;
    std::unique_ptr<PurposeStream> m_video;
    std::unique_ptr<PurposeStream> m_audio;
    DrawDevice* m_device = nullptr;
    MediaGraph* m_graph = nullptr;
    VideoFileHeader m_header;
    std::unique_ptr<VideoDecoder> m_decoder;
    struct WrittenFrame {
        const DrawSurface* surface = nullptr;
        std::uint32_t index = 0;
        std::uint32_t count = 0; // the surface's frame count after it
    };
    WrittenFrame m_written;
    StreamRunState m_state = StreamRunState::Stopped;
};

PurposeStream::PurposeStream(Stream* owner, StreamPurpose purpose, DrawDevice*)
    : m_owner(owner), m_purpose(purpose)
{
}

std::uint32_t PurposeStream::AddRef() { return m_owner->AddRef(); }
std::uint32_t PurposeStream::Release() { return m_owner->Release(); }

HResult PurposeStream::QueryDrawStream(DrawMediaStream** out)
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    const HResult failure = VideoFailureOf(VideoFailure::QueryDrawStream);
    if (Failed(failure))
        return failure;
    if (m_purpose != StreamPurpose::PrimaryVideo)
        return E_NOINTERFACE;
    *out = this;
    AddRef();
    return S_OK;
}

HResult PurposeStream::GetFormat(DrawSurfaceDesc* desc)
{
    if (!desc)
        return E_INVALIDARG;
    const HResult failure = VideoFailureOf(VideoFailure::GetFormat);
    if (Failed(failure))
        return failure;
    if (!m_owner->IsOpen())
        return kStreamNotReady;
    desc->width = m_owner->GetHeader().width;
    desc->height = m_owner->GetHeader().height;
    desc->format = PixelFormat::X8R8G8B8;
    return S_OK;
}

HResult PurposeStream::CreateSample(DrawSurface* surface, StreamSample** out)
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    const HResult failure = VideoFailureOf(VideoFailure::CreateSample);
    if (Failed(failure))
        return failure;
    if (!surface || m_purpose != StreamPurpose::PrimaryVideo)
        return E_INVALIDARG;
    if (!m_owner->IsOpen())
        return kStreamNotReady;
    const VideoFileHeader& header = m_owner->GetHeader();
    const DrawSurfaceDesc& desc = surface->GetDesc();
    if (desc.width < header.width || desc.height < header.height)
        return E_INVALIDARG;
    return MakeStreamSample(m_owner, surface, out);
}

} // namespace

HResult MakeStreamSample(MultiMediaStream* owner, DrawSurface* surface, StreamSample** out)
{
    if (!owner || !surface || !out)
        return E_INVALIDARG;
    StreamSample* sample = new (std::nothrow) StreamSample(owner, surface);
    if (!sample)
        return E_OUTOFMEMORY;
    *out = sample;
    return S_OK;
}

StreamSample::StreamSample(MultiMediaStream* owner, DrawSurface* surface) : m_owner(owner), m_surface(surface)
{
    m_owner->AddRef();
    m_surface->AddRef();
    CountVideoObject(+1);
}

StreamSample::~StreamSample()
{
    m_surface->Release();
    m_owner->Release();
    CountVideoObject(-1);
}

std::uint32_t StreamSample::Release()
{
    const std::uint32_t left = --m_references;
    if (left == 0)
        delete this;
    return left;
}

HResult StreamSample::Update()
{
    if (m_owner->GetState() != StreamRunState::Running)
        return kStreamNotRunning;
    double position = 0.0;
    double duration = 0.0;
    if (Succeeded(m_owner->GetDuration(&duration)) && duration > 0.0 &&
        Succeeded(m_owner->GetTime(&position)) && position >= duration)
        return kStreamEnded;
    m_owner->WriteFrame(m_surface);
    return S_OK;
}

HResult CreateMultiMediaStream(MultiMediaStream** out)
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    const HResult failure = VideoFailureOf(VideoFailure::CreateStream);
    if (Failed(failure))
        return failure;
    Stream* stream = new (std::nothrow) Stream();
    if (!stream)
        return E_OUTOFMEMORY;
    *out = stream;
    return S_OK;
}

void SetVideoFailure(VideoFailure what, HResult code) { Failures()[static_cast<std::size_t>(what)] = code; }

void ClearVideoFailures() { Failures().fill(S_OK); }

HResult VideoFailureOf(VideoFailure what) { return Failures()[static_cast<std::size_t>(what)]; }

std::size_t CountLiveVideoObjects() { return LiveObjects(); }

void CountVideoObject(int change)
{
    LiveObjects() += static_cast<std::size_t>(static_cast<std::ptrdiff_t>(change));
}

} // namespace platform
