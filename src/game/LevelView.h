#pragma once

#include <array>
#include <cstdint>

#include "platform/MathTypes.h"

// How the race is watched: the camera presets the player's car description
// gives, the preset and view in use, the demo camera's clock and what the
// race step tells the game camera of the followed car every frame.
class CPLevelView {
  public:
    std::int32_t cameraPreset = 0;
    Vector3 sunPoint;
    float camera2Angle = 0.0f;
    float camera1Angle = 0.0f;
    float currentAngle = 0.0f;
    float orbitDirection = 1.0f;
    float followedCarSpeed = 0.0f;
    float cameraDistance = 7.0f;
    float cameraHeight = 2.0f;
    // "distance" and "height" of "camera2", "camera", "camera3".
    std::array<float, 3> presetDistance{};
    std::array<float, 3> presetHeight{};
    // "blur" of "camera2", "camera", "camera3".
    std::array<float, 3> presetBlur{};
    float angleDivisor = 0.0f;
    float distanceDivisor = 0.0f;
    // "angle_div" and "distance_div" of "camera2" and "camera".
    std::array<float, 2> presetAngleDivisor{};
    std::array<float, 2> presetDistanceDivisor{};
    float referenceHeading = 0.0f;
    Vector3 forwardDirection;
    std::int32_t cameraView = 0;
    float demoTimer = 0.0f;
    float viewTimer = 0.0f;
    float camera1Fov = 50.0f;
    float camera2Fov = 50.0f;
};
