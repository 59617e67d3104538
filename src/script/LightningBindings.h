#pragma once

#include <lua.hpp>

// A lightning strike the scripts fire and advance themselves, outside the
// shot manager: StartLighting makes and starts one, UpdateTrasser grows it
// one frame and has it drawn while it travels.
namespace bind {

int StartLighting(lua_State* L);
int UpdateTrasser(lua_State* L);

} // namespace bind
