#include "Render/AnimatedObject.h"

#include <memory>

#include <gtest/gtest.h>

#include "Render/Animation.h"
#include "Render/AnimationBlock.h"
#include "Render/AnimationCache.h"
#include "Render/RenderObject.h"
#include "core/FileReader.h"
#include "core/GameClock.h"
#include "core/GameObject.h"
#include "core/Kernel.h"
#include "core/ObjectHandle.h"
#include "core/ObjectRegistry.h"
#include "core/PackFile.h"
#include "core/ScriptObject.h"
#include "core/Singletons.h"
#include "platform/Math.h"
#include "support/TestEngine.h"
#include "support/GameObjectFakes.h"
#include "support/ScratchFolder.h"

namespace {

// Frame k holds k + 1 triangles whose vertices sit at x = k, so both the
// counts and the positions tell the frames apart.
AnimationBlock::Frame FrameOf(int k)
{
    AnimationBlock::Frame frame;
    for (int t = 0; t <= k; ++t) {
        const auto base = static_cast<std::uint16_t>(frame.vertices.size());
        frame.vertices.push_back(VertexAt(float(k), 0, 0));
        frame.vertices.push_back(VertexAt(float(k), 1, 0));
        frame.vertices.push_back(VertexAt(float(k), 0, 1));
        frame.indices.insert(frame.indices.end(), {base, std::uint16_t(base + 1), std::uint16_t(base + 2)});
    }
    return frame;
}

AnimationBlock Frames(int count, float rate)
{
    std::vector<AnimationBlock::Frame> frames;
    for (int k = 0; k < count; ++k)
        frames.push_back(FrameOf(k));
    AnimationBlock block;
    block.Frames(rate, frames);
    return block;
}

// Counts the calls an animated object makes on its effect chain.
struct CountingEffect : CPVertexEffect {
    explicit CountingEffect(int* resets) : resets(resets) {}
    void Update(float) override {}
    void Apply(CPMeshVertex* out, const CPMeshVertex* in, int count) override
    {
        CopyVertices(out, in, count);
        for (int i = 0; i < count; ++i)
            out[i].diffuse = 0xAB000000u + static_cast<std::uint32_t>(i);
    }
    std::unique_ptr<CPVertexEffect> Clone() const override { return std::make_unique<CountingEffect>(*this); }
    void Reset() override { ++*resets; }
    int* resets;
};

class AnimatedObjectTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        GetPackFileList().Clear();
        folder.UseAsDataRoot();
        GetGameClock().gameTime = 0.0; // the times below are worked out from 0
        listener.Begin();
        owner.SetEnemy(&enemy);
        object.SetOwner(&owner);
        // Four frames of 0.25 s: a pass of 1 s.
        walk = Load("walk", Frames(4, 600.0f));
        object.AddAnimation("walk", walk);
    }

    CPObjectPtr Load(const std::string& name, const AnimationBlock& block)
    {
        folder.Write("anim.bin", block.bytes);
        CPFileReader reader("anim.bin", false);
        EXPECT_EQ(reader.Load(), S_OK);
        return cache.GetAnimation(name, reader, 0xFFFFFFFF);
    }
    CPAnimationRequest Request(const std::string& name, int loopLimit = 0, int reportFrame = -1)
    {
        CPAnimationRequest request;
        request.name = name;
        request.loopLimit = loopLimit;
        request.reportFrame = reportFrame;
        request.listener = CPObjectPtr(&listener);
        return request;
    }
    void Start(const CPAnimationRequest& request)
    {
        ASSERT_TRUE(object.StartAnimation(request, true, GetGameClock().gameTime));
    }
    // Moves the game time on and draws: the frame shown (by its x), after
    // checking that the counts asked first match what was written.
    int Draw(float dt)
    {
        kernel.StepTasks(dt);
        const int vertexCount = object.GetVertexCount();
        const int indexCount = object.GetIndexCount();
        std::vector<CPMeshVertex> vertices(vertexCount + 1);
        std::vector<std::uint16_t> indices(indexCount + 1, 0xEEEE);
        vertices.back().diffuse = 0x12345678;
        object.WriteVertices(vertices.data(), indices.data(), 0, 0);
        EXPECT_EQ(vertices.back().diffuse, 0x12345678u) << "wrote past the counts";
        EXPECT_EQ(indices.back(), 0xEEEE) << "wrote past the counts";
        if (vertexCount == 0)
            return -1;
        const int shown = static_cast<int>(vertices[0].position.x);
        EXPECT_EQ(vertexCount, 3 * (shown + 1)) << "counts of another frame";
        return shown;
    }
    std::vector<std::string> Heard()
    {
        std::vector<std::string> heard;
        while (listener.SetNextCommand())
            heard.push_back(listener.GetCurrentCommandName() + " " + (*listener.GetCurrentParams())[0]);
        return heard;
    }

    ScratchFolder folder;
    CPScriptObject listener; // outlives what reports to it
    TestEngine engine;
    CPAnimationCache& cache = engine.services->Animations();
    CPObjectRegistry& registry = engine.services->Registry();
    CPKernel kernel;
    FakeEnemy enemy;
    CPGameObject owner{"monster"};
    CPObjectPtr walk;
    CPAnimatedObject object;
};

} // namespace

