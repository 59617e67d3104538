#pragma once

#include <array>
#include <cstddef>

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

    // Every change of a key or button above is kept until taken, up to
    // kEventCapacity of them; later ones change only the state.
    bool TakeEvent(InputEvent* event) override;
    static constexpr std::size_t kEventCapacity = 128;

  private:
    void Record(InputEvent::Kind kind, int code, bool down);

    std::array<InputEvent, kEventCapacity> m_events{};
    std::size_t m_firstEvent = 0;
    std::size_t m_eventCount = 0;
    std::array<bool, kKeyCount> m_keys{};
    std::array<bool, kButtonCount> m_buttons{};
    float m_mouseX = 0.0f;
    float m_mouseY = 0.0f;
};

} // namespace platform
