#pragma once

#include <cstdint>

// The setting variables every component reads directly, with their
// built-in defaults. The launcher's options and the scripts change them;
// the settings store writes some of them to config.cfg.
struct GameSettings {
    float temp = 1.0f; // "temp" of SetTemp/GetTemp
    std::int32_t screenWidth = 640;
    std::int32_t screenHeight = 480;
    std::int32_t videoPlayerValue = 16; // read by the video players
    std::int32_t textureValue = -1;     // read by the texture loader
    std::int32_t bloom = 1;
    std::int32_t lensFlare = 1;
    std::int32_t smoke = 1;
    std::int32_t physicsValue = 25; // read by the collision callback
    std::int32_t weather = 1;
    std::int32_t motionBlur = 1;
    float brightness = 0.5f;
    float soundVolume = 0.5f; // 0 to 1
    float musicVolume = 0.5f; // 0 to 1
    float mouse = 0.0f;       // kept for the scripts
    std::int32_t difficulty = 0;
    std::int32_t demo = 0;     // the race runs unattended
    std::int32_t quadTree = 0; // levels index their scene in a quad tree
    std::int32_t shadow = 0;   // levels take the renderer's shadow object
};

GameSettings& GetGameSettings();
