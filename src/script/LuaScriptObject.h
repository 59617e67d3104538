#pragma once

#include <string>

#include <lua.hpp>

#include "core/ScriptObject.h"

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

  private:
    lua_State* m_state;
    std::string m_name;
    int m_functionRef;
};
