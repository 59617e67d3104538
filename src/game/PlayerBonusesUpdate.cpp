// The states the bonuses leave on a car, stepped every frame.
#include <cmath>

#include "Render/EffectManager.h"
#include "Render/EffectNode.h"
#include "Render/PRender.h"
#include "core/GameSettings.h"
#include "core/Singletons.h"
#include "game/Car.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/PlayerBonuses.h"
#include "game/PlayerServices.h"
#include "platform/Math.h"
#include "platform/Random.h"

namespace {

float RandomFraction() { return static_cast<float>(platform::Rand()) / 32767.0f; }

} // namespace

void CPPlayerBonuses::UpdateDamageBonus(float dt)
{
    if (!damageBonus)
        return;
    damageBonusTimer += dt;
    if (damageBonusTimer < CPPlayer::kGloomTime)
        return;
    damageBonus = false;
    if (CPRender* render = GetRender()) {
        render->SetTintStrength(0.0f);
        render->SetTintAlpha(255);
    }
    CPLevel* level = GetCurrentLevel();
    if (auto release = GetPlayerServices().releaseTraffic; release && level)
        release(*level);
}

void CPPlayerBonuses::UpdateGloom(float dt)
{
    if (!inGloom)
        return;
    CPLevel* level = GetCurrentLevel();
    const auto* human = level ? dynamic_cast<const CPPlayer*>(level->GetPlayer()) : nullptr;
    if (!human || !human->bonuses.inGloom) {
        m_car.SetVisible(false);
    } else {
        m_car.SetVisible(true);
        const bool ownCarInDemoView = &m_car == human && level->view.cameraPreset != 0;
        if (!ownCarInDemoView)
            GiveOffGloomSparks();
    }
    gloomTimer += dt;
    if (gloomTimer >= CPPlayer::kGloomTime) {
        inGloom = false;
        if (!(m_car.side & CPPlayer::kOwnCar))
            m_car.SetVisible(true);
    }
}

void CPPlayerBonuses::GiveOffGloomSparks()
{
    const std::int32_t quality = GetGameSettings().physicsValue;
    CPEffectManager* effects = GetEffectManager();
    if (quality <= 0 || !effects)
        return;
    const int count = static_cast<int>(60.0f / (25.0f / static_cast<float>(quality)));
    const CPBoundingBox& box = m_car.GetBoundingBox();
    EffectNode spark;
    spark.name = "iskra3blue";
    for (int i = 0; i < count; ++i) {
        const float rx = RandomFraction();
        const float ry = RandomFraction();
        const float rz = RandomFraction();
        const Vector3 local{box.centre.x + box.halfExtents.x * (2.0f * rx - 1.0f),
                            box.centre.y + box.halfExtents.y * (2.0f * ry - 1.0f),
                            box.centre.z + box.halfExtents.z * (2.0f * rz - 1.0f)};
        spark.position = m_car.GetPosition() + Rotate(local, m_car.GetRotation());
        spark.word1 = 0.1f + 0.5f * RandomFraction();
        effects->SpawnEffect(spark);
    }
}

void CPPlayerBonuses::UpdateSlow(float dt)
{
    if (!slowed)
        return;
    CPCar* car = m_car.GetCar();
    if (car)
        car->SetBrake(true);
    RearFlareHidden();
    slowTimer += dt;
    const float speedSquared = car ? LengthSquared(car->GetVelocity()) : 0.0f;
    const bool over =
        slowTimer >= CPPlayer::kSlowTime || speedSquared < 0.000001f || std::sqrt(speedSquared) < 10.0f;
    if (!over)
        return;
    slowed = false;
    if (RearFlareHidden() && car)
        car->SetBrake(false);
}
