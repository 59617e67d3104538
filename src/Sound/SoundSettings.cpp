#include "Sound/SoundSettings.h"

SoundSettings& GetSoundSettings()
{
    static SoundSettings settings;
    return settings;
}
