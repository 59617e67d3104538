#include "script/ScriptArgs.h"

#include <cmath>
#include <limits>

#include "core/Log.h"
#include "core/Object.h"
#include "core/ObjectHandle.h"

CPObject* LuaToObject(lua_State* L, int index)
{
    if (lua_type(L, index) != LUA_TLIGHTUSERDATA)
        return nullptr;
    void* address = lua_touserdata(L, index);
    if (!address)
        return nullptr;
    // Scripts keep addresses across frames and make them from text: one of
    // a deleted object, or one made up, must not be followed.
    if (!IsLiveObject(address)) {
        LogLine("Script: argument " + std::to_string(index) + " (" + FormatObjectHandle(address) +
                ") is no live object; taken as nil");
        return nullptr;
    }
    return static_cast<CPObject*>(address);
}

void LuaPushObject(lua_State* L, CPObject* object) { lua_pushlightuserdata(L, static_cast<void*>(object)); }

float LuaToFloat(lua_State* L, int index) { return static_cast<float>(lua_tonumber(L, index)); }

std::int32_t TruncateToInt(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double kMin = std::numeric_limits<std::int32_t>::min();
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    if (value <= kMin)
        return std::numeric_limits<std::int32_t>::min();
    if (value >= kMax)
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

std::int32_t LuaToInt(lua_State* L, int index) { return TruncateToInt(lua_tonumber(L, index)); }

std::string LuaToText(lua_State* L, int index) { return std::string(LuaToTextView(L, index)); }

std::string_view LuaToTextView(lua_State* L, int index)
{
    if (!lua_isstring(L, index))
        return std::string_view();
    std::size_t size = 0;
    const char* data = lua_tolstring(L, index, &size);
    return std::string_view(data, size);
}

LuaTextArg LuaCheckText(lua_State* L, int index)
{
    LuaTextArg arg{nullptr, 0};
    arg.data = luaL_checklstring(L, index, &arg.size);
    return arg;
}
