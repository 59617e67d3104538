#include <cstdio>

#include "core/GameSettings.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "interface/Button.h"
#include "interface/Interface.h"

void CPInterface::DispatchMouseMove(float x, float y)
{
    if (CPObjectRegistry* registry = GetObjectRegistry()) {
        const GameSettings& settings = GetGameSettings();
        char position[64];
        std::snprintf(position, sizeof position, "%.2f,%.2f", x / static_cast<float>(settings.screenWidth),
                      y / static_cast<float>(settings.screenHeight));
        registry->SendCommandByCategory("interface", "mouse_move", position);
    }
    const std::list<CPInterface*>& screens = GetInterfaceList();
    for (auto screen = screens.rbegin(); screen != screens.rend(); ++screen)
        (*screen)->OnMouseMove(x, y);
}

void CPInterface::DispatchMouseDown(int button, float x, float y)
{
    const std::list<CPInterface*>& screens = GetInterfaceList();
    for (auto screen = screens.rbegin(); screen != screens.rend(); ++screen)
        (*screen)->OnMouseDown(button, x, y);
}

void CPInterface::DispatchMouseUp(int button, float x, float y)
{
    const std::list<CPInterface*>& screens = GetInterfaceList();
    for (auto screen = screens.rbegin(); screen != screens.rend(); ++screen)
        (*screen)->OnMouseUp(button, x, y);
}

void CPInterface::OnMouseMove(float x, float y)
{
    m_mouseX = x;
    m_mouseY = y;
    if (!m_screenActive || !m_cursorObject)
        return;
    m_cursorObject->SetPosition({x, y, 0.0f});
    m_cursorObject->UpdateBounds();
    UpdateHover(x, y, false);
}

void CPInterface::HoverAt(float x, float y) { UpdateHover(x, y, true); }

void CPInterface::UpdateHover(float x, float y, bool keepButtonsOnly)
{
    bool changed = false;
    if (m_hovered && !m_hovered->HitTest(x, y)) {
        changed = m_hovered->OnMouseOut(x, y);
        m_hovered = nullptr;
    }
    if (CPWindow* found = ElementAt(x, y)) {
        m_hovered = found;
        if (found->OnMouseOver(x, y)) {
            RebuildBuffers();
            return;
        }
        if (keepButtonsOnly)
            m_hovered = nullptr;
    }
    if (changed)
        RebuildBuffers();
}

CPWindow* CPInterface::ElementAt(float x, float y) const
{
    for (auto element = m_drawList.rbegin(); element != m_drawList.rend(); ++element) {
        if ((*element)->IsSelectable() && (*element)->HitTest(x, y))
            return *element;
    }
    return nullptr;
}

void CPInterface::OnMouseDown(int button, float x, float y)
{
    if (!m_screenActive)
        return;
    CPWindow* target = ElementAt(x, y);
    if (!target)
        return;
    m_pressed = target;
    if (target->OnMouseDown(button, x, y))
        RebuildBuffers();
}

void CPInterface::OnMouseUp(int button, float x, float y)
{
    if (!m_screenActive)
        return;
    bool changed = false;
    CPWindow* target = ElementAt(x, y);
    // A button pressed here and released elsewhere goes back to normal.
    if (m_pressed && m_pressed != target)
        changed = m_pressed->OnMouseUp(button, x, y);
    m_pressed = nullptr;
    if (target)
        changed = target->OnMouseUp(button, x, y) || changed;
    if (changed)
        RebuildBuffers();
}

bool CPInterface::IsButton(const CPWindow* element) const
{
    for (const CPButton* button : m_buttons) {
        if (button == element)
            return true;
    }
    return false;
}

namespace {

// The index of the element in the buttons; the count when it is none.
std::size_t IndexOf(const std::vector<CPButton*>& buttons, const CPWindow* element)
{
    std::size_t index = 0;
    while (index < buttons.size() && buttons[index] != element)
        ++index;
    return index;
}

} // namespace

void CPInterface::SelectNextButton()
{
    if (!m_screenActive || m_buttons.empty())
        return;
    const std::size_t count = m_buttons.size();
    const std::size_t hovered = IndexOf(m_buttons, m_hovered);
    if (hovered < count) {
        // One full pass at most: with nothing selectable the hover stays.
        for (std::size_t step = 1; step <= count; ++step) {
            const CPButton* button = m_buttons[(hovered + step) % count];
            if (button->IsSelectable()) {
                HoverAt(button->GetX() + 1.0f, button->GetY() + 1.0f);
                return;
            }
        }
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const CPButton* button = m_buttons[i];
        if (!button->IsSelectable())
            continue;
        if (i == 0)
            HoverAt(button->GetX() + 1.0f, button->GetY() + 1.0f);
        else
            HoverAt(button->GetX() + 2.0f, button->GetY());
        return;
    }
}

void CPInterface::SelectPreviousButton()
{
    if (!m_screenActive || m_buttons.empty())
        return;
    const std::size_t count = m_buttons.size();
    const std::size_t hovered = IndexOf(m_buttons, m_hovered);
    if (hovered < count) {
        for (std::size_t step = 1; step <= count; ++step) {
            const CPButton* button = m_buttons[(hovered + count * 2 - step) % count];
            if (button->IsSelectable()) {
                HoverAt(button->GetX() + 1.0f, button->GetY() + 1.0f);
                return;
            }
        }
        return;
    }
    for (std::size_t i = count; i-- > 0;) {
        const CPButton* button = m_buttons[i];
        if (button->IsSelectable()) {
            HoverAt(button->GetX() + 2.0f, button->GetY());
            return;
        }
    }
}

void CPInterface::DeselectCurrentButton()
{
    if (!m_hovered || !IsButton(m_hovered))
        return;
    CPWindow* button = m_hovered;
    m_hovered = nullptr;
    if (button->OnMouseOut(0.0f, 0.0f))
        RebuildBuffers();
}

void CPInterface::DropHover(CPWindow* element)
{
    if (!element || element != m_hovered)
        return;
    m_hovered = nullptr;
    element->OnMouseOut(0.0f, 0.0f);
}

void SelectNextButtonInAll()
{
    const std::list<CPInterface*>& screens = CPInterface::GetInterfaceList();
    for (auto screen = screens.rbegin(); screen != screens.rend(); ++screen)
        (*screen)->SelectNextButton();
}

void SelectPreviousButtonInAll()
{
    const std::list<CPInterface*>& screens = CPInterface::GetInterfaceList();
    for (auto screen = screens.rbegin(); screen != screens.rend(); ++screen)
        (*screen)->SelectPreviousButton();
}
