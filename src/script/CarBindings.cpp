#include "script/CarBindings.h"

#include "core/RayQuery.h"
#include "game/Car.h"
#include "game/GameData.h"
#include "physics/PhysicData.h"
#include "script/CarBindingsSupport.h"

namespace bind {

namespace {

constexpr float kStopImpulsePerSpeed = -4.0f;

int PushNumber(lua_State* L, double value)
{
    lua_pushnumber(L, value);
    return 1;
}

int PushBool(lua_State* L, bool value)
{
    lua_pushboolean(L, value ? 1 : 0);
    return 1;
}

CPCar* CarOf(const CPPlayer* player) { return player ? player->GetCar() : nullptr; }

Vector3 Velocity(const CPPlayer& player)
{
    const Vector4 v = player.GetCarVelocity();
    return Vector3{v.x, v.y, v.z};
}

float MassOf(const CPGameObject* object)
{
    const CPPhysicData* data = object ? object->GetPhysicData() : nullptr;
    return data ? data->GetMass() : 0.0f;
}

void ApplyAtPosition(CPPlayer* car, const Vector3& impulse)
{
    if (car)
        car->ApplyBodyImpulse(car->GetPosition(), impulse);
}

} // namespace

int SetCarParams(lua_State* L)
{
    if (CPPlayer* car = CarArg(L, 1))
        car->SetControls(LuaToFloat(L, 2), LuaToFloat(L, 3));
    return 0;
}

int SetWeaponPos(lua_State* L)
{
    const Vector3 aim = VectorArgs(L, 1);
    auto* target = LuaToObjectAs<CPGameObject>(L, 4);
    CPLevel* level = GetCurrentLevel();
    if (level && LevelPlayerCar(level))
        level->SetWeaponPos(aim, target);
    return 0;
}

int GetPlayerSpeed(lua_State* L)
{
    const CPLevel* level = GetCurrentLevel();
    return PushNumber(L, level ? level->view.followedCarSpeed : 0.0f);
}

int GetPlayerSlide(lua_State* L) { return PushNumber(L, 1); }

int GetPlayerDirection(lua_State* L)
{
    const CPPlayer* player = PlayerCar();
    return player ? PushVector3(L, Forward(*player)) : 0;
}

int GetPlayerDirectionAI(lua_State* L)
{
    const CPPlayer* car = CarArg(L, 1);
    return car ? PushVector3(L, Forward(*car)) : 0;
}

int GetPlayerMass(lua_State* L)
{
    const CPLevel* level = GetCurrentLevel();
    if (!level)
        return 0;
    if (lua_gettop(L) >= 1)
        return PushNumber(L, MassOf(LuaToObjectAs<CPGameObject>(L, 1)));
    return PushNumber(L, MassOf(level->GetPlayer()));
}

int GetPlayerSpeedAI(lua_State* L)
{
    const CPCar* car = CarOf(CarArg(L, 1));
    return PushNumber(L, car ? car->GetSpeed() : 0.0f);
}

int GetNitro(lua_State* L)
{
    const CPCar* car = CarOf(PlayerCar());
    return PushNumber(L, car ? car->GetNitroStock() : 0.0f);
}

int IsNitro(lua_State* L)
{
    const CPCar* car = CarOf(PlayerCar());
    return PushBool(L, car && car->GetNitroStock() > 0.0f && car->GetNitro() > 0.0f);
}

int PlayerNitro(lua_State* L)
{
    const float power = LuaToFloat(L, 1);
    const CPLevel* level = GetCurrentLevel();
    CPPlayer* player = LevelPlayerCar(level);
    if (player && !level->race.raceOver)
        player->SetNitro(power);
    return 0;
}

int PlayerNitroAI(lua_State* L)
{
    CPPlayer* car = CarArg(L, 1);
    if (!car)
        return 0;
    if (lua_gettop(L) < 2)
        car->SetNitro(0.0f);
    else
        car->Halt();
    return 0;
}

int PlayerApplyImpulse(lua_State* L)
{
    CPPlayer* player = PlayerCar();
    if (!player)
        return 0;
    if (lua_gettop(L) >= 4)
        player->ApplyBodyImpulse(VectorArgs(L, 1), VectorArgs(L, 4));
    else
        ApplyAtPosition(player, VectorArgs(L, 1));
    return 0;
}

int ApplyImpulse(lua_State* L)
{
    ApplyAtPosition(CarArg(L, 1), VectorArgs(L, 2));
    return 0;
}

int StopPlayerCar(lua_State*)
{
    if (CPPlayer* player = PlayerCar())
        ApplyAtPosition(player, Velocity(*player) * kStopImpulsePerSpeed);
    return 0;
}

// First result: true when the ray met nothing. The second is the ray as
// given when nothing was hit, else its unit direction.
int CrossPlayerRay(lua_State* L)
{
    const Vector3 origin = VectorArgs(L, 1);
    const Vector3 ray = VectorArgs(L, 4);
    const float length = Length(ray);
    const Vector3 unit = length > 0.0f && std::isfinite(length) ? ray * (1.0f / length) : Vector3{};
    CPLevel* level = GetCurrentLevel();
    if (!level) {
        lua_pushboolean(L, 0);
        return 1 + PushVector3(L, unit);
    }
    RayQuery query;
    query.origin = origin;
    query.direction = unit;
    query.length = std::isfinite(length) ? length : 0.0f;
    const bool hit = level->IntersectRay(query);
    lua_pushboolean(L, !hit);
    return 1 + PushVector3(L, hit ? unit : ray);
}

int LockPlayer(lua_State* L)
{
    const bool locked = lua_toboolean(L, 1) != 0;
    if (CPPlayer* player = PlayerCar())
        player->SetLocked(locked);
    return 0;
}

int LockPlayers(lua_State* L)
{
    const bool locked = lua_toboolean(L, 1) != 0;
    const CPLevel* level = GetCurrentLevel();
    if (!level)
        return 0;
    if (CPPlayer* player = LevelPlayerCar(level))
        player->SetLocked(locked);
    for (CPGameObject* opponent : level->GetOpponents())
        if (auto* car = dynamic_cast<CPPlayer*>(opponent))
            car->SetLocked(locked);
    return 0;
}

int SetBrake(lua_State* L)
{
    if (CPPlayer* car = CarArg(L, 1))
        car->SetBrakeLights(lua_toboolean(L, 2) != 0);
    return 0;
}

int Spawn(lua_State* L)
{
    if (CPPlayer* car = CarArg(L, 1))
        car->Spawn(true);
    return 0;
}

int SetAbilitiesCount(lua_State* L)
{
    const std::int32_t count = LuaToInt(L, 1);
    if (CPPlayer* player = PlayerCar())
        player->abilities = count;
    return 0;
}

int SetAbilitiesCountAI(lua_State* L)
{
    if (CPPlayer* car = CarArg(L, 1))
        car->abilities = LuaToInt(L, 2);
    return 0;
}

int ActivateAbilitiesAI(lua_State* L)
{
    const CPPlayer* car = CarArg(L, 1);
    return PushNumber(L, car ? car->abilities : 0);
}

int SetMaxAbilityCount(lua_State* L)
{
    const std::int32_t count = LuaToInt(L, 1);
    if (CPGameData* data = GetGameData())
        data->maxAbilityCount = count;
    return 0;
}

int GetPlayerMana(lua_State* L)
{
    const CPGameData* data = GetGameData();
    return PushNumber(L, data ? data->mana : 0);
}

int SetPlayerMana(lua_State* L)
{
    const std::int32_t mana = LuaToInt(L, 1);
    if (CPGameData* data = GetGameData())
        data->mana = mana;
    return 0;
}

int GetPlayerDamage(lua_State* L)
{
    const CPPlayer* player = PlayerCar();
    return player ? PushNumber(L, player->damage) : 0;
}

int IsDead(lua_State* L)
{
    const CPLevel* level = GetCurrentLevel();
    if (!level)
        return PushBool(L, true);
    const CPPlayer* player = LevelPlayerCar(level);
    return PushBool(L, !player || player->wrecked);
}

int IsInGloom(lua_State* L)
{
    const CPPlayer* car = CarArg(L, 1);
    return PushBool(L, car && car->bonuses.inGloom);
}

int IsDamageMsg(lua_State* L)
{
    const CPLevel* level = GetCurrentLevel();
    if (!level)
        return PushBool(L, false);
    const CPPlayer* player = LevelPlayerCar(level);
    return PushBool(L, level->race.raceOver || (player && player->state.gameOverSent));
}

int SetTimeBonus(lua_State* L)
{
    if (CPPlayer* car = CarArg(L, 1))
        car->SetPushCooldown(4.0f);
    return 0;
}

} // namespace bind
