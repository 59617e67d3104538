#pragma once

#include <cstdint>
#include <string>

#include "core/Task.h"
#include "platform/Result.h"

namespace platform {
class MediaGraph;
class MediaControl;
class MediaEvent;
class MediaPosition;
class BasicAudio;
} // namespace platform

// The music player: one track at a time from "Data\Music", through a
// media graph, with a loop flag and a volume on the sounds' volume law.
//
// Play starts the track at once and lists the player with the kernel (when
// there is one), whose steps watch for the track's end: a looping track
// starts over, another one stops. End (what the scripts' "stop music"
// calls) ends the task and releases the track. The player leaves the
// kernel when it is destroyed.
class CPMusic : public CPTask {
  public:
    static constexpr int kTaskType = 6;
    static constexpr const char* kMusicFolder = "Data\\Music";

    // The volume starts at the music volume setting.
    CPMusic();
    ~CPMusic() override;
    CPMusic(const CPMusic&) = delete;
    CPMusic& operator=(const CPMusic&) = delete;

    std::uint32_t GetObjectSize() const override { return sizeof(CPMusic); }
    std::string GetTypeName() const override { return "CPMusic - " + m_name; }

    // Releases the previous track and plays "Data\Music\<name>". Answers the
    // result of rendering the file, or the failure met on the way (with a
    // report in the log; the name is kept, playing stays false).
    HResult Play(const std::string& name, bool loop);
    // Releases the current track's graph: the player no longer plays; the
    // name stays.
    void Stop();
    // Stores the volume (0..1) and applies it to the current track.
    HResult SetVolume(float volume);

    void Step() override;
    void End() override;
    int GetTaskType() const override { return kTaskType; }

    const std::string& GetName() const { return m_name; }
    bool IsPlaying() const { return m_playing; }
    bool IsLooping() const { return m_loop; }
    float GetVolume() const { return m_volume; }
    platform::MediaGraph* GetGraph() const { return m_graph; }
    platform::MediaControl* GetControl() const { return m_control; }
    platform::MediaEvent* GetEvent() const { return m_event; }
    platform::MediaPosition* GetPosition() const { return m_position; }
    platform::BasicAudio* GetAudio() const { return m_audio; }

  private:
    HResult BuildGraph(const std::string& path);
    void KeepStepping();
    void OnTrackEnd();
    void Report(int line, HResult code) const;

    platform::MediaGraph* m_graph = nullptr;
    platform::MediaControl* m_control = nullptr;
    platform::MediaEvent* m_event = nullptr;
    platform::MediaPosition* m_position = nullptr;
    platform::BasicAudio* m_audio = nullptr;
    bool m_loop = false;
    std::string m_name;
    bool m_playing = false;
    float m_volume = 0.5f;
};

// The one music player; null until the host stores it. The host owns it.
CPMusic* GetMusicPlayer();
void SetMusicPlayer(CPMusic* music);
