#pragma once

#include <lua.hpp>

// The options menu's key bindings, through the input manager.
namespace bind {

int GetActionNames(lua_State* L);
int SetAction(lua_State* L);
int SaveActions(lua_State* L);
int UpdateActions(lua_State* L);
int LoadActions(lua_State* L);
int SetAssignKey(lua_State* L);
int SaveLog(lua_State* L);

} // namespace bind
