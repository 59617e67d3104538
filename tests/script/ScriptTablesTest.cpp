#include <algorithm>
#include <list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ScriptTestSupport.h"
#include "game/Level.h"
#include "interface/Interface.h"
#include "platform/RecordingShell.h"
#include "script/ScriptTables.h"
#include "core/ServiceOverride.h"

namespace {

// Every name the scripts may call, table by table in table order.
const std::vector<std::string> kGameNames = {
    "SetPlayerName",
    "ChangeGameCamera",
    "GetPlayerName",
    "PlayerApplyImpulse",
    "PlayerNitro",
    "SetTemp",
    "SetFOV",
    "GetPlayerSpeed",
    "SetMotionBlur",
    "SetCamera",
    "SetKills",
    "GetAICount",
    "InitPlayer",
    "Shot",
    "GetEnemyData",
    "StopScript",
    "CrossPlayerRay",
    "ClearTimer",
    "SetActions",
    "PlaySpecialSound3D",
    "PlaySpecialSound",
    "UpdateInterface",
    "CreateInterface",
    "ActivateInterface",
    "DeactivateInterface",
    "SetDefaultCamera",
    "InitLevel",
    "StartLevel",
    "StopLevel",
    "DeleteLevel",
    "SetCameraPos",
    "SetCameraZAngle",
    "SetCarParams",
    "SetWeaponPos",
    "CrossInterfaceRay",
    "GetWeaponInfo",
    "GetMineInfo",
    "GetSuperWeaponInfo",
    "GetBumperInfo",
    "GetEquipmentInfo",
    "GetArmorInfo",
    "GetEngineInfo",
    "GetWeaponNames",
    "GetMineNames",
    "GetSuperWeaponNames",
    "GetBumperNames",
    "GetEquipmentNames",
    "GetArmorNames",
    "GetEngineNames",
    "SetWindowVisible",
    "SetWindowPosition",
    "GetWindowPosition",
    "SetText",
    "SetTextString",
    "SaveLog",
    "GetCarInfo",
    "SetCarInfo",
    "SetMoney",
    "GetMoney",
    "IsValidGameDataName",
    "AddEnemy",
    "GetPlayerPosition",
    "GetPositionForEnemy",
    "GetEnemyType",
    "LoadMissionInfo",
    "GetCheckPointInfo",
    "IsEnemySourceNear",
    "GetCheckPointsCount",
    "UpdateInterfaceBuffers",
    "SetLevelTime",
    "SetBonus",
    "CommitCarSettings",
    "SmartBomb",
    "SetWindowPositionShop",
    "StopSounds",
    "PlayMusicNoLoop",
    "GetSoundVolume",
    "SetSoundVolume",
    "GetMusicVolume",
    "SetMusicVolume",
    "GetMouse",
    "SetMouse",
    "GetBrightness",
    "SetBrightness",
    "GetMusicName",
    "GetActionNames",
    "SetCursor",
    "SetAssignKey",
    "SetAction",
    "GetCurrentMission",
    "SetCurrentMission",
    "SaveGame",
    "LoadGame",
    "GetSaves",
    "DeleteSave",
    "ChangeCheckpointPosition",
    "AutoSetting",
    "GetCurrentResolution",
    "DumpAIInfo",
    "SetDifficulty",
    "GetDifficult",
    "GetActiveCar",
    "ActivateAbilities",
    "SetPlayersPanel",
    "NewPlayer",
    "IMenuRight",
    "IMenuLeft",
    "GetRoundsNumber",
    "GetCurrentRound",
    "SetNumRounds",
    "SetEditBoxText",
    "EditBoxTextLength",
    "EditBoxProcessKey",
    "GetEditBoxText",
    "UpdateRoundsTime",
    "GetTime",
    "CreateArrow",
    "DrawArrow",
    "GetAIPositions",
    "SaveActions",
    "LoadActions",
    "SetPosition",
    "GetPosition",
    "SetRotation",
    "GetBBoxInfo",
    "Explosion",
    "GetLevelSize",
    "CheckVisible",
    "SetFont",
    "SetFontString",
    "DeselectCurrentButton",
    "GetCameraPositions",
    "GetCameraZAngle",
    "IsPlayerMoveForward",
    "GetLight",
    "SetLight",
    "SilentActivateInterface",
    "GetPlayerSplineAngle",
    "SetProfileName",
    "GetProfileName",
    "UpdateSoundPosition",
    "GetSplineLinePoint",
    "GetSplineLineCount",
    "AddBonus",
    "EraseBonus",
    "GetBonusList",
    "GetClosestLineCenter",
    "DirectionalExplosion",
    "StartLighting",
    "UpdateTrasser",
    "DrawLine",
    "StopPlayerCar",
    "GetPlayerDirection",
    "GetPlayerMass",
    "SetAbilitiesCount",
    "LockPlayers",
    "LockPlayer",
    "CheckIntersection",
    "ThrowPlayer",
    "GetNearestSollaryPlayer",
    "GetNearestCorvanePlayer",
    "ApplyImpulse",
    "GetBonusesCount",
    "ClearBonuses",
    "ClearLevelTimers",
    "SetUpdateTime",
    "SetPlayerType",
    "GetNumRacesPassed",
    "SetNumRacesPassed",
    "ClearGameData",
    "GetRecords",
    "GetCurrentRace",
    "SetCurrentRace",
    "CheckPlayerRecords",
    "SaveScore",
    "SetRoundTime",
    "GetRoundTime",
    "SetWindowSize",
    "GetPlayerDamage",
    "GetAIDamage",
    "SetMaxAbilityCount",
    "GetPlayerMana",
    "SetPlayerMana",
    "Clone",
    "IsPlayerDead",
    "GetHelthBarCoord",
    "SetLevelStarted",
    "SetLensFlare",
    "SetTimeBonus",
    "GetFullTime",
    "Pup",
    "Pdown",
    "Pleft",
    "Pright",
    "GetObjectSpeed",
    "StopSpecialSound",
    "IsSpecialSoundPlaying",
    "IsRaceStarted",
    "IsWeather",
    "IsLightLeft",
    "IsDarkLeft",
    "GetTemp",
    "IsPlayerMovingBackwards",
    "SetLevelTransportCount",
    "StopPlayingMusic",
    "IsDead",
    "UpdateActions",
    "IsInGloom",
    "IsDamageMsg",
    "GetPlayerSlide",
    "InitWarning",
    "GetNitro",
    "IsNitro",
    "SetReversed",
    "IsLevelStarted",
    "SetPlaceToFinish",
    "GetTimeBest",
    "GetCheckpointTime",
    "GetPoints",
    "SetPoints",
    "GetTextPosition",
    "SetTextPosition",
    "IsSingleMode",
    "IsFileExists",
    "GetTextureSize",
    "GoURL",
    "IsTimeMode",
    "GetBestTimeAttack",
    "GetTimeAttack",
    "GoURLlink",
};

const std::vector<std::string> kHudNames = {
    "SetRadialBlur",
    "SetCameraPlayer",
    "SetBrake",
    "AddScore",
    "GetScore",
    "IsInTable",
    "SetScoreLine",
    "GetScoreLine",
    "PlayerShot",
    "Jump",
    "SetCursor",
    "EngineState",
    "GetCursor",
    "PlayVideo",
    "PlayVideoNoSound",
    "PlayVideo1",
    "StopVideo",
    "StopVideo1",
    "UpdateScore",
    "UpdateTime",
    "ShowCheckPoint",
    "KillPlayer",
    "DamagePlayer",
    "SetShot",
    "SetMineShot",
    "IsRigid",
    "StartAnimation",
    "FindObject",
    "SetCurrentWeapon",
    "SetPrevWeapon",
    "SetNextWeapon",
    "GetRealCarInfo",
    "GetWindowPosition",
    "InitGameInterface",
    "UpdateGameInterface",
    "StopGlobalTimer",
    "StartGlobalTimer",
    "ClearGlobalTimer",
    "SetDifficult",
    "GetDifficulty",
    "SetObjectVisible",
    "ActivateAbilitiesAI",
    "GetPlayerSpeedAI",
    "PlayerNitroAI",
    "SetAbilitiesCountAI",
    "GetPlayerDirectionAI",
    "SetLightCoeff",
    "GetCameraPlayer",
    "Spawn",
    "GetFov1",
    "GetFov2",
};

const std::vector<std::string> kEngineCoreNames = {
    "GetDeltaTime",
    "AddRef",
    "DumpObjects",
    "Release",
    "SendCommandByName",
    "SendCommandByObject",
    "SendCommandByCategory",
    "SetNextCommand",
    "GetCurrentCommand",
    "GetCurrentParams",
    "PointerToString",
    "StringToPointer",
    "SetPTransformation",
    "CheckString",
    "GetChildObject",
    "SetVisible",
    "SetCollision",
    "SplitString",
    "LoadRenderObject",
    "DrawDynamicObject",
    "SetAnimation",
    "GetParentObject",
    "ActivateObject",
    "DeactivateObject",
    "SetFade",
    "LockButton",
    "UnlockButton",
    "KillAllTasks",
    "ToInt",
    "PlayMusic",
};

std::vector<std::string> TableNames(const luaL_Reg* table)
{
    std::vector<std::string> names;
    for (; table->name; ++table) {
        EXPECT_NE(table->func, nullptr) << table->name;
        names.push_back(table->name);
    }
    return names;
}

} // namespace

