#include <string>

#include "Render/AnimationRequest.h"
#include "Render/PerspectiveCamera.h"
#include "core/GameObject.h"
#include "core/Log.h"
#include "core/Singletons.h"
#include "game/Camera.h"
#include "game/Level.h"
#include "physics/PhysicData.h"
#include "physics/RigidBody.h"
#include "platform/Math.h"
#include "script/LevelBindings.h"
#include "script/ScriptArgs.h"

namespace bind {

namespace {

PhRigidBody* RigidBodyOf(const CPGameObject* object)
{
    const CPPhysicData* data = object ? object->GetPhysicData() : nullptr;
    return data ? data->GetRigidBody() : nullptr;
}

} // namespace

int FindObject(lua_State* L)
{
    const std::string name = LuaCheckText(L, 2).Str();
    const auto* root = LuaToObjectAs<CPGameObject>(L, 1);
    LuaPushObject(L, root ? root->FindObjectInTree(name).Get() : nullptr);
    return 1;
}

int SetObjectVisible(lua_State* L)
{
    if (auto* object = LuaToObjectAs<CPGameObject>(L, 1))
        object->SetVisible(lua_toboolean(L, 2) != 0);
    return 0;
}

int StartAnimation(lua_State* L)
{
    auto* object = LuaToObjectAs<CPGameObject>(L, 1);
    if (!object)
        return 0;
    CPAnimationRequest request;
    request.name = LuaToText(L, 2);
    request.speed = 1.0f;
    request.loopLimit = LuaToInt(L, 3);
    request.listener = CPObjectPtr(LuaToObject(L, 4));
    request.reportFrame = -1;
    request.delay = 0.0f;
    object->StartAnimation(request, false);
    return 0;
}

int IsRigid(lua_State* L)
{
    lua_pushboolean(L, RigidBodyOf(LuaToObjectAs<CPGameObject>(L, 1)) != nullptr);
    return 1;
}

int Jump(lua_State* L)
{
    const auto* object = LuaToObjectAs<CPGameObject>(L, 1);
    PhRigidBody* body = RigidBodyOf(object);
    if (!body)
        return 0;
    const Vector3 impulse{LuaToFloat(L, 2), LuaToFloat(L, 3), LuaToFloat(L, 4)};
    const Vector3& at = object->GetPosition();
    if (!IsFinite(impulse) || !IsFinite(at)) {
        LogLine("Jump: the impulse on \"" + object->GetName() + "\" is not a number; nothing is pushed");
        return 0;
    }
    body->ApplyImpulse(Vector4{impulse.x, impulse.y, impulse.z, 0.0f}, Vector4{at.x, at.y, at.z, 1.0f});
    return 0;
}

int CheckVisible(lua_State* L)
{
    const auto* object = LuaToObjectAs<CPGameObject>(L, 1);
    const CPLevel* level = GetCurrentLevel();
    const auto* camera = level ? level->GetCamera().As<CPCamera>() : nullptr;
    const CPPerspectiveCamera* view = camera ? camera->GetMainCamera() : nullptr;
    bool visible = false;
    if (object && view) {
        const AxisBox& box = object->GetOwnBox();
        visible = view->IsBoxVisible(box.minimum, box.maximum);
    }
    lua_pushboolean(L, visible);
    return 1;
}

} // namespace bind
