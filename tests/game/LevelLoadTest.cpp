// Levels written by the level builder and loaded back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/GameSettings.h"
#include "game/AIVehicle.h"
#include "game/Camera.h"
#include "game/LevelBranch.h"
#include "game/LevelLoadSteps.h"
#include "game/LevelWorld.h"
#include "game/Player.h"
#include "game/Spline.h"
#include "physics/PhysicData.h"
#include "support/MathExpect.h"

namespace {

constexpr float kPi = 3.14159265f;

// The track's meshes and scenes, the cars and their descriptions: every
// file the levels below name, but for the level files themselves.
void WriteAssets(LevelWorld& world)
{
    ASSERT_TRUE(world.Mesh("track.msh", "layout plain\n"
                                        "node road\n"
                                        "  vertex 0 0 0\n  vertex 100 0 0\n  vertex 0 100 0\n"
                                        "  triangle 0 1 2\n"
                                        "  box 50 50 0 50 50 0.1\n"
                                        "end\n"
                                        "node house\n"
                                        "  vertex 195 -5 -5\n  vertex 205 5 5\n  vertex 195 5 5\n"
                                        "  triangle 0 1 2\n"
                                        "  box 200 0 0 5 5 5\n"
                                        "end\n"))
        << world.toolOutput;
    ASSERT_TRUE(world.Mesh("road.msh", "layout plain\n"
                                       "node ground\n"
                                       "  vertex -500 -500 0\n  vertex 500 -500 0\n  vertex 0 500 0\n"
                                       "  triangle 0 1 2\n"
                                       "end\n"))
        << world.toolOutput;
    ASSERT_TRUE(world.Mesh("car.p3d", "layout physics\n"
                                      "node body\n"
                                      "  vertex -1 -2 0\n  vertex 1 -2 0\n  vertex 0 2 0\n"
                                      "  triangle 0 1 2\n"
                                      "  body 2 4 1 100\n"
                                      "end\n"))
        << world.toolOutput;
    world.Scene("testtrack.rdf", "mesh = track.msh\n");
    world.Scene("road_phys0.rdf", "mesh = road.msh\n");
    for (const char* name : {"land.rdf", "tree.rdf", "checkpoint.rdf", "arrow_blue.rdf", "lamp.rdf"})
        world.Scene(name, "mesh = empty\n");
    world.Scene("zil_130_.rdf", "mesh = car.p3d\ndescription = zil.xml\n");
    world.Scene("bmw1_enemy.rdf", "mesh = car.p3d\ndescription = bmw.xml\n");
    world.Scene("bmw2_enemy.rdf", "mesh = car.p3d\ndescription = bmw.xml\n");
    world.Description("zil.xml", "<car>\n"
                                 "  <camera distance=\"8\" height=\"2.5\" angle=\"10\" angle_div=\"3\"\n"
                                 "          distance_div=\"40\" blur=\"0.2\" fov=\"55\"/>\n"
                                 "  <camera2 distance=\"5\" height=\"1.5\" angle=\"5\" fov=\"60\"/>\n"
                                 "  <camera3 distance=\"3\" blur=\"0.1\"/>\n"
                                 "</car>\n");
    world.Description("bmw.xml", "<car><camera distance=\"9\" height=\"3\" angle=\"12\" min=\"20\" "
                                 "max=\"35.7\"/></car>\n");
}

const char* const kSplines = "spline c_path closed\n"
                             "  line 0 0 0 100 0 0\n"
                             "  line 100 0 0 100 100 0\n"
                             "  line 100 100 0 0 0 0\n"
                             "end\n"
                             "spline left open\n"
                             "  line 0 -5 0 100 -5 0\n"
                             "end\n"
                             "spline right open\n"
                             "  line 0 5 0 100 5 0\n"
                             "end\n"
                             "spline extra open\n"
                             "  line 0 0 0 10 0 0\n"
                             "end\n";

// Every kind of object record, with two lights before them.
std::string FullLevel()
{
    return std::string("header 1 2 1500 4\n"
                       "lights 2\n"
                       "object player 10 20 0.5 0 0 0.7071068 0.7071068\n"
                       "object enemy1_1 30 20 0.5   # slot 1_ for the player's zil: bmw\n"
                       "object enemybmw 40 20 0.5\n"
                       "object tree07 100 100 0 0 0 0 1 2 2 2\n"
                       "object checkpoint,20 50 0 0\n"
                       "object chk12_lamp 60 0 0\n"
                       "object src_base -5 -6 -7\n"
                       "object stolb_start_left 0 -10 0\n"
                       "object stolb_start_right 0 10 0\n"
                       "object arrow_blue3 70 0 0\n") +
           kSplines;
}

class LevelLoadTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        if (!LevelWorld::ToolsBuilt())
            GTEST_SKIP() << "rslevel or rsmesh is not built";
        WriteAssets(world);
    }

    CPLevel& Level() { return *world.level; }

    LevelWorld world;
};

} // namespace

