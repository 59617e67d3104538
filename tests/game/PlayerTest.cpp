#include "game/Player.h"

#include <gtest/gtest.h>

#include "Render/PRender.h"
#include "Sound/NSound.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "game/Level.h"
#include "CarTestWorld.h"
#include "support/LevelSlotScope.h"
#include "core/ServiceOverride.h"

namespace {

// The car test world with a player object in place of the plain scene
// object: same body, wheels and lights.
class PlayerTest : public CarTest {
  protected:
    void SetUp() override
    {
        CarTest::SetUp();
        CPGameObject::DeleteTree(m_owner);
        m_player = new CPPlayer();
        m_owner = m_player;
        auto* data = new CPPhysicData(m_owner);
        data->SetBox(2.0f, 4.0f, 1.0f, 10.0f);
        m_owner->SetPhysicData(CPObjectPtr(data));
        const Vector3 wheels[] = {
            {1.0f, -1.5f, 0.0f}, {-1.0f, -1.5f, 0.0f}, {1.0f, 1.5f, 0.0f}, {-1.0f, 1.5f, 0.0f}};
        for (int i = 0; i < 4; ++i)
            Child("w" + std::to_string(i)).SetPosition(wheels[i]);
        for (const char* light : {"stoplights", "stoplights2", "backlights", "backlights2"})
            Child(light);
    }

    // The player's car, made in the world with or without sounds.
    CPCar& PlayerCar(bool withSounds = false)
    {
        EXPECT_TRUE(m_world.AddLevelObject(CPObjectPtr(m_owner), 1, 1));
        m_player->CreateCar(withSounds);
        CPCar* car = m_player->GetCar();
        EXPECT_NE(car, nullptr);
        return *car;
    }

