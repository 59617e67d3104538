// Runs the mesh builder built beside the tests and loads what it wrote.
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "support/ToolPath.h"

#include "LoaderWorld.h"
#include "Render/AnimatedObject.h"
#include "Render/Animation.h"
#include "Render/RenderObject.h"

namespace fs = std::filesystem;

namespace {

std::string BuilderPath() { return ToolPath("rsmesh"); }

// Builds MESH and SCENE in the world's mesh folder from the description;
// the builder's exit status.
int Build(LoaderWorld& world, const std::string& description, const std::string& mesh,
          const std::string& scene)
{
    world.File("description.txt", description);
    const std::string folder = world.files.folder.Path("Data/Meshes/");
    const std::string command = "\"" + BuilderPath() + "\" \"" + world.files.folder.Path("description.txt") +
                                "\" \"" + folder + mesh + "\" \"" + folder + scene + "\" > \"" +
                                world.files.folder.Path("out.txt") + "\" 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(MeshTool, PlainMeshAndSceneLoadBack)
{
    if (BuilderPath().empty())
        GTEST_SKIP() << "rsmesh is not built";
    LoaderWorld world;
    world.Mesh("placeholder", ""); // makes the folder
    ASSERT_EQ(Build(world,
                    "layout plain\n"
                    "node Car   # the body\n"
                    "  vertex 0 0 0\n  vertex 1 0 0 0 0 1 0.5 0.25\n  vertex 0 1 0\n"
                    "  triangle 0 1 2\n"
                    "  box 1 2 3 4 5 6\n"
                    "  node wheel\n  end\n"
                    "end\n"
                    "scene\n"
                    "[wheel]\n"
                    "visible = 0\n",
                    "car.msh", "car.rdf"),
              0)
        << world.files.folder.Read("out.txt");

    CPGameObject* car = world.Load("car.rdf");
    ASSERT_NE(car, nullptr);
    EXPECT_EQ(car->GetName(), "car");
    auto* mesh = car->GetRenderObject().As<CPRenderObject>();
    ASSERT_EQ(mesh->GetVertices().size(), 3u);
    EXPECT_FLOAT_EQ(mesh->GetVertices()[1].uv1.x, 0.5f);
    EXPECT_EQ(mesh->GetIndices(), (std::vector<std::uint16_t>{0, 1, 2}));
    ASSERT_EQ(car->GetPartBoxes().size(), 1u);
    EXPECT_FLOAT_EQ(car->GetPartBoxes()[0].halfExtents.z, 6.0f);
    ASSERT_EQ(ChildNames(car), std::vector<std::string>{"wheel"});
    EXPECT_FALSE(Child(car, 0)->IsVisible());
}

TEST(MeshTool, AnimatedMeshLoadsItsFrames)
{
    if (BuilderPath().empty())
        GTEST_SKIP() << "rsmesh is not built";
    LoaderWorld world;
    world.Mesh("placeholder", "");
    ASSERT_EQ(Build(world,
                    "layout animated\n"
                    "node flag\n  rate 480\n  ownpart 2 4 6 1\n"
                    "  frame\n  vertex 0 0 0\n  vertex 1 0 0\n  vertex 0 1 0\n  triangle 0 1 2\n"
                    "  frame\n  vertex 0 0 1\n  vertex 1 0 1\n  vertex 0 1 1\n  triangle 0 2 1\n"
                    "end\n",
                    "flag.an", "unused.rdf"),
              0)
        << world.files.folder.Read("out.txt");
    world.Scene("flag.rdf", "mesh = x\ndescription = anim;wave,flag.an\n");

    CPGameObject* flag = world.Load("flag.rdf");
    ASSERT_NE(flag, nullptr);
    auto* wave = flag->GetRenderObject().As<CPAnimatedObject>()->GetAnimations().at("wave").As<CPAnimation>();
    EXPECT_EQ(wave->GetFrameCount(), 2);
    EXPECT_FLOAT_EQ(wave->GetFrameTime(), 0.2f);
    EXPECT_EQ(wave->GetFrames()[1].indices, (std::vector<std::uint16_t>{0, 2, 1}));
    EXPECT_FLOAT_EQ(flag->GetBoundingBox().halfExtents.y, 3.0f);
}

TEST(MeshTool, BadDescriptionsAreRefusedWithTheLine)
{
    if (BuilderPath().empty())
        GTEST_SKIP() << "rsmesh is not built";
    LoaderWorld world;
    world.Mesh("placeholder", "");
    EXPECT_EQ(Build(world, "node a\n vertex 0 0 0\n triangle 0 1 2\nend\n", "a.msh", "a.rdf"), 1);
    EXPECT_NE(world.files.folder.Read("out.txt").find("line 3: index 1 names no vertex"), std::string::npos);
    EXPECT_EQ(Build(world, "node a\n", "a.msh", "a.rdf"), 1);
    EXPECT_EQ(Build(world, "layout round\n", "a.msh", "a.rdf"), 1);
}
