#include <cmath>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "Render/Light.h"
#include "Render/PRender.h"
#include "Render/RenderObject.h"
#include "Render/TerrainMesh.h"
#include "core/GameObject.h"
#include "physics/PhysicData.h"
#include "platform/Math.h"

namespace {

struct Mesh : CPTerrainMesh {
    std::int32_t GetVertexCount() const override { return static_cast<std::int32_t>(vertices.size()); }
    Vector3 GetVertex(std::int32_t index) const override { return vertices.at(index); }
    std::int32_t GetTriangleCount() const override { return static_cast<std::int32_t>(triangles.size()); }
    bool GetTriangle(std::int32_t index, std::int32_t out[3]) const override
    {
        if (index < 0 || index >= GetTriangleCount())
            return false;
        for (int i = 0; i < 3; ++i)
            out[i] = triangles[index][i];
        return true;
    }
    std::vector<Vector3> vertices;
    std::vector<std::array<std::int32_t, 3>> triangles;
};

Matrix4 Translation(float x, float y, float z)
{
    Matrix4 m;
    for (int i = 0; i < 4; ++i)
        m.m[i][i] = 1.0f;
    m.m[3][0] = x;
    m.m[3][1] = y;
    m.m[3][2] = z;
    return m;
}

class GroundDecal : public ::testing::Test {
  protected:
    GroundDecal()
    {
        // A 2 x 2 square of ground, its far corner raised by 1.
        terrain.vertices = {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {2, 2, 1}};
        terrain.triangles = {{0, 1, 2}, {1, 3, 2}, {2, 1, 0}, {0, 1, 9}, {0, 0, -1}};
    }
    CPRender render{nullptr};
    Mesh terrain;
    std::vector<CPMeshVertex> vertices, world;
    std::vector<std::uint16_t> indices;
};

} // namespace

TEST_F(GroundDecal, LiesOnTwoTerrainTrianglesWithFootprintCoordinates)
{
    // Half extents 0.9 widen to 1.0: a footprint from (0, 0) to (2, 2) when
    // the box sits at (1, 1). (s, t) = (x / 2, y / 2).
    // Listed: both triangles, the first again in another order, a vertex
    // past the mesh, a negative vertex and a triangle number past the mesh.
    const std::int32_t listed[] = {0, 1, 2, 0, 3, 4, 17, -2};
    ASSERT_TRUE(render.BuildGroundDecal({0.9f, 0.9f, 0.5f}, Translation(1, 1, 0.5f), listed, 8, terrain,
                                        vertices, world, indices));
    ASSERT_EQ(vertices.size(), 6u);
    EXPECT_EQ(indices, (std::vector<std::uint16_t>{0, 1, 2, 3, 4, 5}));

    struct Expected {
        Vector3 position;
        float u, v;
    } expected[] = {
        {{0, 0, 0.03f}, -1.0f, 0.0f}, {{2, 0, 0.03f}, 0.0f, 0.0f}, {{0, 2, 0.03f}, -1.0f, 1.0f},
        {{2, 0, 0.03f}, 0.0f, 0.0f},  {{2, 2, 1.03f}, 0.0f, 1.0f}, {{0, 2, 0.03f}, -1.0f, 1.0f},
    };
    for (std::size_t i = 0; i < 6; ++i) {
        const CPMeshVertex& v = vertices[i];
        EXPECT_NEAR(v.position.x, expected[i].position.x, 1e-6f) << i;
        EXPECT_NEAR(v.position.y, expected[i].position.y, 1e-6f) << i;
        EXPECT_NEAR(v.position.z, expected[i].position.z, 1e-6f) << i;
        EXPECT_NEAR(v.uv1.x, expected[i].u, 1e-5f) << i;
        EXPECT_NEAR(v.uv1.y, expected[i].v, 1e-5f) << i;
        EXPECT_EQ(v.uv2.x, 0.0f);
        EXPECT_EQ(v.uv2.y, 0.0f);
        EXPECT_EQ(v.diffuse, 0xFFFFFFFFu);
        EXPECT_EQ(v.specular, 0u);
    }
    // Normals: (C - A) x (B - A), normalised.
    EXPECT_NEAR(vertices[0].normal.z, -1.0f, 1e-6f); // (0,2,0) x (2,0,0) = (0,0,-4)
    const float k = 1.0f / std::sqrt(6.0f);          // (-2,2,0) x (0,2,1) = (2,2,-4)
    EXPECT_NEAR(vertices[4].normal.x, k, 1e-6f);
    EXPECT_NEAR(vertices[4].normal.y, k, 1e-6f);
    EXPECT_NEAR(vertices[4].normal.z, -2.0f * k, 1e-6f);

    ASSERT_EQ(world.size(), 6u);
    EXPECT_EQ(world[4].position.z, vertices[4].position.z);
}

