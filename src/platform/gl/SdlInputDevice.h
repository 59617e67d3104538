#pragma once

#include <cstdint>

#include "platform/HeadlessInputDevice.h"

union SDL_Event;

namespace platform {

// The keyboard and mouse of the game's window. The host pumps the window's
// events once a frame; keys arrive as the game's scan codes, the mouse in
// back-buffer pixels.
class SdlInputDevice : public InputDevice {
  public:
    // `width` x `height`: the back buffer the mouse position is scaled to.
    SdlInputDevice(std::uint32_t width, std::uint32_t height);

    // Takes in every waiting event; false once the window was closed.
    bool PumpEvents();
    // Takes in one event; false when it asks the game to end.
    bool HandleEvent(const SDL_Event& event);

    bool IsKeyDown(int scanCode) const override { return m_state.IsKeyDown(scanCode); }
    bool IsButtonDown(int index) const override { return m_state.IsButtonDown(index); }
    float GetMouseX() const override { return m_state.GetMouseX(); }
    float GetMouseY() const override { return m_state.GetMouseY(); }
    bool TakeEvent(InputEvent* event) override { return m_state.TakeEvent(event); }
    // The keys, buttons and mouse the events set; input played back from a
    // recording is written here too.
    HeadlessInputDevice& GetState() { return m_state; }

  private:
    void MoveMouse(std::uint32_t windowId, int x, int y);

    HeadlessInputDevice m_state;
    std::uint32_t m_width, m_height;
};

} // namespace platform