    CPPlayer* m_player = nullptr;
};

TEST(PlayerObject, StartsAsAnIntactCarOfNoSide)
{
    CPPlayer player;
    EXPECT_EQ(player.GetName(), "PLAYER");
    EXPECT_EQ(player.side, 0);
    EXPECT_FLOAT_EQ(player.damage, 0.0f);
    EXPECT_FALSE(player.IsDead());
    EXPECT_FALSE(player.IsOwnCar());
    for (float left : player.weapons.ammunition)
        EXPECT_FLOAT_EQ(left, 1.0f);
    EXPECT_FLOAT_EQ(player.combatValues[0], 100000.0f);
    EXPECT_FLOAT_EQ(player.combatValues[1], 100000.0f);
    EXPECT_FLOAT_EQ(player.weapons.ammunitionUseFactor, 1.0f);
    EXPECT_FLOAT_EQ(player.weapons.fireRateFactor, 1.0f);
    EXPECT_EQ(player.GetCar(), nullptr);
}

TEST(PlayerObject, IsDeadFromOneHundredDamage)
{
    const struct {
        float damage;
        bool dead;
    } cases[] = {{0.0f, false}, {99.99f, false}, {100.0f, true}, {250.0f, true}};
    for (const auto& c : cases) {
        CPPlayer player;
        player.damage = c.damage;
        EXPECT_EQ(player.IsDead(), c.dead) << c.damage;
    }
}

TEST(PlayerObject, SideBitsAndModelSides)
{
    const struct {
        const char* model;
        std::int32_t side;
    } cases[] = {{"zil_130_", 1},         {"uaz", 1}, {"gaz_3110_main", 1}, {"audi_tt", 2}, {"bmw", 2},
                 {"volswagen_toureg", 2}, {"Uaz", 0}, {"uaz ", 0},          {"", 0},        {"viper", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(CPPlayer::SideOfModel(c.model), c.side) << c.model;

    CPPlayer player;
    player.side = CPPlayer::kDarkSide | CPPlayer::kOwnCar;
    EXPECT_TRUE(player.IsOwnCar());
}

TEST(PlayerObject, ControlsFollowTheLockAndHaltStates)
{
    CPPlayer free;
    free.SetControls(0.8f, -0.3f);
    EXPECT_FLOAT_EQ(free.GetThrottle(), 0.8f);
    EXPECT_FLOAT_EQ(free.GetSteering(), -0.3f);

    // Locked: nothing that is passed is stored.
    CPPlayer locked;
    locked.SetControls(0.5f, 0.2f);
    locked.SetLocked(true);
    locked.SetControls(-1.0f, 0.7f);
    EXPECT_FLOAT_EQ(locked.GetThrottle(), 0.5f);
    EXPECT_FLOAT_EQ(locked.GetSteering(), 0.2f);

    // Halted: the throttle is 0 whatever is passed; steering still counts.
    CPPlayer halted;
    halted.SetControls(0.5f, 0.2f);
    halted.Halt();
    EXPECT_FLOAT_EQ(halted.GetThrottle(), 0.0f);
    halted.SetControls(1.0f, -0.4f);
    EXPECT_FLOAT_EQ(halted.GetThrottle(), 0.0f);
    EXPECT_FLOAT_EQ(halted.GetSteering(), -0.4f);

    // Halting a locked car sets the state but keeps the throttle.
    CPPlayer both;
    both.SetControls(0.6f, 0.0f);
    both.SetLocked(true);
    both.Halt();
    EXPECT_TRUE(both.IsHalted());
    EXPECT_FLOAT_EQ(both.GetThrottle(), 0.6f);
    both.SetLocked(false);
    both.SetControls(0.9f, 0.1f);
    EXPECT_FLOAT_EQ(both.GetThrottle(), 0.0f);
}

TEST(PlayerObject, WithoutACarOperationsDoNothing)
{
    CPPlayer player;
    player.SetLocked(true);
    player.SetLocked(false);
    player.SetNitro(1.0f);
    player.SetBrakeLights(true);
    player.SetCarSoundVolume(0.5f);
    player.ApplyBodyImpulse({0, 0, 0}, {1, 0, 0});
    const Vector4 v = player.GetCarVelocity();
    EXPECT_EQ(v.x, 0.0f);
    EXPECT_EQ(v.y, 0.0f);
    EXPECT_EQ(v.z, 0.0f);
    Quaternion q{1.0f, 1.0f, 1.0f, 1.0f};
    player.GetCarRotation(q);
    EXPECT_EQ(q.x, 0.0f);
    EXPECT_EQ(q.y, 0.0f);
    EXPECT_EQ(q.z, 0.0f);
    EXPECT_EQ(q.w, 0.0f);
    EXPECT_FALSE(player.IsLevelPlayer());
}

TEST(PlayerObject, TheRespawnFadeDarkensForATenthAndBrightensOverFourTenths)
{
    platform::HeadlessGraphicsDevice device;
    CPRender render(&device);
    ServiceOverride<GetRender, SetRender> installedRender(&render);
    render.SetFadeMaximum(100);

    CPPlayer opponent;
    opponent.StartRespawnFade();
    EXPECT_FALSE(opponent.fadeOutRunning);

    CPPlayer player;
    player.humanPlayer = true;
    player.StartRespawnFade();
    // Frames of 1/16 s. Out: (0.1 - t) x 10; the frame that ends the
    // fade-out starts the fade-in at once: t x 2.5; full at t >= 0.4.
    const float expected[] = {37.5f, 15.625f, 31.25f, 46.875f, 62.5f, 78.125f, 93.75f, 100.0f};
    for (float fade : expected) {
        player.UpdateRespawnFade(0.0625f);
        EXPECT_NEAR(render.GetFade(), fade, 0.01f);
    }
    EXPECT_FALSE(player.fadeOutRunning);
    EXPECT_FALSE(player.fadeInRunning);
    // Once over, the fade leaves the screen alone.
    render.SetFade(0.3f);
    player.UpdateRespawnFade(0.05f);
    EXPECT_NEAR(render.GetFade(), 30.0f, 0.01f);
}

TEST_F(PlayerTest, TheCarBodyHoldsThePlayerAsItsGameObject)
{
    CPCar& car = PlayerCar();
    EXPECT_EQ(car.GetOwner(), static_cast<CPGameObject*>(m_player));
    void* userData = Body().GetUserData();
    EXPECT_EQ(static_cast<CPGameObject*>(userData), static_cast<CPGameObject*>(m_player));
    // The collision callback finds its side of the player from there.
    auto* collision = dynamic_cast<CPCollisionPlayer*>(static_cast<CPGameObject*>(userData));
    ASSERT_NE(collision, nullptr);
    collision->SetCollisionHit(1);
    EXPECT_EQ(m_player->collisionHit, 1);

    Body().orientation = Quaternion{0.0f, 0.0f, 0.6f, 0.8f};
    Quaternion q;
    m_player->GetCarRotation(q);
    EXPECT_FLOAT_EQ(q.z, 0.6f);
    EXPECT_FLOAT_EQ(q.w, 0.8f);
}

TEST_F(PlayerTest, LockingStopsTheCarAndSetsItsAlternateDrive)
{
    CPCar& car = PlayerCar();
    car.SetControls(1.0f, 0.3f);
    m_player->SetControls(1.0f, 0.3f);
    m_player->SetLocked(true);
    EXPECT_FLOAT_EQ(car.GetThrottleForce(), 0.0f);
    EXPECT_FLOAT_EQ(car.GetSteering(), 0.3f);
    EXPECT_TRUE(car.IsAlternateDrive());
    m_player->SetLocked(false);
    EXPECT_FALSE(car.IsAlternateDrive());
}

TEST_F(PlayerTest, NitroNeedsStockAndAnUnlockedCar)
{
    CPCar& car = PlayerCar(true);
    m_player->SetNitro(0.7f);
    EXPECT_FLOAT_EQ(car.GetNitro(), 0.7f);

    m_player->SetLocked(true);
    m_player->SetNitro(0.7f);
    EXPECT_FLOAT_EQ(car.GetNitro(), 0.0f);
    m_player->SetLocked(false);

    // A spent stock: no nitro, and the nitro sound falls silent.
    CNSound* sound = car.GetSound(CPCar::kNitroSound);
    ASSERT_NE(sound, nullptr);
    sound->Play(0, 0);
    ASSERT_TRUE(sound->IsPlaying());
    car.SetNitroStock(0.0f);
    m_player->SetNitro(1.0f);
    EXPECT_FLOAT_EQ(car.GetNitro(), 0.0f);
    EXPECT_FALSE(sound->IsPlaying());
}

TEST_F(PlayerTest, BrakeLightsUseTheRearFlaresWhileSlowed)
{
    CPCar& car = PlayerCar();
    CPGameObject& left = Child("lflarerear");
    CPGameObject& right = Child("rflarerear");
    left.SetVisible(false);
    right.SetVisible(false);

    m_player->SetBrakeLights(true);
    EXPECT_TRUE(car.IsHandBrake());
    EXPECT_FALSE(left.IsVisible());

    m_player->bonuses.slowed = true;
    m_player->SetBrakeLights(false);
    EXPECT_TRUE(car.IsHandBrake());
    m_player->SetBrakeLights(true);
    EXPECT_TRUE(left.IsVisible());
    EXPECT_TRUE(right.IsVisible());

    m_player->bonuses.slowed = false;
    m_player->SetLocked(true);
    m_player->SetBrakeLights(false);
    EXPECT_TRUE(car.IsHandBrake());
}

TEST_F(PlayerTest, SoundVolumeReachesTheCarsThreeSounds)
{
    CPCar& car = PlayerCar(true);
    m_player->SetCarSoundVolume(0.0f);
    for (int slot : {CPCar::kEngineSound, CPCar::kSkidSound, CPCar::kNitroSound}) {
        CNSound* sound = car.GetSound(slot);
        ASSERT_NE(sound, nullptr);
        std::int32_t silent = 0;
        sound->GetBuffer()->GetVolume(&silent);
        m_player->SetCarSoundVolume(1.0f);
        std::int32_t loud = 0;
        sound->GetBuffer()->GetVolume(&loud);
        EXPECT_LT(silent, loud) << slot;
        m_player->SetCarSoundVolume(0.0f);
    }
}

TEST_F(PlayerTest, AnImpulseMovesTheCarBody)
{
    PlayerCar();
    Body().SetMass(10.0f);
    // 20 units of impulse through the centre on 10 units of mass: 2 u/s.
    const Vector4 centre = Body().GetPos();
    m_player->ApplyBodyImpulse({centre.x, centre.y, centre.z}, {20.0f, 0.0f, 0.0f});
    EXPECT_NEAR(Body().GetVelocity().x, 2.0f, 1e-4f);
    EXPECT_NEAR(Body().GetVelocity().y, 0.0f, 1e-4f);
}

TEST_F(PlayerTest, OnlyTheCurrentLevelsPlayerIsTheLevelPlayer)
{
    EXPECT_FALSE(m_player->IsLevelPlayer());
    LevelSlotScope slot;
    CPLevel level;
    MakeCurrentLevel(&level);
    auto* levelPlayer = new CPPlayer();
    level.SetPlayer(CPObjectPtr(levelPlayer));
    EXPECT_TRUE(levelPlayer->IsLevelPlayer());
    EXPECT_FALSE(m_player->IsLevelPlayer());
}

TEST_F(PlayerTest, TheWeaponStepKeepsTheAim)
{
    CPGameObject target("target");
    m_player->UpdateWeapon({1.0f, 2.0f, 3.0f}, &target);
    EXPECT_FLOAT_EQ(m_player->weapons.aim.y, 2.0f);
    EXPECT_EQ(m_player->weapons.aimTarget, &target);
    m_player->UpdateWeapon({0.0f, 0.0f, 0.0f}, nullptr);
    EXPECT_EQ(m_player->weapons.aimTarget, nullptr);
}

TEST_F(PlayerTest, DeletingThePlayerDeletesItsCar)
{
    PlayerCar(true);
    // The sanitizer build reports the car and its sounds if they outlive
    // the player.
    CPGameObject::DeleteTree(m_owner);
    m_player = nullptr;
    m_owner = new CPGameObject("PLAYER");
}

} // namespace
