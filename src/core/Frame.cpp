#include "core/Frame.h"

#include "platform/VectorMath.h"

void CPFrame::Reset()
{
    m_direction = {0.0f, 1.0f, 0.0f};
    m_side = TurnLocal(m_direction);
    m_up = {0.0f, 0.0f, 1.0f};
    m_position = {0.0f, 0.0f, 0.0f};
}

Vector3 CPFrame::WorldToLocalVector(const Vector3& v) const
{
    return {Dot(m_side, v), Dot(m_direction, v), Dot(m_up, v)};
}

Vector3 CPFrame::WorldToLocalPoint(const Vector3& p) const { return WorldToLocalVector(p - m_position); }

Vector3 CPFrame::LocalToWorldPoint(const Vector3& q) const { return LocalToWorldVector(q) + m_position; }

Vector3 CPFrame::LocalToWorldVector(const Vector3& q) const
{
    return m_side * q.x + m_direction * q.y + m_up * q.z;
}

void CPFrame::UpdateSide()
{
    const Vector3 side = IsRightHanded() ? Cross(m_direction, m_up) : Cross(m_up, m_direction);
    m_side = Normalize(side);
}

void CPFrame::SetDirectionOrthogonal(const Vector3& v)
{
    m_direction = v;
    UpdateSide();
    m_up = IsRightHanded() ? Cross(m_side, m_direction) : Cross(m_direction, m_side);
}

void CPFrame::SetDirectionAndUp(const Vector3& direction, const Vector3& up)
{
    m_up = up;
    SetDirectionNormalized(Normalize(direction));
}

void CPFrame::SetDirectionNormalized(const Vector3& v) { SetDirectionOrthogonal(Normalize(v)); }

Vector3 CPFrame::TurnLocal(const Vector3& v) const
{
    if (IsRightHanded())
        return {-v.y, v.x, v.z};
    return {v.y, -v.x, v.z};
}

Vector3 CPFrame::TurnWorld(const Vector3& v) const
{
    return LocalToWorldVector(TurnLocal(WorldToLocalVector(v)));
}

CPFrame& GetCoreFrame()
{
    static CPFrame frame;
    return frame;
}