TEST_F(LevelLoadTest, WrittenLevelLoadsWithEveryObjectInItsPlace)
{
    ASSERT_TRUE(world.Level("testtrack", FullLevel())) << world.toolOutput;
    ASSERT_EQ(world.Load("testtrack"), S_OK) << world.log.Text();
    CPLevel& level = Level();

    // The player's start: the stored rotation is taken conjugated.
    auto* player = dynamic_cast<CPPlayer*>(level.GetPlayer());
    ASSERT_NE(player, nullptr);
    EXPECT_TRUE(Near(player->GetPosition(), Vector3{10, 20, 0.5f}));
    EXPECT_NEAR(player->GetRotation().z, -0.7071068f, 1e-6f);
    EXPECT_NEAR(player->GetRotation().w, 0.7071068f, 1e-6f);
    EXPECT_TRUE(player->humanPlayer);
    EXPECT_EQ(player->side, world.data.playerType);
    EXPECT_EQ(player->modelName, "zil_130_");
    EXPECT_NE(player->GetCar(), nullptr);
    EXPECT_EQ(level.cameraTarget, player);

    // Both opponents drive the bmw, raised 2 above their marks.
    ASSERT_EQ(level.GetOpponents().size(), 2u);
    EXPECT_EQ(level.opponentModels, (std::vector<std::string>{"bmw1", "bmw2"}));
    EXPECT_TRUE(Near(level.GetOpponents()[0]->GetPosition(), Vector3{30, 20, 2.5f}));
    EXPECT_TRUE(Near(level.GetOpponents()[1]->GetPosition(), Vector3{40, 20, 2.5f}));
    for (CPGameObject* opponent : level.GetOpponents()) {
        auto* car = dynamic_cast<CPPlayer*>(opponent);
        ASSERT_NE(car, nullptr);
        EXPECT_EQ(car->modelName, "bmw");
        EXPECT_EQ(car->side, CPPlayer::kDarkSide);
        EXPECT_FALSE(car->humanPlayer);
    }

    // Gates, speed zones, numbered objects, sources and the start line.
    ASSERT_EQ(level.checkpoints.size(), 1u);
    EXPECT_FLOAT_EQ(level.checkpoints[0].grantedTime, 29.0f);
    EXPECT_TRUE(Near(level.checkpoints[0].object.As<CPGameObject>()->GetPosition(), Vector3{50, 0, 0}));
    EXPECT_EQ(level.speedZones.size(), 1u);
    ASSERT_EQ(level.numberedObjects.size(), 1u);
    EXPECT_EQ(level.numberedObjects.front().number, 12);
    EXPECT_TRUE(
        Near(level.numberedObjects.front().object.As<CPGameObject>()->GetPosition(), Vector3{60, 0, 0}));
    ASSERT_EQ(level.enemySources.count("base"), 1u);
    EXPECT_TRUE(Near(level.enemySources["base"], Vector3{-5, -6, -7}));
    EXPECT_TRUE(Near(level.race.startPosition, Vector3{0, 0, 0}));
    EXPECT_TRUE(Near(level.race.finishLineDirection, Vector3{0, 20, 0}));
    // tree, gate and arrow; the posts, the player and the opponents are no
    // scene objects.
    EXPECT_EQ(level.firstObjects.size(), 3u);

    // The role splines; the other one is dropped.
    ASSERT_NE(level.GetPathSpline(), nullptr);
    EXPECT_EQ(level.GetPathSpline()->GetSplineName(), "c_path");
    EXPECT_NE(level.GetPathSpline()->GetFirstLine(), nullptr);
    ASSERT_NE(level.GetLeftBorder(), nullptr);
    EXPECT_EQ(level.GetLeftBorder()->GetSplineName(), "left");
    ASSERT_NE(level.GetRightBorder(), nullptr);
    EXPECT_EQ(level.GetRightBorder()->GetSplineName(), "right");

    // Scene, terrain, road collision and the physics world.
    EXPECT_TRUE(level.GetLevelScene());
    EXPECT_TRUE(level.GetTerrain());
    EXPECT_TRUE(level.GetRoadCollision());
    EXPECT_NE(world.physics.GetSimulator(), nullptr);
    EXPECT_EQ(level.levelWidth, 3000.0f);
    EXPECT_EQ(level.queries.GetGridColumns(), 300);
    EXPECT_EQ(level.ambientColour, 0xFF7F7F7Fu);
    EXPECT_EQ(level.race.lastCheckpoint, -1);
    EXPECT_EQ(world.data.currentRound, 1);
}

