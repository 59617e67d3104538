#include "script/LuaScriptObject.h"

#include "core/Log.h"
#include "script/ScriptArgs.h"
#include "script/StepBudget.h"

CPLuaScriptObject::CPLuaScriptObject(lua_State* L, std::string name, int functionRef)
    : m_state(L), m_name(std::move(name)), m_functionRef(functionRef)
{
}

CPLuaScriptObject::~CPLuaScriptObject() { luaL_unref(m_state, LUA_REGISTRYINDEX, m_functionRef); }

void CPLuaScriptObject::Step()
{
    lua_rawgeti(m_state, LUA_REGISTRYINDEX, m_functionRef);
    LuaPushObject(m_state, this);
    // A step that runs too long fails like any failing step.
    stepbudget::Renew(m_state);
    if (lua_pcall(m_state, 1, 0, 0) == 0)
        return;
    const char* message = lua_tostring(m_state, -1);
    LogLine("Script object \"" + m_name + "\" stopped: " + (message ? message : "unknown error"));
    lua_pop(m_state, 1);
    SetKilled(true);
}
