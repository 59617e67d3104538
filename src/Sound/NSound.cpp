#include "Sound/NSound.h"

#include <algorithm>
#include <cstring>

#include "Sound/SoundSettings.h"
#include "Sound/VolumeLaw.h"
#include "Sound/WaveReader.h"
#include "core/Log.h"
#include "core/SoundVolume.h"
#include "platform/ErrorText.h"
#include "platform/Sleep.h"
#include "platform/SoundDevice.h"

namespace {

constexpr const char* kSourceName = "Sound\\NSound";
constexpr int kLineSetFrequencyFactor = 19;
constexpr int kLineCreateBuffer = 46;
constexpr int kLineReadFrequency = 117;
constexpr int kLinePlayFrequency = 167;
constexpr int kLineApplyGlobalVolume = 203;
constexpr int kLineSetVolume = 212;

// Play always starts at the base frequency times this.
constexpr float kPitchFactor = 1.0f;

// A lost buffer is asked back this often, 10 ms apart, before the sound
// gives up for now; the next Play or fill asks again.
constexpr int kRestoreAttempts = 50;
constexpr std::uint32_t kRestorePauseMilliseconds = 10;

struct SoundGlobals {
    std::vector<CNSound*> sounds;
};

SoundGlobals& Globals()
{
    static SoundGlobals globals;
    return globals;
}

} // namespace

CNSound::CNSound(platform::SoundDevice* device, const std::string& path, std::int32_t is3D)
    : m_reader(std::make_unique<CPWaveReader>()), m_is3D(is3D), m_path(path)
{
    // The reader has said why a file does not open; there is nothing to
    // ask the device for.
    if (Failed(m_reader->Open(path, CPWaveReader::kModeRead))) {
        LogLine("Sound \"" + m_path + "\" is not loaded");
        return;
    }
    m_size = m_reader->GetSize();

    platform::SoundBufferDesc desc;
    desc.flags = platform::kBufferControlFrequency | platform::kBufferControlVolume;
    if (m_is3D == 1) {
        desc.flags |= platform::kBufferControl3D;
        desc.algorithm = GetSoundSettings().bitsPerSample == 16 ? platform::Spatial3DAlgorithm::HrtfFull
                                                                : platform::Spatial3DAlgorithm::HrtfLight;
    }
    desc.bufferBytes = m_size;
    desc.format = m_reader->GetFormat();
    const HResult created = device ? device->CreateSoundBuffer(desc, &m_buffer) : E_INVALIDARG;
    if (Failed(created)) {
        m_buffer = nullptr;
        Report(kLineCreateBuffer, created);
        LogLine("Sound \"" + m_path + "\" is not loaded");
        return;
    }

    FillBuffer(false);
    m_buffer->SetCurrentPosition(0);
    if (Succeeded(m_buffer->Query3DBuffer(&m_3dBuffer)) && m_is3D == 1)
        Set3DModeNormal();

    Globals().sounds.push_back(this);
    m_loaded = true;
    ApplyGlobalVolume();
}

CNSound::~CNSound()
{
    if (m_3dBuffer)
        m_3dBuffer->Release();
    if (m_buffer)
        m_buffer->Release();
    m_reader->Close();
    if (m_loaded) {
        std::vector<CNSound*>& sounds = Globals().sounds;
        sounds.erase(std::remove(sounds.begin(), sounds.end(), this), sounds.end());
    }
}

void CNSound::Report(int line, HResult code) const { ReportDXError(kSourceName, line, code); }

std::uint8_t CNSound::SilenceByte() const
{
    const platform::WaveFormat* format = m_reader->GetFormat();
    return format && format->bitsPerSample == 8 ? 0x80 : 0x00;
}

void CNSound::Set3DModeNormal()
{
    HResult result = m_3dBuffer->GetAllParameters(&m_3dParameters);
    if (Succeeded(result)) {
        m_3dParameters.mode = platform::kMode3DNormal;
        result = m_3dBuffer->SetAllParameters(m_3dParameters, platform::kApplyImmediate);
    }
    if (Failed(result))
        LogLine("Sound \"" + m_path +
                "\": its 3D parameters cannot be set: " + platform::GetErrorName(result));
}