TEST_F(GroundDecal, OfTrianglesOnTheSameThreeVerticesTheOneListedFirstIsLaid)
{
    // Triangle 2 names the vertices of triangle 0 backwards; listed first,
    // it is laid in its own order and with its own normal, (0,0,4).
    const std::int32_t listed[] = {2, 0, 2};
    ASSERT_TRUE(render.BuildGroundDecal({0.9f, 0.9f, 0.5f}, Translation(1, 1, 0.5f), listed, 3, terrain,
                                        vertices, world, indices));
    ASSERT_EQ(vertices.size(), 3u);
    const Vector3 expected[] = {{0, 2, 0.03f}, {2, 0, 0.03f}, {0, 0, 0.03f}};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(vertices[i].position.x, expected[i].x, 1e-6f) << i;
        EXPECT_NEAR(vertices[i].position.y, expected[i].y, 1e-6f) << i;
        EXPECT_NEAR(vertices[i].position.z, expected[i].z, 1e-6f) << i;
        EXPECT_NEAR(vertices[i].normal.z, 1.0f, 1e-6f) << i;
    }
    // The next call starts afresh: the same list lays the same triangle.
    ASSERT_TRUE(render.BuildGroundDecal({0.9f, 0.9f, 0.5f}, Translation(1, 1, 0.5f), listed, 3, terrain,
                                        vertices, world, indices));
    EXPECT_EQ(vertices.size(), 3u);
}

TEST_F(GroundDecal, ASingularFootprintBuildsNothing)
{
    vertices.resize(3);
    indices = {7};
    Matrix4 flat; // everything onto one point
    flat.m[3][3] = 1.0f;
    const std::int32_t listed[] = {0};
    EXPECT_FALSE(render.BuildGroundDecal({1, 1, 1}, flat, listed, 1, terrain, vertices, world, indices));
    EXPECT_EQ(vertices.size(), 3u);
    EXPECT_EQ(indices, std::vector<std::uint16_t>{7});
}

TEST_F(GroundDecal, ReadsAtMostTheThousandEntriesOfTheQuery)
{
    Mesh strip;
    for (int i = 0; i < 1502; ++i)
        strip.vertices.push_back({static_cast<float>(i), static_cast<float>(i % 2), 0});
    for (int i = 0; i < 1500; ++i)
        strip.triangles.push_back({i, i + 1, i + 2});
    std::vector<std::int32_t> listed(1000);
    for (int i = 0; i < 1000; ++i)
        listed[i] = i;
    // A count past the buffer's 1000 entries must not read beyond them.
    ASSERT_TRUE(render.BuildGroundDecal({1, 1, 1}, Translation(0, 0, 0), listed.data(), 5000, strip, vertices,
                                        world, indices));
    EXPECT_EQ(vertices.size(), 3000u);
    EXPECT_EQ(indices.back(), 2999);
    EXPECT_TRUE(render.BuildGroundDecal({1, 1, 1}, Translation(0, 0, 0), listed.data(), -4, strip, vertices,
                                        world, indices));
    EXPECT_TRUE(vertices.empty());
}

