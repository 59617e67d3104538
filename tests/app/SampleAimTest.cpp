// The player's guns in the sample race, played through the real host on a
// copy of the sample data: the cars' search that the script hands to
// NearestInSights picks, frame by frame, what the same search written out
// in the script with GetPosition picks, to the last bit.
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <lua.hpp>

#include "support/SampleHost.h"

#include "app/GameHost.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "script/ScriptHost.h"

namespace {

// Put in front of the sample's start script, so that the script takes the
// checking function for NearestInSights when it looks the name up. The
// plain search is the loop the script ran before NearestInSights did it.
const char* const kCheck = R"lua(
local nearest, getPosition, sqrt = NearestInSights, GetPosition, math.sqrt
test_calls, test_picks, test_cars, test_differ = 0, 0, 0, 0
NearestInSights = function(x, y, dx, dy, reach, sights, objects, count)
    local best, far = reach, 4 * reach * reach
    local pd, px, py, pz, pick
    for slot = 1, count do
        local car = objects[slot]
        if car then
            test_cars = test_cars + 1
            local cx, cy, cz = getPosition(car)
            local ox, oy = cx - x, cy - y
            local along = ox * dx + oy * dy
            if along > 0 then
                local square = ox * ox + oy * oy
                if square < far then
                    local distance = sqrt(square)
                    if distance > 0 and distance < best and along / distance >= sights then
                        best, pd, px, py, pz, pick = distance, distance, cx, cy, cz, car
                        far = 4 * best * best
                    end
                end
            end
        end
    end
    local d, cx, cy, cz, car = nearest(x, y, dx, dy, reach, sights, objects, count)
    test_calls = test_calls + 1
    if pd then
        test_picks = test_picks + 1
    end
    if d ~= pd or cx ~= px or cy ~= py or cz ~= pz or car ~= pick then
        test_differ = test_differ + 1
        test_first_differ = test_first_differ or string.format("%s %s / %s %s", tostring(d), tostring(car),
            tostring(pd), tostring(pick))
    end
    return d, cx, cy, cz, car
end
)lua";

class SampleAim : public SampleHostTest {
  protected:
    double Global(const char* name)
    {
        lua_State* L = host->GetScriptHost().GetState();
        lua_getglobal(L, name);
        const double value = lua_tonumber(L, -1);
        lua_pop(L, 1);
        return value;
    }
    std::string GlobalText(const char* name)
    {
        lua_State* L = host->GetScriptHost().GetState();
        lua_getglobal(L, name);
        const char* text = lua_tostring(L, -1);
        std::string value = text ? text : "";
        lua_pop(L, 1);
        return value;
    }
};

TEST_F(SampleAim, TheCarsSearchPicksWhatTheScriptsOwnLoopPicks)
{
    const std::string script = data.Path("Data/Scripts/main.lua");
    std::stringstream original;
    original << std::ifstream(script).rdbuf();
    ASSERT_FALSE(original.str().empty());
    std::ofstream(script, std::ios::trunc) << kCheck << original.str();

    GameHost::Options options = FrameOptions();
    options.seed = 5;
    MakeHost(options);
    // The main menu's Start, as its button sends it.
    GetObjectRegistry()->SendCommandByName("gamemenu", "button", "start");
    // The first minute and a half: the field leaves the grid together and
    // the player's car catches the cars ahead.
    ASSERT_TRUE(Frames(5400));
    EXPECT_EQ(Global("test_differ"), 0) << GlobalText("test_first_differ");
    // Searched in (nearly) every frame of the race, through all seven cars,
    // and often with a car in the sights.
    EXPECT_GT(Global("test_calls"), 5000);
    EXPECT_GT(Global("test_cars"), 7 * 5000);
    EXPECT_GT(Global("test_picks"), 300);
}

} // namespace
