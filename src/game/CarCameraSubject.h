#pragma once

#include "game/CameraSubject.h"

class CPGameObject;
class CPPlayer;

// The game camera's view of a car object: the slide, steering and velocity
// of its driving model. Without a car object, or one without a driving
// model, the car neither slides nor steers nor moves.
class CPCarCameraSubject : public CPCameraSubject {
  public:
    // Anything but a car object counts as none; not owned.
    void SetCar(const CPGameObject* car);
    const CPPlayer* GetCar() const { return m_car; }

    float GetSlide() const override;
    float GetSteering() const override;
    Vector3 GetVelocity() const override;

  private:
    const CPPlayer* m_car = nullptr;
};
