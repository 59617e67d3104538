#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/GameSettings.h"
#include "game/Level.h"
#include "game/LevelTestObjects.h"
#include "platform/Math.h"
#include "support/ScratchFolder.h"

namespace {

class LevelQueriesTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        GetGameSettings().quadTree = 0;
        level.levelWidth = level.levelDepth = CPLevel::kLevelSize;
        level.queries.AllocateGrid();
        index = new FakeLevelIndex;
        level.SetBranchRoot(CPObjectPtr(index));
        player = new FakeCar;
        level.SetPlayer(CPObjectPtr(player));
    }
    void TearDown() override { GetGameSettings().quadTree = 0; }

    // A cube owned by the level.
    CPGameObject* Cube(const std::string& name, const Vector3& position, float h = 1.0f)
    {
        auto* object = new CPGameObject(name);
        PlaceCube(*object, position, h);
        level.AddOwnedObject(CPObjectPtr(object));
        return object;
    }
    void PlacePlayer(const Vector3& position)
    {
        player->GetPartBoxes().clear();
        PlaceCube(*player, position, 1.0f);
    }
    static RayQuery Ray(const Vector3& origin, const Vector3& direction, float length)
    {
        RayQuery ray;
        ray.origin = origin;
        ray.direction = direction;
        ray.length = length;
        return ray;
    }
    static bool Holds(const std::vector<CPObjectPtr>& list, const CPGameObject* object)
    {
        return std::any_of(list.begin(), list.end(), [&](const CPObjectPtr& p) { return p.Get() == object; });
    }

    LogCapture log;
    CPLevel level;
    FakeLevelIndex* index = nullptr;
    FakeCar* player = nullptr;
};

} // namespace

TEST_F(LevelQueriesTest, ObjectListsAreTestedOnlyWhenTheRayPassesNearThePlayer)
{
    // The player's car floats high above the rays, so only its x and y
    // matter; the listed cube sits on each ray's midpoint.
    const struct Case {
        Vector3 direction;
        Vector2 player;
        bool near;
        // Where the ray meets the cube when it is tested.
        float hitLength = 49.0f;
    } cases[] = {
        // Ray along +x, length 100, midpoint (50, 0).
        {{1, 0, 0}, {50, 9.9f}, true},
        {{1, 0, 0}, {50, 10.5f}, false}, // |d.y| > 0 * 50 + 10
        {{1, 0, 0}, {109, 0}, true},
        {{1, 0, 0}, {111, 0}, false}, // |d.x| > 1 * 50 + 10
        // Along (0.6, 0.8), midpoint (30, 40): across the ray the offset
        // |d.x * 0.8 - d.y * 0.6| may reach 1.4 * 10.
        // The cube's face y = 39 is met at 39 / 0.8 = 48.75.
        {{0.6f, 0.8f, 0}, {38, 34}, true, 48.75f}, // d = (8, -6): 10
        {{0.6f, 0.8f, 0}, {42, 31}, false},        // d = (12, -9): 15
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.player.x << "," << c.player.y);
        const Vector3 middle = c.direction * 50.0f;
        CPGameObject* cube = Cube("crate", middle);
        level.firstObjects.assign(1, CPObjectPtr(cube));
        PlacePlayer({c.player.x, c.player.y, 500.0f});

        RayQuery ray = Ray({0, 0, 0}, c.direction, 100.0f);
        EXPECT_EQ(level.IntersectRay(ray), c.near);
        EXPECT_EQ(ray.hitObject.Get(), c.near ? cube : nullptr);
        // Without a hit the hit point is the end of the ray.
        const float length = c.near ? c.hitLength : 100.0f;
        EXPECT_NEAR(ray.length, length, 1e-3f);
        EXPECT_NEAR(ray.hitPoint.x, c.direction.x * length, 1e-3f);
        EXPECT_NEAR(ray.hitPoint.y, c.direction.y * length, 1e-3f);
    }
    EXPECT_EQ(index->rayTests, 6);
}

