// The player's car run into the barrier by the keys alone, as a player
// holds them, on the sample circuit through the real host: it backs away
// from the wall and drives on, rather than staying wedged against it.
#include <algorithm>
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "support/SampleHost.h"

#include "app/GameHost.h"
#include "core/Singletons.h"
#include "game/Car.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/RaceFrame.h"
#include "game/Spline.h"
#include "platform/HeadlessInputDevice.h"
#include "platform/VectorMath.h"

namespace {

// The keys of the sample's Actions.cfg.
constexpr int kUp = 0xC8;    // "accelerate"
constexpr int kDown = 0xD0;  // "brake": reverse for a car that stands
constexpr int kLeft = 0xCB;  // "left"
constexpr int kRight = 0xCD; // "right"
constexpr int kSecond = 60;  // frames

// The road is 14 m between its walls: a car whose centre is this far off
// the centre line stands at a wall.
constexpr float kAtWall = 5.8f;
// And this far in, it has left the wall behind.
constexpr float kOffTheWall = 4.5f;

class CarAtTheWall : public SampleHostTest {
  protected:
    // The menu's Start clicked; the race is on and the keys drive.
    void StartRace()
    {
        GameHost::Options options = FrameOptions();
        options.autopilot = false;
        options.frames = 40;
        std::string error;
        ASSERT_TRUE(options.input.Parse("20 move 320 180\n30 press 0\n32 release 0\n", error)) << error;
        MakeHost(options);
        host->Run();
        level = GetCurrentLevel();
        ASSERT_NE(level, nullptr);
        player = dynamic_cast<CPPlayer*>(level->GetPlayer());
        ASSERT_NE(player, nullptr);
        ASSERT_NE(player->GetCar(), nullptr);
        keys = host->GetHeadlessInput();
        ASSERT_NE(keys, nullptr);
    }

    // Signed distance of the car from the track's centre line, positive on
    // the left of the driving direction.
    float Offset() const
    {
        float offset = 20.0f;
        CPLine* line = nullptr;
        level->GetPathSpline()->FindClosestSegment(player->GetPosition(), offset, 0, line, -1);
        return offset;
    }
    float Speed() const { return player->GetCar()->GetSpeed(); }

    // What the car did while keys were held.
    struct Drive {
        float fastest = 0.0f;       // m/s
        float backing = 0.0f;       // m/s, the fastest tail first
        float nearestCentre = 1e6f; // m, closest to the centre line
    };
    // Runs frames with exactly these keys down, at most `frames`, until
    // the car has come as near the centre line as `until`.
    Drive Hold(std::initializer_list<int> down, int frames, float until = 0.0f)
    {
        for (int key : {kUp, kDown, kLeft, kRight})
            keys->SetKey(key, std::find(down.begin(), down.end(), key) != down.end());
        Drive drive;
        for (int i = 0; i < frames; ++i) {
            host->RunFrame();
            drive.fastest = std::max(drive.fastest, Speed());
            const Vector4 v = player->GetCarVelocity();
            const Vector3 nose = race::Forward(*player);
            drive.backing = std::max(drive.backing, -(v.x * nose.x + v.y * nose.y + v.z * nose.z));
            drive.nearestCentre = std::min(drive.nearestCentre, std::fabs(Offset()));
            if (drive.nearestCentre < until)
                break;
        }
        return drive;
    }

    CPLevel* level = nullptr;
    CPPlayer* player = nullptr;
    platform::HeadlessInputDevice* keys = nullptr;
};

float Distance(const Vector3& a, const Vector3& b) { return Length(a - b); }

} // namespace

// Up alone takes the car off its lane and into the barrier where the road
// bends; it is held there two seconds more. Reverse then backs it away,
// and Up with the wheel turned from the wall takes it off the wall and on
// down the road at speed.
TEST_F(CarAtTheWall, BacksAwayFromTheBarrierAndDrivesOn)
{
    StartRace();
    keys->SetKey(kUp, true);
    int frames = 0;
    for (; frames < 30 * kSecond && std::fabs(Offset()) < kAtWall; ++frames)
        host->RunFrame();
    ASSERT_GE(std::fabs(Offset()), kAtWall) << "the car never reached a wall";
    Hold({kUp}, 2 * kSecond);
    const float wallSide = Offset() < 0.0f ? -1.0f : 1.0f;

    // Down brakes the car scraping on along the wall, then backs it.
    const Drive reversing = Hold({kDown}, 4 * kSecond);
    EXPECT_GT(reversing.backing, 15.0f / 3.6f) << "reverse did not move the car";

    // The car steers right for the right key: away from a wall on its right
    // is to the left.
    const Vector3 backedOff = player->GetPosition();
    const int away = wallSide < 0.0f ? kLeft : kRight;
    const Drive leaving = Hold({kUp, away}, 3 * kSecond, kOffTheWall);
    const Drive on = Hold({kUp}, 3 * kSecond);
    EXPECT_LT(std::min(leaving.nearestCentre, on.nearestCentre), kOffTheWall);
    EXPECT_GT(std::max(leaving.fastest, on.fastest), 40.0f / 3.6f);
    EXPECT_GT(Distance(player->GetPosition(), backedOff), 30.0f);
}