TEST_F(LevelLoadTest, BranchTreeHoldsTheStaticSceneAndAnswersTheLevelsRays)
{
    ASSERT_TRUE(world.Level("testtrack", FullLevel())) << world.toolOutput;
    ASSERT_EQ(world.Load("testtrack"), S_OK) << world.log.Text();
    auto* root = Level().GetBranchRoot().As<CPLevelBranch>();
    ASSERT_NE(root, nullptr);
    // The scene's road and house, the tree, the gate and the arrow.
    EXPECT_EQ(root->GetObjects().size(), 5u);

    // Far from the player's car only the tree answers: the house is met
    // 45 along a ray from x = 150.
    RayQuery ray;
    ray.origin = {150, 0, 0};
    ray.direction = {1, 0, 0};
    ray.length = 100.0f;
    EXPECT_TRUE(Level().IntersectRay(ray));
    ASSERT_TRUE(ray.hitObject);
    EXPECT_EQ(ray.hitObject.As<CPGameObject>()->GetName(), "house");
    EXPECT_NEAR(ray.length, 45.0f, 1e-3f);
    EXPECT_TRUE(Near(ray.hitPoint, Vector3{195, 0, 0}));
}

TEST_F(LevelLoadTest, CameraPresetsComeFromTheCarsDescriptions)
{
    ASSERT_TRUE(world.Level("testtrack", FullLevel())) << world.toolOutput;
    ASSERT_EQ(world.Load("testtrack"), S_OK) << world.log.Text();
    const CPLevel& level = Level();
    // "camera" of the player's car.
    EXPECT_FLOAT_EQ(level.view.presetDistance[1], 8.0f);
    EXPECT_FLOAT_EQ(level.view.presetHeight[1], 2.5f);
    EXPECT_FLOAT_EQ(level.view.camera1Angle, 10.0f);
    EXPECT_FLOAT_EQ(level.view.presetAngleDivisor[1], 3.0f);
    EXPECT_FLOAT_EQ(level.view.presetDistanceDivisor[1], 40.0f);
    EXPECT_FLOAT_EQ(level.view.presetBlur[1], 0.2f);
    EXPECT_FLOAT_EQ(level.view.camera1Fov, 55.0f);
    // "camera2": the opponents' "camera" wrote it first, the player's own
    // overrides what it names.
    EXPECT_FLOAT_EQ(level.view.presetDistance[0], 5.0f);
    EXPECT_FLOAT_EQ(level.view.presetHeight[0], 1.5f);
    EXPECT_FLOAT_EQ(level.view.camera2Angle, 5.0f);
    EXPECT_FLOAT_EQ(level.view.camera2Fov, 60.0f);
    // "camera3" names distance and blur only.
    EXPECT_FLOAT_EQ(level.view.presetDistance[2], 3.0f);
    EXPECT_FLOAT_EQ(level.view.presetBlur[2], 0.1f);
    EXPECT_FLOAT_EQ(level.view.presetHeight[2], 0.0f);

    // Preset 0 is in use and handed to the camera.
    EXPECT_EQ(level.view.cameraPreset, 0);
    EXPECT_FLOAT_EQ(level.view.cameraDistance, 8.0f);
    auto* camera = level.GetCamera().As<CPCamera>();
    ASSERT_NE(camera, nullptr);
    EXPECT_FLOAT_EQ(camera->distance, 8.0f);
    EXPECT_NEAR(camera->pitch, 10.0f * 0.017453292f, 1e-6f);
    // The car's nose (local -y) turned by -90 degrees about z points along
    // -x: heading pi.
    EXPECT_NEAR(std::fabs(level.view.referenceHeading), kPi, 1e-4f);
    EXPECT_NEAR(std::fabs(camera->yaw), kPi, 1e-4f);
}

