#pragma once

#include <lua.hpp>

// Shots and explosions fired from the scripts, the super weapon, damage and
// death of cars, weapon and mine triggers, weapon switching, the enemy
// table, the committed car configuration and the difficulty. Cars are
// CPPlayer objects; shots leave through the shot manager with no launch
// value and no owner.
namespace bind {

int Shot(lua_State* L);
int Explosion(lua_State* L);
int DirectionalExplosion(lua_State* L);
int SmartBomb(lua_State* L);
int GetEnemyData(lua_State* L);
int PlayerShot(lua_State* L);
int DamagePlayer(lua_State* L);
int KillPlayer(lua_State* L);
int SetCurrentWeapon(lua_State* L);
int SetPrevWeapon(lua_State* L);
int SetNextWeapon(lua_State* L);
int SetShot(lua_State* L);
int SetMineShot(lua_State* L);
int GetRealCarInfo(lua_State* L);
int SetDifficult(lua_State* L);
int GetDifficulty(lua_State* L);

} // namespace bind
