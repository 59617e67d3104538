#include "platform/HeadlessInputDevice.h"

#include <cmath>

namespace platform {

bool HeadlessInputDevice::SetKey(int scanCode, bool down)
{
    if (scanCode < 0 || scanCode >= kKeyCount)
        return false;
    m_keys[static_cast<std::size_t>(scanCode)] = down;
    return true;
}

bool HeadlessInputDevice::IsKeyDown(int scanCode) const
{
    if (scanCode < 0 || scanCode >= kKeyCount)
        return false;
    return m_keys[static_cast<std::size_t>(scanCode)];
}

bool HeadlessInputDevice::SetButton(int index, bool down)
{
    if (index < 0 || index >= kButtonCount)
        return false;
    m_buttons[static_cast<std::size_t>(index)] = down;
    return true;
}

bool HeadlessInputDevice::IsButtonDown(int index) const
{
    if (index < 0 || index >= kButtonCount)
        return false;
    return m_buttons[static_cast<std::size_t>(index)];
}

bool HeadlessInputDevice::MoveMouseTo(float x, float y)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return false;
    m_mouseX = x;
    m_mouseY = y;
    return true;
}

void HeadlessInputDevice::ReleaseAll()
{
    m_keys.fill(false);
    m_buttons.fill(false);
}

} // namespace platform
