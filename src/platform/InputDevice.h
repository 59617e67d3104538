#pragma once

#include <array>
#include <cstdint>

namespace platform {

// The keyboard and mouse as the game reads them: which keys are held, by
// keyboard scan code (0x39 is the space bar, 0xC8 the up arrow), where the
// mouse is in screen pixels and which of its buttons are held. The host
// feeds it from its window's events, a test by hand; the game only reads.
class InputDevice {
  public:
    static constexpr int kKeyCount = 256;
    static constexpr int kButtonCount = 8;

    // Records a key going down or up. False, with nothing changed, for a
    // scan code outside 0..255.
    bool SetKey(int scanCode, bool down);
    // False for a key that is up or a scan code outside 0..255.
    bool IsKeyDown(int scanCode) const;

    // The same for mouse buttons, 0 the left one, 1 the right one, 2 the
    // middle one, further buttons after them.
    bool SetButton(int index, bool down);
    bool IsButtonDown(int index) const;

    // Places the mouse. A position that is not a finite number is refused
    // (false), so it never reaches the game's integer conversions.
    bool MoveMouseTo(float x, float y);
    float GetMouseX() const { return m_mouseX; }
    float GetMouseY() const { return m_mouseY; }

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
