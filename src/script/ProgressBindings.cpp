#include "script/ProgressBindings.h"

#include <string>

#include "Render/PRender.h"
#include "core/GameClock.h"
#include "core/GameSettings.h"
#include "core/Singletons.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/Player.h"
#include "script/ScriptArgs.h"

namespace bind {

namespace {

int PushInt(lua_State* L, std::int32_t value)
{
    lua_pushnumber(L, value);
    return 1;
}

int PushBool(lua_State* L, bool value)
{
    lua_pushboolean(L, value ? 1 : 0);
    return 1;
}

void PushText(lua_State* L, const std::string& text) { lua_pushlstring(L, text.data(), text.size()); }

// Stores the argument into a counter of the game data, when there is one.
int SetDataInt(lua_State* L, std::int32_t CPGameData::*field)
{
    const std::int32_t value = LuaToInt(L, 1);
    if (CPGameData* data = GetGameData())
        data->*field = value;
    return 0;
}

int GetDataInt(lua_State* L, std::int32_t CPGameData::*field)
{
    const CPGameData* data = GetGameData();
    return PushInt(L, data ? data->*field : 0);
}

CPPlayer* LevelPlayer(const CPLevel& level) { return dynamic_cast<CPPlayer*>(level.GetPlayer()); }

} // namespace

int GetNumRacesPassed(lua_State* L) { return GetDataInt(L, &CPGameData::racesPassed); }
int SetNumRacesPassed(lua_State* L) { return SetDataInt(L, &CPGameData::racesPassed); }
int GetPoints(lua_State* L) { return GetDataInt(L, &CPGameData::points); }
int SetPoints(lua_State* L) { return SetDataInt(L, &CPGameData::points); }
int SetKills(lua_State* L) { return SetDataInt(L, &CPGameData::kills); }
int GetRoundsNumber(lua_State* L) { return GetDataInt(L, &CPGameData::roundCount); }
int SetNumRounds(lua_State* L) { return SetDataInt(L, &CPGameData::roundCount); }
int GetCurrentRound(lua_State* L) { return GetDataInt(L, &CPGameData::currentRound); }

int SetPlaceToFinish(lua_State* L)
{
    const std::int32_t place = LuaToInt(L, 1);
    if (CPLevel* level = GetCurrentLevel())
        level->race.requiredPlace = place;
    return 0;
}

int SetPlayerType(lua_State* L)
{
    const bool human = lua_toboolean(L, 1) != 0;
    if (CPGameData* data = GetGameData())
        data->SetPlayerType(human);
    return 0;
}

int SetDifficulty(lua_State* L)
{
    GetGameSettings().difficulty = LuaToInt(L, 1);
    return 0;
}

int GetDifficult(lua_State* L)
{
    const CPGameData* data = GetGameData();
    return PushInt(L, data && data->difficult ? 1 : 0);
}

int GetAICount(lua_State* L)
{
    // Nothing is pushed: Lua hands back the value on top of the stack.
    if (lua_gettop(L) == 0)
        lua_pushcfunction(L, GetAICount);
    return 1;
}

int ActivateAbilities(lua_State* L)
{
    const CPLevel* level = GetCurrentLevel();
    if (!level)
        return 0;
    const CPPlayer* player = LevelPlayer(*level);
    const CPGameData* data = GetGameData();
    lua_pushnumber(L, player ? player->abilities : 0);
    lua_pushnumber(L, data ? data->maxAbilityCount : 0);
    return 2;
}

int GetCurrentResolution(lua_State* L) { return PushInt(L, GetGameSettings().screenWidth); }

int InitPlayer(lua_State*)
{
    if (CPGameData* data = GetGameData())
        data->LoadPlayer();
    return 0;
}

int ClearGameData(lua_State*)
{
    if (CPGameData* data = GetGameData())
        data->ClearGameData();
    return 0;
}

int ClearLevelTimers(lua_State*)
{
    CPGameData* data = GetGameData();
    if (data && GetCurrentLevel())
        data->ClearLevelTimers();
    return 0;
}

int SetLevelStarted(lua_State* L)
{
    const bool started = lua_toboolean(L, 1) != 0;
    if (CPGameData* data = GetGameData())
        data->levelStarted = started;
    return 0;
}

int IsLevelStarted(lua_State* L)
{
    const CPGameData* data = GetGameData();
    return PushBool(L, data && data->levelStarted);
}

int SetUpdateTime(lua_State* L)
{
    const bool running = lua_toboolean(L, 1) != 0;
    if (CPLevel* level = GetCurrentLevel())
        level->race.raceRunning = running;
    return 0;
}

int IsRaceStarted(lua_State* L)
{
    const CPLevel* level = GetCurrentLevel();
    if (!level)
        return 0;
    return PushBool(L, level->race.raceRunning);
}

int SetReversed(lua_State* L)
{
    const bool reversed = lua_toboolean(L, 1) != 0;
    if (CPLevel* level = GetCurrentLevel())
        level->race.reversed = reversed;
    return 0;
}

// A single race runs without checkpoint gates; a time race is the record
// run against the stored best.
int IsSingleMode(lua_State* L)
{
    const CPLevel* level = GetCurrentLevel();
    return PushBool(L, level && level->noCheckpoints);
}

int IsTimeMode(lua_State* L)
{
    const CPLevel* level = GetCurrentLevel();
    return PushBool(L, level && level->recordMode);
}

int IsWeather(lua_State* L) { return PushBool(L, GetGameSettings().weather != 0); }

int SetRoundTime(lua_State* L)
{
    const float time = LuaToFloat(L, 1);
    if (CPGameData* data = GetGameData())
        data->SetRoundTime(time);
    return 0;
}

int GetRoundTime(lua_State* L)
{
    const CPGameData* data = GetGameData();
    lua_pushnumber(L, data ? data->GetRoundTime() : 0.0f);
    return 1;
}

int GetFullTime(lua_State* L)
{
    lua_pushnumber(L, GetGameClock().gameTime);
    return 1;
}

int InitWarning(lua_State* L)
{
    const std::int32_t percent = LuaToInt(L, 1);
    if (CPRender* render = GetRender())
        render->ShowLoadingScreen(percent);
    return 0;
}

int ChangeCheckpointPosition(lua_State* L)
{
    const Vector3 position{LuaToFloat(L, 1), LuaToFloat(L, 2), 0.0f};
    const CPLevel* level = GetCurrentLevel();
    auto* checkpoint = level ? level->shownCheckpoint.As<CPGameObject>() : nullptr;
    if (!checkpoint)
        return 0;
    checkpoint->SetPosition(position);
    checkpoint->UpdateBounds();
    return 0;
}

int SetPlayerName(lua_State* L)
{
    const std::string name = LuaToText(L, 1);
    if (CPGameData* data = GetGameData())
        data->playerName = name;
    return 0;
}

int GetPlayerName(lua_State* L)
{
    if (lua_gettop(L) >= 1) {
        CPObjectPtr car(LuaToObjectAs<CPPlayer>(L, 1));
        const auto* player = car.As<CPPlayer>();
        PushText(L, player ? player->GetName() : std::string());
        return 1;
    }
    const CPGameData* data = GetGameData();
    PushText(L, data ? data->playerName : std::string());
    return 1;
}

int GetProfileName(lua_State* L)
{
    const CPGameData* data = GetGameData();
    PushText(L, data ? data->profileName : std::string());
    return 1;
}

} // namespace bind
