#pragma once

#include "platform/MathTypes.h"

// A uniform random fraction in [0, 1]: the platform rand over 32767.
float RandomFraction();

// The direction turned away from itself by r * maxAngle (radians) toward a
// side chosen by r * 2 pi, with the two fractions r drawn in that order. A
// zero direction stays zero (both fractions are still drawn).
Vector3 SpreadDirection(const Vector3& direction, float maxAngle);
