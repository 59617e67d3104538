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
        line = level.reversed ? line->next : line->previous;
    if (!line)
        return 0;
    const float ax = std::cos(level.heading);
    const float ay = std::sin(level.heading);
    const float bx = std::cos(line->angle);
    const float by = std::sin(line->angle);
    if (!(static_cast<float>(ClampedAcos(ax * bx + ay * by)) > kBendAngle))
        return 0;
    return ax * by - bx * ay > 0.0f ? 1 : -1;
}

} // namespace

void CPPlayer::UpdateState(float dt)
{
    UpdateWreck(dt);
    UpdateDefeat(dt);
    if (wrecked)
        return;
    if (humanPlayer)
        UpdateDriftAndArrows();
    Spawn(false);
    UpdateCountdowns(dt);
    UpdateGloom(dt);
    UpdateSlow(dt);
    UpdateEngineTemperature(dt);
    if (CPCar* car = GetCar())
        car->SetControls(throttle, steering);
    CheckBonuses();
    LayMine();
    UpdateStunRelease(dt);
    UpdateCollisionSound(dt);
}

void CPPlayer::UpdateWreck(float dt)
{
    // The scripts lock a car they declare destroyed.
    if (!(damage >= kWreckDamage) || !locked)
        return;
    if (CPCar* car = GetCar())
        car->SetBrake(true);
    ShowChild(*this, "lflarerear", false);
    ShowChild(*this, "rflarerear", false);
    SetVisible(true);
    if (!(side & kBothSides)) {
        smokeTimer += dt;
        if (smokeTimer >= kWreckSmokePeriod) {
            if (CPEffectManager* effects = GetEffectManager()) {
                EffectNode smoke;
                smoke.name = "smoke3car";
                smoke.position = GetPosition();
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
    wrecked = true;
}

void CPPlayer::UpdateDefeat(float dt)
{
    if (!(damage >= kWreckDamage) || !(side & kOwnCar))
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

void CPPlayer::UpdateDriftAndArrows()
{
    const CPLevel* level = GetCurrentLevel();
    const std::int32_t arrow = level ? BendArrow(*level) : 0;
    const CPCar* car = GetCar();
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

void CPPlayer::UpdateCountdowns(float dt)
{
    if (pushCooldown > 0.0f)
        pushCooldown -= dt;
    if (respawnCooldown > 0.0f)
        respawnCooldown -= dt;
    if (!damageBonus)
        return;
    damageBonusTimer += dt;
    if (damageBonusTimer < kGloomTime)
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

void CPPlayer::UpdateGloom(float dt)
{
    if (!inGloom)
        return;
    CPLevel* level = GetCurrentLevel();
    const auto* human = level ? dynamic_cast<const CPPlayer*>(level->GetPlayer()) : nullptr;
    if (!human || !human->inGloom) {
        SetVisible(false);
    } else {
        SetVisible(true);
        const bool ownCarInDemoView = this == human && level->cameraPreset != 0;
        if (!ownCarInDemoView)
            GiveOffGloomSparks();
    }
    gloomTimer += dt;
    if (gloomTimer >= kGloomTime) {
        inGloom = false;
        if (!(side & kOwnCar))
            SetVisible(true);
    }
}

void CPPlayer::GiveOffGloomSparks()
{
    const std::int32_t quality = GetGameSettings().physicsValue;
    CPEffectManager* effects = GetEffectManager();
    if (quality <= 0 || !effects)
        return;
    const int count = static_cast<int>(60.0f / (25.0f / static_cast<float>(quality)));
    const CPBoundingBox& box = GetBoundingBox();
    EffectNode spark;
    spark.name = "iskra3blue";
    for (int i = 0; i < count; ++i) {
        const float rx = RandomFraction();
        const float ry = RandomFraction();
        const float rz = RandomFraction();
        const Vector3 local{box.centre.x + box.halfExtents.x * (2.0f * rx - 1.0f),
                            box.centre.y + box.halfExtents.y * (2.0f * ry - 1.0f),
                            box.centre.z + box.halfExtents.z * (2.0f * rz - 1.0f)};
        spark.position = GetPosition() + Rotate(local, GetRotation());
        spark.word1 = 0.1f + 0.5f * RandomFraction();
        effects->SpawnEffect(spark);
    }
}

void CPPlayer::UpdateSlow(float dt)
{
    if (!slowed)
        return;
    CPCar* car = GetCar();
    if (car)
        car->SetBrake(true);
    RearFlareHidden();
    slowTimer += dt;
    const float speedSquared = car ? LengthSquared(car->GetVelocity()) : 0.0f;
    const bool over = slowTimer >= kSlowTime || speedSquared < 0.000001f || std::sqrt(speedSquared) < 10.0f;
    if (!over)
        return;
    slowed = false;
    if (RearFlareHidden() && car)
        car->SetBrake(false);
}

void CPPlayer::UpdateEngineTemperature(float dt)
{
    const float heatRate = engineParameters.values[3];
    const float coolRate = engineParameters.values[4];
    const float before = engineTemperature;
    if (throttle == 0.0f)
        engineTemperature = std::max(0.0f, engineTemperature - dt * coolRate);
    else
        engineTemperature = std::min(1.0f, engineTemperature + dt * heatRate);
    if (before >= kHotEngine && engineTemperature < kHotEngine)
        SendToScript("gamemenu", "engine_temp", "0");
    else if (before < kHotEngine && engineTemperature >= kHotEngine)
        SendToScript("gamemenu", "engine_temp", "1");
}

void CPPlayer::UpdateStunRelease(float dt)
{
    if (!releasePending)
        return;
    releaseTimer += dt;
    if (!(releaseTimer > kStunTime))
        return;
    SetLocked(false);
    halted = false;
    releaseTimer = 0.0f;
    releasePending = false;
    if (CPCar* car = GetCar()) {
        car->SetBrake(true);
        car->SetBrake(false);
    }
}

void CPPlayer::UpdateCollisionSound(float dt)
{
    slamTimer += dt;
    // Heard only after a real contact, at most twice a second.
    const bool touched = contact;
    contact = false;
    if (!humanPlayer || !touched || !(slamTimer > 0.5f))
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
    engineParameters = engine ? *engine : CPEngineInfo();
    const CPMineInfo* mine = gameData->mines.Find(settings.mine);
    mineParameters = mine ? *mine : CPMineInfo();
    mineName = mine ? settings.mine : std::string();
    // A car starts armed with the mines its record counts.
    mineReady = mine && mineParameters.value1 > 0;
}
