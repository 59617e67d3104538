#pragma once

struct PhController;

// Game code that the simulation calls at a controller's period, with the
// controller and the step time.
class CPFrameListener {
  public:
    virtual void OnFrame(PhController* controller, float stepTime) = 0;

  protected:
    // Listeners are owned and deleted as what they are, never through this
    // interface.
    ~CPFrameListener() = default;
};
