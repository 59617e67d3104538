#pragma once

#include <cstdint>

struct lua_State;

// Counts the heap allocations a program makes, the engine's apart from the
// script interpreter's. Linking HeapCount.cpp into a program replaces its
// operator new (and routes the physics library's allocator through the
// count), so every allocation the engine and the game make is counted; the
// interpreter allocates through its own allocator, counted once a state is
// handed to CountScriptAllocations.
namespace heapcount {

// Allocations through operator new and the physics library so far.
std::int64_t EngineAllocations();
// Of those, the blocks the physics library took.
std::int64_t PhysicsLibraryAllocations();
// Allocations (and growing reallocations) of the counted script states.
std::int64_t ScriptAllocations();
// Counts the state's allocations from now on, its allocator still doing
// the work. False when the state allocates through an allocator other than
// the one of the first state counted.
bool CountScriptAllocations(lua_State* L);

// Counts the engine allocations made inside every call of the state's
// global function `name` (a binding the scripts call) apart as well: they
// stay in EngineAllocations() and are added to CallsApartAllocations() too.
// The global is replaced by a function that calls the one it had with the
// same arguments and returns what it returns. False when the global is no
// function.
bool CountCallsApart(lua_State* L, const char* name);
// The allocations of the calls counted apart so far.
std::int64_t CallsApartAllocations();

} // namespace heapcount
