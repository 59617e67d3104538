#include <gtest/gtest.h>

#include "LoaderWorld.h"
#include "Render/AnimatedObject.h"
#include "Render/Animation.h"
#include "Render/MeshRecords.h"
#include "Render/RenderObject.h"
#include "physics/PhysicData.h"
#include "core/ServiceOverride.h"

using meshbytes::AnimatedNode;
using meshbytes::Part;
using meshbytes::PhysicsNode;
using meshbytes::PlainNode;

namespace {

const float kHalfRoot2 = 0.70710677f;

PhysicsNode Crate()
{
    PhysicsNode node;
    node.name = "Crate";
    node.position = {10, 20, 30};
    node.rotation = {0, 0, kHalfRoot2, kHalfRoot2};
    node.body = {0, 2, 4, 6, {}, {}, 0, 50};
    node.vertices = {Corner(-1, -2, 0), Corner(3, 2, 1), Corner(1, 0, 5)};
    node.indices = {0, 1, 2};
    Part box{0, 2, 4, 6, {0, 0, 0}, {}, 0, 5};
    Part cylinder{1, 7, 8, 9, {1, 2, 3}, {0, 0, kHalfRoot2, kHalfRoot2}, 0.5f, 5};
    Part other{4, 1, 1, 1, {}, {}, 0, 1};
    node.parts = {box, cylinder, other};
    return node;
}

AnimatedNode Walker(float firstX)
{
    AnimatedNode node;
    node.name = "Body";
    node.frames = {Triangle(firstX), Triangle(firstX + 1)};
    AnimatedNode leg;
    leg.name = "leg";
    leg.frames = {Triangle(firstX + 10)};
    node.children = {leg};
    return node;
}

} // namespace

TEST(MeshFile, PlainNodesTakeTheLoaderColourBoxesAndTheirSections)
{
    LoaderWorld world;
    world.loader.SetVertexColour(0xFF336699);
    PlainNode wheel = TriangleNode("Wheel");
    wheel.boxes = {{{1, 2, 3}, {4, 5, 6}}};
    PlainNode car = TriangleNode("car");
    car.children = {wheel, TriangleNode("seat")};
    world.Mesh("car.msh", meshbytes::PlainFile({car}));
    world.Scene("car.rdf", "mesh = car.msh\n[wheel]\ncollision = 0\n");

    CPGameObject* root = world.Load("car.rdf");
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(ChildNames(root), (std::vector<std::string>{"wheel", "seat"}));
    CPGameObject* wheelObject = Child(root, 0);
    EXPECT_FALSE(wheelObject->IsPickable());
    EXPECT_TRUE(Child(root, 1)->IsPickable());

    auto* mesh = wheelObject->GetRenderObject().As<CPRenderObject>();
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetOwner(), wheelObject);
    ASSERT_EQ(mesh->GetVertices().size(), 3u);
    for (const CPMeshVertex& vertex : mesh->GetVertices())
        EXPECT_EQ(vertex.diffuse, 0xFF336699u);
    EXPECT_EQ(mesh->GetVertices()[1].specular, 0x55667788u); // the rest as stored
    EXPECT_FLOAT_EQ(mesh->GetVertices()[1].position.x, 1.0f);
    EXPECT_EQ(mesh->GetIndices(), (std::vector<std::uint16_t>{0, 1, 2}));
    EXPECT_EQ(mesh->GetWorldVertices().size(), 3u);
    EXPECT_EQ(mesh->GetWorldVertices()[2].diffuse, 0xFF336699u);

    ASSERT_EQ(wheelObject->GetPartBoxes().size(), 1u);
    const CPBoundingBox& box = wheelObject->GetPartBoxes()[0];
    EXPECT_FLOAT_EQ(box.centre.z, 3.0f);
    EXPECT_FLOAT_EQ(box.halfExtents.x, 4.0f);
    EXPECT_FLOAT_EQ(box.halfExtents.z, 6.0f);
    EXPECT_TRUE(root->GetPartBoxes().empty());
    // A plain node keeps the constructor's placement.
    EXPECT_FLOAT_EQ(wheelObject->GetPosition().x, 0.0f);
    EXPECT_EQ(wheelObject->GetPhysicData(), nullptr);
}

