#include "platform/OpenALMusicTrack.h"

#include <AL/al.h>

#include <chrono>

#include "platform/OpenALContext.h"

namespace platform {
namespace {

// How often the thread tops up the queues; a queue holds far longer.
constexpr std::chrono::milliseconds kPumpInterval{20};

} // namespace

// ---- OpenALMusicPump ----

OpenALMusicPump::OpenALMusicPump(OpenALContext& context, bool threaded)
    : m_context(context), m_threaded(threaded)
{
    if (m_threaded)
        m_thread = std::thread([this] { Run(); });
}

OpenALMusicPump::~OpenALMusicPump()
{
    if (m_thread.joinable()) {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_stopping = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    std::lock_guard<std::mutex> lock(m_lock);
    for (OpenALMusicTrack* track : m_tracks)
        track->Detach();
    m_tracks.clear();
}

void OpenALMusicPump::Run()
{
    std::unique_lock<std::mutex> lock(m_lock);
    while (!m_stopping) {
        m_wake.wait_for(lock, kPumpInterval);
        for (OpenALMusicTrack* track : m_tracks)
            track->Fill();
    }
}

void OpenALMusicPump::Forget(OpenALMusicTrack* track) { m_tracks.erase(track); }

std::unique_ptr<MusicTrack> OpenALMusicPump::Open(std::unique_ptr<PcmSource> samples, std::string* error)
{
    if (!samples || samples->GetRate() == 0)
        return nullptr;
    std::unique_ptr<OpenALMusicTrack> track(new OpenALMusicTrack(*this, std::move(samples)));
    // Not yet listed, so the thread does not see it while it is made.
    if (!track->Create()) {
        if (error)
            *error = "no sound source is free for it";
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(m_lock);
    m_tracks.insert(track.get());
    return track;
}

// ---- OpenALMusicTrack ----

OpenALMusicTrack::OpenALMusicTrack(OpenALMusicPump& pump, std::unique_ptr<PcmSource> samples)
    : m_pump(&pump), m_samples(std::move(samples)), m_rate(m_samples->GetRate())
{
}

OpenALMusicTrack::~OpenALMusicTrack()
{
    {
        std::unique_lock<std::mutex> lock = Lock();
        if (m_pump)
            m_pump->Forget(this);
        Release();
    }
}

std::unique_lock<std::mutex> OpenALMusicTrack::Lock()
{
    return m_pump ? std::unique_lock<std::mutex>(m_pump->GetLock()) : std::unique_lock<std::mutex>();
}

bool OpenALMusicTrack::Create()
{
    m_pump->GetContext().MakeCurrent();
    alGetError();
    alGenSources(1, &m_source);
    if (alGetError() != AL_NO_ERROR) {
        m_source = 0;
        return false;
    }
    alGenBuffers(static_cast<ALsizei>(m_buffers.size()), m_buffers.data());
    if (alGetError() != AL_NO_ERROR) {
        m_buffers.fill(0);
        Release();
        return false;
    }
    // Music is not placed in the scene.
    alSourcei(m_source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSourcef(m_source, AL_ROLLOFF_FACTOR, 0.0f);
    Refill();
    return true;
}

void OpenALMusicTrack::Release()
{
    if (!m_source)
        return;
    m_pump->GetContext().MakeCurrent();
    alSourceStop(m_source);
    alSourcei(m_source, AL_BUFFER, 0);
    alDeleteSources(1, &m_source);
    if (m_buffers[0])
        alDeleteBuffers(static_cast<ALsizei>(m_buffers.size()), m_buffers.data());
    m_source = 0;
    m_buffers.fill(0);
}

void OpenALMusicTrack::Detach()
{
    // The pump's lock is held by the caller.
    m_heldPosition = HeardPosition();
    Release();
    m_pump = nullptr;
}

void OpenALMusicTrack::Decode(unsigned int buffer, std::size_t slot)
{
    const std::uint32_t channels = m_samples->GetChannels();
    m_read.resize(static_cast<std::size_t>(kFramesPerBuffer) * channels);
    const std::uint32_t frames = m_samples->Read(m_read.data(), kFramesPerBuffer);
    m_bufferFrames[slot] = frames;
    if (frames == 0) {
        m_decodedAll = true;
        return;
    }
    alBufferData(buffer, channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16, m_read.data(),
                 static_cast<ALsizei>(frames * channels * sizeof(std::int16_t)),
                 static_cast<ALsizei>(m_rate));
}

void OpenALMusicTrack::Refill()
{
    if (!m_source)
        return;
    m_pump->GetContext().MakeCurrent();
    ALint processed = 0;
    alGetSourcei(m_source, AL_BUFFERS_PROCESSED, &processed);
    for (; processed > 0 && m_queued > 0; --processed) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(m_source, 1, &buffer);
        m_queueStart += m_bufferFrames[m_oldest];
        m_oldest = (m_oldest + 1) % kQueueLength;
        --m_queued;
    }
    while (m_queued < kQueueLength && !m_decodedAll) {
        const std::size_t slot = (m_oldest + m_queued) % kQueueLength;
        Decode(m_buffers[slot], slot);
        if (m_decodedAll)
            break;
        alSourceQueueBuffers(m_source, 1, &m_buffers[slot]);
        ++m_queued;
    }
    ALint state = AL_STOPPED;
    alGetSourcei(m_source, AL_SOURCE_STATE, &state);
    // Also picks a source up again that ran dry while nobody refilled it.
    if (m_playing && state != AL_PLAYING && m_queued > 0)
        alSourcePlay(m_source);
}

void OpenALMusicTrack::Fill() { Refill(); }

double OpenALMusicTrack::GetDuration() const { return static_cast<double>(m_samples->GetFrames()) / m_rate; }

void OpenALMusicTrack::Play()
{
    std::unique_lock<std::mutex> lock = Lock();
    m_playing = true;
    Refill();
}

void OpenALMusicTrack::Pause()
{
    std::unique_lock<std::mutex> lock = Lock();
    m_playing = false;
    if (!m_source)
        return;
    m_pump->GetContext().MakeCurrent();
    alSourcePause(m_source);
}

double OpenALMusicTrack::GetPosition()
{
    std::unique_lock<std::mutex> lock = Lock();
    if (!m_source)
        return m_heldPosition;
    Refill();
    return HeardPosition();
}

double OpenALMusicTrack::HeardPosition() const
{
    ALint offset = 0;
    if (m_source && m_queued > 0)
        alGetSourcei(m_source, AL_SAMPLE_OFFSET, &offset);
    return static_cast<double>(m_queueStart + offset) / m_rate;
}

bool OpenALMusicTrack::Seek(double seconds)
{
    std::unique_lock<std::mutex> lock = Lock();
    if (!m_source || !(seconds >= 0.0))
        return false;
    const auto frame = static_cast<std::int64_t>(seconds * m_rate);
    if (!m_samples->Seek(frame))
        return false;
    m_pump->GetContext().MakeCurrent();
    alSourceStop(m_source);
    alSourcei(m_source, AL_BUFFER, 0);
    m_queued = 0;
    m_oldest = 0;
    m_queueStart = frame;
    m_decodedAll = false;
    Refill();
    return true;
}

bool OpenALMusicTrack::HasEnded()
{
    std::unique_lock<std::mutex> lock = Lock();
    if (!m_source)
        return false;
    Refill();
    return m_decodedAll && m_queued == 0;
}

void OpenALMusicTrack::SetVolume(std::int32_t volume)
{
    std::unique_lock<std::mutex> lock = Lock();
    if (!m_source)
        return;
    m_pump->GetContext().MakeCurrent();
    alSourcef(m_source, AL_GAIN, GainOf(volume));
}

} // namespace platform