TEST_F(AnimatedObjectTest, ShowsTheFramesOfTheTimeAndLoopsWithoutLimit)
{
    Start(Request("walk"));
    const int expected[] = {1, 2, 3, 0, 2, 3, 0, 1}; // every 0.3 s: (t mod 1) / 0.25
    for (int frame : expected)
        EXPECT_EQ(Draw(0.3f), frame);
    EXPECT_EQ(object.GetLoopsDone(), 2);
    EXPECT_FALSE(object.IsStopped());
    EXPECT_TRUE(Heard().empty());
    EXPECT_EQ(object.GetTypeName(), "CPAnimatedObject");
}

TEST_F(AnimatedObjectTest, LoopLimitStopsOnTheFrameBeforeTheLastAndReportsOnce)
{
    Start(Request("walk", 1));
    EXPECT_EQ(Draw(0.3f), 1);
    EXPECT_EQ(Draw(0.6f), 3);
    EXPECT_EQ(Draw(0.3f), 2); // the wrap stops it on the second-to-last frame
    const std::string handle = FormatObjectHandle(&listener);
    EXPECT_EQ(Heard(), std::vector<std::string>{"animation_stopped " + handle});
    EXPECT_EQ(enemy.calls, std::vector<std::string>{"PlayAttackAnimation"});
    EXPECT_TRUE(object.IsStopped());
    EXPECT_EQ(object.GetName(), "");
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Draw(0.3f), 2);
    EXPECT_TRUE(Heard().empty());
    EXPECT_EQ(enemy.calls.size(), 1u);

    // Starting it by name plays again.
    Start(Request("walk"));
    EXPECT_EQ(Draw(0.3f), 1);
}

TEST_F(AnimatedObjectTest, ReportFrameIsHeardOnceAPass)
{
    Start(Request("walk", 0, 2));
    EXPECT_EQ(Draw(0.3f), 1);
    EXPECT_EQ(Draw(0.6f), 3); // frame 2 was passed over: 3 is at least 2
    EXPECT_EQ(Draw(0.05f), 3);
    const std::string handle = FormatObjectHandle(&listener);
    EXPECT_EQ(Heard(), std::vector<std::string>{"animation_report " + handle});
    EXPECT_EQ(enemy.calls, std::vector<std::string>{"Strike"});

    EXPECT_EQ(Draw(0.1f), 0); // a new pass may report again
    EXPECT_EQ(Draw(0.5f), 2);
    EXPECT_EQ(Heard(), std::vector<std::string>{"animation_report " + handle});
    EXPECT_EQ(enemy.calls.size(), 2u);
}

TEST_F(AnimatedObjectTest, SpeedAndDelayScaleTheTime)
{
    CPAnimationRequest fast = Request("walk");
    fast.speed = 2.0f;
    Start(fast);
    // 2.5 s at speed 2 is 5.0 s: whole passes come off down to exactly 1.0,
    // which is not reduced, so the last frame shows.
    EXPECT_EQ(Draw(2.5f), 3);

    CPAnimationRequest late = Request("walk");
    late.delay = 1.0f;
    Start(late);
    EXPECT_EQ(Draw(0.6f), 0); // before its start
    EXPECT_EQ(Draw(0.7f), 1);
}

