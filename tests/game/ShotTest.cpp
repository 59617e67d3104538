#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include <optional>
#include "CombatTestWorld.h"
#include "Render/RenderObject.h"
#include "Sound/NSound.h"
#include "Sound/SoundManager.h"
#include "game/EffectShot.h"
#include "game/LightningShot.h"
#include "game/ProjectileShot.h"
#include "platform/Clock.h"
#include "platform/Math.h"
#include "platform/SoundDevice.h"
#include "support/MathExpect.h"
#include "support/WaveFiles.h"
#include "platform/HeadlessSoundDevice.h"
#include "core/ServiceOverride.h"

namespace {

// A bullet of speed 100 and range 50 that sparks where it hits and deals
// 7 of its own when launched without a value; frames of 0.1 s move it 10.
class ShotFlightTest : public CombatTest {
  protected:
    void SetUp() override
    {
        CombatTest::SetUp();
        ASSERT_TRUE(
            shots.CreateKind("bullet", "projectile", {"none", "100", "50", "spark", "0", "7", "none"}));
        StayingKind("spark");
        crate = Cube("crate", {20.0f, 0.0f, 0.0f});
        crate->SetEnemy(&crateDamage);
        index->hitObject = crate;
    }
    void TearDown() override
    {
        crate->SetEnemy(nullptr);
        CombatTest::TearDown();
    }

    CPGameObject* crate = nullptr;
    DamageRecorder crateDamage;
};

} // namespace

