#include <cmath>

#include "Render/PerspectiveCamera.h"
#include "core/RayQuery.h"
#include "core/Singletons.h"
#include "game/Camera.h"
#include "game/Level.h"
#include "platform/MatrixMath.h"
#include "platform/VectorMath.h"
#include "script/CameraBindings.h"
#include "script/ScriptArgs.h"

namespace bind {

namespace {

constexpr float kPickRayLength = 100000.0f;
// A direction this close to level reaches the ground millions of units away
// at best; it counts as level.
constexpr float kLevelRay = 1e-6f;

int PushPick(lua_State* L, bool hit, CPObject* object, float x, float y)
{
    lua_pushboolean(L, hit);
    LuaPushObject(L, object);
    lua_pushnumber(L, x);
    lua_pushnumber(L, y);
    lua_pushnumber(L, 0);
    return 5;
}

// The ray from the eye through the screen point; false when the point does
// not map to a direction (a degenerate camera).
bool PickDirection(CPPerspectiveCamera& view, float sx, float sy, Vector3& direction)
{
    const Vector4 clip{2.0f * sx - 1.0f, 1.0f - 2.0f * sy, 1.0f, 1.0f};
    const Vector4 p = TransformHomogeneous(clip, view.GetInverseViewProjection());
    const Vector3& eye = view.Eye();
    if (p.w == 0.0f)
        return false;
    const Vector4 q = Normalize(Vector4{p.x / p.w - eye.x, p.y / p.w - eye.y, p.z / p.w - eye.z, p.w - 1.0f});
    direction = Vector3{q.x, q.y, q.z};
    return IsFinite(direction) && LengthSquared(direction) > 0.0f;
}

} // namespace

int CrossInterfaceRay(lua_State* L)
{
    const float sx = LuaToFloat(L, 1);
    const float sy = LuaToFloat(L, 2);
    CPLevel* level = GetCurrentLevel();
    CPObjectPtr held = level ? level->GetCamera() : CPObjectPtr();
    auto* camera = held.As<CPCamera>();
    CPPerspectiveCamera* view = camera ? camera->GetMainCamera() : nullptr;
    if (!view)
        return PushPick(L, false, nullptr, 0.0f, 0.0f);
    const Vector3 eye = view->Eye();
    Vector3 direction;
    if (!PickDirection(*view, sx, sy, direction))
        return PushPick(L, false, nullptr, eye.x, eye.y);

    RayQuery ray;
    ray.origin = eye;
    ray.direction = direction;
    ray.length = kPickRayLength;
    const bool hit = level->IntersectRayAll(ray);
    // A ray level with the ground (to within rounding) never reaches it:
    // the point below the eye stands in for it.
    float groundX = eye.x;
    float groundY = eye.y;
    if (std::fabs(direction.z) > kLevelRay) {
        groundX = eye.x - direction.x * eye.z / direction.z;
        groundY = eye.y - direction.y * eye.z / direction.z;
    }
    return PushPick(L, hit, hit ? ray.hitObject.Get() : nullptr, groundX, groundY);
}

} // namespace bind
