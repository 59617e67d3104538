#pragma once

#include <cstring>

#include "platform/MathTypes.h"

// Rotation rows of a unit quaternion q = (x, y, z, w) in the row-vector
// convention: a body-frame vector v maps to v * rows. The fourth entry of
// each row is left as the caller had it.
void PhQuaternionToRows(const Quaternion& q, Vector4 rows[3]);

// The rotation by angle a about x followed by the rotation by angle b about
// z (row vectors: RotationX(a) * RotationZ(b)); b = 0 leaves the second
// rotation out. The cars turn their wheels with it (spin, then steering).
Quaternion ComposeRotation(float a, float b);
// ComposeRotation(a, 0): the spin alone, as the unsteered wheels turn.
Quaternion SpinRotation(float a);

// An angle about z with its cosine and sine, worked out once: a car's
// steered wheels all turn by the same steering, which changes only with the
// driver's input, while their spins change at every step.
struct PhTurnZ {
    float angle = 0.0f;
    float c = 1.0f;
    float s = 0.0f;
};
PhTurnZ MakeTurnZ(float b);
// The turn for angle b, worked out again only when b differs (to the bit)
// from the angle turn holds.
inline void RenewTurnZ(PhTurnZ& turn, float b)
{
    if (std::memcmp(&turn.angle, &b, sizeof b) != 0)
        turn = MakeTurnZ(b);
}
// ComposeRotation(a, turn.angle), to the bit, without the turn's cosine and
// sine.
Quaternion ComposeRotation(float a, const PhTurnZ& turn);

// The quaternion divided by its length; the identity for a quaternion that
// has no length (below 1e-6) or is not finite, which has no direction to
// keep.
Quaternion PhUnitRotation(const Quaternion& q);
