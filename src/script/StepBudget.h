#pragma once

#include <lua.hpp>

// Bounds how long one run of script code may take, so that a script stuck
// in a loop cannot hold the frame for ever. Every run that the engine
// starts (the start script, a script object's step) gets a fresh budget of
// instructions; a count hook charges the instructions as they run and,
// once the budget is spent, raises an error in the script, which ends the
// run like any other script error.
namespace stepbudget {

// Far above what a frame of the game's scripts runs (a few thousand
// instructions), far below a second of a loop.
constexpr long long kInstructions = 20000000;

// The state's budget, kept in its registry from the first Install until
// the state closes; it never moves, so a caller that starts many runs may
// keep it.
struct Budget;

// Installs the hook on the state with the given budget per run. Installing
// again changes the budget in place.
void Install(lua_State* L, long long instructions = kInstructions);
// The state's budget; null while none is installed.
Budget* Find(lua_State* L);
// A fresh budget for the next run on this state; no effect on a state
// without the hook.
void Renew(lua_State* L);
// The same with the budget already found (null: no effect), which spares
// the registry lookup on every step.
void Renew(lua_State* L, Budget* budget);

} // namespace stepbudget
