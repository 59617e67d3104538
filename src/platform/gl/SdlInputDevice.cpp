#include "platform/gl/SdlInputDevice.h"

#include <SDL.h>

#include "platform/gl/Letterbox.h"
#include "platform/gl/SdlScanCodes.h"

namespace platform {

namespace {

// SDL counts buttons from 1: left, middle, right; the game 0 left, 1 right,
// 2 middle.
int ButtonIndex(Uint8 button)
{
    switch (button) {
    case SDL_BUTTON_LEFT:
        return 0;
    case SDL_BUTTON_RIGHT:
        return 1;
    case SDL_BUTTON_MIDDLE:
        return 2;
    default:
        return button - 1;
    }
}

} // namespace

SdlInputDevice::SdlInputDevice(std::uint32_t width, std::uint32_t height) : m_width(width), m_height(height)
{
}

bool SdlInputDevice::PumpEvents()
{
    bool running = true;
    SDL_Event event;
    while (SDL_PollEvent(&event))
        running = HandleEvent(event) && running;
    return running;
}

bool SdlInputDevice::HandleEvent(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_QUIT:
        return false;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (const int code = ScanCodeFromSdl(event.key.keysym.scancode))
            m_state.SetKey(code, event.type == SDL_KEYDOWN);
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        MoveMouse(event.button.windowID, event.button.x, event.button.y);
        m_state.SetButton(ButtonIndex(event.button.button), event.type == SDL_MOUSEBUTTONDOWN);
        return true;
    case SDL_MOUSEMOTION:
        MoveMouse(event.motion.windowID, event.motion.x, event.motion.y);
        return true;
    case SDL_WINDOWEVENT:
        // Releases made while another window has the focus never arrive.
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST)
            m_state.ReleaseAll();
        return true;
    default:
        return true;
    }
}

void SdlInputDevice::MoveMouse(std::uint32_t windowId, int x, int y)
{
    float px = static_cast<float>(x), py = static_cast<float>(y);
    int width = 0, height = 0;
    if (SDL_Window* window = SDL_GetWindowFromID(windowId))
        SDL_GetWindowSize(window, &width, &height);
    // The picture fills the window, or the display with bars, as the
    // device presents it.
    if (width > 0 && height > 0)
        Letterbox::Fit(m_width, m_height, width, height)
            .ToPicture(m_width, m_height, static_cast<float>(x), static_cast<float>(y), &px, &py);
    m_state.MoveMouseTo(px, py);
}

} // namespace platform
