#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/MathTypes.h"

namespace platform {

enum class LightType : std::uint32_t { Point = 1, Spot = 2, Directional = 3 };

// One light as the device takes it. Levels and render objects keep these
// records and copy them whole into the renderer's light table, so the
// layout is fixed: 104 bytes in this field order.
struct Light {
    LightType type = LightType::Point;
    ColorValue diffuse;
    ColorValue specular;
    ColorValue ambient;
    Vector3 position;
    Vector3 direction;
    float range = 0.0f;
    float falloff = 0.0f;
    float attenuation0 = 0.0f;
    float attenuation1 = 0.0f;
    float attenuation2 = 0.0f;
    float theta = 0.0f; // inner cone angle of a spot light, radians
    float phi = 0.0f;   // outer cone angle of a spot light, radians
};

static_assert(sizeof(Light) == 104, "a light record is 104 bytes");
static_assert(offsetof(Light, diffuse) == 4 && offsetof(Light, position) == 52 &&
                  offsetof(Light, direction) == 64 && offsetof(Light, range) == 76 &&
                  offsetof(Light, attenuation0) == 84 && offsetof(Light, phi) == 100,
              "light fields keep their order");

} // namespace platform
