#pragma once

#include "platform/MathTypes.h"

class CPGameObject;

// What a flame particle reports while it flies: the stretch it covered in
// the last step, the car that shot it and the particle's life field, which
// the handler may set to end the particle.
struct CPShotHit {
    Vector3 previousPoint;
    Vector3 currentPoint;
    CPGameObject* shooter = nullptr;
    float* life = nullptr;
};

// Handed to a flame effect as the object its request holds: the effect
// reports each particle's step to it.
class CPShotHitHandler {
  public:
    virtual void OnShotHit(CPShotHit& hit) = 0;

  protected:
    ~CPShotHitHandler() = default;
};
