// Combat in the sample race, played through the real host on a copy of the
// sample data: the opponents' guns fire at the cars in their sights and
// their shots hurt; a rocket lobbed comes down on the road ahead, or on
// the car the guns aim at; a mine
// laid with the mine key arms and goes off under a car, which it throws
// up; a car turned over is put back on the road.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/SampleHost.h"

#include "app/GameHost.h"
#include "game/AIGunner.h"
#include "core/Singletons.h"
#include "game/Level.h"
#include "game/GameData.h"
#include "game/MineShot.h"
#include "game/Player.h"
#include "game/ProjectileShot.h"
#include "game/RaceFrame.h"
#include "game/ShotManager.h"
#include "platform/Dialog.h"
#include "platform/HeadlessInputDevice.h"
#include "platform/VectorMath.h"
#include "script/ScriptHost.h"

namespace fs = std::filesystem;

namespace {

constexpr float kFullHealth = 100000.0f;
// What the sample's script leaves a rival of the full health a car comes with.
constexpr float kRivalHealth = 60.0f;
constexpr int kMineKey = 0x2C;    // Z, as Actions.cfg binds "mine"
constexpr int kBrakeKey = 0xD0;   // Down: "brake", which backs a standing car
constexpr int kFireKey = 0x1D;    // LCtrl: "fire"
constexpr float kMineLift = 6.0f; // m/s, mine1's in shots.txt

class SampleCombat : public SampleHostTest {
  protected:
    // The starting car of a new profile carries the shop's mines.
    void StartWithMines()
    {
        const fs::path file = fs::path(data.GetPath()) / "Data" / "player.dat";
        std::ifstream in(file);
        std::stringstream lines;
        std::string line;
        for (int n = 1; std::getline(in, line); ++n)
            lines << (n == 4 ? "mine1" : line) << "\n";
        in.close();
        std::ofstream(file, std::ios::trunc) << lines.str();
    }

    // The menu's Start is clicked; the race is on.
    void Start()
    {
        GameHost::Options options;
        options.frames = kRaceOn;
        options.dataRoot = data.GetPath();
        std::string error;
        ASSERT_TRUE(options.input.Parse("20 move 320 180\n30 press 0\n32 release 0\n", error)) << error;
        host = std::make_unique<GameHost>(options);
        host->Run();
        level = GetCurrentLevel();
        ASSERT_NE(level, nullptr);
        player = dynamic_cast<CPPlayer*>(level->GetPlayer());
        ASSERT_NE(player, nullptr);
    }

    void Frames(int count)
    {
        for (int i = 0; i < count; ++i)
            host->RunFrame();
    }

    std::string Handle(const CPGameObject& object) const
    {
        return "StringToPointer('" +
               std::to_string(reinterpret_cast<std::uintptr_t>(const_cast<CPGameObject*>(&object))) + "')";
    }
    bool Run(const std::string& text) { return host->GetScriptHost().RunText(text, "test"); }

    // Every car braked and held where it stands.
    void HoldTheField() { ASSERT_TRUE(Run("LockPlayers(true)")); }
    void MoveCar(const CPGameObject& car, const Vector3& to)
    {
        ASSERT_TRUE(Run("SetPosition(" + Handle(car) + ", " + std::to_string(to.x) + ", " +
                        std::to_string(to.y) + ", " + std::to_string(to.z + 0.5f) + ")"));
    }
    // The opponents out of the guns' sights, in a file on the road behind
    // the player's car, their own guns taken away.
    void ParkOpponentsBehind()
    {
        const Vector3 back = race::Forward(*player) * -1.0f;
        float distance = 30.0f;
        for (CPGameObject* object : level->GetOpponents()) {
            MoveCar(*object, player->GetPosition() + back * distance);
            distance += 8.0f;
            if (auto* car = dynamic_cast<CPPlayer*>(object))
                car->weapons.weaponObject = CPObjectPtr();
        }
    }
    // The rocket launcher in the player's hands.
    void ArmRockets()
    {
        GetGameData()->committedCarSettings.weapon1 = "rlauncher";
        player->weapons.weaponSlot = 0;
        player->SelectWeapon();
        ASSERT_EQ(player->weapons.weaponName, "rlauncher");
    }
    // The fire key held until the player's first rocket leaves.
    CPProjectileShot* FireRocket()
    {
        host->GetHeadlessInput()->SetKey(kFireKey, true);
        CPProjectileShot* rocket = nullptr;
        for (int i = 0; i < 30 && !rocket; ++i) {
            Frames(1);
            for (CPShot* shot : GetWeaponManager()->GetActiveShots())
                if (shot->GetKindName() == "rocket1" && shot->GetShooter() == player)
                    rocket = dynamic_cast<CPProjectileShot*>(shot);
        }
        host->GetHeadlessInput()->SetKey(kFireKey, false);
        return rocket;
    }
    static bool Flying(const CPShot* shot)
    {
        const std::vector<CPShot*> shots = GetWeaponManager()->GetActiveShots();
        return std::find(shots.begin(), shots.end(), shot) != shots.end();
    }

