#include "game/LightningShot.h"

#include <cstdlib>

#include "Render/Material.h"
#include "Render/MaterialLibrary.h"
#include "Render/PerspectiveCamera.h"
#include "Render/RenderObject.h"
#include "core/GameClock.h"
#include "core/Log.h"
#include "core/Singletons.h"
#include "game/Camera.h"
#include "game/Level.h"
#include "game/ShotManager.h"
#include "platform/Math.h"

namespace {

enum Param { kTarget, kSpeed, kPower, kWidth, kTexture, kEffect, kOption, kHitKind };

const Vector3 kUp{0.0f, 0.0f, 1.0f};

} // namespace

bool CPLightningShot::Init(const std::vector<std::string>& params)
{
    const auto text = [&](int index) {
        return index < static_cast<int>(params.size()) ? params[index] : std::string();
    };
    const auto number = [&](int index, float& value, const char* what) {
        if (index >= static_cast<int>(params.size()))
            return;
        if (!ParseNumber(params[index], value))
            LogLine("CPLightningShot: the " + std::string(what) + " \"" + params[index] +
                    "\" is not a number");
    };
    // Its own eight and the sound setting; the unused number may be left out.
    if (params.size() < kHitKind + 2)
        LogLine("CPLightningShot: " + std::to_string(params.size()) +
                " parameters of 9; the missing ones keep their defaults");
    m_targetIsEnemy = text(kTarget) != "enemy";
    number(kSpeed, m_speed, "speed");
    number(kPower, m_powerParameter, "power");
    number(kWidth, m_width, "width");
    m_textureName = text(kTexture);
    m_effectName = text(kEffect);
    float option = 0.0f;
    number(kOption, option, "material option");
    m_materialOption = static_cast<std::int32_t>(option);
    m_hitKind = text(kHitKind);
    if (m_hitKind == "none")
        m_hitKind.clear();
    BuildQuad();
    // The sound setting is the last parameter only when there is one beyond
    // the lightning's own.
    return CPShot::Init(params.size() > kHitKind + 1 ? params : std::vector<std::string>{});
}

void CPLightningShot::BuildQuad()
{
    CPRenderObject* quad = GetOwnRenderObject();
    if (!quad)
        return;
    std::vector<CPMeshVertex>& vertices = quad->GetVertices();
    vertices.assign(4, CPMeshVertex());
    const Vector2 uv[4] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
    for (int i = 0; i < 4; ++i) {
        vertices[i].uv1 = uv[i];
        vertices[i].diffuse = 0xFFFFFFFF;
        vertices[i].normal = kUp;
    }
    quad->GetIndices() = {0, 1, 2, 0, 2, 3};
    quad->GetWorldVertices() = vertices;
    CPMaterialLibrary* library = GetMaterialLibrary();
    if (!library) {
        LogLine("CPLightningShot: no material library; the lightning has no material");
        return;
    }
    quad->SetMaterial(CPObjectPtr(library->GetMaterial(m_effectName, {m_textureName}, m_materialOption)));
}

void CPLightningShot::Start(const Vector3& position, const Vector3& direction, float value)
{
    m_travelled = 0.0f;
    CPShot::Start(position, direction, value);
    // The band is built in the frame of its origin, unturned.
    SetRotation(Quaternion{0.0f, 0.0f, 0.0f, 1.0f});
    UpdateBounds();
    m_origin = position;
    m_head = position;
    m_unitDirection = LengthSquared(direction) > 0.0f ? Normalize(direction) : Vector3{0.0f, 0.0f, 0.0f};
    m_power = value >= 0.0f ? value : m_powerParameter;
    if (CPRenderObject* quad = GetOwnRenderObject(); quad && quad->GetVertices().size() == 4) {
        quad->GetVertices()[1].uv1.x = 1.0f;
        quad->GetVertices()[2].uv1.x = 1.0f;
    }
    PlaceQuad();
}

int CPLightningShot::Advance()
{
    const float step = GetFrameTime() * m_speed;
    m_travelled += step;
    if (!(m_travelled <= kMaxTravel))
        return -1;
    CPLevel* level = GetCurrentLevel();
    RayQuery ray;
    ray.origin = m_head;
    ray.direction = m_unitDirection;
    ray.length = step;
    if (level && step > 0.0f && level->IntersectCars(ray)) {
        const Vector3 hitPoint = ray.origin + ray.direction * ray.length;
        if (!m_hitKind.empty()) {
            if (CPShotManager* manager = GetWeaponManager())
                manager->Launch(m_hitKind, hitPoint, m_unitDirection, kNoLaunchValue, CPObjectPtr());
        }
        return 0;
    }
    m_head += m_unitDirection * step;
    PlaceQuad();
    return 1;
}

Vector3 CPLightningShot::EyePoint() const
{
    const CPLevel* level = GetCurrentLevel();
    const auto* camera = level ? level->GetCamera().As<CPCamera>() : nullptr;
    if (camera && camera->GetMainCamera())
        return camera->GetMainCamera()->Eye();
    // Without a camera the band lies flat, seen from above.
    return (m_origin + m_head) * 0.5f + kUp * 100.0f;
}

void CPLightningShot::PlaceQuad()
{
    CPRenderObject* quad = GetOwnRenderObject();
    if (!quad || quad->GetVertices().size() != 4)
        return;
    const Vector3 axis = m_head - m_origin;
    const Vector3 toEye = EyePoint() - (m_origin + m_head) * 0.5f;
    Vector3 side = Cross(axis, toEye);
    if (LengthSquared(side) <= 1e-12f)
        side = Cross(m_unitDirection, kUp);
    if (LengthSquared(side) <= 1e-12f)
        side = Vector3{1.0f, 0.0f, 0.0f};
    side = Normalize(side) * m_width;
    // Relative to the shot's own position, the origin.
    const Vector3 head = axis;
    std::vector<CPMeshVertex>& v = quad->GetVertices();
    v[0].position = side;
    v[1].position = head + side;
    v[2].position = head - side;
    v[3].position = -side;
    quad->GetWorldVertices() = v;
}
