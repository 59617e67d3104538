#pragma once

#include <lua.hpp>

// The cars of a race and the scene objects around them: the player's car
// of the current level, the opponents' cars (passed in as objects or found
// by model name), and any game object's placement, box and speed. A null
// car or object is ignored (or gives the neutral answer); without a current
// level the functions that need one answer nothing or a neutral value.
namespace bind {

// The player's car.
int SetCarParams(lua_State* L);
int SetWeaponPos(lua_State* L);
int GetPlayerSpeed(lua_State* L);
// Always 1.
int GetPlayerSlide(lua_State* L);
int GetPlayerDirection(lua_State* L);
int GetPlayerDirectionAI(lua_State* L);
int GetPlayerMass(lua_State* L);
int GetPlayerSpeedAI(lua_State* L);
int GetNitro(lua_State* L);
int IsNitro(lua_State* L);
int PlayerNitro(lua_State* L);
int PlayerNitroAI(lua_State* L);
int PlayerApplyImpulse(lua_State* L);
int ApplyImpulse(lua_State* L);
int StopPlayerCar(lua_State* L);
int CrossPlayerRay(lua_State* L);
int LockPlayer(lua_State* L);
int LockPlayers(lua_State* L);
int SetBrake(lua_State* L);
// Puts the car back on the track whatever its state (cooldown and lock
// still hold).
int Spawn(lua_State* L);
int SetAbilitiesCount(lua_State* L);
int SetAbilitiesCountAI(lua_State* L);
int ActivateAbilitiesAI(lua_State* L);
int SetMaxAbilityCount(lua_State* L);
int GetPlayerMana(lua_State* L);
int SetPlayerMana(lua_State* L);
int GetPlayerDamage(lua_State* L);
int IsDead(lua_State* L);
int IsInGloom(lua_State* L);
int IsDamageMsg(lua_State* L);
int SetTimeBonus(lua_State* L);

// Scans of the opponents.
int ThrowPlayer(lua_State* L);
int CheckIntersection(lua_State* L);
int GetAIDamage(lua_State* L);
int IsPlayerDead(lua_State* L);
int IsLightLeft(lua_State* L);
int IsDarkLeft(lua_State* L);
int GetNearestSollaryPlayer(lua_State* L);
int GetNearestCorvanePlayer(lua_State* L);

// Scene objects and renderer values.
int SetPosition(lua_State* L);
int GetPosition(lua_State* L);
// NearestInSights(x, y, dx, dy, reach, sights, objects, count): of
// objects[1] to objects[count] (holes skipped), the nearest whose position
// lies ahead of (x, y) along (dx, dy), within the sights (the cosine of
// their half angle) and nearer than reach; of two as near, the first.
// Answers its distance, its position and the object, or nothing. Worked out
// in the script's own numbers, so it picks what the same search written in
// the script with GetPosition picks, and anything but a live game object
// stands at the origin as GetPosition answers for it. Not in the tables:
// the host adds it, so that a script aiming every frame makes one call
// rather than one per car.
int NearestInSights(lua_State* L);
int SetRotation(lua_State* L);
int GetBBoxInfo(lua_State* L);
int GetObjectSpeed(lua_State* L);
// The copy belongs to the script, like a screen it creates.
int Clone(lua_State* L);
int DrawLine(lua_State* L);
int SetMotionBlur(lua_State* L);
int SetLightCoeff(lua_State* L);
int SetRadialBlur(lua_State* L);
int SetTemp(lua_State* L);
int GetTemp(lua_State* L);

} // namespace bind
