#include <cstdio>
#include <string>
#include <vector>

#include "core/Singletons.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/TimeRecord.h"
#include "script/ProgressBindings.h"
#include "script/ScriptArgs.h"

// Times, best-time tables and the score table of the progress bindings.
namespace bind {

namespace {

constexpr std::size_t kShownRounds = 10;
// Larger than any lap; the search for the best lap starts from it.
constexpr float kNoBestTime = 100000.0f;

// A time as minutes, seconds and hundredths. Minutes come from the seconds
// times a float sixtieth, not a division by 60.
CPTimeRecord SplitTime(float time)
{
    CPTimeRecord record;
    std::int32_t seconds = TruncateToInt(time);
    record.hundredths = TruncateToInt((time - static_cast<float>(seconds)) * 100.0);
    if (seconds >= 60) {
        record.minutes = TruncateToInt(static_cast<float>(seconds) * 0.016666668f);
        seconds -= 60 * record.minutes;
    }
    record.seconds = seconds;
    return record;
}

int PushTime(lua_State* L, float time)
{
    const CPTimeRecord split = SplitTime(time);
    lua_pushnumber(L, split.minutes);
    lua_pushnumber(L, split.seconds);
    lua_pushnumber(L, split.hundredths);
    return 3;
}

// Round time i (0-based); 0 for a round the table does not hold.
float RoundTime(const CPGameData& data, std::int32_t index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= data.roundTimes.size())
        return 0.0f;
    return data.roundTimes[static_cast<std::size_t>(index)];
}

int PushRoundTime(lua_State* L, std::int32_t index)
{
    const CPGameData* data = GetGameData();
    return PushTime(L, data ? RoundTime(*data, index) : 0.0f);
}

// The best-time table of a track (1-based), or null for a track the game
// data does not hold.
const std::vector<CPTimeRecord>* TrackRecords(std::int32_t track)
{
    const CPGameData* data = GetGameData();
    if (!data || track < 1 || static_cast<std::size_t>(track) > data->bestTimes.size())
        return nullptr;
    return &data->bestTimes[static_cast<std::size_t>(track) - 1];
}

void SetField(lua_State* L, int key, const std::string& text)
{
    lua_pushnumber(L, key);
    lua_pushlstring(L, text.data(), text.size());
    lua_settable(L, -3);
}

void PushRecord(lua_State* L, const CPTimeRecord& record)
{
    lua_newtable(L);
    if (record.name.empty()) {
        SetField(L, 1, std::string());
        SetField(L, 2, std::string());
        return;
    }
    char time[48];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", record.minutes, record.seconds, record.hundredths);
    SetField(L, 1, record.name);
    SetField(L, 2, time);
}

} // namespace

int GetTimeAttack(lua_State* L) { return PushRoundTime(L, 0); }

int GetTime(lua_State* L)
{
    const CPGameData* data = GetGameData();
    return PushRoundTime(L, data ? data->currentRound - 1 : -1);
}

// The laps finished so far: the entries before the running lap's.
int GetTimeBest(lua_State* L)
{
    const CPGameData* data = GetGameData();
    float best = kNoBestTime;
    for (std::int32_t i = 0; data && i < data->currentRound - 1; ++i) {
        const float time = RoundTime(*data, i);
        if (time > 0.0f && time < best)
            best = time;
    }
    return PushTime(L, best == kNoBestTime ? 0.0f : best);
}

int GetBestTimeAttack(lua_State* L)
{
    const CPGameData* data = GetGameData();
    const CPLevel* level = GetCurrentLevel();
    float best = 0.0f;
    if (data && level && level->levelNumber >= 1 &&
        static_cast<std::size_t>(level->levelNumber) <= data->progress.size())
        best = data->progress[static_cast<std::size_t>(level->levelNumber) - 1].bestTime;
    return PushTime(L, best);
}

int GetCheckpointTime(lua_State* L)
{
    const CPLevel* level = GetCurrentLevel();
    return PushTime(L, level ? level->race.timeLeft : 0.0f);
}

int UpdateRoundsTime(lua_State* L)
{
    const CPGameData* data = GetGameData();
    lua_pushnumber(L, 4 * kShownRounds);
    lua_newtable(L);
    for (std::size_t round = 1; round <= kShownRounds; ++round) {
        const int index = static_cast<int>(round);
        const CPTimeRecord split = SplitTime(data ? RoundTime(*data, index - 1) : 0.0f);
        const double values[3] = {double(split.minutes), double(split.seconds), double(split.hundredths)};
        for (int k = 0; k < 3; ++k) {
            lua_pushnumber(L, 4 * index - 3 + k);
            lua_pushnumber(L, values[k]);
            lua_settable(L, -3);
        }
        lua_pushnumber(L, 4 * index);
        lua_pushboolean(L, data && index <= data->currentRound);
        lua_settable(L, -3);
    }
    return 2;
}

int GetRecords(lua_State* L)
{
    const std::vector<CPTimeRecord>* records = TrackRecords(LuaToInt(L, 1));
    lua_settop(L, 0);
    lua_newtable(L);
    if (!records)
        return 1;
    int key = 1;
    for (const CPTimeRecord& record : *records) {
        lua_pushnumber(L, key++);
        PushRecord(L, record);
        lua_settable(L, -3);
    }
    return 1;
}

int CheckPlayerRecords(lua_State* L)
{
    const std::int32_t track = LuaToInt(L, 1);
    CPGameData* data = GetGameData();
    if (!data) {
        lua_pushboolean(L, 0);
        return 1;
    }
    CPTimeRecord best = SplitTime(RoundTime(*data, 0));
    // Rounds past the table have no time of their own to offer.
    const auto held = static_cast<std::int32_t>(data->roundTimes.size());
    for (std::int32_t round = 1; round < data->roundCount && round < held; ++round) {
        const CPTimeRecord split = SplitTime(RoundTime(*data, round));
        if (split < best)
            best = split;
    }
    best.name = data->profileName;
    lua_pushboolean(L, data->InsertRecord(track, best));
    return 1;
}

int SaveScore(lua_State*)
{
    if (const CPGameData* data = GetGameData())
        data->SaveScores();
    return 0;
}

int AddScore(lua_State* L)
{
    lua_tonumber(L, 1);
    // Nothing is pushed: Lua hands back the value on top of the stack.
    if (lua_gettop(L) == 0)
        lua_pushcfunction(L, AddScore);
    return 1;
}

int GetScore(lua_State* L)
{
    const CPGameData* data = GetGameData();
    lua_pushnumber(L, data ? data->kills : 0);
    return 1;
}

int IsInTable(lua_State* L)
{
    lua_pushboolean(L, 0);
    return 1;
}

int SetScoreLine(lua_State*) { return 0; }

int GetScoreLine(lua_State* L)
{
    lua_pushstring(L, "");
    lua_pushnumber(L, 0);
    return 2;
}

} // namespace bind
