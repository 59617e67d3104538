#pragma once

#include <lua.hpp>

// The garage and shop screens: the items of the seven shop tables, the
// items on offer, the money, the car configuration being edited, the
// automatic set-up and the player's car model. Also the current mission,
// which decides what is on offer.
namespace bind {

int GetWeaponInfo(lua_State* L);
int GetMineInfo(lua_State* L);
int GetSuperWeaponInfo(lua_State* L);
int GetBumperInfo(lua_State* L);
int GetEquipmentInfo(lua_State* L);
int GetArmorInfo(lua_State* L);
int GetEngineInfo(lua_State* L);

int GetWeaponNames(lua_State* L);
int GetMineNames(lua_State* L);
int GetSuperWeaponNames(lua_State* L);
int GetBumperNames(lua_State* L);
int GetEquipmentNames(lua_State* L);
int GetArmorNames(lua_State* L);
int GetEngineNames(lua_State* L);

int IsValidGameDataName(lua_State* L);
int SetMoney(lua_State* L);
int GetMoney(lua_State* L);
int GetCarInfo(lua_State* L);
int SetCarInfo(lua_State* L);
int CommitCarSettings(lua_State* L);
int AutoSetting(lua_State* L);
int GetActiveCar(lua_State* L);

// Registered also as GetCurrentRace and SetCurrentRace.
int GetCurrentMission(lua_State* L);
int SetCurrentMission(lua_State* L);

} // namespace bind
