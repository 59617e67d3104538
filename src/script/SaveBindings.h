#pragma once

#include <lua.hpp>

// The save-game screens: saving, loading, listing and deleting the six
// save slots, and naming the profile and the player.
namespace bind {

int SaveGame(lua_State* L);
int LoadGame(lua_State* L);
int GetSaves(lua_State* L);
int DeleteSave(lua_State* L);
int NewPlayer(lua_State* L);
int SetProfileName(lua_State* L);

} // namespace bind
