#pragma once

#include <cstdint>

// Setting variables the renderer reads and never writes. The screen size
// is the game's (core/GameSettings.h); these two belong to rendering.
struct CPRenderSettings {
    float anisotropy = 0.0f;         // 0 or less: plain linear filtering
    std::int32_t viewDistance = 200; // fog end and the quad tree's reach
};

CPRenderSettings& GetRenderSettings();

// The screen size from the game's settings, in pixels.
std::int32_t GetScreenWidth();
std::int32_t GetScreenHeight();