TEST_F(GroundDecal, LaysIntoUsedArraysWhatAFreshLayGivesWithTheWorldCopyTheSame)
{
    // The level's ground remembers what each decal laid; arrays that held
    // a longer or shorter decal the frame before must end exactly as a
    // first lay into empty ones, and the world copy as the vertices.
    Mesh strip;
    for (int i = 0; i < 42; ++i)
        strip.vertices.push_back({static_cast<float>(i) * 0.5f, static_cast<float>(i % 2) * 0.75f, 0.1f * i});
    for (int i = 0; i < 40; ++i)
        strip.triangles.push_back({i, i + 1, i + 2});
    render.SetTerrainMesh(&strip);
    Matrix4 turned = RotationMatrixZ(0.7f) * Translation(3.25f, -0.5f, 0.2f);
    struct Case {
        int first, count;
        Matrix4 placement;
    } cases[] = {
        {0, 40, Translation(4, 0, 0)},
        {2, 7, Translation(4, 0, 0)},
        {2, 7, turned},
        {5, 30, turned},
        {5, 30, Translation(-1, 2, 0)},
        {0, 0, turned},
        {1, 39, Translation(0, 0, 0)},
    };
    for (const Case& c : cases) {
        std::vector<std::int32_t> listed;
        for (int i = 0; i < c.count; ++i)
            listed.push_back(c.first + i);
        ASSERT_TRUE(render.BuildGroundDecal({0.9f, 0.4f, 0.5f}, c.placement, listed.data(), c.count, strip,
                                            vertices, world, indices));
        // Another mesh than the level's is read afresh for the call.
        Mesh copy = strip;
        std::vector<CPMeshVertex> freshVertices, freshWorld;
        std::vector<std::uint16_t> freshIndices;
        ASSERT_TRUE(render.BuildGroundDecal({0.9f, 0.4f, 0.5f}, c.placement, listed.data(), c.count, copy,
                                            freshVertices, freshWorld, freshIndices));
        ASSERT_EQ(vertices.size(), 3u * static_cast<std::size_t>(c.count)) << c.first << " " << c.count;
        ASSERT_EQ(freshVertices.size(), vertices.size());
        ASSERT_EQ(world.size(), vertices.size());
        const std::size_t bytes = vertices.size() * sizeof(CPMeshVertex);
        EXPECT_EQ(std::memcmp(vertices.data(), freshVertices.data(), bytes), 0) << c.first << " " << c.count;
        EXPECT_EQ(std::memcmp(world.data(), vertices.data(), bytes), 0) << c.first << " " << c.count;
        EXPECT_EQ(std::memcmp(freshWorld.data(), freshVertices.data(), bytes), 0);
        EXPECT_EQ(indices, freshIndices);
        // The footprint coordinates to the bit of the plain transform of
        // the footprint's frame, which the lanes must sum in its order.
        const float a = 0.9f + 0.1f, b = 0.4f + 0.1f;
        const Vector3 origin = TransformPoint(Vector3{-a, -b, -0.5f}, c.placement);
        const Vector3 uEnd = TransformPoint(Vector3{a, -b, -0.5f}, c.placement);
        const Vector3 vEnd = TransformPoint(Vector3{-a, b, -0.5f}, c.placement);
        Matrix4 frame, toFootprint;
        frame.m[0][0] = uEnd.x - origin.x;
        frame.m[0][1] = uEnd.y - origin.y;
        frame.m[1][0] = vEnd.x - origin.x;
        frame.m[1][1] = vEnd.y - origin.y;
        frame.m[2][2] = 1.0f;
        frame.m[3][0] = origin.x;
        frame.m[3][1] = origin.y;
        frame.m[3][3] = 1.0f;
        ASSERT_TRUE(Invert(frame, toFootprint));
        for (const CPMeshVertex& v : vertices) {
            const Vector2 st = TransformPoint(Vector2{v.position.x, v.position.y}, toFootprint);
            EXPECT_EQ(v.uv1.x, st.x - 1.0f);
            EXPECT_EQ(v.uv1.y, st.y);
        }
    }
    render.SetTerrainMesh(nullptr);
}

namespace {

// A decal object (a mesh render object under a box) and a car whose physics
// data carries a terrain query's result, over the 2 x 2 ground.
class GroundQuad : public GroundDecal {
  protected:
    GroundQuad()
    {
        decal.SetBoundingBox(CPBoundingBox({0, 0, 0}, {0.9f, 0.4f, 0.5f}));
        quad = new CPRenderObject(&decal);
        decal.SetRenderObject(quad, CPGameObject::kMeshObject);
        data = new CPPhysicData(&car);
        car.SetPhysicData(data);
        render.SetTerrainMesh(&terrain);

        // Last frame's decal, which a call that builds nothing must keep.
        quad->GetVertices().resize(3);
        quad->GetWorldVertices().resize(3);
        quad->GetIndices() = {0, 1, 2};
    }

    void List(std::initializer_list<std::int32_t> triangles)
    {
        std::copy(triangles.begin(), triangles.end(), data->GetTerrainTriangles());
        data->SetTerrainTriangleCount(static_cast<std::int32_t>(triangles.size()));
    }

    bool KeptLastDecal() const
    {
        return quad->GetVertices().size() == 3 && quad->GetWorldVertices().size() == 3 &&
               quad->GetIndices() == std::vector<std::uint16_t>{0, 1, 2};
    }

    // A quarter turn about z (x goes to y), then a move to (1, 1, 0.5).
    static Matrix4 TurnedPlacement()
    {
        Matrix4 m = Translation(1, 1, 0.5f);
        m.m[0][0] = 0.0f;
        m.m[0][1] = 1.0f;
        m.m[1][0] = -1.0f;
        m.m[1][1] = 0.0f;
        return m;
    }

    CPGameObject decal{"shadow"};
    CPGameObject car{"car"};
    CPRenderObject* quad;
    CPPhysicData* data;
};

} // namespace

