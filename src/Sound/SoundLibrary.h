#pragma once

#include <string>
#include <vector>

#include "core/Object.h"

class CNSound;

namespace platform {
class SoundDevice;
}

// The sounds the manager shares by name, and the device new sounds are
// made on. The library owns the sounds of its entries.
class CPSoundLibrary {
  public:
    struct Entry {
        std::string name;
        CNSound* sound = nullptr;
    };

    explicit CPSoundLibrary(platform::SoundDevice* device) : m_device(device) {}
    ~CPSoundLibrary();
    CPSoundLibrary(const CPSoundLibrary&) = delete;
    CPSoundLibrary& operator=(const CPSoundLibrary&) = delete;

    // The sound of the first entry of that name (compared byte for byte);
    // empty when there is none.
    CPObjectPtr Find(const std::string& name) const;
    // Adds an entry and takes the sound over; null is not added.
    void AddEntry(const std::string& name, CNSound* sound);
    bool Holds(const CNSound* sound) const;

    const std::vector<Entry>& GetEntries() const { return m_entries; }
    platform::SoundDevice* GetDevice() const { return m_device; }

  private:
    std::vector<Entry> m_entries;
    platform::SoundDevice* m_device;
};
