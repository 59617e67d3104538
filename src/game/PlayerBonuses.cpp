#include <algorithm>

#include "Render/PRender.h"
#include "Sound/NSound.h"
#include "Sound/SoundManager.h"
#include "core/Singletons.h"
#include "game/Bonus.h"
#include "game/Car.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/PlayerBonuses.h"
#include "game/PlayerCommands.h"
#include "game/PlayerServices.h"

namespace {

// What every pick-up does besides its effect on the car.
struct PickUp {
    const char* sparks;
    const char* sound;
    const char* message;
    const char* report;
};

const PickUp* PickUpOf(CPBonus::Kind kind)
{
    static const PickUp repair{"sparks4_remont", "chik", "remont!", "repair"};
    static const PickUp fast{"sparks4", "bonus_fast", "uskorenie!", "axel"};
    static const PickUp slow{"sparks4red", "bonus_slow", "zamedlenie!", "brake"};
    static const PickUp minus{"sparks4red", "bonus_minus", "sposobnost-1!", "minus"};
    static const PickUp plus{"sparks4", "bonus_plus", "sposobnost+1!", "plus"};
    static const PickUp gloom{"sparks4_gloom", "enter_sumrak", "uron_x2!", "gloom"};
    switch (kind) {
    case CPBonus::kRepair:
        return &repair;
    case CPBonus::kFast:
        return &fast;
    case CPBonus::kSlow:
        return &slow;
    case CPBonus::kAbilityMinus:
        return &minus;
    case CPBonus::kAbilityPlus:
        return &plus;
    case CPBonus::kGloomPortal:
        return &gloom;
    default:
        return nullptr;
    }
}

void LaunchSparks(const char* name, const Vector3& position)
{
    if (auto launch = GetPlayerServices().launchShot)
        launch(name, position);
}

// Plays the named sound once from the bonus, heard up to 200 units away.
void PlayBonusSound(const char* name, const Vector3& position)
{
    CPSoundManager* manager = GetSoundManager();
    CPObjectPtr sound = manager ? manager->GetSound(name) : CPObjectPtr();
    auto* buffer = sound.As<CNSound>();
    if (!buffer)
        return;
    SetSound3DPosition(sound, position, Vector3{});
    SetSound3DDistances(sound, 0.0f, 200.0f);
    if (buffer->IsPlaying()) {
        buffer->StopPlaying();
        buffer->Rewind();
    }
    buffer->Play(0, 0);
}

} // namespace

void CPPlayerBonuses::CheckBonuses()
{
    CPLevel* level = GetCurrentLevel();
    CPGameData* gameData = GetGameData();
    if (!level || !level->race.raceRunning || !gameData)
        return;
    auto& bonuses = gameData->bonuses;
    // The car's box stays as it is until a bonus acts on the car.
    AxisBox carBox = CPBonus::CarBox(m_car);
    for (auto it = bonuses.begin(); it != bonuses.end();) {
        auto* bonus = it->As<CPGameObject>();
        if (!bonus || !CPBonus::Touches(*bonus, carBox)) {
            ++it;
            continue;
        }
        const bool taken = ApplyBonus(*bonus);
        carBox = CPBonus::CarBox(m_car);
        if (taken)
            it = bonuses.erase(it);
        else
            ++it;
    }
}

bool CPPlayerBonuses::ApplyBonus(CPGameObject& bonus)
{
    const CPBonus::Kind kind = CPBonus::Classify(bonus);
    if (!CPBonus::ActsOn(kind, m_car.side))
        return false;
    switch (kind) {
    case CPBonus::kSphera:
        RepelFromSphere(bonus);
        return false;
    case CPBonus::kVBii:
        LiftByVBii();
        return false;
    case CPBonus::kLight:
        StunByLight();
        return false;
    case CPBonus::kHalo:
        PushFromHalo(bonus);
        return false;
    default:
        break;
    }
    const PickUp* pickUp = PickUpOf(kind);
    if (!pickUp)
        return false;
    const Vector3 where = bonus.GetPosition();
    LaunchSparks(pickUp->sparks, where);
    // The effect does not wait for the sound: a pick-up that is taken
    // always acts, loaded sound or not.
    PlayBonusSound(pickUp->sound, where);
    switch (kind) {
    case CPBonus::kRepair:
        RepairBonus(bonus);
        break;
    case CPBonus::kFast:
        FastBonus(bonus);
        break;
    case CPBonus::kSlow:
        SlowBonus(bonus);
        break;
    case CPBonus::kAbilityMinus:
        AbilityBonus(bonus, -1);
        break;
    case CPBonus::kAbilityPlus:
        AbilityBonus(bonus, +1);
        break;
    case CPBonus::kGloomPortal:
        GloomBonus(bonus);
        break;
    default:
        break;
    }
    TellPlayer(pickUp->message);
    CPGameData* data = GetGameData();
    if (data && m_car.IsOwnCar())
        ++data->combat.bonusesTaken;
    if (kind == CPBonus::kGloomPortal && !m_car.IsOwnCar())
        m_car.SetVisible(false);
    SendToScript("main", "update_bonus_list", pickUp->report);
    return true;
}

void CPPlayerBonuses::TellPlayer(const char* text) const
{
    if (m_car.IsOwnCar())
        SendToScript("game_interface", "show_message", text);
}

void CPPlayerBonuses::RepairBonus(CPGameObject&) { m_car.damage = std::max(0.0f, m_car.damage - 20.0f); }

void CPPlayerBonuses::FastBonus(CPGameObject&)
{
    // No drive for two seconds: the release comes with the stun clock
    // started halfway.
    m_car.halted = true;
    m_car.SetControls(0.0f, m_car.steering);
    m_car.releasePending = true;
    m_car.releaseTimer = 2.0f;
}

void CPPlayerBonuses::SlowBonus(CPGameObject&)
{
    if (CPCar* car = m_car.GetCar())
        car->SetBrake(true);
    RearFlareHidden();
    slowed = true;
    slowTimer = 0.0f;
}

void CPPlayerBonuses::AbilityBonus(CPGameObject&, int change)
{
    const CPGameData* gameData = GetGameData();
    const std::int32_t most = gameData ? gameData->maxAbilityCount : 0;
    if (change < 0 && m_car.abilities <= 0)
        return;
    if (change > 0 && m_car.abilities >= most)
        return;
    m_car.abilities += change;
    SendToScript("game_interface", "redraw_abilities");
}

void CPPlayerBonuses::GloomBonus(CPGameObject&)
{
    inGloom = true;
    gloomTimer = 0.0f;
    CPLevel* level = GetCurrentLevel();
    if (!level || level->GetPlayer() != &m_car)
        return;
    if (CPRender* render = GetRender()) {
        render->SetTintStrength(0.3f);
        render->SetTintAlpha(150);
    }
    damageBonus = true;
    damageBonusTimer = 0.0f;
}

bool CPPlayerBonuses::RearFlareHidden()
{
    auto* left = m_car.GetChildByName("lflarerear").As<CPGameObject>();
    if (!left || left->IsVisible())
        return false;
    if (auto* right = m_car.GetChildByName("rflarerear").As<CPGameObject>())
        right->SetVisible(false);
    return true;
}
