#pragma once

#include "platform/MathTypes.h"

// The particle effect thrown where a car scrapes or crashes.
constexpr const char* kSparkEffectName = "iskra";

// Throws up to `count` sparks at the position, flying along the direction
// with a random spread and falling under gravity, through the effect
// manager. Sparks share the effect manager's per-frame request budget, so
// fewer (or none) are thrown once it runs out. Returns how many were
// thrown; none without an effect manager.
int EmitSparks(const Vector3& position, const Vector3& direction, int count);

// The spark timer paces car-against-car sparks: it gathers the frame time
// once a frame (the first call in a frame with a new frame count adds it)
// and is cleared whenever such sparks are thrown. It lives for the whole
// program.
void AdvanceSparkTimer();
float GetSparkTimer();
void ClearSparkTimer();
// Back to the state of a new run: no time gathered, no frame seen.
void ResetSparkTimer();
