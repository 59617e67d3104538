#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Render/EffectManager.h"
#include "Render/EffectNode.h"
#include "Render/PRender.h"
#include "Sound/NSound.h"
#include "Sound/SoundManager.h"
#include "core/GameClock.h"
#include "core/GameSettings.h"
#include "core/Singletons.h"
#include "core/StringUtils.h"
#include "game/Car.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/PlayerState.h"
#include "game/PlayerCommands.h"
#include "game/PlayerServices.h"
#include "game/Spline.h"
#include "platform/Math.h"
#include "platform/Random.h"

namespace {

float RandomFraction() { return static_cast<float>(platform::Rand()) / 32767.0f; }

// The track bends by more than this ahead of the car: the HUD shows an
// arrow.
constexpr float kBendAngle = 0.5235988f;
constexpr float kWreckSmokePeriod = 0.5f;

CPGameObject* Child(CPGameObject& object, const char* name)
{
    return object.GetChildByName(name).As<CPGameObject>();
}

void ShowChild(CPGameObject& object, const char* name, bool visible)
{
    if (CPGameObject* child = Child(object, name))
        child->SetVisible(visible);
}

// -1, 0 or +1: which way the path bends four lines ahead of the level's
// current line, against the level's heading.
std::int32_t BendArrow(const CPLevel& level)
{
    const CPSpline* spline = level.GetPathSpline();
    const CPLine* line = spline ? spline->GetCurrentLine() : nullptr;
    for (int i = 0; i < 4 && line; ++i)
        line = level.race.reversed ? line->next : line->previous;
    if (!line)
        return 0;
    const float ax = std::cos(level.race.heading);
    const float ay = std::sin(level.race.heading);
    const float bx = std::cos(line->angle);
    const float by = std::sin(line->angle);
    if (!(static_cast<float>(ClampedAcos(ax * bx + ay * by)) > kBendAngle))
        return 0;
    return ax * by - bx * ay > 0.0f ? 1 : -1;
}

} // namespace

void CPPlayerState::UpdateState(float dt)
{
    UpdateWreck(dt);
    UpdateDefeat(dt);
    if (m_car.wrecked)
        return;
    if (m_car.humanPlayer)
        UpdateDriftAndArrows();
    m_car.Spawn(false);
    UpdateCountdowns(dt);
    m_car.bonuses.UpdateGloom(dt);
    m_car.bonuses.UpdateSlow(dt);
    UpdateEngineTemperature(dt);
    if (CPCar* car = m_car.GetCar())
        car->SetControls(m_car.throttle, m_car.steering);
    m_car.CheckBonuses();
    m_car.weapons.LayMine();
    UpdateStunRelease(dt);
    UpdateCollisionSound(dt);
}

void CPPlayerState::UpdateWreck(float dt)
{
    // The scripts lock a car they declare destroyed.
    if (!(m_car.damage >= CPPlayer::kWreckDamage) || !m_car.locked)
        return;
    if (CPCar* car = m_car.GetCar())
        car->SetBrake(true);
    ShowChild(m_car, "lflarerear", false);
    ShowChild(m_car, "rflarerear", false);
    m_car.SetVisible(true);
    if (!(m_car.side & CPPlayer::kBothSides)) {
        smokeTimer += dt;
        if (smokeTimer >= kWreckSmokePeriod) {
            if (CPEffectManager* effects = GetEffectManager()) {
                EffectNode smoke;
                smoke.name = "smoke3car";
                smoke.position = m_car.GetPosition();
                const float rx = RandomFraction();
                const float ry = RandomFraction();
                const float rz = RandomFraction();
                smoke.velocity = Vector3{1.7f * rx, 1.7f * ry, 3.0f + 0.4f * rz};
                smoke.word1 = 1000.0f;
                smoke.word2 = 1.0f;
                smoke.word3 = 2.5f;
                smoke.flag1 = 1;
                effects->SpawnEffect(smoke);
            }
            smokeTimer = 0.0f;
        }
    }
    m_car.wrecked = true;
}

