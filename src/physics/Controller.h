#pragma once

#include <cstdint>

#include "platform/MathTypes.h"

class CPFrameListener;
struct PhRigidBody;

// A record through which game code is called back during the simulation
// every `period` steps; it holds the force and torque the code wants
// applied to the body for the step.
struct PhController {
    std::int32_t period = 0;
    std::int32_t countdown = 0;
    CPFrameListener* listener = nullptr;
    std::int32_t reserved[2] = {};
    PhRigidBody* owner = nullptr;
    Vector4 force = {};
    Vector4 torque = {};
    Vector4 extra[2] = {};

    PhController* next = nullptr;
    PhController* prev = nullptr;
    std::uint8_t inUse = 0;
    // Whether the step the listener is called in is the last of its frame:
    // what only the frame's end shows (a wheel's turn) can wait for it. A
    // step run on its own is its frame's last.
    std::uint8_t lastOfFrame = 1;

    void SetControllerForce(const Vector4& value) { force = value; }
    void SetControllerTorque(const Vector4& value) { torque = value; }

    // Counts one step down; when the countdown runs out calls the listener
    // and reloads it with the period (a period of 0 or 1 runs every step).
    void Tick(float stepTime);
};
