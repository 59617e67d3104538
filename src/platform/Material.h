#pragma once

#include <cstddef>

#include "platform/MathTypes.h"

namespace platform {

// The lighting colours of a surface as the device takes them.
struct Material {
    ColorValue diffuse;
    ColorValue ambient;
    ColorValue specular;
    ColorValue emissive;
    float power = 0.0f; // sharpness of the specular highlight
};

static_assert(sizeof(Material) == 68, "a material record is 68 bytes");
static_assert(offsetof(Material, specular) == 32 && offsetof(Material, power) == 64,
              "material fields keep their order");

} // namespace platform