void CNSound::FillBuffer(bool repeat)
{
    if (!m_buffer)
        return;
    bool restored = false;
    if (Failed(RestoreBuffer(&restored)))
        return;

    void* locked = nullptr;
    std::uint32_t lockedBytes = 0;
    const HResult lock = m_buffer->Lock(0, m_size, &locked, &lockedBytes);
    if (Failed(lock)) {
        LogLine("Sound \"" + m_path + "\": its buffer cannot be locked: " + platform::GetErrorName(lock));
        return;
    }
    auto* bytes = static_cast<std::uint8_t*>(locked);
    const std::uint8_t silence = SilenceByte();

    std::uint32_t filled = 0;
    m_reader->Rewind();
    if (Failed(m_reader->Read(bytes, lockedBytes, &filled)))
        filled = 0;
    // Repeating starts the samples over until the buffer is full; a read
    // that brings nothing ends it with silence rather than spinning.
    while (repeat && filled > 0 && filled < lockedBytes) {
        std::uint32_t more = 0;
        m_reader->Rewind();
        if (Failed(m_reader->Read(bytes + filled, lockedBytes - filled, &more)) || more == 0)
            break;
        filled += more;
    }
    if (filled < lockedBytes)
        std::memset(bytes + filled, silence, lockedBytes - filled);
    m_buffer->Unlock(locked, lockedBytes);

    const HResult frequency = m_buffer->GetFrequency(&m_baseFrequency);
    if (Failed(frequency))
        Report(kLineReadFrequency, frequency);
}

HResult CNSound::RestoreBuffer(bool* restored)
{
    *restored = false;
    if (!m_buffer)
        return S_OK;
    std::uint32_t status = 0;
    const HResult read = m_buffer->GetStatus(&status);
    if (Failed(read))
        return read;
    if ((status & platform::kStatusBufferLost) == 0)
        return S_FALSE;

    // The device gives lost memory back when it can; a device that keeps
    // refusing, or answers anything but "still lost", must not hang the game.
    HResult result = platform::kSoundBufferLost;
    for (int attempt = 0; attempt < kRestoreAttempts; ++attempt) {
        result = m_buffer->Restore();
        if (Succeeded(result)) {
            *restored = true;
            return S_OK;
        }
        if (result != platform::kSoundBufferLost)
            break;
        platform::SleepMilliseconds(kRestorePauseMilliseconds);
    }
    LogLine("Sound \"" + m_path +
            "\": its lost buffer cannot be restored: " + platform::GetErrorName(result));
    return result;
}

HResult CNSound::Play(std::uint32_t priority, std::uint32_t flags)
{
    if (!m_buffer)
        return E_FAIL;
    bool restored = false;
    const HResult restore = RestoreBuffer(&restored);
    if (Failed(restore))
        return restore;
    if (restored) {
        FillBuffer(false);
        Rewind();
    }
    const auto frequency = static_cast<std::uint32_t>(static_cast<float>(m_baseFrequency) * kPitchFactor);
    const HResult set = m_buffer->SetFrequency(frequency);
    if (Failed(set)) {
        Report(kLinePlayFrequency, set);
        return set;
    }
    const HResult played = m_buffer->Play(0, priority, flags);
    if (Failed(played))
        LogLine("Sound \"" + m_path + "\" cannot be played: " + platform::GetErrorName(played));
    return played;
}

void CNSound::StopPlaying()
{
    if (m_buffer)
        m_buffer->Stop();
}

void CNSound::Rewind()
{
    if (m_buffer)
        m_buffer->SetCurrentPosition(0);
}

bool CNSound::IsPlaying() const
{
    if (!m_buffer)
        return false;
    std::uint32_t status = 0;
    return Succeeded(m_buffer->GetStatus(&status)) && (status & platform::kStatusPlaying) != 0;
}

HResult CNSound::SetFrequencyFactor(float factor)
{
    if (!m_buffer)
        return E_FAIL;
    const float frequency = static_cast<float>(m_baseFrequency) * factor;
    // A factor that is no number or out of all range cannot become a rate.
    HResult result = E_INVALIDARG;
    if (frequency >= 0.0f && frequency < 4294967296.0f)
        result = m_buffer->SetFrequency(static_cast<std::uint32_t>(frequency));
    if (Failed(result))
        Report(kLineSetFrequencyFactor, result);
    return result;
}

HResult CNSound::SetVolume(float volume)
{
    if (!m_buffer)
        return E_FAIL;
    const HResult result = m_buffer->SetVolume(VolumeToAttenuation(volume));
    if (Failed(result))
        Report(kLineSetVolume, result);
    return result;
}

HResult CNSound::ApplyGlobalVolume()
{
    if (!m_buffer)
        return E_FAIL;
    const HResult result = m_buffer->SetVolume(VolumeToAttenuation(::GetSoundVolume()));
    if (Failed(result))
        Report(kLineApplyGlobalVolume, result);
    return result;
}

void CNSound::SetGlobalVolume(float volume)
{
    // The videos read it from there.
    StoreSoundVolume(volume);
    for (CNSound* sound : Globals().sounds)
        sound->ApplyGlobalVolume();
}

float CNSound::GetGlobalVolume() { return ::GetSoundVolume(); }

const std::vector<CNSound*>& CNSound::GetSoundList() { return Globals().sounds; }