TEST(ScriptTables, NameListsHoldTheTablesSizes)
{
    // 311 entries under 309 names: two names stand in two tables.
    EXPECT_EQ(kGameNames.size(), 230u);
    EXPECT_EQ(kHudNames.size(), 51u);
    EXPECT_EQ(kEngineCoreNames.size(), 30u);
    std::set<std::string> all(kGameNames.begin(), kGameNames.end());
    all.insert(kHudNames.begin(), kHudNames.end());
    all.insert(kEngineCoreNames.begin(), kEngineCoreNames.end());
    EXPECT_EQ(all.size(), 309u);
}

TEST(ScriptTables, EachTableHoldsAllItsNamesInTableOrderEndedByANullEntry)
{
    struct Case {
        const char* table;
        const luaL_Reg* entries;
        const std::vector<std::string>* names;
    } cases[] = {
        {"engine core", GetEngineCoreTable(), &kEngineCoreNames},
        {"game", GetGameTable(), &kGameNames},
        {"heads-up display", GetHudTable(), &kHudNames},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TableNames(c.entries), *c.names) << c.table;
    }
}

TEST_F(ScriptTest, EveryEntryIsAGlobalFunctionAndSharedFunctionsStayShared)
{
    // A name in two tables is the function of the table registered last:
    // the second game table's SetCursor.
    std::map<std::string, lua_CFunction> registered;
    for (const luaL_Reg* table : {GetEngineCoreTable(), GetGameTable(), GetHudTable()})
        for (const luaL_Reg* entry = table; entry->name; ++entry)
            registered[entry->name] = entry->func;
    for (const auto& [name, func] : registered) {
        lua_getglobal(L, name.c_str());
        EXPECT_EQ(lua_tocfunction(L, -1), func) << name;
        lua_pop(L, 1);
    }
    const char* same[][2] = {
        {"DeactivateInterface", "DeactivateObject"},
        {"ClearTimer", "ClearGlobalTimer"},
        {"SetBrightness", "DumpAIInfo"},
        {"SetBrightness", "CreateArrow"},
        {"SetBrightness", "DrawArrow"},
        {"GetCurrentMission", "GetCurrentRace"},
        {"SetCurrentMission", "SetCurrentRace"},
    };
    for (const auto& pair : same) {
        lua_getglobal(L, pair[0]);
        lua_getglobal(L, pair[1]);
        EXPECT_NE(lua_tocfunction(L, -1), nullptr) << pair[1];
        EXPECT_EQ(lua_tocfunction(L, -1), lua_tocfunction(L, -2)) << pair[0] << " / " << pair[1];
        lua_pop(L, 2);
    }
}