TEST_F(AnimatedObjectTest, PlacesVerticesByTheOwnerAndTurnsMirroredTriangles)
{
    owner.SetPosition({10, 20, 30});
    owner.SetRotation({0, 0, 0.70710678f, 0.70710678f}); // +90 degrees about z
    owner.UpdateBounds();
    Start(Request("walk"));
    kernel.StepTasks(0.3f); // frame 1: two triangles

    std::vector<CPMeshVertex> vertices(6);
    std::vector<std::uint16_t> indices(6);
    object.WriteVertices(vertices.data(), indices.data(), 65535, 0);
    // (1, 1, 0) turned to (-1, 1, 0), then moved.
    EXPECT_NEAR(vertices[1].position.x, 9.0f, 1e-5);
    EXPECT_NEAR(vertices[1].position.y, 21.0f, 1e-5);
    EXPECT_NEAR(vertices[1].position.z, 30.0f, 1e-5);
    EXPECT_NEAR(vertices[1].normal.z, 1.0f, 1e-6);
    EXPECT_EQ(vertices[1].diffuse, 0xFFFFFFFFu);
    EXPECT_EQ(vertices[1].uv2.x, 0.75f);
    // The base wraps past 65535.
    EXPECT_EQ(indices, (std::vector<std::uint16_t>{65535, 0, 1, 2, 3, 4}));

    owner.SetPartTransform(ScalingMatrix(-1, 1, 1));
    owner.UpdateBounds();
    object.WriteVertices(vertices.data(), indices.data(), 10, 0);
    EXPECT_EQ(indices, (std::vector<std::uint16_t>{10, 12, 11, 13, 15, 14}));
}

TEST_F(AnimatedObjectTest, StartingLeavesTheSameNameAndUnknownNamesAlone)
{
    int resets = 0;
    object.SetHasEffects(true);
    object.GetEffects().Add(std::make_unique<CountingEffect>(&resets));
    CPObjectPtr run = Load("run", Frames(2, 600.0f));
    object.AddAnimation("run", run);
    EXPECT_EQ(object.GetAnimation(), walk.As<CPAnimation>()); // the first added plays

    const double now = GetGameClock().gameTime;
    EXPECT_TRUE(object.StartAnimation(Request("run"), false, now));
    EXPECT_EQ(resets, 1);
    EXPECT_FALSE(object.StartAnimation(Request("run"), false, now));
    EXPECT_TRUE(object.StartAnimation(Request("run"), true, now));
    EXPECT_FALSE(object.StartAnimation(Request("fly"), true, now));
    EXPECT_EQ(object.GetAnimation(), run.As<CPAnimation>());
    EXPECT_EQ(object.GetName(), "run");
    EXPECT_EQ(resets, 2);

    // The chain runs over the written vertices.
    kernel.StepTasks(0.3f);
    std::vector<CPMeshVertex> vertices(6);
    std::vector<std::uint16_t> indices(6);
    object.WriteVertices(vertices.data(), indices.data(), 0, 0);
    EXPECT_EQ(vertices[5].diffuse, 0xAB000005u);
}

TEST_F(AnimatedObjectTest, AReloadToFewerFramesStopsInsideTheFrames)
{
    Start(Request("walk", 1));
    EXPECT_EQ(Draw(0.8f), 3);
    // The cache reloads "walk" with one frame: the shown index is past it.
    ASSERT_TRUE(Load("walk", Frames(1, 600.0f)));
    EXPECT_EQ(Draw(0.1f), 0); // a wrap: stops, resting on the only frame
    EXPECT_TRUE(object.IsStopped());
    EXPECT_EQ(Draw(0.1f), 0);

    // A block of no frames leaves nothing to draw.
    ASSERT_TRUE(Load("walk", Frames(0, 600.0f)));
    EXPECT_EQ(Draw(0.1f), -1);
}

TEST_F(AnimatedObjectTest, WithoutAnAnimationItDrawsNothing)
{
    CPAnimatedObject empty;
    EXPECT_EQ(empty.GetVertexCount(), 0);
    EXPECT_EQ(empty.GetIndexCount(), 0);
    CPMeshVertex vertex;
    std::uint16_t index = 7;
    empty.WriteVertices(&vertex, &index, 0, 0);
    EXPECT_EQ(index, 7);
    EXPECT_FALSE(empty.StartAnimation(Request("walk"), true, 0.0));
}

