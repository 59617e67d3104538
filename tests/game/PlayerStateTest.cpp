#include <algorithm>
#include <cmath>

#include "CarStateTestWorld.h"
#include "Sound/NSound.h"

namespace {

class CarStateTest : public CarRaceTest {
  protected:
    // The engine heats and cools at the given rates per second.
    void Engine(float heat, float cool)
    {
        m_player->state.engineParameters.values[3] = heat;
        m_player->state.engineParameters.values[4] = cool;
    }
};

TEST_F(CarStateTest, TheDriversInputsReachTheCarEveryFrame)
{
    m_player->SetControls(0.5f, -0.3f);
    EXPECT_FLOAT_EQ(Car().GetThrottleForce(), 0.0f);
    Frame(0.02f);
    EXPECT_FLOAT_EQ(Car().GetThrottleForce(), 0.5f * Car().GetAccelFront());
    EXPECT_FLOAT_EQ(Car().GetSteering(), -0.3f);
    // While halted the car gets no drive, but keeps steering.
    m_player->Halt();
    m_player->SetControls(1.0f, 0.4f);
    Frame(0.02f);
    EXPECT_FLOAT_EQ(Car().GetThrottleForce(), 0.0f);
    EXPECT_FLOAT_EQ(Car().GetSteering(), 0.4f);
}

TEST_F(CarStateTest, EngineTemperatureRisesWithTheThrottleAndTellsTheMenuOnceEachWay)
{
    Engine(0.5f, 0.25f);
    const struct {
        float start;
        float throttle;
        float dt;
        float end;
        const char* told;
    } cases[] = {
        {0.79f, 1.0f, 0.04f, 0.81f, "engine_temp(1)"},
        {0.81f, 1.0f, 0.04f, 0.83f, nullptr},
        {0.9f, 1.0f, 1.0f, 1.0f, nullptr}, // stops at 1
        {0.81f, 0.0f, 0.08f, 0.79f, "engine_temp(0)"},
        {0.79f, 0.0f, 0.04f, 0.78f, nullptr},
        {0.1f, 0.0f, 1.0f, 0.0f, nullptr}, // stops at 0
        {0.8f, 1.0f, 0.0f, 0.8f, nullptr},
        {0.8f, 0.0f, 0.04f, 0.79f,
         "engine_temp(0)"},                          // from exactly hot           // already hot: nothing new
        {0.6f, -1.0f, 0.4f, 0.8f, "engine_temp(1)"}, // reversing heats too
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.start) + " throttle " + std::to_string(c.throttle));
        m_player->state.engineTemperature = c.start;
        m_player->SetControls(c.throttle, 0.0f);
        Frame(c.dt);
        EXPECT_NEAR(m_player->state.engineTemperature, c.end, 1e-5f);
        const std::vector<std::string> told = Commands(m_gameMenu);
        if (c.told)
            EXPECT_EQ(told, std::vector<std::string>{c.told});
        else
            EXPECT_TRUE(told.empty());
    }
}

TEST_F(CarStateTest, TheEngineRatesComeFromTheCommittedEngine)
{
    CPEngineInfo engine;
    engine.values[3] = 0.2f;
    engine.values[4] = 0.1f;
    m_gameData.engines.Add("engine2", engine);
    m_gameData.committedCarSettings.engine = "engine2";
    m_player->CreateCar(false);
    EXPECT_FLOAT_EQ(m_player->state.engineParameters.values[3], 0.2f);
    m_player->SetControls(1.0f, 0.0f);
    Frame(2.0f);
    EXPECT_NEAR(m_player->state.engineTemperature, 0.4f, 1e-6f);

    // An engine the shop does not sell leaves the engine cold.
    m_gameData.committedCarSettings.engine = "none";
    m_player->CreateCar(false);
    EXPECT_FLOAT_EQ(m_player->state.engineParameters.values[3], 0.0f);
}

TEST_F(CarStateTest, AFastPickUpReleasesTheCarTwoSecondsLater)
{
    m_player->SetControls(1.0f, 0.0f);
    AddBonus("b", "glow3", {0, 0, 0});
    Frame(0.25f);
    ASSERT_TRUE(m_player->IsHalted());
    // The scripts keep the throttle down; the car gets none from the next
    // frame on.
    m_player->SetControls(1.0f, 0.0f);
    Frame(0.25f);
    EXPECT_FLOAT_EQ(Car().GetThrottleForce(), 0.0f);
    // The bonus frame counted 0.25 already: 2.25 + 0.25 * 7 = 4.0 is not
    // past the stun time.
    for (int i = 0; i < 6; ++i)
        Frame(0.25f);
    EXPECT_TRUE(m_player->IsHalted());
    Frame(0.25f);
    EXPECT_FALSE(m_player->IsHalted());
    EXPECT_FALSE(m_player->IsReleasePending());
    EXPECT_FLOAT_EQ(m_player->GetReleaseTimer(), 0.0f);
    m_player->SetControls(1.0f, 0.0f);
    Frame(0.25f);
    EXPECT_GT(Car().GetThrottleForce(), 0.0f);
}

