#pragma once

#include <cstdint>

// The format the sound device mixes to. Sounds read only the bits: a 3D
// sound gets the fuller 3D algorithm when the mix has 16 bits.
struct SoundSettings {
    std::uint16_t channels = 2;
    std::uint32_t samplesPerSecond = 22050;
    std::uint16_t bitsPerSample = 8;
};

SoundSettings& GetSoundSettings();
