#include "game/TrackPointIndex.h"

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/GameHost.h"
#include "game/Level.h"
#include "game/Spline.h"
#include "platform/Random.h"

namespace {

// Lines standing at the given x and y.
struct Lines {
    std::vector<std::unique_ptr<CPLine>> owned;
    std::vector<CPLine*> points;
    void Add(float x, float y)
    {
        owned.push_back(std::make_unique<CPLine>());
        owned.back()->start = {x, y, 0.0f};
        points.push_back(owned.back().get());
    }
};

// Every position of a lattice over the points' extent and well beyond it,
// the points themselves and the middles between neighbours: the grid must
// answer as the scan does.
void ExpectGridAgreesWithScan(const std::vector<CPLine*>& points, float step)
{
    CPTrackPointIndex index;
    index.Build(points);
    float minX = points[0]->start.x, maxX = minX, minY = points[0]->start.y, maxY = minY;
    for (const CPLine* line : points) {
        minX = std::min(minX, line->start.x);
        maxX = std::max(maxX, line->start.x);
        minY = std::min(minY, line->start.y);
        maxY = std::max(maxY, line->start.y);
    }
    int differences = 0;
    auto check = [&](const Vector3& position) {
        const std::int32_t expected = CPTrackPointIndex::FindByScan(points, position);
        const std::int32_t found = index.Find(points, position);
        if (found != expected && ++differences <= 10)
            ADD_FAILURE() << "at " << position.x << ", " << position.y << ": " << found << " instead of "
                          << expected;
    };
    const float margin = 450.0f; // past the 316 units a point is near within
    for (float y = minY - margin; y <= maxY + margin; y += step)
        for (float x = minX - margin; x <= maxX + margin; x += step)
            check({x, y, 0.0f});
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Vector3& here = points[i]->start;
        const Vector3& next = points[(i + 1) % points.size()]->start;
        check(here);
        check({(here.x + next.x) * 0.5f, (here.y + next.y) * 0.5f, 7.0f});
    }
    EXPECT_EQ(differences, 0);
}

} // namespace

// The sample circuit, loaded by the game host: its track points against the
// scan everywhere around it, and along a drive that jumps (a car put back
// on the road, or moved anywhere by a script) between far points.
TEST(TrackPointIndex, FindsTheScansPointAllOverTheSampleTrack)
{
    GameHost::Options options;
    options.frames = 1;
    options.dataRoot = std::string(RS_SOURCE_DIR) + "/data/sample";
    GameHost host(options);
    ASSERT_TRUE(host.StartLevel("level1"));
    CPLevel* level = host.GetLevel();
    const std::vector<CPLine*>& points = level->trackPoints;
    ASSERT_GT(points.size(), 50u);

    ExpectGridAgreesWithScan(points, 2.9f);

    // The level's own search, as the race asks it, over a drive with jumps.
    platform::SeedRand(11);
    const auto n = static_cast<std::int32_t>(points.size());
    std::int32_t at = 0;
    for (int step = 0; step < 2000; ++step) {
        const bool jump = step % 50 == 49;
        at = jump ? platform::Rand() % n : (at + 1) % n;
        const Vector3& p = points[static_cast<std::size_t>(at)]->start;
        const float sideways = static_cast<float>(platform::Rand() % 200) * 0.1f - 10.0f;
        const Vector3 position{p.x + sideways, p.y - sideways * 0.5f, p.z};
        ASSERT_EQ(level->FindNearestTrackPoint(position), CPTrackPointIndex::FindByScan(points, position))
            << "step " << step;
    }
    // Far off the track, and not at any place at all.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    for (const Vector3& nowhere :
         {Vector3{1e6f, 1e6f, 0.0f}, Vector3{nan, 0.0f, 0.0f}, Vector3{0.0f, infinity, 0.0f}})
        EXPECT_EQ(level->FindNearestTrackPoint(nowhere), -1);
}

// Hand-made tracks where the answer turns on the rules: equal distances go
// to the later point, nothing counts beyond the limit, a track that crosses
// itself, points on top of each other and a very wide track.
TEST(TrackPointIndex, FindsTheScansPointOnAwkwardTracks)
{
    Lines crossing; // a figure of eight through the origin
    for (int i = 0; i < 200; ++i) {
        const float t = static_cast<float>(i) * 6.2831853f / 200.0f;
        crossing.Add(300.0f * std::sin(t), 150.0f * std::sin(2.0f * t));
    }
    ExpectGridAgreesWithScan(crossing.points, 3.3f);

    Lines stacked; // one place three times, and two points a cell apart
    stacked.Add(5.0f, 5.0f);
    stacked.Add(5.0f, 5.0f);
    stacked.Add(37.0f, 5.0f);
    stacked.Add(5.0f, 5.0f);
    ExpectGridAgreesWithScan(stacked.points, 1.0f);
    CPTrackPointIndex index;
    EXPECT_EQ(index.Find(stacked.points, {5.0f, 5.0f, 0.0f}), 3);
    EXPECT_EQ(index.Find(stacked.points, {21.0f, 5.0f, 0.0f}), 3); // as far from both: the later
    EXPECT_EQ(index.Find(stacked.points, {5.0f, 5.0f + 316.0f, 0.0f}), 3);
    EXPECT_EQ(index.Find(stacked.points, {5.0f, 5.0f + 317.0f, 0.0f}), -1);

    Lines wide; // wider than the grid's cells allow at their least size
    for (int i = 0; i < 300; ++i)
        wide.Add(static_cast<float>(i) * 97.0f, static_cast<float>((i * 37) % 11) * 40.0f);
    ExpectGridAgreesWithScan(wide.points, 13.0f);

    const std::vector<CPLine*> none;
    EXPECT_EQ(index.Find(none, {0.0f, 0.0f, 0.0f}), -1);
}

// A new list of points, or one grown in place, is gridded again before it
// is searched.
TEST(TrackPointIndex, ALaterListIsGriddedAgain)
{
    Lines lines;
    lines.Add(0.0f, 0.0f);
    CPTrackPointIndex index;
    EXPECT_EQ(index.Find(lines.points, {100.0f, 0.0f, 0.0f}), 0);
    lines.Add(100.0f, 0.0f);
    EXPECT_EQ(index.Find(lines.points, {100.0f, 0.0f, 0.0f}), 1);
}

// The answers the index recalls for positions asked again belong to its
// grid: a list gridded anew answers for its own points, the same position
// asked twice of each.
TEST(TrackPointIndex, APositionAskedAgainOfAnotherListIsSearchedAgain)
{
    Lines first, second;
    for (Lines* lines : {&first, &second}) {
        lines->Add(0.0f, 0.0f);
        lines->Add(10.0f, 0.0f);
        lines->Add(0.0f, 10.0f);
    }
    second.Add(4.0f, 1.0f);
    CPTrackPointIndex index;
    const Vector3 position{3.0f, 1.0f, 0.0f};
    for (int ask = 0; ask < 2; ++ask)
        EXPECT_EQ(index.Find(first.points, position), 0) << "ask " << ask;
    for (int ask = 0; ask < 2; ++ask)
        EXPECT_EQ(index.Find(second.points, position), 3) << "ask " << ask;
    for (int ask = 0; ask < 2; ++ask)
        EXPECT_EQ(index.Find(first.points, position), 0) << "ask " << ask;
}
