#include <cmath>
#include <cstring>

#include <optional>

#include "CarTestWorld.h"
#include "Render/EffectManager.h"
#include "Render/PRender.h"
#include "Sound/NSound.h"
#include "physics/Rotation.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "platform/Math.h"
#include "support/EffectFakes.h"

namespace {

Vector3 Xyz(const Vector4& v) { return Vector3{v.x, v.y, v.z}; }

// The force and torque the car handed its controller in the last step.
struct Sums {
    Vector3 force;
    Vector3 torque;
};

class CarPhysicsTest : public CarTest {
  protected:
    Sums StepSums(CPCar& car, float dt)
    {
        Step(car, dt);
        PhController* controller = Controller();
        return Sums{Xyz(controller->force), Xyz(controller->torque)};
    }
};

// An effect manager that records the "pil_" dust, and a renderer for the
// debug lines, installed for one test.
class CarEffectsTest : public CarPhysicsTest {
  protected:
    void SetUp() override
    {
        CarPhysicsTest::SetUp();
        dust = new RecordingEffectPrototype();
        m_effects.RegisterPrototype("pil_", dust);
        m_installedEffects.emplace(&m_effects);
        m_installedRender.emplace(&m_render);
    }
    void TearDown() override
    {
        m_installedRender.reset();
        m_installedEffects.reset();
        CarPhysicsTest::TearDown();
    }

    // Sliding at speed over flat ground: the state that raises dust.
    CPCar& SlidingCar(bool withSounds)
    {
        CPCar& car = MakeCar("<physics/>", withSounds);
        car.SetBrake(true);
        SetVelocity({0.0f, -10.0f, 0.0f});
        OnGround(car, 0.5f);
        return car;
    }

    RecordingEffectPrototype* dust = nullptr;
    CPEffectManager m_effects;
    platform::HeadlessGraphicsDevice m_device;
    CPRender m_render{&m_device};

  private:
    std::optional<ServiceOverride<GetEffectManager, SetEffectManager>> m_installedEffects;
    std::optional<ServiceOverride<GetRender, SetRender>> m_installedRender;
};

const char kSensorGeometry[] = "<car><physics><geometry>"
                               "<wheels count=\"6\" x=\"0.2\" y=\"0.4\" length=\"1.2\" radius=\"0.45\"/>"
                               "</geometry></physics></car>";

} // namespace

TEST_F(CarPhysicsTest, SetUpHangsASensorUnderEveryWheelAndAControllerOnTheBody)
{
    CPCar& car = MakeCar(kSensorGeometry);
    struct Expected {
        Vector3 start;
        Vector3 rest;
    } expected[] = {
        {{0.8f, -1.5f, 0.4f}, {1.0f, -1.5f, 0.4f}},   // even slot: inset towards the middle
        {{-0.8f, -1.5f, 0.4f}, {-1.0f, -1.5f, 0.4f}}, // odd slot: the other side
        {{0.8f, 1.5f, 0.4f}, {1.0f, 1.5f, 0.4f}},     {{-0.8f, 1.5f, 0.4f}, {-1.0f, 1.5f, 0.4f}},
        {{-0.2f, 0.0f, 0.4f}, {0.0f, 0.0f, 0.4f}}, // "w4" and "w5" do not exist: the car's centre
        {{0.2f, 0.0f, 0.4f}, {0.0f, 0.0f, 0.4f}},
    };
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const CPCar::Wheel& wheel = car.GetWheel(i);
        ASSERT_NE(wheel.sensor, nullptr);
        EXPECT_EQ(static_cast<bool>(wheel.object), i < 4);
        const Vector3 start = Xyz(wheel.sensor->GetLinePos());
        EXPECT_FLOAT_EQ(start.x, expected[i].start.x);
        EXPECT_FLOAT_EQ(start.y, expected[i].start.y);
        EXPECT_FLOAT_EQ(start.z, expected[i].start.z);
        EXPECT_FLOAT_EQ(wheel.sensor->direction.z, -1.2f);
        EXPECT_FLOAT_EQ(wheel.sensor->GetLineUnitVector().z, -1.0f);
        EXPECT_FLOAT_EQ(wheel.restPosition.x, expected[i].rest.x);
        EXPECT_FLOAT_EQ(wheel.restPosition.y, expected[i].rest.y);
        EXPECT_FLOAT_EQ(wheel.restPosition.z, expected[i].rest.z);
        EXPECT_FLOAT_EQ(wheel.lastDustPoint.x, expected[i].start.x);
        EXPECT_FLOAT_EQ(wheel.lastDustPoint.z, 0.0f);
        EXPECT_FLOAT_EQ(wheel.suspensionOffset, 0.45f - 1.2f);
        EXPECT_TRUE(wheel.airborne);
    }
    EXPECT_EQ(car.GetWheel(6).sensor, nullptr);
    EXPECT_EQ(Body().sensors.count, 6);
    ASSERT_NE(Controller(), nullptr);
    EXPECT_EQ(Controller()->period, 0);
}