void CPPlayerState::UpdateDefeat(float dt)
{
    if (!(m_car.damage >= CPPlayer::kWreckDamage) || !(m_car.side & CPPlayer::kOwnCar))
        return;
    if (!gameOverSent) {
        SendToScript("game_interface", "show_message", "proigrish!");
        SendToScript("jeep", "game_over");
        gameOverSent = true;
    }
    defeatTimer += dt;
    if (defeatTimer >= 3.0f && defeatTimer <= 20.0f) {
        SendToScript("main", "defeat");
        // Far past the window, so it is said once.
        defeatTimer = 666.0f;
    }
}

void CPPlayerState::UpdateDriftAndArrows()
{
    const CPLevel* level = GetCurrentLevel();
    const std::int32_t arrow = level ? BendArrow(*level) : 0;
    const CPCar* car = m_car.GetCar();
    if (car && car->GetSlide() > 0.0f && car->GetSteering() != 0.0f) {
        driftTime += GetFrameTime();
    } else {
        if (driftTime > 0.5f) {
            CPGameData* gameData = GetGameData();
            const std::string text = gameData ? gameData->GetText("drift_time") : std::string();
            const float tenths = std::floor(driftTime * 10.0f) * 0.1f;
            char params[256];
            std::snprintf(params, sizeof(params), "time,%s,%f", text.c_str(), static_cast<double>(tenths));
            SendToScript("game_interface", "bonus_points2", params);
        }
        arrowDirection = arrow;
        driftTime = 0.0f;
    }
    SendToScript("game_interface", "update_arrows", std::to_string(arrowDirection));
}

void CPPlayerState::UpdateCountdowns(float dt)
{
    if (m_car.pushCooldown > 0.0f)
        m_car.pushCooldown -= dt;
    if (m_car.respawnCooldown > 0.0f)
        m_car.respawnCooldown -= dt;
    m_car.bonuses.UpdateDamageBonus(dt);
}

void CPPlayerState::UpdateEngineTemperature(float dt)
{
    const float heatRate = engineParameters.values[3];
    const float coolRate = engineParameters.values[4];
    const float before = engineTemperature;
    if (m_car.throttle == 0.0f)
        engineTemperature = std::max(0.0f, engineTemperature - dt * coolRate);
    else
        engineTemperature = std::min(1.0f, engineTemperature + dt * heatRate);
    if (before >= CPPlayer::kHotEngine && engineTemperature < CPPlayer::kHotEngine)
        SendToScript("gamemenu", "engine_temp", "0");
    else if (before < CPPlayer::kHotEngine && engineTemperature >= CPPlayer::kHotEngine)
        SendToScript("gamemenu", "engine_temp", "1");
}

void CPPlayerState::UpdateStunRelease(float dt)
{
    if (!m_car.releasePending)
        return;
    m_car.releaseTimer += dt;
    if (!(m_car.releaseTimer > CPPlayer::kStunTime))
        return;
    m_car.SetLocked(false);
    m_car.halted = false;
    m_car.releaseTimer = 0.0f;
    m_car.releasePending = false;
    if (CPCar* car = m_car.GetCar()) {
        car->SetBrake(true);
        car->SetBrake(false);
    }
}

void CPPlayerState::UpdateCollisionSound(float dt)
{
    slamTimer += dt;
    // Heard only after a real contact, at most twice a second.
    const bool touched = m_car.contact;
    m_car.contact = false;
    if (!m_car.humanPlayer || !touched || !(slamTimer > 0.5f))
        return;
    CPSoundManager* manager = GetSoundManager();
    auto* slam = manager ? manager->GetSound("slam").As<CNSound>() : nullptr;
    if (slam) {
        slam->StopPlaying();
        slam->Rewind();
        slam->Play(0, 0);
    }
    slamTimer = 0.0f;
}

void CPPlayer::TakeCarRecords()
{
    const CPGameData* gameData = GetGameData();
    if (!gameData)
        return;
    const CPCarSettings& settings = gameData->committedCarSettings;
    const CPEngineInfo* engine = gameData->engines.Find(settings.engine);
    state.engineParameters = engine ? *engine : CPEngineInfo();
    const CPMineInfo* mine = gameData->mines.Find(settings.mine);
    weapons.mineParameters = mine ? *mine : CPMineInfo();
    weapons.mineName = mine ? settings.mine : std::string();
    // A car starts armed with the mines its record counts.
    weapons.mineReady = mine && weapons.mineParameters.value1 > 0;
}
