#include "script/LuaScriptObject.h"

#include "core/Log.h"
#include "script/ScriptArgs.h"
#include "script/StepBudget.h"

namespace {
// The object whose step runs now; null between steps.
CPLuaScriptObject* g_stepping = nullptr;

// Marks the object as stepping for the length of its step, and puts back
// whatever stepped before, should a step ever run inside another.
class SteppingScope {
  public:
    explicit SteppingScope(CPLuaScriptObject* object) : m_previous(g_stepping) { g_stepping = object; }
    ~SteppingScope() { g_stepping = m_previous; }
    SteppingScope(const SteppingScope&) = delete;
    SteppingScope& operator=(const SteppingScope&) = delete;

  private:
    CPLuaScriptObject* m_previous;
};
} // namespace

CPLuaScriptObject::CPLuaScriptObject(lua_State* L, std::string name, int functionRef)
    : m_state(L), m_name(std::move(name)), m_functionRef(functionRef)
{
}

CPLuaScriptObject::~CPLuaScriptObject()
{
    if (g_stepping == this)
        g_stepping = nullptr;
    luaL_unref(m_state, LUA_REGISTRYINDEX, m_functionRef);
}

CPScriptObject* CPLuaScriptObject::ToScriptObject(lua_State* L, int index)
{
    // Only a light userdata holds the stepping object's address: a full
    // userdata's block is never where a live object is.
    if (g_stepping && lua_touserdata(L, index) == static_cast<void*>(static_cast<CPObject*>(g_stepping)))
        return g_stepping;
    return LuaToObjectAs<CPScriptObject>(L, index);
}

void CPLuaScriptObject::Step()
{
    if (m_onCommandsOnly && GetQueuedCount() == 0)
        return;
    lua_rawgeti(m_state, LUA_REGISTRYINDEX, m_functionRef);
    LuaPushObject(m_state, this);
    // A step that runs too long fails like any failing step.
    if (!m_budget)
        m_budget = stepbudget::Find(m_state);
    stepbudget::Renew(m_state, m_budget);
    int status = 0;
    {
        SteppingScope stepping(this);
        status = lua_pcall(m_state, 1, 0, 0);
    }
    if (status == 0)
        return;
    const char* message = lua_tostring(m_state, -1);
    LogLine("Script object \"" + m_name + "\" stopped: " + (message ? message : "unknown error"));
    lua_pop(m_state, 1);
    SetKilled(true);
}