TEST(MeshFile, PhysicsNodesArePlacedTurnedTheOtherWayAndBoxedByTheirVertices)
{
    LoaderWorld world;
    world.Mesh("crate.p3d", meshbytes::PhysicsFile({Crate()}));
    world.Scene("crate.rdf", "mesh = crate.P3D\n");

    CPGameObject* crate = world.Load("crate.rdf");
    ASSERT_NE(crate, nullptr);
    EXPECT_EQ(crate->GetName(), "crate");
    ASSERT_NE(crate->GetPhysicData(), nullptr);
    EXPECT_EQ(crate->GetPhysicData()->GetOwner(), crate);
    EXPECT_FLOAT_EQ(crate->GetPosition().y, 20.0f);
    EXPECT_FLOAT_EQ(crate->GetRotation().z, -kHalfRoot2);
    EXPECT_FLOAT_EQ(crate->GetRotation().w, kHalfRoot2);

    // Vertices from (-1, -2, 0) to (3, 2, 5).
    const CPBoundingBox& box = crate->GetBoundingBox();
    EXPECT_FLOAT_EQ(box.centre.x, 1.0f);
    EXPECT_FLOAT_EQ(box.centre.y, 0.0f);
    EXPECT_FLOAT_EQ(box.centre.z, 2.5f);
    EXPECT_FLOAT_EQ(box.halfExtents.x, 2.0f);
    EXPECT_FLOAT_EQ(box.halfExtents.y, 2.0f);
    EXPECT_FLOAT_EQ(box.halfExtents.z, 2.5f);

    // The body is a box of the body record's sizes and mass.
    const CPPhysicData& physics = *crate->GetPhysicData();
    EXPECT_EQ(physics.GetBodyKind(), kBodyBox);
    EXPECT_FLOAT_EQ(physics.GetBoxSizes().y, 4.0f);
    EXPECT_FLOAT_EQ(physics.GetMass(), 50.0f);
    // A box part raised by half its second size and turned as stored; a
    // cylinder where it stands, turned the other way; other kinds nothing.
    ASSERT_EQ(physics.GetParts().size(), 2u);
    const CPCollisionPart& boxPart = physics.GetParts()[0];
    EXPECT_EQ(boxPart.kind, kCollisionBox);
    EXPECT_FLOAT_EQ(boxPart.position.z, 2.0f);
    EXPECT_FLOAT_EQ(boxPart.sizes[2], 6.0f);
    EXPECT_FLOAT_EQ(boxPart.rotation.w, 1.0f);
    const CPCollisionPart& cylinder = physics.GetParts()[1];
    EXPECT_EQ(cylinder.kind, kCollisionCylinder);
    EXPECT_FLOAT_EQ(cylinder.position.z, 3.0f);
    EXPECT_FLOAT_EQ(cylinder.rotation.z, -kHalfRoot2);
    EXPECT_FLOAT_EQ(cylinder.sizes[1], 8.0f); // height s2
    EXPECT_FLOAT_EQ(cylinder.sizes[3], 0.5f); // diameter r
    EXPECT_FLOAT_EQ(cylinder.mass, 5.0f);

    // Only the box part gives a part box: half extents (s1/2, s3/2, s2/2),
    // raised by s2/2.
    ASSERT_EQ(crate->GetPartBoxes().size(), 1u);
    const CPBoundingBox& part = crate->GetPartBoxes()[0];
    EXPECT_FLOAT_EQ(part.halfExtents.x, 1.0f);
    EXPECT_FLOAT_EQ(part.halfExtents.y, 3.0f);
    EXPECT_FLOAT_EQ(part.halfExtents.z, 2.0f);
    EXPECT_FLOAT_EQ(part.localMatrix.m[3][2], 2.0f);
    EXPECT_FLOAT_EQ(part.localMatrix.m[0][0], 1.0f);
}

