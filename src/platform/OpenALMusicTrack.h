#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "platform/MusicOutput.h"
#include "platform/PcmSource.h"

namespace platform {

class OpenALContext;
class OpenALMusicTrack;

// Keeps the tracks of one device fed. On an output device a thread tops
// up their queues; on a loopback device (tests) they are topped up
// whenever they are asked anything, so what is mixed is repeatable.
class OpenALMusicPump {
  public:
    OpenALMusicPump(OpenALContext& context, bool threaded);
    ~OpenALMusicPump();
    OpenALMusicPump(const OpenALMusicPump&) = delete;
    OpenALMusicPump& operator=(const OpenALMusicPump&) = delete;

    std::unique_ptr<MusicTrack> Open(std::unique_ptr<PcmSource> samples, std::string* error);

    OpenALContext& GetContext() { return m_context; }
    std::mutex& GetLock() { return m_lock; }
    bool IsThreaded() const { return m_threaded; }
    void Forget(OpenALMusicTrack* track);

  private:
    void Run();

    OpenALContext& m_context;
    bool m_threaded;
    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::unordered_set<OpenALMusicTrack*> m_tracks;
    friend class OpenALMusicTrack;
    std::thread m_thread;
};

// A track's decoded samples streamed through a queue of OpenAL buffers on
// one source.
class OpenALMusicTrack final : public MusicTrack {
  public:
    static constexpr std::size_t kQueueLength = 6;
    static constexpr std::uint32_t kFramesPerBuffer = 16384;

    ~OpenALMusicTrack() override;

    double GetDuration() const override;
    void Play() override;
    void Pause() override;
    double GetPosition() override;
    bool Seek(double seconds) override;
    bool HasEnded() override;
    void SetVolume(std::int32_t volume) override;

    // Refills the buffers played since the last call; the pump's lock is
    // held.
    void Fill();
    // The device goes: the track lets go of its source and falls silent,
    // its position held.
    void Detach();

  private:
    friend class OpenALMusicPump;
    OpenALMusicTrack(OpenALMusicPump& pump, std::unique_ptr<PcmSource> samples);
    bool Create();
    void Decode(unsigned int buffer, std::size_t slot);
    void Refill();
    void Release();
    double HeardPosition() const;
    std::unique_lock<std::mutex> Lock();

    OpenALMusicPump* m_pump;
    std::unique_ptr<PcmSource> m_samples;
    std::uint32_t m_rate;
    unsigned int m_source = 0;
    std::array<unsigned int, kQueueLength> m_buffers{};
    std::array<std::uint32_t, kQueueLength> m_bufferFrames{}; // frames each queued buffer holds
    std::size_t m_oldest = 0;                                 // slot of the buffer queued first
    std::size_t m_queued = 0;
    std::int64_t m_queueStart = 0; // file frame the oldest queued buffer starts at
    bool m_decodedAll = false;
    bool m_playing = false;
    double m_heldPosition = 0.0; // once detached
    std::vector<std::int16_t> m_read;
};

} // namespace platform
