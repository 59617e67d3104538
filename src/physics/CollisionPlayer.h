#pragma once

#include <cstdint>

#include "platform/MathTypes.h"

// What the collision callback needs of a car's player object beyond what
// its game object already gives (position and render object). A car's
// rigid body holds that game object as its user data, stored as a
// CPGameObject* like the user data of every body of the world; the
// callback finds this side of it from there.
class CPCollisionPlayer {
  public:
    // Sets the collision-hit byte (1 = hit); the race code reads it.
    virtual void SetCollisionHit(std::uint8_t hit) = 0;
    // Writes the car's orientation, or zeros when the player has no car.
    virtual void GetCarRotation(Quaternion& rotation) const = 0;
    // Whether this is the player object of the current level: the car the
    // player drives, whose crashes are heard.
    virtual bool IsLevelPlayer() const = 0;

  protected:
    // Player objects are owned and deleted as game objects, never through
    // this interface.
    ~CPCollisionPlayer() = default;
};
