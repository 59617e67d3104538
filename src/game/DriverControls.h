#pragma once

// What a computer driver needs of the car object it drives: the throttle
// and steering, and the hand brake. Car objects that wrap a driving model
// forward these to it.
class CPDriverControls {
  public:
    virtual void SetControls(float throttle, float steering) = 0;
    virtual void SetBrake(bool on) = 0;

  protected:
    ~CPDriverControls() = default;
};
