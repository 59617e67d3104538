#pragma once

#include "game/DriverControls.h"

class CPPlayer;

// Lets a computer driver steer a car object: the inputs are stored on the
// car object as the scripts' inputs are (so its lock and halt states
// hold) and handed on to its driving model at once, the hand brake goes
// through the car object's brake lights. A locked car takes nothing.
class CPPlayerControls : public CPDriverControls {
  public:
    explicit CPPlayerControls(CPPlayer& player) : m_player(player) {}

    void SetControls(float throttle, float steering) override;
    void SetBrake(bool on) override;

  private:
    CPPlayer& m_player;
};
