#include "Sound/SoundManager.h"

#include "Sound/NSound.h"
#include "Sound/PMusic.h"
#include "Sound/SoundSettings.h"
#include "core/GameSettings.h"
#include "core/Log.h"
#include "core/Singletons.h"
#include "platform/ErrorText.h"
#include "platform/SoundDevice.h"

namespace {

constexpr float kDefaultMinDistance = 1.0f;
constexpr float kDefaultMaxDistance = 1000.0f;

std::string SoundPath(const std::string& name)
{
    return std::string(CPSoundManager::kSoundFolder) + "\\" + name;
}

platform::WaveFormat MixFormat(const SoundSettings& settings)
{
    platform::WaveFormat format;
    format.formatTag = platform::kWaveFormatPcm;
    format.channels = settings.channels;
    format.samplesPerSecond = settings.samplesPerSecond;
    format.bitsPerSample = settings.bitsPerSample;
    format.blockAlign = static_cast<std::uint16_t>(settings.channels * settings.bitsPerSample / 8);
    format.averageBytesPerSecond = settings.samplesPerSecond * format.blockAlign;
    return format;
}

// Reads all 3D parameters of a sound, lets `change` alter them and writes
// them back at once.
template <class Change> void Change3DParameters(const CPObjectPtr& pointer, Change change)
{
    CNSound* sound = pointer.As<CNSound>();
    if (!sound || !sound->Get3DBuffer())
        return;
    platform::Sound3DBuffer* buffer = sound->Get3DBuffer();
    platform::Sound3DParameters parameters;
    HResult result = buffer->GetAllParameters(&parameters);
    if (Succeeded(result)) {
        change(parameters);
        result = buffer->SetAllParameters(parameters, platform::kApplyImmediate);
    }
    // The sound's copy keeps what the buffer holds.
    if (Succeeded(result))
        sound->Get3DParameters() = parameters;
    else
        LogLine("Sound \"" + sound->GetPath() +
                "\": its 3D parameters cannot be set: " + platform::GetErrorName(result));
}

constexpr const char* kImpactSoundName = "slam";

} // namespace

// Plays "slam" from the start, unless it is playing already.
void PlayImpactSound()
{
    CPSoundManager* sounds = GetSoundManager();
    if (!sounds)
        return;
    {
        const CPObjectPtr sound = sounds->GetSound(kImpactSoundName);
        const CNSound* current = sound.As<CNSound>();
        if (!current || current->IsPlaying())
            return;
    }
    const CPObjectPtr sound = sounds->GetSound(kImpactSoundName);
    CNSound* slam = sound.As<CNSound>();
    if (!slam)
        return;
    if (slam->IsPlaying()) {
        slam->StopPlaying();
        slam->Rewind();
    }
    slam->Play(0, 0);
}

const std::vector<CPSoundManager::SpecialSound>& CPSoundManager::GetSpecialSoundTable()
{
    // The pick-up sounds are placed where the pick-up lies; the others
    // sound at the listener.
    static const std::vector<SpecialSound> table = {
        {"change_weapon", "change_weapon.wav", false},
        {"undo_weapon", "undo_weapon.wav", false},
        {"fast", "fast.wav", false},
        {"bonus_plus", "bonus_plus.wav", true},
        {"bonus_minus", "bonus_minus.wav", true},
        {"bonus_slow", "bonus_slow.wav", true},
        {"bonus_fast", "bonus_fast.wav", true},
        {"enter_sumrak", "enter_sumrak.wav", true},
        {"chik", "chik.wav", true},
        {"slam", "slam.wav", false},
    };
    return table;
}

CPSoundManager::CPSoundManager(platform::SoundDevice* device)
    : m_library(std::make_unique<CPSoundLibrary>(device))
{
    if (!device)
        return;
    const HResult result = device->SetPrimaryFormat(MixFormat(GetSoundSettings()));
    if (Failed(result))
        LogLine("The sound device refuses the mix format: " + platform::GetErrorName(result));
}

CPSoundManager::~CPSoundManager()
{
    m_specialSounds.clear();
    m_library.reset();
}

bool CPSoundManager::LoadSound(CPObjectPtr& result, const std::string& name, std::int32_t is3D, bool forceNew)
{
    result = CPObjectPtr();
    if (!forceNew) {
        CPObjectPtr found = m_library->Find(name);
        if (found) {
            result = found;
            return true;
        }
    }
    auto* sound = new CNSound(m_library->GetDevice(), SoundPath(name), is3D);
    if (!sound->IsLoaded()) {
        delete sound; // nobody else knows it
        return false;
    }
    result = CPObjectPtr(sound);
    if (is3D == 1)
        SetSound3DDistances(result, kDefaultMinDistance, kDefaultMaxDistance);
    return true;
}

CPObjectPtr CPSoundManager::GetSound(const std::string& name) { return m_specialSounds[name]; }

std::size_t CPSoundManager::LoadSpecialSounds()
{
    std::size_t loaded = 0;
    for (const SpecialSound& special : GetSpecialSoundTable()) {
        auto* sound = new CNSound(m_library->GetDevice(), SoundPath(special.file), special.is3D ? 1 : 0);
        if (!sound->IsLoaded()) {
            delete sound;
            LogLine(std::string("Special sound \"") + special.name + "\" is missing");
            continue;
        }
        m_library->AddEntry(special.file, sound);
        CPObjectPtr pointer(sound);
        if (special.is3D)
            SetSound3DDistances(pointer, kDefaultMinDistance, kDefaultMaxDistance);
        m_specialSounds[special.name] = pointer;
        ++loaded;
    }
    return loaded;
}

void CPSoundManager::FreeSound(CPObjectPtr& sound)
{
    CNSound* freed = sound.As<CNSound>();
    sound = CPObjectPtr();
    if (!freed || m_library->Holds(freed))
        return;
    for (const auto& special : m_specialSounds)
        if (special.second.Get() == freed)
            return;
    delete freed;
}

void SetSound3DPosition(CPObjectPtr sound, const Vector3& position, const Vector3& velocity)
{
    Change3DParameters(sound, [&](platform::Sound3DParameters& parameters) {
        parameters.position = position;
        parameters.velocity = velocity;
    });
}

void SetSound3DDistances(CPObjectPtr sound, float minDistance, float maxDistance)
{
    Change3DParameters(sound, [&](platform::Sound3DParameters& parameters) {
        parameters.minDistance = minDistance;
        parameters.maxDistance = maxDistance;
    });
}

void SetGlobalSoundVolume(float volume)
{
    GetGameSettings().soundVolume = volume;
    CNSound::SetGlobalVolume(volume);
}

void SetGlobalMusicVolume(float volume)
{
    GetGameSettings().musicVolume = volume;
    if (CPMusic* music = GetMusicPlayer())
        music->SetVolume(volume);
}
