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

// An animated object of one four-frame animation "walk" (a second a pass)
// on a game object, and a listener that takes commands.
class AnimationScriptTest : public ScriptTest {
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
        CPFileReader reader("anim.bin", false);
        ASSERT_EQ(reader.Load(), S_OK);
        animated = new CPAnimatedObject();
        animated->AddAnimation("walk", cache.GetAnimation("walk", reader, 0xFFFFFFFF));
        animated->SetOwner(&object);
        object.SetRenderObject(CPObjectPtr(animated), CPGameObject::kAnimatedObject);
        SetGlobal("object", &object);
        SetGlobal("listener", &listener);
    }

    // Moves the game time on and lets the object show its frame.
    void Advance(float seconds)
    {
        GetGameClock().gameTime += seconds;
        std::vector<CPMeshVertex> vertices(animated->GetVertexCount() + 3);
        std::vector<std::uint16_t> indices(animated->GetIndexCount() + 3);
        animated->WriteVertices(vertices.data(), indices.data(), 0, 0);
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
    CPGameObject object{"walker"};
    CPAnimatedObject* animated = nullptr; // owned by the game object
};

} // namespace

TEST_F(AnimationScriptTest, LoopsStopTheAnimationAndTellTheListener)
{
    ASSERT_TRUE(Run("SetAnimation(object, 'walk', 1, 2, -1, listener)")) << log.Text();
    EXPECT_EQ(animated->GetName(), "walk");
    // Frames 1, 2, 3, then the first wrap (0), 2, 3: still running.
    for (int i = 0; i < 6; ++i)
        Advance(0.3f);
    EXPECT_TRUE(Heard().empty());
    EXPECT_FALSE(animated->IsStopped());
    Advance(0.3f); // the second wrap
    EXPECT_TRUE(animated->IsStopped());
    EXPECT_EQ(Heard(), std::vector<std::string>{"animation_stopped"});
}

TEST_F(AnimationScriptTest, NoLoopCountKeepsTheAnimationRunning)
{
    for (const char* call :
         {"SetAnimation(object, 'walk', 1, 0, -1, listener)", "SetAnimation(object, 'walk')"}) {
        ASSERT_TRUE(Run(call)) << log.Text();
        for (int i = 0; i < 20; ++i)
            Advance(0.3f);
        EXPECT_FALSE(animated->IsStopped()) << call;
        EXPECT_TRUE(Heard().empty()) << call;
    }
}
