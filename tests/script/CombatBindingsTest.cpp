#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include <optional>

#include "RaceScriptFixture.h"
#include "Sound/NSound.h"
#include "Sound/SoundManager.h"
#include "physics/PhysicData.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"
#include "platform/Math.h"
#include "platform/HeadlessSoundDevice.h"
#include "support/WaveFiles.h"
#include "core/ServiceOverride.h"

namespace {

using Commands = std::vector<std::string>;

TEST_F(RaceScriptTest, DamagePlayerWarnsAtTwentyAndReportsTheDeathOnce)
{
    struct Case {
        float coefficient;
        float health;
        const char* amount;
        bool answer;
        float healthAfter;
        Commands main;   // say_critical and player_dead
        bool flagBefore; // the car's combat flag
    };
    const Case cases[] = {
        {1.0f, 25.0f, "5", true, 20.0f, {"say_critical()"}, false},
        {1.0f, 25.0f, "4", true, 21.0f, {}, false},
        {2.0f, 25.0f, "2.5", true, 20.0f, {"say_critical()"}, false},
        {1.0f, 20.0f, "5", true, 15.0f, {}, false}, // already critical
        {1.0f, 10.0f, "10", true, 0.0f, {}, false}, // exactly 0 still lives
        {1.0f, 10.0f, "11", false, 0.0f, {"player_dead()"}, false},
        {1.0f, 10.0f, "11", false, 0.0f, {}, true}, // reported before
        {1.0f, 30.0f, "'15'", true, 15.0f, {"say_critical()"}, false},
        {1.0f, 30.0f, "nil", true, 30.0f, {}, false},
        {1.0f, 30.0f, "0/0", true, 30.0f, {}, false}, // not a number: ignored
        {1.0f, 30.0f, "math.huge", false, 0.0f, {"say_critical()", "player_dead()"}, false},
        {1.0f, 30.0f, "-5", true, 35.0f, {}, false},
    };
    SetGlobal("car", player);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.amount);
        data.damageCoefficient = c.coefficient;
        player->combatValues[0] = c.health;
        player->combatFlag = c.flagBefore;
        Do(std::string("answer = DamagePlayer(car, ") + c.amount + ")");
        EXPECT_EQ(GlobalBool("answer"), c.answer);
        EXPECT_FLOAT_EQ(player->combatValues[0], c.healthAfter);
        EXPECT_EQ(Drain(mainScript), c.main);
        const bool ignored = std::string(c.amount) == "0/0";
        EXPECT_EQ(Drain(menu), ignored ? Commands{} : Commands{"update_game_interface()"});
        EXPECT_EQ(player->combatFlag, c.flagBefore || !c.answer);
    }
    // A null car is alive and nothing is sent.
    Do("answer = DamagePlayer(nil, 100)");
    EXPECT_TRUE(GlobalBool("answer"));
    EXPECT_TRUE(Drain(menu).empty());
}

TEST_F(RaceScriptTest, ShotFiresFromAPointInTheObjectsOwnSpaceUnlessTheLevelStopped)
{
    Kind("bullet");
    CPGameObject gun("gun");
    gun.SetPosition({10, 20, 30});
    gun.UpdateBounds();
    SetGlobal("gun", &gun);

    Do("Shot('bullet', gun, 1, 2, 3, 7, 8, 9)");
    ASSERT_EQ(ActiveKinds(), std::vector<std::string>{"bullet"});
    const CPShot* shot = shots.GetActiveShots()[0];
    EXPECT_FLOAT_EQ(shot->GetStartPosition().x, 11.0f);
    EXPECT_FLOAT_EQ(shot->GetStartPosition().y, 22.0f);
    EXPECT_FLOAT_EQ(shot->GetStartPosition().z, 33.0f);
    EXPECT_FLOAT_EQ(shot->GetLaunchValue(), -1.0f);

    // Nothing is fired without an object, for an unknown kind, or from a
    // point that is not a number.
    Do("Shot('bullet', nil, 1, 2, 3); Shot('bullet', 5, 1, 2, 3); Shot('rocket', gun, 0, 0, 0)");
    Do("Shot('bullet', gun, 0/0, 0, 0)");
    EXPECT_EQ(shots.GetActiveCount(), 1u);
    EXPECT_EQ(Error("Shot(nil, gun, 1, 2, 3)"),
              "test:1: bad argument #1 to 'Shot' (string expected, got nil)");

    level->stopped = true;
    Do("Shot('bullet', gun, 1, 2, 3)");
    EXPECT_EQ(shots.GetActiveCount(), 1u);
}