TEST_F(CarStateTest, TheHumanPlayersWreckSaysGameOverOnceAndDefeatThreeSecondsLater)
{
    MakeLevelPlayer();
    m_player->damage = 100.0f; // not locked: the wreck itself waits
    Frame(0.5f);
    EXPECT_EQ(Commands(m_interface),
              (std::vector<std::string>{"show_message(proigrish!)", "update_arrows(0)"}));
    EXPECT_EQ(Commands(m_jeep), std::vector<std::string>{"game_over()"});
    EXPECT_FALSE(m_player->wrecked);
    for (int i = 0; i < 4; ++i)
        Frame(0.5f);
    EXPECT_TRUE(Commands(m_main).empty()); // 2.5 s
    Frame(0.5f);
    EXPECT_EQ(Commands(m_main), std::vector<std::string>{"defeat()"});
    for (int i = 0; i < 50; ++i)
        Frame(0.5f);
    EXPECT_TRUE(Commands(m_main).empty());
    EXPECT_TRUE(Commands(m_jeep).empty());
    EXPECT_TRUE(m_player->state.gameOverSent);
}

TEST_F(CarStateTest, ADefeatTimerJumpingPastTwentySecondsNeverSaysDefeat)
{
    MakeLevelPlayer();
    m_player->damage = 120.0f;
    Frame(2.0f);
    Frame(18.5f);
    EXPECT_TRUE(Commands(m_main).empty());
}

TEST_F(CarStateTest, ALockedWreckSmokesEveryHalfSecondAndDoesNothingElse)
{
    Engine(1.0f, 1.0f);
    m_player->SetControls(1.0f, 0.0f);
    m_player->SetLocked(true);
    m_player->damage = 100.0f;
    AddBonus("bonus_remont", "", {0, 0, 0});
    m_player->SetVisible(false);
    Frame(0.25f);
    EXPECT_TRUE(m_player->wrecked);
    EXPECT_TRUE(Car().IsHandBrake());
    EXPECT_TRUE(m_player->IsVisible());
    EXPECT_FALSE(Flare("lflarerear").IsVisible());
    EXPECT_FALSE(Flare("rflarerear").IsVisible());
    for (int i = 0; i < 3; ++i)
        Frame(0.25f);
    // 1 s: two puffs, each rising with up to 1.7 sideways and 3 to 3.4 up.
    const auto& smoke = effects["smoke3car"]->spawns;
    ASSERT_EQ(smoke.size(), 2u);
    EXPECT_GE(smoke[0].velocity.z, 3.0f);
    EXPECT_LE(smoke[0].velocity.z, 3.4f);
    EXPECT_LE(smoke[0].velocity.x, 1.7f);
    EXPECT_FLOAT_EQ(smoke[0].word1, 1000.0f);
    EXPECT_FLOAT_EQ(smoke[0].word3, 2.5f);
    EXPECT_EQ(smoke[0].flag1, 1);
    // No temperature, no bonus, no release.
    EXPECT_FLOAT_EQ(m_player->state.engineTemperature, 0.0f);
    EXPECT_EQ(m_gameData.bonuses.size(), 1u);
    EXPECT_FLOAT_EQ(m_player->damage, 100.0f);

    // A car that counts for both sides burns without smoke.
    m_player->side = CPPlayer::kBothSides;
    Frame(1.0f);
    EXPECT_EQ(smoke.size(), 2u);
}

