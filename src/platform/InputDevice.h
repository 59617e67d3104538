#pragma once

#include <cstdint>

namespace platform {

// One key or mouse button going down or up, with where the mouse was.
struct InputEvent {
    enum class Kind : std::uint8_t { Key, Button };
    Kind kind = Kind::Key;
    int code = 0; // scan code or button index
    bool down = false;
    float x = 0.0f, y = 0.0f;
};

// The keyboard and mouse as the game reads them: which keys are held, by
// keyboard scan code (0x39 is the space bar, 0xC8 the up arrow), where the
// mouse is in screen pixels and which of its buttons are held. The host
// picks the implementation (the headless one, fed by hand, is in
// HeadlessInputDevice.h); the game only reads.
class InputDevice {
  public:
    static constexpr int kKeyCount = 256;
    static constexpr int kButtonCount = 8;

    virtual ~InputDevice() = default;

    // Whether the key is held; false for a scan code outside 0..255.
    virtual bool IsKeyDown(int scanCode) const = 0;
    // Whether the mouse button is held, 0 the left one, 1 the right one,
    // 2 the middle one; false for an index outside 0..kButtonCount-1.
    virtual bool IsButtonDown(int index) const = 0;
    // Where the mouse is, in screen pixels; always finite.
    virtual float GetMouseX() const = 0;
    virtual float GetMouseY() const = 0;
    // The presses and releases since the last call, oldest first, one per
    // call; false when none is left. A key or button pressed and let go
    // between two reads of the state shows here though the state missed it.
    virtual bool TakeEvent(InputEvent* event)
    {
        (void)event;
        return false;
    }

  protected:
    InputDevice() = default;
    InputDevice(const InputDevice&) = default;
    InputDevice& operator=(const InputDevice&) = default;
};

} // namespace platform
