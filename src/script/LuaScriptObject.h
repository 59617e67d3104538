#pragma once

#include <string>

#include <lua.hpp>

#include "core/ScriptObject.h"

namespace stepbudget {
struct Budget;
}

// A script object whose script is a Lua function: every frame the kernel
// steps it, the function runs with the object as its one argument and
// works through the commands queued for it. A function that fails is
// reported to the log and the object stops, rather than failing again
// every frame.
class CPLuaScriptObject : public CPScriptObject {
  public:
    // Takes over the reference to the function in the state's registry.
    CPLuaScriptObject(lua_State* L, std::string name, int functionRef);
    ~CPLuaScriptObject() override;

    std::uint32_t GetObjectSize() const override { return sizeof(CPLuaScriptObject); }
    std::string GetTypeName() const override { return "CPLuaScriptObject - " + m_name; }
    void Step() override;

    const std::string& GetName() const { return m_name; }

    // Whether the function runs only in the frames that find commands
    // queued for the object, rather than in every frame.
    void SetStepsOnCommandsOnly(bool onCommands) { m_onCommandsOnly = onCommands; }
    bool StepsOnCommandsOnly() const { return m_onCommandsOnly; }

    // The script object at the index: the one stepping now when that is
    // what the script passed (its step's own argument, handed back to the
    // command functions every frame), which is live without asking the
    // registry; otherwise as LuaToObjectAs reads it.
    static CPScriptObject* ToScriptObject(lua_State* L, int index);

  private:
    lua_State* m_state;
    std::string m_name;
    int m_functionRef;
    // Found at the first step: the state keeps it until it closes.
    stepbudget::Budget* m_budget = nullptr;
    bool m_onCommandsOnly = false;
};
