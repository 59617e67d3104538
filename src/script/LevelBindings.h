#pragma once

#include <lua.hpp>

// The current level and its race: start, stop and delete, the level's
// time and traffic, the mission's checkpoints, enemy sources and bonuses,
// enemy and bonus placement, the radar, and finding, showing, animating
// and pushing objects. Without a current level (or game data, where they
// need it) they do nothing and answer zeros, false or null.
namespace bind {

// Lifecycle and the mission (LevelBindings.cpp). InitLevel deletes a level
// that is still current before it makes and loads the new one.
int InitLevel(lua_State* L);
int SetLevelTransportCount(lua_State* L);
int StartLevel(lua_State* L);
int StopLevel(lua_State* L);
int DeleteLevel(lua_State* L);
int SetLevelTime(lua_State* L);
int LoadMissionInfo(lua_State* L);
int GetCheckPointsCount(lua_State* L);
int GetCheckPointInfo(lua_State* L);
int ShowCheckPoint(lua_State* L);
int GetPlayerPosition(lua_State* L);
int GetLevelSize(lua_State* L);

// The bonus list of the race (LevelBindings.cpp).
int AddBonus(lua_State* L);
int EraseBonus(lua_State* L);
int GetBonusesCount(lua_State* L);
int ClearBonuses(lua_State* L);
int GetBonusList(lua_State* L);

// Scene objects (LevelBindingsObjects.cpp).
int FindObject(lua_State* L);
int SetObjectVisible(lua_State* L);
int StartAnimation(lua_State* L);
int IsRigid(lua_State* L);
int Jump(lua_State* L);
int CheckVisible(lua_State* L);

// Enemies, bonuses and the radar around the player car
// (LevelBindingsPlacement.cpp).
int AddEnemy(lua_State* L);
int GetPositionForEnemy(lua_State* L);
int GetEnemyType(lua_State* L);
int IsEnemySourceNear(lua_State* L);
int SetBonus(lua_State* L);
int GetAIPositions(lua_State* L);

} // namespace bind