TEST_F(CarStateTest, ADriftLongerThanHalfASecondScoresItsTenths)
{
    MakeLevelPlayer();
    m_gameData.texts["drift_time"] = "Drift";
    const struct {
        float length;
        const char* score;
    } cases[] = {{0.5f, nullptr},
                 {1.27f, "bonus_points2(time|Drift|1.200000)"},
                 {3.0f, "bonus_points2(time|Drift|3.000000)"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        // Sliding with the wheel turned: the hand brake, then a car step.
        m_player->SetControls(0.0f, 0.3f);
        Frame(0.0f);
        Car().SetBrake(true);
        Step(Car(), 0.01f);
        Commands(m_interface);
        Frame(c.length);
        EXPECT_FLOAT_EQ(m_player->state.driftTime, c.length);
        // Straight wheels end the drift on the next frame.
        m_player->SetControls(0.0f, 0.0f);
        Frame(0.0f);
        Frame(0.0f);
        EXPECT_FLOAT_EQ(m_player->state.driftTime, 0.0f);
        std::vector<std::string> told = Commands(m_interface);
        told.erase(std::remove(told.begin(), told.end(), "update_arrows(0)"), told.end());
        if (c.score)
            EXPECT_EQ(told, std::vector<std::string>{c.score});
        else
            EXPECT_TRUE(told.empty());
        Car().SetBrake(false);
    }
}

TEST_F(CarStateTest, GloomHidesCarsFromAPlayerOutsideItAndEndsAfterFifteenSeconds)
{
    // The human player's car is the level's; this opponent is another.
    auto* human = new CPPlayer();
    human->humanPlayer = true;
    human->side = CPPlayer::kOwnCar | CPPlayer::kLightSide;
    level->SetPlayer(CPObjectPtr(human));
    m_player->side = CPPlayer::kDarkSide;
    m_player->bonuses.inGloom = true;

    Frame(1.0f);
    EXPECT_FALSE(m_player->IsVisible());
    EXPECT_TRUE(effects["iskra3blue"]->spawns.empty());

    human->bonuses.inGloom = true;
    Frame(1.0f);
    EXPECT_TRUE(m_player->IsVisible());
    // 60 / (25 / 25) sparks, about the car.
    const auto& sparks = effects["iskra3blue"]->spawns;
    ASSERT_EQ(sparks.size(), 60u);
    for (const auto& spark : sparks) {
        EXPECT_LE(std::fabs(spark.position.x), 1.0f + 1e-4f);
        EXPECT_LE(std::fabs(spark.position.y), 2.0f + 1e-4f);
        EXPECT_GE(spark.word1, 0.1f);
        EXPECT_LE(spark.word1, 0.6f);
    }
    GetGameSettings().physicsValue = 0;
    Frame(1.0f);
    EXPECT_EQ(sparks.size(), 60u);
    GetGameSettings().physicsValue = 25;

    human->bonuses.inGloom = false;
    for (int i = 0; i < 11; ++i)
        Frame(1.0f);
    EXPECT_TRUE(m_player->bonuses.inGloom); // 14 s
    EXPECT_FALSE(m_player->IsVisible());
    Frame(1.0f);
    EXPECT_FALSE(m_player->bonuses.inGloom);
    EXPECT_TRUE(m_player->IsVisible());
    EXPECT_FALSE(human->bonuses.inGloom);
}

TEST_F(CarStateTest, TheDamageBonusEndsAfterFifteenSecondsAndReleasesTheTraffic)
{
    MakeLevelPlayer();
    AddBonus("b", "portal_a", {0, 0, 0});
    Frame(0.0f);
    ASSERT_TRUE(m_player->bonuses.damageBonus);
    ASSERT_TRUE(m_render.IsTintOn());
    Frame(14.5f);
    EXPECT_TRUE(m_player->bonuses.damageBonus);
    EXPECT_TRUE(m_player->IsVisible()); // the player in the gloom sees itself
    Frame(0.5f);
    EXPECT_FALSE(m_player->bonuses.damageBonus);
    EXPECT_FALSE(m_player->bonuses.inGloom);
    EXPECT_FALSE(m_render.IsTintOn());
    EXPECT_FLOAT_EQ(m_render.GetTintStrength(), 0.0f);
    EXPECT_EQ(m_render.GetTintAlpha(), 255);
    EXPECT_EQ(TrafficReleases(), 1);
}

TEST_F(CarStateTest, TheSlowEffectEndsAfterFourSecondsOrBelowSpeedTen)
{
    const struct {
        float speed;
        int framesSlowed; // of 0.5 s each
    } cases[] = {{20.0f, 7}, {9.0f, 0}, {0.0f, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.speed);
        SetVelocity({0.0f, -c.speed, 0.0f});
        Step(Car(), 0.01f);
        Flare("lflarerear").SetVisible(false);
        AddBonus("b", "glow2", {0, 0, 0});
        Frame(0.5f); // taken at the end of this frame
        ASSERT_TRUE(m_player->bonuses.slowed);
        int frames = 0;
        while (m_player->bonuses.slowed && frames < 20) {
            Frame(0.5f);
            EXPECT_TRUE(Car().IsHandBrake() || !m_player->bonuses.slowed);
            ++frames;
        }
        // The frame that ends it counts: 4.0 s is reached on the eighth.
        EXPECT_EQ(frames, c.framesSlowed + 1);
        EXPECT_FALSE(Car().IsHandBrake());
        Flare("lflarerear").SetVisible(true);
    }
}

TEST_F(CarStateTest, TheSlamSoundsOnlyAfterAContactAtMostTwiceASecond)
{
    MakeLevelPlayer();
    CNSound* slam = m_sounds->GetSound("slam").As<CNSound>();
    ASSERT_NE(slam, nullptr);
    Frame(1.0f);
    EXPECT_FALSE(slam->IsPlaying());

    m_player->SetCollisionHit(1);
    EXPECT_TRUE(m_player->contact);
    Frame(0.1f);
    EXPECT_TRUE(slam->IsPlaying());
    EXPECT_FALSE(m_player->contact);
    slam->StopPlaying();

    m_player->SetCollisionHit(1);
    Frame(0.25f);
    EXPECT_FALSE(slam->IsPlaying()); // 0.25 s after the last
    m_player->SetCollisionHit(1);
    Frame(0.3f);
    EXPECT_TRUE(slam->IsPlaying());
}

TEST_F(CarStateTest, PushAndRespawnCooldownsRunDown)
{
    m_player->pushCooldown = 0.3f;
    m_player->respawnCooldown = 0.1f;
    Frame(0.25f);
    EXPECT_NEAR(m_player->pushCooldown, 0.05f, 1e-6f);
    EXPECT_NEAR(m_player->respawnCooldown, -0.15f, 1e-6f);
    Frame(0.25f);
    EXPECT_NEAR(m_player->pushCooldown, -0.2f, 1e-6f);
    EXPECT_NEAR(m_player->respawnCooldown, -0.15f, 1e-6f);
}

} // namespace

