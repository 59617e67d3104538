#pragma once

// The global sound volume, 0 to 1: one program-wide value that the sound
// layer sets for its sounds and the video players read once per play.
constexpr float kStartSoundVolume = 0.5f;

float GetSoundVolume();
void StoreSoundVolume(float volume);
