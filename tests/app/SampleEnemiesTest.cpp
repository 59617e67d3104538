// The enemies of the sample race in the game host: the mission's source
// brings one as the race starts; it is drawn near the player's car, strikes
// at the car within reach, is hurt by what hits it and dies with
// "enemy_death".
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <lua.hpp>

#include "app/GameHost.h"
#include "core/GameObject.h"
#include "core/RayQuery.h"
#include "core/Singletons.h"
#include "game/EnemyObject.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/RaceFrame.h"
#include "physics/PhysicData.h"
#include "physics/RigidBody.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "platform/QuaternionMath.h"
#include "platform/VectorMath.h"
#include "script/ScriptHost.h"
#include "support/ScratchFolder.h"

namespace {

const std::string kSample = std::string(RS_SOURCE_DIR) + "/data/sample";

class SampleEnemies : public ::testing::Test {
  protected:
    void SetUp() override
    {
        GameHost::Options options;
        options.frames = 40;
        options.dataRoot = kSample;
        std::string error;
        ASSERT_TRUE(options.input.Load(std::string(RS_SOURCE_DIR) + "/scripts/sample-race.input", error))
            << error;
        host = std::make_unique<GameHost>(options);
        // The menu's Start is clicked: the script starts the race.
        host->Run();
        level = host->GetLevel();
    }

    std::string Global(const char* name)
    {
        lua_State* L = host->GetScriptHost().GetState();
        lua_getglobal(L, name);
        const char* text = lua_tostring(L, -1);
        std::string value = text ? text : "";
        lua_pop(L, 1);
        return value;
    }

    void Frames(int count)
    {
        for (int i = 0; i < count; ++i)
            host->RunFrame();
    }

    std::unique_ptr<GameHost> host;
    CPLevel* level = nullptr;
};

} // namespace

TEST_F(SampleEnemies, TheMissionsSourceBringsAnEnemyThatStrikesIsHurtAndDies)
{
    ASSERT_NE(level, nullptr);
    ASSERT_EQ(level->GetEnemies().size(), 1u);
    CPEnemyObject* enemy = level->GetEnemies().front().get();
    CPGameObject* body = enemy->GetOwner();
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(enemy->name, "soldier");
    // It stands at the level's source "north".
    const Vector3 source = level->enemySources.at("north");
    EXPECT_FLOAT_EQ(body->GetPosition().x, source.x);
    EXPECT_FLOAT_EQ(body->GetPosition().y, source.y);
    bool listed = false;
    for (const CPObjectPtr& object : level->secondObjects)
        listed = listed || object.Get() == body;
    EXPECT_TRUE(listed);

    // Far from the player's car it is not drawn; beside it, it is.
    const std::size_t far = [&] {
        Frames(1);
        return host->GetHeadlessDevice()->GetLastFrameDraws().size();
    }();
    CPGameObject* player = level->GetPlayer();
    // Just ahead of the car's nose, well inside the soldier's 3 m reach (at
    // the edge itself rounding decides), a little above the road: a blow
    // starts at the enemy's feet, and the road's own box under them would
    // take it.
    const Vector3 ahead = player->GetPosition() + race::Forward(*player) * 2.5f;
    const Vector3 side{ahead.x, ahead.y, player->GetPosition().z + 0.1f};
    body->SetPosition(side);
    body->UpdateBounds();
    Frames(1);
    EXPECT_GT(host->GetHeadlessDevice()->GetLastFrameDraws().size(), far);

    // Within reach it turns to the car and strikes, blow after blow: each
    // blow hurts the car (5 or 8, through the car's script; the opponents'
    // bullets that pass hurt by 6) and knocks it along the blow, nothing
    // between them taking the blow first.
    auto* car = dynamic_cast<CPPlayer*>(player);
    ASSERT_NE(car, nullptr);
    const float coefficient = GetGameData()->damageCoefficient;
    auto velocity = [&] {
        const Vector4 v = car->GetCarVelocity();
        return Vector3{v.x, v.y, v.z};
    };
    bool struck = false;
    int blows = 0;
    float hardest = 0.0f;
    for (int frame = 0; frame < 120; ++frame) {
        const float health = car->combatValues[0];
        const Vector3 before = velocity();
        Frames(1);
        struck = struck || enemy->currentAnimation == "melee1" || enemy->currentAnimation == "melee2";
        const float lost = health - car->combatValues[0];
        if (std::fabs(lost - 5.0f * coefficient) < 0.01f || std::fabs(lost - 8.0f * coefficient) < 0.01f) {
            ++blows;
            hardest = std::max(hardest, Length(velocity() - before));
        }
    }
    EXPECT_TRUE(struck);
    EXPECT_GT(blows, 0);
    EXPECT_GT(hardest, 0.5f);
    const Vector3 facing = Rotate(enemy->baseFacing, body->GetRotation());
    const Vector3 toCar = player->GetPosition() - body->GetPosition();
    EXPECT_GT(facing.x * toCar.x + facing.y * toCar.y, 0.0f);

    // A ray from the car finds it, and what the ray hits takes the damage.
    ASSERT_TRUE(host->GetScriptHost().RunText(
        "deaths = ''\n"
        "CreateScriptObject('enemy_watch', 'level', function(self)\n"
        "  while SetNextCommand(self) do\n"
        "    deaths = deaths .. GetCurrentCommand(self) .. ':' .. GetCurrentParams(self) .. ';'\n"
        "  end\n"
        "end)\n",
        "enemy watch"));
    // What hits it hurts it: a shot's damage kills it.
    const float money = GetGameData()->money;
    body->OnDamage(player->GetPosition(), body->GetOwnBox().centre, 1000.0f, false, false);
    EXPECT_TRUE(enemy->dead);
    EXPECT_FLOAT_EQ(GetGameData()->money, money + 100.0f);
    Frames(1);
    EXPECT_EQ(Global("deaths"), "enemy_death:soldier;");

    // Once its death has played, shots pass through it.
    Frames(60);
    EXPECT_FALSE(body->IsPickable());
}
