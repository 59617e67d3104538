#pragma once

#include <string>
#include <unordered_map>

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
    // Tells the script object "main" of every other bound action whose key
    // went down ("action_down") or up ("action_up") since the last call,
    // the action's name as the parameter: the scripts fire, switch weapons
    // or use the super weapon on their own actions.
    void TellActions(const CPInputManager& input);

    static constexpr const char* kScriptObject = "main";

  private:
    std::unordered_map<std::string, bool> m_down; // by action name, as last told
};