    static CPMineShot* LyingMine()
    {
        for (CPShot* shot : GetWeaponManager()->GetActiveShots())
            if (auto* mine = dynamic_cast<CPMineShot*>(shot))
                return mine;
        return nullptr;
    }

    static constexpr int kRaceOn = 40;
    CPLevel* level = nullptr;
    CPPlayer* player = nullptr;
};

} // namespace

// Every opponent comes armed with the first weapon; a gun with a car in its
// sights fires (its ammunition goes down), and what its shots hit is hurt
// through the hit car's script.
TEST_F(SampleCombat, OpponentsFireAtTheCarsInTheirSightsAndTheirShotsHurt)
{
    Start();
    for (CPGameObject* object : level->GetOpponents()) {
        auto* car = dynamic_cast<CPPlayer*>(object);
        ASSERT_NE(car, nullptr);
        EXPECT_EQ(car->weapons.weaponName, "mgun") << car->modelName;
    }
    int fired = 0;
    int hurt = 0;
    for (int second = 0; second < 20 && !(fired > 1 && hurt > 0); ++second) {
        Frames(60);
        fired = hurt = 0;
        for (CPGameObject* object : level->GetOpponents()) {
            auto* car = dynamic_cast<CPPlayer*>(object);
            fired += car->weapons.ammunition[0] < 1.0f;
            // Only the opponents' guns fire at the opponents.
            hurt += car->combatValues[0] < kRivalHealth;
        }
    }
    EXPECT_GT(fired, 1);
    EXPECT_GT(hurt, 0);
    // Nothing was in the player's hands: the player's gun stayed quiet.
    EXPECT_EQ(player->weapons.ammunition[0], 1.0f);
}

// The field leaves the grid nose to tail: the opponents' guns turn but do
// not fire until the race has run a few seconds, so no car is hurt, let
// alone wrecked, on the grid.
TEST_F(SampleCombat, OpponentsHoldFireWhileTheFieldLeavesTheGrid)
{
    Start();
    testing::internal::CaptureStdout();
    while (level->race.elapsedTime < ai_gunner::kHoldFire - 0.1f) {
        Frames(1);
        for (CPShot* shot : GetWeaponManager()->GetActiveShots()) {
            const CPGameObject* shooter = shot->GetShooter();
            ASSERT_TRUE(!shooter || shooter == player)
                << "an opponent fired at " << level->race.elapsedTime << " s";
        }
    }
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.find(" wrecked"), std::string::npos) << out;
    for (CPGameObject* object : level->GetOpponents()) {
        auto* car = dynamic_cast<CPPlayer*>(object);
        ASSERT_NE(car, nullptr);
        EXPECT_EQ(car->weapons.ammunition[0], 1.0f) << car->modelName;
        EXPECT_EQ(car->combatValues[0], kRivalHealth) << car->modelName;
    }
}