TEST_F(CarPhysicsTest, ACarWithoutARigidBodyIsLoggedAndNeverStepped)
{
    m_owner->GetDescription().Parse("<physics/>");
    EXPECT_FALSE(CreateCar(CPObjectPtr(m_owner), false));
    EXPECT_TRUE(m_log.Contains("PLAYER has no rigid body"));
    CPCar& car = *m_owner->GetPhysicsObject().As<CPCar>();
    EXPECT_EQ(car.GetWheel(0).sensor, nullptr);
    car.OnStep(nullptr, 0.1f); // no controller: nothing to do
    car.SetControls(1.0f, 0.2f);
    car.SetBrake(true);
    EXPECT_TRUE(Light("stoplights2")->IsVisible());
}

TEST_F(CarPhysicsTest, WheelsThatDetectNothingAreAirborneAndPushNothing)
{
    CPCar& car = MakeCar();
    car.SetControls(1.0f, 0.5f);
    SetVelocity({3.0f, -4.0f, 1.0f});
    Detect(car, 2, 0.0f, {1.0f, 1.5f, -1.0f}); // a stale point with no depth
    const Sums sums = StepSums(car, 0.1f);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(car.GetWheel(i).airborne) << i;
        EXPECT_FALSE(car.GetWheel(i).inContact) << i;
    }
    Vector3 force, torque;
    EXPECT_FLOAT_EQ(car.UpdateWheelForces(2, force, torque), 0.0f);
    EXPECT_FLOAT_EQ(Length(sums.force), 0.0f);
    EXPECT_FLOAT_EQ(Length(sums.torque), 0.0f);
    EXPECT_FLOAT_EQ(car.GetSpeed(), std::sqrt(26.0f));
}

TEST_F(CarPhysicsTest, OnFlatGroundTheThrottleDrivesTheCarNoseFirst)
{
    struct Case {
        const char* what;
        float throttle;
        float forceY; // four wheels, 100 each, along the nose (-y) or back
        float torqueX;
    } cases[] = {
        {"full ahead", 1.0f, -400.0f, -385.0f},
        {"only the sign of the throttle counts", 0.3f, -400.0f, -385.0f},
        {"reverse", -1.0f, 400.0f, 415.0f},
        {"idle", 0.0f, 0.0f, 15.0f},
    };
    CPCar& car = MakeCar();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        car.SetControls(c.throttle, 0.0f);
        OnGround(car, 0.5f);
        const Sums sums = StepSums(car, 0.1f);
        // Springs: 0.5 deep, 140 at the front wheels and 150 at the rear.
        EXPECT_NEAR(sums.force.x, 0.0f, 1e-4f);
        EXPECT_NEAR(sums.force.y, c.forceY, 1e-3f);
        EXPECT_NEAR(sums.force.z, 2 * 70.0f + 2 * 75.0f, 1e-3f);
        // Springs at y -1.5 and +1.5 pitch by 1.5 * (150 - 140); the drive,
        // one unit below the centre, pitches the car by 100 per wheel.
        EXPECT_NEAR(sums.torque.x, c.torqueX, 1e-3f);
        EXPECT_NEAR(sums.torque.y, 0.0f, 1e-3f);
        EXPECT_NEAR(sums.torque.z, 0.0f, 1e-3f);
    }
}

