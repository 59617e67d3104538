#include <cmath>

#include "CarTestWorld.h"
#include "physics/PhysicsMath.h"
#include "physics/Simulator.h"

namespace {

// Flat ground at z = 0, two triangles 10 km across, for every query.
const Vector4 kGroundVertices[] = {
    {-5000, -5000, 0, 0}, {5000, -5000, 0, 0}, {-5000, 5000, 0, 0}, {5000, 5000, 0, 0}};
const PhTerrainTriangle kGroundTriangles[] = {{{0, 1, 3}, {}}, {{0, 3, 2}, {}}};
const std::int32_t kGroundIndices[] = {0, 1};

void FlatGround(const Vector4&, const Vector4&, const std::int32_t** indices,
                const PhTerrainTriangle** triangles, const Vector4** vertices, std::int32_t* indexCount,
                std::int32_t* triangleCount, PhBody*)
{
    *indices = kGroundIndices;
    *triangles = kGroundTriangles;
    *vertices = kGroundVertices;
    *indexCount = 2;
    *triangleCount = 2;
}

constexpr float kFrame = 1.0f / 60.0f;

// Springs stiff enough for the car's 10 kg to sit on without the drive
// lifting its nose (a rest depth of about 98 N / (4 x 400 N/m)), on wheels
// short enough for it not to roll over in a turn.
const char kHandling[] = "<car><physics><geometry><wheels length=\"0.9\" radius=\"0.4\"/></geometry><params>"
                         "<wheels spring1=\"400\" spring2=\"400\" damping=\"60\"/>"
                         "<acceleration front=\"20\" back=\"20\"/>"
                         "</params></physics></car>";

} // namespace

// The car of the car tests, with a body box of 2 x 4 x 1, driving on flat
// ground through the simulator's own stepping.
class CarDrivingTest : public CarTest {
  protected:
    void SetUp() override
    {
        CarTest::SetUp();
        m_world.GetSimulator()->SetTerrainQueryCallback(FlatGround);
        m_owner->GetPhysicData()->AddBoxPart({0, 0, 0}, Quaternion{}, 2, 1, 4, 10);
        m_owner->SetPosition({0, 0, 1.5f});
        car = &MakeCar(kHandling);
        StartLevel();
    }

    // Frames of the frame loop with the inputs held.
    void Drive(float seconds, float throttle, float steering)
    {
        const int frames = static_cast<int>(std::lround(seconds / kFrame));
        for (int i = 0; i < frames; ++i) {
            NextFrame(kFrame);
            car->SetControls(throttle, steering);
            m_world.Step();
        }
    }

    float Speed() const { return phmath::Length(Body().velocity); }
    // The car's heading in the ground plane: where its nose (-y) points.
    float Heading() const
    {
        const Matrix4& t = Body().transform;
        return std::atan2(-t.m[1][1], -t.m[1][0]);
    }

    CPCar* car = nullptr;
};

TEST_F(CarDrivingTest, AtRestItSitsLevelOnItsSprings)
{
    Drive(4.0f, 0.0f, 0.0f);
    const Matrix4& t = Body().transform;
    // Upright within half a degree, its springs carrying its weight under
    // the 0.9 m sensors.
    EXPECT_NEAR(t.m[2][2], 1.0f, 1e-4f);
    EXPECT_NEAR(t.m[2][0], 0.0f, 0.01f);
    EXPECT_NEAR(t.m[2][1], 0.0f, 0.01f);
    EXPECT_NEAR(Body().GetPos().z, 0.9f - 98.0f / 1600.0f, 0.01f);
    EXPECT_LT(Speed(), 0.02f);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(car->GetWheel(i).inContact) << i;
        EXPECT_NEAR(car->GetWheel(i).contactPoint.z, 0.0f, 1e-4f) << i;
    }
}

TEST_F(CarDrivingTest, FullThrottleAcceleratesToASteadySpeedNoseFirst)
{
    Drive(1.0f, 0.0f, 0.0f);
    Drive(8.0f, 1.0f, 0.0f);
    const float early = Speed();
    Drive(2.0f, 1.0f, 0.0f);
    const float late = Speed();
    EXPECT_GT(late, 20.0f);
    EXPECT_NEAR(late, early, 0.01f * late);
    // Straight ahead along the nose, still on its wheels.
    EXPECT_LT(Body().GetPos().y, -100.0f);
    EXPECT_NEAR(Body().GetPos().x, 0.0f, 1.0f);
    EXPECT_GT(Body().transform.m[2][2], 0.99f);
}

TEST_F(CarDrivingTest, SteeringHeldTurnsACircle)
{
    Drive(1.0f, 0.0f, 0.0f);
    float turned = 0.0f;
    float previous = Heading();
    float furthest = 0.0f;
    for (int second = 0; second < 30; ++second) {
        // A driver holding the speed near 6 m/s, the wheel turned full.
        for (int frame = 0; frame < 60; ++frame)
            Drive(kFrame, Speed() < 6.0f ? 1.0f : 0.0f, 0.7f);
        const float now = Heading();
        float change = now - previous;
        change -= 6.2831853f * std::round(change / 6.2831853f);
        turned += change;
        previous = now;
        const Vector4 p = Body().GetPos();
        furthest = std::max(furthest, std::sqrt(p.x * p.x + p.y * p.y));
    }
    // Several full turns, and round: it never got far from where it
    // started, as it would have driving straight (180 m).
    EXPECT_GT(std::fabs(turned), 4.0f * 3.14159265f);
    EXPECT_LT(furthest, 30.0f);
    EXPECT_GT(Body().transform.m[2][2], 0.95f);
}

TEST_F(CarDrivingTest, TheBrakeStopsIt)
{
    Drive(5.0f, 1.0f, 0.0f);
    ASSERT_GT(Speed(), 15.0f);
    car->SetAlternateDrive(true);
    Drive(10.0f, 0.0f, 0.0f);
    EXPECT_LT(Speed(), 0.5f);
    EXPECT_GT(Body().transform.m[2][2], 0.99f);
}
