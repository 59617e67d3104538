#pragma once

#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <lua.hpp>

#include "core/GameObject.h"
#include "core/Kernel.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "script/ScriptArgs.h"
#include "script/ScriptHost.h"
#include "support/ScratchFolder.h"
#include "support/TestEngine.h"

// A real Lua state with the script functions, over the engine's services
// (the kernel and the registry named for the tests) and a captured log.
class ScriptTest : public ::testing::Test {
  protected:
    ScriptTest()
    {
        host = std::make_unique<CPScriptHost>();
        L = host->GetState();
    }
    ~ScriptTest() override { host.reset(); }

    // Runs a chunk; false (with the error in the log) when it fails.
    bool Run(const std::string& code) { return host->RunText(code, "=test"); }
    // Runs a chunk that must fail and returns its error message.
    std::string Error(const std::string& code)
    {
        EXPECT_NE(luaL_loadbuffer(L, code.data(), code.size(), "=test"), LUA_ERRSYNTAX);
        if (lua_pcall(L, 0, 0, 0) == 0)
            return "(no error)";
        std::string message = lua_tostring(L, -1);
        lua_pop(L, 1);
        return message;
    }

    void SetGlobal(const char* name, CPObject* object)
    {
        LuaPushObject(L, object);
        lua_setglobal(L, name);
    }
    std::string GlobalString(const char* name)
    {
        lua_getglobal(L, name);
        std::string value = lua_isstring(L, -1) ? lua_tostring(L, -1) : "(not a string)";
        lua_pop(L, 1);
        return value;
    }
    double GlobalNumber(const char* name)
    {
        lua_getglobal(L, name);
        double value = lua_tonumber(L, -1);
        lua_pop(L, 1);
        return value;
    }
    void* GlobalPointer(const char* name)
    {
        lua_getglobal(L, name);
        EXPECT_EQ(lua_type(L, -1), LUA_TLIGHTUSERDATA) << name;
        void* value = lua_touserdata(L, -1);
        lua_pop(L, 1);
        return value;
    }

    LogCapture log;
    TestEngine engine;
    CPKernel& kernel = engine.services->Kernel();
    CPObjectRegistry& registry = engine.services->Registry();
    std::unique_ptr<CPScriptHost> host;
    lua_State* L = nullptr;
};

// Deletes a tree of game objects made with new.
struct TreeOwner {
    CPGameObject* root;
    ~TreeOwner() { CPGameObject::DeleteTree(root); }
};