// Render reaches the physics only through the maker the services install:
// without one a node with a body is refused, with a line, rather than
// built without the collision data the level needs.
TEST(MeshFile, NodesWithABodyNeedThePhysicsMaker)
{
    LoaderWorld world;
    world.Mesh("crate.p3d", meshbytes::PhysicsFile({Crate()}));
    world.Scene("crate.rdf", "mesh = crate.p3d\n");
    {
        ServiceOverride<GetPhysicDataMaker, SetPhysicDataMaker> noMaker(nullptr);
        EXPECT_EQ(world.Load("crate.rdf"), nullptr);
        EXPECT_TRUE(world.files.log.Contains("No physics to hold the body of node \"crate\""))
            << world.files.log.Text();
    }

    // The services' maker is back.
    CPGameObject* crate = world.Load("crate.rdf");
    ASSERT_NE(crate, nullptr);
    ASSERT_NE(crate->GetPhysicsPart(), nullptr);
    EXPECT_EQ(crate->GetPhysicsPart(), static_cast<CPPhysicsPart*>(crate->GetPhysicData()));
}

TEST(MeshFile, PartBoxesTurnTheOtherWayBeforeTheyMove)
{
    meshfile::PartRecord record;
    record.sizes[0] = 2;
    record.sizes[1] = 4;
    record.sizes[2] = 6;
    record.position = {1, 0, 0};
    record.rotation = {0, 0, kHalfRoot2, kHalfRoot2}; // +90 degrees about z, stored
    const CPBoundingBox box = meshfile::PartBox(record);
    // Turned by -90 degrees: the local x axis (row 0) goes to -y.
    EXPECT_NEAR(box.localMatrix.m[0][0], 0.0f, 1e-6f);
    EXPECT_NEAR(box.localMatrix.m[0][1], -1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(box.localMatrix.m[3][0], 1.0f);
    EXPECT_FLOAT_EQ(box.localMatrix.m[3][2], 2.0f);
}

TEST(MeshFile, APhysicsNodeWithoutVerticesGetsAnEmptyBox)
{
    LoaderWorld world;
    PhysicsNode bare = Crate();
    bare.vertices.clear();
    bare.indices.clear();
    bare.parts.clear();
    world.Mesh("bare.p3d", meshbytes::PhysicsFile({bare}));
    world.Scene("bare.rdf", "mesh = bare.p3d\n");
    CPGameObject* object = world.Load("bare.rdf");
    ASSERT_NE(object, nullptr);
    EXPECT_FLOAT_EQ(object->GetBoundingBox().centre.x, 0.0f);
    EXPECT_FLOAT_EQ(object->GetBoundingBox().halfExtents.z, 0.0f);
}

TEST(MeshFile, AnimatedNodesTakeTheirBodyAndBoxOnlyWithMass)
{
    LoaderWorld world;
    AnimatedNode walker = Walker(0);
    walker.body = {0, 1, 1, 1, {}, {}, 0, 3};
    walker.ownPart = {0, 2, 4, 6, {}, {}, 0, 1};
    walker.children[0].parts = {Part{0, 2, 2, 2, {}, {}, 0, 1}};
    world.Mesh("walk.an", meshbytes::AnimatedFile(walker));
    world.Scene("walker.rdf", "mesh = x\ndescription = anim;walk,walk.an\n");
    world.loader.SetVertexColour(0xFFABCDEF);

    CPGameObject* body = world.Load("walker.rdf");
    ASSERT_NE(body, nullptr);
    EXPECT_NE(body->GetPhysicData(), nullptr);
    EXPECT_FLOAT_EQ(body->GetBoundingBox().halfExtents.y, 3.0f); // the own part: s3 / 2
    auto* animated = body->GetRenderObject().As<CPAnimatedObject>();
    ASSERT_NE(animated, nullptr);
    EXPECT_EQ(animated->GetOwner(), body);
    EXPECT_EQ(animated->GetName(), "");
    ASSERT_EQ(animated->GetAnimations().count("walk"), 1u);
    auto* walk = animated->GetAnimations().at("walk").As<CPAnimation>();
    EXPECT_EQ(walk->GetName(), "body&walk.an");
    EXPECT_EQ(walk->GetFrameCount(), 2);
    EXPECT_EQ(walk->GetFrames()[1].vertices[0].diffuse, 0xFFABCDEFu);

    EXPECT_FLOAT_EQ(body->GetPhysicData()->GetMass(), 3.0f);

    // The leg has no mass anywhere: no physics, and the animation's box.
    CPGameObject* leg = Child(body, 0);
    EXPECT_EQ(leg->GetPhysicData(), nullptr);
    EXPECT_EQ(leg->GetPartBoxes().size(), 1u); // its box part still picks
    const CPBoundingBox& bounds = leg->GetRenderObject()
                                      .As<CPAnimatedObject>()
                                      ->GetAnimations()
                                      .at("walk")
                                      .As<CPAnimation>()
                                      ->GetBounds();
    EXPECT_FLOAT_EQ(leg->GetBoundingBox().centre.x, bounds.centre.x);
    EXPECT_FLOAT_EQ(leg->GetBoundingBox().centre.x, 10.5f);
}

TEST(MeshFile, LaterAnimatedFilesAddTheirAnimationsByNameAndPassOverStrangers)
{
    LoaderWorld world;
    world.Mesh("walk.an", meshbytes::AnimatedFile(Walker(0)));
    AnimatedNode run = Walker(100);
    AnimatedNode stranger;
    stranger.name = "tail";
    stranger.frames = {Triangle(7), Triangle(8), Triangle(9)};
    stranger.children = {stranger};
    run.children.insert(run.children.begin(), stranger);
    run.children[1].name = "LEG"; // looked up by its lower-cased name
    world.Mesh("run.an", meshbytes::AnimatedFile(run));
    world.Scene("walker.rdf", "mesh = x\ndescription = anim;walk,walk.an;jog,missing.an;run,run.an\n");

    CPGameObject* body = world.Load("walker.rdf");
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(ChildNames(body), std::vector<std::string>{"leg"});
    const auto& bodyAnimations = body->GetRenderObject().As<CPAnimatedObject>()->GetAnimations();
    ASSERT_EQ(bodyAnimations.count("run"), 1u);
    EXPECT_EQ(bodyAnimations.count("jog"), 0u);
    EXPECT_EQ(bodyAnimations.at("run").As<CPAnimation>()->GetName(), "body&run.an");
    const auto& legAnimations = Child(body, 0)->GetRenderObject().As<CPAnimatedObject>()->GetAnimations();
    ASSERT_EQ(legAnimations.count("run"), 1u);
    EXPECT_FLOAT_EQ(legAnimations.at("run").As<CPAnimation>()->GetFrames()[0].vertices[0].position.x, 110.0f);
    // The body still plays the first animation it was given.
    EXPECT_EQ(body->GetRenderObject().As<CPAnimatedObject>()->GetAnimation(),
              bodyAnimations.at("walk").As<CPAnimation>());
}

TEST(MeshFile, TruncatedFilesOfEveryLayoutBuildNothingAndSayWhere)
{
    PlainNode car = TriangleNode("car");
    car.boxes = {{{0, 0, 0}, {1, 1, 1}}};
    car.children = {TriangleNode("wheel")};
    PhysicsNode crate = Crate();
    crate.children = {Crate()};
    struct Layout {
        const char* scene;
        const char* file;
        std::string bytes;
    };
    const Layout layouts[] = {
        {"mesh = m.msh\n", "m.msh", meshbytes::PlainFile({car, car})},
        {"mesh = m.p3d\n", "m.p3d", meshbytes::PhysicsFile({crate})},
        {"mesh = x\ndescription = anim;walk,m.an\n", "m.an", meshbytes::AnimatedFile(Walker(0))},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.file);
        LoaderWorld world;
        world.Scene("s.rdf", layout.scene);
        world.Mesh(layout.file, layout.bytes);
        ASSERT_NE(world.Load("s.rdf"), nullptr);
        // Every cut that loses part of a node.
        for (std::size_t size = 1; size < layout.bytes.size(); size += 11) {
            world.Mesh(layout.file, layout.bytes.substr(0, size));
            EXPECT_EQ(world.Load("s.rdf"), nullptr) << size;
        }
        EXPECT_TRUE(world.files.log.Contains("ends inside") || world.files.log.Contains(" bytes left"));
    }
}

