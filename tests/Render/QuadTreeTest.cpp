#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Render/IVBlock.h"
#include "Render/PRender.h"
#include "Render/PerspectiveCamera.h"
#include "Render/QuadTreeNode.h"
#include "Render/RenderList.h"
#include "Render/RenderSettings.h"
#include "SceneObjects.h"
#include "core/GameSettings.h"
#include "support/MathExpect.h"
#include "support/ScratchFolder.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "core/ServiceOverride.h"

using namespace platform;

namespace {

class QuadTree : public ::testing::Test {
  protected:
    QuadTree()
    {
        GetGameSettings().screenWidth = 640;
        GetGameSettings().screenHeight = 480;
        GetGameSettings().quadTree = 1;
        GetRenderSettings().viewDistance = 200;
        render.SetSceneObject(&list);
        material = scene.Material();
    }
    ~QuadTree() override
    {
        render.SetSceneObject(CPObjectPtr());
        GetGameSettings().quadTree = 0;
        GetRenderSettings().viewDistance = 200;
    }

    // A mesh object with a box of half size 1 around its position.
    CPGameObject* Placed(const std::string& name, const Vector3& position, CPGameObject* parent = nullptr)
    {
        CPGameObject* object = scene.Mesh(name, material, 3, {0, 1, 2}, parent);
        object->SetShadow(false);
        object->SetBoundingBox(CPBoundingBox({0.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 1.0f}));
        object->SetPosition(position);
        object->UpdateBounds();
        return object;
    }

    // The names of the objects the render list took this frame.
    std::vector<std::string> Drawn() const
    {
        std::vector<std::string> names;
        if (const CPIVBlock* batch = list.FindBatch(material))
            for (const CPObjectPtr& renderable : batch->GetRenderables())
                names.push_back(renderable.As<CPRenderObject>()->GetOwner()->GetName());
        return names;
    }

    LogCapture log;
    HeadlessGraphicsDevice device;
    CPRender render{&device};
    ServiceOverride<GetRender, SetRender> m_installed{&render};
    SceneObjects scene;
    CPRenderList list{&render, 1, 16, 24};
    CPMaterial* material = nullptr;
};

// The default camera: at the origin looking along +x, 70 degrees, 1 to 1000.
void LookAlongX(CPPerspectiveCamera& camera)
{
    camera.FieldOfView() = 1.2217305f;
    camera.NearPlane() = 1.0f;
    camera.FarPlane() = 1000.0f;
    camera.Eye() = {0.0f, 0.0f, 0.0f};
    camera.Target() = {1.0f, 0.0f, 0.0f};
    camera.Up() = {0.0f, 0.0f, 1.0f};
    camera.SetViewChanged();
    camera.SetProjectionChanged();
    camera.Update();
}

} // namespace

TEST_F(QuadTree, LeavesTakeTheBoxOfTheirObjectsOrKeepTheirCell)
{
    CPQuadTreeNode root;
    root.SetBounds({0.0f, 0.0f, 0.0f}, {10.0f, 10.0f, 100.0f});
    root.Build({Placed("sw", {-5.0f, -5.0f, 0.0f}), Placed("ne", {5.0f, 5.0f, 2.0f}),
                Placed("ne2", {7.0f, 6.0f, 0.0f})},
               0);

    ASSERT_FALSE(root.IsLeaf());
    const CPQuadTreeNode* sw = root.GetChild(0);
    const CPQuadTreeNode* ne = root.GetChild(1);
    ASSERT_TRUE(sw->IsLeaf());
    EXPECT_EQ(sw->GetTreeObjects().size(), 1u);
    EXPECT_TRUE(Near(sw->GetBounds()->minimum, {-6.0f, -6.0f, -1.0f}));
    EXPECT_TRUE(Near(sw->GetBounds()->maximum, {-4.0f, -4.0f, 1.0f}));
    EXPECT_EQ(ne->GetTreeObjects().size(), 2u);
    EXPECT_TRUE(Near(ne->GetBounds()->minimum, {4.0f, 4.0f, -1.0f}));
    EXPECT_TRUE(Near(ne->GetBounds()->maximum, {8.0f, 7.0f, 3.0f}));
    EXPECT_TRUE(Near(ne->GetBounds()->centre, {6.0f, 5.5f, 1.0f}));
    EXPECT_TRUE(Near(ne->GetBounds()->halfSize, {2.0f, 1.5f, 2.0f}));
    // The empty quarters keep their cells: (+x, -y) and (-x, +y).
    EXPECT_TRUE(Near(root.GetChild(2)->GetBounds()->centre, {5.0f, -5.0f, 0.0f}));
    EXPECT_TRUE(Near(root.GetChild(3)->GetBounds()->centre, {-5.0f, 5.0f, 0.0f}));
    EXPECT_TRUE(Near(root.GetChild(3)->GetBounds()->halfSize, {5.0f, 5.0f, 100.0f}));
    // The root is the union of its quarters.
    EXPECT_TRUE(Near(root.GetBounds()->minimum, {-10.0f, -10.0f, -100.0f}));
    EXPECT_TRUE(Near(root.GetBounds()->maximum, {10.0f, 10.0f, 100.0f}));
}

