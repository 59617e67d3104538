#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Render/RenderObject.h"
#include "core/GameObject.h"
#include "platform/Math.h"
#include "platform/Random.h"
#include "support/MathExpect.h"
#include "support/ScratchFolder.h"

namespace {

constexpr std::uint32_t kPlainColour = 0xFF102030;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kDented = 0x96FFFFFF;

// Fills a mesh with one vertex per position, normals up, and the world copy
// as the mesh readers leave it.
void FillMesh(CPRenderObject& mesh, const std::vector<Vector3>& positions)
{
    mesh.GetVertices().clear();
    for (const Vector3& position : positions) {
        CPMeshVertex vertex;
        vertex.position = position;
        vertex.normal = {0, 0, 1};
        vertex.diffuse = kPlainColour;
        mesh.GetVertices().push_back(vertex);
    }
    mesh.GetWorldVertices() = mesh.GetVertices();
}

// A mesh render object owned by the game object.
CPRenderObject* AttachMesh(CPGameObject& object, const std::vector<Vector3>& positions)
{
    auto* mesh = new CPRenderObject(&object);
    FillMesh(*mesh, positions);
    object.SetRenderObject(mesh, CPGameObject::kMeshObject);
    return mesh;
}

CPRenderObject* MeshOf(const CPGameObject* object) { return object->GetRenderObject().As<CPRenderObject>(); }

const CPRenderObject* SourceObject(const CPRenderObject& body, std::size_t source)
{
    return body.GetDeformSources().at(source).object.lock().get();
}

// A car as the level loader leaves it: a root that owns its body mesh and
// holds its parts as children. The tree is deleted whole afterwards.
class CarBody : public ::testing::Test {
  protected:
    CarBody() : car(new CPGameObject("car")) {}
    ~CarBody() override { CPGameObject::DeleteTree(car); }

    CPGameObject* AddPart(CPGameObject& parent, const std::string& name,
                          const std::vector<Vector3>& positions)
    {
        auto* part = new CPGameObject(name);
        parent.AddChild(part);
        AttachMesh(*part, positions);
        return part;
    }

    CPGameObject* car;
};

// A body whose owner has no mesh of its own and no parts, so each of its
// vertices is gathered once: the grouping rules show on their own.
struct LoneBody {
    explicit LoneBody(const std::vector<Vector3>& positions) : body(&owner) { FillMesh(body, positions); }