TEST(MeshFile, CorruptCountsAndIndicesAreRefusedBeforeAnythingIsTaken)
{
    const std::string good = meshbytes::PlainFile({TriangleNode("a")});
    auto patched = [&](std::size_t offset, std::int32_t value) {
        std::string bytes = good;
        std::memcpy(&bytes[offset], &value, 4);
        return bytes;
    };
    const std::size_t vertexCount = 8 + 4 + 260;
    const std::size_t indexCount = vertexCount + 4 + 3 * 48;
    const std::size_t firstIndex = indexCount + 4;
    struct Case {
        const char* what;
        std::string bytes;
        const char* logged;
    };
    const Case cases[] = {
        {"node count", patched(4, 0x7FFFFFFF), "nodes"},
        {"negative node count", patched(4, -2), "nodes"},
        {"vertex count", patched(vertexCount, 0x40000000), "vertices"},
        {"negative vertex count", patched(vertexCount, -1), "vertices"},
        {"index count", patched(indexCount, 0x7FFFFFFF), "indices"},
        {"index past the vertices", patched(firstIndex, 0x00030001), "has the index 3 with 3 vertices"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LoaderWorld world;
        world.Scene("s.rdf", "mesh = m.msh\n");
        world.Mesh("m.msh", c.bytes);
        EXPECT_EQ(world.Load("s.rdf"), nullptr);
        EXPECT_TRUE(world.files.log.Contains(c.logged)) << world.files.log.Text();
    }
}

TEST(MeshFile, ACorruptTransformBlockAfterTheNodesIsReportedAndHarmless)
{
    LoaderWorld world;
    meshbytes::Writer tail;
    tail.Int(1).Int(4).Raw("root", 4);
    for (int i = 0; i < 12; ++i)
        tail.Float(0);
    world.Mesh("good.msh", meshbytes::PlainFile({TriangleNode("a")}) + tail.bytes);
    world.Mesh("bad.msh", meshbytes::PlainFile({TriangleNode("a")}) + tail.bytes.substr(0, 20));
    world.Scene("good.rdf", "mesh = good.msh\n");
    world.Scene("bad.rdf", "mesh = bad.msh\n");

    EXPECT_NE(world.Load("good.rdf"), nullptr);
    EXPECT_FALSE(world.files.log.Contains("transform block"));
    EXPECT_NE(world.Load("bad.rdf"), nullptr);
    EXPECT_TRUE(world.files.log.Contains("corrupt transform block"));
}

TEST(MeshFile, NodesNestedBeyondTheLimitAreTakenAsCorrupt)
{
    auto chain = [](int depth) {
        PlainNode node = TriangleNode("n");
        for (int i = 0; i < depth; ++i) {
            PlainNode parent = TriangleNode("n");
            parent.children = {node};
            node = parent;
        }
        return meshbytes::PlainFile({node});
    };
    LoaderWorld world;
    world.Scene("s.rdf", "mesh = m.msh\n");
    world.Mesh("m.msh", chain(CPRenderObjectLoader::kMaxNodeDepth));
    EXPECT_NE(world.Load("s.rdf"), nullptr);
    world.Mesh("m.msh", chain(CPRenderObjectLoader::kMaxNodeDepth + 1));
    EXPECT_EQ(world.Load("s.rdf"), nullptr);
    EXPECT_TRUE(world.files.log.Contains("deeper than 64 levels"));
}
