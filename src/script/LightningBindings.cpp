#include "script/LightningBindings.h"

#include <string>
#include <vector>

#include "Render/PRender.h"
#include "Render/RenderList.h"
#include "core/Log.h"
#include "game/LightningShot.h"
#include "platform/Math.h"
#include "script/ScriptArgs.h"
#include "script/ScriptHost.h"

namespace bind {

namespace {

// The strike the scripts fire: it strikes enemies' cars and sparks where it
// hits.
const std::vector<std::string>& StrikeParameters()
{
    static const std::vector<std::string> params{
        "enemy", "10", "1.5", "1.5", "razlom.dds", "light_nofog.fx", "103", "sparks", "morvath.wav,3d",
    };
    return params;
}

constexpr float kStrikePower = 10.0f;

Vector3 ReadVector(lua_State* L, int first)
{
    return Vector3{LuaToFloat(L, first), LuaToFloat(L, first + 1), LuaToFloat(L, first + 2)};
}

void Draw(CPLightningShot& strike)
{
    CPRender* render = GetRender();
    if (!render)
        return;
    CPObjectPtr scene;
    render->GetSceneObject(scene);
    if (auto* list = scene.As<CPRenderList>())
        list->AddObject(CPObjectPtr(&strike));
}

} // namespace

int StartLighting(lua_State* L)
{
    const std::string name = LuaToText(L, 1);
    const Vector3 from = ReadVector(L, 2);
    const Vector3 along = ReadVector(L, 5);
    // The scripts hold the strike by address only; their host keeps it
    // until the state closes.
    CPScriptHost* host = CPScriptHost::FromState(L);
    if (!host || !IsFinite(from) || !IsFinite(along)) {
        LogLine(
            "StartLighting: " + std::string(host ? "a point is not a number" : "no script host to keep it") +
            "; no strike is made");
        LuaPushObject(L, nullptr);
        return 1;
    }
    auto* strike = new CPLightningShot();
    strike->SetName(name);
    host->AdoptTree(strike);
    strike->Init(StrikeParameters());
    strike->Start(from, along, kStrikePower);
    LuaPushObject(L, strike);
    return 1;
}

int UpdateTrasser(lua_State* L)
{
    auto* strike = LuaToObjectAs<CPLightningShot>(L, 1);
    if (!strike) {
        lua_pushnumber(L, -1);
        return 1;
    }
    const int answer = strike->Advance();
    if (answer == 1)
        Draw(*strike);
    lua_pushnumber(L, answer);
    return 1;
}

} // namespace bind
