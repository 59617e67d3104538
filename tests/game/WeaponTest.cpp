#include <gtest/gtest.h>

#include <cmath>

#include "CombatTestWorld.h"
#include "game/FlameEffect.h"
#include "game/FlameShot.h"
#include "game/Player.h"
#include "game/WeaponKind.h"
#include "platform/Math.h"
#include "support/MathExpect.h"

namespace {

// A car at the origin facing -y with the weapons "mgun", "shotgun",
// "rlauncher", "firethrower" and "laser" (no kind of its own) fitted, each
// a child one unit up with four muzzle flashes one unit ahead of it.
class WeaponTest : public CombatTest {
  protected:
    void SetUp() override
    {
        CombatTest::SetUp();
        car = new CPPlayer;
        PlaceCube(*car, {0.0f, 0.0f, 0.0f}, 1.0f);
        level->SetPlayer(CPObjectPtr(car));
        for (const char* name : {"mgun", "shotgun", "rlauncher", "firethrower", "laser"})
            AddWeapon(name);
        for (const char* kind : {"trasser11", "trasser13", "rocket1"})
            StayingKind(kind);
        Effect("gilze");
        Effect("firethrower");
    }

    void AddWeapon(const std::string& name)
    {
        auto* weapon = new CPGameObject(name);
        weapon->SetPosition({0.0f, 0.0f, 1.0f});
        weapon->SetVisible(false);
        car->AddChild(CPObjectPtr(weapon));
        for (const char* suffix : {"", "_01", "_02", "_03"}) {
            auto* flare = new CPGameObject("flare_" + name + suffix);
            flare->SetPosition({0.0f, -1.0f, 0.0f});
            weapon->AddChild(CPObjectPtr(flare));
        }
    }

    // Fits the weapon in slot 1 with pellets P, damage D, shots per unit U
    // and rate R, and selects it without time passing.
    void Fit(const std::string& name, std::int32_t pellets, float damage, std::int32_t perUnit, float rate,
             float ammunition)
    {
        CPWeaponInfo record;
        record.value1 = pellets;
        record.groupA3 = damage;
        record.groupB2 = perUnit;
        record.groupB3 = rate;
        gameData.weapons.Add(name, record);
        gameData.committedCarSettings.weapon1 = name;
        car->weapons.weaponSlot = 0;
        car->weapons.ammunition[0] = ammunition;
        const float dt = GetFrameTime();
        SetFrameTime(0.0f);
        car->SelectWeapon();
        SetFrameTime(dt);
    }

    int VisibleFlare() const
    {
        int visible = -1;
        for (int i = 0; i < 4; ++i) {
            if (car->weapons.flares[i].As<CPGameObject>()->IsVisible()) {
                EXPECT_EQ(visible, -1) << "two flares shown";
                visible = i;
            }
        }
        return visible;
    }

    int GameInterfaceUpdates()
    {
        int count = 0;
        for (const std::string& command : Drain(menu))
            count += command == "update_game_interface()";
        return count;
    }

    CPPlayer* car = nullptr;
};

} // namespace

TEST_F(WeaponTest, FiresAtItsRateWhileAmmunitionLasts)
{
    // Cost 1 / 4 = 0.25 a shot, a shot every 0.25 s; frames of 0.125 s.
    SetFrameTime(0.125f);
    Fit("mgun", 1, 5.0f, 4, 4.0f, 0.75f);
    ASSERT_EQ(car->weapons.weaponKind, static_cast<int>(CPWeaponKind::kGun));
    const struct Frame {
        bool trigger;
        std::size_t shots;
        float ammunition;
        bool disabled;
        int flare;
    } frames[] = {
        {true, 1, 0.5f, false, 0},   // cooldown -0.125: fires
        {true, 1, 0.5f, false, 0},   // 0.125
        {true, 1, 0.5f, false, 0},   // 0: not below 0
        {true, 2, 0.25f, false, 1},  // -0.125: fires
        {false, 2, 0.25f, false, 1}, // trigger released
        {false, 2, 0.25f, false, 1}, {false, 2, 0.25f, false, 1},
        {true, 3, 0.0f, true, 2}, // the last full shot, then disabled
        {true, 3, 0.0f, true, 2},
    };
    int frameNumber = 0;
    for (const Frame& f : frames) {
        SCOPED_TRACE(++frameNumber);
        car->weapons.SetFirePressed(f.trigger);
        car->UpdateWeapon({0.0f, -50.0f, 1.0f}, nullptr);
        EXPECT_EQ(shots.GetActiveCount(), f.shots);
        EXPECT_FLOAT_EQ(car->weapons.ammunition[0], f.ammunition);
        EXPECT_EQ(car->weapons.weaponDisabled, f.disabled);
        EXPECT_EQ(VisibleFlare(), f.flare);
    }
    EXPECT_EQ(Effect("gilze").spawns.size(), 3u);
    EXPECT_EQ(GameInterfaceUpdates(), 3);
    // A disabled weapon's trigger does not hold.
    car->weapons.SetFirePressed(true);
    EXPECT_FALSE(car->weapons.firePressed);
    // Every bullet carries the damage and leaves from the shown flare,
    // along the weapon (straight ahead).
    for (const CPShot* shot : shots.GetActiveShots()) {
        EXPECT_FLOAT_EQ(shot->GetLaunchValue(), 5.0f);
        EXPECT_TRUE(Near(shot->GetStartPosition(), {0.0f, -1.0f, 1.0f}));
        EXPECT_TRUE(Near(shot->GetDirection(), {0.0f, -1.0f, 0.0f}));
    }
}

