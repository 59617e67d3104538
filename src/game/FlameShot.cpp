#include "game/FlameShot.h"

#include "core/GameClock.h"
#include "core/Log.h"
#include "game/ShotHit.h"
#include "platform/Math.h"

bool CPFlameShot::Init(const std::vector<std::string>& params)
{
    float gravity = 0.0f;
    if (params.size() < 2 || !ParseNumber(params[0], gravity)) {
        LogLine("CPShot " + m_kindName + ": a flame needs a gravity and a sound");
        return false;
    }
    m_gravity = gravity;
    return CPShot::Init(params);
}

CPObjectPtr CPFlameShot::Clone()
{
    auto* shot = new CPFlameShot();
    shot->CopySetupFrom(*this);
    shot->m_gravity = m_gravity;
    return CPObjectPtr(shot);
}

void CPFlameShot::Start(const Vector3& position, const Vector3& direction, float value)
{
    CPShot::Start(position, direction, value);
    m_head = position;
    m_velocity = direction;
    m_life = 0.0f;
    m_lifetime = value > 0.0f ? value : kDefaultLifetime;
}

bool CPFlameShot::Update()
{
    const float dt = GetFrameTime();
    const Vector3 previous = m_head;
    m_velocity.z -= m_gravity * dt;
    m_head += m_velocity * dt;
    m_life += dt;
    SetPosition(m_head);
    UpdateBounds();
    if (auto* handler = dynamic_cast<CPShotHitHandler*>(m_shooter)) {
        CPShotHit hit{previous, m_head, m_shooter, &m_life};
        handler->OnShotHit(hit);
    }
    return m_life < m_lifetime;
}
