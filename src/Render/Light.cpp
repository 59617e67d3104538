#include "Render/Light.h"

#include "core/GameObject.h"

CPLight::CPLight()
{
    // All zero until the creator fills it, the type included.
    m_light = platform::Light{};
    m_light.type = static_cast<platform::LightType>(0);
}

platform::Light* CPLight::UpdateLight()
{
    if (m_owner) {
        const Matrix4& world = m_owner->GetWorldMatrix();
        m_light.position = {world.m[3][0], world.m[3][1], world.m[3][2]};
    }
    return &m_light;
}
