#pragma once

#include <optional>

#include "game/AIVehicle.h"

class CPLevel;

// Drives the player's car with a computer driver of the same kind the
// opponents have: each frame the car reports to the driver, and the AI
// manager's decision reaches the car through its driver controls, as a
// player's keys would. The driver follows the level it was last given;
// a new current level gets a new driver, made in the autopilot's own
// room: the first frame of a race takes no block for it.
class Autopilot {
  public:
    Autopilot();
    ~Autopilot();
    Autopilot(const Autopilot&) = delete;
    Autopilot& operator=(const Autopilot&) = delete;

    // One frame's steering for the player's car of the level; nothing
    // without a level, a player car or a path to follow.
    void Drive(CPLevel* level);
    // Lets go of the car (before the level deletes it).
    void Release();

  private:
    void Follow(CPLevel& level);

    std::optional<AI_Vehicle> m_driver;
    CPLevel* m_level = nullptr;
};