TEST_F(CarPhysicsTest, OnASlopeTheRearWheelsPushHarderAlongTheGround)
{
    CPCar& car = MakeCar();
    car.SetControls(1.0f, 0.0f);
    // Ground rising towards the nose by 0.2 rad under the rear wheels only.
    const float a = 0.2f;
    const Vector3 normal{0.0f, std::sin(a), std::cos(a)};
    Detect(car, 2, 0.5f, {1.0f, 1.5f, -1.0f}, normal);
    const Sums sums = StepSums(car, 0.1f);
    // The spring along the normal, and the drive along the ground's forward
    // direction (0, -cos a, sin a), scaled by 1 + 5a.
    EXPECT_NEAR(sums.force.y, 0.5f * 150.0f * std::sin(a) - 100.0f * (1.0f + 5.0f * a) * std::cos(a), 1e-2f);
    EXPECT_NEAR(sums.force.z, 0.5f * 150.0f * std::cos(a) + 100.0f * (1.0f + 5.0f * a) * std::sin(a), 1e-2f);
}

TEST_F(CarPhysicsTest, SuspensionOffsetFollowsDepthWithinItsLimits)
{
    struct Case {
        const char* wheels;
        int wheel;
        float depth;
        float offset;
    } cases[] = {
        // radius 0.5, length 1.5: offset = 0.5 - (1.5 - depth)
        {"", 0, 1.3f, 0.0f},                         // min radius 0 caps it
        {"front_min_radius=\"0.2\"", 0, 1.3f, 0.2f}, // 0.3 capped to 0.2
        {"front_min_radius=\"0.2\"", 1, 1.1f, 0.1f}, // 0.1 stays
        {"front_min_radius=\"0.2\"", 2, 1.1f, 0.0f}, // rear wheel: back min radius 0
        {"back_min_radius=\"0.2\"", 3, 1.3f, 0.2f},
        {"back_min_radius=\"0.5\"", 3, 0.5f, -0.5f},
        {"fixed=\"max\" front_min_radius=\"0.2\"", 0, 1.3f, -1.0f}, // always radius - length
        {"fixed=\"max\"", 3, 0.2f, -1.0f},
        {"fixed=\"min\" front_min_radius=\"0.2\"", 1, 0.2f, 0.2f}, // pinned to the min radius
        {"fixed=\"min\" back_min_radius=\"0.3\"", 2, 1.4f, 0.3f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.wheels) + " wheel " + std::to_string(c.wheel));
        CPCar& car = MakeCar(std::string("<physics><geometry><wheels y=\"0.25\" ") + c.wheels +
                             "/></geometry></physics>");
        const Vector3 rest = car.GetWheel(c.wheel).restPosition;
        Detect(car, c.wheel, c.depth, {rest.x, rest.y, -1.0f});
        Step(car, 0.1f);
        EXPECT_NEAR(car.GetWheel(c.wheel).suspensionOffset, c.offset, 1e-5f);
        // The wheel object hangs at the offset below the sensor's start.
        const auto* object = car.GetWheel(c.wheel).object.As<CPGameObject>();
        EXPECT_NEAR(object->GetPosition().z, c.offset + 0.25f, 1e-5f);
        EXPECT_FLOAT_EQ(object->GetPosition().x, rest.x);
        DestroyCar(*m_owner);
    }
}

