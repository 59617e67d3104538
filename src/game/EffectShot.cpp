#include "game/EffectShot.h"

#include "Render/EffectManager.h"
#include "core/GameClock.h"
#include "core/Log.h"

bool CPEffectShot::Init(const std::vector<std::string>& params)
{
    float lifetime = 0.0f;
    if (params.size() < 3 || !ParseNumber(params[1], lifetime) || lifetime < 0.0f) {
        LogLine("CPShot " + m_kindName +
                ": an effect shot needs an effect name, a lifetime of 0 or more and a sound");
        return false;
    }
    m_effectName = params[0] == "none" ? std::string() : params[0];
    m_lifetime = lifetime;
    return CPShot::Init(params);
}

CPObjectPtr CPEffectShot::Clone()
{
    auto* shot = new CPEffectShot();
    shot->CopySetupFrom(*this);
    shot->m_effectName = m_effectName;
    shot->m_lifetime = m_lifetime;
    return CPObjectPtr(shot);
}

void CPEffectShot::Start(const Vector3& position, const Vector3& direction, float value)
{
    CPShot::Start(position, direction, value);
    m_age = 0.0f;
    if (m_effectName.empty())
        return;
    CPEffectManager* manager = GetEffectManager();
    if (!manager)
        return;
    EffectNode request;
    request.name = m_effectName;
    request.position = position;
    request.velocity = direction;
    manager->SpawnEffect(request);
}

bool CPEffectShot::Update()
{
    m_age += GetFrameTime();
    return m_age < m_lifetime;
}
