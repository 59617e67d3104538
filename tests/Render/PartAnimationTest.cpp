#include "Render/PartAnimation.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "core/GameObject.h"
#include "core/Kernel.h"
#include "core/ObjectRegistry.h"
#include "core/ScriptObject.h"
#include "core/Singletons.h"
#include "platform/Math.h"
#include "support/TestEngine.h"
#include "support/ScratchFolder.h"

namespace {

Matrix4 At(float x, float y) { return TranslationMatrix(x, y, 0.0f); }

// Keys at (0, 0), (10, 0) and (10, 10); one second a segment.
std::vector<Matrix4> Keys() { return {At(0, 0), At(10, 0), At(10, 10)}; }

class PartAnimationTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        script.Begin();
        owner.SetOwnerObject(CPObjectPtr(&script));
    }
    void TearDown() override { kernel.RemoveTask(&animation); }

    void Start()
    {
        CPObjectPtr task(&animation);
        ASSERT_TRUE(kernel.AddTask(task));
    }
    int EndsHeard()
    {
        int ends = 0;
        while (script.SetNextCommand())
            ends += script.GetCurrentCommandName() == "animation_end" ? 1 : 0;
        return ends;
    }
    Vector3 OwnerPlace() const
    {
        const Matrix4& world = owner.GetWorldMatrix();
        return {world.m[3][0], world.m[3][1], world.m[3][2]};
    }

    CPScriptObject script;
    TestEngine engine;
    CPKernel& kernel = engine.services->Kernel();
    CPObjectRegistry& registry = engine.services->Registry();
    CPGameObject owner{"door"};
    CPPartAnimation animation;
};

} // namespace

TEST_F(PartAnimationTest, TrackThatDoesNotLoopEndsOnceOnReachingItsLastSegment)
{
    ASSERT_TRUE(animation.SetKeys(Keys(), {1.0f, 1.0f, 7.0f}));
    animation.SetOwner(&owner);
    Start();

    // time -> segment, owner's place, ends heard so far
    const struct {
        float time;
        unsigned segment;
        float x, y;
        int ends;
    } frames[] = {
        {0.25f, 0, 2.5f, 0, 0},     {0.5f, 0, 5.0f, 0, 0}, {0.75f, 0, 7.5f, 0, 0},
        {1.0f, 0, 10.0f, 0, 0},     // a time equal to the segment's stays in it (t = 1)
        {1.25f, 1, 10.0f, 2.5f, 1}, // ended, still blending key 1 toward key 2
    };
    int ends = 0;
    for (const auto& frame : frames) {
        kernel.StepTasks(0.25f);
        ends += EndsHeard();
        EXPECT_EQ(animation.GetCurrent(), frame.segment) << frame.time;
        EXPECT_NEAR(OwnerPlace().x, frame.x, 1e-5) << frame.time;
        EXPECT_NEAR(OwnerPlace().y, frame.y, 1e-5) << frame.time;
        EXPECT_EQ(ends, frame.ends) << frame.time;
    }
    EXPECT_TRUE(animation.IsKilled());
    kernel.StepTasks(0.25f);
    EXPECT_EQ(EndsHeard(), 0);
    EXPECT_NEAR(OwnerPlace().y, 2.5f, 1e-5);
}

TEST_F(PartAnimationTest, LoopingTrackStartsOverAndNeverReachesItsLastKey)
{
    ASSERT_TRUE(animation.SetKeys(Keys(), {1.0f, 1.0f, 1.0f}));
    animation.SetLooping(true);
    animation.SetOwner(&owner);
    Start();

    const int endsAfter[] = {0, 0, 1, 1, 2, 2, 3, 3};
    int ends = 0;
    for (int frame = 0; frame < 8; ++frame) {
        kernel.StepTasks(0.5f);
        ends += EndsHeard();
        EXPECT_EQ(ends, endsAfter[frame]) << frame;
        EXPECT_EQ(animation.GetCurrent(), 0u) << frame;
        EXPECT_EQ(OwnerPlace().y, 0.0f) << frame;
    }
    EXPECT_FALSE(animation.IsKilled());

    // A long frame passes several loops at once, each heard.
    kernel.StepTasks(3.0f);
    EXPECT_EQ(EndsHeard(), 3);
    EXPECT_NEAR(animation.GetElapsed(), 1.0f, 1e-6);
}

TEST_F(PartAnimationTest, RestartedAfterItsEndItEndsAgainInsideItsKeys)
{
    ASSERT_TRUE(animation.SetKeys(Keys(), {1.0f, 1.0f, 1.0f}));
    animation.SetOwner(&owner);
    Start();
    kernel.StepTasks(1.5f);
    ASSERT_TRUE(animation.IsKilled());
    EXPECT_EQ(EndsHeard(), 1);

    // Begin leaves the segment and the time where they were.
    Start();
    kernel.StepTasks(2.0f);
    EXPECT_EQ(EndsHeard(), 1);
    EXPECT_TRUE(animation.IsKilled());
    EXPECT_EQ(animation.GetCurrent(), 1u);
    EXPECT_NEAR(OwnerPlace().x, 10.0f, 1e-5);
}

TEST_F(PartAnimationTest, BlendedKeyIsThePartTransformUnderTheParent)
{
    CPGameObject root("car");
    root.SetPosition({0, 0, 100});
    root.AddChild(CPObjectPtr(&owner));
    root.UpdateBounds();
    owner.SetPosition({1, 0, 0}); // the key takes the place of the part's own

    ASSERT_TRUE(animation.SetKeys(Keys(), {2.0f, 2.0f, 2.0f}));
    animation.SetOwner(&owner);
    Start();
    kernel.StepTasks(0.5f);
    EXPECT_NEAR(animation.GetBlendedKey().m[3][0], 2.5f, 1e-6);
    EXPECT_NEAR(OwnerPlace().x, 2.5f, 1e-5);
    EXPECT_NEAR(OwnerPlace().z, 100.0f, 1e-5);
    EXPECT_TRUE(owner.IsBoundsValid());
}