TEST_F(CarPhysicsTest, SteeringWeakensWithSpeedUnlessTheCarSlides)
{
    struct Case {
        float speed;
        bool handBrake;
        float factor;
    } cases[] = {{0.0f, false, 1.0f},
                 {20.0f, false, 0.5f},
                 {36.0f, false, 0.1f},
                 {100.0f, false, 0.1f},
                 {100.0f, true, 1.0f}};
    CPCar& car = MakeCar();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.speed);
        car.SetBrake(c.handBrake);
        car.SetControls(0.0f, 0.4f);
        SetVelocity({0.0f, -c.speed, 0.0f});
        Step(car, 0.01f);
        const float angle = 0.4f * c.factor;
        EXPECT_NEAR(car.GetSteeringAngle(), angle, 1e-5f);
        EXPECT_NEAR(car.GetFrontHeading().x, std::sin(angle), 1e-5f);
        EXPECT_NEAR(car.GetFrontHeading().y, std::cos(angle), 1e-5f);
        EXPECT_FLOAT_EQ(car.GetFrontHeading().z, 0.0f);
    }
}

TEST_F(CarPhysicsTest, SlideFallsToZeroInSlideFrictionOverThreeSeconds)
{
    CPCar& car = MakeCar("<physics><params><friction slide=\"0.6\"/></params></physics>");
    car.SetBrake(true);
    Step(car, 0.1f);
    EXPECT_FLOAT_EQ(car.GetSlide(), 0.6f);
    car.SetBrake(false);
    Step(car, 0.1f);
    EXPECT_NEAR(car.GetSlide(), 0.3f, 1e-6f);
    Step(car, 0.1f);
    EXPECT_FLOAT_EQ(car.GetSlide(), 0.0f);
    Step(car, 0.1f);
    EXPECT_FLOAT_EQ(car.GetSlide(), 0.0f);
}

TEST_F(CarPhysicsTest, SideGripOpposesTheDriftAndTheHandBrakeLoosensTheRear)
{
    struct Case {
        bool handBrake;
        float forceX;
    } cases[] = {
        {false, -2 * 100.0f - 2 * 240.0f},
        {true, -2 * 100.0f - 2 * 240.0f * (1.0f - 0.9f)},
    };
    CPCar& car = MakeCar();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.handBrake);
        car.SetBrake(c.handBrake);
        SetVelocity({5.0f, 0.0f, 0.0f}); // sliding sideways
        OnGround(car, 0.5f);
        const Sums sums = StepSums(car, 0.1f);
        EXPECT_NEAR(sums.force.x, c.forceX, 1e-3f);
        EXPECT_NEAR(sums.force.y, 0.0f, 1e-3f);
    }
}

TEST_F(CarPhysicsTest, DampingWorksAlongTheSensor)
{
    CPCar& car = MakeCar();
    SetVelocity({0.0f, 0.0f, -2.0f}); // falling onto the springs
    OnGround(car, 0.5f);
    const Sums sums = StepSums(car, 0.1f);
    EXPECT_NEAR(sums.force.z, 290.0f + 4 * 2.0f * 150.0f, 1e-3f);
}

TEST_F(CarPhysicsTest, AlternateDriveBrakesInProportionToTheSpeedWhateverTheThrottle)
{
    CPCar& car = MakeCar();
    car.SetControls(1.0f, 0.0f);
    car.SetAlternateDrive(true);
    SetVelocity({0.0f, -10.0f, 0.0f}); // rolling nose first
    OnGround(car, 0.5f);
    const Sums sums = StepSums(car, 0.1f);
    EXPECT_NEAR(sums.force.y, 4 * 2.0f * 10.0f, 1e-3f);
    Vector3 force, torque;
    EXPECT_FLOAT_EQ(car.UpdateWheelForces(0, force, torque), -10.0f);
}

TEST_F(CarPhysicsTest, NitroPushesAlongTheNose)
{
    CPCar& car = MakeCar();
    Body().SetRotation(Quaternion{0.0f, 0.0f, std::sin(0.25f), std::cos(0.25f)}); // 0.5 rad about z
    car.SetNitro(0.5f);
    const Sums sums = StepSums(car, 0.1f);
    const float push = 80.0f * 100.0f * 0.5f * 0.1f;
    // The nose (0, -1, 0) turned by 0.5 rad about z.
    EXPECT_NEAR(sums.force.x, push * std::sin(0.5f), 1e-2f);
    EXPECT_NEAR(sums.force.y, -push * std::cos(0.5f), 1e-2f);
    EXPECT_NEAR(Length(sums.torque), 0.0f, 1e-4f);
}

