#pragma once

#include <lua.hpp>

// The progress of the game as the menus and race scripts see it: rules and
// counters of the race, flags of the current level, names, round times and
// the best-time tables, and the score table's fixed answers. Without game
// data the readers answer 0, false or "" and the writers do nothing.
namespace bind {

// Counters and rules.
int GetNumRacesPassed(lua_State* L);
int SetNumRacesPassed(lua_State* L);
int GetPoints(lua_State* L);
int SetPoints(lua_State* L);
int SetKills(lua_State* L);
int GetRoundsNumber(lua_State* L);
int SetNumRounds(lua_State* L);
int GetCurrentRound(lua_State* L);
int SetPlaceToFinish(lua_State* L);
int SetPlayerType(lua_State* L);
int SetDifficulty(lua_State* L);
int GetDifficult(lua_State* L);
// Hands the caller its own last argument back.
int GetAICount(lua_State* L);
int ActivateAbilities(lua_State* L);
int GetCurrentResolution(lua_State* L);
int InitPlayer(lua_State* L);
int ClearGameData(lua_State* L);
int ClearLevelTimers(lua_State* L);
int SetLevelStarted(lua_State* L);
int IsLevelStarted(lua_State* L);
int SetUpdateTime(lua_State* L);
int IsRaceStarted(lua_State* L);
int SetReversed(lua_State* L);
int IsSingleMode(lua_State* L);
int IsTimeMode(lua_State* L);
int IsWeather(lua_State* L);
int SetRoundTime(lua_State* L);
int GetRoundTime(lua_State* L);
int GetFullTime(lua_State* L);
int InitWarning(lua_State* L);
// Moves the checkpoint the level shows to (x, y) on the ground, with its
// levels of detail and body; nothing when none is shown.
int ChangeCheckpointPosition(lua_State* L);

// Names.
int SetPlayerName(lua_State* L);
int GetPlayerName(lua_State* L);
int GetProfileName(lua_State* L);

// Times, each as minutes, seconds and hundredths.
int GetTimeAttack(lua_State* L);
int GetTime(lua_State* L);
int GetTimeBest(lua_State* L);
int GetBestTimeAttack(lua_State* L);
int GetCheckpointTime(lua_State* L);
int UpdateRoundsTime(lua_State* L);

// Best-time tables.
int GetRecords(lua_State* L);
int CheckPlayerRecords(lua_State* L);
int SaveScore(lua_State* L);

// The score table, which keeps nothing: fixed answers.
int AddScore(lua_State* L);
int GetScore(lua_State* L);
int IsInTable(lua_State* L);
int SetScoreLine(lua_State* L);
int GetScoreLine(lua_State* L);

} // namespace bind