TEST_F(LevelLoadTest, OpponentDriversGetTheFirstLinesAndTheirCarsRange)
{
    ASSERT_TRUE(world.Level("testtrack", FullLevel())) << world.toolOutput;
    ASSERT_EQ(world.Load("testtrack"), S_OK) << world.log.Text();
    ASSERT_EQ(world.ai.GetOpponents().size(), CPAIManager::kOpponentCount);
    for (std::size_t i = 0; i < 2; ++i) {
        const AI_Vehicle* driver = world.ai.GetOpponent(i);
        EXPECT_EQ(driver->pathLine, Level().GetPathSpline()->GetFirstLine());
        EXPECT_EQ(driver->leftLine, Level().GetLeftBorder()->GetFirstLine());
        EXPECT_EQ(driver->rightLine, Level().GetRightBorder()->GetFirstLine());
        EXPECT_EQ(driver->pathSpline, Level().GetPathSpline());
        EXPECT_EQ(driver->rangeMin, 20);
        EXPECT_EQ(driver->rangeMax, 35);
    }
    // Drivers without a car keep no lines.
    EXPECT_EQ(world.ai.GetOpponent(2)->pathLine, nullptr);
}

TEST_F(LevelLoadTest, FlagsAndLevelNamesChooseOpponentsAndGates)
{
    const struct Case {
        const char* name;
        bool noCheckpoints;
        bool recordMode;
        std::vector<std::string> models;
        std::size_t checkpoints;
    } cases[] = {
        {"testtrack", false, false, {"bmw1", "bmw2"}, 1},
        {"testtrack", true, false, {"bmw1", "bmw2"}, 0},
        {"testtrack", false, true, {}, 1},
        {"level3", false, false, {"subaru1", "subaru2"}, 1},
        {"level3", true, false, {"bmw1", "bmw2"}, 0},
    };
    world.Scene("level3.rdf", "mesh = track.msh\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.noCheckpoints ? " without checkpoints" : "") +
                     (c.recordMode ? " in record mode" : ""));
        ASSERT_TRUE(world.Level(c.name, FullLevel())) << world.toolOutput;
        ASSERT_EQ(world.Load(c.name, c.noCheckpoints, c.recordMode), S_OK) << world.log.Text();
        EXPECT_EQ(Level().opponentModels, c.models);
        EXPECT_EQ(Level().checkpoints.size(), c.checkpoints);
        EXPECT_EQ(Level().levelNumber, std::string(c.name) == "level3" ? 3 : 0);
    }
    // There is no subaru: those opponents are left out, with a line saying so.
    EXPECT_TRUE(world.log.Contains("subaru1_enemy.rdf"));
}

namespace {

// A small valid level: no lights, the player, one path spline.
const char* const kSmallLevel = "object player 1 2 3\n"
                                "spline c_path closed\n"
                                "  line 0 0 0 100 0 0\n"
                                "  line 100 0 0 0 0 0\n"
                                "end\n";
// Where the small level's fields lie.
constexpr std::size_t kObjectCountAt = 20;
constexpr std::size_t kPlayerXAt = 24 + 4 + 6;
constexpr std::size_t kSplineCountAt = 24 + 4 + 6 + 40;
constexpr std::size_t kSegmentCountAt = kSplineCountAt + 4 + 4 + 6 + 4;

std::string Patched(std::string bytes, std::size_t at, std::int32_t value)
{
    std::memcpy(&bytes[at], &value, 4);
    return bytes;
}

std::string PatchedFloat(std::string bytes, std::size_t at, float value)
{
    std::memcpy(&bytes[at], &value, 4);
    return bytes;
}

} // namespace

