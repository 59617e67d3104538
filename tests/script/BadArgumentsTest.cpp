#include <string>
#include <vector>

#include "LevelFixture.h"
#include "Render/PRender.h"
#include "platform/RecordingShell.h"
#include "script/ScriptTables.h"
#include "core/ServiceOverride.h"

namespace {

// Argument lists a careless script might pass, each also with the player's
// car or the level's spline in first place, where an object is expected.
const char* const kArguments[] = {
    "nil, nil, nil, nil",
    "'x', 'y', 'z', 'w', 'v', 'u'",
    "0/0, 0/0, 0/0, 0/0, 0/0, 0/0, 0/0",
    "1e300, -1e300, math.huge, -math.huge, 2^31, -2^31, 2^63",
    "{}, true, false, print, {}, {}",
    "car, 0/0, 1e300, -1e300, 'x', {}",
    "car, -1, -2147483648, 2147483647, 0/0",
    "spline, 1e30, 1e30, 1e30, 1e30",
};

// Functions that end the race objects the world below is built from, or
// hand the script objects it must delete itself.
bool Skipped(const std::string& name)
{
    return name == "KillAllTasks" || name == "CreateInterface" || name == "Clone" || name == "InitLevel" ||
           name == "DeleteLevel" || name == "StopLevel";
}

} // namespace

// Every function, over a running race with opponents and a path spline,
// given nonsense: a Lua error at most, never a crash, and the race goes on.
TEST_F(LevelScriptTest, EveryFunctionTakesNonsenseOverARunningRace)
{
    platform::RecordingShell shell;
    ServiceOverride<platform::GetInstalledShell, platform::SetShell> installedShell(&shell);
    AddPathSpline({{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}});
    GiveCar(player);
    for (int i = 0; i < 7; ++i)
        GiveCar(AddOpponent(i % 2 ? "bmw" : "uaz", i % 2 ? CPPlayer::kDarkSide : CPPlayer::kLightSide,
                            Vector3{float(i), 0, 0}, i == 3 ? 100.0f : 0.0f));
    SetGlobal("car", player);
    SetGlobal("spline", level->GetPathSpline());
    data.roundTimes.assign(CPGameData::kRoundTimeCount, 30.0f);

    for (const luaL_Reg* table : {GetEngineCoreTable(), GetGameTable(), GetHudTable()}) {
        for (const luaL_Reg* entry = table; entry->name; ++entry) {
            if (Skipped(entry->name))
                continue;
            for (const char* arguments : kArguments) {
                const std::string call = std::string("return pcall(") + entry->name + ", " + arguments + ")";
                ASSERT_EQ(luaL_loadstring(L, call.c_str()), 0) << call;
                EXPECT_EQ(lua_pcall(L, 0, LUA_MULTRET, 0), 0) << call;
                lua_settop(L, 0);
            }
        }
    }
    EXPECT_EQ(GetCurrentLevel(), level.get());
    EXPECT_EQ(level->GetPlayer(), player);
}
