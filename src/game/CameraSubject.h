#pragma once

#include "platform/MathTypes.h"

// What the game camera reads of the car it follows: how far the car
// slides, how it steers and how it moves. The player car answers these;
// tests answer them with a few plain values.
class CPCameraSubject {
  public:
    virtual ~CPCameraSubject() = default;

    // Greater than 0 while the car slides.
    virtual float GetSlide() const = 0;
    // The steering input, positive to one side, negative to the other.
    virtual float GetSteering() const = 0;
    // World velocity, units per second.
    virtual Vector3 GetVelocity() const = 0;
};
