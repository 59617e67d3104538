#pragma once

#include <array>

#include "platform/InputDevice.h"

class CPInputManager;

// Hands a frame's keyboard and mouse to the game. The interface screens get
// every press and release where the mouse was when it came, in order, so a
// click made and let go between two frames still clicks; each key pressed
// goes to the scripts as the command "key_down" to the category
// "interface", with the key's scan code and the action Actions.cfg binds
// it to ("1,menu"; the action is empty for a key bound to none). What a key
// does is the scripts' to decide, whether or not actions are enabled.
class InputDispatch {
  public:
    static constexpr const char* kKeyCommand = "key_down";
    static constexpr const char* kKeyCategory = "interface";

    // Reads the device into the input manager, then dispatches.
    void Dispatch(platform::InputDevice& device, CPInputManager& input);

  private:
    void MoveTo(float x, float y);
    void SetButton(int index, bool down, float x, float y);
    static void PostKey(int scanCode, const CPInputManager& input);

    std::array<bool, platform::InputDevice::kButtonCount> m_buttonsDown{};
    // Where the screens last heard the mouse was.
    float m_x = 0.0f, m_y = 0.0f;
};
