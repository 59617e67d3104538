#include "script/LevelBindings.h"

#include <string>

#include "Render/EffectManager.h"
#include "core/GameObject.h"
#include "core/Log.h"
#include "core/Singletons.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "script/ScriptArgs.h"

namespace bind {

namespace {

// The checkpoint record of the current mission at the index; null (with a
// line in the log naming the binding) when there is none.
const CPCheckpointInfo* CheckpointRecord(const char* binding, std::int32_t index)
{
    const CPGameData* data = GetGameData();
    if (!data)
        return nullptr;
    if (index < 0 || static_cast<std::size_t>(index) >= data->checkpoints.size()) {
        LogLine(std::string(binding) + ": the mission has no checkpoint " + std::to_string(index) +
                " (it has " + std::to_string(data->checkpoints.size()) + ")");
        return nullptr;
    }
    return &data->checkpoints[static_cast<std::size_t>(index)];
}

} // namespace

int InitLevel(lua_State* L)
{
    const std::string name = LuaToText(L, 1);
    const bool noCheckpoints = lua_toboolean(L, 2) != 0;
    const bool recordMode = lua_gettop(L) >= 3 && lua_toboolean(L, 3) != 0;
    // Nothing could reach a level the new one replaced: it would stay in
    // memory, and, still running, would go on racing beside the new one.
    // It leaves play now and memory once the frame is done with it.
    if (CPLevel* previous = GetCurrentLevel()) {
        LogLine("InitLevel: the level still current is deleted before \"" + name + "\" loads");
        QueueLevelForDelete(previous);
    }
    // The new level is current before it loads, since loading reaches it
    // as the current one; a load that fails leaves it current and empty.
    auto* level = new CPLevel();
    MakeCurrentLevel(level);
    level->Load(name, noCheckpoints, recordMode);
    return 0;
}

int SetLevelTransportCount(lua_State* L)
{
    if (CPGameData* data = GetGameData())
        data->transportCount = LuaToInt(L, 1);
    return 0;
}

int StartLevel(lua_State*)
{
    if (CPLevel* level = GetCurrentLevel())
        level->Start();
    return 0;
}

int StopLevel(lua_State*)
{
    if (CPEffectManager* effects = GetEffectManager())
        effects->ClearEffects();
    if (CPLevel* level = GetCurrentLevel())
        level->Shutdown();
    return 0;
}

int DeleteLevel(lua_State*)
{
    // Scripts run inside the frame, whose later steps and drawing may still
    // use the level's objects: no level is current from here on, and the
    // level goes with the frame's deferred deletes.
    QueueLevelForDelete(GetCurrentLevel());
    return 0;
}

int SetLevelTime(lua_State* L)
{
    CPLevel* level = GetCurrentLevel();
    if (!level)
        return 0;
    const CPGameData* data = GetGameData();
    level->race.levelFailedCountdown = LuaToFloat(L, 1) * (data ? data->levelTimeCoefficient : 1.0f);
    return 0;
}

int LoadMissionInfo(lua_State* L)
{
    CPGameData* data = GetGameData();
    if (!data)
        return 0;
    const CPLevel* level = GetCurrentLevel();
    data->LoadMissionInfo(LuaToText(L, 1), level ? &level->enemySources : nullptr);
    return 0;
}

int GetCheckPointsCount(lua_State* L)
{
    const CPGameData* data = GetGameData();
    lua_pushnumber(L, data ? static_cast<double>(data->checkpoints.size()) : 0.0);
    return 1;
}

int GetCheckPointInfo(lua_State* L)
{
    const CPCheckpointInfo* record = CheckpointRecord("GetCheckPointInfo", LuaToInt(L, 1));
    const CPCheckpointInfo none;
    if (!record)
        record = &none;
    for (std::int32_t value : record->values)
        lua_pushnumber(L, value);
    lua_pushnumber(L, record->value);
    return 4;
}

int ShowCheckPoint(lua_State*)
{
    if (CPLevel* level = GetCurrentLevel())
        level->ShowCheckPoint();
    return 0;
}

int GetPlayerPosition(lua_State* L)
{
    const CPLevel* level = GetCurrentLevel();
    const CPGameObject* player = level ? level->GetPlayer() : nullptr;
    const Vector3 position = player ? player->GetPosition() : Vector3{};
    lua_pushnumber(L, position.x);
    lua_pushnumber(L, position.y);
    lua_pushnumber(L, position.z);
    return 3;
}

int GetLevelSize(lua_State* L)
{
    const CPLevel* level = GetCurrentLevel();
    lua_pushnumber(L, level ? level->levelWidth : 0.0f);
    lua_pushnumber(L, level ? level->levelDepth : 0.0f);
    return 2;
}

// --- The bonus list -----------------------------------------------------------

int AddBonus(lua_State* L)
{
    CPObject* object = LuaToObject(L, 1);
    CPGameData* data = GetGameData();
    if (!object || !data)
        return 0;
    data->bonuses.push_back(CPBonusEntry(CPObjectPtr(object), LuaToInt(L, 2)));
    ++data->clearedWord1;
    return 0;
}

int EraseBonus(lua_State* L)
{
    CPObject* object = LuaToObject(L, 1);
    CPGameData* data = GetGameData();
    if (!object || !data)
        return 0;
    for (auto it = data->bonuses.begin(); it != data->bonuses.end(); ++it) {
        if (it->Get() != object)
            continue;
        data->bonuses.erase(it);
        --data->clearedWord1;
        return 0;
    }
    return 0;
}

int GetBonusesCount(lua_State* L)
{
    const CPGameData* data = GetGameData();
    lua_pushnumber(L, data ? static_cast<double>(data->bonuses.size()) : 0.0);
    return 1;
}

int ClearBonuses(lua_State*)
{
    if (CPGameData* data = GetGameData())
        data->bonuses.clear();
    return 0;
}

int GetBonusList(lua_State* L)
{
    const CPGameData* data = GetGameData();
    // The scripts ask every frame: each table is made at its final size and
    // filled without a look-up of metamethods a new table cannot have.
    lua_createtable(L, data ? static_cast<int>(data->bonuses.size()) : 0, 0);
    if (!data)
        return 1;
    // Filled relative to the top, so arguments given by mistake do no harm.
    int key = 1;
    for (const CPBonusEntry& entry : data->bonuses) {
        lua_createtable(L, 2, 0);
        LuaPushObject(L, entry.Get());
        lua_rawseti(L, -2, 1);
        lua_pushnumber(L, entry.value);
        lua_rawseti(L, -2, 2);
        lua_rawseti(L, -2, key++);
    }
    return 1;
}

} // namespace bind
