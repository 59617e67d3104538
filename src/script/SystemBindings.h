#pragma once

#include <lua.hpp>

// What the scripts ask of the system around the game: opening addresses
// and documents, testing files, measuring pictures; and the tester's keys
// that tune the player's car while it drives.
namespace bind {

int GoURLlink(lua_State* L);
// Opens a document only when it exists.
int GoURL(lua_State* L);
int IsFileExists(lua_State* L);
// The picture's own width and height; 0, 0 when it cannot be read.
int GetTextureSize(lua_State* L);

// Choose the tuned value (up, down) and change it (left, right) by its step.
int Pup(lua_State* L);
int Pdown(lua_State* L);
int Pleft(lua_State* L);
int Pright(lua_State* L);

} // namespace bind