TEST_F(WeaponTest, SlotShortOfOneShotTriesOnceAndIsDisabled)
{
    Fit("mgun", 1, 5.0f, 4, 4.0f, 0.2f);
    car->weapons.SetFirePressed(true);
    car->UpdateWeapon({0.0f, -50.0f, 1.0f}, nullptr);
    EXPECT_EQ(shots.GetActiveCount(), 0u);
    EXPECT_TRUE(car->weapons.weaponDisabled);
    EXPECT_EQ(GameInterfaceUpdates(), 1);
}

TEST_F(WeaponTest, RecordWithoutShotsPerUnitNeverFires)
{
    // The cost would divide by zero shots per unit.
    Fit("mgun", 1, 5.0f, 0, 4.0f, 1.0f);
    car->weapons.SetFirePressed(true);
    car->UpdateWeapon({0.0f, -50.0f, 1.0f}, nullptr);
    EXPECT_EQ(shots.GetActiveCount(), 0u);
    EXPECT_TRUE(car->weapons.weaponDisabled);
    EXPECT_FLOAT_EQ(car->weapons.ammunition[0], 1.0f);
}

TEST_F(WeaponTest, ShotgunSpendsOneUnitOnSixPelletsAndSixCases)
{
    Fit("shotgun", 6, 2.0f, 6, 1.0f, 3.0f);
    car->weapons.SetFirePressed(true);
    car->UpdateWeapon({0.0f, -50.0f, 1.0f}, nullptr);
    EXPECT_EQ(shots.GetActiveCount(), 6u);
    EXPECT_EQ(Effect("gilze").spawns.size(), 6u);
    EXPECT_FLOAT_EQ(car->weapons.ammunition[0], 2.0f);
    // Each pellet is turned off the aim by at most 0.4 rad.
    for (const CPShot* shot : shots.GetActiveShots()) {
        const float angle = std::acos(-Normalize(shot->GetDirection()).y);
        EXPECT_LE(angle, 0.4f + 1e-5f);
    }
}

TEST_F(WeaponTest, WeaponTurnsToTheAim)
{
    Fit("mgun", 1, 5.0f, 4, 4.0f, 1.0f);
    // Aim to the car's right (+x): a quarter turn from -y.
    car->UpdateWeapon({10.0f, 0.0f, 1.0f}, nullptr);
    const auto* weapon = car->weapons.weaponObject.As<CPGameObject>();
    EXPECT_TRUE(Near(TransformNormal({0.0f, -1.0f, 0.0f}, weapon->GetWorldMatrix()), {1.0f, 0.0f, 0.0f}));
    car->UpdateWeapon({-10.0f, 0.0f, 1.0f}, nullptr);
    EXPECT_TRUE(Near(TransformNormal({0.0f, -1.0f, 0.0f}, weapon->GetWorldMatrix()), {-1.0f, 0.0f, 0.0f}));
}

TEST_F(WeaponTest, RocketLauncherRaisesTheBallisticArc)
{
    Fit("rlauncher", 1, 30.0f, 1, 1.0f, 5.0f);
    const struct {
        float distance;
        float elevation;
    } cases[] = {
        // s = 9.8 d / 289; elevation = pi/2 - asin(s) / 2.
        {10.0f, 1.5707964f - 0.5f * std::asin(98.0f / 289.0f)},
        {29.0f, 1.5707964f - 0.5f * std::asin(9.8f * 29.0f / 289.0f)},
        {100.0f, 0.7853982f}, // past 289 / 9.8: held at 45 degrees
    };
    const auto* weapon = car->weapons.weaponObject.As<CPGameObject>();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.distance);
        car->UpdateWeapon({0.0f, -c.distance, 1.0f}, nullptr);
        const Vector3 along = TransformNormal({0.0f, -1.0f, 0.0f}, weapon->GetWorldMatrix());
        EXPECT_NEAR(along.z, std::sin(c.elevation), 1e-5f);
        EXPECT_NEAR(along.y, -std::cos(c.elevation), 1e-5f);
    }
}

