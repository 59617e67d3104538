#pragma once

#include <cstdint>

// Time as every per-frame step sees it. The frame loop writes it once a
// frame; game code reads it, and a few script functions zero the frame time.
struct GameClock {
    float frameTime = 0.0f; // seconds of the last frame
    double gameTime = 0.0;  // seconds of game time so far
    std::uint32_t frameCount = 0;
    int effectsThisFrame = 0; // effect requests spawned in the current frame
};

GameClock& GetGameClock();

inline float GetFrameTime() { return GetGameClock().frameTime; }
inline void SetFrameTime(float seconds) { GetGameClock().frameTime = seconds; }
