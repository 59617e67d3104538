#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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
    // What was last told of an action, by its place in the input manager's
    // list of names; an action named twice shares the place of the first.
    struct Told {
        std::size_t slot = 0;
        bool driving = false;
        bool down = false;
    };

    void ListActions(const CPInputManager& input);

    std::vector<Told> m_told;
    std::vector<std::string> m_names; // the names m_told was made for
    std::uint32_t m_generation = 0;
    bool m_listed = false;
};
