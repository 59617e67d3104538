#include "platform/HeadlessInputDevice.h"

#include <cmath>

namespace platform {

bool HeadlessInputDevice::SetKey(int scanCode, bool down)
{
    if (scanCode < 0 || scanCode >= kKeyCount)
        return false;
    if (m_keys[static_cast<std::size_t>(scanCode)] != down)
        Record(InputEvent::Kind::Key, scanCode, down);
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
    if (m_buttons[static_cast<std::size_t>(index)] != down)
        Record(InputEvent::Kind::Button, index, down);
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
    for (int code = 0; code < kKeyCount; ++code)
        SetKey(code, false);
    for (int index = 0; index < kButtonCount; ++index)
        SetButton(index, false);
}

void HeadlessInputDevice::Record(InputEvent::Kind kind, int code, bool down)
{
    if (m_eventCount == kEventCapacity)
        return;
    InputEvent& event = m_events[(m_firstEvent + m_eventCount) % kEventCapacity];
    event = {kind, code, down, m_mouseX, m_mouseY};
    ++m_eventCount;
}

bool HeadlessInputDevice::TakeEvent(InputEvent* event)
{
    if (m_eventCount == 0)
        return false;
    *event = m_events[m_firstEvent];
    m_firstEvent = (m_firstEvent + 1) % kEventCapacity;
    --m_eventCount;
    return true;
}

} // namespace platform
