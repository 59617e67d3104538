#pragma once

#include <cstdint>

#include "platform/MathTypes.h"

// The one vertex of the engine's meshes, sprites, particles, debug lines,
// decals, sky and interface: 48 bytes, laid out as the device reads it.
struct CPMeshVertex {
    Vector3 position;
    Vector3 normal;
    std::uint32_t diffuse = 0;  // ARGB, alpha in the top byte
    std::uint32_t specular = 0; // ARGB
    Vector2 uv1;
    Vector2 uv2;
};

static_assert(sizeof(CPMeshVertex) == 48, "the device reads mesh vertices as 48 bytes");

// Position, normal, diffuse, specular, two texture-coordinate pairs.
constexpr std::uint32_t kMeshVertexFormat = 0x2D2;