TEST_F(CarPhysicsTest, WheelsSpinWithTheGroundButTheHandBrakeHoldsTheRear)
{
    CPCar& car = MakeCar();
    car.SetControls(1.0f, 0.3f);
    car.SetBrake(true);
    SetVelocity({0.0f, -10.0f, 0.0f});
    OnGround(car, 0.5f);
    Detect(car, 1, 0.0f, {}); // one front wheel in the air
    Step(car, 0.1f);
    // Half radius 0.25: 0.1 s rolling at 10 is 4 rad.
    EXPECT_NEAR(car.GetWheel(0).spin, 4.0f, 1e-4f);
    EXPECT_NEAR(car.GetWheel(1).spin, -0.1f * 100.0f, 1e-4f);
    EXPECT_FLOAT_EQ(car.GetWheel(2).spin, 0.0f);
    EXPECT_FLOAT_EQ(car.GetWheel(3).spin, 0.0f);
    // The wheel object turns by the spin and the steering.
    const Quaternion expected = ComposeRotation(4.0f, -0.3f);
    const Quaternion& turned = car.GetWheel(0).object.As<CPGameObject>()->GetRotation();
    EXPECT_NEAR(turned.x, expected.x, 1e-5f);
    EXPECT_NEAR(turned.z, expected.z, 1e-5f);
    EXPECT_NEAR(turned.w, expected.w, 1e-5f);

    car.SetBrake(false);
    Step(car, 0.1f);
    EXPECT_NEAR(car.GetWheel(2).spin, 4.0f, 1e-4f);
}

TEST_F(CarEffectsTest, SlidingRaisesDustAndTheSkidButNotWithSmokeOff)
{
    GetGameSettings().smoke = 0;
    CPCar& car = SlidingCar(true);
    Step(car, 0.1f);
    EXPECT_TRUE(dust->spawns.empty());
    EXPECT_FALSE(car.GetSound(CPCar::kSkidSound)->IsPlaying());

    GetGameSettings().smoke = 1;
    Step(car, 0.1f);
    ASSERT_EQ(dust->spawns.size(), 4u);
    const CPCar::Wheel& wheel = car.GetWheel(0);
    EXPECT_FLOAT_EQ(dust->spawns[0].position.z, -1.0f + 0.25f);
    EXPECT_FLOAT_EQ(wheel.lastDustPoint.z, -0.75f);
    EXPECT_FLOAT_EQ(wheel.dustPuffs, 1.0f);
    EXPECT_GE(dust->spawns[0].word1, 0.4f);
    EXPECT_LE(dust->spawns[0].word1, 0.6f);
    EXPECT_TRUE(car.GetSound(CPCar::kSkidSound)->IsPlaying());
    EXPECT_EQ(GetGameClock().effectsThisFrame, 4);

    // Standing where the last puffs rose, no new ones: they keep a spacing.
    Step(car, 0.1f);
    EXPECT_EQ(dust->spawns.size(), 4u);
}

TEST_F(CarEffectsTest, DustKeepsWithinTheFramesBudget)
{
    CPCar& car = SlidingCar(true);
    GetGameClock().effectsThisFrame = 38;
    Step(car, 0.1f);
    EXPECT_EQ(dust->spawns.size(), 2u);
    EXPECT_EQ(GetGameClock().effectsThisFrame, 40);
}

TEST_F(CarEffectsTest, NoDustWithoutSlideOrSpeed)
{
    CPCar& car = MakeCar("<physics/>", true);
    SetVelocity({0.0f, -10.0f, 0.0f});
    OnGround(car, 0.5f);
    Step(car, 0.1f); // fast, but not sliding
    car.SetBrake(true);
    SetVelocity({0.0f, -8.0f, -4.0f}); // sliding, but 64 + 16 is not above 80
    Step(car, 0.1f);
    EXPECT_TRUE(dust->spawns.empty());
    EXPECT_FALSE(car.GetSound(CPCar::kSkidSound)->IsPlaying());
}

