#include "script/CombatBindings.h"

#include <array>
#include <cmath>
#include <string>

#include "Sound/NSound.h"
#include "Sound/SoundManager.h"
#include "core/GameObject.h"
#include "core/GameSettings.h"
#include "core/Log.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/Shot.h"
#include "game/ShotManager.h"
#include "physics/KinematicBody.h"
#include "physics/PhysicData.h"
#include "physics/RigidBody.h"
#include "platform/Math.h"
#include "script/ScriptArgs.h"

namespace bind {

namespace {

// A car's health below which the main script warns the player.
constexpr float kCriticalHealth = 20.0f;

Vector3 ReadVector(lua_State* L, int first)
{
    return Vector3{LuaToFloat(L, first), LuaToFloat(L, first + 1), LuaToFloat(L, first + 2)};
}

// The scripts' shots carry no launch value and no owner. An empty kind
// names nothing, so it is not even looked up.
void LaunchShot(const std::string& kind, const Vector3& position, const Vector3& direction)
{
    CPShotManager* manager = GetWeaponManager();
    if (!manager || kind.empty())
        return;
    manager->Launch(kind, position, direction, CPShot::kNoLaunchValue, CPObjectPtr());
}

void SendToObject(const char* object, const char* command)
{
    if (CPObjectRegistry* registry = GetObjectRegistry())
        registry->SendCommandByName(object, command, "");
}

void PlaySpecialSound(const char* name)
{
    CPSoundManager* manager = GetSoundManager();
    auto* sound = manager ? manager->GetSound(name).As<CNSound>() : nullptr;
    if (!sound)
        return;
    if (sound->IsPlaying()) {
        sound->StopPlaying();
        sound->Rewind();
    }
    sound->Play(0, 0);
}

std::array<const std::string*, 3> WeaponNames(const CPCarSettings& settings)
{
    return {&settings.weapon1, &settings.weapon2, &settings.weapon3};
}

// The next slot in the direction (+1 or -1) that holds a weapon, wrapping
// from 2 to 0 and from 0 to 2; -1 when no slot does. From no slot (or one
// outside the three) the search starts at the end it walks from.
std::int32_t StepWeaponSlot(const CPCarSettings* settings, std::int32_t slot, int direction)
{
    if (!settings)
        return -1;
    const auto names = WeaponNames(*settings);
    std::int32_t next = direction > 0 ? 0 : 2;
    if (slot >= 0 && slot <= 2)
        next = (slot + direction + 3) % 3;
    for (int i = 0; i < 3; ++i) {
        if (!names[next]->empty())
            return next;
        next = (next + direction + 3) % 3;
    }
    return -1;
}

int SwitchWeapon(lua_State* L, int direction)
{
    auto* car = LuaToObjectAs<CPPlayer>(L, 1);
    if (!car)
        return 0;
    const CPGameData* data = GetGameData();
    const std::int32_t previous = car->weapons.weaponSlot;
    car->weapons.weaponSlot =
        StepWeaponSlot(data ? &data->committedCarSettings : nullptr, previous, direction);
    PlaySpecialSound(car->weapons.weaponSlot != previous ? "change_weapon" : "undo_weapon");
    car->SelectWeapon();
    return 0;
}

// Takes the dead car's body out of play: the physics world parks it, and a
// body no world took is switched off where it stands.
void TakeOutOfPhysics(CPGameObject& car)
{
    CPPhysicData* data = car.GetPhysicData();
    if (!data)
        return;
    data->SetCollisionFlag(false);
    data->RemoveFromWorld();
    data->SetActiveFlag(false);
    PhBody* body = data->GetRigidBody();
    if (!body)
        body = data->GetKinematicBody();
    if (body && body->IsActive())
        body->SetActive(0, 0);
}

// The player's car wrecks another when its shot was the last to strike it
// before its health ran out.
void CountWreck(const CPPlayer& car)
{
    const CPLevel* level = GetCurrentLevel();
    CPGameData* data = GetGameData();
    if (!level || !data || &car == level->GetPlayer() || !car.lastHitBy ||
        car.lastHitBy != level->GetPlayer())
        return;
    ++data->combat.carsWrecked;
}

} // namespace

int Shot(lua_State* L)
{
    const std::string kind = LuaCheckText(L, 1).Str();
    auto* object = LuaToObjectAs<CPGameObject>(L, 2);
    const CPLevel* level = GetCurrentLevel();
    // Arguments 6 to 8 are part of the scripts' calls and have no use here.
    if (!object || !level || level->stopped)
        return 0;
    LaunchShot(kind, TransformPoint(ReadVector(L, 3), object->GetWorldMatrix()), Vector3{});
    return 0;
}

int Explosion(lua_State* L)
{
    LaunchShot(LuaToText(L, 1), ReadVector(L, 2), Vector3{});
    return 0;
}

int DirectionalExplosion(lua_State* L)
{
    LaunchShot(LuaToText(L, 1), ReadVector(L, 2), ReadVector(L, 5));
    return 0;
}

int SmartBomb(lua_State*)
{
    CPGameData* data = GetGameData();
    if (!data || data->committedCarSettings.superWeaponCount <= 0)
        return 0;
    LaunchShot("super", Vector3{}, Vector3{});
    --data->committedCarSettings.superWeaponCount;
    SendToObject("gamemenu", "update_game_interface");
    return 0;
}

int GetEnemyData(lua_State* L)
{
    const std::string name = LuaCheckText(L, 1).Str();
    CPGameData* data = GetGameData();
    const CPEnemyData record = data ? data->enemyData[name] : CPEnemyData();
    lua_pushnumber(L, record.value1);
    lua_pushstring(L, record.text2.c_str());
    lua_pushnumber(L, record.value2);
    lua_pushstring(L, record.text1.c_str());
    lua_pushstring(L, record.text3.c_str());
    return 5;
}

int PlayerShot(lua_State*)
{
    if (CPLevel* level = GetCurrentLevel())
        level->playerFired = true;
    return 0;
}

int DamagePlayer(lua_State* L)
{
    auto* car = LuaToObjectAs<CPPlayer>(L, 1);
    const CPGameData* data = GetGameData();
    const float damage = LuaToFloat(L, 2) * (data ? data->damageCoefficient : 1.0f);
    if (!car) {
        lua_pushboolean(L, 1);
        return 1;
    }
    if (std::isnan(damage)) {
        LogLine("DamagePlayer: the damage is not a number; the car keeps its health");
        lua_pushboolean(L, 1);
        return 1;
    }
    float& health = car->combatValues[0];
    if (health > kCriticalHealth && health - damage <= kCriticalHealth)
        SendToObject("main", "say_critical");
    health -= damage;
    if (std::isnan(health)) // an endless car hit endlessly hard
        health = -1.0f;
    if (health > 0.0f)
        car->healthRanOut = false;
    if (health < 0.0f) {
        health = 0.0f;
        if (!car->healthRanOut)
            CountWreck(*car);
        car->healthRanOut = true;
        SendToObject("gamemenu", "update_game_interface");
        if (!car->combatFlag) {
            if (CPObjectRegistry* registry = GetObjectRegistry())
                registry->SendCommandByCategory("main", "player_dead", "");
            car->combatFlag = true;
        }
        lua_pushboolean(L, 0);
        return 1;
    }
    SendToObject("gamemenu", "update_game_interface");
    lua_pushboolean(L, 1);
    return 1;
}

int KillPlayer(lua_State* L)
{
    auto* car = LuaToObjectAs<CPGameObject>(L, 1);
    if (!car)
        return 0;
    car->SetVisible(false);
    TakeOutOfPhysics(*car);
    return 0;
}

int SetCurrentWeapon(lua_State* L)
{
    const std::string name = LuaCheckText(L, 2).Str();
    if (auto* car = LuaToObjectAs<CPPlayer>(L, 1))
        car->weapons.weaponObject = car->FindObjectInTree(name);
    return 0;
}

int SetPrevWeapon(lua_State* L) { return SwitchWeapon(L, -1); }
int SetNextWeapon(lua_State* L) { return SwitchWeapon(L, +1); }

int SetShot(lua_State* L)
{
    if (auto* car = LuaToObjectAs<CPPlayer>(L, 1))
        car->weapons.SetFirePressed(lua_toboolean(L, 2) != 0);
    return 0;
}

int SetMineShot(lua_State* L)
{
    if (auto* car = LuaToObjectAs<CPPlayer>(L, 1))
        car->weapons.mineShot = lua_toboolean(L, 2) != 0 && car->weapons.mineReady;
    return 0;
}

int GetRealCarInfo(lua_State* L)
{
    const CPGameData* data = GetGameData();
    const CPCarSettings settings = data ? data->committedCarSettings : CPCarSettings();
    for (const std::string* name :
         {&settings.weapon1, &settings.weapon2, &settings.weapon3, &settings.equipment1, &settings.equipment2,
          &settings.bumper, &settings.engine, &settings.armour, &settings.superWeapon})
        lua_pushstring(L, name->c_str());
    lua_pushnumber(L, settings.superWeaponCount);
    lua_pushstring(L, settings.mine.c_str());
    return 11;
}

int SetDifficult(lua_State* L)
{
    CPGameData* data = GetGameData();
    if (!data)
        return 0;
    data->difficult = lua_toboolean(L, 1) != 0;
    data->LoadDifficulty();
    return 0;
}

int GetDifficulty(lua_State* L)
{
    lua_pushboolean(L, GetGameSettings().difficulty != 0);
    return 1;
}

} // namespace bind
