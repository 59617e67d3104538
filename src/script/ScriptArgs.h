#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <lua.hpp>

#include "core/ObjectCast.h"

class CPObject;

// How every script function reads its arguments and pushes its results.
//
// Engine objects travel as light userdata holding a CPObject pointer. Only
// light userdata reads as an object: anything else (nil, numbers, strings,
// Lua's own full userdata) reads as null, and functions ignore null
// objects. An object of the wrong class reads as null too, and so does an
// address that is no live object (deleted, or made up by a script), with a
// line in the log.
//
// Lua raises its errors with a long jump that skips C++ destructors, so a
// function checks its required arguments (LuaCheckText, luaL_check*)
// before it makes any object that owns memory.

CPObject* LuaToObject(lua_State* L, int index);

template <class T> T* LuaToObjectAs(lua_State* L, int index) { return ObjectCast<T>(LuaToObject(L, index)); }

// Pushes the object as light userdata; a missing object is a light
// userdata holding null, never nil.
void LuaPushObject(lua_State* L, CPObject* object);

// A number or numeric string; anything else is 0.
float LuaToFloat(lua_State* L, int index);
// Truncated toward zero and held to the 32-bit range (not a number is 0).
std::int32_t LuaToInt(lua_State* L, int index);
std::int32_t TruncateToInt(double value);

// An optional text: a string or a number as text; anything else is "".
std::string LuaToText(lua_State* L, int index);
// The same text without a copy: the bytes stay valid while the argument
// stays on the stack.
std::string_view LuaToTextView(lua_State* L, int index);

// A required text: raises "bad argument #n ... string expected, got ..."
// unless the argument is a string or a number. The bytes stay valid while
// the argument stays on the stack.
struct LuaTextArg {
    const char* data;
    std::size_t size;
    std::string Str() const { return std::string(data, size); }
};
LuaTextArg LuaCheckText(lua_State* L, int index);
