// The frame draws the static scenery: meshes the render descriptions
// registered, listed by a scene walk or found by the renderer itself, with
// their material and placement, through the scene camera; its lights and
// its sky follow the frame.
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/ToolPath.h"

#include "LoaderWorld.h"
#include "Render/PerspectiveCamera.h"
#include "Render/RenderList.h"
#include "Render/RenderObject.h"
#include "RenderTestFiles.h"
#include "SceneObjects.h"
#include "core/GameSettings.h"
#include "platform/Math.h"
#include "platform/HeadlessGraphicsDevice.h"

using namespace platform;

namespace {

// The frame's indexed draws.
std::vector<DrawRecord> IndexedDraws(const HeadlessGraphicsDevice& device)
{
    std::vector<DrawRecord> draws;
    for (const DrawRecord& draw : device.GetLastFrameDraws())
        if (draw.kind == DrawRecord::Kind::IndexedPrimitive)
            draws.push_back(draw);
    return draws;
}

// The matrices sent for one transform while the device logged its calls.
std::vector<Matrix4> SentTransforms(const HeadlessGraphicsDevice& device, TransformState state)
{
    std::vector<Matrix4> sent;
    for (const DeviceCall& call : device.GetCallLog())
        if (call.kind == DeviceCall::Kind::Transform && call.state == static_cast<std::uint32_t>(state))
            sent.push_back(call.matrix);
    return sent;
}

bool SameMatrix(const Matrix4& a, const Matrix4& b)
{
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            if (a.m[row][column] != b.m[row][column])
                return false;
    return true;
}

bool WasSent(const std::vector<Matrix4>& sent, const Matrix4& matrix)
{
    for (const Matrix4& each : sent)
        if (SameMatrix(each, matrix))
            return true;
    return false;
}

// A renderer with a scene list and the default camera (at the origin,
// looking along +x), and hand-made scenery.
class StaticDraw : public ::testing::Test {
  protected:
    StaticDraw()
    {
        GetGameSettings().screenWidth = 640;
        GetGameSettings().screenHeight = 480;
        world.render.InitDeviceState();
        world.render.SetSceneObject(&list);
        camera = world.render.SetDefaultCamera();
    }
    ~StaticDraw() override { world.render.SetSceneObject(CPObjectPtr()); }

    // A square of side 1 in the y-z plane, registered under the name as a
    // static mesh and placed at the point, as a render description leaves
    // a part without vertex effects.
    CPGameObject* Scenery(const std::string& name, CPMaterial* material, const Vector3& at,
                          CPGameObject* parent = nullptr)
    {
        CPGameObject* object = scene.Mesh(name, material, 4, {0, 1, 2, 0, 2, 3}, parent);
        auto* mesh = object->GetRenderObject().As<CPRenderObject>();
        auto& vertices = mesh->GetVertices();
        vertices[0].position = {0, 0, 0};
        vertices[1].position = {0, 1, 0};
        vertices[2].position = {0, 1, 1};
        vertices[3].position = {0, 0, 1};
        mesh->SetStaticMesh(
            world.render.RegisterStaticMesh(name, vertices.data(), mesh->GetIndices().data(), 4, 6));
        mesh->SetDisabled(true);
        mesh->SetTransform(TranslationMatrix(at.x, at.y, at.z));
        return object;
    }

    static const CPStaticMesh* MeshOf(const CPGameObject* object)
    {
        return object->GetRenderObject().As<CPRenderObject>()->GetStaticMesh();
    }

    renderfiles::RenderWorld world;
    SceneObjects scene;
    CPRenderList list{&world.render};
    CPPerspectiveCamera* camera = nullptr;
};

// A sky that keeps what the device held for it, and lights the scene
// itself as the dynamic sky does.
struct WatchingSky : CPRenderSky {
    explicit WatchingSky(HeadlessGraphicsDevice& device) : device(device) {}
    HResult Load(const std::string&) override { return S_OK; }
    HResult Render(float) override
    {
        device.GetTransform(TransformState::View, &view);
        device.GetTransform(TransformState::Projection, &projection);
        Light sun;
        sun.type = LightType::Directional;
        sun.direction = {0, 0, -1};
        GetRender()->AddLight(sun);
        GetRender()->ApplyLights();
        return S_OK;
    }
    HeadlessGraphicsDevice& device;
    Matrix4 view;
    Matrix4 projection;
};

} // namespace

