#pragma once

#include <lua.hpp>

#include "core/Singletons.h"
#include "game/Level.h"
#include "game/Player.h"
#include "platform/Math.h"
#include "script/ScriptArgs.h"

// Small helpers the car functions share.
namespace bind {

inline CPPlayer* LevelPlayerCar(const CPLevel* level)
{
    return level ? dynamic_cast<CPPlayer*>(level->GetPlayer()) : nullptr;
}

inline CPPlayer* PlayerCar() { return LevelPlayerCar(GetCurrentLevel()); }

inline CPPlayer* CarArg(lua_State* L, int index) { return LuaToObjectAs<CPPlayer>(L, index); }

// (0, -1, 0) turned by the object's orientation.
inline Vector3 Forward(const CPGameObject& object)
{
    return Rotate(Vector3{0.0f, -1.0f, 0.0f}, object.GetRotation());
}

inline Vector3 VectorArgs(lua_State* L, int first)
{
    return Vector3{LuaToFloat(L, first), LuaToFloat(L, first + 1), LuaToFloat(L, first + 2)};
}

inline int PushVector3(lua_State* L, const Vector3& v)
{
    lua_pushnumber(L, v.x);
    lua_pushnumber(L, v.y);
    lua_pushnumber(L, v.z);
    return 3;
}

} // namespace bind
