#pragma once

#include <lua.hpp>

// The race's heads-up display: a screen the scripts pass in, whose windows
// are switched and texts written by name (a name the screen lacks is
// skipped), and a few questions the display asks of the race.
namespace bind {

int InitGameInterface(lua_State* L);
// Weapons, super weapons, mines, life and ammunition of the player's car;
// nothing without a current level and its player car.
int UpdateGameInterface(lua_State* L);
int UpdateScore(lua_State* L);
int UpdateTime(lua_State* L);
int EngineState(lua_State* L);
int GetCursor(lua_State* L);
int GetFov1(lua_State* L);
int GetFov2(lua_State* L);
int GetHelthBarCoord(lua_State* L);
// SetPlayersPanel([panel]): the keys of the first five opponents and of the
// player ("10") ranked by their race so far, last place first; in the
// table given, when there is one, else in a new one.
int SetPlayersPanel(lua_State* L);

} // namespace bind