TEST_F(CarEffectsTest, DebugDrawsEachSensorHit)
{
    CPCar& car = MakeCar("<physics debug=\"true\"/>");
    Detect(car, 0, 0.5f, {1.0f, -1.5f, -1.0f});
    Step(car, 0.1f);
    const std::vector<CPMeshVertex>& lines = m_render.GetDebugLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].diffuse, CPCar::kDebugLineColour);
    EXPECT_FLOAT_EQ(lines[1].position.z, -1.0f);
}

TEST_F(CarPhysicsTest, AlternateDriveTurnsTheBodyByThePitchInertion)
{
    // Springs: front 0.5 x 140 at y -1.5, rear 0.5 x 150 at y 1.5, one
    // unit below the centre: 2 (1.5 x 75 - 1.5 x 70) = 15 about x. The brake
    // force 20 per wheel along +y, scaled by the pitch inertion p, acts one
    // unit below the centre: 4 x 20 p about x.
    const struct {
        const char* xml;
        float torqueX;
    } cases[] = {
        {"<physics/>", 15.0f + 4 * 20.0f * 0.1f},
        {"<physics><params><inertion pitch=\"0.5\"/></params></physics>", 15.0f + 4 * 20.0f * 0.5f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xml);
        CPCar& car = MakeCar(std::string("<car>") + c.xml + "</car>");
        car.SetAlternateDrive(true);
        SetVelocity({0.0f, -10.0f, 0.0f});
        OnGround(car, 0.5f);
        const Sums sums = StepSums(car, 0.1f);
        EXPECT_NEAR(sums.torque.x, c.torqueX, 1e-3f);
        EXPECT_NEAR(sums.torque.z, 0.0f, 1e-3f);
    }
}

TEST_F(CarPhysicsTest, TheMeanContactPointIsAQuarterOfTheContactsWhateverTheirCount)
{
    CPCar& car = MakeCar();
    OnGround(car, 0.5f);
    Step(car, 0.1f);
    const Vector3 all = car.GetMeanContactPoint();
    EXPECT_NEAR(all.x, 0.0f, 1e-5f);
    EXPECT_NEAR(all.y, 0.0f, 1e-5f);
    EXPECT_NEAR(all.z, -1.0f, 1e-5f);

    // Wheel 3 in the air: (1 - 1 + 1, -1.5 - 1.5 + 1.5, -3) / 4.
    Detect(car, 3, 0.0f, {0, 0, 0});
    Step(car, 0.1f);
    const Vector3 three = car.GetMeanContactPoint();
    EXPECT_NEAR(three.x, 0.25f, 1e-5f);
    EXPECT_NEAR(three.y, -0.375f, 1e-5f);
    EXPECT_NEAR(three.z, -0.75f, 1e-5f);
}

TEST_F(CarPhysicsTest, SteeredFrontWheelsGripAcrossTheirOwnHeading)
{
    CPCar& car = MakeCar();
    car.SetControls(0.0f, 0.4f);
    SetVelocity({5.0f, 0.0f, 0.0f}); // sliding sideways at 5
    OnGround(car, 0.5f);
    const Sums sums = StepSums(car, 0.1f);
    // At speed 5 the wheels turn 0.4 x (1 - 0.125) = 0.35. Across that
    // heading the front drift points along (cos a, -sin a); the rear grips
    // across the car.
    const float a = 0.4f * 0.875f;
    EXPECT_NEAR(sums.force.x, -2 * 100.0f * std::cos(a) - 2 * 240.0f, 1e-2f);
    EXPECT_NEAR(sums.force.y, 2 * 100.0f * std::sin(a), 1e-2f);
}

