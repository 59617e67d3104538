#include "script/ActionBindings.h"

#include <string>
#include <vector>

#include "interface/InputManager.h"
#include "script/ScriptArgs.h"

namespace bind {

namespace {

void SetEntry(lua_State* L, int table, int index, const std::string& text)
{
    lua_pushnumber(L, index);
    lua_pushlstring(L, text.data(), text.size());
    lua_settable(L, table);
}

// Fills the two tables at the given stack places from the manager's
// bindings, in the order of the action names. A name without a record
// reads as an unbound action.
void FillActionTables(lua_State* L, const CPInputManager& manager, int keyTable, int actionTable)
{
    const CPInputManager::ActionMap& map = manager.GetActionMap();
    const CPAction unbound;
    int index = 1;
    for (const std::string& name : manager.GetActionNames()) {
        auto found = map.find(name);
        const CPAction& action = found != map.end() ? found->second : unbound;
        SetEntry(L, keyTable, index, action.keyText);
        SetEntry(L, actionTable, index, action.actionText);
        ++index;
    }
}

} // namespace

int GetActionNames(lua_State* L)
{
    // The results are the only values on the stack, whatever was passed.
    lua_settop(L, 0);
    const CPInputManager* manager = GetInputManager();
    const std::size_t count = manager ? manager->GetActionNames().size() : 0;
    lua_pushnumber(L, static_cast<lua_Number>(count));
    lua_newtable(L);
    lua_newtable(L);
    if (manager)
        FillActionTables(L, *manager, 2, 3);
    return 3;
}

int SetAction(lua_State* L)
{
    CPInputManager* manager = GetInputManager();
    if (manager)
        manager->SetAction(LuaToText(L, 1), LuaToText(L, 2), lua_toboolean(L, 3) != 0);
    return 0;
}

int SaveActions(lua_State*)
{
    if (CPInputManager* manager = GetInputManager())
        manager->WriteActions();
    return 0;
}

int UpdateActions(lua_State*)
{
    if (CPInputManager* manager = GetInputManager())
        manager->SaveAndReloadActions();
    return 0;
}

int LoadActions(lua_State* L)
{
    CPInputManager* manager = GetInputManager();
    if (manager)
        manager->ParseActionsConfig(LuaToText(L, 1));
    return 0;
}

int SetAssignKey(lua_State*)
{
    if (CPInputManager* manager = GetInputManager())
        manager->SetAssignKey(true);
    return 0;
}

int SaveLog(lua_State* L)
{
    LuaToText(L, 1);
    return 0;
}

} // namespace bind
