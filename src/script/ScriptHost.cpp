#include "script/ScriptHost.h"

#include "core/FileReader.h"
#include "core/GameObject.h"
#include "core/Kernel.h"
#include "core/Log.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "platform/Dialog.h"
#include "script/CarBindings.h"
#include "script/InterfaceBindings.h"
#include "script/LuaScriptObject.h"
#include "script/ScriptArgs.h"
#include "script/ScriptTables.h"
#include "script/StepBudget.h"

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

// The standard libraries the game's scripts are written against. The
// debug library is left out: through it a script reaches past the
// engine's bindings into the state's internals and can bring the engine
// down; the package library would let scripts load native code.
void OpenScriptLibraries(lua_State* L)
{
    // The base library brings the coroutine functions with it.
    const luaL_Reg libraries[] = {{"", luaopen_base},
                                  {LUA_TABLIBNAME, luaopen_table},
                                  {LUA_STRLIBNAME, luaopen_string},
                                  {LUA_MATHLIBNAME, luaopen_math},
                                  {LUA_IOLIBNAME, luaopen_io},
                                  {LUA_OSLIBNAME, luaopen_os}};
    for (const luaL_Reg& library : libraries) {
        lua_pushcfunction(L, library.func);
        lua_pushstring(L, library.name);
        lua_call(L, 1, 0);
    }
}

// os.exit of a script ends the game as closing its window does, by posting
// the quit message: the frame still ends and everything is torn down in
// order, where the C library's exit would stop the game mid-frame with its
// files half written.
int PostQuitFromScript(lua_State* L)
{
    platform::PostQuit(static_cast<int>(luaL_optinteger(L, 1, 0)));
    return 0;
}

// StepOnCommands(object, onCommands): anything but a script object the
// scripts made changes nothing and is logged.
int StepOnCommands(lua_State* L)
{
    auto* object = LuaToObjectAs<CPLuaScriptObject>(L, 1);
    if (!object) {
        LogLine("StepOnCommands: argument 1 is no script object the scripts made; nothing changes");
        return 0;
    }
    object->SetStepsOnCommandsOnly(lua_toboolean(L, 2) != 0);
    return 0;
}

void ReplaceExit(lua_State* L)
{
    lua_getglobal(L, "os");
    if (lua_istable(L, -1)) {
        lua_pushcfunction(L, PostQuitFromScript);
        lua_setfield(L, -2, "exit");
    }
    lua_pop(L, 1);
}

} // namespace

CPScriptHost::CPScriptHost() : m_state(luaL_newstate())
{
    lua_atpanic(m_state, OnPanic);
    OpenScriptLibraries(m_state);
    stepbudget::Install(m_state);
    ReplaceExit(m_state);
    lua_pushlightuserdata(m_state, const_cast<char*>(&kHostKey));
    lua_pushlightuserdata(m_state, this);
    lua_settable(m_state, LUA_REGISTRYINDEX);
    RegisterScriptTables(m_state);
    lua_pushlightuserdata(m_state, this);
    lua_pushcclosure(m_state, CreateScriptObject, 1);
    lua_setglobal(m_state, "CreateScriptObject");
    lua_pushcfunction(m_state, StepOnCommands);
    lua_setglobal(m_state, "StepOnCommands");
    lua_pushcfunction(m_state, bind::NearestInSights);
    lua_setglobal(m_state, "NearestInSights");
    lua_pushcfunction(m_state, bind::SetTimeText);
    lua_setglobal(m_state, "SetTimeText");
}

CPScriptHost::~CPScriptHost()
{
    // The screens and trees report to script objects, so they go first.
    for (CPObject* object : m_objects)
        delete object;
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
        m_lastError = "it cannot be read";
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
        m_lastError = "it cannot be read";
        LogLine(std::string("No start script ") + kStartScript + ": nothing is scripted");
        return false;
    }
    return Run(reinterpret_cast<const char*>(reader.GetData()), reader.GetDataSize(),
               std::string("@") + kStartScript);
}

bool CPScriptHost::Run(const char* data, std::size_t size, const std::string& chunkName)
{
    int status = luaL_loadbuffer(m_state, data, size, chunkName.c_str());
    stepbudget::Renew(m_state);
    if (status == 0)
        status = lua_pcall(m_state, 0, 0, 0);
    if (status == 0)
        return true;
    const char* message = lua_tostring(m_state, -1);
    m_lastError = message ? message : "unknown error";
    LogLine("Script error: " + m_lastError);
    lua_pop(m_state, 1);
    return false;
}

int CPScriptHost::CreateScriptObject(lua_State* L)
{
    LuaTextArg name = LuaCheckText(L, 1);
    luaL_checktype(L, 3, LUA_TFUNCTION);
    std::string category = LuaToText(L, 2);
    const bool onCommands = lua_toboolean(L, 4) != 0;
    auto* host = static_cast<CPScriptHost*>(lua_touserdata(L, lua_upvalueindex(1)));

    lua_pushvalue(L, 3);
    const int functionRef = luaL_ref(L, LUA_REGISTRYINDEX);
    // The object steps on the main state: a coroutine that made it may be
    // gone by the next frame.
    auto* object = new CPLuaScriptObject(host->m_state, name.Str(), functionRef);
    object->SetStepsOnCommandsOnly(onCommands);
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

void CPScriptHost::AdoptObject(CPObject* object)
{
    if (object)
        m_objects.push_back(object);
}

void CPScriptHost::AdoptTree(CPGameObject* root)
{
    if (root)
        m_trees.push_back(root);
}