TEST_F(QuadTree, EveryObjectLandsInTheQuarterOfItsPosition)
{
    struct Case {
        const char* what;
        Vector3 position;
        int child;
    };
    const Case cases[] = {
        {"(-x, -y)", {-5.0f, -5.0f, 0.0f}, 0},         {"(+x, +y)", {5.0f, 5.0f, 0.0f}, 1},
        {"(+x, -y)", {5.0f, -5.0f, 0.0f}, 2},          {"(-x, +y)", {-5.0f, 5.0f, 0.0f}, 3},
        {"on the line x = 0", {0.0f, -5.0f, 0.0f}, 2}, {"on the line y = 0", {-5.0f, 0.0f, 0.0f}, 3},
        {"on the centre", {0.0f, 0.0f, 0.0f}, 1},      {"beyond the ground", {-30.0f, 5.0f, 0.0f}, 3},
        {"above the node", {5.0f, -5.0f, 150.0f}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CPQuadTreeNode root;
        root.SetBounds({0.0f, 0.0f, 0.0f}, {10.0f, 10.0f, 100.0f});
        CPGameObject* object = Placed(c.what, c.position);
        root.Build({object}, 0);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(root.GetChild(i)->GetTreeObjects().size(), i == c.child ? 1u : 0u) << "child " << i;
    }
}

TEST_F(QuadTree, TheDepthSettingShapesTheTree)
{
    const std::vector<CPObjectPtr> objects = {Placed("a", {-5.0f, -5.0f, 0.0f}),
                                              Placed("b", {5.0f, 5.0f, 0.0f})};
    GetGameSettings().quadTree = 0;
    EXPECT_EQ(CPQuadTreeNode::MakeRoot(objects, 20.0f, 10.0f), nullptr);

    GetGameSettings().quadTree = 2;
    auto root = CPQuadTreeNode::MakeRoot(objects, 20.0f, 10.0f);
    ASSERT_NE(root, nullptr);
    // The larger extent gives the cells: 20 wide, four levels of 5.
    const CPQuadTreeNode* leaf = root->GetChild(2)->GetChild(3);
    ASSERT_TRUE(leaf->IsLeaf());
    EXPECT_TRUE(Near(leaf->GetBounds()->centre, {2.5f, -2.5f, 0.0f}));
    EXPECT_TRUE(Near(leaf->GetBounds()->halfSize, {2.5f, 2.5f, 100.0f}));
    EXPECT_EQ(root->GetChild(1)->GetChild(1)->GetTreeObjects().size(), 1u);

    // A negative depth makes the root a leaf; one past the limit is cut.
    GetGameSettings().quadTree = -1;
    root = CPQuadTreeNode::MakeRoot(objects, 20.0f, 10.0f);
    EXPECT_TRUE(root->IsLeaf());
    EXPECT_EQ(root->GetTreeObjects().size(), 2u);
    GetGameSettings().quadTree = CPQuadTreeNode::kDepthLimit + 1;
    root = CPQuadTreeNode::MakeRoot({}, 20.0f, 10.0f);
    int depth = 0;
    for (const CPQuadTreeNode* node = root.get(); !node->IsLeaf(); node = node->GetChild(0))
        ++depth;
    EXPECT_EQ(depth, CPQuadTreeNode::kDepthLimit);
    EXPECT_TRUE(log.Contains("is cut to 8"));
}

TEST_F(QuadTree, TheWalkHandsOverVisibleLeavesStrictlyWithinTheViewDistance)
{
    struct Case {
        std::int32_t viewDistance;
        std::vector<std::string> drawn;
        std::int32_t handedOver;
    };
    // The rim object's leaf centre lies exactly 200 from the eye.
    const Case cases[] = {{200, {"ahead", "ahead's child"}, 1}, {201, {"ahead", "ahead's child", "rim"}, 2}};
    CPGameObject* ahead = Placed("ahead", {50.0f, 10.0f, 0.0f});
    Placed("ahead's child", {50.0f, 10.0f, 0.0f}, ahead);
    ahead->UpdateBounds();
    CPQuadTreeNode root;
    root.SetBounds({0.0f, 0.0f, 0.0f}, {300.0f, 300.0f, 100.0f});
    root.Build({ahead, Placed("behind", {-50.0f, -10.0f, 0.0f}), Placed("rim", {160.0f, -120.0f, 0.0f})}, 0);
    CPPerspectiveCamera camera;
    LookAlongX(camera);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.viewDistance);
        GetRenderSettings().viewDistance = c.viewDistance;
        render.SetHandedOverCount(0);
        root.Walk(camera);
        EXPECT_EQ(Drawn(), c.drawn);
        EXPECT_EQ(render.GetHandedOverCount(), c.handedOver);
        list.ClearFrame();
    }
}

