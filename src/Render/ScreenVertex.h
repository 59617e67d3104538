#pragma once

#include <cstdint>

// A vertex already in screen pixels, as the loading screen draws it:
// 28 bytes, laid out as the device reads it.
struct CPScreenVertex {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float rhw = 0.0f;
    std::uint32_t diffuse = 0; // ARGB
    float u = 0.0f;
    float v = 0.0f;
};

static_assert(sizeof(CPScreenVertex) == 28, "the device reads screen vertices as 28 bytes");

// Position with 1/w, diffuse colour, one texture-coordinate pair.
constexpr std::uint32_t kScreenVertexFormat = 0x144;
