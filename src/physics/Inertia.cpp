#include "physics/Inertia.h"

#include <algorithm>

Vector4 PhInertiaBox(const Vector4& sizes, float mass)
{
    const float s = std::max({sizes.x, sizes.y, sizes.z});
    const float entry = (2.0f / 3.0f) * mass * s * s;
    Vector4 result = sizes;
    result.x = result.y = result.z = entry;
    return result;
}

Vector4 PhInertiaCylinder(float diameter, float height, float mass)
{
    const float r = 0.5f * diameter;
    const float across = mass * height * height / 12.0f + mass * r * r / 4.0f;
    Vector4 result;
    result.x = across;
    result.y = mass * r * r / 2.0f;
    result.z = across;
    return result;
}