TEST_F(RaceScriptTest, ExplosionsLaunchWhereAndWhitherTheyAreTold)
{
    Kind("boom");
    Do("Explosion('boom', 1, 2, 3); DirectionalExplosion('boom', 4, 5, 6, 0, 1, 0)");
    ASSERT_EQ(shots.GetActiveCount(), 2u);
    const CPShot* still = shots.GetActiveShots()[0];
    const CPShot* aimed = shots.GetActiveShots()[1];
    EXPECT_FLOAT_EQ(still->GetStartPosition().z, 3.0f);
    EXPECT_FLOAT_EQ(LengthSquared(still->GetDirection()), 0.0f);
    EXPECT_FLOAT_EQ(aimed->GetStartPosition().x, 4.0f);
    EXPECT_FLOAT_EQ(aimed->GetDirection().y, 1.0f);
    // No kind, no launch; no error either.
    Do("Explosion(); Explosion(nil, 1, 2, 3); DirectionalExplosion()");
    EXPECT_EQ(shots.GetActiveCount(), 2u);
}

TEST_F(RaceScriptTest, SmartBombSpendsOneSuperWeaponAndTellsTheMenu)
{
    Kind("super");
    data.committedCarSettings.superWeaponCount = 2;
    Do("SmartBomb()");
    EXPECT_EQ(ActiveKinds(), std::vector<std::string>{"super"});
    EXPECT_EQ(data.committedCarSettings.superWeaponCount, 1);
    EXPECT_EQ(Drain(menu), Commands{"update_game_interface()"});

    data.committedCarSettings.superWeaponCount = 0;
    Do("SmartBomb()");
    EXPECT_EQ(shots.GetActiveCount(), 1u);
    EXPECT_EQ(data.committedCarSettings.superWeaponCount, 0);
    EXPECT_TRUE(Drain(menu).empty());
}

TEST_F(RaceScriptTest, GetEnemyDataAnswersInItsOwnOrderAndEntersUnknownNames)
{
    data.enemyData["zombie"] = CPEnemyData{1.5f, 2.5f, "first", "second", "third"};
    Do("a, b, c, d, e = GetEnemyData('zombie')");
    EXPECT_DOUBLE_EQ(GlobalNumber("a"), 1.5);
    EXPECT_EQ(GlobalString("b"), "second");
    EXPECT_DOUBLE_EQ(GlobalNumber("c"), 2.5);
    EXPECT_EQ(GlobalString("d"), "first");
    EXPECT_EQ(GlobalString("e"), "third");

    Do("a, b, c, d, e = GetEnemyData('ghost')");
    EXPECT_DOUBLE_EQ(GlobalNumber("a"), 0.0);
    EXPECT_EQ(GlobalString("e"), "");
    EXPECT_EQ(data.enemyData.count("ghost"), 1u);
    EXPECT_EQ(Error("GetEnemyData()"),
              "test:1: bad argument #1 to 'GetEnemyData' (string expected, got no value)");
}

TEST_F(RaceScriptTest, PlayerShotMarksTheLevel)
{
    Do("PlayerShot(1, 2)");
    EXPECT_TRUE(level->playerFired);
    level.reset();
    Do("PlayerShot()");
}

TEST_F(RaceScriptTest, TriggersFollowTheWeaponAndMineState)
{
    SetGlobal("car", player);
    struct Case {
        const char* flag;
        std::int32_t slot;
        bool disabled;
        std::int32_t kind;
        bool pressed;
        bool flameReset;
    };
    const Case cases[] = {
        {"true", 0, false, 0, true, false},   {"1", 2, false, 0, true, false},
        {"false", 0, false, 0, false, false}, {"nil", 0, false, 8, false, false},
        {"true", -1, false, 0, false, false}, {"true", 0, true, 0, false, false},
        {"true", 1, false, 8, true, true},    {"0", 1, false, 8, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flag);
        player->weapons.weaponSlot = c.slot;
        player->weapons.weaponDisabled = c.disabled;
        player->weapons.weaponKind = c.kind;
        player->weapons.flameTimer = 3.0f;
        player->weapons.firePressed = !c.pressed;
        Do(std::string("SetShot(car, ") + c.flag + ")");
        EXPECT_EQ(player->weapons.firePressed, c.pressed);
        EXPECT_FLOAT_EQ(player->weapons.flameTimer, c.flameReset ? 0.0f : 3.0f);
    }

    const struct {
        const char* flag;
        bool ready;
        bool shot;
    } mines[] = {{"true", true, true}, {"true", false, false}, {"false", true, false}, {"nil", true, false}};
    for (const auto& m : mines) {
        player->weapons.mineReady = m.ready;
        player->weapons.mineShot = !m.shot;
        Do(std::string("SetMineShot(car, ") + m.flag + ")");
        EXPECT_EQ(player->weapons.mineShot, m.shot) << m.flag << " " << m.ready;
    }
    Do("SetShot(nil, true); SetMineShot(nil, true)");
}