// The rocket launcher lobs its rockets, leaving at 17 and falling under
// 9.8, at what the player's guns aim at: with no car in the sights, the
// road 60 ahead, too far for a launch at 17, so it tilts to the farthest
// throw and the rocket comes down on the road some 30 ahead of the car
// (rather than climbing away unseen) and bursts there.
TEST_F(SampleCombat, ARocketFiredComesDownOnTheRoadAhead)
{
    Start();
    HoldTheField();
    ParkOpponentsBehind();
    ArmRockets();
    CPProjectileShot* rocket = FireRocket();
    ASSERT_NE(rocket, nullptr) << "the rocket launcher did not fire";
    const Vector3 from = rocket->GetHead();
    Vector3 last = from;
    float travelled = 0.0f;
    for (int i = 0; i < 600 && Flying(rocket); ++i) {
        last = rocket->GetHead();
        travelled = rocket->GetTravelled();
        Frames(1);
    }
    EXPECT_FALSE(Flying(rocket)) << "the rocket is still in the air after ten seconds";
    EXPECT_LT(travelled, rocket->GetRange() / 4) << "the rocket flew its whole range without a hit";
    const float ahead = std::hypot(last.x - from.x, last.y - from.y);
    EXPECT_GT(ahead, 20.0f);
    EXPECT_LT(ahead, 40.0f);
    EXPECT_LT(last.z, from.z + 1.0f) << "the rocket burst in the air, not on the road";
}

// A car in the sights within a rocket's throw is what the rocket is lobbed
// at: it climbs high and comes down on the car, which the launcher's
// damage hurts through its script, and the hit is the player's.
TEST_F(SampleCombat, ARocketLobbedAtTheCarAheadComesDownOnIt)
{
    Start();
    HoldTheField();
    ParkOpponentsBehind();
    auto* target = dynamic_cast<CPPlayer*>(level->GetOpponents().front());
    ASSERT_NE(target, nullptr);
    const Vector3 spot = player->GetPosition() + race::Forward(*player) * 18.0f;
    MoveCar(*target, spot);
    Frames(30);
    ArmRockets();
    // The target worn down to 30, whatever the grid's guns did.
    target->combatValues[0] = 30.0f;
    target->healthRanOut = false;
    const std::int32_t hits = GetGameData()->combat.hits;
    const std::int32_t wrecked = GetGameData()->combat.carsWrecked;
    testing::internal::CaptureStdout();
    CPProjectileShot* rocket = FireRocket();
    ASSERT_NE(rocket, nullptr) << "the rocket launcher did not fire";
    for (int i = 0; i < 600 && Flying(rocket); ++i)
        Frames(1);
    Frames(2); // the car's script takes the damage
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(Flying(rocket));
    EXPECT_EQ(GetGameData()->combat.hits, hits + 1);
    // A rocket's 40 is more than the health left: the player's rocket
    // wrecks it, and the player's tally counts the wreck.
    EXPECT_EQ(target->combatValues[0], 0.0f);
    EXPECT_EQ(GetGameData()->combat.carsWrecked, wrecked + 1);
    EXPECT_NE(out.find(" wrecked at "), std::string::npos) << out;
}

// The mine key lays one mine behind the car. It lies harmless while it
// arms, then goes off under the car that backs over it: the car is hurt by
// the mine's 40 and thrown upwards, the blast stays where the mine lay.
TEST_F(SampleCombat, AMineLaidArmsAndGoesOffUnderACar)
{
    StartWithMines();
    Start();
    ASSERT_EQ(player->weapons.mineName, "mine1");
    ASSERT_TRUE(player->weapons.mineReady);
    ASSERT_EQ(player->weapons.mineParameters.value1, 5);
    // The field has left the player behind before Z lays the mine.
    platform::HeadlessInputDevice* keys = host->GetHeadlessInput();
    ASSERT_NE(keys, nullptr);
    Frames(360);
    keys->SetKey(kMineKey, true);
    Frames(4);
    keys->SetKey(kMineKey, false);
    Frames(6);
    EXPECT_EQ(player->weapons.mineParameters.value1, 4);
    CPMineShot* mine = LyingMine();
    ASSERT_NE(mine, nullptr);
    const Vector3 laid = mine->GetStartPosition();
    const Vector3 forward = race::Forward(*player);
    EXPECT_LT(forward.x * (laid.x - player->GetPosition().x) + forward.y * (laid.y - player->GetPosition().y),
              -2.0f);
    EXPECT_FALSE(mine->IsArmed());
    Frames(70);
    ASSERT_EQ(LyingMine(), mine);
    EXPECT_TRUE(mine->IsArmed());

    // Down backs the car over it.
    keys->SetKey(kBrakeKey, true);
    bool wentOff = false;
    float lost = 0.0f;
    for (int frame = 0; frame < 300 && !wentOff; ++frame) {
        const float health = player->combatValues[0];
        Frames(1);
        wentOff = LyingMine() == nullptr;
        lost = health - player->combatValues[0];
    }
    float rising = 0.0f;
    for (int frame = 0; frame < 30; ++frame) {
        Frames(1);
        rising = std::max(rising, player->GetCarVelocity().z);
    }
    keys->SetKey(kBrakeKey, false);
    ASSERT_TRUE(wentOff);
    // A passing bullet (6) may hurt it in the same frame.
    EXPECT_GE(lost, 40.0f);
    EXPECT_LE(lost, 40.0f + 6.0f);
    // The blast throws the car up at the mine's lift (6 m/s in shots.txt).
    // How high it then goes depends on where under it the mine was: one
    // caught by the tail tips the car rather than raising it.
    EXPECT_GT(rising, 0.9f * kMineLift);
}