TEST_F(ScriptTest, FunctionsWithNothingToDoTakeAnyArgumentsAndAnswerNothing)
{
    ASSERT_TRUE(Run("n = select('#', SetBrightness(1, 'x', nil)) + select('#', DumpAIInfo()) +"
                    "    select('#', CreateArrow({})) + select('#', DrawArrow(true, 2)) +"
                    "    select('#', DumpObjects(5)) + select('#', SaveLog('anything'))"))
        << log.Text();
    EXPECT_EQ(GlobalNumber("n"), 0.0);
}

namespace {

// Argument lists a careless script might pass.
const char* const kBadArguments[] = {
    "",
    "nil, nil, nil, nil",
    "'x', 'y', 'z', 'w', 'v', 'u'",
    "0/0, 1e300, -1e300, math.huge, -math.huge, 0/0, 0/0",
    "{}, true, false, print, {}, {}",
    "StringToPointer('0'), StringToPointer('0'), 1, 2, 3, 4",
};

} // namespace

TEST_F(ScriptTest, EveryNameIsRegisteredAndSurvivesBadArguments)
{
    ScratchFolder folder;
    folder.UseAsDataRoot();
    platform::RecordingShell shell;
    ServiceOverride<platform::GetInstalledShell, platform::SetShell> installedShell(&shell);
    const std::list<CPInterface*> screensBefore = CPInterface::GetInterfaceList();
    std::set<std::string> all(kGameNames.begin(), kGameNames.end());
    all.insert(kHudNames.begin(), kHudNames.end());
    all.insert(kEngineCoreNames.begin(), kEngineCoreNames.end());

    for (const std::string& name : all) {
        lua_getglobal(L, name.c_str());
        const bool registered = lua_iscfunction(L, -1) != 0;
        lua_pop(L, 1);
        EXPECT_TRUE(registered) << name << " is missing";
        if (!registered)
            continue;
        for (const char* arguments : kBadArguments) {
            const std::string code = "return pcall(" + name + ", " + arguments + ")";
            const std::string call = std::string(arguments).empty() ? "return pcall(" + name + ")" : code;
            ASSERT_EQ(luaL_loadstring(L, call.c_str()), 0) << call;
            EXPECT_EQ(lua_pcall(L, 0, LUA_MULTRET, 0), 0) << call;
            lua_settop(L, 0);
        }
    }
    // Screens made from the careless names belong to the script host: it
    // deletes them as it closes. A level the careless names made owns its
    // lens-flare screen, so it goes first.
    host.reset();
    delete GetCurrentLevel();
    for (CPInterface* screen : CPInterface::GetInterfaceList())
        EXPECT_NE(std::find(screensBefore.begin(), screensBefore.end(), screen), screensBefore.end());
}