TEST_F(ShotFlightTest, BulletHitsTheBoxDamagesItSparksAndGoesBackToItsPool)
{
    const struct {
        float value;
        float damage;
    } cases[] = {{12.0f, 12.0f}, {-1.0f, 7.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        crateDamage.hits.clear();
        shots.ClearActive();
        shots.Launch("bullet", {0.0f, 0.0f, 0.0f}, {2.0f, 0.0f, 0.0f}, c.value, CPObjectPtr());
        ASSERT_EQ(ActiveKinds(), std::vector<std::string>{"bullet"});
        const auto* bullet = dynamic_cast<const CPProjectileShot*>(shots.GetActiveShots()[0]);
        ASSERT_NE(bullet, nullptr);

        shots.Update(); // 0 -> 10, clear of the crate's face at x = 19
        EXPECT_TRUE(Near(bullet->GetHead(), {10.0f, 0.0f, 0.0f}));
        EXPECT_TRUE(crateDamage.hits.empty());

        shots.Update(); // 10 -> 20 meets the face
        ASSERT_EQ(crateDamage.hits.size(), 1u);
        EXPECT_FLOAT_EQ(crateDamage.hits[0].damage, c.damage);
        EXPECT_TRUE(Near(crateDamage.hits[0].position, {19.0f, 0.0f, 0.0f}, 1e-4f));
        EXPECT_TRUE(Near(crateDamage.hits[0].source, {10.0f, 0.0f, 0.0f}));
        ASSERT_EQ(ActiveKinds(), std::vector<std::string>{"spark"});
        EXPECT_TRUE(Near(shots.GetActiveShots()[0]->GetStartPosition(), {19.0f, 0.0f, 0.0f}, 1e-4f));
        EXPECT_EQ(shots.GetIdleCount("bullet"), 1u);
    }
}

TEST_F(ShotFlightTest, BulletPassingTheBoxEndsAtItsRangeWithoutEffect)
{
    shots.Launch("bullet", {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, 12.0f, CPObjectPtr());
    for (int frame = 1; frame <= 4; ++frame) {
        shots.Update();
        EXPECT_EQ(shots.GetActiveCount(), 1u) << frame;
    }
    shots.Update(); // 50 flown: the range
    EXPECT_EQ(shots.GetActiveCount(), 0u);
    EXPECT_EQ(shots.GetIdleCount("bullet"), 1u);
    EXPECT_TRUE(crateDamage.hits.empty());
}

TEST_F(ShotFlightTest, ShotDoesNotHitTheTreeOfItsShooter)
{
    // Fired from inside the crate by a part of it.
    auto* muzzle = new CPGameObject("muzzle");
    crate->AddChild(CPObjectPtr(muzzle));
    shots.Launch("bullet", {20.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, 12.0f, CPObjectPtr(muzzle));
    shots.Update();
    EXPECT_TRUE(crateDamage.hits.empty());
    EXPECT_EQ(ActiveKinds(), std::vector<std::string>{"bullet"});
}

TEST(ShotStart, TurnsLocalMinusYOntoTheDirection)
{
    const Vector3 directions[] = {{1, 0, 0},  {0, 0, 1},       {0, 0, -1}, {0, 1, 0},
                                  {0, -1, 0}, {0.6f, 0.8f, 0}, {3, -4, 12}};
    for (const Vector3& d : directions) {
        const Quaternion q = CPShot::RotationTowards(d);
        EXPECT_TRUE(Near(Rotate({0.0f, -1.0f, 0.0f}, q), Normalize(d), 1e-5f))
            << d.x << "," << d.y << "," << d.z;
    }
    // A direction that is no direction leaves the shot unturned.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const Vector3& d : {Vector3{0, 0, 0}, Vector3{nan, 0, 1}}) {
        const Quaternion q = CPShot::RotationTowards(d);
        EXPECT_FLOAT_EQ(q.w, 1.0f);
    }
}

// --- Pools --------------------------------------------------------------------------

namespace {

// Shots of "puff" live one frame.
class ShotPoolTest : public CombatTest {
  protected:
    void SetUp() override
    {
        CombatTest::SetUp();
        StayingKind("puff", 0.05f);
    }
    void LaunchPuff() { shots.Launch("puff", {1.0f, 2.0f, 3.0f}, {0.0f, 0.0f, 1.0f}, -1.0f, CPObjectPtr()); }
};

} // namespace

TEST_F(ShotPoolTest, ClonesWhileThePoolIsEmptyThenTakesTheLastIdleShotFirst)
{
    LaunchPuff();
    LaunchPuff();
    const std::vector<CPShot*> first = shots.GetActiveShots();
    ASSERT_EQ(first.size(), 2u);
    EXPECT_NE(first[0], first[1]);
    EXPECT_EQ(shots.GetIdleCount("puff"), 0u);

    shots.Update(); // both finish, in launch order
    EXPECT_EQ(shots.GetActiveCount(), 0u);
    EXPECT_EQ(shots.GetIdleCount("puff"), 2u);

    LaunchPuff();
    LaunchPuff();
    LaunchPuff();
    const std::vector<CPShot*> again = shots.GetActiveShots();
    ASSERT_EQ(again.size(), 3u);
    EXPECT_EQ(again[0], first[1]);
    EXPECT_EQ(again[1], first[0]);
    EXPECT_NE(again[2], first[0]);
    EXPECT_NE(again[2], first[1]);
    EXPECT_EQ(shots.GetIdleCount("puff"), 0u);
    // A reused shot starts afresh where it is launched.
    EXPECT_TRUE(Near(again[0]->GetPosition(), {1.0f, 2.0f, 3.0f}));
    EXPECT_TRUE(again[0]->IsVisible());
}

TEST_F(ShotPoolTest, FilledPoolsServeTheLaunchesWithTheShotsMadeAhead)
{
    ASSERT_TRUE(shots.CreateKind("bullet", "projectile", {"none", "100", "50", "puff", "0", "1", "none"}));
    const struct {
        std::size_t limit;
        std::size_t asked;
        std::size_t idle; // per kind, puff and bullet
    } cases[] = {{256, 3, 3}, {256, 0, 3}, {4, 8, 4}};
    std::size_t madeBefore = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.asked);
        shots.SetPoolLimit(c.limit);
        const std::size_t made = shots.FillPools(c.asked);
        EXPECT_EQ(made, 2 * c.idle - madeBefore);
        madeBefore = 2 * c.idle;
        EXPECT_EQ(shots.GetIdleCount("puff"), c.idle);
        EXPECT_EQ(shots.GetIdleCount("bullet"), c.idle);
    }
    // A launch takes a shot made ahead, and it goes back to the pool.
    LaunchPuff();
    ASSERT_EQ(shots.GetActiveCount(), 1u);
    EXPECT_EQ(shots.GetIdleCount("puff"), 3u);
    EXPECT_TRUE(Near(shots.GetActiveShots()[0]->GetPosition(), {1.0f, 2.0f, 3.0f}));
    EXPECT_TRUE(shots.GetActiveShots()[0]->IsVisible());
    shots.Update();
    EXPECT_EQ(shots.GetIdleCount("puff"), 4u);
    // Shots in flight count against the limit: the pool is not filled past it.
    LaunchPuff();
    EXPECT_EQ(shots.FillPools(8), 0u);
}

