#include "physics/Sensor.h"

#include <cmath>

#include "physics/PhysicsMath.h"

void PhSensor::SetLineSensor(const Vector4& lineStart, const Vector4& lineDirection)
{
    start = lineStart;
    direction = lineDirection;
    const float squared = phmath::LengthSquared(lineDirection);
    const float size = squared < 1e-6f ? 0.0f : std::sqrt(squared);
    if (size == 0.0f) {
        unitDirection = Vector4{};
        length = 0.0f;
        return;
    }
    unitDirection = phmath::Scale(lineDirection, 1.0f / size);
    unitDirection.w = 0.0f;
    length = size;
}
