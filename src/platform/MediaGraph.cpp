#include "platform/MediaGraph.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <new>
#include <vector>

#include "platform/Clock.h"
#include "platform/Embedding.h"
#include "platform/FileSystem.h"
#include "platform/VideoFile.h"
#include "platform/HeadlessMedia.h"
#include "platform/MusicOutput.h"

namespace platform {
namespace {

std::array<HResult, static_cast<std::size_t>(MediaFailure::Count)>& Failures()
{
    static std::array<HResult, static_cast<std::size_t>(MediaFailure::Count)> failures{};
    return failures;
}

HResult FailureOf(MediaFailure what) { return Failures()[static_cast<std::size_t>(what)]; }

std::size_t& LiveGraphs()
{
    static std::size_t count = 0;
    return count;
}

std::uint32_t U32At(const std::uint8_t* bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at]) | (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[at + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

std::uint64_t U64At(const std::uint8_t* bytes, std::size_t at)
{
    return static_cast<std::uint64_t>(U32At(bytes, at)) |
           (static_cast<std::uint64_t>(U32At(bytes, at + 4)) << 32);
}

bool HasTag(const std::uint8_t* bytes, std::size_t size, std::size_t at, const char* tag)
{
    const std::size_t length = std::strlen(tag);
    return at + length <= size && std::memcmp(bytes + at, tag, length) == 0;
}

// What a length is read from: the start and the end of a file and its
// size, so a long track is never read whole.
struct FileView {
    const std::uint8_t* head;
    std::size_t headSize;
    const std::uint8_t* tail;
    std::size_t tailSize;
    std::uint64_t fileSize;
};

constexpr std::size_t kHeadBytes = 1u << 20;
constexpr std::size_t kTailBytes = 1u << 16;

// Walks the chunks of a RIFF WAVE file for its rate and data length.
double WaveDuration(const FileView& file)
{
    const std::uint8_t* bytes = file.head;
    std::uint32_t bytesPerSecond = 0;
    std::uint64_t at = 12;
    while (at + 8 <= file.headSize) {
        const std::uint32_t chunkSize = U32At(bytes, static_cast<std::size_t>(at) + 4);
        const std::uint64_t data = at + 8;
        const std::size_t here = static_cast<std::size_t>(at);
        if (HasTag(bytes, file.headSize, here, "fmt ")) {
            if (chunkSize < 16 || data + 16 > file.headSize)
                return -1.0;
            bytesPerSecond = U32At(bytes, static_cast<std::size_t>(data) + 8);
        } else if (HasTag(bytes, file.headSize, here, "data")) {
            if (bytesPerSecond == 0 || data + chunkSize > file.fileSize)
                return -1.0;
            return static_cast<double>(chunkSize) / bytesPerSecond;
        }
        at = data + chunkSize + (chunkSize & 1u);
    }
    // Chunks beyond what was read say nothing either way.
    return at + 8 <= file.fileSize && file.headSize < file.fileSize ? 0.0 : -1.0;
}

// The first page carries the identification header with the sample
// rate; the last page's granule position counts the samples.
double OggVorbisDuration(const FileView& file)
{
    constexpr std::size_t kPageHeader = 27;
    if (file.headSize < kPageHeader)
        return 0.0;
    const std::size_t packet = kPageHeader + file.head[26];
    if (!HasTag(file.head, file.headSize, packet, "\x01vorbis") || packet + 16 > file.headSize)
        return 0.0;
    const std::uint32_t rate = U32At(file.head, packet + 12);
    if (rate == 0 || file.tailSize < kPageHeader)
        return 0.0;
    for (std::size_t at = file.tailSize - kPageHeader + 1; at-- > 0;) {
        if (!HasTag(file.tail, file.tailSize, at, "OggS"))
            continue;
        const std::uint64_t granule = U64At(file.tail, at + 6);
        if (granule == ~std::uint64_t{0})
            return 0.0;
        return static_cast<double>(granule) / rate;
    }
    return 0.0;
}

double DurationOf(const FileView& file)
{
    if (!file.head)
        return 0.0;
    if (HasTag(file.head, file.headSize, 0, "RIFF") && HasTag(file.head, file.headSize, 8, "WAVE"))
        return WaveDuration(file);
    if (IsVideoFile(file.head, file.headSize)) {
        VideoFileHeader header;
        return ReadVideoFileHeader(file.head, file.headSize, header) ? header.DurationSeconds() : -1.0;
    }
    if (HasTag(file.head, file.headSize, 0, "OggS"))
        return OggVorbisDuration(file);
    return 0.0;
}

// Reads the first and the last bytes of a file and measures it.
bool ReadEnds(const std::string& hostPath, std::vector<std::uint8_t>& head, std::vector<std::uint8_t>& tail,
              std::uint64_t& size)
{
    FileHandle file(std::fopen(hostPath.c_str(), "rb"));
    if (!file || !MeasureFile(file.get(), size))
        return false;
    head.resize(static_cast<std::size_t>(std::min<std::uint64_t>(size, kHeadBytes)));
    if (!head.empty() && std::fread(head.data(), 1, head.size(), file.get()) != head.size())
        return false;
    const std::uint64_t tailSize = std::min<std::uint64_t>(size, kTailBytes);
    tail.resize(static_cast<std::size_t>(tailSize));
    if (tail.empty())
        return true;
    if (std::fseek(file.get(), -static_cast<long>(tailSize), SEEK_END) != 0)
        return false;
    return std::fread(tail.data(), 1, tail.size(), file.get()) == tail.size();
}

class FilterGraph final : public HeadlessMediaGraph,
                          public MediaControl,
                          public MediaEvent,
                          public MediaPosition,
                          public BasicAudio {
  public:
    FilterGraph() { ++LiveGraphs(); }

    std::uint32_t AddRef() override { return ++m_references; }
    std::uint32_t Release() override
    {
        const std::uint32_t left = --m_references;
        if (left == 0)
            delete this;
        return left;
    }

    HResult QueryInterface(MediaInterface id, void** out) override
    {
        if (!out)
            return E_INVALIDARG;
        *out = nullptr;
        const HResult failure = FailureOf(QueryFailure(id));
        if (Failed(failure))
            return failure;
        switch (id) {
        case MediaInterface::Control:
            *out = static_cast<MediaControl*>(this);
            break;
        case MediaInterface::Event:
            *out = static_cast<MediaEvent*>(this);
            break;
        case MediaInterface::Position:
            *out = static_cast<MediaPosition*>(this);
            break;
        case MediaInterface::Audio:
            *out = static_cast<BasicAudio*>(this);
            break;
        }
        AddRef();
        return S_OK;
    }

    HResult RenderFile(const std::u16string& path) override
    {
        if (path.empty())
            return E_INVALIDARG;
        std::string hostPath;
        if (!ResolveExistingPath(NarrowText(path), hostPath))
            return kMediaFileNotFound;
        std::vector<std::uint8_t> head;
        std::vector<std::uint8_t> tail;
        std::uint64_t size = 0;
        if (!ReadEnds(hostPath, head, tail, size))
            return kMediaFileNotFound;
        const double duration =
            DurationOf(FileView{head.data(), head.size(), tail.data(), tail.size(), size});
        if (size == 0 || duration < 0.0)
            return kMediaInvalidFile;
        m_path = hostPath;
        m_duration = duration;
        OpenTrack(head);
        m_position = 0.0;
        m_state = MediaState::Stopped;
        m_completePosted = false;
        m_events.clear();
        return S_OK;
    }

    HResult Abort() override
    {
        ++m_abortCount;
        return S_OK;
    }

    const std::string& GetRenderedPath() const override { return m_path; }
    double GetDurationSeconds() const override { return m_duration; }
    bool IsDecoding() const override { return m_track != nullptr; }
    std::uint32_t GetAbortCount() const override { return m_abortCount; }

    HResult Run() override { return Enter(MediaState::Running); }
    HResult Pause() override { return Enter(MediaState::Paused); }
    HResult Stop() override { return Enter(MediaState::Stopped); }
    HResult GetState(MediaState* state) override
    {
        if (!state)
            return E_INVALIDARG;
        Update();
        *state = m_state;
        return S_OK;
    }

    HResult GetEvent(std::int32_t* code) override
    {
        if (!code)
            return E_INVALIDARG;
        Update();
        if (m_events.empty())
            return kMediaNoEvent;
        *code = m_events.front();
        m_events.pop_front();
        return S_OK;
    }

    HResult GetDuration(double* seconds) override
    {
        if (!seconds)
            return E_INVALIDARG;
        *seconds = m_duration;
        return S_OK;
    }
    HResult GetCurrentPosition(double* seconds) override
    {
        if (!seconds)
            return E_INVALIDARG;
        Update();
        *seconds = m_position;
        return S_OK;
    }
    HResult SetCurrentPosition(double seconds) override
    {
        if (!(seconds >= 0.0) || (m_duration > 0.0 && seconds > m_duration))
            return E_INVALIDARG;
        Update();
        if (m_track && !m_track->Seek(seconds) && m_trackClocks)
            return E_FAIL;
        m_position = seconds;
        m_completePosted = false;
        return S_OK;
    }

    HResult SetVolume(std::int32_t volume) override
    {
        if (volume < -10000 || volume > 0)
            return E_INVALIDARG;
        m_volume = volume;
        if (m_track)
            m_track->SetVolume(volume);
        return S_OK;
    }
    HResult GetVolume(std::int32_t* volume) override
    {
        if (!volume)
            return E_INVALIDARG;
        *volume = m_volume;
        return S_OK;
    }

  private:
    ~FilterGraph() { --LiveGraphs(); }

    static MediaFailure QueryFailure(MediaInterface id)
    {
        switch (id) {
        case MediaInterface::Control:
            return MediaFailure::QueryControl;
        case MediaInterface::Event:
            return MediaFailure::QueryEvent;
        case MediaInterface::Position:
            return MediaFailure::QueryPosition;
        case MediaInterface::Audio:
            break;
        }
        return MediaFailure::QueryAudio;
    }

    HResult Enter(MediaState state)
    {
        if (m_path.empty())
            return E_FAIL; // nothing rendered
        Update();
        m_state = state;
        if (!m_track)
            return S_OK;
        if (state == MediaState::Running)
            m_track->Play();
        else
            m_track->Pause();
        return S_OK;
    }

    // With a music output installed the track is decoded and heard, and
    // its clock is what has been heard. A file the decoder does not take
    // keeps the silent clock. A video's sound plays along its frames, which
    // keep the clock: a sound shorter than the video must not hold it.
    void OpenTrack(const std::vector<std::uint8_t>& head)
    {
        m_track.reset();
        MusicOutput* output = GetMusicOutput();
        if (!output)
            return;
        const bool video = IsVideoFile(head.data(), head.size());
        std::unique_ptr<PcmSource> samples =
            video ? OpenVideoSound(m_path, nullptr) : OpenSoundFile(m_path, nullptr);
        if (!samples)
            return;
        m_track = output->OpenTrack(std::move(samples), nullptr);
        m_trackClocks = !video;
        if (m_track && m_duration <= 0.0)
            m_duration = m_track->GetDuration();
        if (m_track)
            m_track->SetVolume(m_volume);
    }

    void Update()
    {
        const std::uint32_t now = Milliseconds();
        const std::uint32_t elapsed = now - m_stamp;
        m_stamp = now;
        if (m_track && m_trackClocks) {
            UpdateFromTrack();
            return;
        }
        if (m_state != MediaState::Running)
            return;
        m_position += elapsed / 1000.0;
        if (m_duration <= 0.0 || m_position < m_duration)
            return;
        m_position = m_duration;
        if (!m_completePosted) {
            m_events.push_back(kMediaEventComplete);
            m_completePosted = true;
        }
    }

    void UpdateFromTrack()
    {
        m_position = m_track->GetPosition();
        if (m_duration > 0.0)
            m_position = std::min(m_position, m_duration);
        if (m_state != MediaState::Running || !m_track->HasEnded())
            return;
        if (m_duration > 0.0)
            m_position = m_duration;
        if (!m_completePosted) {
            m_events.push_back(kMediaEventComplete);
            m_completePosted = true;
        }
    }

    std::uint32_t m_references = 1;
    std::unique_ptr<MusicTrack> m_track;
    bool m_trackClocks = false;
    std::string m_path;
    double m_duration = 0.0;
    double m_position = 0.0;
    std::uint32_t m_stamp = Milliseconds();
    MediaState m_state = MediaState::Stopped;
    bool m_completePosted = false;
    std::deque<std::int32_t> m_events;
    std::int32_t m_volume = 0;
    std::uint32_t m_abortCount = 0;
};

} // namespace

double MediaDurationSeconds(const std::uint8_t* bytes, std::size_t size)
{
    return DurationOf(FileView{bytes, size, bytes, size, size});
}

HResult CreateMediaGraph(MediaGraph** graph)
{
    if (!graph)
        return E_INVALIDARG;
    *graph = nullptr;
    const HResult failure = FailureOf(MediaFailure::Create);
    if (Failed(failure))
        return failure;
    FilterGraph* created = new (std::nothrow) FilterGraph();
    if (!created)
        return E_OUTOFMEMORY;
    *graph = created;
    return S_OK;
}

HeadlessMediaGraph* AsHeadless(MediaGraph* graph) { return static_cast<HeadlessMediaGraph*>(graph); }

void SetMediaFailure(MediaFailure what, HResult code) { Failures()[static_cast<std::size_t>(what)] = code; }

void ClearMediaFailures() { Failures().fill(S_OK); }

std::size_t CountLiveMediaGraphs() { return LiveGraphs(); }

} // namespace platform
