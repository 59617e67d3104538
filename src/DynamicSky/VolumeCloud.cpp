#include "DynamicSky/VolumeCloud.h"

CPVolumeCloud::CPVolumeCloud()
{
    // Failures are reported by the loaders; the sky goes on without them.
    LoadTexture(kTextureName);
    LoadEffectA(kEffectName);
}
