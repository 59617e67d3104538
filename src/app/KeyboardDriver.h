#pragma once

class CPInputManager;
class CPLevel;

// Drives the player's car from the keys Actions.cfg binds to the actions
// "accelerate", "brake" (reverse once stopped), "left", "right" and
// "handbrake": full throttle and full lock while a key is held, nothing
// when none is. A locked car takes nothing, as from any driver; without
// any of these actions bound the car is left to the scripts.
class KeyboardDriver {
  public:
    static constexpr const char* kAccelerate = "accelerate";
    static constexpr const char* kBrake = "brake";
    static constexpr const char* kLeft = "left";
    static constexpr const char* kRight = "right";
    static constexpr const char* kHandBrake = "handbrake";

    // One frame's controls for the player's car of the level; nothing
    // without a level or a player car.
    void Drive(CPLevel* level, const CPInputManager& input);
};
