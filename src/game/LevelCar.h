#pragma once

#include "platform/MathTypes.h"

class CPGameObject;

// What the level asks of the player's car object beyond being a scene
// object: the weapon step that aims at a point and a target.
class CPLevelCar {
  public:
    // The target may be null.
    virtual void UpdateWeapon(const Vector3& aimPoint, CPGameObject* target) = 0;

  protected:
    ~CPLevelCar() = default;
};
