#include <cmath>
#include <cstdint>

#include "Render/PRender.h"
#include "core/GameSettings.h"
#include "core/Log.h"
#include "physics/PhysicData.h"
#include "physics/RigidBody.h"
#include "script/CarBindings.h"
#include "script/CarBindingsSupport.h"
#include "script/ScriptHost.h"

// Placement, box and speed of any game object, and the renderer values the
// race scripts set.
namespace bind {

namespace {

constexpr std::uint32_t kDebugLineColour = 0xFFFF0000; // opaque red

CPGameObject* ObjectArg(lua_State* L) { return LuaToObjectAs<CPGameObject>(L, 1); }

} // namespace

int SetPosition(lua_State* L)
{
    if (CPGameObject* object = ObjectArg(L)) {
        object->SetPosition(VectorArgs(L, 2));
        object->UpdateBounds();
    }
    return 0;
}

int GetPosition(lua_State* L)
{
    const CPGameObject* object = ObjectArg(L);
    return PushVector3(L, object ? object->GetPosition() : Vector3{});
}

int NearestInSights(lua_State* L)
{
    const lua_Number x = lua_tonumber(L, 1);
    const lua_Number y = lua_tonumber(L, 2);
    const lua_Number dx = lua_tonumber(L, 3);
    const lua_Number dy = lua_tonumber(L, 4);
    lua_Number best = lua_tonumber(L, 5);
    const lua_Number sights = lua_tonumber(L, 6);
    if (!lua_istable(L, 7)) {
        LogLine("NearestInSights: argument 7 is not a list of cars; no car is picked");
        return 0;
    }
    const std::int32_t count = LuaToInt(L, 8);
    lua_settop(L, 7);
    // The search in the order and the double arithmetic of the script's own
    // loop: a target behind, or more than twice the best distance away, is
    // out whatever its exact distance, which is then not worked out.
    lua_Number far = 4 * best * best;
    int found = 0;
    Vector3 at{};
    for (std::int32_t slot = 1; slot <= count; ++slot) {
        lua_rawgeti(L, 7, slot);
        if (!lua_toboolean(L, -1)) {
            lua_pop(L, 1);
            continue;
        }
        const CPGameObject* object = LuaToObjectAs<CPGameObject>(L, -1);
        const Vector3 position = object ? object->GetPosition() : Vector3{};
        const lua_Number ox = static_cast<lua_Number>(position.x) - x;
        const lua_Number oy = static_cast<lua_Number>(position.y) - y;
        const lua_Number along = ox * dx + oy * dy;
        if (along > 0) {
            const lua_Number square = ox * ox + oy * oy;
            if (square < far) {
                const lua_Number distance = std::sqrt(square);
                if (distance > 0 && distance < best && along / distance >= sights) {
                    best = distance;
                    far = 4 * best * best;
                    at = position;
                    if (found)
                        lua_remove(L, found);
                    // The pick stays on the stack, just above the arguments.
                    found = lua_gettop(L);
                    continue;
                }
            }
        }
        lua_pop(L, 1);
    }
    if (!found)
        return 0;
    lua_pushnumber(L, best);
    PushVector3(L, at);
    lua_pushvalue(L, found);
    return 5;
}

int SetRotation(lua_State* L)
{
    CPGameObject* object = ObjectArg(L);
    if (!object)
        return 0;
    const Matrix4 turn = RotationMatrixX(LuaToFloat(L, 2)) * RotationMatrixY(LuaToFloat(L, 3)) *
                         RotationMatrixZ(LuaToFloat(L, 4));
    object->SetRotation(QuaternionFromMatrix(turn));
    object->UpdateBounds();
    return 0;
}

int GetBBoxInfo(lua_State* L)
{
    const CPGameObject* object = ObjectArg(L);
    if (!object)
        return 0;
    const AxisBox& box = object->GetOwnBox();
    PushVector3(L, box.centre);
    PushVector3(L, box.minimum);
    PushVector3(L, box.maximum);
    return 9;
}

int GetObjectSpeed(lua_State* L)
{
    const CPGameObject* object = ObjectArg(L);
    const CPPhysicData* data = object ? object->GetPhysicData() : nullptr;
    const PhRigidBody* body = data ? data->GetRigidBody() : nullptr;
    float speed = 0.0f;
    if (body) {
        const Vector4& v = body->GetVelocity();
        const float squared = v.x * v.x + v.y * v.y + v.z * v.z;
        speed = squared < 1e-6f ? 0.0f : std::sqrt(squared);
    }
    lua_pushnumber(L, speed);
    return 1;
}

int Clone(lua_State* L)
{
    CPGameObject* source = ObjectArg(L);
    if (!source) {
        LuaPushObject(L, nullptr);
        return 1;
    }
    // The scripts hold the copy by address only, so it needs an owner: the
    // race's copies go with the level, the others with the script state.
    CPLevel* level = GetCurrentLevel();
    CPScriptHost* host = CPScriptHost::FromState(L);
    if (!level && !host) {
        LogLine("Clone: no level or script host could own the copy");
        LuaPushObject(L, nullptr);
        return 1;
    }
    auto* copy = new CPGameObject(source->GetName());
    copy->Build(CPObjectPtr(source));
    if (level)
        level->AddOwnedObject(CPObjectPtr(copy));
    else
        host->AdoptTree(copy);
    LuaPushObject(L, copy);
    return 1;
}

int DrawLine(lua_State* L)
{
    const Vector3 from = VectorArgs(L, 1);
    const Vector3 to = VectorArgs(L, 4);
    if (CPRender* render = GetRender())
        render->AddDebugLine(kDebugLineColour, from, to);
    return 0;
}

int SetMotionBlur(lua_State* L)
{
    const float amount = LuaToFloat(L, 1);
    if (CPRender* render = GetRender()) {
        render->MotionBlurOn() = amount != 0.0f ? 1 : 0;
        render->MotionBlurAmount() = amount != 0.0f ? amount : 0.0f;
    }
    return 0;
}

int SetLightCoeff(lua_State* L)
{
    const float coefficient = LuaToFloat(L, 1);
    if (CPRender* render = GetRender())
        render->LightCoefficient() = coefficient;
    return 0;
}

int SetRadialBlur(lua_State* L)
{
    const float blur = LuaToFloat(L, 1);
    if (CPRender* render = GetRender())
        render->RadialBlur() = blur;
    return 0;
}

int SetTemp(lua_State* L)
{
    GetGameSettings().temp = LuaToFloat(L, 1);
    return 0;
}

int GetTemp(lua_State* L)
{
    lua_pushnumber(L, GetGameSettings().temp);
    return 1;
}

} // namespace bind
