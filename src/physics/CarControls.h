#pragma once

// What the physics world hands a car's driving inputs to: the car that is
// the physics-side companion of a car's game object.
class CPCarControls {
  public:
    virtual void SetControls(float throttle, float steering) = 0;

  protected:
    // Cars are owned and deleted as what they are, never through this
    // interface.
    ~CPCarControls() = default;
};