TEST_F(RaceScriptTest, SetCurrentWeaponTakesTheNamedObjectOfTheCarsTree)
{
    auto* body = new CPGameObject("body");
    auto* gauss = new CPGameObject("gauss");
    body->AddChild(CPObjectPtr(gauss));
    player->AddChild(CPObjectPtr(body));
    SetGlobal("car", player);

    Do("SetCurrentWeapon(car, 'gauss')");
    EXPECT_EQ(player->weapons.weaponObject.Get(), gauss);
    Do("SetCurrentWeapon(car, 'mgun')");
    EXPECT_FALSE(player->weapons.weaponObject);
    Do("SetCurrentWeapon(nil, 'gauss')");
    EXPECT_EQ(Error("SetCurrentWeapon(car)"),
              "test:1: bad argument #2 to 'SetCurrentWeapon' (string expected, got no value)");
    player->weapons.weaponObject = CPObjectPtr();
    level->SetPlayer(CPObjectPtr()); // deletes the car's tree
    player = nullptr;
}

// Weapon switching with the two sounds it plays.
class WeaponSwitchTest : public RaceScriptTest {
  protected:
    void SetUp() override
    {
        RaceScriptTest::SetUp();
        const std::vector<std::uint8_t> wave = MakeWave(1, 1000, 8, std::vector<std::uint8_t>(200, 0x80));
        folder.Write("Data/Sounds/change_weapon.wav", wave);
        folder.Write("Data/Sounds/undo_weapon.wav", wave);
        sounds = std::make_unique<CPSoundManager>(&device);
        ASSERT_EQ(sounds->LoadSpecialSounds(), 2u);
        m_installedSounds.emplace(sounds.get());
        SetGlobal("car", player);
    }
    void TearDown() override
    {
        m_installedSounds.reset();
        sounds.reset();
        RaceScriptTest::TearDown();
    }
    // The sound that plays, "" for none; both are stopped.
    std::string Played()
    {
        std::string played;
        for (const char* name : {"change_weapon", "undo_weapon"}) {
            auto* sound = sounds->GetSound(name).As<CNSound>();
            if (sound && sound->IsPlaying())
                played += name;
            if (sound)
                sound->StopPlaying();
        }
        return played;
    }

    platform::HeadlessSoundDevice device;
    std::unique_ptr<CPSoundManager> sounds;

  private:
    std::optional<ServiceOverride<GetSoundManager, SetSoundManager>> m_installedSounds;
};

