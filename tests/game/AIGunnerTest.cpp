// The trigger of a computer driver's gun: a car in the sights draws a
// short burst, then the gun rests before the next, whatever stays in the
// sights; a gun with nothing in its sights does not start a burst.
#include <gtest/gtest.h>

#include "game/AIGunner.h"
#include "game/AIVehicle.h"

namespace {

constexpr float kFrame = 1.0f / 60.0f;

// Seconds the trigger is held over `seconds` of frames, with or without a
// car in the sights all along.
float HeldFor(AI_Vehicle& driver, bool inSights, float seconds)
{
    float held = 0.0f;
    for (float t = 0.0f; t < seconds; t += kFrame)
        if (ai_gunner::HoldsTrigger(driver, inSights, kFrame))
            held += kFrame;
    return held;
}

TEST(AIGunner, ACarInTheSightsDrawsABurstAndTheGunRestsAfterIt)
{
    AI_Vehicle driver;
    // The burst, then a rest as long as kRest with the car still there.
    EXPECT_NEAR(HeldFor(driver, true, ai_gunner::kBurst), ai_gunner::kBurst, 2 * kFrame);
    EXPECT_NEAR(HeldFor(driver, true, ai_gunner::kRest - 2 * kFrame), 0.0f, 2 * kFrame);
    // Over a long stretch the trigger is held a burst in every burst and rest.
    AI_Vehicle steady;
    const float cycle = ai_gunner::kBurst + ai_gunner::kRest;
    EXPECT_NEAR(HeldFor(steady, true, 10 * cycle), 10 * ai_gunner::kBurst, 20 * kFrame);
}

TEST(AIGunner, NoBurstStartsWithNothingInTheSightsAndACarLostEndsItsHold)
{
    AI_Vehicle idle;
    EXPECT_EQ(HeldFor(idle, false, 10.0f), 0.0f);
    // A car that leaves the sights mid-burst is no longer fired at, and the
    // rest still follows the burst.
    AI_Vehicle driver;
    EXPECT_TRUE(ai_gunner::HoldsTrigger(driver, true, kFrame));
    EXPECT_FALSE(ai_gunner::HoldsTrigger(driver, false, kFrame));
    EXPECT_EQ(HeldFor(driver, false, ai_gunner::kBurst), 0.0f);
    EXPECT_EQ(HeldFor(driver, true, ai_gunner::kRest - ai_gunner::kBurst), 0.0f);
}

} // namespace
