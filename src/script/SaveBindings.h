#pragma once

#include <lua.hpp>

// The save-game screens: saving, loading, listing and deleting the six
// save slots, and naming the profile and the player. SaveGame, NewPlayer
// and DeleteSave return true when the file was written, false when it was
// not (the folder cannot be written, the disk is full, the rename failed);
// a save that fails leaves the file it would have replaced as it was.
namespace bind {

int SaveGame(lua_State* L);
int LoadGame(lua_State* L);
int GetSaves(lua_State* L);
int DeleteSave(lua_State* L);
int NewPlayer(lua_State* L);
int SetProfileName(lua_State* L);

} // namespace bind
