#include <gtest/gtest.h>

#include <set>

#include "CombatTestWorld.h"
#include "game/EnemyObject.h"
#include "platform/Math.h"
#include "platform/QuaternionMath.h"
#include "support/MathExpect.h"

namespace {

class CountingListener : public CPEnemyListener {
  public:
    void OnAttackChosen() override { ++calls; }
    int calls = 0;
};

// An enemy "gunner" at (1, 2, 3) facing -y, worth 50, with 10 health,
// two melee blows and a gun whose muzzle is one ahead and one up.
class EnemyTest : public CombatTest {
  protected:
    void SetUp() override
    {
        CombatTest::SetUp();
        body = Cube("gunner_body", {1.0f, 2.0f, 3.0f});
        enemy = std::make_unique<CPEnemyObject>(body);
        enemy->name = "gunner";
        enemy->health = 10.0f;
        enemy->reward = 50;
        enemy->meleeCount = 2;
        enemy->stateTable = {{1, "idle"}, {4, "death1"}};
        enemy->attacks[0] = {1.5f, {0.0f, -5.0f, 0.0f}, {0.0f, -2.0f, 0.0f}, 10.0f, 7.0f};
        enemy->attacks[1] = {2.5f, {0.0f, -4.0f, 0.0f}, {0.0f, -1.0f, 0.0f}, 20.0f, 9.0f};
        enemy->attacks[2] = {3.0f, {0.0f, -1.0f, 1.0f}, {}, 0.0f, 0.0f};
        enemy->listener = &listener;
        gameData.money = 100.0f;
        for (const char* kind : {"blood1", "oil1", "gib1", "gib2", "rocket_exp2", "trasser21", "trasser22",
                                 "trasser23", "srocket2", "plazma_shot2"})
            StayingKind(kind);
    }
    void TearDown() override
    {
        enemy.reset();
        if (player)
            player->SetEnemy(nullptr);
        CombatTest::TearDown();
    }

    // The level's player car: a cube that records the damage it takes.
    void PlacePlayer(const Vector3& position)
    {
        player = new CPGameObject("PLAYER");
        PlaceCube(*player, position, 1.0f);
        player->SetEnemy(&playerDamage);
        level->SetPlayer(CPObjectPtr(player));
    }

    void Hurt(float damage, bool noHitEffect = false, bool oilOnly = false)
    {
        enemy->TakeDamage({0.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 3.0f}, damage, noHitEffect, oilOnly);
    }

    CPGameObject* body = nullptr;
    CPGameObject* player = nullptr;
    DamageRecorder playerDamage;
    CountingListener listener;
    std::unique_ptr<CPEnemyObject> enemy;
};

} // namespace

TEST_F(EnemyTest, AttachesToItsSceneObjectAndLeavesIt)
{
    EXPECT_EQ(body->GetEnemy(), enemy.get());
    enemy.reset();
    EXPECT_EQ(body->GetEnemy(), nullptr);
}

TEST_F(EnemyTest, AttackAnimationsChain)
{
    const struct Case {
        const char* ended;
        std::int32_t firing;
        const char* next;
        std::int32_t firingAfter;
        const char* state;
        int listened;
    } cases[] = {
        {"fire_in", 0, "fire", 1, "", 0}, {"fire", 1, "fire", 1, "", 1},
        {"fire", 0, "fire", 0, "", 0},    {"fire_out", 1, "fire_out", 0, "idle", 0},
        {"walk", 1, "walk", 1, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ended);
        enemy->currentAnimation = c.ended;
        enemy->firing = c.firing;
        enemy->currentStateAnimation.clear();
        enemy->busy = true;
        listener.calls = 0;
        enemy->PlayAttackAnimation();
        EXPECT_EQ(enemy->currentAnimation, c.next);
        EXPECT_EQ(enemy->firing, c.firingAfter);
        EXPECT_EQ(enemy->currentStateAnimation, c.state);
        EXPECT_EQ(listener.calls, c.listened);
        EXPECT_FALSE(enemy->busy);
    }
}

