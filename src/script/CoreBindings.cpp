#include "script/CoreBindings.h"

#include <string>
#include <vector>

#include "Render/AnimationRequest.h"
#include "Render/PRender.h"
#include "Render/RenderList.h"
#include "Render/RenderObjectLoader.h"
#include "Sound/PMusic.h"
#include "core/GameClock.h"
#include "core/GameObject.h"
#include "core/Kernel.h"
#include "core/Log.h"
#include "core/ObjectHandle.h"
#include "core/ObjectRegistry.h"
#include "core/ScriptObject.h"
#include "core/Singletons.h"
#include "core/Tokenizer.h"
#include "physics/PhysicData.h"
#include "platform/MatrixMath.h"
#include "script/GlobalTimer.h"
#include "script/LuaScriptObject.h"
#include "script/ScriptArgs.h"
#include "script/ScriptHost.h"

namespace bind {

namespace {

// Cuts the text and pushes the tokens; -1 when the stack cannot hold them
// (the caller raises the error once the tokenizer is gone).
int PushTokens(lua_State* L, const std::string& text, const std::string& separator)
{
    CPTokenizer tokenizer(text, separator, true);
    std::string token;
    int count = 0;
    while (tokenizer.NextToken(token)) {
        if (!lua_checkstack(L, 1)) {
            lua_pop(L, count);
            return -1;
        }
        lua_pushlstring(L, token.data(), token.size());
        ++count;
    }
    return count;
}

CPGameObject* FindInSubtree(CPGameObject* root, const std::string& name)
{
    std::vector<CPObjectPtr> objects;
    root->CollectObjects(objects);
    for (const CPObjectPtr& object : objects) {
        auto* gameObject = object.As<CPGameObject>();
        if (gameObject && gameObject->GetName() == name)
            return gameObject;
    }
    return nullptr;
}

} // namespace

int GetDeltaTime(lua_State* L)
{
    lua_pushnumber(L, GetFrameTime());
    return 1;
}

int AddRef(lua_State* L)
{
    if (CPObject* object = LuaToObject(L, 1))
        object->AddRef();
    return 0;
}

int DumpObjects(lua_State*) { return 0; }

int Release(lua_State* L)
{
    if (CPObject* object = LuaToObject(L, 1))
        object->Release();
    return 0;
}

int SendCommandByName(lua_State* L)
{
    LuaTextArg name = LuaCheckText(L, 1);
    LuaTextArg command = LuaCheckText(L, 2);
    LuaTextArg params = LuaCheckText(L, 3);
    if (CPObjectRegistry* registry = GetObjectRegistry())
        registry->SendCommandByName(name.Str(), command.Str(), params.Str());
    return 0;
}

int SendCommandByObject(lua_State* L)
{
    LuaTextArg command = LuaCheckText(L, 2);
    LuaTextArg params = LuaCheckText(L, 3);
    auto* object = LuaToObjectAs<CPGameObject>(L, 1);
    CPObjectRegistry* registry = GetObjectRegistry();
    if (!object || !registry)
        return 0;
    CPObjectPtr receiver = object->GetOwnerObject();
    if (receiver)
        registry->SendCommandByObject(receiver, command.Str(), params.Str());
    return 0;
}

int SendCommandByCategory(lua_State* L)
{
    LuaTextArg category = LuaCheckText(L, 1);
    LuaTextArg command = LuaCheckText(L, 2);
    LuaTextArg params = LuaCheckText(L, 3);
    if (CPObjectRegistry* registry = GetObjectRegistry())
        registry->SendCommandByCategory(category.Str(), command.Str(), params.Str());
    return 0;
}

int SetNextCommand(lua_State* L)
{
    auto* script = CPLuaScriptObject::ToScriptObject(L, 1);
    lua_pushboolean(L, script && script->SetNextCommand());
    return 1;
}

int GetCurrentCommand(lua_State* L)
{
    auto* script = CPLuaScriptObject::ToScriptObject(L, 1);
    const CPCommand* command = script ? script->GetCurrentCommand() : nullptr;
    if (!command)
        return 0;
    lua_pushlstring(L, command->GetName().data(), command->GetName().size());
    return 1;
}

int GetCurrentParams(lua_State* L)
{
    auto* script = CPLuaScriptObject::ToScriptObject(L, 1);
    const std::vector<std::string>* params = script ? script->GetCurrentParams() : nullptr;
    if (!params || params->empty())
        return 0;
    const int count = static_cast<int>(params->size());
    luaL_checkstack(L, count, "too many command parameters");
    for (const std::string& param : *params)
        lua_pushlstring(L, param.data(), param.size());
    return count;
}

int PointerToString(lua_State* L)
{
    std::string text = FormatObjectHandle(LuaToObject(L, 1));
    lua_pushlstring(L, text.data(), text.size());
    return 1;
}

int StringToPointer(lua_State* L)
{
    LuaTextArg text = LuaCheckText(L, 1);
    LuaPushObject(L, static_cast<CPObject*>(ParseObjectHandle(text.Str())));
    return 1;
}

int SetPTransformation(lua_State* L)
{
    auto* object = LuaToObjectAs<CPGameObject>(L, 1);
    if (!object)
        return 0;
    const float x = LuaToFloat(L, 2);
    const float y = LuaToFloat(L, 3);
    const float z = LuaToFloat(L, 4);
    const Matrix4 rotation = RotationMatrixYawPitchRoll(LuaToFloat(L, 5), LuaToFloat(L, 6), LuaToFloat(L, 7));
    object->SetParentMatrix(rotation * TranslationMatrix(x, y, z));
    object->UpdateBounds();
    return 0;
}

int CheckString(lua_State* L)
{
    // The check turns a number into its text in place. Nothing is pushed:
    // the caller gets the value on top of the stack, its last argument.
    LuaCheckText(L, 1);
    return 1;
}

int GetChildObject(lua_State* L)
{
    LuaTextArg name = LuaCheckText(L, 2);
    auto* object = LuaToObjectAs<CPGameObject>(L, 1);
    LuaPushObject(L, object ? FindInSubtree(object, name.Str()) : nullptr);
    return 1;
}

int SetVisible(lua_State* L)
{
    if (auto* object = LuaToObjectAs<CPGameObject>(L, 1))
        object->SetVisible(lua_toboolean(L, 2) != 0);
    return 0;
}

int SetCollision(lua_State* L)
{
    auto* object = LuaToObjectAs<CPGameObject>(L, 1);
    CPPhysicData* physics = object ? object->GetPhysicData() : nullptr;
    if (physics)
        physics->SetCollisionFlag(lua_toboolean(L, 2) != 0);
    return 0;
}

int SplitString(lua_State* L)
{
    LuaTextArg text = LuaCheckText(L, 1);
    LuaTextArg separator = LuaCheckText(L, 2);
    const int count = PushTokens(L, text.Str(), separator.Str());
    if (count < 0)
        return luaL_error(L, "SplitString: too many tokens");
    return count;
}

int LoadRenderObject(lua_State* L)
{
    LuaTextArg name = LuaCheckText(L, 1);
    const std::int32_t option = TruncateToInt(luaL_checknumber(L, 2));
    CPRenderObjectLoader* loader = GetRenderObjectLoader();
    CPScriptHost* host = CPScriptHost::FromState(L);
    CPGameObject* root = nullptr;
    if (loader && host) {
        CPObjectPtr loaded = loader->LoadRenderObject(name.Str(), option);
        root = loaded.As<CPGameObject>();
        if (loaded && !root) {
            // Only game objects can be handed to the scripts.
            LogLine("LoadRenderObject: " + name.Str() + " is no scene object");
            CPObject* other = loaded.Get();
            loaded = CPObjectPtr();
            delete other;
        }
    }
    if (root) {
        host->AdoptTree(root);
        root->AddRef(); // the script's reference
    }
    LuaPushObject(L, root);
    return 1;
}

int DrawDynamicObject(lua_State* L)
{
    // Every object given is drawn, in their order, with the scene looked up
    // once: the race draws the bonuses lying on the track in one call.
    CPRender* render = GetRender();
    CPObjectPtr scene;
    CPRenderList* list = nullptr;
    const int count = lua_gettop(L);
    for (int index = 1; index <= count; ++index) {
        auto* object = LuaToObjectAs<CPGameObject>(L, index);
        if (!object || !render)
            continue;
        if (!list) {
            render->GetSceneObject(scene);
            list = scene.As<CPRenderList>();
            if (!list)
                return 0;
        }
        list->AddObjectTree(CPObjectPtr(object));
    }
    return 0;
}

int SetAnimation(lua_State* L)
{
    auto* object = LuaToObjectAs<CPGameObject>(L, 1);
    if (!object)
        return 0;
    CPAnimationRequest request;
    request.name = LuaToText(L, 2);
    // Arguments left out keep the request's defaults.
    if (!lua_isnoneornil(L, 3))
        request.speed = LuaToFloat(L, 3);
    if (!lua_isnoneornil(L, 4))
        request.loopLimit = LuaToInt(L, 4);
    if (!lua_isnoneornil(L, 5))
        request.reportFrame = LuaToInt(L, 5);
    request.listener = CPObjectPtr(LuaToObject(L, 6));
    object->StartAnimation(request, false);
    return 0;
}

int GetParentObject(lua_State* L)
{
    auto* object = LuaToObjectAs<CPGameObject>(L, 1);
    LuaPushObject(L, object ? object->GetParentObject() : nullptr);
    return 1;
}

int ActivateObject(lua_State* L)
{
    if (auto* object = LuaToObjectAs<CPGameObject>(L, 1))
        object->Activate(LuaToInt(L, 2));
    return 0;
}

int DeactivateObject(lua_State* L)
{
    if (auto* object = LuaToObjectAs<CPGameObject>(L, 1))
        object->Deactivate();
    return 0;
}

int SetFade(lua_State* L)
{
    if (CPRender* render = GetRender())
        render->SetFade(LuaToFloat(L, 1));
    return 0;
}

int KillAllTasks(lua_State*)
{
    if (CPKernel* kernel = GetKernel())
        kernel->KillAllTasks();
    return 0;
}

int ToInt(lua_State* L)
{
    lua_pushnumber(L, LuaToInt(L, 1));
    return 1;
}

int PlayMusic(lua_State* L)
{
    if (CPMusic* music = GetMusicPlayer())
        music->Play(LuaToText(L, 1), true);
    return 0;
}

int StopPlayingMusic(lua_State*)
{
    if (CPMusic* music = GetMusicPlayer())
        music->End();
    return 0;
}

int StartGlobalTimer(lua_State*)
{
    CPKernel* kernel = GetKernel();
    CPGlobalTimer* timer = GetGlobalTimer();
    if (!kernel || !timer)
        return 0;
    CPObjectPtr task(timer);
    kernel->AddTask(task);
    return 0;
}

int StopGlobalTimer(lua_State*)
{
    if (CPGlobalTimer* timer = GetGlobalTimer())
        timer->End();
    SetFrameTime(0.0f);
    return 0;
}

int StopScript(lua_State* L)
{
    if (auto* task = LuaToObjectAs<CPTask>(L, 1))
        task->SetKilled(true);
    return 0;
}

int ClearTimer(lua_State*)
{
    SetFrameTime(0.0f);
    return 0;
}

int DoNothing(lua_State*) { return 0; }

} // namespace bind
