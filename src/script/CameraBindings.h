#pragma once

#include <lua.hpp>

// The current level's game camera, its three camera modes, the lens flare,
// the level light and the walk along the level's path spline. Without a
// current level (or its camera, spline or player car) a reader answers
// nothing and a writer does nothing, unless a function says otherwise.
namespace bind {

int SetCameraPos(lua_State* L);
int SetCameraZAngle(lua_State* L);
int GetCameraZAngle(lua_State* L);
int GetCameraPositions(lua_State* L);
int SetFOV(lua_State* L);
int SetCamera(lua_State* L);
// -1 without a current level.
int ChangeGameCamera(lua_State* L);
int SetCameraPlayer(lua_State* L);
int GetCameraPlayer(lua_State* L);
int SetLensFlare(lua_State* L);
int GetLight(lua_State* L);
int SetLight(lua_State* L);
int IsPlayerMoveForward(lua_State* L);
// False without a current level.
int IsPlayerMovingBackwards(lua_State* L);

int GetPlayerSplineAngle(lua_State* L);
int GetSplineLineCount(lua_State* L);
int GetSplineLinePoint(lua_State* L);
int GetClosestLineCenter(lua_State* L);

// The menus' pick ray through a screen point: hit, object, and where the
// ray reaches the ground (z = 0).
int CrossInterfaceRay(lua_State* L);

} // namespace bind
