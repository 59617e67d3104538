#pragma once

#include <cstdint>

// Sounds and music share one volume law: a volume v from 0 to 1 becomes
// (1 - v)^4 * -7000 hundredths of a decibel, truncated toward zero, so 1 is
// full volume (0), 0.5 is -437 and 0 is -70 dB (-7000). Volumes outside
// 0..1 are taken as the nearer end, and a volume that is no number as 0,
// so a stray script value never asks the device for an attenuation it
// refuses.
std::int32_t VolumeToAttenuation(float volume);
