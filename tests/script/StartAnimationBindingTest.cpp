#include <string>
#include <vector>

#include "Render/AnimatedObject.h"
#include "Render/AnimationBlock.h"
#include "Render/AnimationCache.h"
#include "ScriptTestSupport.h"
#include "core/FileReader.h"
#include "core/GameClock.h"
#include "core/ScriptObject.h"

namespace {

// A walker and its child, each with an animated object of the one
// four-frame animation "walk" (a second a pass), and a listener.
class StartAnimationTest : public ScriptTest {
  protected:
    void SetUp() override
    {
        folder.UseAsDataRoot();
        GetGameClock().gameTime = 0.0;
        listener.Begin();
        std::vector<AnimationBlock::Frame> frames(4);
        for (int k = 0; k < 4; ++k) {
            frames[k].vertices = {VertexAt(float(k), 0, 0), VertexAt(float(k), 1, 0),
                                  VertexAt(float(k), 0, 1)};
            frames[k].indices = {0, 1, 2};
        }
        AnimationBlock block;
        block.Frames(600.0f, frames);
        folder.Write("anim.bin", block.bytes);
        walker = Animate(parent);
        child = new CPGameObject("arm");
        parent.AddChild(CPObjectPtr(child));
        arm = Animate(*child);
        SetGlobal("walker", &parent);
        SetGlobal("listener", &listener);
    }
    void TearDown() override { CPGameObject::DeleteTree(child); }

    CPAnimatedObject* Animate(CPGameObject& object)
    {
        CPFileReader reader("anim.bin", false);
        EXPECT_EQ(reader.Load(), S_OK);
        auto* animated = new CPAnimatedObject();
        animated->AddAnimation("walk", cache.GetAnimation("walk", reader, 0xFFFFFFFF));
        animated->SetOwner(&object);
        object.SetRenderObject(CPObjectPtr(animated), CPGameObject::kAnimatedObject);
        return animated;
    }
    void Advance(float seconds)
    {
        GetGameClock().gameTime += seconds;
        for (CPAnimatedObject* animated : {walker, arm}) {
            std::vector<CPMeshVertex> vertices(animated->GetVertexCount() + 3);
            std::vector<std::uint16_t> indices(animated->GetIndexCount() + 3);
            animated->WriteVertices(vertices.data(), indices.data(), 0, 0);
        }
    }
    std::vector<std::string> Heard()
    {
        std::vector<std::string> heard;
        while (listener.SetNextCommand())
            heard.push_back(listener.GetCurrentCommandName());
        return heard;
    }

    ScratchFolder folder;
    CPAnimationCache& cache = engine.services->Animations();
    CPScriptObject listener;
    CPGameObject parent{"walker"};
    CPGameObject* child = nullptr;
    CPAnimatedObject* walker = nullptr;
    CPAnimatedObject* arm = nullptr;
};

TEST_F(StartAnimationTest, TheModeCountsLoopsAndARunningAnimationIsNotRestarted)
{
    ASSERT_TRUE(Run("SetAnimation(walker, 'walk')")) << log.Text(); // endless, on both
    Advance(0.3f);
    // Both already run "walk": neither starts over nor takes the loop count,
    // which would have stopped them by now.
    ASSERT_TRUE(Run("StartAnimation(walker, 'walk', 2, listener)")) << log.Text();
    for (int i = 0; i < 7; ++i)
        Advance(0.3f);
    EXPECT_FALSE(walker->IsStopped());
    EXPECT_FALSE(arm->IsStopped());
    EXPECT_TRUE(Heard().empty());
}

TEST_F(StartAnimationTest, TheRequestReachesTheChildrenWithTheListener)
{
    ASSERT_TRUE(Run("StartAnimation(walker, 'walk', 2, listener)")) << log.Text();
    EXPECT_EQ(walker->GetName(), "walk");
    EXPECT_EQ(arm->GetName(), "walk");
    for (int i = 0; i < 6; ++i)
        Advance(0.3f);
    EXPECT_FALSE(arm->IsStopped());
    Advance(0.3f); // the second wrap
    EXPECT_TRUE(walker->IsStopped());
    EXPECT_TRUE(arm->IsStopped());
    EXPECT_EQ(Heard(), (std::vector<std::string>{"animation_stopped", "animation_stopped"}));

    ASSERT_TRUE(
        Run("StartAnimation(nil, 'walk', 1, listener); StartAnimation(walker); StartAnimation(walker, {}, "
            "0/0, 5)"))
        << log.Text();
}

} // namespace
