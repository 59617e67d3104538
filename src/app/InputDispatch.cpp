#include "app/InputDispatch.h"

#include <cstdio>

#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "interface/InputManager.h"
#include "interface/Interface.h"

void InputDispatch::Dispatch(platform::InputDevice& device, CPInputManager& input)
{
    input.ReadDevice(device);
    platform::InputEvent event;
    while (device.TakeEvent(&event)) {
        if (event.kind == platform::InputEvent::Kind::Button) {
            MoveTo(event.x, event.y);
            SetButton(event.code, event.down, event.x, event.y);
        } else if (event.down) {
            PostKey(event.code, input);
        }
    }
    const float x = input.GetMouseX();
    const float y = input.GetMouseY();
    MoveTo(x, y);
    // A device that keeps no events, or lost some, still agrees with its
    // state by the end of the frame.
    for (int button = 0; button < static_cast<int>(m_buttonsDown.size()); ++button)
        SetButton(button, device.IsButtonDown(button), x, y);
}

void InputDispatch::MoveTo(float x, float y)
{
    if (x == m_x && y == m_y)
        return;
    m_x = x;
    m_y = y;
    CPInterface::DispatchMouseMove(x, y);
}

void InputDispatch::SetButton(int index, bool down, float x, float y)
{
    if (index < 0 || index >= static_cast<int>(m_buttonsDown.size()))
        return;
    bool& held = m_buttonsDown[static_cast<std::size_t>(index)];
    if (held == down)
        return;
    held = down;
    if (down)
        CPInterface::DispatchMouseDown(index, x, y);
    else
        CPInterface::DispatchMouseUp(index, x, y);
}

void InputDispatch::PostKey(int scanCode, const CPInputManager& input)
{
    CPObjectRegistry* registry = GetObjectRegistry();
    if (!registry)
        return;
    const CPAction& binding = input.GetKeyboardAction(scanCode);
    // Action names come from Actions.cfg; the buffer holds any of a
    // sensible length, and a longer one is cut rather than overrun.
    char params[128];
    std::snprintf(params, sizeof params, "%d,%s", scanCode,
                  binding.defined ? binding.actionText.c_str() : "");
    registry->SendCommandByCategory(kKeyCategory, kKeyCommand, params);
}
