#include "Sound/SoundLibrary.h"

#include <algorithm>

#include "Sound/NSound.h"

CPSoundLibrary::~CPSoundLibrary()
{
    for (Entry& entry : m_entries)
        delete entry.sound;
}

CPObjectPtr CPSoundLibrary::Find(const std::string& name) const
{
    for (const Entry& entry : m_entries)
        if (entry.name == name)
            return CPObjectPtr(entry.sound);
    return CPObjectPtr();
}

void CPSoundLibrary::AddEntry(const std::string& name, CNSound* sound)
{
    if (sound)
        m_entries.push_back(Entry{name, sound});
}

bool CPSoundLibrary::Holds(const CNSound* sound) const
{
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [sound](const Entry& entry) { return entry.sound == sound; });
}
