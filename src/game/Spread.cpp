#include "game/Spread.h"

#include <cmath>

#include "platform/Math.h"
#include "platform/Random.h"

float RandomFraction()
{
    return static_cast<float>(platform::Rand()) / static_cast<float>(platform::kRandMax);
}

Vector3 SpreadDirection(const Vector3& direction, float maxAngle)
{
    const float angle = RandomFraction() * maxAngle;
    const float side = RandomFraction() * 6.2831855f;
    if (!(LengthSquared(direction) > 0.0f))
        return direction;
    const Vector3 d = Normalize(direction);
    // Any axis across d will do; take the one least aligned with it.
    const Vector3 helper = std::fabs(d.z) < 0.9f ? Vector3{0.0f, 0.0f, 1.0f} : Vector3{1.0f, 0.0f, 0.0f};
    const Vector3 p = Normalize(Cross(d, helper));
    const Vector3 q = Cross(d, p);
    const Vector3 across = p * std::cos(side) + q * std::sin(side);
    return d * std::cos(angle) + across * std::sin(angle);
}
