#include "platform/VectorMath.h"

Vector2 Normalize(const Vector2& v)
{
    const float length = Length(v);
    if (!(length > 0.0f))
        return {};
    return v * (1.0f / length);
}

Vector3 Normalize(const Vector3& v)
{
    const float length = Length(v);
    if (!(length > 0.0f))
        return {};
    return v * (1.0f / length);
}

Vector4 Normalize(const Vector4& v)
{
    const float length = Length(v);
    if (!(length > 0.0f))
        return {};
    return v * (1.0f / length);
}

Plane Normalize(const Plane& p)
{
    const float length = std::sqrt(p.a * p.a + p.b * p.b + p.c * p.c);
    if (!(length > 0.0f))
        return {};
    const float s = 1.0f / length;
    return {p.a * s, p.b * s, p.c * s, p.d * s};
}