TEST_F(AnimatedObjectTest, CopyTakesTheStateAndItsOwnEffects)
{
    int resets = 0;
    object.SetHasEffects(true);
    object.GetEffects().Add(std::make_unique<CountingEffect>(&resets));
    CPAnimationRequest request = Request("walk", 3, 1);
    request.speed = 0.5f;
    Start(request);
    Draw(0.6f);

    CPAnimatedObject copy;
    CPObjectPtr material(&owner); // any object stands for a material here
    object.SetMaterial(material);
    copy.CopyFrom(CPObjectPtr(&object));
    EXPECT_EQ(copy.GetAnimation(), walk.As<CPAnimation>());
    EXPECT_EQ(copy.GetAnimations().size(), 1u);
    EXPECT_EQ(copy.GetName(), "walk");
    EXPECT_EQ(copy.GetCurrentFrame(), object.GetCurrentFrame());
    EXPECT_TRUE(copy.HasEffects());
    ASSERT_EQ(copy.GetEffects().GetSize(), 1u);
    EXPECT_NE(copy.GetEffects().Get(0), object.GetEffects().Get(0));
    CPObjectPtr copied;
    copy.GetMaterial(copied);
    EXPECT_EQ(copied.Get(), &owner);
    // The same time shows the same frame on both.
    copy.SetOwner(&owner);
    EXPECT_EQ(copy.GetVertexCount(), object.GetVertexCount());
}

TEST_F(AnimatedObjectTest, GameObjectsStartAnimationsAndAttachFireThroughTheirTree)
{
    // root (animated) -> group (no render object) -> leaf (animated);
    // root also has a mesh child. Materials first: they outlive the tree.
    CPGameObject fire("fire material"), paint("paint");
    CPGameObject root("root");
    auto* rootAnimated = new CPAnimatedObject();
    rootAnimated->AddAnimation("walk", walk);
    root.SetRenderObject(CPObjectPtr(rootAnimated), CPGameObject::kAnimatedObject);
    CPGameObject group("group");
    root.AddChild(CPObjectPtr(&group));
    CPGameObject leaf("leaf");
    auto* leafAnimated = new CPAnimatedObject();
    leafAnimated->AddAnimation("walk", walk);
    leaf.SetRenderObject(CPObjectPtr(leafAnimated), CPGameObject::kAnimatedObject);
    group.AddChild(CPObjectPtr(&leaf));
    CPGameObject hull("hull");
    auto* mesh = new CPRenderObject(&hull);
    hull.SetRenderObject(CPObjectPtr(mesh), CPGameObject::kMeshObject);
    root.AddChild(CPObjectPtr(&hull));

    kernel.StepTasks(2.0f);
    root.StartAnimation(Request("walk"), false);
    for (CPAnimatedObject* animated : {rootAnimated, leafAnimated}) {
        EXPECT_EQ(animated->GetName(), "walk");
        std::vector<CPMeshVertex> vertices(12);
        std::vector<std::uint16_t> indices(12);
        kernel.StepTasks(0.3f);
        animated->WriteVertices(vertices.data(), indices.data(), 0, 0);
        EXPECT_EQ(vertices[0].position.x, animated == rootAnimated ? 1.0f : 2.0f); // started at 2.0 s
    }
    // The same name again changes nothing, but a restart starts it over.
    root.StartAnimation(Request("walk"), false);
    EXPECT_EQ(leafAnimated->GetCurrentFrame(), 2);
    root.StartAnimation(Request("walk"), true);
    EXPECT_EQ(leafAnimated->GetCurrentFrame(), -1);

    // Fire goes onto meshes and animated objects that have a fire material.
    mesh->SetMaterial(CPObjectPtr(&paint));
    hull.SetFireMaterial(CPObjectPtr(&fire));
    leaf.SetFireMaterial(CPObjectPtr(&fire));
    group.SetFireMaterial(CPObjectPtr(&fire)); // nothing to put it on
    root.AttachRenderObject();
    CPObjectPtr material;
    mesh->GetMaterial(material);
    EXPECT_EQ(material.Get(), &fire);
    leafAnimated->GetMaterial(material);
    EXPECT_EQ(material.Get(), &fire);
    rootAnimated->GetMaterial(material);
    EXPECT_FALSE(material); // the root has no fire material
}