TEST_F(LevelQueriesTest, NearestOfSeveralHitsWins)
{
    PlacePlayer({40, 0, 500});
    CPGameObject* farCube = Cube("far", {60, 0, 0});
    CPGameObject* nearCube = Cube("near", {30, 0, 0});
    CPGameObject* staticCube = Cube("static", {45, 0, 0});
    index->hitObject = staticCube;
    // The farther one comes first in the lists.
    level.firstObjects.push_back(CPObjectPtr(farCube));
    level.secondObjects.push_back(CPObjectPtr(nearCube));

    RayQuery ray = Ray({0, 0, 0}, {1, 0, 0}, 100.0f);
    EXPECT_TRUE(level.IntersectRay(ray));
    EXPECT_EQ(ray.hitObject.Get(), nearCube);
    EXPECT_NEAR(ray.length, 29.0f, 1e-4f);
    EXPECT_NEAR(ray.hitPoint.x, 29.0f, 1e-4f);

    // Shortened by the static scene alone, the lists add nothing farther.
    level.secondObjects.clear();
    RayQuery second = Ray({0, 0, 0}, {1, 0, 0}, 100.0f);
    EXPECT_TRUE(level.IntersectRay(second));
    EXPECT_EQ(second.hitObject.Get(), staticCube);
    EXPECT_NEAR(second.hitPoint.x, 44.0f, 1e-4f);
}

TEST_F(LevelQueriesTest, OnlyTheAllRayHitsThePlayer)
{
    PlacePlayer({20, 0, 0});
    CPGameObject* cube = Cube("crate", {50, 0, 0});
    level.firstObjects.push_back(CPObjectPtr(cube));

    RayQuery ray = Ray({0, 0, 0}, {1, 0, 0}, 100.0f);
    EXPECT_TRUE(level.IntersectRay(ray));
    EXPECT_EQ(ray.hitObject.Get(), cube);

    RayQuery all = Ray({0, 0, 0}, {1, 0, 0}, 100.0f);
    EXPECT_TRUE(level.IntersectRayAll(all));
    EXPECT_EQ(all.hitObject.Get(), player);
    EXPECT_NEAR(all.hitPoint.x, 19.0f, 1e-4f);

    // The shooter's own car is passed over.
    RayQuery fired = Ray({0, 0, 0}, {1, 0, 0}, 100.0f);
    fired.ignored = player;
    EXPECT_TRUE(level.IntersectRayAll(fired));
    EXPECT_EQ(fired.hitObject.Get(), cube);
}

TEST_F(LevelQueriesTest, QuadTreeSwitchLeavesTheBranchesOut)
{
    PlacePlayer({0, 0, 500});
    index->hitObject = Cube("static", {45, 0, 0});
    index->sphereAnswer.push_back(CPObjectPtr(index->hitObject));
    index->items.push_back(CPObjectPtr(index->hitObject));
    GetGameSettings().quadTree = 3;

    RayQuery ray = Ray({0, 0, 0}, {1, 0, 0}, 100.0f);
    EXPECT_FALSE(level.IntersectRay(ray));
    std::vector<CPObjectPtr> near;
    level.CollectNearObjects({45, 0, 0}, 5.0f, near);
    level.CollectBranchItems(near);
    EXPECT_TRUE(near.empty());
    EXPECT_EQ(index->rayTests, 0);
    EXPECT_EQ(index->sphereQueries, 0);

    GetGameSettings().quadTree = 0;
    level.CollectBranchItems(near);
    EXPECT_EQ(near.size(), 1u);
}

TEST_F(LevelQueriesTest, CarsRayStopsAtTheFirstOpponentHit)
{
    auto* missed = new CPGameObject("bmw1");
    PlaceCube(*missed, {50, 20, 0}, 1.0f);
    auto* far = new CPGameObject("uaz2");
    PlaceCube(*far, {80, 0, 0}, 1.0f);
    level.AddOpponent(CPObjectPtr(missed));
    level.AddOpponent(CPObjectPtr(far));
    PlacePlayer({30, 0, 0}); // nearer, but opponents come first

    RayQuery ray = Ray({0, 0, 0}, {1, 0, 0}, 100.0f);
    EXPECT_TRUE(level.IntersectCars(ray));
    EXPECT_EQ(ray.hitObject.Get(), far);

    RayQuery past = Ray({0, 0, 0}, {1, 0, 0}, 60.0f);
    EXPECT_TRUE(level.IntersectCars(past));
    EXPECT_EQ(past.hitObject.Get(), player);

    RayQuery aside = Ray({0, 5, 0}, {1, 0, 0}, 100.0f);
    EXPECT_FALSE(level.IntersectCars(aside));
}

