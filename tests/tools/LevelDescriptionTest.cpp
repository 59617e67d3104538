// The readable description of the sample level agrees with the game's
// conventions: the splines are closed rings of the track's length, the
// cars stand behind the start line facing the way the game drives, and the
// gates, zone and bonuses stand on the road across it.
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SampleWorld.h"
#include "core/FileReader.h"
#include "core/FileWriter.h"
#include "game/Spline.h"

namespace {

struct Placed {
    std::string name;
    Vector3 position;
    float rotation[4] = {0, 0, 0, 1}; // as stored: x y z w
};

struct SplineText {
    std::string name;
    bool closed = false;
    std::vector<std::vector<float>> segments; // twelve numbers each
};

struct LevelText {
    std::vector<Placed> objects;
    std::map<std::string, SplineText> splines;
};

LevelText ReadLevelText()
{
    std::ifstream in(std::string(RS_SOURCE_DIR) + "/data/sample/Data/Levels/level1.lvl.txt");
    LevelText level;
    SplineText* open = nullptr;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "object") {
            Placed placed;
            words >> placed.name >> placed.position.x >> placed.position.y >> placed.position.z;
            for (float& value : placed.rotation)
                words >> value;
            level.objects.push_back(placed);
        } else if (word == "spline") {
            SplineText spline;
            std::string closed;
            words >> spline.name >> closed;
            spline.closed = closed == "closed";
            open = &(level.splines[spline.name] = spline);
        } else if (word == "segment" && open) {
            std::vector<float> values(12);
            for (float& value : values)
                words >> value;
            open->segments.push_back(values);
        } else if (word == "end") {
            open = nullptr;
        }
    }
    return level;
}

std::vector<const Placed*> Starting(const LevelText& level, const std::string& prefix)
{
    std::vector<const Placed*> found;
    for (const Placed& placed : level.objects)
        if (placed.name.rfind(prefix, 0) == 0)
            found.push_back(&placed);
    return found;
}

// The spline as the game builds it from its level-file record.
std::unique_ptr<CPSpline> LoadSpline(const SplineText& text, const std::string& path)
{
    CPFileWriter writer(path, false);
    writer.WriteString(text.name);
    writer.WriteInt(text.closed ? 1 : 0);
    writer.WriteInt(static_cast<std::int32_t>(text.segments.size()));
    for (const std::vector<float>& segment : text.segments)
        for (float value : segment)
            writer.WriteFloat(value);
    if (writer.Save() != S_OK)
        return nullptr;
    CPFileReader reader(path, false);
    if (reader.Load() != S_OK)
        return nullptr;
    auto spline = std::make_unique<CPSpline>();
    spline->Load(reader);
    return spline;
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
Vector2 Forward(const Placed& placed)
{
    const float angle = -2.0f * std::atan2(placed.rotation[2], placed.rotation[3]);
    return {std::sin(angle), -std::cos(angle)};
}

float Dot(const Vector2& a, const Vector2& b) { return a.x * b.x + a.y * b.y; }

class LevelDescription : public ::testing::Test {
  protected:
    void SetUp() override
    {
        level = ReadLevelText();
        ASSERT_EQ(level.splines.count("c_path"), 1u);
        path = LoadSpline(level.splines["c_path"], scratch.Path("c_path.bin"));
        ASSERT_TRUE(path);
    }

    SampleWorld world;
    ScratchFolder scratch;
    LevelText level;
    std::unique_ptr<CPSpline> path;
};

TEST_F(LevelDescription, SplinesAreClosedRingsOfTheTrack)
{
    for (const char* name : {"c_path", "left", "right"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(level.splines.count(name), 1u);
        const std::unique_ptr<CPSpline> spline =
            LoadSpline(level.splines[name], scratch.Path(std::string(name) + ".bin"));
        ASSERT_TRUE(spline);
        EXPECT_TRUE(spline->IsClosed());
        // A few kilometres; the game's segment length is shorter than the arc.
        EXPECT_GT(spline->GetTotalLength(), 2000.0f);
        EXPECT_LT(spline->GetTotalLength(), 4000.0f);
    }
}

TEST_F(LevelDescription, CarsStandBehindTheStartLineFacingTheWayOfTravel)
{
    const std::vector<const Placed*> players = Starting(level, "player");
    const std::vector<const Placed*> enemies = Starting(level, "enemy");
    const std::vector<const Placed*> left = Starting(level, "stolb_start_left");
    const std::vector<const Placed*> right = Starting(level, "stolb_start_right");
    ASSERT_EQ(players.size(), 1u);
    ASSERT_EQ(enemies.size(), 7u);
    ASSERT_EQ(left.size(), 1u);
    ASSERT_EQ(right.size(), 1u);
    const Vector3 start{(left[0]->position.x + right[0]->position.x) / 2,
                        (left[0]->position.y + right[0]->position.y) / 2, 0.0f};
    const Vector2 travelAtStart = Travel(NearestLine(*path, start));

    std::vector<const Placed*> cars = enemies;
    cars.push_back(players[0]);
    for (const Placed* car : cars) {
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
    const std::vector<const Placed*> gates = Starting(level, "checkpoint");
    ASSERT_EQ(gates.size(), 4u);
    std::vector<const Placed*> onRoad = gates;
    for (const char* prefix : {"arrow_blue", "bonus_remont", "bonus_fast"})
        for (const Placed* placed : Starting(level, prefix))
            onRoad.push_back(placed);
    ASSERT_EQ(onRoad.size(), 9u);
    for (const Placed* placed : onRoad) {
        SCOPED_TRACE(placed->name);
        const CPLine& line = NearestLine(*path, placed->position);
        EXPECT_GT(Dot(Forward(*placed), Travel(line)), 0.95f);
        const float off = std::hypot(placed->position.x - line.centre.x, placed->position.y - line.centre.y);
        EXPECT_LT(off, 7.0f + 5.25f); // half the road plus half a line
    }
    for (const Placed* gate : gates)
        EXPECT_NE(gate->name.find(",25"), std::string::npos) << gate->name;
}

} // namespace
