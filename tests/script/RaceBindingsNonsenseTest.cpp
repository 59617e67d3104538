#include <set>
#include <string>
#include <vector>

#include "RaceScriptFixture.h"

namespace {

// The combat, level and lightning functions, each called with arguments of
// every wrong kind over a level with an opponent, a checkpoint, a source
// and a bonus, then without a level: the game goes on, and only the
// functions whose first texts are required raise the argument error.
TEST_F(RaceScriptTest, NonsenseArgumentsRaiseNothingButTheRequiredTextErrors)
{
    const std::vector<std::string> names = {"Shot",
                                            "Explosion",
                                            "DirectionalExplosion",
                                            "SmartBomb",
                                            "GetEnemyData",
                                            "PlayerShot",
                                            "DamagePlayer",
                                            "KillPlayer",
                                            "SetCurrentWeapon",
                                            "SetPrevWeapon",
                                            "SetNextWeapon",
                                            "SetShot",
                                            "SetMineShot",
                                            "GetRealCarInfo",
                                            "SetDifficult",
                                            "GetDifficulty",
                                            "SetLevelTransportCount",
                                            "StartLevel",
                                            "StopLevel",
                                            "SetLevelTime",
                                            "LoadMissionInfo",
                                            "GetCheckPointsCount",
                                            "GetCheckPointInfo",
                                            "ShowCheckPoint",
                                            "AddEnemy",
                                            "GetPlayerPosition",
                                            "GetPositionForEnemy",
                                            "GetEnemyType",
                                            "IsEnemySourceNear",
                                            "SetBonus",
                                            "AddBonus",
                                            "EraseBonus",
                                            "GetBonusesCount",
                                            "ClearBonuses",
                                            "GetBonusList",
                                            "GetLevelSize",
                                            "CheckVisible",
                                            "GetAIPositions",
                                            "FindObject",
                                            "SetObjectVisible",
                                            "StartAnimation",
                                            "IsRigid",
                                            "Jump",
                                            "StartLighting",
                                            "UpdateTrasser"};
    // Names whose first (or second) argument is a required text.
    const std::set<std::string> required = {"Shot", "GetEnemyData", "SetCurrentWeapon", "FindObject"};
    const std::vector<std::string> argumentSets = {
        "",
        "nil, nil, nil, nil, nil, nil, nil, nil",
        "'x', 'y', 'z', 'w', 'v', 'u', 't', 's'",
        "{}, {}, {}, {}, {}, {}, {}, {}",
        "0/0, 0/0, 0/0, 0/0, 0/0, 0/0, 0/0, 0/0",
        "1e300, -1e300, 1e300, math.huge, -math.huge, 1e300, 1e300, 1e300",
        "-1, -2147483649, 2147483648, -0.5, 3, 7, 99, 1",
        "true, false, true, false, true, false, true, false",
        "car, car, car, car, car, car, car, car",
        "'car', car, 1, 2, 3, 4, 5, 6",
        "io.stdout, print, car, nil, 'x', 0/0, {}, true",
    };

    Kind("super");
    Kind("repair");
    AddOpponent("bmw", CPPlayer::kDarkSide, {30, 0, 0});
    data.opponentPositions["0"] = Vector2{30, 0};
    data.opponentPositions["7"] = Vector2{0, 0}; // no such opponent
    data.opponentPositions["x"] = Vector2{0, 0};
    CPCheckpointInfo checkpoint;
    checkpoint.bonusChance = 100;
    checkpoint.bonuses = {{"repair", 0, 100}};
    checkpoint.enemies = {{"zombie", 0, 100}};
    data.checkpoints = {checkpoint};
    CPSourceInfo source;
    source.position = Vector3{30, 0, 0};
    source.flag = 1;
    data.enemySources["1"] = {source};
    data.committedCarSettings.superWeaponCount = 1000;
    SetGlobal("car", player);
    Do("AddBonus(car, 3)");

    for (int round = 0; round < 2; ++round) {
        for (const std::string& name : names) {
            for (const std::string& args : argumentSets) {
                const std::string call = name + "(" + args + ")";
                Do("ok, message = pcall(" + name + (args.empty() ? "" : ", ") + args + ")");
                lua_getglobal(L, "ok");
                const bool ok = lua_toboolean(L, -1) != 0;
                lua_pop(L, 1);
                if (!ok) {
                    EXPECT_EQ(required.count(name), 1u) << call << ": " << GlobalString("message");
                    EXPECT_NE(GlobalString("message").find("bad argument #"), std::string::npos) << call;
                }
            }
        }
        // Once more without a level.
        level.reset();
        player = nullptr;
        SetGlobal("car", nullptr);
    }
    Do("DeleteLevel(); DeleteLevel(1)");
}

} // namespace