TEST_F(ShotPoolTest, FullPoolRefusesUntilAShotIsReleased)
{
    shots.SetPoolLimit(2);
    LaunchPuff();
    LaunchPuff();
    LaunchPuff();
    LaunchPuff();
    EXPECT_EQ(shots.GetActiveCount(), 2u);
    EXPECT_TRUE(log.Contains("further launches are refused"));

    shots.Update();
    EXPECT_EQ(shots.GetIdleCount("puff"), 2u);
    LaunchPuff();
    LaunchPuff();
    LaunchPuff();
    EXPECT_EQ(shots.GetActiveCount(), 2u);
    EXPECT_EQ(shots.GetIdleCount("puff"), 0u);
}

TEST_F(ShotPoolTest, ShotsLaunchedDuringTheUpdateWaitForTheNextFrame)
{
    // A bullet that hits at once launches its puff inside the update.
    ASSERT_TRUE(shots.CreateKind("bullet", "projectile", {"none", "100", "50", "puff", "0", "1", "none"}));
    index->hitObject = Cube("wall", {5.0f, 0.0f, 0.0f});
    shots.Launch("bullet", {0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, -1.0f, CPObjectPtr());
    shots.Update();
    ASSERT_EQ(ActiveKinds(), std::vector<std::string>{"puff"});
    shots.Update();
    EXPECT_EQ(shots.GetActiveCount(), 0u);
}

TEST_F(ShotPoolTest, ClearActivePutsEveryShotBack)
{
    LaunchPuff();
    LaunchPuff();
    shots.ClearActive();
    EXPECT_EQ(shots.GetActiveCount(), 0u);
    EXPECT_EQ(shots.GetIdleCount("puff"), 2u);
}

TEST_F(ShotPoolTest, KindsLoadFromAFile)
{
    ScratchFolder folder;
    folder.UseAsDataRoot();
    folder.Write("kinds.txt", "// name class params... sound\n"
                              "tracer projectile none 80 40 puff 0 5 none\n"
                              "boom effect \"exp big\" 1.5 none\n"
                              "broken projectile none fast 40 none 0 5 none\n"
                              "lonely\n");
    EXPECT_EQ(shots.LoadKinds("kinds.txt"), 2);
    EXPECT_TRUE(shots.HasKind("tracer"));
    EXPECT_TRUE(shots.HasKind("boom"));
    EXPECT_FALSE(shots.HasKind("broken"));
    shots.Launch("boom", {0, 0, 0}, {0, 0, 1}, -1.0f, CPObjectPtr());
    const auto* boom = dynamic_cast<const CPEffectShot*>(shots.GetActiveShots().at(0));
    ASSERT_NE(boom, nullptr);
    EXPECT_EQ(boom->GetEffectName(), "exp big");
    EXPECT_FLOAT_EQ(boom->GetLifetime(), 1.5f);
}

TEST_F(ShotPoolTest, EffectShotAsksForItsEffectWhereItStarts)
{
    ASSERT_TRUE(shots.CreateKind("boom", "effect", {"exp", "1", "none"}));
    RecordingEffectPrototype& exp = Effect("exp");
    shots.Launch("boom", {4.0f, 5.0f, 6.0f}, {0.0f, 0.0f, 2.0f}, -1.0f, CPObjectPtr());
    ASSERT_EQ(exp.spawns.size(), 1u);
    EXPECT_TRUE(Near(exp.spawns[0].position, {4.0f, 5.0f, 6.0f}));
    EXPECT_TRUE(Near(exp.spawns[0].velocity, {0.0f, 0.0f, 2.0f}));
}

// --- Bad input ------------------------------------------------------------------------

TEST_F(ShotPoolTest, BadInputIsLoggedAndLaunchesNothing)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct Case {
        const char* what;
        std::function<void()> call;
        const char* logged;
    } cases[] = {
        {"unknown kind",
         [&] {
             shots.Launch("nothing", {0, 0, 0}, {0, 0, 1}, -1.0f, CPObjectPtr());
         },
         "no shot kind \"nothing\""},
        {"NaN position",
         [&] {
             shots.Launch("puff", {nan, 0, 0}, {0, 0, 1}, -1.0f, CPObjectPtr());
         },
         "not a number"},
        {"infinite direction",
         [&] {
             shots.Launch("puff", {0, 0, 0}, {0, inf, 1}, -1.0f, CPObjectPtr());
         },
         "not a number"},
        {"unknown class", [&] { shots.CreateKind("odd", "cannon", {"none"}); }, "unknown shot class"},
        {"too few parameters",
         [&] {
             shots.CreateKind("short", "projectile", {"none", "10"});
         },
         "a projectile needs"},
        {"comma in a number",
         [&] {
             shots.CreateKind("comma", "projectile", {"none", "1,5", "9", "none", "0", "1", "none"});
         },
         "must be numbers"},
        {"missing model",
         [&] {
             shots.CreateKind("ghost", "projectile", {"ghost.rdf", "10", "9", "none", "0", "1", "none"});
         },
         "no model \"ghost.rdf\""},
        {"mine with too few parameters",
         [&] {
             shots.CreateKind("mine_short", "mine", {"1", "1.5", "none"});
         },
         "a mine needs"},
        {"mine without a trigger radius",
         [&] {
             shots.CreateKind("mine_flat", "mine", {"1", "0", "40", "none", "6", "none"});
         },
         "its radius above 0"},
        {"mine with a word for its damage",
         [&] {
             shots.CreateKind("mine_word", "mine", {"1", "1.5", "much", "none", "6", "none"});
         },
         "its radius above 0"},
        {"null prototype", [&] { shots.AddKind("empty", CPObjectPtr()); }, "needs a shot as its prototype"},
        {"second prototype",
         [&] {
             shots.CreateKind("puff", "effect", {"none", "1", "none"});
         },
         "has a prototype already"},
        {"no shot to start",
         [&] {
             shots.StartShot(CPObjectPtr(), {0, 0, 0}, {1, 0, 0}, -1.0f);
         },
         "needs a shot"},
        {"missing kinds file", [&] { shots.LoadKinds("no\\such\\kinds.txt"); }, "cannot read the shot kinds"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.call();
        EXPECT_TRUE(log.Contains(c.logged));
        EXPECT_EQ(shots.GetActiveCount(), 0u);
    }
    // A kind whose prototype makes no copies launches nothing.
    ASSERT_TRUE(shots.AddKind("bolt", CPObjectPtr(new CPLightningShot)));
    shots.Launch("bolt", {0, 0, 0}, {1, 0, 0}, -1.0f, CPObjectPtr());
    EXPECT_TRUE(log.Contains("the prototype of \"bolt\" makes no copies"));
    EXPECT_EQ(shots.GetActiveCount(), 0u);
    for (const char* kind : {"odd", "short", "comma", "ghost", "empty"})
        EXPECT_FALSE(shots.HasKind(kind)) << kind;
}

TEST_F(ShotPoolTest, UnknownKindLeavesOneEmptyEntryAndOneLogLine)
{
    const std::size_t kinds = shots.GetKindCount();
    shots.Launch("nothing", {0, 0, 0}, {0, 0, 1}, -1.0f, CPObjectPtr());
    shots.Launch("nothing", {0, 0, 0}, {0, 0, 1}, -1.0f, CPObjectPtr());
    EXPECT_EQ(shots.GetKindCount(), kinds + 1);
    EXPECT_FALSE(shots.HasKind("nothing"));
    const std::string text = log.Text();
    const std::string line = "no shot kind \"nothing\"";
    EXPECT_EQ(text.find(line), text.rfind(line));
}

// --- Lightning ---------------------------------------------------------------------------

namespace {

// Speed 10 and frames of 0.5 s: the head grows 5 a frame.
class LightningTest : public CombatTest {
  protected:
    void SetUp() override
    {
        CombatTest::SetUp();
        SetFrameTime(0.5f);
        StayingKind("zap");
        lightning = new CPLightningShot;
        ASSERT_TRUE(lightning->Init(
            {"car", "10", "3", "0.5", "razlom.dds", "light_nofog.fx", "103", "zap", "0", "none"}));
    }
    void TearDown() override
    {
        if (lightning)
            CPGameObject::DeleteTree(lightning);
        CombatTest::TearDown();
    }

    CPLightningShot* lightning = nullptr;
};

} // namespace

TEST_F(LightningTest, GrowsTwentyUnitsAndEndsWithoutLaunching)
{
    lightning->Start({0, 0, 0}, {1, 0, 0}, -1.0f);
    EXPECT_FLOAT_EQ(lightning->GetPower(), 3.0f);
    EXPECT_TRUE(lightning->IsTargetEnemy());
    for (int frame = 1; frame <= 4; ++frame)
        EXPECT_EQ(lightning->Advance(), 1) << frame;
    EXPECT_TRUE(Near(lightning->GetHead(), {20, 0, 0}));
    EXPECT_EQ(lightning->Advance(), -1);
    EXPECT_EQ(shots.GetActiveCount(), 0u);
}

TEST_F(LightningTest, StopsAtTheFirstCarAndLaunchesItsHitKindThere)
{
    auto* car = new CPGameObject("PLAYER");
    PlaceCube(*car, {12, 0, 0}, 1.0f);
    level->AddOpponent(CPObjectPtr(car));
    lightning->Start({0, 0, 0}, {2, 0, 0}, 8.0f);
    EXPECT_FLOAT_EQ(lightning->GetPower(), 8.0f);
    EXPECT_EQ(lightning->Advance(), 1);
    EXPECT_EQ(lightning->Advance(), 1);
    EXPECT_EQ(lightning->Advance(), 0);
    ASSERT_EQ(ActiveKinds(), std::vector<std::string>{"zap"});
    EXPECT_TRUE(Near(shots.GetActiveShots()[0]->GetStartPosition(), {11, 0, 0}, 1e-4f));
}

TEST_F(LightningTest, QuadSpansOriginToHeadAcrossTheView)
{
    lightning->Start({1, 2, 3}, {0, 1, 0}, -1.0f);
    lightning->Advance();
    const auto& v = lightning->GetOwnRenderObject()->GetVertices();
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(lightning->GetOwnRenderObject()->GetIndices(), (std::vector<std::uint16_t>{0, 1, 2, 0, 2, 3}));
    // Relative to the origin; seen from above (no camera) the band lies
    // across x: the side is along (0, 1, 0) x (0, 0, 1) = (1, 0, 0).
    EXPECT_TRUE(Near(v[0].position, {0.5f, 0, 0}));
    EXPECT_TRUE(Near(v[1].position, {0.5f, 5, 0}));
    EXPECT_TRUE(Near(v[2].position, {-0.5f, 5, 0}));
    EXPECT_TRUE(Near(v[3].position, {-0.5f, 0, 0}));
    EXPECT_FLOAT_EQ(v[1].uv1.x, 1.0f);
    EXPECT_FLOAT_EQ(v[2].uv1.x, 1.0f);
    EXPECT_FLOAT_EQ(v[0].uv1.x, 0.0f);
}

TEST_F(LightningTest, MissingParametersKeepDefaults)
{
    CPLightningShot shot;
    EXPECT_TRUE(shot.Init({"enemy", "fast"}));
    EXPECT_FALSE(shot.IsTargetEnemy());
    EXPECT_FLOAT_EQ(shot.GetSpeed(), 10.0f);
    EXPECT_TRUE(log.Contains("the speed \"fast\" is not a number"));
    EXPECT_TRUE(log.Contains("2 parameters of 9"));
    EXPECT_FALSE(shot.Clone());
}

TEST_F(LightningTest, ManagerStepsADirectShotAndDeletesItWhenDone)
{
    ASSERT_TRUE(shots.StartShot(CPObjectPtr(lightning), {0, 0, 0}, {1, 0, 0}, -1.0f));
    CPGameObject* started = lightning;
    lightning = nullptr; // the manager's now
    for (int frame = 1; frame <= 4; ++frame) {
        shots.Update();
        ASSERT_EQ(shots.GetActiveCount(), 1u) << frame;
        EXPECT_EQ(shots.GetActiveShots()[0], started);
    }
    shots.Update();
    EXPECT_EQ(shots.GetActiveCount(), 0u);
}

// --- Sounds ------------------------------------------------------------------------------

namespace {

// A data folder with "bang.wav" and a sound manager over a device whose
// clock stands still, so what plays keeps playing.
class ShotSoundTest : public CombatTest {
  protected:
    void SetUp() override
    {
        CombatTest::SetUp();
        folder.UseAsDataRoot();
        m_clock.emplace([] { return 1000u; });
        folder.Write("Data/Sounds/bang.wav", MakeWave(1, 22050, 8, RampBytes(64)));
        sounds = std::make_unique<CPSoundManager>(&device);
        m_installedSounds.emplace(sounds.get());
    }
    void TearDown() override
    {
        shots.Clear();
        CombatTest::TearDown();
        m_installedSounds.reset();
        sounds.reset();
        m_clock.reset();
    }

    ScratchFolder folder;
    platform::HeadlessSoundDevice device;
    std::unique_ptr<CPSoundManager> sounds;

  private:
    std::optional<ServiceOverride<platform::GetClockSource, platform::SetClockSource>> m_clock;
    std::optional<ServiceOverride<GetSoundManager, SetSoundManager>> m_installedSounds;
};

} // namespace

TEST_F(ShotSoundTest, SoundSettingChoosesNoneFlatOrPlaced)
{
    const struct {
        const char* kind;
        const char* setting;
        bool hasSound;
        bool flat;
    } cases[] = {
        {"quiet", "none", false, false},
        {"flat", "bang.wav,2d", true, true},
        {"placed", "bang.wav,3d", true, false},
        {"missing", "gone.wav,3d", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        ASSERT_TRUE(shots.CreateKind(c.kind, "effect", {"none", "1", c.setting}));
        shots.Launch(c.kind, {5.0f, 6.0f, 7.0f}, {0.0f, 0.0f, 1.0f}, -1.0f, CPObjectPtr());
        const CPShot* shot = shots.GetActiveShots().back();
        EXPECT_EQ(shot->GetSoundSetting(), c.setting);
        auto* sound = shot->GetSound().As<CNSound>();
        ASSERT_EQ(sound != nullptr, c.hasSound);
        if (!sound)
            continue;
        EXPECT_EQ(shot->IsSound2D(), c.flat);
        EXPECT_EQ(sound->Is3D(), c.flat ? 0 : 1);
        EXPECT_TRUE(sound->IsPlaying());
        if (!c.flat) {
            EXPECT_TRUE(Near(sound->Get3DParameters().position, {5.0f, 6.0f, 7.0f}));
        }
    }
}
