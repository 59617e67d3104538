#include "interface/Button.h"

#include "interface/Interface.h"

CPButton::CPButton(CPInterface* owner) : CPWindow(owner) {}

CPButton::~CPButton()
{
    for (CPWindow* part : m_parts)
        delete part;
}

void CPButton::SetEnabled(bool enabled)
{
    m_state = kNormal;
    if (m_owner)
        m_owner->RebuildBuffers();
    m_enabled = enabled;
}

bool CPButton::HitTest(float x, float y) const
{
    // The hit area goes where the button is drawn, also after the button
    // was moved.
    const CPWindow* normal = m_parts[kNormal];
    if (!normal)
        return false;
    const std::array<CPMeshVertex, 4>& quad = normal->GetVertices();
    return m_x + quad[0].position.x <= x && x <= m_x + quad[1].position.x && m_y + quad[0].position.y <= y &&
           y <= m_y + quad[2].position.y;
}

bool CPButton::Load(CPTextReader& reader, float textureWidth, float textureHeight)
{
    m_state = kNormal;
    for (CPWindow*& part : m_parts) {
        delete part;
        part = new CPWindow(m_owner);
    }
    bool complete = true;
    for (CPWindow* part : m_parts)
        complete = complete && part->Load(reader, textureWidth, textureHeight);
    const CPWindow& normal = *m_parts[kNormal];
    SetVisible(normal.IsVisible());
    m_name = normal.GetName();
    m_x = normal.GetX();
    m_y = normal.GetY();
    return complete;
}

const CPWindow& CPButton::CurrentPart() const
{
    const CPWindow* part = m_parts[m_state];
    return part ? *part : *this;
}

const std::array<CPMeshVertex, 4>& CPButton::GetVertices() const
{
    const CPWindow& part = CurrentPart();
    return &part == this ? m_quad : part.GetVertices();
}

const std::array<std::uint16_t, 6>& CPButton::GetIndices() const
{
    const CPWindow& part = CurrentPart();
    return &part == this ? m_indices : part.GetIndices();
}

void CPButton::SetVisible(bool visible)
{
    m_state = kNormal;
    m_visible = visible;
}

bool CPButton::OnMouseOver(float, float)
{
    m_state = kOver;
    PostToInterface("mouse_button_over");
    return true;
}

bool CPButton::OnMouseOut(float, float)
{
    m_state = kNormal;
    PostToInterface("mouse_button_out");
    return true;
}

bool CPButton::OnMouseDown(int button, float, float)
{
    if (button != 0)
        return false;
    m_state = kPressed;
    return true;
}

bool CPButton::OnMouseUp(int button, float x, float y)
{
    if (button != 0)
        return false;
    if (HitTest(x, y)) {
        m_state = kOver;
        PostToOwner("button", m_name);
    } else {
        m_state = kNormal;
    }
    return true;
}
