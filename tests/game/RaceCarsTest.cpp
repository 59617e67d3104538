#include <gtest/gtest.h>

#include "Sound/NSound.h"
#include "Sound/SoundManager.h"
#include "game/AIVehicle.h"
#include "game/Car.h"
#include "game/RaceTestWorld.h"
#include "physics/Controller.h"
#include "physics/PhysicData.h"
#include "physics/RigidBody.h"
#include "platform/Math.h"
#include "platform/SoundDevice.h"
#include "support/WaveFiles.h"
#include "platform/HeadlessSoundDevice.h"
#include "core/ServiceOverride.h"

namespace {

constexpr float kPi = 3.1415927f;

// Cars with driving models on a physics world that is never stepped: the
// tests call a car's step themselves where they need one.
class RaceCarsTest : public RaceTest {
  protected:
    void SetUp() override
    {
        RaceTest::SetUp();
        ASSERT_TRUE(world.Init());
    }

    CPCar& GiveCar(CPPlayer& owner)
    {
        auto* physics = new CPPhysicData(&owner);
        physics->SetBox(2.0f, 4.0f, 1.0f, 10.0f);
        owner.SetPhysicData(CPObjectPtr(physics));
        EXPECT_TRUE(world.AddLevelObject(CPObjectPtr(&owner), 1, 1));
        owner.GetDescription().Parse("<physics/>");
        owner.CreateCar(false);
        CPCar* car = owner.GetCar();
        EXPECT_NE(car, nullptr);
        return *car;
    }
    static PhRigidBody& Body(const CPPlayer& owner) { return *owner.GetPhysicData()->GetRigidBody(); }
    static void StepCar(CPPlayer& owner, float dt)
    {
        CPCar* car = owner.GetCar();
        for (PhController* c = Body(owner).controllers.head; c; c = c->next) {
            if (c->listener == car)
                car->OnStep(c, dt);
        }
    }
};

// ---- the AI manager drives car objects

TEST_F(RaceCarsTest, TheAIManagerDrivesACarObjectThroughItsControls)
{
    CountingCar* opponent = AddOpponent();
    CPCar& car = GiveCar(*opponent);

    EXPECT_TRUE(CPAIManager::Apply({0.5f, 0.3f, true}, opponent));
    EXPECT_EQ(opponent->GetThrottle(), 0.5f);
    EXPECT_EQ(car.GetThrottleForce(), 0.5f * car.GetAccelFront());
    EXPECT_EQ(car.GetSteering(), 0.3f);
    EXPECT_TRUE(car.IsHandBrake());

    // A halted car gets no throttle; a locked one takes nothing at all.
    opponent->Halt();
    EXPECT_TRUE(CPAIManager::Apply({1.0f, -0.2f, false}, opponent));
    EXPECT_EQ(car.GetThrottleForce(), 0.0f);
    EXPECT_EQ(car.GetSteering(), -0.2f);
    EXPECT_FALSE(car.IsHandBrake());
    opponent->SetLocked(true);
    EXPECT_TRUE(CPAIManager::Apply({1.0f, 0.6f, true}, opponent));
    EXPECT_EQ(car.GetSteering(), -0.2f);
    EXPECT_FALSE(car.IsHandBrake());

    // Anything that is no car takes no controls.
    CPGameObject plain("plain");
    EXPECT_FALSE(CPAIManager::Apply({1.0f, 0.0f, false}, &plain));
}

TEST_F(RaceCarsTest, ARaceFrameHandsTheOpponentToItsDriverWhichSteersIt)
{
    level->InitRaceTrack();
    CountingCar* opponent = AddOpponent();
    CPCar& car = GiveCar(*opponent);
    AI_Vehicle& driver = *ai.GetOpponent(0);
    driver.SetLine(AI_Vehicle::kPathLine, level->GetPathSpline()->GetFirstLine());
    // Standing on the track, facing the way it is driven.
    Place(*opponent, 10);
    const Vector3 ahead = TrackPoint(11) - TrackPoint(10);
    opponent->SetRotation(QuaternionFromAxisAngle({0, 0, 1}, std::atan2(ahead.y, ahead.x) + kPi / 2));

    ai.Step();
    EXPECT_EQ(car.GetThrottleForce(), 0.0f);
    Frame();
    ai.Step();
    EXPECT_EQ(driver.car.Get(), opponent);
    EXPECT_GT(opponent->GetThrottle(), 0.0f);
    EXPECT_GT(car.GetThrottleForce(), 0.0f);
    EXPECT_FALSE(car.IsHandBrake());
}

// ---- the camera follows the player car

TEST_F(RaceCarsTest, TheCameraLeansAndSlidesWithThePlayerCar)
{
    CPCar& car = GiveCar(*player);
    // Facing +x and sliding sideways towards +y at 5 units a second.
    player->SetRotation(QuaternionFromAxisAngle({0, 0, 1}, kPi / 2));
    car.SetBrake(true);
    car.SetControls(1.0f, 0.5f);
    Body(*player).velocity = Vector4{0.0f, 5.0f, 0.0f, 0.0f};
    StepCar(*player, 0.01f);
    ASSERT_GT(car.GetSlide(), 0.0f);

    Frame(0.05f);
    CPCamera& camera = Camera();
    EXPECT_EQ(camera.GetSubject(), &level->cameraSubject);
    // Lean moves towards -2 x steering at 6 per second.
    EXPECT_NEAR(camera.lean, -2.0f * 0.5f * 0.05f * 6.0f, 1e-5f);
    // A quarter turn to the right of the heading, closed at |v| x 0.2 per
    // second.
    EXPECT_NEAR(camera.sideAngle, -kPi / 2 * 5.0f * 0.05f * 0.2f, 1e-4f);
    EXPECT_NEAR(camera.speed, 5.0f, 1e-5f);

    // Without the slide the lean eases back.
    car.SetBrake(false);
    for (int i = 0; i < 10; ++i)
        StepCar(*player, 0.05f);
    ASSERT_EQ(car.GetSlide(), 0.0f);
    const float leaning = camera.lean;
    Frame(0.05f);
    EXPECT_NEAR(camera.lean, leaning * (1.0f - 0.05f * 6.0f), 1e-5f);
}

// ---- speed zones

TEST_F(RaceCarsTest, SpeedZonesRefillTheBoostAndPlayFastOnCooldown)
{
    platform::HeadlessSoundDevice device;
    folder.Write("Data/Sounds/fast.wav", MakeWave(1, 22050, 8, RampBytes(64)));
    CPSoundManager sounds(&device);
    sounds.LoadSpecialSounds();
    ServiceOverride<GetSoundManager, SetSoundManager> installedSoundManager(&sounds);
    CNSound* fast = sounds.GetSound("fast").As<CNSound>();
    ASSERT_NE(fast, nullptr);

    CPCar& car = GiveCar(*player);
    CountingCar* inside = AddOpponent();
    CountingCar* outside = AddOpponent();
    CPCar& insideCar = GiveCar(*inside);
    CPCar& outsideCar = GiveCar(*outside);
    auto* zone = new CPGameObject("arrow_blue");
    zone->SetBoundingBox(CPBoundingBox({0, 0, 0}, {5, 5, 5}));
    zone->SetPosition({50, 50, 0});
    zone->UpdateBounds();
    level->AddOwnedObject(CPObjectPtr(zone));
    level->speedZones.push_back(CPObjectPtr(zone));
    player->SetPosition({51, 50, 0});
    inside->SetPosition({49, 52, 0});
    outside->SetPosition({70, 50, 0});
    car.SetNitroStock(40.0f);
    insideCar.SetNitroStock(10.0f);
    outsideCar.SetNitroStock(10.0f);

    Frame(0.5f);
    EXPECT_EQ(car.GetNitroStock(), 100.0f);
    EXPECT_EQ(insideCar.GetNitroStock(), 100.0f);
    EXPECT_EQ(outsideCar.GetNitroStock(), 10.0f);
    EXPECT_TRUE(fast->IsPlaying());
    EXPECT_EQ(level->race.speedZoneCooldown, 2.0f);

    // Within the cooldown the boost still fills, silently.
    fast->StopPlaying();
    car.SetNitroStock(50.0f);
    Frame(0.5f);
    EXPECT_EQ(car.GetNitroStock(), 100.0f);
    EXPECT_FALSE(fast->IsPlaying());
    EXPECT_EQ(level->race.speedZoneCooldown, 1.5f);

    // A full stock makes no sound either.
    level->race.speedZoneCooldown = 0.0f;
    Frame(0.5f);
    EXPECT_FALSE(fast->IsPlaying());

    car.SetNitroStock(50.0f);
    Frame(0.5f);
    EXPECT_TRUE(fast->IsPlaying());
}

// ---- traffic

TEST_F(RaceCarsTest, ReleasedTrafficIsPutBackOnTheRoadAtHeightThree)
{
    std::vector<CountingCar*> cars;
    for (int i = 0; i < 7; ++i) {
        cars.push_back(AddOpponent());
        GiveCar(*cars.back());
        cars.back()->SetPosition({10.0f * static_cast<float>(i), 5.0f, 40.0f});
    }
    CountingCar& traffic = *cars[5];
    traffic.SetVisible(false);
    PhRigidBody& body = Body(traffic);
    body.velocity = Vector4{1, 2, 3, 0};
    body.angularMomentum = Vector4{4, 5, 6, 0};
    body.SetUserFlag(7);
    ai.SetTrafficCount(2);
    ai.SetTrafficOn(false);
    level->HoldTraffic();

    level->ReleaseTraffic();
    EXPECT_TRUE(level->allOpponents);
    EXPECT_TRUE(ai.IsTrafficOn());
    EXPECT_TRUE(traffic.IsVisible());
    EXPECT_EQ(traffic.GetPosition().x, 50.0f);
    EXPECT_EQ(traffic.GetPosition().y, 5.0f);
    EXPECT_EQ(traffic.GetPosition().z, 3.0f);
    EXPECT_EQ(body.transform.m[3][2], 3.0f);
    EXPECT_EQ(body.velocity.x, 0.0f);
    EXPECT_EQ(body.velocity.z, 0.0f);
    EXPECT_EQ(body.angularMomentum.y, 0.0f);
    EXPECT_EQ(body.userFlag, 1);
    // The opponents before the traffic stay where they are.
    EXPECT_EQ(cars[4]->GetPosition().z, 40.0f);

    // No traffic count switches the traffic drivers off.
    ai.SetTrafficCount(0);
    level->ReleaseTraffic();
    EXPECT_FALSE(ai.IsTrafficOn());
}

TEST_F(RaceCarsTest, ReleasingWithFiveOpponentsOrFewerOnlySetsTheSwitches)
{
    std::vector<CountingCar*> cars;
    for (int i = 0; i < 5; ++i) {
        cars.push_back(AddOpponent());
        cars.back()->SetPosition({0, 0, 40.0f});
        cars.back()->SetVisible(false);
    }
    level->HoldTraffic();
    level->ReleaseTraffic();
    EXPECT_TRUE(level->allOpponents);
    for (CountingCar* car : cars) {
        EXPECT_EQ(car->GetPosition().z, 40.0f);
        EXPECT_FALSE(car->IsVisible());
    }
}

} // namespace
