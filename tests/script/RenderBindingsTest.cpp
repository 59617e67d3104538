#include <string>

#include "../Render/MeshFileBytes.h"
#include "Render/AnimationCache.h"
#include "Render/EffectLibrary.h"
#include "Render/EffectManager.h"
#include "Render/MaterialLibrary.h"
#include "Render/PRender.h"
#include "Render/IVBlock.h"
#include "Render/RenderList.h"
#include "Render/RenderObjectLoader.h"
#include "Render/TextureLibrary.h"
#include "ScriptTestSupport.h"
#include "Sound/PMusic.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "core/ServiceOverride.h"

namespace {

meshbytes::PlainNode Triangle(const std::string& name)
{
    meshbytes::PlainNode node;
    node.name = name;
    CPMeshVertex corner{};
    node.vertices = {corner, corner, corner};
    node.vertices[1].position = {1, 0, 0};
    node.vertices[2].position = {0, 1, 0};
    node.indices = {0, 1, 2};
    return node;
}

// The renderer and what loading a scene needs, over a scratch data folder.
class RenderScriptTest : public ScriptTest {
  protected:
    void SetUp() override
    {
        folder.UseAsDataRoot();
        // The tests hand the renderer the scene list they look at.
        render.SetSceneObject(CPObjectPtr());
    }
    void TearDown() override
    {
        // The loaded trees go with the state, while the libraries still exist.
        host.reset();
        render.SetDefaultShadowMaterial(CPObjectPtr());
    }

    ScratchFolder folder;
    platform::HeadlessGraphicsDevice& device = engine.device;
    CPRender& render = engine.services->Render();
    CPEffectLibrary& effects = engine.services->Effects();
    CPTextureLibrary& textures = engine.services->Textures();
    CPMaterialLibrary& materials = engine.services->Materials();
    CPAnimationCache& cache = engine.services->Animations();
    CPEffectManager& effectManager = engine.services->EffectManager();
    CPRenderObjectLoader& loader = engine.services->Loader();
};

} // namespace

TEST_F(RenderScriptTest, LoadRenderObjectHandsTheSceneToTheScriptWithOneReference)
{
    folder.Write("Data/Meshes/rock.msh", meshbytes::PlainFile({Triangle("Rock")}));
    folder.Write("Data/Meshes/rock.rdf", "mesh = rock.msh\n");
    ASSERT_TRUE(Run("rock = LoadRenderObject('rock.rdf', 0); missing = LoadRenderObject('none.rdf', 0)"))
        << log.Text();
    auto* rock = static_cast<CPObject*>(GlobalPointer("rock"));
    ASSERT_NE(rock, nullptr) << log.Text();
    EXPECT_EQ(rock->GetUseCount(), 1u);
    ASSERT_TRUE(Run("child = GetChildObject(rock, 'rock')"));
    EXPECT_EQ(GlobalPointer("child"), rock);
    EXPECT_EQ(GlobalPointer("missing"), nullptr);
    ASSERT_EQ(host->GetAdoptedTrees().size(), 1u);
    EXPECT_EQ(static_cast<CPObject*>(host->GetAdoptedTrees()[0]), rock);

    EXPECT_EQ(Error("LoadRenderObject('rock.rdf')"),
              "test:1: bad argument #2 to 'LoadRenderObject' (number expected, got no value)");
    ServiceOverride<GetRenderObjectLoader, SetRenderObjectLoader> noRenderObjectLoader(nullptr);
    ASSERT_TRUE(Run("none = LoadRenderObject('rock.rdf', 0)"));
    EXPECT_EQ(GlobalPointer("none"), nullptr);
}

TEST_F(RenderScriptTest, SetFadeReachesTheRenderer)
{
    ASSERT_TRUE(Run("SetFade(0.25)"));
    EXPECT_FLOAT_EQ(render.GetFade(), 0.25f * static_cast<float>(render.GetFadeMaximum()));
    ServiceOverride<GetRender, SetRender> noRender(nullptr);
    EXPECT_TRUE(Run("SetFade(0.5)"));
}

TEST_F(ScriptTest, PlayMusicPlaysTheTrackLooping)
{
    ScratchFolder folder;
    folder.UseAsDataRoot();
    CPMusic music;
    ServiceOverride<GetMusicPlayer, SetMusicPlayer> installedMusicPlayer(&music);
    ASSERT_TRUE(Run("PlayMusic('theme.mp3')"));
    EXPECT_EQ(music.GetName(), "theme.mp3");
    EXPECT_TRUE(music.IsLooping());
    ServiceOverride<GetMusicPlayer, SetMusicPlayer> noMusicPlayer(nullptr);
    EXPECT_TRUE(Run("PlayMusic('theme.mp3')"));
}

TEST_F(RenderScriptTest, DrawDynamicObjectPutsTheVisibleTreeIntoTheFramesList)
{
    folder.Write("Data/Meshes/rock.msh", meshbytes::PlainFile({Triangle("Rock")}));
    folder.Write("Data/Meshes/rock.rdf", "mesh = rock.msh\n");
    ASSERT_TRUE(
        Run("rock = LoadRenderObject('rock.rdf', 0); DrawDynamicObject(rock); DrawDynamicObject(nil)"))
        << log.Text();
    // No scene list yet: nothing to add to.
    CPRenderList list(&render);
    render.SetSceneObject(CPObjectPtr(&list));
    ASSERT_TRUE(Run("DrawDynamicObject(rock)"));
    ASSERT_EQ(list.GetFrameBatches().size(), 1u) << log.Text();
    EXPECT_EQ(list.GetFrameBatches()[0]->GetRenderables().size(), 1u);
    list.ClearFrame();
    ASSERT_TRUE(Run("SetVisible(rock, false); DrawDynamicObject(rock)"));
    EXPECT_TRUE(list.GetFrameBatches().empty());
    render.SetSceneObject(CPObjectPtr());
}

// Several objects in one call are each drawn, whatever lies between them
// (nil, a number, a hidden tree), as the race draws its lying bonuses.
TEST_F(RenderScriptTest, DrawDynamicObjectDrawsEveryObjectGiven)
{
    folder.Write("Data/Meshes/rock.msh", meshbytes::PlainFile({Triangle("Rock")}));
    folder.Write("Data/Meshes/rock.rdf", "mesh = rock.msh\n");
    ASSERT_TRUE(Run("a = LoadRenderObject('rock.rdf', 0); b = LoadRenderObject('rock.rdf', 0);"
                    "c = LoadRenderObject('rock.rdf', 0); SetVisible(c, false)"))
        << log.Text();
    CPRenderList list(&render);
    render.SetSceneObject(CPObjectPtr(&list));
    const auto drawn = [&list] {
        std::size_t count = 0;
        for (const auto& batch : list.GetFrameBatches())
            count += batch->GetRenderables().size();
        return count;
    };
    const struct {
        const char* call;
        std::size_t drawn;
    } cases[] = {
        {"DrawDynamicObject()", 0},
        {"DrawDynamicObject(a, b)", 2},
        {"DrawDynamicObject(nil, a, 5, c, b)", 2},
        {"DrawDynamicObject(a, nil)", 1},
    };
    for (const auto& c : cases) {
        list.ClearFrame();
        ASSERT_TRUE(Run(c.call)) << c.call << log.Text();
        EXPECT_EQ(drawn(), c.drawn) << c.call;
    }
    list.ClearFrame();
    render.SetSceneObject(CPObjectPtr());
}
