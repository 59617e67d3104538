#pragma once

#include <lua.hpp>

// The three tables of script functions, each in its own order and ended by
// an entry whose name and function are null: the engine core's, the
// game's, and the heads-up display's (which also holds scores, shots,
// videos, timers and AI queries). One function may stand under several
// names.
const luaL_Reg* GetEngineCoreTable();
const luaL_Reg* GetGameTable();
const luaL_Reg* GetHudTable();

// Makes every function of the three tables a global of the state, in the
// order engine core, game, heads-up display: where two tables hold the
// same name, the later one is what the scripts call.
void RegisterScriptTables(lua_State* L);