TEST_F(LevelQueriesTest, GridCellOfAPosition)
{
    ASSERT_EQ(level.queries.GetGridColumns(), 300);
    ASSERT_EQ(level.queries.GetGridRows(), 300);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct Case {
        float x, y;
        int cell;
    } cases[] = {
        {0, 0, 150 * 300 + 150},
        {-1500, -1500, 0},
        {-1495.5f, 1499.9f, 299},    // column 0, row 299
        {1499.9f, -1500, 299 * 300}, // column 299, row 0
        {2000, 0, 299 * 300 + 150},  // outside: the border column
        {-2000, -5, 149},            // row (-5 + 1500) * 0.1 = 149.5
        {-1503, -1503, 0},           // truncated towards 0
        {nan, 0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(level.queries.GetCellIndex(c.x, c.y), c.cell) << c.x << "," << c.y;

    CPGameObject* outside = Cube("outside", {5000, -5000, 0});
    level.AddToGrid(CPObjectPtr(outside));
    EXPECT_TRUE(Holds(level.queries.GetCell(299 * 300), outside));
    CPGameObject* lost = Cube("lost", {nan, 0, 0});
    level.AddToGrid(CPObjectPtr(lost));
    EXPECT_TRUE(log.Contains("lost"));

    CPLevel ungridded;
    EXPECT_EQ(ungridded.queries.GetCellIndex(0, 0), -1);
    ungridded.AddToGrid(CPObjectPtr(outside)); // no grid yet: nothing
}

TEST_F(LevelQueriesTest, NearbyObjectsFromEverySource)
{
    PlacePlayer({100, 100, 0});
    CPGameObject* fromIndex = Cube("static", {0, 0, 0});
    index->sphereAnswer.push_back(CPObjectPtr(fromIndex));
    CPGameObject* listed = Cube("listed", {103, 100, 0});
    CPGameObject* listedFar = Cube("listed far", {130, 100, 0});
    level.firstObjects.push_back(CPObjectPtr(listed));
    level.firstObjects.push_back(CPObjectPtr(listedFar));
    // Grid objects count only in the cells around the player's car.
    CPGameObject* gridNearPlayer = Cube("grid near", {108, 100, 0});
    CPGameObject* gridFarFromPlayer = Cube("grid far", {125, 100, 0});
    level.AddToGrid(CPObjectPtr(gridNearPlayer));
    level.AddToGrid(CPObjectPtr(gridFarFromPlayer));
    CPGameObject* second = Cube("second", {115, 100, 0});
    level.secondObjects.push_back(CPObjectPtr(second));

    std::vector<CPObjectPtr> near;
    level.CollectNearObjects({110, 100, 0}, 15.0f, near);
    EXPECT_TRUE(Holds(near, fromIndex)); // the index decides for itself
    EXPECT_TRUE(Holds(near, player));
    EXPECT_TRUE(Holds(near, listed));
    EXPECT_FALSE(Holds(near, listedFar)); // box 19 away
    EXPECT_TRUE(Holds(near, gridNearPlayer));
    EXPECT_FALSE(Holds(near, gridFarFromPlayer)); // within reach, wrong cell
    EXPECT_TRUE(Holds(near, second));
    EXPECT_EQ(near.size(), 5u);

    // A query far from the player's car: the player and the first list
    // stay out, the second list is still searched.
    near.clear();
    level.CollectNearObjects({130, 100, 0}, 2.0f, near);
    EXPECT_FALSE(Holds(near, player));
    EXPECT_FALSE(Holds(near, listedFar)); // more than 2 + 10 from the player
    EXPECT_EQ(near.size(), 1u);           // the index's answer
}

TEST_F(LevelQueriesTest, PlayerOutsideTheAreaUsesTheBorderCells)
{
    CPGameObject* border = Cube("border", {1495, 0, 0});
    level.AddToGrid(CPObjectPtr(border));
    PlacePlayer({1700, 0, 0});
    std::vector<CPObjectPtr> near;
    level.CollectNearObjects({1495, 0, 0}, 3.0f, near);
    EXPECT_TRUE(Holds(near, border));

    PlacePlayer({-1700, 0, 0});
    near.clear();
    level.CollectNearObjects({1495, 0, 0}, 3.0f, near);
    EXPECT_FALSE(Holds(near, border));
}

TEST_F(LevelQueriesTest, WithoutAPlayerTheListsAreStillTested)
{
    level.SetPlayer(CPObjectPtr());
    CPGameObject* cube = Cube("crate", {50, 0, 0});
    level.firstObjects.push_back(CPObjectPtr(cube));
    RayQuery ray = Ray({0, 0, 0}, {1, 0, 0}, 100.0f);
    EXPECT_TRUE(level.IntersectRayAll(ray));
    EXPECT_EQ(ray.hitObject.Get(), cube);
    EXPECT_FALSE(level.IntersectCars(ray));

    std::vector<CPObjectPtr> near;
    level.CollectNearObjects({50, 0, 0}, 2.0f, near);
    EXPECT_TRUE(Holds(near, cube));
}
