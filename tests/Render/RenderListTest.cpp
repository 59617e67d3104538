#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Render/AnimatedObject.h"
#include "Render/IVBlock.h"
#include "Render/PRender.h"
#include "Render/RenderList.h"
#include "Render/RenderObject.h"
#include "Render/Sprite.h"
#include "SceneObjects.h"
#include "support/GameObjectFakes.h"
#include "support/ScratchFolder.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "core/ServiceOverride.h"

using namespace platform;

namespace {

class RenderListTest : public ::testing::Test {
  protected:
    // The names of the game objects whose render objects a batch lists.
    static std::vector<std::string> Owners(const CPIVBlock& batch)
    {
        std::vector<std::string> names;
        for (const CPObjectPtr& renderable : batch.GetRenderables())
            names.push_back(renderable.As<CPRenderObject>()->GetOwner()->GetName());
        return names;
    }

    LogCapture log;
    HeadlessGraphicsDevice device;
    CPRender render{&device};
    ServiceOverride<GetRender, SetRender> m_installed{&render};
    SceneObjects scene;
    CPRenderList list{&render, 2, 64, 96};
};

} // namespace

TEST_F(RenderListTest, ObjectsOfOneMaterialShareABatchThatLastsFromFrameToFrame)
{
    CPMaterial* stone = scene.Material();
    CPMaterial* glass = scene.Material();
    CPGameObject* a = scene.Mesh("a", stone, 3, {0, 1, 2});
    CPGameObject* b = scene.Mesh("b", glass, 4, {0, 1, 2, 0, 2, 3});
    CPGameObject* c = scene.Mesh("c", stone, 4, {0, 1, 2, 0, 2, 3});

    list.AddObject(a);
    list.AddObject(b);
    list.AddObject(c);
    ASSERT_EQ(list.GetFrameBatches().size(), 2u);
    CPIVBlock* stoneBatch = list.GetFrameBatches()[0];
    EXPECT_EQ(stoneBatch, list.FindBatch(stone));
    EXPECT_EQ(list.GetFrameBatches()[1], list.FindBatch(glass));
    EXPECT_EQ(Owners(*stoneBatch), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(stoneBatch->GetVertexCount(), 7);
    EXPECT_EQ(stoneBatch->GetIndexCount(), 9);
    EXPECT_EQ(stoneBatch->GetMaterial().Get(), stone);
    EXPECT_EQ(stoneBatch->GetBuffer(), &list.GetDynamicBuffer());
    EXPECT_EQ(stoneBatch->GetTypeName(), "CPIVBlock");

    list.ClearFrame();
    EXPECT_TRUE(list.GetFrameBatches().empty());
    EXPECT_TRUE(stoneBatch->GetRenderables().empty());
    EXPECT_EQ(stoneBatch->GetVertexCount(), 0);

    // The next frame finds the same batch, in the order of this frame.
    list.AddObject(c);
    list.AddObject(b);
    EXPECT_EQ(list.GetFrameBatches(), (std::vector<CPIVBlock*>{stoneBatch, list.FindBatch(glass)}));
    EXPECT_EQ(Owners(*stoneBatch), std::vector<std::string>{"c"});
    EXPECT_EQ(list.GetBatchCount(), 2u);
}

TEST_F(RenderListTest, SpritesAndAnimatedObjectsJoinTheBatchOfTheirMaterial)
{
    CPMaterial* glow = scene.Material();
    auto* sprite = new CPSprite(1.0f);
    sprite->SetMaterial(glow);
    auto* animated = new CPAnimatedObject();
    animated->SetMaterial(glow);
    CPGameObject* lamp = scene.Object("lamp", CPGameObject::kSprite, sprite);
    sprite->SetOwner(lamp);
    CPGameObject* flag = scene.Object("flag", CPGameObject::kAnimatedObject, animated);
    animated->SetOwner(flag);

    list.AddObject(lamp);
    list.AddObject(flag);
    ASSERT_EQ(list.GetFrameBatches().size(), 1u);
    const auto& renderables = list.FindBatch(glow)->GetRenderables();
    ASSERT_EQ(renderables.size(), 2u);
    EXPECT_EQ(renderables[0].Get(), sprite);
    EXPECT_EQ(renderables[1].Get(), animated);
}

TEST_F(RenderListTest, ADisabledRenderObjectIsListedWithoutCounts)
{
    CPMaterial* stone = scene.Material();
    CPGameObject* shown = scene.Mesh("shown", stone);
    CPGameObject* off = scene.Mesh("off", stone, 4, {0, 1, 2, 0, 2, 3});
    SceneObjects::MeshOf(off)->SetDisabled(true);
    list.AddObject(shown);
    list.AddObject(off);
    CPIVBlock* batch = list.FindBatch(stone);
    EXPECT_EQ(Owners(*batch), (std::vector<std::string>{"shown", "off"}));
    EXPECT_EQ(batch->GetVertexCount(), 3);
    EXPECT_EQ(batch->GetIndexCount(), 3);
}

TEST_F(RenderListTest, TreesAreVisitedByVisibilityKindAndTag)
{
    CPMaterial* stone = scene.Material();
    // root (empty) -> mesh, hidden -> hidden child, particles (kind 4) -> under particles
    CPGameObject* root = scene.Object("root", CPGameObject::kNoRenderObject, nullptr);
    scene.Mesh("mesh", stone, 3, {0, 1, 2}, root);
    CPGameObject* hidden = scene.Mesh("hidden", stone, 3, {0, 1, 2}, root);
    hidden->SetVisible(false);
    scene.Mesh("hidden child", stone, 3, {0, 1, 2}, hidden);
    CPGameObject* particles =
        scene.Object("particles", CPGameObject::kTaskObject, new FakePartAnimation(), root);
    CPGameObject* under = scene.Mesh("under particles", stone, 3, {0, 1, 2}, particles);

    list.AddObjectTree(root);
    EXPECT_EQ(Owners(*list.FindBatch(stone)), (std::vector<std::string>{"mesh", "under particles"}));

    // With the tagged-only switch an untagged parent hides a tagged child.
    list.ClearFrame();
    list.SetTaggedOnly(true);
    particles->SetTag(0);
    under->SetTag(1);
    list.AddObjectTree(root);
    EXPECT_EQ(Owners(*list.FindBatch(stone)), std::vector<std::string>{"mesh"});
}

TEST_F(RenderListTest, VisibleLightsFillTheLightTableUpToThirty)
{
    CPGameObject* root = scene.Object("root", CPGameObject::kNoRenderObject, nullptr);
    for (int i = 0; i < 31; ++i)
        scene.LightObject("lamp" + std::to_string(i), static_cast<float>(i), root);
    scene.LightObject("dark", 99.0f, root)->SetVisible(false);
    root->SetPosition({5.0f, 6.0f, 7.0f});
    root->UpdateBounds();

    list.AddObjectTree(root);
    EXPECT_EQ(render.GetLightCount(), 30);
    EXPECT_TRUE(list.GetFrameBatches().empty());
    // The records reach the device in order with their owners' positions;
    // the 31st light and the hidden one are dropped.
    render.ApplyLights();
    Light applied;
    ASSERT_EQ(device.GetLight(29, &applied), S_OK);
    EXPECT_EQ(applied.range, 29.0f);
    EXPECT_EQ(applied.position.x, 5.0f);
    EXPECT_EQ(applied.position.z, 7.0f);
}

// A shot holds its model as a child under a render object of its own that
// has neither geometry nor material: the model is drawn, and the empty
// holder is no fault to report.
TEST_F(RenderListTest, AnEmptyHolderIsPassedOverQuietlyAndItsChildDrawn)
{
    CPMaterial* flash = scene.Material();
    CPGameObject* holder = scene.Mesh("holder", nullptr, 0, {});
    scene.Mesh("tracer", flash, 3, {0, 1, 2}, holder);
    list.AddObjectTree(holder);
    ASSERT_NE(list.FindBatch(flash), nullptr);
    EXPECT_EQ(Owners(*list.FindBatch(flash)), std::vector<std::string>{"tracer"});
    EXPECT_EQ(list.GetBatchCount(), 1u);
    EXPECT_FALSE(log.Contains("not drawn")) << log.Text();
}

TEST_F(RenderListTest, ObjectsThatCannotBeBatchedAreLeftOutAndReportedOnce)
{
    CPGameObject* bare = scene.Mesh("bare", nullptr);
    CPGameObject* hollow = scene.Object("hollow", CPGameObject::kSprite, nullptr);
    for (int frame = 0; frame < 2; ++frame) {
        list.AddObject(bare);
        list.AddObject(hollow);
        list.AddObject(CPObjectPtr());
        list.AddObjectTree(CPObjectPtr());
    }
    EXPECT_TRUE(list.GetFrameBatches().empty());
    EXPECT_EQ(list.GetBatchCount(), 0u);
    const std::string text = log.Text();
    EXPECT_EQ(text.find("has no material"), text.rfind("has no material"));
    EXPECT_NE(text.find("has no material"), std::string::npos);
    EXPECT_NE(text.find("CPGameObject - hollow of render kind 3 has no renderable"), std::string::npos);
}

TEST_F(RenderListTest, DynamicTreesWriteVisibleTaggedMeshesAndTheirLevelsOfDetail)
{
    CPMaterial* stone = scene.Material();
    CPGameObject* root = scene.Mesh("root", stone, 3, {0, 1, 2});
    CPGameObject* untagged = scene.Mesh("untagged", stone, 3, {0, 1, 2}, root);
    untagged->SetTag(0);
    CPGameObject* below = scene.Mesh("below untagged", stone, 3, {0, 1, 2}, untagged);
    CPGameObject* hidden = scene.Mesh("hidden", stone, 3, {0, 1, 2}, root);
    hidden->SetVisible(false);
    CPGameObject* belowHidden = scene.Mesh("below hidden", stone, 3, {0, 1, 2}, hidden);
    CPGameObject* sprite = scene.Object("sprite", CPGameObject::kSprite, new CPSprite(1.0f), root);
    static_cast<CPSprite*>(sprite->GetRenderObject().Get())->SetMaterial(stone);
    CPGameObject* far = scene.Mesh("far", stone, 4, {0, 1, 2, 0, 2, 3});
    scene.Unroot(far);
    root->AddLod(root, 0);
    root->AddLod(far, 100);
    root->AddLod(CPObjectPtr(), 200);

    ASSERT_TRUE(list.LockDynamicBuffer());
    list.AddDynamicTree(root);
    list.UnlockDynamicBuffer();

    CPIVertexBuffer& buffer = list.GetDynamicBuffer();
    EXPECT_EQ(buffer.FindWritten(SceneObjects::MeshOf(root)), 0);
    EXPECT_EQ(buffer.FindWritten(SceneObjects::MeshOf(untagged)), -1);
    EXPECT_EQ(buffer.FindWritten(SceneObjects::MeshOf(below)), 3); // untagged parents still lead on
    EXPECT_EQ(buffer.FindWritten(SceneObjects::MeshOf(hidden)), -1);
    EXPECT_EQ(buffer.FindWritten(SceneObjects::MeshOf(belowHidden)), -1);
    EXPECT_EQ(buffer.FindWritten(SceneObjects::MeshOf(far)), 6);
    EXPECT_EQ(buffer.GetWrittenCount(), 3u);
    EXPECT_EQ(buffer.GetVerticesWritten(), 10);
    // Nothing of it joins the frame's batches.
    EXPECT_TRUE(list.GetFrameBatches().empty());
}

// The list and the batches tell a mesh render object from the other
// renderables by its own mark: for every kind, and for a mesh copied onto
// another owner, the mark must answer what a cast answers.
TEST_F(RenderListTest, TheMeshMarkAnswersAsACastWouldForEveryRenderable)
{
    CPMaterial* stone = scene.Material();
    CPGameObject* mesh = scene.Mesh("mesh", stone);
    CPGameObject* other = scene.Object("other", CPGameObject::kNoRenderObject, nullptr);
    CPObjectPtr copied = SceneObjects::MeshOf(mesh)->CopyFor(other);
    auto* sprite = new CPSprite(1.0f);
    auto* animated = new CPAnimatedObject();
    scene.Object("lamp", CPGameObject::kSprite, sprite);
    scene.Object("flag", CPGameObject::kAnimatedObject, animated);

    const CPRenderable* renderables[] = {SceneObjects::MeshOf(mesh), copied.As<CPRenderable>(), sprite,
                                         animated};
    for (const CPRenderable* renderable : renderables) {
        ASSERT_NE(renderable, nullptr);
        EXPECT_EQ(AsRenderObject(renderable), dynamic_cast<const CPRenderObject*>(renderable))
            << renderable->GetTypeName();
        EXPECT_EQ(renderable->IsMeshObject(), dynamic_cast<const CPRenderObject*>(renderable) != nullptr)
            << renderable->GetTypeName();
    }
    EXPECT_EQ(AsRenderObject(static_cast<const CPRenderable*>(nullptr)), nullptr);

    // No owner deletes the copy.
    CPRenderObject* copy = copied.As<CPRenderObject>();
    copied = CPObjectPtr();
    delete copy;
}