TEST_F(WeaponTest, WeaponOutsideTheTableTurnsButNeverFires)
{
    Fit("laser", 1, 5.0f, 4, 4.0f, 1.0f);
    EXPECT_EQ(car->weapons.weaponKind, static_cast<int>(CPWeaponKind::kNone));
    car->weapons.SetFirePressed(true);
    for (int frame = 0; frame < 5; ++frame)
        car->UpdateWeapon({0.0f, -50.0f, 1.0f}, nullptr);
    EXPECT_EQ(shots.GetActiveCount(), 0u);
}

TEST_F(WeaponTest, SelectionShowsOnlyTheChosenWeapon)
{
    Fit("mgun", 1, 5.0f, 4, 4.0f, 1.0f);
    auto* mgun = car->weapons.weaponObject.As<CPGameObject>();
    ASSERT_NE(mgun, nullptr);
    EXPECT_TRUE(mgun->IsVisible());
    EXPECT_EQ(VisibleFlare(), -1);
    EXPECT_EQ(car->weapons.flareIndex, 3);

    // No slot: the weapon goes and nothing fires.
    car->weapons.weaponSlot = -1;
    car->SelectWeapon();
    EXPECT_FALSE(mgun->IsVisible());
    car->weapons.SetFirePressed(true);
    EXPECT_FALSE(car->weapons.firePressed);

    // A slot changed past the three without a selection fires nothing.
    Fit("mgun", 1, 5.0f, 4, 4.0f, 1.0f);
    car->weapons.SetFirePressed(true);
    car->weapons.weaponSlot = 3;
    car->UpdateWeapon({0.0f, -50.0f, 1.0f}, nullptr);
    EXPECT_EQ(shots.GetActiveCount(), 0u);

    // A slot past the three weapon slots holds no weapon.
    car->weapons.weaponSlot = 3;
    car->SelectWeapon();
    EXPECT_EQ(car->weapons.weaponObject.Get(), nullptr);
    EXPECT_TRUE(log.Contains("no weapon in slot 3"));

    // A slot with negative ammunition is disabled; a fresh one is not.
    Fit("shotgun", 6, 2.0f, 6, 1.0f, -1.0f);
    EXPECT_TRUE(car->weapons.weaponDisabled);
    Fit("mgun", 1, 5.0f, 4, 4.0f, 1.0f);
    EXPECT_FALSE(car->weapons.weaponDisabled);
}

TEST_F(WeaponTest, FlameBurnsWhatItReachedEveryFifthOfASecond)
{
    Fit("firethrower", 1, 4.0f, 10, 10.0f, 1.0f);
    ASSERT_EQ(car->weapons.weaponKind, static_cast<int>(CPWeaponKind::kFlameThrower));
    car->weapons.SetFirePressed(true);
    EXPECT_FLOAT_EQ(car->weapons.flameTimer, 0.0f);
    car->UpdateWeapon({0.0f, -50.0f, 1.0f}, nullptr);
    // A flame request, not a shot, holding the car that reports its hits.
    EXPECT_EQ(shots.GetActiveCount(), 0u);
    ASSERT_EQ(Effect("firethrower").spawns.size(), 1u);
    const auto& flame = Effect("firethrower").spawns[0];
    EXPECT_EQ(flame.heldObject, car);
    EXPECT_GE(flame.word1, 0.8f);
    EXPECT_LE(flame.word1, 1.1f);
    EXPECT_NEAR(Length(flame.velocity), 14.0f, 14.0f * 0.2f);

    // A particle that crossed a barrel puts it in the hit set and is spent.
    CPGameObject* barrel = Cube("barrel", {0.0f, -5.0f, 1.0f});
    DamageRecorder barrelDamage;
    barrel->SetEnemy(&barrelDamage);
    level->firstObjects.push_back(CPObjectPtr(barrel));
    float life = 0.3f;
    CPShotHit hit{{0.0f, -2.0f, 1.0f}, {0.0f, -7.0f, 1.0f}, car, &life};
    car->OnShotHit(hit);
    EXPECT_FLOAT_EQ(life, 1000.0f);
    EXPECT_EQ(car->weapons.hitSet.count(barrel), 1u);

    // The damage clock: 0 when pressed, -0.1 in the first frame (nothing
    // in the set yet), 0.1 after it; it comes to 0 again in this frame.
    car->weapons.SetFirePressed(false);
    car->UpdateWeapon({0.0f, -50.0f, 1.0f}, nullptr);
    ASSERT_EQ(barrelDamage.hits.size(), 1u);
    EXPECT_FLOAT_EQ(barrelDamage.hits[0].damage, 4.0f);
    EXPECT_TRUE(car->weapons.hitSet.empty());

    // Reached again, but the clock stands at 0.1: no burn, and the set is
    // emptied all the same.
    car->OnShotHit(hit);
    car->UpdateWeapon({0.0f, -50.0f, 1.0f}, nullptr);
    EXPECT_EQ(barrelDamage.hits.size(), 1u);
    EXPECT_TRUE(car->weapons.hitSet.empty());
    car->UpdateWeapon({0.0f, -50.0f, 1.0f}, nullptr);
    EXPECT_EQ(barrelDamage.hits.size(), 1u);
    barrel->SetEnemy(nullptr);

    // A particle that meets only the shooting car reaches nothing.
    float otherLife = 0.3f;
    CPShotHit own{{0.0f, 3.0f, 0.0f}, {0.0f, -3.0f, 0.0f}, car, &otherLife};
    car->OnShotHit(own);
    EXPECT_FLOAT_EQ(otherLife, 0.3f);
    EXPECT_TRUE(car->weapons.hitSet.empty());
}