TEST_F(WeaponSwitchTest, SlotsStepOverEmptyNamesAndWrapBothWays)
{
    struct Case {
        const char* call;
        const char* w1;
        const char* w2;
        const char* w3;
        std::int32_t from;
        std::int32_t to;
        const char* sound;
    };
    const Case cases[] = {
        {"SetNextWeapon", "mgun", "", "gauss", 0, 2, "change_weapon"},
        {"SetNextWeapon", "mgun", "", "gauss", 2, 0, "change_weapon"},
        {"SetPrevWeapon", "mgun", "", "gauss", 0, 2, "change_weapon"},
        {"SetPrevWeapon", "mgun", "lgun", "gauss", 2, 1, "change_weapon"},
        {"SetNextWeapon", "mgun", "", "", 0, 0, "undo_weapon"},
        {"SetPrevWeapon", "", "lgun", "", 1, 1, "undo_weapon"},
        {"SetNextWeapon", "", "", "", 0, -1, "change_weapon"},
        {"SetNextWeapon", "", "", "", -1, -1, "undo_weapon"},
        {"SetNextWeapon", "mgun", "lgun", "", -1, 0, "change_weapon"},
        {"SetPrevWeapon", "mgun", "lgun", "", -1, 1, "change_weapon"},
        {"SetNextWeapon", "", "lgun", "", 7, 1, "change_weapon"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.call) + " from " + std::to_string(c.from));
        data.committedCarSettings.weapon1 = c.w1;
        data.committedCarSettings.weapon2 = c.w2;
        data.committedCarSettings.weapon3 = c.w3;
        player->weapons.weaponSlot = c.from;
        Do(std::string(c.call) + "(car)");
        EXPECT_EQ(player->weapons.weaponSlot, c.to);
        EXPECT_EQ(Played(), c.sound);
        const std::string names[] = {c.w1, c.w2, c.w3};
        if (c.to >= 0) {
            EXPECT_EQ(player->weapons.weaponName, names[c.to]);
        }
    }
    Do("SetNextWeapon(nil); SetPrevWeapon('car')");
    EXPECT_EQ(Played(), "");
}

TEST_F(RaceScriptTest, KillPlayerTakesTheCarOutOfSightAndOutOfPlay)
{
    CPPhysicsWorld world;
    ServiceOverride<GetPhysicsWorld, SetPhysicsWorld> installedPhysicsWorld(&world);
    ASSERT_TRUE(world.Init());
    auto* physics = new CPPhysicData(player);
    physics->SetBox(2.0f, 4.0f, 1.0f, 10.0f);
    player->SetPhysicData(CPObjectPtr(physics));
    ASSERT_TRUE(world.AddLevelObject(CPObjectPtr(player), 1, 1));
    PhRigidBody* body = physics->GetRigidBody();
    ASSERT_NE(body, nullptr);
    physics->SetCollisionFlag(true);
    physics->SetActiveFlag(true);
    SetGlobal("car", player);

    Do("IsRigidBefore = IsRigid(car); KillPlayer(car); KillPlayer(nil)");
    EXPECT_TRUE(GlobalBool("IsRigidBefore"));
    EXPECT_FALSE(player->IsVisible());
    EXPECT_FALSE(physics->GetCollisionFlag());
    EXPECT_FALSE(physics->GetActiveFlag());
    EXPECT_EQ(physics->GetRigidBody(), nullptr);
    EXPECT_FALSE(body->IsActive());
    ASSERT_EQ(world.GetEvents().size(), 1u);
    EXPECT_EQ(world.GetEvents()[0].rigidBody, body);
    Do("IsRigidAfter = IsRigid(car)");
    EXPECT_FALSE(GlobalBool("IsRigidAfter"));

    level->SetPlayer(CPObjectPtr());
    player = nullptr;
}

TEST_F(RaceScriptTest, GetRealCarInfoAnswersTheCommittedConfigurationInRecordOrder)
{
    data.committedCarSettings = CPCarSettings{"mgun", "lgun",  "gauss", "radar", "shield", "spikes",
                                              "v8",   "plate", "nuke",  3,       "mine1"};
    data.carSettings = CPCarSettings{};
    Do("r = {GetRealCarInfo()}; n = #r");
    EXPECT_DOUBLE_EQ(GlobalNumber("n"), 11.0);
    Do("text = table.concat(r, ',')");
    EXPECT_EQ(GlobalString("text"), "mgun,lgun,gauss,radar,shield,spikes,v8,plate,nuke,3,mine1");
    Do("assert(type(r[10]) == 'number')");
}

TEST_F(RaceScriptTest, DifficultySetsTheFlagReloadsTheCoefficientsAndAnswersABoolean)
{
    data.damageCoefficient = 3.0f;
    GetGameSettings().difficulty = 1;
    Do("SetDifficult(true); hard = GetDifficulty()");
    EXPECT_TRUE(data.difficult);
    EXPECT_FLOAT_EQ(data.damageCoefficient, 1.0f); // the difficult setting takes every coefficient as 1
    EXPECT_TRUE(GlobalBool("hard"));

    GetGameSettings().difficulty = 0;
    Do("SetDifficult(nil); hard = GetDifficulty()");
    EXPECT_FALSE(data.difficult);
    EXPECT_FALSE(GlobalBool("hard"));
}

} // namespace