TEST_F(LevelLoadTest, BrokenLevelsFailWithTheFileAndTheFaultAndLeaveTheLevelEmpty)
{
    ASSERT_TRUE(world.Level("small", kSmallLevel)) << world.toolOutput;
    world.Scene("small.rdf", "mesh = track.msh\n");
    const std::string good = world.folder.Read("Data/Levels/small.lvl");
    ASSERT_EQ(good.size(), kSegmentCountAt + 4 + 2 * 48);
    ASSERT_EQ(world.Load("small"), S_OK) << world.log.Text();

    const float nan = std::nanf("");
    const struct Case {
        const char* what;
        std::string bytes; // "" with `missing`: no file at all
        const char* fault;
        bool missing = false;
    } cases[] = {
        {"no file", "", "cannot be read", true},
        {"an empty file", "", "cannot be read"},
        {"cut inside the header", good.substr(0, 10), "ends inside its header"},
        {"more lights than bytes", Patched(good, 16, 1000), "lists 1000 lights, more than it holds"},
        {"a negative light count", Patched(good, 16, -1), "negative light count"},
        {"more objects than bytes", Patched(good, kObjectCountAt, 100000), "lists 100000 objects"},
        {"a negative object count", Patched(good, kObjectCountAt, -5), "lists -5 objects"},
        {"cut inside the object record", good.substr(0, kPlayerXAt + 8),
         "lists 1 objects, more than it holds"},
        {"a name longer than the file", Patched(good, kObjectCountAt + 4, 5000),
         "ends inside object record 0"},
        {"a position that is no number", PatchedFloat(good, kPlayerXAt, nan), "not a number"},
        {"cut before the spline count", good.substr(0, kSplineCountAt), "ends before its spline count"},
        {"more splines than bytes", Patched(good, kSplineCountAt, 1 << 30), "splines, more than it holds"},
        {"more segments than bytes", Patched(good, kSegmentCountAt, 1000), "spline record 0"},
        {"a spline cut short", good.substr(0, good.size() - 10), "spline record 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LogCapture caseLog;
        world.folder.Write("Data/Levels/broken.lvl", c.bytes);
        if (c.missing)
            std::remove(world.folder.Path("Data/Levels/broken.lvl").c_str());
        world.Scene("broken.rdf", "mesh = track.msh\n");
        EXPECT_EQ(world.Load("broken"), E_FAIL);
        const std::string log = caseLog.Text();
        EXPECT_NE(log.find(c.fault), std::string::npos) << log;
        EXPECT_NE(log.find("broken.lvl"), std::string::npos) << log;
        CPLevel& level = Level();
        EXPECT_EQ(level.GetPlayer(), nullptr);
        EXPECT_FALSE(level.GetSpline());
        EXPECT_FALSE(level.GetLevelScene());
        EXPECT_FALSE(level.GetBranchRoot());
        EXPECT_TRUE(level.GetOwnedObjects().empty());
        EXPECT_TRUE(level.firstObjects.empty());
        EXPECT_EQ(level.cameraTarget, nullptr);
    }
}

TEST_F(LevelLoadTest, MissingPartsAroundAReadableFileFailTheLoadAsWell)
{
    const struct Case {
        const char* what;
        std::string level;
        const char* removed; // a scene file taken away, or ""
        const char* fault;
    } cases[] = {
        {"no path spline", "object player 0 0 0\nspline left open\n  line 0 0 0 10 0 0\nend\n", "",
         "has no \"c_path\" spline"},
        {"no level scene", FullLevel(), "testtrack.rdf",
         "the level scene \"testtrack.rdf\" cannot be loaded"},
        {"no player's car", FullLevel(), "zil_130_.rdf",
         "the player's car \"zil_130_.rdf\" cannot be loaded"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LogCapture caseLog;
        WriteAssets(world);
        ASSERT_TRUE(world.Level("testtrack", c.level)) << world.toolOutput;
        if (*c.removed)
            std::remove(world.folder.Path(std::string("Data/Meshes/") + c.removed).c_str());
        EXPECT_EQ(world.Load("testtrack"), E_FAIL);
        EXPECT_TRUE(caseLog.Contains(c.fault)) << caseLog.Text();
        CPLevel& level = Level();
        EXPECT_EQ(level.GetPlayer(), nullptr);
        EXPECT_TRUE(level.GetOpponents().empty());
        EXPECT_TRUE(level.GetOwnedObjects().empty());
        EXPECT_TRUE(level.checkpoints.empty());
        EXPECT_TRUE(level.numberedObjects.empty());
        EXPECT_TRUE(level.enemySources.empty());
        EXPECT_FALSE(level.GetSpline());
        EXPECT_FALSE(level.GetLevelScene());
        EXPECT_FALSE(level.GetCamera());
    }
}

TEST_F(LevelLoadTest, QuadTreeSwitchBuildsTheQuadTreeInsteadOfTheBranches)
{
    ASSERT_TRUE(world.Level("testtrack", FullLevel())) << world.toolOutput;
    GetGameSettings().quadTree = 2;
    ASSERT_EQ(world.Load("testtrack"), S_OK) << world.log.Text();
    EXPECT_NE(Level().GetQuadTreeRoot(), nullptr);
    EXPECT_FALSE(Level().GetBranchRoot());

    GetGameSettings().quadTree = 0;
    ASSERT_EQ(world.Load("testtrack"), S_OK) << world.log.Text();
    EXPECT_EQ(Level().GetQuadTreeRoot(), nullptr);
    EXPECT_TRUE(Level().GetBranchRoot());
}

TEST_F(LevelLoadTest, RecordModeBringsTheStoredRecordAsAGhost)
{
    ASSERT_TRUE(world.Level("level3", FullLevel())) << world.toolOutput;
    world.Scene("level3.rdf", "mesh = track.msh\n");
    world.Scene("rival_.rdf", "mesh = empty\n");
    world.data.progress[2].name = "rival"; // the record of level number 3
    ASSERT_EQ(world.Load("level3", false, true), S_OK) << world.log.Text();
    EXPECT_TRUE(Level().GetRecordGhost());
    EXPECT_TRUE(Level().GetOpponents().empty());
    ASSERT_EQ(world.Load("level3", false, false), S_OK) << world.log.Text();
    EXPECT_FALSE(Level().GetRecordGhost());
}

TEST_F(LevelLoadTest, LoadingAgainReplacesWhatTheLevelHeld)
{
    ASSERT_TRUE(world.Level("testtrack", FullLevel())) << world.toolOutput;
    ASSERT_EQ(world.Load("testtrack"), S_OK) << world.log.Text();
    const std::size_t owned = Level().GetOwnedObjects().size();
    ASSERT_EQ(Level().Load("testtrack", false, false), S_OK) << world.log.Text();
    EXPECT_EQ(Level().GetOwnedObjects().size(), owned);
    EXPECT_EQ(Level().GetOpponents().size(), 2u);
    EXPECT_EQ(Level().checkpoints.size(), 1u);
    EXPECT_EQ(Level().opponentModels.size(), 2u);
}

TEST_F(LevelLoadTest, SceneObjectsAreScaledUnlessTheyHaveABodyWhichKeepsThemOutOfTheBranches)
{
    ASSERT_TRUE(world.Mesh("block.msh", "layout plain\n"
                                        "node block\n"
                                        "  vertex -1 -1 0\n  vertex 1 -1 0\n  vertex 0 1 0\n"
                                        "  triangle 0 1 2\n"
                                        "  box 0 0 0 1 1 1\n"
                                        "end\n"))
        << world.toolOutput;
    world.Scene("block.rdf", "mesh = block.msh\n");
    world.Scene("barrel.rdf", "mesh = car.p3d\n");
    ASSERT_TRUE(world.Level("testtrack", std::string("object player 0 0 0\n"
                                                     "object block1 150 150 0 0 0 0 1 2 3 4\n"
                                                     "object barrel 120 0 0 0 0 0 1 5 5 5\n") +
                                             kSplines))
        << world.toolOutput;
    ASSERT_EQ(world.Load("testtrack"), S_OK) << world.log.Text();

    ASSERT_EQ(Level().firstObjects.size(), 2u);
    auto* block = Level().firstObjects.front().As<CPGameObject>();
    auto* barrel = Level().firstObjects.back().As<CPGameObject>();
    // The block's part box of half size 1 is scaled by 2, 3 and 4.
    EXPECT_TRUE(Near(block->GetTreeBox().minimum, Vector3{148, 147, -4}));
    EXPECT_TRUE(Near(block->GetTreeBox().maximum, Vector3{152, 153, 4}));
    // The barrel has a body in the physics world and keeps its size.
    ASSERT_NE(barrel->GetPhysicData(), nullptr);
    EXPECT_NE(barrel->GetPhysicData()->GetRigidBody(), nullptr);
    EXPECT_TRUE(Near(barrel->GetPosition(), Vector3{120, 0, 0}));

    auto* root = Level().GetBranchRoot().As<CPLevelBranch>();
    ASSERT_NE(root, nullptr);
    // The scene's road and house, and the block.
    EXPECT_EQ(root->GetObjects().size(), 3u);
}

TEST_F(LevelLoadTest, DriversAreMadeAfreshWithTheTrafficCapped)
{
    ASSERT_TRUE(world.Level("testtrack", FullLevel())) << world.toolOutput;
    const struct Case {
        std::int32_t transportCount;
        std::size_t traffic;
    } cases[] = {{0, 0}, {3, 3}, {-4, 0}, {1000000, 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.transportCount);
        world.data.transportCount = c.transportCount;
        ASSERT_EQ(world.Load("testtrack"), S_OK) << world.log.Text();
        EXPECT_EQ(Level().transportCount, c.transportCount);
        EXPECT_EQ(world.ai.GetOpponents().size(), CPAIManager::kOpponentCount);
        EXPECT_EQ(world.ai.GetTraffic().size(), c.traffic);
    }
}

TEST_F(LevelLoadTest, TerrainStandsAtTheCentreWithFourStripsOfGroundOutToTheLevelsEdge)
{
    ASSERT_TRUE(world.Mesh("land.msh", "layout plain\n"
                                       "node land\n"
                                       "  vertex -400 -300 0\n  vertex 400 -300 0\n  vertex 0 300 0\n"
                                       "  triangle 0 1 2\n"
                                       "  box 0 0 0 400 300 1\n"
                                       "end\n"))
        << world.toolOutput;
    world.Scene("land.rdf", "mesh = land.msh\n");
    ASSERT_TRUE(world.Level("testtrack", FullLevel())) << world.toolOutput;
    GetGameSettings().brightness = 0.5f;
    ASSERT_EQ(world.Load("testtrack"), S_OK) << world.log.Text();
    auto* land = Level().GetTerrain().As<CPGameObject>();
    ASSERT_NE(land, nullptr);
    EXPECT_TRUE(Near(land->GetPosition(), Vector3{0, 0, 0}));
    EXPECT_TRUE(Near(land->GetTreeBox().maximum, Vector3{400, 300, 1}));

    // North, south, east and west of the terrain, out to half the level's
    // 3000, at the ground height of -0.6.
    const CPLevel::TerrainEdge expected[] = {
        {{-1500, 300, -0.6f}, {1500, 1500, -0.6f}},
        {{-1500, -1500, -0.6f}, {1500, -300, -0.6f}},
        {{400, -300, -0.6f}, {1500, 300, -0.6f}},
        {{-1500, -300, -0.6f}, {-400, 300, -0.6f}},
    };
    ASSERT_EQ(Level().terrainEdges.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(Near(Level().terrainEdges[i].minimum, expected[i].minimum));
        EXPECT_TRUE(Near(Level().terrainEdges[i].maximum, expected[i].maximum));
    }

    // Without the terrain (brightness 0) there is no ground to continue.
    GetGameSettings().brightness = 0.0f;
    ASSERT_EQ(world.Load("testtrack"), S_OK) << world.log.Text();
    EXPECT_FALSE(Level().GetTerrain());
    EXPECT_TRUE(Level().terrainEdges.empty());
}

TEST(TerrainEdges, ATerrainWiderThanTheLevelLeavesStripsOfNoWidth)
{
    const auto edges = TerrainEdges({2000, 100, 5}, 1500, 1500);
    ASSERT_EQ(edges.size(), 4u);
    // East and west have nothing left between the terrain and the edge.
    EXPECT_FLOAT_EQ(edges[2].minimum.x, 1500.0f);
    EXPECT_FLOAT_EQ(edges[2].maximum.x, 1500.0f);
    EXPECT_FLOAT_EQ(edges[3].minimum.x, -1500.0f);
    EXPECT_FLOAT_EQ(edges[3].maximum.x, -1500.0f);
    EXPECT_FLOAT_EQ(edges[0].minimum.y, 100.0f);
}

TEST_F(LevelLoadTest, CarsFindTheLightsOfTheirModelAndEveryCarGetsItsShadow)
{
    ASSERT_TRUE(world.Mesh("lit.p3d",
                           "layout physics\n"
                           "node body\n"
                           "  vertex -1 -2 0\n  vertex 1 -2 0\n  vertex 0 2 0\n"
                           "  triangle 0 1 2\n"
                           "  body 2 4 1 100\n"
                           "  node light\n    vertex 0 0 0\n    vertex 1 0 0\n    vertex 0 1 0\n"
                           "    triangle 0 1 2\n  end\n"
                           "  node halo\n    vertex 0 0 0\n    vertex 1 0 0\n    vertex 0 1 0\n"
                           "    triangle 0 1 2\n  end\n"
                           "  node halo_blend\n    vertex 0 0 0\n    vertex 1 0 0\n    vertex 0 1 0\n"
                           "    triangle 0 1 2\n  end\n"
                           "end\n"))
        << world.toolOutput;
    ASSERT_TRUE(world.Mesh("shadow.msh", "layout plain\n"
                                         "node shadow\n"
                                         "  vertex -1 -2 0\n  vertex 1 -2 0\n  vertex 0 2 0\n"
                                         "  triangle 0 1 2\n"
                                         "  box 0 0 0 1 2 0.5\n"
                                         "end\n"))
        << world.toolOutput;
    world.Scene("shadow.rdf", "mesh = shadow.msh\n");
    world.Scene("uaz.rdf", "mesh = lit.p3d\ndescription = zil.xml\n");
    world.Scene("volswagen_toureg1_enemy.rdf", "mesh = lit.p3d\ndescription = bmw.xml\n");
    world.Scene("bmw2_enemy.rdf", "mesh = lit.p3d\ndescription = bmw.xml\n");
    ASSERT_TRUE(world.Level("testtrack", std::string("object player 0 0 0\n"
                                                     "object enemyvolswagen_toureg 30 0 0\n"
                                                     "object enemybmw 40 0 0\n") +
                                             kSplines))
        << world.toolOutput;
    world.level = std::make_unique<CPLevel>();
    MakeCurrentLevel(world.level.get());
    Level().playerModel = "uaz";
    ASSERT_EQ(Level().Load("testtrack", false, false), S_OK) << world.log.Text();

    auto names = [](const CPPlayer& car) {
        std::vector<std::string> found;
        for (const CPGameObject* light : car.lights)
            found.push_back(light->GetName());
        return found;
    };
    auto* player = dynamic_cast<CPPlayer*>(Level().GetPlayer());
    ASSERT_NE(player, nullptr);
    ASSERT_EQ(Level().GetOpponents().size(), 2u);
    auto* toureg = dynamic_cast<CPPlayer*>(Level().GetOpponents()[0]);
    auto* bmw = dynamic_cast<CPPlayer*>(Level().GetOpponents()[1]);
    EXPECT_EQ(names(*player), (std::vector<std::string>{"light"}));
    EXPECT_EQ(names(*toureg), (std::vector<std::string>{"halo", "halo_blend"}));
    // A bmw has the same parts, but its model has no lights.
    EXPECT_TRUE(bmw->lights.empty());
    // The lights are the car's own parts.
    for (CPGameObject* light : player->lights)
        EXPECT_EQ(player->FindObjectInTree(light->GetName()).Get(), light);

    for (CPPlayer* car : {player, toureg, bmw}) {
        SCOPED_TRACE(car->modelName);
        auto* shadow = car->shadow.As<CPGameObject>();
        ASSERT_NE(shadow, nullptr);
        EXPECT_EQ(shadow->GetName(), "shadow");
    }
}

TEST_F(LevelLoadTest, TheShadowSwitchHandsTheRenderersShadowObjectToTheLevel)
{
    ASSERT_TRUE(world.Level("testtrack", FullLevel())) << world.toolOutput;
    // Whatever the renderer holds as its shadow object is what the level
    // gets.
    CPGameObject held("shadow object");
    CPObjectPtr material(&held);
    world.render.SetDefaultShadowMaterial(material);
    GetGameSettings().shadow = 1;
    ASSERT_EQ(world.Load("testtrack"), S_OK) << world.log.Text();
    EXPECT_EQ(Level().shadowObject.Get(), material.Get());

    GetGameSettings().shadow = 0;
    ASSERT_EQ(world.Load("testtrack"), S_OK) << world.log.Text();
    EXPECT_FALSE(Level().shadowObject);
    world.render.SetDefaultShadowMaterial(CPObjectPtr());
    // The cars' shadows hold the object too: the level goes before it does.
    world.level.reset();
}

TEST_F(LevelLoadTest, NumberedObjectsAreFoundNearThePlayerThroughTheGrid)
{
    ASSERT_TRUE(world.Mesh("lamp.msh", "layout plain\n"
                                       "node lamp\n"
                                       "  vertex -1 -1 0\n  vertex 1 -1 0\n  vertex 0 1 0\n"
                                       "  triangle 0 1 2\n"
                                       "  box 0 0 0 1 1 1\n"
                                       "end\n"))
        << world.toolOutput;
    world.Scene("lamp.rdf", "mesh = lamp.msh\n");
    ASSERT_TRUE(world.Level("testtrack", FullLevel())) << world.toolOutput;
    ASSERT_EQ(world.Load("testtrack"), S_OK) << world.log.Text();
    ASSERT_EQ(Level().numberedObjects.size(), 1u);
    const CPObjectPtr lamp = Level().numberedObjects.front().object;
    const auto& cell = Level().queries.GetCell(Level().queries.GetCellIndex(60, 0));
    EXPECT_EQ(std::count(cell.begin(), cell.end(), lamp), 1);

    // With the player's car beside it, the nearby query finds it.
    Level().GetPlayer()->SetPosition({58, 0, 0});
    Level().GetPlayer()->UpdateBounds();
    std::vector<CPObjectPtr> near;
    Level().CollectNearObjects({60, 0, 0}, 3.0f, near);
    EXPECT_EQ(std::count(near.begin(), near.end(), lamp), 1);
}
