#pragma once

#include <cstdint>

#include "platform/MathTypes.h"

// A line segment fixed to a body, along which the stepping reports the
// first contact. Start and direction are in the body's frame; the detection
// is in world space. A depth of 0 means nothing was detected.
struct PhSensor {
    Vector4 start = {};
    Vector4 direction = {};
    Vector4 unitDirection = {};
    float length = 0.0f;
    std::int32_t reserved0 = 0;
    Vector4 detectNormal = {};
    Vector4 detectContactPoint = {};
    float detectDepth = 0.0f;
    std::int32_t reserved1[2] = {};

    PhSensor* next = nullptr;
    PhSensor* prev = nullptr;
    std::uint8_t inUse = 0;

    // A direction whose squared length is below 1e-6 gives a zero unit
    // direction and length 0.
    void SetLineSensor(const Vector4& lineStart, const Vector4& lineDirection);

    const Vector4& GetLinePos() const { return start; }
    const Vector4& GetLineUnitVector() const { return unitDirection; }
    float GetDetectDepth() const { return detectDepth; }
    const Vector4& GetDetectNormal() const { return detectNormal; }
    const Vector4& GetDetectContactPoint() const { return detectContactPoint; }
};