TEST_F(WeaponTest, FlameParticlesSetWhatTheyReachBurning)
{
    // The real flame effect in place of the recording one: its particles
    // are shots of the kind "flame".
    ASSERT_TRUE(effects.RegisterPrototype("firethrower", new CPFlameEffect));
    ASSERT_TRUE(shots.CreateKind("flame", "flame", {"0", "none"}));
    CPGameObject* barrel = Cube("barrel", {0.0f, -5.0f, 1.0f});
    DamageRecorder barrelDamage;
    barrel->SetEnemy(&barrelDamage);
    level->firstObjects.push_back(CPObjectPtr(barrel));

    Fit("firethrower", 1, 4.0f, 100, 10.0f, 1.0f);
    car->weapons.SetFirePressed(true);
    for (int frame = 0; frame < 12; ++frame) {
        shots.Update();
        car->UpdateWeapon({0.0f, -50.0f, 1.0f}, nullptr);
    }
    // Flames leave every 0.1 s at a speed of about 14 and reach the barrel
    // 3 units ahead within three frames; from then on it burns every 0.2 s.
    EXPECT_GE(barrelDamage.hits.size(), 3u);
    EXPECT_LE(barrelDamage.hits.size(), 6u);
    for (const DamageRecorder::Hit& hit : barrelDamage.hits)
        EXPECT_FLOAT_EQ(hit.damage, 4.0f);
    // No flame flies on past the barrel.
    for (const CPShot* shot : shots.GetActiveShots()) {
        const auto* flame = dynamic_cast<const CPFlameShot*>(shot);
        ASSERT_NE(flame, nullptr);
        EXPECT_GT(flame->GetHead().y, -4.0f - 1e-4f);
    }
    barrel->SetEnemy(nullptr);
}

TEST(WeaponKinds, NamesCompareWhole)
{
    const struct {
        const char* name;
        CPWeaponKind kind;
        const char* shot;
    } cases[] = {
        {"lgun", CPWeaponKind::kGun, "trasser11"},
        {"mgun2x", CPWeaponKind::kGun, "trasser11"},
        {"lgun2x", CPWeaponKind::kTwinGun, "trasser11"},
        {"hmgun", CPWeaponKind::kHeavyGun, "trasser12"},
        {"ssrlauncher", CPWeaponKind::kSmallRockets, "srocket1"},
        {"rlauncher", CPWeaponKind::kRockets, "rocket1"},
        {"plasma", CPWeaponKind::kPlasma, "plazma"},
        {"autoshotgun", CPWeaponKind::kShotgun, "trasser13"},
        {"gauss", CPWeaponKind::kGauss, "gauss1"},
        {"firethrower", CPWeaponKind::kFlameThrower, ""},
        {"mgun ", CPWeaponKind::kNone, ""},
        {"MGUN", CPWeaponKind::kNone, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WeaponKindOfName(c.name), c.kind) << c.name;
        EXPECT_STREQ(ShotOfWeaponKind(WeaponKindOfName(c.name)), c.shot) << c.name;
    }
}