TEST_F(PartAnimationTest, TracksThatCannotPlayAreRefusedAndHoldStill)
{
    LogCapture log;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* what;
        std::vector<Matrix4> keys;
        std::vector<float> durations;
        bool accepted;
    } cases[] = {
        {"two keys", {At(0, 0), At(1, 0)}, {1, 1}, false},
        {"no keys", {}, {}, false},
        {"more keys than durations", Keys(), {1, 1}, false},
        {"segment of no time", Keys(), {0, 1, 1}, false},
        {"negative segment", Keys(), {1, -1, 1}, false},
        {"segment not a number", Keys(), {nan, 1, 1}, false},
        {"unused last duration of zero", Keys(), {1, 1, 0}, true},
    };
    for (const auto& c : cases) {
        CPPartAnimation track;
        EXPECT_EQ(track.SetKeys(c.keys, c.durations), c.accepted) << c.what;
        EXPECT_EQ(track.GetKeys().size(), c.accepted ? c.keys.size() : 0u) << c.what;
    }
    EXPECT_TRUE(log.Contains("Part animation refused: 2 keys and 2 durations"));
    EXPECT_TRUE(log.Contains("Part animation refused: segment 1 lasts -1"));

    // Never given a track: stepping it touches nothing.
    animation.SetOwner(&owner);
    Start();
    kernel.StepTasks(5.0f);
    EXPECT_EQ(EndsHeard(), 0);
    EXPECT_EQ(animation.GetElapsed(), 0.0f);
    EXPECT_FALSE(animation.IsKilled());
}

TEST_F(PartAnimationTest, TinySegmentsWithAHugeFrameStillFinishTheStep)
{
    ASSERT_TRUE(animation.SetKeys(Keys(), {1e-6f, 1e-6f, 1e-6f}));
    animation.SetLooping(true);
    animation.SetOwner(&owner);
    Start();
    kernel.StepTasks(100000.0f);
    EXPECT_GE(EndsHeard(), 1);
    EXPECT_TRUE(std::isfinite(OwnerPlace().x));
}

TEST_F(PartAnimationTest, AssignCopiesTheTrackAndLoopingButKeepsItsOwnPlace)
{
    CPPartAnimation prototype;
    ASSERT_TRUE(prototype.SetKeys(Keys(), {1, 2, 3}));
    prototype.SetLooping(true);

    ASSERT_TRUE(animation.SetKeys({At(5, 5), At(6, 6), At(7, 7), At(8, 8)}, {1, 1, 1, 1}));
    animation.SetOwner(&owner);
    Start();
    kernel.StepTasks(1.5f);
    const float elapsed = animation.GetElapsed();

    animation.Assign(CPObjectPtr(&prototype));
    EXPECT_TRUE(animation.IsLooping());
    EXPECT_EQ(animation.GetKeys().size(), 3u);
    EXPECT_EQ(animation.GetDurations()[1], 2.0f);
    EXPECT_EQ(animation.GetOwner(), &owner);
    EXPECT_EQ(animation.GetElapsed(), elapsed);
    EXPECT_EQ(animation.GetCurrent(), 1u);

    animation.Assign(CPObjectPtr(&owner)); // not a part animation
    EXPECT_EQ(animation.GetKeys().size(), 3u);
    EXPECT_EQ(animation.GetTypeName(), "CPPartAnimation");
    EXPECT_EQ(animation.GetTaskType(), 1);
    EXPECT_EQ(animation.GetPriority(), 5000);
    EXPECT_FALSE(animation.Duplicate());
}

TEST(PartAnimation, MirrorMatrixTest)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Matrix4 notANumber = IdentityMatrix();
    notANumber.m[0][0] = nan;
    const struct {
        const char* what;
        Matrix4 matrix;
        bool mirrors;
    } cases[] = {
        {"identity", IdentityMatrix(), false},
        {"one axis flipped", ScalingMatrix(-1, 1, 1), true},
        {"two axes flipped", ScalingMatrix(-1, -2, 1), false},
        {"three axes flipped", ScalingMatrix(-1, -1, -1), true},
        {"turned and moved", RotationMatrixZ(2.0f) * TranslationMatrix(-5, -5, -5), false},
        {"flat", ScalingMatrix(1, 0, 1), false},
        {"not a number", notANumber, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsMirrorMatrix(c.matrix), c.mirrors) << c.what;
}

TEST_F(PartAnimationTest, ALoopFarShorterThanTheFrameIsToldOnlyAFewTimes)
{
    // Only segment 0 plays in a looping track of three keys: a lap of one
    // microsecond would be passed half a million times in a half-second frame.
    ASSERT_TRUE(animation.SetKeys(Keys(), {1e-6f, 1.0f, 1.0f}));
    animation.SetLooping(true);
    animation.SetOwner(&owner);
    Start();
    kernel.StepTasks(0.5f);
    const int ends = EndsHeard();
    EXPECT_GE(ends, 1);
    EXPECT_LE(ends, CPPartAnimation::kMaxLapsHeardPerStep + 1);
    EXPECT_EQ(animation.GetCurrent(), 0u);
    EXPECT_LE(animation.GetElapsed(), 1e-6f);
    EXPECT_FALSE(animation.IsKilled());
}
