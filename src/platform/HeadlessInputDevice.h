#pragma once

#include <array>

#include "platform/InputDevice.h"

namespace platform {

// The input device the host or a test feeds by hand: what it is told is
// what the game reads.
class HeadlessInputDevice : public InputDevice {
  public:
    // Records a key going down or up. False, with nothing changed, for a
    // scan code outside 0..255.
    bool SetKey(int scanCode, bool down);
    bool IsKeyDown(int scanCode) const override;

    // The same for mouse buttons.
    bool SetButton(int index, bool down);
    bool IsButtonDown(int index) const override;

    // Places the mouse. A position that is not a finite number is refused
    // (false), so it never reaches the game's integer conversions.
    bool MoveMouseTo(float x, float y);
    float GetMouseX() const override { return m_mouseX; }
    float GetMouseY() const override { return m_mouseY; }

    // Lets go of every key and button, as when the window loses the focus
    // and would miss their release.
    void ReleaseAll();

  private:
    std::array<bool, kKeyCount> m_keys{};
    std::array<bool, kButtonCount> m_buttons{};
    float m_mouseX = 0.0f;
    float m_mouseY = 0.0f;
};

} // namespace platform
