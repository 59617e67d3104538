#include "script/CameraBindings.h"

#include <cmath>

#include "Render/PRender.h"
#include "Render/PerspectiveCamera.h"
#include "core/GameSettings.h"
#include "core/Singletons.h"
#include "core/StringUtils.h"
#include "game/Camera.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/Spline.h"
#include "interface/LensFlareInterface.h"
#include "platform/Light.h"
#include "platform/QuaternionMath.h"
#include "platform/Random.h"
#include "platform/VectorMath.h"
#include "script/ScriptArgs.h"
#include "script/ScriptHost.h"

namespace bind {

namespace {

constexpr float kHalfPi = 1.5707964f;
constexpr float kPi = 3.1415927f;
constexpr float kDegreesToRadians = 0.017453292f;
constexpr int kModeCount = 3;
// Indices of the presets in the level's preset arrays.
constexpr std::size_t kPresetCamera2 = 0;
constexpr std::size_t kPresetCamera = 1;
constexpr std::size_t kPresetCamera3 = 2;
constexpr float kModeSoundVolume[kModeCount] = {0.3f, 0.35f, 0.4f};

CPCamera* LevelCamera(const CPLevel& level) { return level.GetCamera().As<CPCamera>(); }
CPPlayer* LevelPlayer(const CPLevel& level) { return dynamic_cast<CPPlayer*>(level.GetPlayer()); }

// The car's heading: the angle of its forward direction about z.
float Heading(const CPGameObject& car)
{
    const Vector3 forward = Rotate(Vector3{0.0f, -1.0f, 0.0f}, car.GetRotation());
    const auto angle = static_cast<float>(ClampedAcos(forward.x));
    return forward.y < 0.0f ? -angle : angle;
}

// Makes the mode the camera's: chase distance and height, the blur centre,
// the turn towards the player car and its sound volume.
void ApplyCameraMode(CPLevel& level, int mode)
{
    CPPlayer* player = LevelPlayer(level);
    CPCamera* camera = LevelCamera(level);
    level.cameraTarget = player;
    const bool second = mode == 1;
    const std::size_t preset = second ? kPresetCamera2 : kPresetCamera;
    level.view.cameraDistance = level.view.presetDistance[preset];
    level.view.cameraHeight = level.view.presetHeight[preset];
    level.view.angleDivisor = level.view.presetAngleDivisor[second ? 0 : 1];
    level.view.distanceDivisor = level.view.presetDistanceDivisor[second ? 0 : 1];
    level.view.currentAngle = second ? level.view.camera2Angle : level.view.camera1Angle;
    if (camera)
        camera->behindView = mode == 2;

    const std::size_t blurPreset[kModeCount] = {kPresetCamera, kPresetCamera2, kPresetCamera3};
    if (CPRender* render = GetRender())
        render->SetRadialBlurCenter(level.view.presetBlur[blurPreset[mode]]);

    if (camera && player && mode != 2) {
        camera->yaw = Heading(*player);
        camera->changed = true;
    }
    if (player)
        player->SetCarSoundVolume(GetGameSettings().soundVolume * kModeSoundVolume[mode]);
}

// The point the camera looks at: placed in behind view, followed otherwise.
Vector3 LookPoint(const CPCamera& camera)
{
    return camera.behindView ? camera.placedTarget : camera.followPoint;
}

CPSpline* LevelSpline(const CPLevel* level) { return level ? level->GetPathSpline() : nullptr; }

// Steps along the ring: forward (to the next line) for a positive count,
// backward otherwise. A count larger than the ring goes round it once at
// most; a broken link ends the walk where it is.
CPLine* StepLines(const CPSpline& spline, CPLine* line, std::int64_t steps)
{
    const auto ring = static_cast<std::int64_t>(spline.GetRingSize());
    if (ring > 0)
        steps %= ring;
    for (; line && steps > 0; --steps)
        line = line->next ? line->next : line;
    for (; line && steps < 0; ++steps)
        line = line->previous ? line->previous : line;
    return line;
}

bool IsLineOf(const CPSpline& spline, const CPLine* line)
{
    for (const auto& own : spline.GetLines())
        if (own.get() == line)
            return true;
    return false;
}

float WrapAngle(float angle)
{
    constexpr float kTurn = 6.2831855f;
    if (!std::isfinite(angle))
        return 0.0f;
    angle = std::fmod(angle, kTurn);
    return angle < 0.0f ? angle + kTurn : angle;
}

int PushVector(lua_State* L, const Vector3& v)
{
    lua_pushnumber(L, v.x);
    lua_pushnumber(L, v.y);
    lua_pushnumber(L, v.z);
    return 3;
}

int PushColour(lua_State* L, const ColorValue& c)
{
    lua_pushnumber(L, c.r);
    lua_pushnumber(L, c.g);
    lua_pushnumber(L, c.b);
    lua_pushnumber(L, c.a);
    return 4;
}

ColorValue ColourArgs(lua_State* L, int first)
{
    return ColorValue{LuaToFloat(L, first), LuaToFloat(L, first + 1), LuaToFloat(L, first + 2),
                      LuaToFloat(L, first + 3)};
}

} // namespace

int SetCameraPos(lua_State* L)
{
    const Vector3 point{LuaToFloat(L, 1), LuaToFloat(L, 2), LuaToFloat(L, 3)};
    CPLevel* level = GetCurrentLevel();
    if (CPCamera* camera = level ? LevelCamera(*level) : nullptr) {
        camera->followPoint = point;
        camera->changed = true;
    }
    return 0;
}

int SetCameraZAngle(lua_State* L)
{
    const float angle = LuaToFloat(L, 1);
    CPLevel* level = GetCurrentLevel();
    if (CPCamera* camera = level ? LevelCamera(*level) : nullptr) {
        camera->yaw = angle;
        camera->changed = true;
    }
    return 0;
}

int GetCameraZAngle(lua_State* L)
{
    CPLevel* level = GetCurrentLevel();
    CPCamera* camera = level ? LevelCamera(*level) : nullptr;
    if (!camera)
        return 0;
    lua_pushnumber(L, camera->yaw);
    return 1;
}

int GetCameraPositions(lua_State* L)
{
    CPLevel* level = GetCurrentLevel();
    CPCamera* camera = level ? LevelCamera(*level) : nullptr;
    if (!camera || !camera->GetMainCamera())
        return 0;
    PushVector(L, camera->GetMainCamera()->Eye());
    return 3 + PushVector(L, LookPoint(*camera));
}

int SetFOV(lua_State* L)
{
    const float degrees = LuaToFloat(L, 1);
    CPLevel* level = GetCurrentLevel();
    CPCamera* camera = level ? LevelCamera(*level) : nullptr;
    if (!camera)
        return 0;
    camera->targetFov = degrees;
    camera->changed = true;
    if (camera->fov != 0.0f)
        return 0;
    camera->fov = degrees;
    for (CPPerspectiveCamera* view : {camera->GetMainCamera(), camera->GetFarCamera()}) {
        if (!view)
            continue;
        view->FieldOfView() = degrees * kDegreesToRadians;
        view->SetProjectionChanged();
    }
    return 0;
}

int SetCamera(lua_State* L)
{
    const std::int32_t view = lua_toboolean(L, 1) ? 1 : 0;
    CPLevel* level = GetCurrentLevel();
    if (!level || view == level->view.cameraView)
        return 0;
    level->view.cameraView = view;
    level->view.viewTimer = 0.0f;
    level->view.orbitDirection = platform::Rand() % 2 == 0 ? -1.0f : 1.0f;
    CPCamera* camera = LevelCamera(*level);
    if (!camera)
        return 0;
    if (view == 0)
        camera->yaw = level->view.referenceHeading;
    camera->pitch = (platform::Rand() & 3) != 0 ? -kHalfPi : -0.2617994f;
    camera->changed = true;
    return 0;
}

int ChangeGameCamera(lua_State* L)
{
    CPLevel* level = GetCurrentLevel();
    if (!level) {
        lua_pushnumber(L, -1);
        return 1;
    }
    const int current = level->view.cameraPreset;
    const int mode = current >= 0 && current < kModeCount ? (current + 1) % kModeCount : 0;
    level->view.cameraPreset = mode;
    ApplyCameraMode(*level, mode);
    lua_pushnumber(L, mode);
    return 1;
}

int SetCameraPlayer(lua_State* L)
{
    const int mode = lua_toboolean(L, 1) ? 1 : 0;
    if (CPLevel* level = GetCurrentLevel()) {
        level->view.cameraPreset = mode;
        ApplyCameraMode(*level, mode);
    }
    return 0;
}

int GetCameraPlayer(lua_State* L)
{
    const CPLevel* level = GetCurrentLevel();
    if (!level)
        return 0;
    lua_pushnumber(L, level->view.cameraPreset);
    return 1;
}

int SetLensFlare(lua_State* L)
{
    const Vector3 sun{LuaToFloat(L, 1) * 10.0f, LuaToFloat(L, 2) * 10.0f, LuaToFloat(L, 3) * 10.0f};
    CPLevel* level = GetCurrentLevel();
    if (!level)
        return 0;
    auto* flare = new CPLensFlareInterface();
    level->SetLensFlare(CPObjectPtr(flare));
    level->view.sunPoint = sun;
    flare->Load("lensflare2", 198);
    return 0;
}

int GetLight(lua_State* L)
{
    CPLevel* level = GetCurrentLevel();
    if (!level)
        return 0;
    const platform::Light& light = level->GetSunLight();
    PushColour(L, light.diffuse);
    PushColour(L, light.specular);
    PushColour(L, light.ambient);
    PushVector(L, light.direction);
    return 15;
}

int SetLight(lua_State* L)
{
    CPLevel* level = GetCurrentLevel();
    if (!level)
        return 0;
    platform::Light& light = level->GetSunLight();
    light.diffuse = ColourArgs(L, 1);
    light.specular = ColourArgs(L, 5);
    light.ambient = ColourArgs(L, 9);
    light.direction = Vector3{LuaToFloat(L, 13), LuaToFloat(L, 14), LuaToFloat(L, 15)};
    return 0;
}

int IsPlayerMoveForward(lua_State* L)
{
    CPLevel* level = GetCurrentLevel();
    CPCamera* camera = level ? LevelCamera(*level) : nullptr;
    CPPlayer* player = level ? LevelPlayer(*level) : nullptr;
    if (!camera || !player || !camera->GetMainCamera())
        return 0;
    const Vector3 look = Normalize(LookPoint(*camera) - camera->GetMainCamera()->Eye());
    const Vector4 velocity = player->GetCarVelocity();
    const Vector3 motion = Normalize(Vector3{velocity.x, velocity.y, velocity.z});
    const auto angle = static_cast<float>(ClampedAcos(Dot(look, motion)));
    lua_pushboolean(L, angle + kHalfPi <= kPi);
    return 1;
}

int IsPlayerMovingBackwards(lua_State* L)
{
    const CPLevel* level = GetCurrentLevel();
    lua_pushboolean(L, level && level->IsMovingBackwards());
    return 1;
}

int GetPlayerSplineAngle(lua_State* L)
{
    // The line the search last ended on, the scripts' own.
    CPScriptHost::SplineSearch unhosted;
    CPScriptHost* host = CPScriptHost::FromState(L);
    CPScriptHost::SplineSearch& search = host ? host->GetSplineSearch() : unhosted;
    CPLine*& current = search.line;
    const bool reset = lua_gettop(L) >= 1 && lua_toboolean(L, 1);
    CPLevel* level = GetCurrentLevel();
    CPSpline* spline = LevelSpline(level);
    CPGameObject* player = level ? level->GetPlayer() : nullptr;
    if (!spline || !player)
        return 0;
    // A line of a level that is gone is never followed: the search starts
    // again from the spline's own current line.
    if (!search.taken || reset || !IsLineOf(*spline, current))
        current = spline->GetCurrentLine();
    search.taken = true;
    float range = 20.0f;
    const float angle = spline->FindClosestSegment(player->GetPosition(), range, 0, current, -1);
    lua_pushnumber(L, level->view.referenceHeading);
    lua_pushnumber(L, WrapAngle(angle));
    return 2;
}

int GetSplineLineCount(lua_State* L)
{
    lua_pushnumber(L, 1);
    return 1;
}

int GetSplineLinePoint(lua_State* L)
{
    const double steps = lua_tonumber(L, 1);
    CPSpline* spline = LevelSpline(GetCurrentLevel());
    if (!spline || !spline->GetFirstLine())
        return 0;
    const auto count =
        std::isfinite(steps) ? static_cast<std::int64_t>(std::fmod(std::trunc(steps), 1e15)) : 0;
    return PushVector(L, StepLines(*spline, spline->GetFirstLine(), count)->centre);
}

int GetClosestLineCenter(lua_State* L)
{
    const Vector3 point{LuaToFloat(L, 1), LuaToFloat(L, 2), 0.0f};
    const std::int32_t offset = LuaToInt(L, 4);
    CPSpline* spline = LevelSpline(GetCurrentLevel());
    CPLine* first = spline ? spline->GetFirstLine() : nullptr;
    if (!first)
        return 0;
    // Once round the ring at most, even if its links do not close on the
    // first line.
    std::size_t left = spline->GetLines().size();
    CPLine* line = first->next;
    for (; line && line != first && left > 0; line = line->next, --left) {
        const float dx = line->centre.x - point.x;
        const float dy = line->centre.y - point.y;
        if (dx * dx + dy * dy < 400.0f)
            break;
    }
    if (!line || line == first || left == 0)
        return 0;
    line = StepLines(*spline, line, -static_cast<std::int64_t>(offset));
    float range = 20.0f;
    CPLine* searched = line;
    const float angle = spline->FindClosestSegment(point, range, 0, searched, -1);
    lua_pushnumber(L, line->centre.x);
    lua_pushnumber(L, line->centre.y);
    lua_pushnumber(L, 0.5);
    lua_pushnumber(L, angle - kHalfPi);
    return 4;
}

} // namespace bind
