#include "script/ScriptHost.h"

#include "core/FileReader.h"
#include "core/GameObject.h"
#include "core/Kernel.h"
#include "core/Log.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "script/LuaScriptObject.h"
#include "script/ScriptArgs.h"
#include "script/ScriptTables.h"

namespace {

// The registry key under which the state keeps its host.
const char kHostKey = 0;

// Reached only by an error outside any protected call; Lua ends the
// program after it, so the reason must be in the log first.
int OnPanic(lua_State* L)
{
    const char* message = lua_tostring(L, -1);
    LogLine(std::string("Unprotected script error: ") + (message ? message : "unknown error"));
    return 0;
}

} // namespace

CPScriptHost::CPScriptHost() : m_state(luaL_newstate())
{
    lua_atpanic(m_state, OnPanic);
    luaL_openlibs(m_state);
    lua_pushlightuserdata(m_state, const_cast<char*>(&kHostKey));
    lua_pushlightuserdata(m_state, this);
    lua_settable(m_state, LUA_REGISTRYINDEX);
    RegisterScriptTables(m_state);
    lua_pushlightuserdata(m_state, this);
    lua_pushcclosure(m_state, CreateScriptObject, 1);
    lua_setglobal(m_state, "CreateScriptObject");
}

CPScriptHost::~CPScriptHost()
{
    // Screens may show objects of the loaded trees, and both report to
    // script objects: screens first, then trees, then the script objects.
    for (CPGameObject* screen : m_screens)
        delete screen;
    for (CPGameObject* root : m_trees)
        CPGameObject::DeleteTree(root);
    for (CPLuaScriptObject* object : m_scriptObjects) {
        if (CPKernel* kernel = GetKernel())
            kernel->RemoveTask(object);
        delete object;
    }
    lua_close(m_state);
}

bool CPScriptHost::RunFile(const std::string& fileName)
{
    CPFileReader reader(fileName, false);
    if (reader.Load() != S_OK) {
        LogLine("Script " + fileName + " cannot be read");
        return false;
    }
    return Run(reinterpret_cast<const char*>(reader.GetData()), reader.GetDataSize(), "@" + fileName);
}

bool CPScriptHost::RunText(const std::string& text, const std::string& chunkName)
{
    return Run(text.data(), text.size(), chunkName);
}

bool CPScriptHost::RunStartScript()
{
    CPFileReader reader(kStartScript, false);
    if (reader.Load() != S_OK) {
        LogLine(std::string("No start script ") + kStartScript + ": nothing is scripted");
        return false;
    }
    return Run(reinterpret_cast<const char*>(reader.GetData()), reader.GetDataSize(),
               std::string("@") + kStartScript);
}

bool CPScriptHost::Run(const char* data, std::size_t size, const std::string& chunkName)
{
    int status = luaL_loadbuffer(m_state, data, size, chunkName.c_str());
    if (status == 0)
        status = lua_pcall(m_state, 0, 0, 0);
    if (status == 0)
        return true;
    const char* message = lua_tostring(m_state, -1);
    LogLine(std::string("Script error: ") + (message ? message : "unknown error"));
    lua_pop(m_state, 1);
    return false;
}

int CPScriptHost::CreateScriptObject(lua_State* L)
{
    LuaTextArg name = LuaCheckText(L, 1);
    luaL_checktype(L, 3, LUA_TFUNCTION);
    std::string category = LuaToText(L, 2);
    auto* host = static_cast<CPScriptHost*>(lua_touserdata(L, lua_upvalueindex(1)));

    lua_pushvalue(L, 3);
    const int functionRef = luaL_ref(L, LUA_REGISTRYINDEX);
    auto* object = new CPLuaScriptObject(L, name.Str(), functionRef);
    host->m_scriptObjects.push_back(object);
    if (CPObjectRegistry* registry = GetObjectRegistry())
        registry->Register(object->GetName(), category, object);
    CPObjectPtr task(object);
    if (CPKernel* kernel = GetKernel())
        kernel->AddTask(task);
    else
        object->Begin();
    LuaPushObject(L, object);
    return 1;
}

CPScriptHost* CPScriptHost::FromState(lua_State* L)
{
    lua_pushlightuserdata(L, const_cast<char*>(&kHostKey));
    lua_gettable(L, LUA_REGISTRYINDEX);
    auto* host = static_cast<CPScriptHost*>(lua_touserdata(L, -1));
    lua_pop(L, 1);
    return host;
}

void CPScriptHost::AdoptTree(CPGameObject* root)
{
    if (root)
        m_trees.push_back(root);
}

void CPScriptHost::AdoptScreen(CPGameObject* screen)
{
    if (screen)
        m_screens.push_back(screen);
}
