#include <cmath>
#include <string>

#include "CarStateTestWorld.h"
#include "Render/PerspectiveCamera.h"
#include "game/Camera.h"
#include "platform/Math.h"

namespace {

constexpr float kPi = 3.1415927f;

// The level's path runs 100 units along +x (driven towards -x); its lines
// start every 100 * 10.5 / 90 = 11.67 units. The car stands at x = 30,
// over the line from 23.33 to 35, upright on the ground.
class SpawnTest : public CarRaceTest {
  protected:
    void SetUp() override
    {
        CarRaceTest::SetUp();
        ASSERT_GT(LoadPath({{0, 0, 0}, {100, 0, 0}}).GetRingSize(), 3u);
        Place(*m_player, {30.0f, 0.5f, 0.0f});
    }

    static float LineStart(int i) { return 100.0f * 10.5f * static_cast<float>(i) / 90.0f; }

    // Another car of the level at the position.
    CPGameObject& Opponent(const Vector3& position)
    {
        auto* car = new CPGameObject("opponent");
        car->SetBoundingBox(CPBoundingBox({}, {1.0f, 2.0f, 0.5f}));
        Place(*car, position);
        level->AddOpponent(CPObjectPtr(car));
        return *car;
    }

    void Tilt(float angle) { m_player->SetRotation(QuaternionFromAxisAngle({1, 0, 0}, angle)); }