namespace {

TEST_F(CarStateTest, TheBendArrowPointsWhereThePathTurnsFourLinesAhead)
{
    MakeLevelPlayer();
    // 100 along +x, then 100 along +y: lines 0-7 run along x (driven
    // towards -x), line 8 turns the corner, lines 9-16 run along y (driven
    // towards -y).
    CPSpline& path = LoadPath({{0, 0, 0}, {100, 0, 0}, {100, 100, 0}});
    ASSERT_EQ(path.GetRingSize(), 17u);
    // The level's heading is the angle of the line the search found.
    const struct {
        int line;
        bool reversed;
        int arrow;
    } cases[] = {
        {13, false, 0},                // four lines ahead is still straight
        {12, false, -1},               // the corner ahead, turning from -y to -x
        {6, false, 0},   {3, true, 0}, // driven the other way: ahead lies along next
        {4, true, 1},                  // the corner ahead, turning from +x to +y
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        CPLine* line = path.GetLines()[c.line].get();
        float half = 1.0f;
        level->race.heading = path.FindClosestSegment(line->centre, half, 0, line, -1);
        ASSERT_EQ(path.GetCurrentLine(), path.GetLines()[c.line].get());
        level->race.reversed = c.reversed;
        Commands(m_interface);
        Frame(0.1f);
        EXPECT_EQ(m_player->state.arrowDirection, c.arrow);
        EXPECT_EQ(Commands(m_interface),
                  std::vector<std::string>{"update_arrows(" + std::to_string(c.arrow) + ")"});
    }
}

} // namespace

namespace {

TEST_F(CarStateTest, TheHumanPlayersCarSparksInTheGloomOnlyInTheFirstCameraPreset)
{
    MakeLevelPlayer();
    m_player->bonuses.inGloom = true;
    const auto& sparks = effects["iskra3blue"]->spawns;
    level->view.cameraPreset = 1;
    Frame(0.1f);
    EXPECT_TRUE(sparks.empty());
    EXPECT_TRUE(m_player->IsVisible());
    level->view.cameraPreset = 0;
    Frame(0.1f);
    EXPECT_EQ(sparks.size(), 60u);
    // A lower spark quality gives fewer: 60 / (25 / 10).
    GetGameSettings().physicsValue = 10;
    Frame(0.1f);
    EXPECT_EQ(sparks.size(), 84u);
    GetGameSettings().physicsValue = 25;
}

} // namespace
