// The sample level as the game reads it from "level1.lvl" agrees with the
// game's conventions: the splines are closed rings of the track's length,
// the cars stand behind the start line facing the way the game drives, and
// the gates, zone and bonuses stand on the road across it.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SampleWorld.h"
#include "game/LevelFile.h"
#include "game/Spline.h"

namespace {

std::vector<const CPLevelObjectRecord*> Starting(const CPLevelFile& level, const std::string& prefix)
{
    std::vector<const CPLevelObjectRecord*> found;
    for (const CPLevelObjectRecord& placed : level.objects)
        if (placed.name.rfind(prefix, 0) == 0)
            found.push_back(&placed);
    return found;
}

const CPSpline* FindSpline(const CPLevelFile& level, const std::string& name)
{
    for (const auto& spline : level.splines)
        if (spline->GetSplineName() == name)
            return spline.get();
    return nullptr;
}

const CPLine& NearestLine(const CPSpline& spline, const Vector3& point)
{
    const CPLine* best = spline.GetFirstLine();
    float bestDistance = 1e30f;
    for (const auto& line : spline.GetLines()) {
        const float dx = line->centre.x - point.x;
        const float dy = line->centre.y - point.y;
        if (dx * dx + dy * dy < bestDistance) {
            bestDistance = dx * dx + dy * dy;
            best = line.get();
        }
    }
    return *best;
}

// Unit vector of the way the game drives along the line: from its end
// towards its start.
Vector2 Travel(const CPLine& line)
{
    const float dx = line.start.x - line.end.x;
    const float dy = line.start.y - line.end.y;
    const float length = std::sqrt(dx * dx + dy * dy);
    return {dx / length, dy / length};
}

// The object's forward (0, -1, 0) turned by the conjugate of the stored
// rotation, which is what the object takes; only turns about z are used.
Vector2 Forward(const CPLevelObjectRecord& placed)
{
    const float angle = -2.0f * std::atan2(placed.rotation.z, placed.rotation.w);
    return {std::sin(angle), -std::cos(angle)};
}

float Dot(const Vector2& a, const Vector2& b) { return a.x * b.x + a.y * b.y; }

class LevelDescription : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(level.Read("Data\\Levels\\level1.lvl")) << world.log.Text();
        path = FindSpline(level, "c_path");
        ASSERT_TRUE(path);
    }

    SampleWorld world;
    CPLevelFile level;
    const CPSpline* path = nullptr;
};

TEST_F(LevelDescription, SplinesAreClosedRingsOfTheTrack)
{
    for (const char* name : {"c_path", "left", "right"}) {
        SCOPED_TRACE(name);
        const CPSpline* spline = FindSpline(level, name);
        ASSERT_TRUE(spline);
        EXPECT_TRUE(spline->IsClosed());
        // A few kilometres; the game's segment length is shorter than the arc.
        EXPECT_GT(spline->GetTotalLength(), 2000.0f);
        EXPECT_LT(spline->GetTotalLength(), 4000.0f);
    }
}

TEST_F(LevelDescription, CarsStandBehindTheStartLineFacingTheWayOfTravel)
{
    const std::vector<const CPLevelObjectRecord*> players = Starting(level, "player");
    const std::vector<const CPLevelObjectRecord*> enemies = Starting(level, "enemy");
    const std::vector<const CPLevelObjectRecord*> left = Starting(level, "stolb_start_left");
    const std::vector<const CPLevelObjectRecord*> right = Starting(level, "stolb_start_right");
    ASSERT_EQ(players.size(), 1u);
    ASSERT_EQ(enemies.size(), 7u);
    ASSERT_EQ(left.size(), 1u);
    ASSERT_EQ(right.size(), 1u);
    const Vector3 start{(left[0]->position.x + right[0]->position.x) / 2,
                        (left[0]->position.y + right[0]->position.y) / 2, 0.0f};
    const Vector2 travelAtStart = Travel(NearestLine(*path, start));

    std::vector<const CPLevelObjectRecord*> cars = enemies;
    cars.push_back(players[0]);
    for (const CPLevelObjectRecord* car : cars) {
        SCOPED_TRACE(car->name);
        const Vector2 travel = Travel(NearestLine(*path, car->position));
        EXPECT_GT(Dot(Forward(*car), travel), 0.95f);
        const Vector2 fromStart{car->position.x - start.x, car->position.y - start.y};
        EXPECT_LT(Dot(fromStart, travelAtStart), 0.0f);
        EXPECT_LT(std::hypot(fromStart.x, fromStart.y), 100.0f);
    }
}

TEST_F(LevelDescription, GatesZoneAndBonusesStandOnTheRoadAcrossIt)
{
    const std::vector<const CPLevelObjectRecord*> gates = Starting(level, "checkpoint");
    ASSERT_EQ(gates.size(), 4u);
    std::vector<const CPLevelObjectRecord*> onRoad = gates;
    for (const char* prefix : {"arrow_blue", "bonus_remont", "bonus_fast"})
        for (const CPLevelObjectRecord* placed : Starting(level, prefix))
            onRoad.push_back(placed);
    ASSERT_EQ(onRoad.size(), 9u);
    for (const CPLevelObjectRecord* placed : onRoad) {
        SCOPED_TRACE(placed->name);
        const CPLine& line = NearestLine(*path, placed->position);
        EXPECT_GT(Dot(Forward(*placed), Travel(line)), 0.95f);
        const float off = std::hypot(placed->position.x - line.centre.x, placed->position.y - line.centre.y);
        EXPECT_LT(off, 7.0f + 5.25f); // half the road plus half a line
    }
    // Each gate grants the time to the next; the last one's stretch runs
    // over the finish to the first gate and is twice as long.
    const char* const seconds[] = {",40", ",40", ",40", ",90"};
    for (std::size_t i = 0; i < gates.size(); ++i)
        EXPECT_NE(gates[i]->name.find(seconds[i]), std::string::npos) << gates[i]->name;
}

} // namespace