    Vector3 Nose() const { return Rotate(Vector3{0, -1, 0}, m_player->GetRotation()); }
};

TEST_F(SpawnTest, AnUprightCarOnTheGroundStaysUnlessForced)
{
    EXPECT_FALSE(m_player->Spawn(false));
    EXPECT_FLOAT_EQ(m_player->GetPosition().x, 30.0f);
    EXPECT_FLOAT_EQ(m_player->respawnCooldown, 0.0f);

    SetVelocity({3.0f, 1.0f, 2.0f});
    Step(Car(), 0.01f);
    EXPECT_TRUE(m_player->Spawn(true));
    // The start of the nearest line, raised by 2, facing down the track.
    EXPECT_NEAR(m_player->GetPosition().x, LineStart(2), 1e-4f);
    EXPECT_NEAR(m_player->GetPosition().y, 0.0f, 1e-5f);
    EXPECT_NEAR(m_player->GetPosition().z, 2.0f, 1e-5f);
    EXPECT_NEAR(Nose().x, -1.0f, 1e-5f);
    EXPECT_NEAR(Nose().y, 0.0f, 1e-5f);
    EXPECT_FLOAT_EQ(m_player->respawnCooldown, 1.0f);
    // The body stands still where the car now is.
    EXPECT_NEAR(Body().GetPos().x, LineStart(2), 1e-4f);
    EXPECT_FLOAT_EQ(Body().GetVelocity().x, 0.0f);
    EXPECT_FLOAT_EQ(Body().angularMomentum.z, 0.0f);
    EXPECT_TRUE(m_player->IsDirty());

    // Within the second of cooldown nothing, not even forced.
    Place(*m_player, {30.0f, 0.5f, 0.0f});
    EXPECT_FALSE(m_player->Spawn(true));
    Frame(0.5f);
    Frame(0.5f);
    EXPECT_TRUE(m_player->Spawn(true));
}

TEST_F(SpawnTest, WhatSendsACarBack)
{
    const struct {
        const char* what;
        float tilt;
        Vector3 velocity;
        int groundTriangles;
        bool locked;
        bool moved;
    } cases[] = {
        {"upright", 0.0f, {0, 0, 0}, 2, false, false},
        {"leaning 59 degrees", 1.0297f, {0, 0, 0}, 2, false, false},
        {"leaning 61 degrees", 1.0647f, {0, 0, 0}, 2, false, false},
        {"leaning 69 degrees", 1.2043f, {0, 0, 0}, 2, false, false},
        {"leaning 71 degrees", 1.2392f, {0, 0, 0}, 2, false, true},
        {"upside down", kPi, {0, 0, 0}, 2, false, true},
        {"falling", 0.0f, {0, 0, -6}, 2, false, true},
        {"dropping slower than 5", 0.0f, {0, 0, -4.9f}, 2, false, false},
        {"flying more than falling", 0.0f, {5, 0, -6}, 2, false, false},
        {"off the ground", 0.0f, {0, 0, 0}, 0, false, true},
        {"locked, off the ground", kPi, {0, 0, -9}, 0, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Place(*m_player, {30.0f, 0.5f, 0.0f});
        Tilt(c.tilt);
        SetVelocity(c.velocity);
        Step(Car(), 0.01f);
        m_player->GetPhysicData()->SetTerrainTriangleCount(c.groundTriangles);
        m_player->SetLocked(c.locked);
        m_player->respawnCooldown = 0.0f;
        EXPECT_EQ(m_player->Spawn(false), c.moved);
        EXPECT_EQ(m_player->GetPosition().x != 30.0f, c.moved);
        m_player->SetLocked(false);
    }
}

TEST_F(SpawnTest, TheFirstFreePlaceOfTheLineIsTaken)
{
    const float start = LineStart(2);
    const float end = LineStart(3);
    const float centre = (start + end) / 2.0f;
    // Cars are 2 wide on x; a place is taken by a car within 5 of it.
    const struct {
        const char* what;
        std::vector<Vector3> taken;
        float playerY;
        float expected;
    } cases[] = {
        {"all free", {}, 0.5f, start},
        {"a car just before the start", {{start - 1.5f, 0, 0}}, 0.5f, centre},
        {"a car 4.5 before the start", {{start - 5.5f, 0, 0}}, 0.5f, centre},
        {"a car 5.5 before the start", {{start - 6.5f, 0, 0}}, 0.5f, start},
        {"a car between start and centre", {{centre - 2.0f, 0, 0}}, 0.5f, end},
        // Every place taken: back along the track to the first point no
        // car is near, the next line's end (its start is this line's end).
        {"every place taken: further back",
         {{start - 1.5f, 0, 0}, {centre - 2.0f, 0, 0}, {end + 1.0f, 0, 0}},
         0.5f,
         LineStart(4)},
        // Standing in another car refuses every place of the line, wherever
        // that car is; the next line's start is free.
        {"the car stands in another car", {{30.0f, 10.0f, 0}}, 8.0f, end},
        {"the car stands beside another car", {{30.0f, 12.1f, 0}}, 8.0f, start},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Cars of an earlier case leave with a new level.
        CarRaceTest::TearDown();
        SetUp();
        for (const Vector3& position : c.taken)
            Opponent(position);
        Place(*m_player, {30.0f, c.playerY, 0.0f});
        ASSERT_TRUE(m_player->Spawn(true));
        EXPECT_NEAR(m_player->GetPosition().x, c.expected, 1e-4f);
    }
}

TEST_F(SpawnTest, OnAReversedTrackTheCarFacesTheOtherWay)
{
    level->race.reversed = true;
    ASSERT_TRUE(m_player->Spawn(true));
    EXPECT_NEAR(Nose().x, 1.0f, 1e-5f);
    EXPECT_NEAR(Nose().y, 0.0f, 1e-5f);
}

TEST_F(SpawnTest, TheHumanPlayersCameraJumpsAndTheScreenFades)
{
    auto* camera = new CPCamera();
    level->SetCamera(CPObjectPtr(camera));
    camera->yaw = 0.3f;
    camera->smoothYaw = 0.3f;
    camera->changed = false;
    MakeLevelPlayer();
    ASSERT_TRUE(m_player->Spawn(true));
    // The track's angle, driven towards -x.
    EXPECT_NEAR(camera->yaw, kPi, 1e-5f);
    EXPECT_NEAR(camera->smoothYaw, kPi, 1e-5f);
    EXPECT_TRUE(camera->changed);
    EXPECT_TRUE(m_player->fadeOutRunning);

    // An opponent's respawn leaves the camera alone.
    auto* other = new CPPlayer();
    level->AddOpponent(CPObjectPtr(other));
    Place(*other, {60.0f, 0.0f, 0.0f});
    camera->yaw = 0.3f;
    EXPECT_TRUE(other->Spawn(true));
    EXPECT_FLOAT_EQ(camera->yaw, 0.3f);
    EXPECT_FALSE(other->fadeOutRunning);
}

TEST_F(SpawnTest, WithoutATrackOrAPlaceTheCarStaysWithALineInTheLog)
{
    Place(*m_player, {std::nanf(""), 0.0f, 0.0f});
    EXPECT_FALSE(m_player->Spawn(true));
    EXPECT_FLOAT_EQ(m_player->respawnCooldown, 0.0f);

    Place(*m_player, {30.0f, 0.5f, 0.0f});
    level->SetSplines(CPObjectPtr(), CPObjectPtr(), CPObjectPtr());
    EXPECT_FALSE(m_player->Spawn(true));
    level.reset();
    EXPECT_FALSE(m_player->Spawn(true));
    EXPECT_FLOAT_EQ(m_player->GetPosition().x, 30.0f);
    EXPECT_TRUE(m_log.Contains("CPPlayer::Spawn"));
}

} // namespace