TEST_F(GroundQuad, LaysTheDecalObjectOnTheTrianglesOfThePhysicsData)
{
    // The box's half extents 0.9 and 0.4 widen to 1.0 and 0.5. Turned and
    // moved, the footprint's origin (-1, -0.5) lands on (1.5, 0), its u edge
    // runs to (1.5, 2) and its v edge to (0.5, 0): s = y / 2, t = 1.5 - x.
    // Listed: the second triangle, the first, the first again reordered.
    List({1, 0, 2});
    render.AddGroundQuad(&decal, TurnedPlacement(), data);

    struct Expected {
        Vector3 position;
        float u, v;
    } expected[] = {
        {{2, 0, 0.03f}, -1.0f, -0.5f}, {{2, 2, 1.03f}, 0.0f, -0.5f},  {{0, 2, 0.03f}, 0.0f, 1.5f},
        {{0, 0, 0.03f}, -1.0f, 1.5f},  {{2, 0, 0.03f}, -1.0f, -0.5f}, {{0, 2, 0.03f}, 0.0f, 1.5f},
    };
    const std::vector<CPMeshVertex>& vertices = quad->GetVertices();
    ASSERT_EQ(vertices.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_NEAR(vertices[i].position.x, expected[i].position.x, 1e-6f) << i;
        EXPECT_NEAR(vertices[i].position.y, expected[i].position.y, 1e-6f) << i;
        EXPECT_NEAR(vertices[i].position.z, expected[i].position.z, 1e-6f) << i;
        EXPECT_NEAR(vertices[i].uv1.x, expected[i].u, 1e-5f) << i;
        EXPECT_NEAR(vertices[i].uv1.y, expected[i].v, 1e-5f) << i;
    }
    EXPECT_EQ(quad->GetIndices(), (std::vector<std::uint16_t>{0, 1, 2, 3, 4, 5}));
    ASSERT_EQ(quad->GetWorldVertices().size(), 6u);
    EXPECT_EQ(quad->GetWorldVertices()[1].position.z, vertices[1].position.z);

    // Away from the terrain the query lists nothing and the decal goes.
    data->SetTerrainTriangleCount(0);
    render.AddGroundQuad(&decal, TurnedPlacement(), data);
    EXPECT_TRUE(quad->GetVertices().empty());
    EXPECT_TRUE(quad->GetWorldVertices().empty());
    EXPECT_TRUE(quad->GetIndices().empty());
}

TEST_F(GroundQuad, AMeshRebuiltAndSetAgainIsReadAnew)
{
    // The renderer reads its own copy of the mesh: the far corner lowered
    // and the mesh set again, the decal follows; one of 2 + 1 vertices
    // names no whole triangle any more.
    List({1});
    terrain.vertices[3].z = -1.0f;
    render.SetTerrainMesh(&terrain);
    ASSERT_TRUE(render.AddGroundQuad(&decal, TurnedPlacement(), data));
    ASSERT_EQ(quad->GetVertices().size(), 3u);
    EXPECT_NEAR(quad->GetVertices()[1].position.z, -0.97f, 1e-6f);

    terrain.vertices.pop_back();
    render.SetTerrainMesh(&terrain);
    ASSERT_TRUE(render.AddGroundQuad(&decal, TurnedPlacement(), data));
    EXPECT_TRUE(quad->GetVertices().empty());
}

TEST_F(GroundQuad, BuildsNothingWithoutADecalMeshPhysicsDataTerrainOrFootprint)
{
    List({0, 1});
    CPGameObject bare("bare");
    CPGameObject lit("lit");
    lit.SetRenderObject(new CPLight, CPGameObject::kLight);
    CPGameObject animated("animated");
    CPRenderObject* animatedMesh = new CPRenderObject(&animated);
    animated.SetRenderObject(animatedMesh, CPGameObject::kAnimatedObject);
    Matrix4 flat; // everything onto one point
    flat.m[3][3] = 1.0f;

    struct Case {
        const char* what;
        CPObjectPtr decal;
        Matrix4 placement;
        CPObjectPtr physicData;
        const CPTerrainMesh* terrain;
    } cases[] = {
        {"no decal object", {}, TurnedPlacement(), data, &terrain},
        {"not a game object", data, TurnedPlacement(), data, &terrain},
        {"no render object", &bare, TurnedPlacement(), data, &terrain},
        {"a light", &lit, TurnedPlacement(), data, &terrain},
        {"not a mesh render object", &animated, TurnedPlacement(), data, &terrain},
        {"no physics data", &decal, TurnedPlacement(), {}, &terrain},
        {"not physics data", &decal, TurnedPlacement(), &car, &terrain},
        {"no collision mesh", &decal, TurnedPlacement(), data, nullptr},
        {"a footprint without area", &decal, flat, data, &terrain},
    };
    for (const Case& c : cases) {
        render.SetTerrainMesh(c.terrain);
        render.AddGroundQuad(c.decal, c.placement, c.physicData);
        EXPECT_TRUE(KeptLastDecal()) << c.what;
        EXPECT_TRUE(animatedMesh->GetVertices().empty()) << c.what;
    }
}