TEST_F(CarPhysicsTest, TheStepAddsWhatEachWheelGivesWorkedOutOnItsOwn)
{
    // The step works out what its wheels share once: the car's axes, the
    // sensors' direction, the front drive and, for rear wheels on the same
    // ground, the rear drive. Each wheel worked out alone must add up to
    // the same force and torque.
    const float a = 0.2f;
    // The grounds: flat, rising towards the tail, leaning, and one seen
    // from below, which the wheel flips up.
    const Vector3 F{0.0f, 0.0f, 1.0f};
    const Vector3 R{0.0f, std::sin(a), std::cos(a)};
    const Vector3 L{0.3f, -0.1f, 0.9f};
    const Vector3 U{0.0f, -0.2f, -0.95f};
    struct Case {
        const char* what;
        float throttle, steering;
        bool brake, alternate;
        Vector3 velocity;
        Vector3 normals[4];
        bool airborne; // wheel 3 senses nothing
    };
    const Case cases[] = {
        {"forward on flat ground", 1.0f, 0.3f, false, false, {1.0f, -8.0f, 0.0f}, {F, F, F, F}, false},
        {"rear wheels on one slope", 1.0f, -0.4f, false, false, {0.5f, -3.0f, 0.2f}, {F, F, R, R}, false},
        {"rear wheels on two grounds", 1.0f, 0.1f, false, false, {-2.0f, -5.0f, 0.0f}, {R, F, R, L}, false},
        {"a rear wheel under its ground", 1.0f, 0.0f, false, false, {0.0f, -6.0f, 0.0f}, {F, L, U, R}, false},
        {"reversing", -1.0f, 0.5f, false, false, {0.0f, 4.0f, 0.0f}, {L, F, R, F}, false},
        {"reversing at the limit", -1.0f, 0.5f, false, false, {0.0f, 20.0f, 0.0f}, {F, F, R, R}, false},
        {"sliding on the hand brake", 1.0f, 0.6f, true, false, {3.0f, -10.0f, 0.0f}, {F, R, L, L}, false},
        {"alternate drive", 1.0f, 0.2f, false, true, {0.0f, -10.0f, 0.0f}, {F, F, R, L}, false},
        {"coasting", 0.0f, 0.2f, false, false, {1.0f, -7.0f, 0.0f}, {F, F, R, R}, false},
        {"a rear wheel in the air", 1.0f, -0.2f, false, false, {0.0f, -5.0f, 0.0f}, {F, F, R, R}, true},
    };
    CPCar& car = MakeCar();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        car.SetControls(c.throttle, c.steering);
        car.SetBrake(c.brake);
        car.SetAlternateDrive(c.alternate);
        SetVelocity(c.velocity);
        for (int i = 0; i < 4; ++i) {
            const Vector3 rest = car.GetWheel(i).restPosition;
            const float depth = c.airborne && i == 3 ? 0.0f : 0.3f + 0.1f * static_cast<float>(i);
            Detect(car, i, depth, {rest.x, rest.y, -1.0f}, c.normals[i]);
        }
        const Sums sums = StepSums(car, 0.05f);
        Vector3 force, torque;
        for (int i = 0; i < 4; ++i)
            car.UpdateWheelForces(i, force, torque);
        EXPECT_EQ(sums.force.x, force.x);
        EXPECT_EQ(sums.force.y, force.y);
        EXPECT_EQ(sums.force.z, force.z);
        EXPECT_EQ(sums.torque.x, torque.x);
        EXPECT_EQ(sums.torque.y, torque.y);
        EXPECT_EQ(sums.torque.z, torque.z);
    }
}

