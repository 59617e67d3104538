#include <cmath>
#include <string>
#include <vector>

#include "RaceScriptFixture.h"
#include "Render/PerspectiveCamera.h"
#include "core/Kernel.h"
#include "physics/PhysicData.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"
#include "platform/Clock.h"
#include "platform/Math.h"
#include "core/ServiceOverride.h"

namespace {

using Commands = std::vector<std::string>;

const char* const kMission = "1.5 2 3 4 zombie,100 50 repair,100\n"
                             "0.25 -1 0 7 \"\" 0 \"\"\n"
                             "sources\n"
                             "gate 3 1 2.5 bat,100\n";

// A game object the level owns.
CPGameObject* Owned(CPLevel& level, const std::string& name, const Vector3& position = {})
{
    auto* object = new CPGameObject(name);
    object->SetPosition(position);
    level.AddOwnedObject(CPObjectPtr(object));
    return object;
}

TEST_F(RaceScriptTest, StartStopAndDeleteDriveTheCurrentLevel)
{
    data.money = 12.5f;
    Do("StartLevel()");
    EXPECT_FALSE(level->stopped);
    ASSERT_TRUE(level->tasks[0]);
    bool listed = false;
    for (const CPObjectPtr& task : kernel.GetTasks())
        listed = listed || task == level->tasks[0];
    EXPECT_TRUE(listed);
    EXPECT_EQ(Drain(menu), (Commands{"set_money(12.50)", "init_game_interface()"}));

    Do("StopLevel()");
    EXPECT_TRUE(level->stopped);
    EXPECT_FALSE(level->tasks[0]);

    level.release(); // the script deletes it
    player = nullptr;
    Do("DeleteLevel()");
    // No longer current at once; deleted with the frame's deferred deletes
    // (the stopped level's updater among them).
    EXPECT_EQ(GetCurrentLevel(), nullptr);
    EXPECT_FALSE(GetDeferredDeleteList().empty());
    DeleteQueuedObjects();
    // Without a level all three do nothing.
    Do("StartLevel(); StopLevel(); DeleteLevel()");
}

TEST_F(RaceScriptTest, LevelTimeAndTrafficTakeTheScriptsNumbers)
{
    data.levelTimeCoefficient = 1.5f;
    Do("SetLevelTime(100); SetLevelTransportCount(7.9)");
    EXPECT_FLOAT_EQ(level->race.levelFailedCountdown, 150.0f);
    EXPECT_EQ(data.transportCount, 7);
    Do("SetLevelTime('x'); SetLevelTransportCount(1e20)");
    EXPECT_FLOAT_EQ(level->race.levelFailedCountdown, 0.0f);
    EXPECT_EQ(data.transportCount, 2147483647);
    Do("w, d = GetLevelSize()");
    EXPECT_DOUBLE_EQ(GlobalNumber("w"), 3000.0);
    EXPECT_DOUBLE_EQ(GlobalNumber("d"), 3000.0);
    level.reset();
    player = nullptr;
    Do("SetLevelTime(5); w, d = GetLevelSize()");
    EXPECT_DOUBLE_EQ(GlobalNumber("w"), 0.0);
}

TEST_F(RaceScriptTest, CheckpointRecordsOfTheMissionAnswerByIndex)
{
    folder.Write("Data/Levels/mission1.txt", kMission);
    level->enemySources["gate"] = Vector3{30, 0, 0};
    Do("LoadMissionInfo('mission1.txt'); n = GetCheckPointsCount(); a, b, c, d = GetCheckPointInfo(0)");
    EXPECT_DOUBLE_EQ(GlobalNumber("n"), 2.0);
    EXPECT_DOUBLE_EQ(GlobalNumber("a"), 2.0);
    EXPECT_DOUBLE_EQ(GlobalNumber("b"), 3.0);
    EXPECT_DOUBLE_EQ(GlobalNumber("c"), 4.0);
    EXPECT_DOUBLE_EQ(GlobalNumber("d"), 1.5);
    ASSERT_EQ(data.enemySources.count("3"), 1u);
    EXPECT_FLOAT_EQ(data.enemySources["3"][0].position.x, 30.0f);

    // Past either end: zeros and a line in the log, no crash.
    for (const char* index : {"2", "-1", "1e10", "nil"}) {
        Do(std::string("a, b, c, d = GetCheckPointInfo(") + index + ")");
        const bool valid = std::string(index) == "nil"; // nil reads as 0
        EXPECT_DOUBLE_EQ(GlobalNumber("d"), valid ? 1.5 : 0.0) << index;
    }
    EXPECT_TRUE(log.Contains("GetCheckPointInfo: the mission has no checkpoint 2"));
}

TEST_F(RaceScriptTest, ShowCheckPointShowsTheCurrentGateAndAimsThePointerAtIt)
{
    CPGameObject* gates[] = {Owned(*level, "gate0"), Owned(*level, "gate1")};
    for (CPGameObject* gate : gates) {
        gate->SetVisible(false);
        level->checkpoints.push_back(CPLevel::Checkpoint{CPObjectPtr(gate), 20.0f});
    }
    CPGameObject* arrow = Owned(*level, "arrow");
    CPGameObject* halo = Owned(*level, "halo");
    arrow->SetVisible(false);
    halo->SetVisible(false);
    level->checkpointPointer.SetParts(CPObjectPtr(arrow), CPObjectPtr(halo));

    level->race.currentCheckpoint = 1;
    Do("ShowCheckPoint()");
    EXPECT_EQ(level->shownCheckpoint.Get(), gates[1]);
    EXPECT_TRUE(gates[1]->IsVisible());
    EXPECT_FALSE(gates[0]->IsVisible());
    EXPECT_EQ(Drain(mainScript), Commands{"say_show()"});
    EXPECT_EQ(level->checkpointPointer.GetTarget().Get(), gates[1]);
    EXPECT_EQ(level->checkpointPointer.GetCurrentPart(), arrow);
    EXPECT_TRUE(arrow->IsVisible());
    EXPECT_TRUE(halo->IsVisible());
    EXPECT_EQ(level->race.currentCheckpoint, 1u); // the race moves it, not this

    level->race.currentCheckpoint = 2;
    Do("ShowCheckPoint()");
    EXPECT_FALSE(level->shownCheckpoint);
    EXPECT_FALSE(level->checkpointPointer.GetTarget());
    EXPECT_EQ(level->checkpointPointer.GetCurrentPart(), nullptr);
    EXPECT_FALSE(halo->IsVisible());
    EXPECT_TRUE(arrow->IsVisible());
    EXPECT_TRUE(Drain(mainScript).empty());
}

TEST_F(RaceScriptTest, EnemySourcesCountBetweenTwentyFiveAndFortyUnitsWithTheirFlag)
{
    player->SetPosition({100, 100, 0});
    auto source = [](float dx, std::uint8_t flag, const std::string& kind) {
        CPSourceInfo info;
        info.position = Vector3{100 + dx, 100, 0};
        info.flag = flag;
        info.enemies = {{kind, 0, 100}};
        return info;
    };
    data.enemySources["3"] = {source(25, 1, "near"), source(40, 1, "far"), source(30, 0, "ghoul"),
                              source(-35, 1, "bat")};
    data.enemySources["4"] = {source(25, 0, "near")};
    CPCheckpointInfo first;
    first.enemies = {{"zombie", 0, 100}};
    CPCheckpointInfo empty;
    data.checkpoints = {first, empty};

    struct Case {
        const char* call;
        const char* kind;
        bool fromSource;
        float x;
    };
    const Case cases[] = {
        {"GetEnemyType(3, true)", "bat", true, 65.0f},      {"GetEnemyType(3, false)", "ghoul", true, 130.0f},
        {"GetEnemyType(4, false)", "", false, 100.0f}, // a source at 25 is too near; checkpoint 4 is none
        {"GetEnemyType(1, true)", "zombie", false, 100.0f}, {"GetEnemyType(2, true)", "", false, 100.0f},
        {"GetEnemyType(nil, nil)", "", false, 100.0f},      {"GetEnemyType('3', 1)", "bat", true, 65.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        Do(std::string("kind, source, x, y = ") + c.call);
        EXPECT_EQ(GlobalString("kind"), c.kind);
        EXPECT_EQ(GlobalBool("source"), c.fromSource);
        EXPECT_DOUBLE_EQ(GlobalNumber("x"), c.x);
        EXPECT_DOUBLE_EQ(GlobalNumber("y"), 100.0);
    }
    const struct {
        const char* call;
        bool near;
    } nearCases[] = {{"IsEnemySourceNear(true, '3')", true},
                     {"IsEnemySourceNear(false, 3)", true},
                     {"IsEnemySourceNear(false, '4')", false},
                     {"IsEnemySourceNear(true, 'none')", false},
                     {"IsEnemySourceNear()", false}};
    for (const auto& c : nearCases) {
        Do(std::string("near = ") + c.call);
        EXPECT_EQ(GlobalBool("near"), c.near) << c.call;
    }
}

TEST_F(RaceScriptTest, SetBonusLaunchesTheDrawnBonusWithinTheChance)
{
    Kind("repair");
    CPCheckpointInfo record;
    record.bonusChance = 50;
    record.bonuses = {{"repair", 0, 100}};
    data.checkpoints = {record};

    // Always within a chance of 99 or more.
    data.bonusCoefficient = 2.0f;
    Do("SetBonus(10, 20, 0)");
    ASSERT_EQ(ActiveKinds(), std::vector<std::string>{"repair"});
    const CPShot* bonus = shots.GetActiveShots()[0];
    EXPECT_FLOAT_EQ(bonus->GetStartPosition().x, 10.0f);
    EXPECT_FLOAT_EQ(bonus->GetStartPosition().y, 20.0f);
    EXPECT_FLOAT_EQ(bonus->GetStartPosition().z, 0.0f);

    // A chance of 0 passes only a draw of 0: find a clock time whose first
    // draw is not 0, the generator being seeded with the clock.
    std::uint32_t now = 1;
    for (;; ++now) {
        platform::SeedRand(now);
        if (platform::Rand() % 100 != 0)
            break;
    }
    ServiceOverride<platform::GetClockSource, platform::SetClockSource> installedClockSource(
        [now] { return now; });
    data.bonusCoefficient = 0.0f;
    Do("SetBonus(10, 20, 0)");
    EXPECT_EQ(shots.GetActiveCount(), 1u);

    // Records that do not exist launch nothing.
    data.bonusCoefficient = 2.0f;
    Do("SetBonus(1, 2, 1); SetBonus(1, 2, -1); SetBonus()");
    EXPECT_EQ(shots.GetActiveCount(), 2u); // SetBonus() reads record 0
    EXPECT_TRUE(log.Contains("SetBonus: the mission has no checkpoint 1"));
}

TEST_F(RaceScriptTest, TheBonusListKeepsObjectsWithTheirNumbersInOrder)
{
    CPGameObject* a = Owned(*level, "a");
    CPGameObject* b = Owned(*level, "b");
    CPGameObject* c = Owned(*level, "c");
    SetGlobal("a", a);
    SetGlobal("b", b);
    SetGlobal("c", c);
    data.clearedWord1 = 0;

    Do("list = GetBonusList(); empty = #list");
    EXPECT_DOUBLE_EQ(GlobalNumber("empty"), 0.0);
    Do("AddBonus(a, 5); AddBonus(b, 7.9); AddBonus(nil, 1); AddBonus(c); n = GetBonusesCount()");
    EXPECT_DOUBLE_EQ(GlobalNumber("n"), 3.0);
    EXPECT_EQ(data.clearedWord1, 3u);
    // Called with arguments by mistake, the list still comes back whole.
    Do("list = GetBonusList(1, 2, 3)");
    Do("assert(#list == 3 and list[1][1] == a and list[1][2] == 5 and list[2][1] == b and list[2][2] == 7 "
       "and "
       "list[3][1] == c and list[3][2] == 0)");

    Do("EraseBonus(c); EraseBonus(c); EraseBonus(nil); n = GetBonusesCount()");
    EXPECT_DOUBLE_EQ(GlobalNumber("n"), 2.0);
    EXPECT_EQ(data.clearedWord1, 2u);
    Do("list = GetBonusList(); assert(list[1][1] == a and list[2][1] == b)");

    Do("ClearBonuses(); n = GetBonusesCount()");
    EXPECT_DOUBLE_EQ(GlobalNumber("n"), 0.0);
    EXPECT_EQ(data.clearedWord1, 2u); // the counter keeps its value
}

TEST_F(RaceScriptTest, GetPositionForEnemyPlacesAtTheBorderPointOrAroundTheCar)
{
    // A border point is taken as it is, moved by 2, if inside the level
    // less its margin of 20.
    Do("ok, x, y = GetPositionForEnemy('zombie', 5, 'border', 100, 200)");
    EXPECT_TRUE(GlobalBool("ok"));
    EXPECT_DOUBLE_EQ(GlobalNumber("x"), 102.0);
    EXPECT_DOUBLE_EQ(GlobalNumber("y"), 202.0);
    Do("ok, x, y = GetPositionForEnemy('zombie', 5, 0, 1479, 0)");
    EXPECT_FALSE(GlobalBool("ok"));
    EXPECT_DOUBLE_EQ(GlobalNumber("x"), 1481.0);

    // Around a standing car: on the edge of the square of the spread.
    player->SetPosition({40, -30, 0});
    for (int i = 0; i < 20; ++i) {
        Do("ok, x, y = GetPositionForEnemy('zombie', 10)");
        EXPECT_TRUE(GlobalBool("ok"));
        const double dx = GlobalNumber("x") - 40.0, dy = GlobalNumber("y") + 30.0;
        EXPECT_TRUE(std::fabs(dx) <= 5.0 && std::fabs(dy) <= 5.0);
        EXPECT_TRUE(std::fabs(dx) == 5.0 || std::fabs(dy) == 5.0) << dx << " " << dy;
    }
    // Around a moving car: mostly half the spread along its axis.
    level->view.followedCarSpeed = 5.0f;
    int alongAxis = 0;
    for (int i = 0; i < 40; ++i) {
        Do("ok, x, y = GetPositionForEnemy('zombie', 16)");
        const double dx = GlobalNumber("x") - 40.0, dy = GlobalNumber("y") + 30.0;
        if (std::fabs(std::hypot(dx, dy) - 8.0) < 1e-4 && dy < 0.0)
            ++alongAxis;
        else
            EXPECT_TRUE(std::fabs(dx) == 8.0 || std::fabs(dy) == 8.0) << dx << " " << dy;
    }
    EXPECT_GT(alongAxis, 20);

    // Nonsense spreads stay finite; without a level nothing is placed.
    Do("ok, x, y = GetPositionForEnemy('z', 0/0); ok2, x2 = GetPositionForEnemy('z', 1e30)");
    EXPECT_DOUBLE_EQ(GlobalNumber("x"), 40.0);
    level.reset();
    player = nullptr;
    Do("ok, x, y = GetPositionForEnemy('zombie', 10, 'b', 1, 2)");
    EXPECT_FALSE(GlobalBool("ok"));
    EXPECT_DOUBLE_EQ(GlobalNumber("x"), 0.0);
}

TEST_F(RaceScriptTest, GetAIPositionsPutsTheOpponentsOnTheRadar)
{
    AddOpponent("uaz", CPPlayer::kLightSide, {});
    AddOpponent("bmw", 0, {}); // its side comes from its model
    data.opponentPositions["0"] = Vector2{10, 0};
    data.opponentPositions["1"] = Vector2{0, 1000};

    // The camera looks along -y: the radar turns by half a turn.
    camera->yaw = -1.5707964f;
    Do("n, t = GetAIPositions()");
    EXPECT_DOUBLE_EQ(GlobalNumber("n"), 6.0);
    const double scale = 500.0 / 3000.0;
    Do("x1, y1, same1, x2, y2, same2 = t[1], t[2], t[3], t[4], t[5], t[6]");
    EXPECT_NEAR(GlobalNumber("x1"), 640 - 109 - 10 * scale, 1e-3);
    EXPECT_NEAR(GlobalNumber("y1"), 100.0, 1e-3);
    EXPECT_TRUE(GlobalBool("same1"));
    EXPECT_NEAR(GlobalNumber("x2"), 640 + 50, 1e-3); // below the radar
    EXPECT_NEAR(GlobalNumber("y2"), 100 + 1000 * scale, 1e-3);
    EXPECT_FALSE(GlobalBool("same2"));

    // A quarter turn less, on a wider screen.
    camera->yaw = 0.0f;
    GetGameSettings().screenWidth = 800;
    Do("n, t = GetAIPositions(); x1, y1 = t[1], t[2]");
    EXPECT_NEAR(GlobalNumber("x1"), 800 - 109, 1e-3);
    EXPECT_NEAR(GlobalNumber("y1"), 100 - 10 * scale, 1e-3);

    level.reset();
    player = nullptr;
    Do("count = select('#', GetAIPositions())");
    EXPECT_DOUBLE_EQ(GlobalNumber("count"), 0.0);
}

TEST_F(RaceScriptTest, PlayerPositionIsZeroWithoutALevel)
{
    player->SetPosition({1, 2, 3});
    Do("x, y, z = GetPlayerPosition()");
    EXPECT_DOUBLE_EQ(GlobalNumber("z"), 3.0);
    level.reset();
    player = nullptr;
    Do("x, y, z = GetPlayerPosition(); AddEnemy('zombie', 1, 2); AddEnemy()");
    EXPECT_DOUBLE_EQ(GlobalNumber("x"), 0.0);
    EXPECT_DOUBLE_EQ(GlobalNumber("z"), 0.0);
}

TEST_F(RaceScriptTest, ObjectsAreFoundShownPushedAndSeen)
{
    CPGameObject* root = Owned(*level, "root");
    auto* wheel = new CPGameObject("wheel");
    root->AddChild(CPObjectPtr(wheel));
    SetGlobal("root", root);
    SetGlobal("wheel", wheel);

    Do("found = FindObject(root, 'wheel'); missing = FindObject(root, 'door'); none = FindObject(nil, "
       "'wheel')");
    EXPECT_EQ(GlobalPointer("found"), wheel);
    EXPECT_EQ(GlobalPointer("missing"), nullptr);
    EXPECT_EQ(GlobalPointer("none"), nullptr);
    EXPECT_EQ(Error("FindObject(root)"),
              "test:1: bad argument #2 to 'FindObject' (string expected, got no value)");

    Do("SetObjectVisible(wheel, false)");
    EXPECT_FALSE(wheel->IsVisible());
    Do("SetObjectVisible(wheel, 0); SetObjectVisible(nil, false)");
    EXPECT_TRUE(wheel->IsVisible());

    // A push goes to the rigid body through the object's position.
    CPPhysicsWorld world;
    ASSERT_TRUE(world.Init());
    auto* physics = new CPPhysicData(root);
    physics->SetBox(1.0f, 1.0f, 1.0f, 4.0f);
    root->SetPhysicData(CPObjectPtr(physics));
    ASSERT_TRUE(world.AddLevelObject(CPObjectPtr(root), 1, 1));
    PhRigidBody* body = physics->GetRigidBody();
    ASSERT_NE(body, nullptr);
    const Vector4 before = body->GetVelocity();
    Do("rigid = IsRigid(root); plain = IsRigid(wheel); Jump(root, 0, 0, 8); Jump(wheel, 1, 1, 1); Jump(root, "
       "0/0)");
    EXPECT_TRUE(GlobalBool("rigid"));
    EXPECT_FALSE(GlobalBool("plain"));
    const Vector4 after = body->GetVelocity();
    EXPECT_GT(after.z, before.z);
    EXPECT_FLOAT_EQ(after.x, before.x);
    EXPECT_TRUE(std::isfinite(after.z));
    root->SetPhysicData(CPObjectPtr());

    // Seen when the main camera's view holds its box.
    CPPerspectiveCamera* view = camera->GetMainCamera();
    ASSERT_NE(view, nullptr);
    view->Eye() = {0, 0, 0};
    view->Target() = {0, 10, 0};
    view->Up() = {0, 0, 1};
    view->FieldOfView() = 1.0f;
    view->NearPlane() = 1.0f;
    view->FarPlane() = 200.0f;
    view->SetViewChanged();
    view->SetProjectionChanged();
    view->Update();
    CPGameObject* ahead = Owned(*level, "ahead");
    CPGameObject* behind = Owned(*level, "behind");
    for (auto [object, y] : {std::pair{ahead, 50.0f}, std::pair{behind, -50.0f}}) {
        object->SetBoundingBox(CPBoundingBox({0, 0, 0}, {1, 1, 1}));
        object->SetPosition({0, y, 0});
        object->UpdateBounds();
    }
    SetGlobal("ahead", ahead);
    SetGlobal("behind", behind);
    Do("a = CheckVisible(ahead); b = CheckVisible(behind); c = CheckVisible(nil)");
    EXPECT_TRUE(GlobalBool("a"));
    EXPECT_FALSE(GlobalBool("b"));
    EXPECT_FALSE(GlobalBool("c"));
}

} // namespace

namespace {

TEST_F(RaceScriptTest, InitLevelReplacesTheCurrentLevelWithANewOneItLoads)
{
    level.release(); // InitLevel deletes it
    player = nullptr;
    camera = nullptr;
    Do("InitLevel('nowhere', true)");
    EXPECT_TRUE(log.Contains("InitLevel: the level still current is deleted before \"nowhere\" loads"));
    EXPECT_TRUE(log.Contains("nowhere")) << log.Text();
    level.reset(GetCurrentLevel());
    ASSERT_TRUE(level);
    EXPECT_FALSE(level->recordMode);

    // Nonsense names and flags load nothing and keep the game going.
    for (const char* args : {"", "nil, nil, nil", "{}, 1, 2", "5, 'x', true"}) {
        level.release();
        Do(std::string("InitLevel(") + args + ")");
        level.reset(GetCurrentLevel());
        ASSERT_TRUE(level) << args;
    }
}

} // namespace
