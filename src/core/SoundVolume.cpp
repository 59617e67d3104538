#include "core/SoundVolume.h"

namespace {

float g_soundVolume = kStartSoundVolume;

} // namespace

float GetSoundVolume() { return g_soundVolume; }
void StoreSoundVolume(float volume) { g_soundVolume = volume; }
