#pragma once

// The sound a car's hit makes. Physics only says when; the sound layer
// installs what plays it, so a world without sound stays silent.
using PhImpactSound = void (*)();

void SetImpactSound(PhImpactSound play);
PhImpactSound GetImpactSound();
