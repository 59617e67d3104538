#include "Sound/VolumeLaw.h"

#include <cmath>

std::int32_t VolumeToAttenuation(float volume)
{
    if (!(volume > 0.0f))
        volume = 0.0f;
    if (volume > 1.0f)
        volume = 1.0f;
    const float quiet = 1.0f - volume;
    const float attenuation = quiet * quiet * quiet * quiet * -7000.0f;
    return static_cast<std::int32_t>(attenuation);
}
