#include "Sound/PMusic.h"

#include "Sound/VolumeLaw.h"
#include "core/GameSettings.h"
#include "core/Kernel.h"
#include "core/Log.h"
#include "core/Singletons.h"
#include "platform/Embedding.h"
#include "platform/ErrorText.h"
#include "platform/MediaGraph.h"

namespace {

constexpr const char* kSourceName = "Sound\\PMusic";
constexpr int kLineQueryControl = 55;
constexpr int kLineQueryEvent = 56;
constexpr int kLineQueryPosition = 57;
constexpr int kLineQueryAudio = 58;
constexpr int kLineRenderFile = 59;
constexpr int kLineSetVolume = 121;

// Paths are handed to the graph in a buffer of this many characters,
// the terminating zero included.
constexpr std::size_t kMaxPathCharacters = 260;

CPMusic*& MusicPlayer()
{
    static CPMusic* music = nullptr;
    return music;
}

template <class Interface> void ReleaseInterface(Interface*& pointer)
{
    if (!pointer)
        return;
    pointer->Release();
    pointer = nullptr;
}

template <class Interface>
HResult QueryGraph(platform::MediaGraph* graph, platform::MediaInterface id, Interface*& pointer)
{
    void* out = nullptr;
    const HResult result = graph->QueryInterface(id, &out);
    if (Succeeded(result))
        pointer = static_cast<Interface*>(out);
    return result;
}

} // namespace

CPMusic* GetMusicPlayer() { return MusicPlayer(); }
void SetMusicPlayer(CPMusic* music) { MusicPlayer() = music; }

CPMusic::CPMusic() : m_volume(GetGameSettings().musicVolume) {}

CPMusic::~CPMusic()
{
    Stop();
    if (CPKernel* kernel = GetKernel())
        kernel->RemoveTask(this);
}

void CPMusic::Report(int line, HResult code) const { ReportDXError(kSourceName, line, code); }

HResult CPMusic::Play(const std::string& name, bool loop)
{
    Stop();
    m_playing = false;
    m_name = name;
    m_loop = loop;
    const std::string path = std::string(kMusicFolder) + "\\" + name;
    if (path.size() >= kMaxPathCharacters) {
        LogLine("Music track \"" + path + "\" cannot be played: its path is longer than 259 characters");
        return E_INVALIDARG;
    }

    const HResult rendered = BuildGraph(path);
    if (Failed(rendered)) {
        LogLine("Music track \"" + path + "\" cannot be played: " + platform::GetErrorName(rendered));
        return rendered;
    }
    m_playing = true;
    SetVolume(m_volume);
    const HResult run = m_control->Run();
    if (Failed(run))
        LogLine("Music track \"" + path + "\" does not start: " + platform::GetErrorName(run));
    KeepStepping();
    return rendered;
}

HResult CPMusic::BuildGraph(const std::string& path)
{
    HResult result = platform::CreateMediaGraph(&m_graph);
    if (Failed(result)) {
        m_graph = nullptr; // without a graph there is nothing to query
        return result;
    }
    // The interfaces obtained before a failed query are kept until Stop.
    result = QueryGraph(m_graph, platform::MediaInterface::Control, m_control);
    if (Failed(result)) {
        Report(kLineQueryControl, result);
        return result;
    }
    result = QueryGraph(m_graph, platform::MediaInterface::Event, m_event);
    if (Failed(result)) {
        Report(kLineQueryEvent, result);
        return result;
    }
    result = QueryGraph(m_graph, platform::MediaInterface::Position, m_position);
    if (Failed(result)) {
        Report(kLineQueryPosition, result);
        return result;
    }
    result = QueryGraph(m_graph, platform::MediaInterface::Audio, m_audio);
    if (Failed(result)) {
        Report(kLineQueryAudio, result);
        return result;
    }
    result = m_graph->RenderFile(platform::WidenText(path));
    if (Failed(result))
        Report(kLineRenderFile, result);
    return result;
}

// The kernel's steps watch for the track's end. A player killed with all
// tasks but not yet swept stays listed; one swept or ended is added again.
void CPMusic::KeepStepping()
{
    if (IsRunning()) {
        SetKilled(false);
        return;
    }
    if (CPKernel* kernel = GetKernel()) {
        CPObjectPtr self(this);
        kernel->AddTask(self);
    }
}

void CPMusic::Stop()
{
    // Without its graph the track cannot sound, so it no longer plays.
    m_playing = false;
    ReleaseInterface(m_audio);
    ReleaseInterface(m_control);
    ReleaseInterface(m_event);
    ReleaseInterface(m_position);
    if (!m_graph)
        return;
    m_graph->Abort();
    m_graph->Release();
    m_graph = nullptr;
}

HResult CPMusic::SetVolume(float volume)
{
    m_volume = volume;
    if (!m_audio)
        return S_OK; // applied by the next Play
    const HResult result = m_audio->SetVolume(VolumeToAttenuation(volume));
    if (Failed(result))
        Report(kLineSetVolume, result);
    return result;
}

void CPMusic::Step()
{
    if (!m_event)
        return;
    std::int32_t code = 0;
    while (m_event && Succeeded(m_event->GetEvent(&code)))
        if (code == platform::kMediaEventComplete)
            OnTrackEnd();
}

void CPMusic::OnTrackEnd()
{
    if (!m_control)
        return;
    if (m_loop && m_position && Succeeded(m_position->SetCurrentPosition(0.0))) {
        m_control->Run();
        return;
    }
    m_control->Stop();
}

void CPMusic::End()
{
    CPTask::End();
    Stop();
}