    CPGameObject owner{"owner"};
    CPRenderObject body;
};

std::size_t GroupCount(const CPRenderObject& body)
{
    std::size_t count = 0;
    for (const CPDamageZone& zone : body.GetDamageZones())
        count += zone.groups.size();
    return count;
}

TEST_F(CarBody, PreparationGathersTheBodyAndEveryMeshPartButTheWheels)
{
    CPRenderObject* body = AttachMesh(*car, {{0, 0, 0}});
    const struct {
        const char* name;
        bool gathered;
    } parts[] = {
        {"w0", false}, {"w0d", false}, {"w2d", false}, {"w3", false}, // the wheels
        {"w4", true},  {"W0", true},   {"w0 ", true},  {"door", true},
    };
    std::vector<CPRenderObject*> meshes;
    float x = 1.0f; // every part far from the others, so each is a zone of its own
    for (const auto& part : parts) {
        meshes.push_back(MeshOf(AddPart(*car, part.name, {{x, 0, 0}})));
        x += 1.0f;
    }
    // A grandchild counts; a child whose render object is not a mesh does not.
    CPGameObject* door = car->GetChildAt(7);
    CPRenderObject* handle = MeshOf(AddPart(*door, "handle", {{20, 0, 0}}));
    CPGameObject* lamp = AddPart(*car, "lamp", {{30, 0, 0}});
    lamp->SetRenderObject(lamp->GetRenderObject(), CPGameObject::kLight);

    body->PrepareDeformation();

    EXPECT_TRUE(body->IsDeformable());
    // The body first, then the tree depth first from the owner, whose mesh
    // is the body again.
    std::vector<const CPRenderObject*> expected{body, body};
    for (std::size_t i = 0; i < meshes.size(); ++i)
        if (parts[i].gathered)
            expected.push_back(meshes[i]);
    expected.push_back(handle);
    ASSERT_EQ(body->GetDeformSources().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(SourceObject(*body, i), expected[i]) << "source " << i;

    for (std::size_t i = 0; i < meshes.size(); ++i)
        EXPECT_EQ(meshes[i]->GetVertices()[0].diffuse, parts[i].gathered ? kWhite : kPlainColour)
            << parts[i].name;
    EXPECT_EQ(body->GetVertices()[0].diffuse, kWhite);
    EXPECT_EQ(handle->GetVertices()[0].diffuse, kWhite);
    EXPECT_EQ(MeshOf(lamp)->GetVertices()[0].diffuse, kPlainColour);

    // The body's vertex, met twice, is one group of two references; every
    // part lies apart: one zone each.
    ASSERT_EQ(body->GetDamageZones().size(), 1u + 4u + 1u); // body, four parts, the handle
    const CPDamageZone& first = body->GetDamageZones()[0];
    ASSERT_EQ(first.groups.size(), 1u);
    ASSERT_EQ(first.groups[0].size(), 2u);
    EXPECT_EQ(first.groups[0][0].source, 0u);
    EXPECT_EQ(first.groups[0][1].source, 1u);
    for (const CPDamageZone& zone : body->GetDamageZones())
        EXPECT_EQ(zone.damage, 0.0f);

    // A second preparation adds a second set of zones to the first.
    body->PrepareDeformation();
    EXPECT_EQ(body->GetDamageZones().size(), 2u * 6u);
}

TEST_F(CarBody, PartsAreGroupedInTheirOwnSpace)
{
    // Vertex positions are compared as each mesh stores them: a part placed
    // far off still joins the body's group when its own coordinates are
    // close.
    CPRenderObject* body = AttachMesh(*car, {{0, 0, 0}});
    CPGameObject* hood = AddPart(*car, "hood", {{0.05f, 0, 0}});
    hood->SetPosition({10, 0, 0});
    car->UpdateBounds();

    body->PrepareDeformation();

    ASSERT_EQ(body->GetDamageZones().size(), 1u);
    ASSERT_EQ(body->GetDamageZones()[0].groups.size(), 1u);
    EXPECT_EQ(body->GetDamageZones()[0].groups[0].size(), 3u);
    // Each source keeps its owner's world matrix from the preparation.
    EXPECT_TRUE(Near(body->GetDeformSources()[2].ownerWorld, TranslationMatrix(10, 0, 0)));
}

TEST(Deformation, VerticesGroupByDistanceToTheFirstVertexOfTheGroup)
{
    const struct {
        const char* what;
        std::vector<Vector3> positions;
        std::size_t groups;
        std::size_t zones;
    } cases[] = {
        {"0.1 apart", {{0, 0, 0}, {0.1f, 0, 0}}, 2, 1},
        {"0.0999 apart", {{0, 0, 0}, {0.0999f, 0, 0}}, 1, 1},
        {"0.113 apart diagonally", {{0, 0, 0}, {0.08f, 0.08f, 0}}, 2, 1},
        // The third vertex is near the second but not the first: no chains.
        {"chain", {{0, 0, 0}, {0.08f, 0, 0}, {0.16f, 0, 0}}, 2, 1},
        {"groups 0.3 apart", {{0, 0, 0}, {0, 0, 0.3f}}, 2, 2},
        {"groups 0.2999 apart", {{0, 0, 0}, {0, 0, 0.2999f}}, 2, 1},
        {"zone chain", {{0, 0, 0}, {0.2f, 0, 0}, {0.4f, 0, 0}}, 3, 2},
        {"empty mesh", {}, 0, 0},
    };
    for (const auto& c : cases) {
        LoneBody lone(c.positions);
        lone.body.PrepareDeformation();
        EXPECT_EQ(GroupCount(lone.body), c.groups) << c.what;
        EXPECT_EQ(lone.body.GetDamageZones().size(), c.zones) << c.what;
        EXPECT_TRUE(lone.body.IsDeformable()) << c.what;
        lone.body.ApplyImpact({0, 0, 0}, {0, 0, 1}, 0.5f);
    }
}

TEST(Deformation, ZoneBoxSpansItsGroupsOrIsACubeAtTheLowCorner)
{
    const struct {
        const char* what;
        std::vector<Vector3> positions;
        Vector3 centre;
        Vector3 halfExtents;
    } cases[] = {
        {"one group", {{1, 2, 3}}, {1, 2, 3}, {0.3f, 0.3f, 0.3f}},
        // Spans below 0.4 are centred on the low corner, not the middle.
        {"narrow", {{0.25f, 0, 0}, {0, 0.1f, 0}}, {0, 0, 0}, {0.3f, 0.3f, 0.3f}},
        // Span |(0.35, 0.25, 0)| = 0.43: half the span, in the middle; the
        // flat axis gets the least thickness a box has.
        {"wide",
         {{0, 0, 0}, {0.25f, 0.1f, 0}, {-0.1f, 0.25f, 0}},
         {0.075f, 0.125f, 0},
         {0.175f, 0.125f, 0.001f}},
    };
    for (const auto& c : cases) {
        LoneBody lone(c.positions);
        lone.body.PrepareDeformation();
        ASSERT_EQ(lone.body.GetDamageZones().size(), 1u) << c.what;
        const CPBoundingBox& box = lone.body.GetDamageZones()[0].box;
        EXPECT_TRUE(Near(box.centre, c.centre)) << c.what;
        EXPECT_TRUE(Near(box.halfExtents, c.halfExtents)) << c.what;
        // Placed at once: the owner has not moved, so its corners are the
        // box's own.
        EXPECT_TRUE(Near(box.minimum, c.centre - c.halfExtents)) << c.what;
    }
}

TEST(Deformation, ZoneBoxesStartAtTheOwnersPlace)
{
    // An impact can come before the body is first drawn (and its zones
    // moved with it): the boxes are placed when they are made.
    LoneBody lone({{0, 0, 0}});
    lone.owner.SetPosition({5, 0, 0});
    lone.owner.UpdateBounds();
    lone.body.PrepareDeformation();
    EXPECT_TRUE(Near(lone.body.GetDamageZones()[0].box.minimum, {4.7f, -0.3f, -0.3f}));

    lone.body.ApplyImpact({5, 0, 0}, {0, 0, 0}, 0.5f);
    EXPECT_FLOAT_EQ(lone.body.GetDamageZones()[0].damage, 0.5f);
}

TEST(Deformation, ImpactReachesZonesItStartsInOrEntersWithinReach)
{
    // One zone: the cube of half extent 0.3 round the origin.
    const struct {
        const char* what;
        Vector3 point;
        Vector3 direction;
        bool hit;
    } cases[] = {
        {"inside, no direction", {0.1f, 0, 0}, {0, 0, 0}, true},
        {"enters at t 1.6", {1.9f, 0, 0}, {-1, 0, 0}, true},
        {"enters at t 1.8", {2.1f, 0, 0}, {-1, 0, 0}, false},
        {"t in lengths of the direction", {2.1f, 0, 0}, {-2, 0, 0}, true},
        {"points away", {1, 0, 0}, {1, 0, 0}, false},
        {"outside, no direction", {1, 0, 0}, {0, 0, 0}, false},
        {"passes beside", {1, 1, 0}, {-1, 0, 0}, false},
        {"from below", {0, 0, -1}, {0, 0, 1}, true},
        {"not a number", {NAN, 0, 0}, {-1, 0, 0}, false},
    };
    for (const auto& c : cases) {
        LoneBody lone({{0, 0, 0}});
        lone.body.PrepareDeformation();
        lone.body.ApplyImpact(c.point, c.direction, 0.5f);
        const CPDamageZone& zone = lone.body.GetDamageZones()[0];
        EXPECT_FLOAT_EQ(zone.damage, c.hit ? 0.5f : 0.0f) << c.what;
        EXPECT_EQ(lone.body.GetVertices()[0].diffuse, c.hit ? kDented : kWhite) << c.what;
    }
}

TEST(Deformation, WeakImpactsAndUnpreparedBodiesChangeNothing)
{
    const struct {
        const char* what;
        bool prepared;
        float strength;
        float damage;
    } cases[] = {
        {"0.01", true, 0.01f, 0.0f},           {"0.0101", true, 0.0101f, 0.0101f},
        {"negative", true, -1.0f, 0.0f},       {"not a number", true, NAN, 0.0f},
        {"never prepared", false, 0.5f, 0.0f},
    };
    for (const auto& c : cases) {
        LoneBody lone({{0, 0, 0}});
        if (c.prepared) {
            lone.body.PrepareDeformation();
        } else {
            // Zones without the deformable flag stay as they are.
            CPDamageZone zone;
            zone.box = CPBoundingBox({0, 0, 0}, {1, 1, 1});
            zone.box.Transform();
            zone.groups.push_back({CPVertexRef{}});
            lone.body.GetDamageZones().push_back(zone);
        }
        platform::SeedRand(7);
        lone.body.ApplyImpact({0, 0, 0}, {0, 0, -1}, c.strength);
        const int after = platform::Rand();
        const bool dented = c.damage > 0.0f;
        EXPECT_FLOAT_EQ(lone.body.GetDamageZones()[0].damage, c.damage) << c.what;
        EXPECT_EQ(lone.body.GetVertices()[0].diffuse == kDented, dented) << c.what;
        // Three numbers drawn for a dented vertex, none otherwise.
        platform::SeedRand(7);
        for (int i = 0; i < (dented ? 3 : 0); ++i)
            platform::Rand();
        EXPECT_EQ(after, platform::Rand()) << c.what;
    }
}

// The normal (x, y, z) turned by roll a1 about z, then pitch a2 about x,
// then yaw a3 about y, as a row vector.
Vector3 Tilted(const Vector3& n, float a1, float a2, float a3)
{
    const float c1 = std::cos(a1), s1 = std::sin(a1);
    const float c2 = std::cos(a2), s2 = std::sin(a2);
    const float c3 = std::cos(a3), s3 = std::sin(a3);
    const Vector3 rolled{n.x * c1 - n.y * s1, n.x * s1 + n.y * c1, n.z};
    const Vector3 pitched{rolled.x, rolled.y * c2 - rolled.z * s2, rolled.y * s2 + rolled.z * c2};
    return {pitched.x * c3 + pitched.z * s3, pitched.y, -pitched.x * s3 + pitched.z * c3};
}

float Angle(int r) { return 0.05f - (static_cast<float>(r) / 32767.0f) * 0.1f; }

TEST(Deformation, ADentTiltsEachNormalByThreeDrawsAndWhitensItsVertex)
{
    // Two vertices of one group; the generator from seed 1 gives 41, 18467,
    // 6334 for the first vertex and 26500, 19169, 15724 for the second.
    LoneBody lone({{0, 0, 0}, {0.05f, 0, 0}});
    lone.body.GetVertices()[1].normal = {2, 0, 0}; // not unit: the dent normalises it
    lone.body.PrepareDeformation();
    platform::SeedRand(1);
    lone.body.ApplyImpact({0, 0, 0}, {1, 0, 0}, 0.2f);

    const std::vector<CPMeshVertex>& v = lone.body.GetVertices();
    const Vector3 first = Tilted({0, 0, 1}, Angle(41), Angle(18467), Angle(6334));
    const Vector3 second = Tilted({1, 0, 0}, Angle(26500), Angle(19169), Angle(15724));
    EXPECT_TRUE(Near(v[0].normal, first));
    EXPECT_TRUE(Near(v[1].normal, second));
    // By hand for the first: pitch -0.0063585, yaw 0.0306696 give
    // (cos p sin y, -sin p, cos p cos y).
    EXPECT_TRUE(Near(v[0].normal, {0.0306641f, 0.0063585f, 0.9995095f}, 1e-5f));
    for (const CPMeshVertex& vertex : v) {
        EXPECT_NEAR(Length(vertex.normal), 1.0f, 1e-6f);
        EXPECT_EQ(vertex.diffuse, kDented);
    }
    EXPECT_TRUE(Near(v[0].position, {0, 0, 0}));
    EXPECT_TRUE(Near(v[1].position, {0.05f, 0, 0}));
    // Six numbers drawn, no more: the seventh of the sequence comes next.
    EXPECT_EQ(platform::Rand(), 11478);

    // The world copy takes the dent with its next refresh.
    lone.body.UpdateWorldVertices();
    EXPECT_EQ(lone.body.GetWorldVertices()[0].diffuse, kDented);
    EXPECT_TRUE(Near(lone.body.GetWorldVertices()[0].normal, first));
}

TEST(Deformation, ImpactDentsEveryReachedZoneUntilItsDamageReachesOne)
{
    // Three zones along x; the ray from x = -1 enters the first at t 0.7 and
    // the second at t 1.2, the third only at t 5.7.
    LoneBody lone({{0, 0, 0}, {0.5f, 0, 0}, {5, 0, 0}});
    lone.body.PrepareDeformation();
    std::vector<CPDamageZone>& zones = lone.body.GetDamageZones();
    ASSERT_EQ(zones.size(), 3u);
    zones[1].damage = 0.9f;

    lone.body.ApplyImpact({-1, 0, 0}, {1, 0, 0}, 0.5f);
    EXPECT_FLOAT_EQ(zones[0].damage, 0.5f);
    EXPECT_FLOAT_EQ(zones[1].damage, 1.4f); // past 1.0: finished
    EXPECT_FLOAT_EQ(zones[2].damage, 0.0f);
    EXPECT_EQ(lone.body.GetVertices()[2].diffuse, kWhite);

    // A finished zone ignores later impacts: no damage, no dent.
    lone.body.GetVertices()[1].diffuse = kWhite;
    const Vector3 normal = lone.body.GetVertices()[1].normal;
    lone.body.ApplyImpact({-1, 0, 0}, {1, 0, 0}, 0.5f);
    EXPECT_FLOAT_EQ(zones[0].damage, 1.0f);
    EXPECT_FLOAT_EQ(zones[1].damage, 1.4f);
    EXPECT_EQ(lone.body.GetVertices()[1].diffuse, kWhite);
    EXPECT_TRUE(Near(lone.body.GetVertices()[1].normal, normal, 0.0f));
}

TEST_F(CarBody, PartsDeletedOrShortenedSincePreparationAreSkipped)
{
    // One group: the body's vertex twice, the door's two, the hood's one.
    CPRenderObject* body = AttachMesh(*car, {{0, 0, 0}});
    CPGameObject* door = AddPart(*car, "door", {{0.02f, 0, 0}, {0.04f, 0, 0}});
    CPGameObject* hood = AddPart(*car, "hood", {{0.06f, 0, 0}});
    body->PrepareDeformation();
    ASSERT_EQ(body->GetDamageZones().size(), 1u);
    ASSERT_EQ(body->GetDamageZones()[0].groups[0].size(), 5u);

    // The door gets a new mesh (the old one is deleted) and the hood's mesh
    // is reloaded empty.
    CPRenderObject* newDoor = AttachMesh(*door, {{0.02f, 0, 0}, {0.04f, 0, 0}});
    MeshOf(hood)->GetVertices().clear();
    EXPECT_EQ(SourceObject(*body, 2), nullptr);

    platform::SeedRand(1);
    body->ApplyImpact({0, 0, 0}, {0, 0, 0}, 0.5f);
    EXPECT_FLOAT_EQ(body->GetDamageZones()[0].damage, 0.5f);
    EXPECT_EQ(body->GetVertices()[0].diffuse, kDented);
    EXPECT_EQ(newDoor->GetVertices()[0].diffuse, kPlainColour); // never prepared
    // Only the body's two references were dented: six numbers drawn.
    EXPECT_EQ(platform::Rand(), 11478);
}

TEST(Deformation, ABodyWithoutOwnerGathersOnlyItsOwnVerticesAndSaysSo)
{
    LogCapture log;
    CPRenderObject body(nullptr);
    FillMesh(body, {{0, 0, 0}});
    body.PrepareDeformation();
    EXPECT_TRUE(log.Contains("without an owner"));
    ASSERT_EQ(body.GetDeformSources().size(), 1u);
    ASSERT_EQ(body.GetDamageZones().size(), 1u);
    EXPECT_EQ(body.GetDamageZones()[0].groups[0].size(), 1u);

    body.ApplyImpact({0, 0, 0}, {0, 0, 0}, 0.5f);
    EXPECT_EQ(body.GetVertices()[0].diffuse, kDented);
}

} // namespace