TEST_F(QuadTree, SingleObjectsGoWithoutChildrenAndOnlyBesideTreeObjects)
{
    CPPerspectiveCamera camera;
    LookAlongX(camera);
    CPGameObject* lamp = Placed("lamp", {20.0f, 0.0f, 0.0f});
    Placed("lamp's child", {20.0f, 0.0f, 0.0f}, lamp);

    CPQuadTreeNode alone;
    alone.SetBounds({20.0f, 0.0f, 0.0f}, {5.0f, 5.0f, 5.0f});
    alone.AddSingleObject(lamp);
    alone.Walk(camera);
    EXPECT_TRUE(Drawn().empty());
    EXPECT_EQ(render.GetHandedOverCount(), 0);

    CPQuadTreeNode both;
    both.SetBounds({20.0f, 0.0f, 0.0f}, {5.0f, 5.0f, 5.0f});
    both.AddObject(Placed("house", {21.0f, 0.0f, 0.0f}));
    both.AddSingleObject(lamp);
    both.Walk(camera);
    EXPECT_EQ(Drawn(), (std::vector<std::string>{"house", "lamp"}));
    EXPECT_EQ(render.GetHandedOverCount(), 2);
}

TEST_F(QuadTree, NodesRefuseWhatTheyCannotHold)
{
    CPQuadTreeNode root;
    EXPECT_FALSE(root.SetChild(4, new CPQuadTreeNode()));
    EXPECT_TRUE(root.SetChild(0, new CPQuadTreeNode()));
    EXPECT_TRUE(root.SetChild(0, new CPQuadTreeNode())); // the first one is deleted

    // Entries that are no game objects stay out; a node without bounds
    // keeps its objects itself.
    CPQuadTreeNode loose;
    loose.Build({CPObjectPtr(), material, Placed("kept", {1.0f, 1.0f, 0.0f})}, 0);
    EXPECT_TRUE(loose.IsLeaf());
    EXPECT_EQ(loose.GetTreeObjects().size(), 1u);
    EXPECT_TRUE(log.Contains("2 entries are no game objects"));
    EXPECT_TRUE(log.Contains("no child index 4"));

    // Without a render list the walk hands nothing over.
    render.SetSceneObject(CPObjectPtr());
    CPPerspectiveCamera camera;
    LookAlongX(camera);
    CPQuadTreeNode leaf;
    leaf.SetBounds({20.0f, 0.0f, 0.0f}, {5.0f, 5.0f, 5.0f});
    leaf.AddObject(Placed("house", {20.0f, 0.0f, 0.0f}));
    leaf.Walk(camera);
    EXPECT_EQ(render.GetHandedOverCount(), 0);
}