TEST(StaticMeshScene, AOneQuadSceneWithoutVertexEffectsIsDrawnFromItsStaticMesh)
{
    const std::string builder = ToolPath("rsmesh");
    if (builder.empty())
        GTEST_SKIP() << "rsmesh is not built";
    GetGameSettings().screenWidth = 640;
    GetGameSettings().screenHeight = 480;
    LoaderWorld world;
    world.File("quad.txt", "layout plain\n"
                           "node Quad\n"
                           "  vertex 10 -1 -1\n  vertex 10 1 -1\n  vertex 10 1 1\n  vertex 10 -1 1\n"
                           "  triangle 0 1 2\n  triangle 0 2 3\n"
                           "  box 10 0 0 0.1 1 1\n"
                           "end\n"
                           "scene\n"
                           "[quad]\n"
                           "texturefile1 = rock.tga\n");
    world.Mesh("placeholder", "");
    world.files.WriteTexture("rock.tga", renderfiles::Tga(2, 2, 0xFF808080));
    const std::string folder = world.files.folder.Path("Data/Meshes/");
    const std::string command = "\"" + builder + "\" \"" + world.files.folder.Path("quad.txt") + "\" \"" +
                                folder + "quad.msh\" \"" + folder + "quad.rdf\" > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);

    CPRender& render = world.files.render;
    CPRenderList list(&render);
    render.InitDeviceState();
    render.SetSceneObject(&list);
    render.SetDefaultCamera();
    CPGameObject* quad = world.Load("quad.rdf");
    ASSERT_NE(quad, nullptr);
    const CPStaticMesh* mesh = render.FindStaticMesh("quad.mshquad");
    ASSERT_NE(mesh, nullptr);

    // Nothing walks a level here: the renderer finds the mesh itself.
    render.CollectStaticMeshes();
    ASSERT_TRUE(render.RenderFrame(1.0f / 60.0f));
    const std::vector<DrawRecord> draws = IndexedDraws(world.files.device);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].type, PrimitiveType::TriangleList);
    EXPECT_EQ(draws[0].primitiveCount, 2u);
    EXPECT_EQ(draws[0].vertexCount, 4u);
    EXPECT_EQ(draws[0].vertexFormat, 0x2D2u);
    EXPECT_EQ(draws[0].vertexBuffer, mesh->vertexBuffer);
    EXPECT_EQ(draws[0].indexBuffer, mesh->indexBuffer);
    EXPECT_NE(draws[0].texture0, nullptr); // the material's texture

    // Turned away from it, the camera no longer sees it.
    render.SetDefaultCamera()->Target() = {-1, 0, 0};
    render.GetPasses().at(CPRender::kDefaultPass).GetCamera().As<CPPerspectiveCamera>()->SetViewChanged();
    render.CollectStaticMeshes();
    ASSERT_TRUE(render.RenderFrame(1.0f / 60.0f));
    EXPECT_TRUE(IndexedDraws(world.files.device).empty());
    render.SetSceneObject(CPObjectPtr());
}

TEST_F(StaticDraw, AWalkedMeshIsDrawnOnceWhereItsObjectStands)
{
    CPMaterial* rock = scene.Material(0);
    CPGameObject* near = Scenery("near", rock, {10, 0, 0});
    CPGameObject* far = Scenery("far", rock, {20, 0, 0});
    world.device.SetCallLogging(true);

    // The level's walk lists one; the renderer's own search must not
    // list it a second time, and finds the other.
    list.AddObjectTree(near);
    world.render.CollectStaticMeshes();
    ASSERT_TRUE(world.render.RenderFrame(0.0f));

    const std::vector<DrawRecord> draws = IndexedDraws(world.device);
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].vertexBuffer, MeshOf(near)->vertexBuffer);
    EXPECT_EQ(draws[1].vertexBuffer, MeshOf(far)->vertexBuffer);
    const std::vector<Matrix4> worlds = SentTransforms(world.device, TransformState::World);
    EXPECT_TRUE(WasSent(worlds, TranslationMatrix(10, 0, 0)));
    EXPECT_TRUE(WasSent(worlds, TranslationMatrix(20, 0, 0)));
}

