#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/GameClock.h"
#include "core/GameObject.h"
#include "game/AIVehicle.h"
#include "game/Level.h"
#include "game/Spline.h"
#include "support/LevelSlotScope.h"

namespace {

class Plain : public CPObject {
  public:
    std::uint32_t GetObjectSize() const override { return sizeof(*this); }
    std::string GetTypeName() const override { return "Plain"; }
};

} // namespace

TEST(AIVehicleTest, StartsWithTheStatedValues)
{
    GetGameClock().gameTime = 12.5;
    AI_Vehicle driver;
    EXPECT_EQ(driver.GetTypeName(), "AI_Vehicle");
    EXPECT_FLOAT_EQ(driver.factor, 1.0f);
    EXPECT_FLOAT_EQ(driver.lookAhead, 30.0f);
    EXPECT_FLOAT_EQ(driver.clock, 12.5f);
    EXPECT_FALSE(driver.reversed);
    EXPECT_FALSE(driver.car);
    EXPECT_EQ(driver.pathLine, nullptr);
    GetGameClock().gameTime = 0.0;
}

TEST(AIVehicleTest, ReportStoresGroundHeadingAndUnsignedSpeed)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        Vector3 direction;
        float signedSpeed;
        Vector3 heading;
        float speed;
    } cases[] = {
        {{3, 4, 5}, -12.5f, {0.6f, 0.8f, 0}, 12.5f},
        {{0, -2, 0}, 7.0f, {0, -1, 0}, 7.0f},
        // Straight up or no direction at all: no ground heading, not NaN.
        {{0, 0, 3}, 1.0f, {0, 0, 0}, 1.0f},
        {{0, 0, 0}, 0.0f, {0, 0, 0}, 0.0f},
        {{nan, 1, 0}, nan, {0, 0, 0}, 0.0f},
    };
    for (const Case& c : cases) {
        AI_Vehicle driver;
        CPGameObject scene("car");
        scene.SetPosition({1, 2, 3});
        driver.Update(&scene, c.direction, c.signedSpeed, CPObjectPtr(), 4, 9);
        EXPECT_NEAR(driver.heading.x, c.heading.x, 1e-6f);
        EXPECT_NEAR(driver.heading.y, c.heading.y, 1e-6f);
        EXPECT_EQ(driver.heading.z, 0.0f);
        EXPECT_FLOAT_EQ(driver.speed, c.speed);
        EXPECT_FLOAT_EQ(driver.position.y, 2.0f);
        EXPECT_EQ(driver.rangeMin, 4);
        EXPECT_EQ(driver.rangeMax, 9);
        EXPECT_EQ(driver.body, nullptr);
    }
}

TEST(AIVehicleTest, ReportWithoutSceneObjectKeepsThePosition)
{
    AI_Vehicle driver;
    driver.position = {5, 6, 7};
    driver.Update(nullptr, {1, 0, 0}, 3.0f, CPObjectPtr(), 0, 0);
    EXPECT_FLOAT_EQ(driver.position.x, 5.0f);
    EXPECT_FLOAT_EQ(driver.speed, 3.0f);
}

TEST(AIVehicleTest, ReversedStaysSetOnceTheLevelWasReversed)
{
    LevelSlotScope slot;
    CPLevel level;
    MakeCurrentLevel(&level);
    AI_Vehicle driver;
    driver.Update(nullptr, {1, 0, 0}, 1.0f, CPObjectPtr(), 0, 0);
    EXPECT_FALSE(driver.reversed);
    level.race.reversed = true;
    driver.Update(nullptr, {1, 0, 0}, 1.0f, CPObjectPtr(), 0, 0);
    EXPECT_TRUE(driver.reversed);
    level.race.reversed = false;
    driver.Update(nullptr, {1, 0, 0}, 1.0f, CPObjectPtr(), 0, 0);
    EXPECT_TRUE(driver.reversed);
}

TEST(AIVehicleTest, CarReferenceIsHeldAndReleased)
{
    Plain first, second;
    AI_Vehicle driver;
    driver.Update(nullptr, {1, 0, 0}, 1.0f, CPObjectPtr(&first), 0, 0);
    EXPECT_EQ(driver.car.Get(), &first);
    driver.Update(nullptr, {1, 0, 0}, 1.0f, CPObjectPtr(&second), 0, 0);
    EXPECT_EQ(driver.car.Get(), &second);
    driver.ReleaseCar();
    EXPECT_FALSE(driver.car);
    driver.ReleaseCar(); // none held: nothing happens
    EXPECT_FALSE(driver.car);
}

TEST(AIVehicleTest, SetLineSetsOneLineAndRefreshesTheSplines)
{
    LevelSlotScope slot;
    CPLevel level;
    MakeCurrentLevel(&level);
    auto* path = new CPSpline;
    auto* left = new CPSpline;
    auto* right = new CPSpline;
    level.SetSplines(CPObjectPtr(path), CPObjectPtr(left), CPObjectPtr(right));
    CPLine a, b, c;
    struct Case {
        std::int32_t which;
        CPLine* line;
        CPLine* path;
        CPLine* left;
        CPLine* right;
    } cases[] = {
        {0, &a, &a, nullptr, nullptr},       {1, &b, nullptr, &b, nullptr},
        {2, &c, nullptr, nullptr, &c},       {3, &a, nullptr, nullptr, nullptr},
        {-1, &a, nullptr, nullptr, nullptr},
    };
    for (const Case& t : cases) {
        AI_Vehicle driver;
        driver.SetLine(t.which, t.line);
        EXPECT_EQ(driver.pathLine, t.path) << t.which;
        EXPECT_EQ(driver.leftLine, t.left) << t.which;
        EXPECT_EQ(driver.rightLine, t.right) << t.which;
        EXPECT_EQ(driver.pathSpline, path) << t.which;
        EXPECT_EQ(driver.leftBorder, left) << t.which;
        EXPECT_EQ(driver.rightBorder, right) << t.which;
    }
}

TEST(AIVehicleTest, SetLineWithoutLevelClearsTheSplines)
{
    AI_Vehicle driver;
    driver.pathSpline = reinterpret_cast<CPSpline*>(&driver);
    CPLine line;
    driver.SetLine(0, &line);
    EXPECT_EQ(driver.pathLine, &line);
    EXPECT_EQ(driver.pathSpline, nullptr);
    EXPECT_EQ(driver.leftBorder, nullptr);
}
