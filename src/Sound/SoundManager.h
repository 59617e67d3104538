#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "Sound/SoundLibrary.h"
#include "core/Object.h"
#include "platform/MathTypes.h"

namespace platform {
class SoundDevice;
}

// The one sound manager (GetSoundManager): loads sounds by name from
// "Data\Sounds", holds the named special sounds the game plays, and
// applies the volume settings.
//
// Ownership: the library owns its entries (the special sounds among
// them); a sound LoadSound made anew belongs to the caller, who gives it
// back with FreeSound.
class CPSoundManager {
  public:
    static constexpr const char* kSoundFolder = "Data\\Sounds";

    // A special sound: the name the game asks for, its file in the sound
    // folder and whether it is placed in 3D.
    struct SpecialSound {
        const char* name;
        const char* file;
        bool is3D;
    };
    static const std::vector<SpecialSound>& GetSpecialSoundTable();

    // Sets the device's mix format from the sound settings.
    explicit CPSoundManager(platform::SoundDevice* device);
    ~CPSoundManager();
    CPSoundManager(const CPSoundManager&) = delete;
    CPSoundManager& operator=(const CPSoundManager&) = delete;

    // The library's sound of that name unless forceNew; otherwise a new
    // sound from "Data\Sounds\<name>" (3D sounds with distances 1 and
    // 1000). `result` is empty, and false is returned, when the file does
    // not load.
    bool LoadSound(CPObjectPtr& result, const std::string& name, std::int32_t is3D, bool forceNew);
    // The special sound of that name; empty when it holds none. Every name
    // asked for stays in the map from then on.
    CPObjectPtr GetSound(const std::string& name);

    // Loads every sound of the special-sound table into the library and
    // the special-sound map. A file that does not load leaves its name
    // empty, with a line in the log. Returns how many loaded.
    std::size_t LoadSpecialSounds();

    // Deletes a sound LoadSound made anew and empties the pointer; sounds
    // of the library stay.
    void FreeSound(CPObjectPtr& sound);

    CPSoundLibrary* GetLibrary() const { return m_library.get(); }
    const std::unordered_map<std::string, CPObjectPtr>& GetSpecialSounds() const { return m_specialSounds; }

  private:
    std::unique_ptr<CPSoundLibrary> m_library;
    std::unordered_map<std::string, CPObjectPtr> m_specialSounds;
};

// Places a 3D sound: reads all its 3D parameters, replaces the position
// and velocity, writes them back at once. A sound without 3D is left as it
// is; the pointer passed in is released at the end.
void SetSound3DPosition(CPObjectPtr sound, const Vector3& position, const Vector3& velocity);
// The same for the distances within which the sound is at full volume and
// beyond which it grows no quieter.
void SetSound3DDistances(CPObjectPtr sound, float minDistance, float maxDistance);

// Stores the sound volume setting and applies it to every sound.
void SetGlobalSoundVolume(float volume);
// Stores the music volume setting and applies it to the music player.
void SetGlobalMusicVolume(float volume);

// Plays "slam" of the current sound manager from the start, unless it is
// playing already: what a car's hit sounds like.
void PlayImpactSound();