TEST_F(StaticDraw, TheRenderersSearchSkipsWhatIsHiddenOrOutOfView)
{
    CPMaterial* rock = scene.Material(0);
    struct Case {
        const char* what;
        Vector3 at;
        bool hideParent;
        bool hideSelf;
        bool drawn;
    };
    const Case cases[] = {
        {"in front", {10, 0, 0}, false, false, true},
        {"behind the eye", {-10, 0, 0}, false, false, false},
        {"beyond the far plane", {1100, 0, 0}, false, false, false},
        {"hidden itself", {10, 0, 0}, false, true, false},
        {"under a hidden parent", {10, 0, 0}, true, false, false},
    };
    for (const Case& c : cases) {
        CPGameObject* parent =
            scene.Object(std::string("group ") + c.what, CPGameObject::kNoRenderObject, nullptr);
        CPGameObject* object = Scenery(c.what, rock, c.at, parent);
        parent->SetVisible(!c.hideParent);
        object->SetVisible(!c.hideSelf);
        world.render.CollectStaticMeshes();
        ASSERT_TRUE(world.render.RenderFrame(0.0f));
        EXPECT_EQ(IndexedDraws(world.device).size(), c.drawn ? 1u : 0u) << c.what;
        object->SetVisible(false); // out of the next cases
    }
}

TEST_F(StaticDraw, HoldersLeaveWithTheirObjectsAndLetGoOfReleasedMeshes)
{
    CPMaterial* rock = scene.Material(0);
    CPGameObject* kept = Scenery("kept", rock, {10, 0, 0});
    {
        SceneObjects passing;
        CPGameObject* gone = passing.Mesh("gone", rock, 3);
        auto* mesh = gone->GetRenderObject().As<CPRenderObject>();
        mesh->SetStaticMesh(const_cast<CPStaticMesh*>(MeshOf(kept))); // an instance of the same mesh
        EXPECT_EQ(world.render.GetStaticMeshHolders().size(), 2u);
    }
    EXPECT_EQ(world.render.GetStaticMeshHolders().size(), 1u);

    // A level that stops releases its meshes before its scene goes.
    world.render.ReleaseStaticMeshes();
    EXPECT_EQ(MeshOf(kept), nullptr);
    EXPECT_TRUE(world.render.GetStaticMeshHolders().empty());
    list.AddObjectTree(kept);
    world.render.CollectStaticMeshes();
    ASSERT_TRUE(world.render.RenderFrame(0.0f));
    EXPECT_TRUE(IndexedDraws(world.device).empty());
}