TEST_F(EnemyTest, MeleeChoiceStaysWithinTheMeleeBlows)
{
    const struct {
        std::int32_t count;
        std::set<std::string> seen;
    } cases[] = {
        {2, {"melee1", "melee2"}},
        {1, {"melee1"}},
        // Record 3 is the gun's: more than two melee blows still choose
        // among the two.
        {5, {"melee1", "melee2"}},
        // No melee blow: the animation stays and nothing divides by 0.
        {0, {"melee2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        enemy->meleeCount = c.count;
        std::set<std::string> seen;
        for (int i = 0; i < 40; ++i) {
            enemy->currentAnimation = "melee2";
            enemy->PlayAttackAnimation();
            seen.insert(enemy->currentAnimation);
            if (c.count > 0) {
                EXPECT_EQ(enemy->meleeName, enemy->currentAnimation);
            }
        }
        EXPECT_EQ(seen, c.seen);
    }
}

TEST_F(EnemyTest, DeathAnimationLetsRaysThrough)
{
    for (const char* ended : {"death1", "death2"}) {
        body->SetPickable(true);
        enemy->currentAnimation = ended;
        enemy->PlayAttackAnimation();
        EXPECT_FALSE(body->IsPickable()) << ended;
    }
}

TEST_F(EnemyTest, DiesOnceWithRewardAndMessages)
{
    Hurt(6.0f);
    EXPECT_FLOAT_EQ(enemy->health, 4.0f);
    EXPECT_TRUE(enemy->hit);
    EXPECT_FALSE(enemy->dead);
    EXPECT_TRUE(Drain(menu).empty());

    Hurt(6.0f); // below 0
    Hurt(6.0f); // again: no second reward or message
    EXPECT_TRUE(enemy->dead);
    EXPECT_FLOAT_EQ(gameData.money, 150.0f);
    EXPECT_EQ(gameData.kills, 1);
    EXPECT_EQ(Drain(menu), std::vector<std::string>{"change_money(150.00)"});
    EXPECT_EQ(Drain(levelScript), std::vector<std::string>{"enemy_death(gunner|1.00|2.00|3.00)"});
    EXPECT_EQ(enemy->currentStateAnimation, "death1");
    EXPECT_EQ(enemy->currentAnimation, "death1");
    // Blood where each blow landed.
    EXPECT_EQ(ActiveKinds(), (std::vector<std::string>{"blood1", "blood1", "blood1"}));
    EXPECT_TRUE(Near(shots.GetActiveShots()[0]->GetStartPosition(), {1.0f, 1.0f, 3.0f}));
    EXPECT_TRUE(body->IsVisible());
}

TEST_F(EnemyTest, SuppressedDeathPostsNoMessage)
{
    enemy->deathSuppressed = true;
    Hurt(20.0f);
    EXPECT_TRUE(enemy->dead);
    EXPECT_TRUE(Drain(levelScript).empty());
    EXPECT_EQ(Drain(menu), std::vector<std::string>{"change_money(150.00)"});
}

TEST_F(EnemyTest, OilOnlyAndNoHitEffectFlags)
{
    const struct Case {
        const char* kind;
        bool noHitEffect;
        bool oilOnly;
        bool ignore;
        float health;
        std::vector<std::string> launched;
    } cases[] = {
        {"blood1", false, false, false, 5.0f, {"blood1"}}, {"blood1", false, true, false, 10.0f, {}},
        {"oil1", false, true, false, 5.0f, {"oil1"}},      {"oil1", true, false, false, 5.0f, {}},
        {"blood1", false, false, true, 10.0f, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + (c.oilOnly ? " oil only" : "") +
                     (c.noHitEffect ? " no effect" : "") + (c.ignore ? " ignoring" : ""));
        shots.ClearActive();
        enemy->health = 10.0f;
        enemy->hit = false;
        enemy->hitEffectKind = c.kind;
        enemy->ignoreDamage = c.ignore;
        Hurt(5.0f, c.noHitEffect, c.oilOnly);
        EXPECT_FLOAT_EQ(enemy->health, c.health);
        EXPECT_EQ(enemy->hit, !c.ignore);
        EXPECT_EQ(ActiveKinds(), c.launched);
    }
}

TEST_F(EnemyTest, BloodyDeathBurstsIntoGibs)
{
    enemy->gibsEnabled = true;
    enemy->gibHeight = 1.5f;
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        platform::SeedRand(seed);
        shots.ClearActive();
        enemy->dead = false;
        enemy->health = 1.0f;
        body->SetVisible(true);
        Hurt(5.0f, true);
        EXPECT_FALSE(body->IsVisible());
        const std::vector<CPShot*> gibs = shots.GetActiveShots();
        EXPECT_GE(gibs.size(), 5u);
        EXPECT_LE(gibs.size(), 9u);
        for (const CPShot* gib : gibs) {
            EXPECT_TRUE(gib->GetKindName() == "gib1" || gib->GetKindName() == "gib2");
            EXPECT_TRUE(Near(gib->GetStartPosition(), {1.0f, 2.0f, 4.5f}));
            EXPECT_NEAR(Length(gib->GetDirection()), 1.0f, 1e-5f);
        }
    }
    // Oil enemies leave no gibs.
    enemy->hitEffectKind = "oil1";
    enemy->dead = false;
    enemy->health = 1.0f;
    shots.ClearActive();
    body->SetVisible(true);
    Hurt(5.0f, true);
    EXPECT_TRUE(body->IsVisible());
    EXPECT_EQ(shots.GetActiveCount(), 0u);
}

TEST_F(EnemyTest, MeleeBlowPushesAndDamagesThePlayerItReaches)
{
    PlacePlayer({1.0f, -1.0f, 3.0f});
    enemy->currentAnimation = "melee1";
    enemy->Strike();
    ASSERT_EQ(playerDamage.hits.size(), 1u);
    EXPECT_FLOAT_EQ(playerDamage.hits[0].damage, 7.0f);
    EXPECT_TRUE(Near(playerDamage.hits[0].position, {1.0f, 0.0f, 3.0f}));

    // The second blow reaches 4 and strikes harder.
    enemy->currentAnimation = "melee2";
    enemy->Strike();
    ASSERT_EQ(playerDamage.hits.size(), 2u);
    EXPECT_FLOAT_EQ(playerDamage.hits[1].damage, 9.0f);
}

TEST_F(EnemyTest, MeleeFollowsTheWayTheEnemyFaces)
{
    // Turned a quarter about z: -y now points along +x.
    body->SetRotation(QuaternionFromAxisAngle({0.0f, 0.0f, 1.0f}, 1.5707964f));
    PlacePlayer({4.0f, 2.0f, 3.0f});
    enemy->currentAnimation = "melee1";
    enemy->Strike();
    ASSERT_EQ(playerDamage.hits.size(), 1u);
    EXPECT_TRUE(Near(playerDamage.hits[0].position, {3.0f, 2.0f, 3.0f}, 1e-5f));
}

TEST_F(EnemyTest, MeleeThatMissesDoesNothing)
{
    PlacePlayer({1.0f, -20.0f, 3.0f});
    enemy->currentAnimation = "melee1";
    enemy->Strike();
    EXPECT_TRUE(playerDamage.hits.empty());
    EXPECT_EQ(shots.GetActiveCount(), 0u);
}

TEST_F(EnemyTest, SelfDestructionExplodesAndReportsOnce)
{
    PlacePlayer({1.0f, -20.0f, 3.0f});
    enemy->weapon = "explosion";
    enemy->currentAnimation = "melee1";
    enemy->Strike();
    ASSERT_EQ(ActiveKinds(), std::vector<std::string>{"rocket_exp2"});
    EXPECT_TRUE(Near(shots.GetActiveShots()[0]->GetStartPosition(), {1.0f, 0.0f, 3.0f}));
    EXPECT_EQ(enemy->currentStateAnimation, "death1");
    // Killed afterwards: the reward is paid, the death is not told again.
    Hurt(20.0f, true);
    EXPECT_EQ(Drain(levelScript), std::vector<std::string>{"enemy_death(gunner|1.00|2.00|3.00)"});
}

TEST_F(EnemyTest, GunsFireTheirPatterns)
{
    PlacePlayer({1.0f, -20.0f, 3.0f});
    const std::vector<std::string> eightPellets(8, "trasser23");
    const struct Case {
        const char* weapon;
        int strikes;
        std::vector<std::string> launched;
    } cases[] = {
        {"hmgun", 1, {"trasser22"}},     {"mgun", 1, {"trasser21"}},   {"lgun", 1, {"trasser21"}},
        {"plasma", 1, {"plazma_shot2"}}, {"shotgun", 1, eightPellets}, {"laser", 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.weapon);
        shots.ClearActive();
        enemy->weapon = c.weapon;
        enemy->currentAnimation = "fire";
        for (int i = 0; i < c.strikes; ++i)
            enemy->Strike();
        EXPECT_EQ(ActiveKinds(), c.launched);
    }
    // The plain guns aim straight from the muzzle at the car, raised 0.3.
    shots.ClearActive();
    enemy->weapon = "mgun";
    enemy->Strike();
    const CPShot* bullet = shots.GetActiveShots().at(0);
    EXPECT_TRUE(Near(bullet->GetStartPosition(), {1.0f, 1.0f, 4.0f}));
    EXPECT_TRUE(Near(bullet->GetDirection(), Normalize(Vector3{0.0f, -21.0f, -0.7f})));
    EXPECT_FLOAT_EQ(bullet->GetLaunchValue(), -1.0f);
}

TEST_F(EnemyTest, RocketEnemyFiresPlasmaTwiceThenAChoice)
{
    PlacePlayer({1.0f, -20.0f, 3.0f});
    enemy->weapon = "rocket";
    enemy->currentAnimation = "fire";
    std::set<std::string> thirds;
    for (unsigned seed = 1; seed <= 10; ++seed) {
        platform::SeedRand(seed);
        shots.ClearActive();
        for (int i = 0; i < 3; ++i)
            enemy->Strike();
        const std::vector<std::string> kinds = ActiveKinds();
        ASSERT_EQ(kinds.size(), 3u);
        EXPECT_EQ(kinds[0], "plazma_shot2");
        EXPECT_EQ(kinds[1], "plazma_shot2");
        thirds.insert(kinds[2]);
        EXPECT_EQ(enemy->volleyCounter, 0);
    }
    EXPECT_EQ(thirds, (std::set<std::string>{"plazma_shot2", "srocket2"}));
}

TEST_F(EnemyTest, StrikeWithoutAPlayerDoesNothing)
{
    enemy->weapon = "mgun";
    enemy->currentAnimation = "fire";
    enemy->Strike();
    ClearCurrentLevel();
    enemy->Strike();
    MakeCurrentLevel(level.get());
    EXPECT_EQ(shots.GetActiveCount(), 0u);
}

TEST_F(EnemyTest, ReadsItsDescription)
{
    body->GetDescription().Parse(
        "<enemy name=\"brute\" weapon=\"shotgun\" health=\"40.5\" reward=\"75\" hit=\"oil1\" gibs=\"true\""
        " gib_height=\"2\" melee_count=\"1\">"
        "<attack n=\"1\" param=\"1.25\" reach=\"0 -3 0.5\" offset=\"0 -1 0\" impulse=\"12\" damage=\"6\"/>"
        "<attack n=\"4\" param=\"9\"/>"
        "<state n=\"1\" animation=\"stand\"/><state n=\"4\" animation=\"death2\"/>"
        "<report animation=\"fire\" frame=\"3\"/>"
        "</enemy>");
    ASSERT_TRUE(enemy->ReadDescription());
    EXPECT_EQ(enemy->name, "brute");
    EXPECT_EQ(enemy->weapon, "shotgun");
    EXPECT_FLOAT_EQ(enemy->health, 40.5f);
    EXPECT_EQ(enemy->reward, 75);
    EXPECT_EQ(enemy->hitEffectKind, "oil1");
    EXPECT_TRUE(enemy->gibsEnabled);
    EXPECT_FLOAT_EQ(enemy->gibHeight, 2.0f);
    EXPECT_EQ(enemy->meleeCount, 1);
    EXPECT_FLOAT_EQ(enemy->attacks[0].parameter, 1.25f);
    EXPECT_TRUE(Near(enemy->attacks[0].reach, {0.0f, -3.0f, 0.5f}));
    EXPECT_FLOAT_EQ(enemy->attacks[0].damage, 6.0f);
    EXPECT_EQ(enemy->stateTable[4], "death2");
    EXPECT_EQ(enemy->reportFrames["fire"], 3);
    EXPECT_TRUE(log.Contains("an attack needs n from 1 to 3"));

    CPGameObject bare("bare");
    CPEnemyObject none(&bare);
    EXPECT_FALSE(none.ReadDescription());
    EXPECT_TRUE(log.Contains("has no enemy element"));
}

// The enemy's own step opens attacks when the player's car comes within
// reach (melee: 5, the first blow's reach) or range (a gun), turns to the
// car, and winds them down when the car leaves.
TEST_F(EnemyTest, TheStepOpensAnAttackWithinReachAndWindsItDownWhenTheCarLeaves)
{
    enemy->Start();
    EXPECT_EQ(enemy->currentAnimation, "idle");
    EXPECT_FLOAT_EQ(enemy->GetMeleeReach(), 5.0f);

    // Out of reach nothing happens.
    PlacePlayer({1.0f, 12.0f, 3.0f});
    enemy->Update(0.1f);
    EXPECT_EQ(enemy->currentAnimation, "idle");
    EXPECT_FLOAT_EQ(enemy->stateTime, 0.1f);

    // Within reach, to the enemy's +x: it turns from -y to face +x (a
    // quarter turn) and strikes.
    level->GetPlayer()->SetPosition({4.0f, 2.0f, 3.0f});
    enemy->Update(0.1f);
    EXPECT_EQ(enemy->currentAnimation, "melee1");
    EXPECT_TRUE(enemy->busy);
    const Vector3 facing = Rotate(enemy->baseFacing, body->GetRotation());
    EXPECT_NEAR(facing.x, 1.0f, 1e-5f);
    EXPECT_NEAR(facing.y, 0.0f, 1e-5f);

    // The blows follow one another until the car leaves.
    enemy->PlayAttackAnimation();
    enemy->Update(0.1f);
    EXPECT_TRUE(enemy->currentAnimation == "melee1" || enemy->currentAnimation == "melee2");
    level->GetPlayer()->SetPosition({1.0f, 30.0f, 3.0f});
    enemy->Update(0.1f);
    EXPECT_EQ(enemy->currentAnimation, "idle");

    // A dead enemy stands still.
    level->GetPlayer()->SetPosition({4.0f, 2.0f, 3.0f});
    enemy->dead = true;
    enemy->Update(0.1f);
    EXPECT_EQ(enemy->currentAnimation, "idle");
}

TEST_F(EnemyTest, AGunOpensFireInRangeAndEndsItsLastBurstWhenTheCarLeaves)
{
    enemy->weapon = "mgun";
    enemy->meleeCount = 0;
    enemy->fireRange = 30.0f;
    enemy->Start();
    EXPECT_FLOAT_EQ(enemy->GetMeleeReach(), 0.0f);
    PlacePlayer({1.0f, 22.0f, 3.0f});
    enemy->Update(0.1f);
    EXPECT_EQ(enemy->currentAnimation, "fire_in");
    enemy->PlayAttackAnimation(); // "fire_in" ended: the bursts begin
    EXPECT_EQ(enemy->currentAnimation, "fire");
    EXPECT_EQ(enemy->firing, 1);
    enemy->Update(0.1f);
    EXPECT_EQ(enemy->firing, 1);

    // The car leaves during a burst: that burst is the last.
    level->GetPlayer()->SetPosition({1.0f, 40.0f, 3.0f});
    enemy->Update(0.1f);
    EXPECT_EQ(enemy->firing, 0);
    EXPECT_EQ(enemy->currentAnimation, "fire");
    enemy->Update(0.1f);
    EXPECT_EQ(enemy->currentAnimation, "fire");
    enemy->PlayAttackAnimation(); // the burst ended
    enemy->Update(0.1f);
    EXPECT_EQ(enemy->currentAnimation, "fire_out");
    enemy->PlayAttackAnimation(); // "fire_out" ended
    EXPECT_EQ(enemy->currentStateAnimation, "idle");
    enemy->Update(0.1f);
    EXPECT_EQ(enemy->currentAnimation, "idle");
}

TEST_F(EnemyTest, ASelfDestructionEndsTheStep)
{
    enemy->weapon = "explosion";
    enemy->Start();
    PlacePlayer({1.0f, 4.0f, 3.0f});
    enemy->currentAnimation = "melee1";
    enemy->Strike(); // blows itself up
    EXPECT_EQ(enemy->currentStateAnimation, "death1");
    enemy->Update(0.1f);
    EXPECT_EQ(enemy->currentAnimation, "death1");
}