// A car left on its roof, as a blast or a crash leaves it, is put back on
// the road upright at once, and not again within the next second.
TEST_F(SampleCombat, ACarLeftOnItsRoofIsPutBackOnTheRoad)
{
    Start();
    Frames(30);
    const std::string handle =
        std::to_string(reinterpret_cast<std::uintptr_t>(static_cast<CPGameObject*>(player)));
    ASSERT_TRUE(host->GetScriptHost().RunText(
        "SetRotation(StringToPointer('" + handle + "'), 3.1415927, 0, 0)", "on its roof"));
    EXPECT_LT(race::Up(*player).z, -0.9f);
    Frames(2);
    EXPECT_GT(race::Up(*player).z, 0.9f);
    EXPECT_GT(player->respawnCooldown, 0.9f);
}

// A rival whose health runs out is wrecked: blown up off the road, then put
// back on it three seconds later with its health, and the race goes on.
// The player's own wreck is put back the same way and does not end the
// player's race, though "player_dead" tells every "main" object of it.
TEST_F(SampleCombat, AWreckedCarIsBlownUpAndPutBackAndTheRaceGoesOn)
{
    Start();
    // No gun but the test's hurts anyone.
    for (CPGameObject* object : level->GetOpponents())
        if (auto* car = dynamic_cast<CPPlayer*>(object)) {
            car->weapons.weaponObject = CPObjectPtr();
            car->combatValues[0] = kRivalHealth;
            car->healthRanOut = false;
        }
    Frames(60);
    auto* rival = dynamic_cast<CPPlayer*>(level->GetOpponents().front());
    ASSERT_NE(rival, nullptr);
    EXPECT_EQ(rival->combatValues[0], kRivalHealth);
    EXPECT_EQ(player->combatValues[0], kFullHealth);

    testing::internal::CaptureStdout();
    rival->OnDamage(rival->GetPosition(), rival->GetPosition(), kRivalHealth + 1.0f, false, false);
    player->OnDamage(player->GetPosition(), player->GetPosition(), kFullHealth + 1.0f, false, false);
    Frames(2);
    const float rivalLeft = rival->combatValues[0], playerLeft = player->combatValues[0];
    const float groundZ = rival->GetPosition().z;
    float highest = groundZ;
    for (int i = 0; i < 30; ++i) {
        Frames(1);
        highest = std::max(highest, rival->GetPosition().z);
    }
    Frames(170);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(rivalLeft, 0.0f);
    EXPECT_EQ(playerLeft, 0.0f);
    EXPECT_GT(highest, groundZ + 1.0f) << "the wreck was not blown off the road";
    EXPECT_NE(out.find("script: rival1 wrecked"), std::string::npos) << out;
    EXPECT_NE(out.find("script: the player's car wrecked"), std::string::npos) << out;
    EXPECT_EQ(out.find("script: race over"), std::string::npos) << out;
    ASSERT_EQ(GetCurrentLevel(), level);
    EXPECT_EQ(rival->combatValues[0], kRivalHealth);
    EXPECT_EQ(player->combatValues[0], kFullHealth);
    EXPECT_GT(rival->respawnCooldown, 0.0f) << "the wreck was not put back";
    EXPECT_GT(race::Up(*rival).z, 0.9f);
    // Shots the player never fired wreck nothing in the player's tally.
    EXPECT_EQ(GetGameData()->combat.carsWrecked, 0);
}