TEST_F(StaticDraw, LevelObjectsAreSeenThroughTheGameCamerasScenePass)
{
    // A level: the game camera's main camera on the shadow pass 16 with its
    // flattening matrix, the plain pass 17, and the default camera a menu
    // left on pass 19.
    CPPerspectiveCamera game;
    game.FieldOfView() = 1.0f;
    game.NearPlane() = 1.0f;
    game.FarPlane() = 200.0f;
    game.Eye() = {0, -5, 0};
    game.Target() = {10, 0, 0};
    game.Up() = {0, 0, 1};
    game.SetViewChanged();
    game.SetProjectionChanged();
    const Matrix4 flatten = ScalingMatrix(1, 1, 0);
    world.render.SetCamera(16, &game);
    world.render.SetPassMatrix(flatten, 16);
    world.render.SetPassMatrix(IdentityMatrix(), 17);

    CPGameObject* road = Scenery("road", scene.Material(0), {10, 0, 0});
    CPGameObject* sign = Scenery("sign", scene.Material(19), {12, 0, 0});
    CPGameObject* shadow = Scenery("shadow", scene.Material(16), {14, 0, 0});
    for (CPGameObject* object : {road, sign, shadow})
        list.AddObjectTree(object);
    world.device.SetCallLogging(true);
    ASSERT_TRUE(world.render.RenderFrame(0.0f));

    // The shadow first, flattened; the road and the sign in place.
    const std::vector<DrawRecord> draws = IndexedDraws(world.device);
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0].vertexBuffer, MeshOf(shadow)->vertexBuffer);
    EXPECT_EQ(draws[1].vertexBuffer, MeshOf(road)->vertexBuffer);
    EXPECT_EQ(draws[2].vertexBuffer, MeshOf(sign)->vertexBuffer);
    const std::vector<Matrix4> worlds = SentTransforms(world.device, TransformState::World);
    EXPECT_TRUE(WasSent(worlds, TranslationMatrix(14, 0, 0) * flatten));
    EXPECT_TRUE(WasSent(worlds, TranslationMatrix(10, 0, 0)));
    EXPECT_TRUE(WasSent(worlds, TranslationMatrix(12, 0, 0)));
    // No pass looked through the menu's default camera.
    const std::vector<Matrix4> views = SentTransforms(world.device, TransformState::View);
    EXPECT_TRUE(WasSent(views, game.GetView()));
    EXPECT_FALSE(WasSent(views, camera->GetView()));
    world.render.SetCamera(16, CPObjectPtr()); // the camera goes before the renderer
}

TEST_F(StaticDraw, TheFramesLightsReachTheDeviceWithOrWithoutASky)
{
    // No sky: the frame applies the table itself, every frame.
    Light lamp;
    lamp.type = LightType::Directional;
    lamp.direction = {1, 0, 0};
    world.render.AddLight(lamp);
    ASSERT_TRUE(world.render.RenderFrame(0.0f));
    EXPECT_TRUE(world.device.IsLightEnabled(0));
    EXPECT_EQ(world.render.GetMainLight().direction.x, 1.0f);
    EXPECT_EQ(world.render.GetLightCount(), 0);
    ASSERT_TRUE(world.render.RenderFrame(0.0f));
    EXPECT_FALSE(world.device.IsLightEnabled(0));

    // A sky that applies the table with its sun is not undone by the frame.
    world.render.SetSkyFactory([this] { return new WatchingSky(world.device); });
    world.render.LoadSkyscape(1);
    ASSERT_TRUE(world.render.RenderFrame(0.0f));
    EXPECT_TRUE(world.device.IsLightEnabled(0));
    EXPECT_EQ(world.render.GetMainLight().direction.z, -1.0f);

    // A frame the lost device did not draw lets its lights go.
    world.render.AddLight(lamp);
    world.device.LoseDevice();
    EXPECT_FALSE(world.render.RenderFrame(0.0f));
    EXPECT_EQ(world.render.GetLightCount(), 0);
}

TEST_F(StaticDraw, TheSkyIsDrawnThroughThisFramesCamera)
{
    world.render.SetSkyFactory([this] { return new WatchingSky(world.device); });
    world.render.LoadSkyscape(1);
    auto* sky = static_cast<WatchingSky*>(world.render.GetSky());
    ASSERT_TRUE(world.render.RenderFrame(0.0f));

    // The camera turns to +y between frames.
    camera->Target() = {0, 1, 0};
    camera->SetViewChanged();
    ASSERT_TRUE(world.render.RenderFrame(0.0f));
    EXPECT_TRUE(SameMatrix(sky->view, camera->GetOrientationView()));
    EXPECT_TRUE(SameMatrix(sky->projection, camera->GetFarProjection()));
    // Looking along +y, the view turns the world's +y onto the view's +z.
    const Vector3 ahead = TransformNormal({0, 1, 0}, sky->view);
    EXPECT_NEAR(ahead.z, 1.0f, 1e-5f);
}
