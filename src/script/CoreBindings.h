#pragma once

#include <lua.hpp>

// The engine core's script functions: object references, commands, the
// object tree, transforms, animations, the fade, tasks and small text and
// number tools. Each is registered under its own name.
namespace bind {

int GetDeltaTime(lua_State* L);
int AddRef(lua_State* L);
int DumpObjects(lua_State* L);
int Release(lua_State* L);
int SendCommandByName(lua_State* L);
int SendCommandByObject(lua_State* L);
int SendCommandByCategory(lua_State* L);
int SetNextCommand(lua_State* L);
int GetCurrentCommand(lua_State* L);
int GetCurrentParams(lua_State* L);
int PointerToString(lua_State* L);
int StringToPointer(lua_State* L);
int SetPTransformation(lua_State* L);
int CheckString(lua_State* L);
int GetChildObject(lua_State* L);
int SetVisible(lua_State* L);
int SetCollision(lua_State* L);
int SplitString(lua_State* L);
// The loaded tree stays with the script host until the state closes.
int LoadRenderObject(lua_State* L);
// Each object given (nil and what is no game object are passed over).
int DrawDynamicObject(lua_State* L);
int SetAnimation(lua_State* L);
int GetParentObject(lua_State* L);
int ActivateObject(lua_State* L);
// Also registered as DeactivateInterface.
int DeactivateObject(lua_State* L);
int SetFade(lua_State* L);
int KillAllTasks(lua_State* L);
int ToInt(lua_State* L);
int PlayMusic(lua_State* L);
// Registered in the game table.
int StopPlayingMusic(lua_State* L);

// Tasks and the clock, registered in the game tables.
int StopScript(lua_State* L);
// The global timer task: added to the kernel, and ended with the frame
// time cleared.
int StartGlobalTimer(lua_State* L);
int StopGlobalTimer(lua_State* L);
// Registered as ClearTimer and ClearGlobalTimer.
int ClearTimer(lua_State* L);
// Registered under the names the scripts call that have nothing to do:
// SetBrightness, DumpAIInfo, CreateArrow and DrawArrow.
int DoNothing(lua_State* L);

} // namespace bind