TEST_F(CarPhysicsTest, AStepBeforeItsFramesLastSpinsTheWheelsAndLeavesTheirObjectsToTheLast)
{
    // Only the frame's end shows the wheels, so a step that another follows
    // in the same frame only spins them; a wheel whose placing moves a body
    // is placed at every step all the same. Physics data without a body
    // moves nothing.
    CPCar& car = MakeCar();
    auto* still = car.GetWheel(2).object.As<CPGameObject>();
    auto* moving = car.GetWheel(3).object.As<CPGameObject>();
    ASSERT_NE(still, nullptr);
    ASSERT_NE(moving, nullptr);
    still->SetPhysicData(CPObjectPtr(new CPPhysicData(still)));
    auto* data = new CPPhysicData(moving);
    data->SetBox(0.5f, 0.5f, 0.5f, 1.0f);
    moving->SetPhysicData(CPObjectPtr(data));
    ASSERT_TRUE(m_world.AddLevelObject(CPObjectPtr(moving), 1, 1));
    ASSERT_NE(data->GetRigidBody(), nullptr);
    car.SetControls(1.0f, 0.3f);
    SetVelocity({0.5f, -10.0f, 0.0f});
    OnGround(car, 0.5f);
    struct Pose {
        Quaternion rotation;
        Vector3 position;
    };
    const auto pose = [&](int i) {
        const auto* object = car.GetWheel(i).object.As<CPGameObject>();
        return Pose{object->GetRotation(), object->GetPosition()};
    };
    const auto samePose = [](const Pose& a, const Pose& b) {
        return std::memcmp(&a.rotation, &b.rotation, sizeof a.rotation) == 0 &&
               std::memcmp(&a.position, &b.position, sizeof a.position) == 0;
    };
    // Where the step's state puts wheel i.
    const auto placed = [&](int i) {
        const CPCar::Wheel& wheel = car.GetWheel(i);
        const float steer = i < 2 ? -car.GetSteering() : 0.0f;
        return Pose{ComposeRotation(wheel.spin, steer),
                    Vector3{wheel.restPosition.x, wheel.restPosition.y,
                            wheel.suspensionOffset + car.GetSensorHeight()}};
    };
    Pose before[4];
    for (int i = 0; i < 4; ++i)
        before[i] = pose(i);

    Controller()->lastOfFrame = 0;
    Step(car, 0.05f);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("wheel " + std::to_string(i));
        EXPECT_NE(car.GetWheel(i).spin, 0.0f);
        EXPECT_TRUE(samePose(pose(i), before[i]));
        EXPECT_FALSE(samePose(pose(i), placed(i)));
    }
    EXPECT_TRUE(samePose(pose(3), placed(3)));

    Controller()->lastOfFrame = 1;
    Step(car, 0.05f);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE("wheel " + std::to_string(i) + " at the frame's last step");
        EXPECT_TRUE(samePose(pose(i), placed(i)));
    }
}

TEST_F(CarPhysicsTest, EachWheelRollsWithTheBodysVelocityAtItsContactPoint)
{
    // The step works out the velocity at each contact point itself; it must
    // be the body's own answer to the bit, for a body that spins any way.
    CPCar& car = MakeCar();
    car.SetControls(1.0f, 0.2f);
    const Vector4 spins[] = {{0.0f, 0.0f, 1.5f, 0.0f}, {0.3f, -0.7f, 0.2f, 0.0f}, {-2.0f, 0.1f, -0.4f, 0.0f}};
    for (const Vector4& spin : spins) {
        SetVelocity({0.7f, -9.0f, 0.3f});
        Body().angularVelocity = spin;
        for (int i = 0; i < 4; ++i) {
            const Vector3 rest = car.GetWheel(i).restPosition;
            Detect(car, i, 0.3f,
                   {rest.x + 0.1f * static_cast<float>(i), rest.y, -1.0f + 0.05f * static_cast<float>(i)});
        }
        Step(car, 0.02f);
        const Matrix4& frame = car.GetTransform();
        const Vector4 origin{frame.m[3][0], frame.m[3][1], frame.m[3][2], 0.0f};
        const Vector3 carY{frame.m[1][0], frame.m[1][1], frame.m[1][2]};
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE("wheel " + std::to_string(i));
            const Vector4& p = car.GetWheel(i).sensor->GetDetectContactPoint();
            const Vector4 r{p.x - origin.x, p.y - origin.y, p.z - origin.z, 0.0f};
            const Vector4 w = Body().GetVelocityAtPoint(r);
            const float rolling = -((w.x * carY.x + w.y * carY.y) + w.z * carY.z);
            const float stepped = car.GetWheel(i).rollingSpeed;
            EXPECT_EQ(std::memcmp(&rolling, &stepped, sizeof rolling), 0) << rolling << " " << stepped;
        }
    }
}
