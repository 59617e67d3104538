#include "physics/CollisionMesh.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "PhysicsTestSupport.h"
#include "Render/MeshVertex.h"
#include "platform/Math.h"

using namespace phtest;

namespace {

// A triangle soup written the way a terrain's render object holds it.
struct Soup {
    std::vector<CPMeshVertex> vertices;
    std::vector<std::uint16_t> indices;

    std::uint16_t Vertex(float x, float y, float z = 0.0f)
    {
        CPMeshVertex v;
        v.position = Vector3{x, y, z};
        vertices.push_back(v);
        return static_cast<std::uint16_t>(vertices.size() - 1);
    }
    void Triangle(Vector3 a, Vector3 b, Vector3 c)
    {
        const std::uint16_t i = Vertex(a.x, a.y, a.z), j = Vertex(b.x, b.y, b.z), k = Vertex(c.x, c.y, c.z);
        indices.insert(indices.end(), {i, j, k});
    }
    // A small triangle wholly inside the cell of a grid whose origin is (0, 0).
    void TriangleInCell(int cx, int cy, float z = 0.0f)
    {
        const float x = 4.0f * cx + 1.0f, y = 4.0f * cy + 1.0f;
        Triangle({x, y, z}, {x + 2, y, z}, {x, y + 2, z});
    }
    bool BuildInto(CPCollisionMesh& mesh, const Matrix4& world = IdentityMatrix()) const
    {
        return mesh.Build(vertices.data(), static_cast<std::int32_t>(vertices.size()), indices.data(),
                          static_cast<std::int32_t>(indices.size()), world);
    }
};

std::vector<std::int32_t> CellList(const CPCollisionMesh& mesh, int cx, int cy)
{
    const std::int32_t* first = mesh.GetCellTriangles(cx, cy);
    return std::vector<std::int32_t>(first, first + mesh.GetCellTriangleCount(cx, cy));
}

std::vector<std::int32_t> RunQuery(const CPCollisionMesh& mesh, Vector4 a, Vector4 b)
{
    std::vector<std::int32_t> out(1000, -7);
    out.resize(mesh.Query(a, b, out.data(), 1000));
    return out;
}

// The query as its contract reads, one cell at a time: the sampled cells,
// then the widened rectangle x by x, each cell whole until the next would
// bring the list to capacity or more.
std::vector<std::int32_t> CellByCell(const CPCollisionMesh& mesh, const Vector4& a, const Vector4& b,
                                     std::int32_t capacity)
{
    const float samples[5][2] = {
        {a.x, a.y}, {b.x, b.y}, {a.x, b.y}, {b.x, a.y}, {0.5f * (a.x + b.x), 0.5f * (a.y + b.y)}};
    std::vector<std::pair<std::int32_t, std::int32_t>> sampled;
    for (const auto& sample : samples) {
        std::int32_t cx, cy;
        mesh.CellOf(sample[0], sample[1], cx, cy);
        if (std::find(sampled.begin(), sampled.end(), std::make_pair(cx, cy)) == sampled.end())
            sampled.emplace_back(cx, cy);
    }
    std::vector<std::int32_t> list;
    auto take = [&](std::int32_t cx, std::int32_t cy) {
        const std::int32_t n = mesh.GetCellTriangleCount(cx, cy);
        if (static_cast<std::int32_t>(list.size()) + n >= capacity)
            return false;
        const std::int32_t* first = mesh.GetCellTriangles(cx, cy);
        list.insert(list.end(), first, first + n);
        return true;
    };
    std::int32_t lowX = mesh.GetWidth(), lowY = mesh.GetHeight(), highX = -1, highY = -1;
    for (const auto& cell : sampled) {
        if (!take(cell.first, cell.second))
            return list;
        lowX = std::min(lowX, cell.first);
        highX = std::max(highX, cell.first);
        lowY = std::min(lowY, cell.second);
        highY = std::max(highY, cell.second);
    }
    for (std::int32_t x = std::max(lowX - 1, 0); x <= std::min(highX + 1, mesh.GetWidth() - 1); ++x) {
        for (std::int32_t y = std::max(lowY - 1, 0); y <= std::min(highY + 1, mesh.GetHeight() - 1); ++y) {
            if (std::find(sampled.begin(), sampled.end(), std::make_pair(x, y)) == sampled.end() &&
                !take(x, y))
                return list;
        }
    }
    return list;
}

} // namespace

TEST(CollisionMesh, TheGridCoversTheMeshAndTheOriginWithTenCellsToSpare)
{
    struct Case {
        const char* what;
        Vector3 low, high;
        Vector4 origin;
        int width, height;
    };
    const Case cases[] = {
        {"0..40 by 0..8", {0, 0, 0}, {40, 8, 0}, {0, 0, 0}, 20, 12},
        {"all positive: the origin stays in", {10, 20, 3}, {18, 30, 5}, {0, 0, 0}, 15, 18},
        {"below the origin", {-10, -6, -2}, {2, 1, 0}, {-10, -6, -2}, 13, 12},
        {"a span that is no whole number of cells", {0, 0, 0}, {41, 0.5f, 0}, {0, 0, 0}, 21, 11},
    };
    for (const Case& k : cases) {
        Soup soup;
        soup.Triangle(k.low, {k.high.x, k.low.y, k.low.z}, k.high);
        SCOPED_TRACE(k.what);
        CPCollisionMesh mesh;
        ASSERT_TRUE(soup.BuildInto(mesh));
        EXPECT_VEC3_NEAR(mesh.GetOrigin(), k.origin.x, k.origin.y, k.origin.z, 1e-6f);
        EXPECT_EQ(mesh.GetWidth(), k.width) << k.what;
        EXPECT_EQ(mesh.GetHeight(), k.height) << k.what;
    }
}

TEST(CollisionMesh, VerticesArePlacedByTheWorldMatrix)
{
    Soup soup;
    soup.Triangle({1, 2, 3}, {5, 2, 3}, {1, 6, 3});
    CPCollisionMesh mesh;
    // A quarter turn about z (x goes to y), then a move by (100, 0, 5).
    ASSERT_TRUE(soup.BuildInto(mesh, RotationMatrixZ(1.5707964f) * TranslationMatrix(100, 0, 5)));
    ASSERT_EQ(mesh.GetVertexCount(), 3);
    EXPECT_VEC3_NEAR(mesh.GetVertices()[0], 98, 1, 8, 1e-4f);
    EXPECT_VEC3_NEAR(mesh.GetVertices()[1], 98, 5, 8, 1e-4f);
    std::int32_t corners[3];
    ASSERT_TRUE(mesh.GetTriangle(0, corners));
    EXPECT_EQ(corners[0], 0);
    EXPECT_EQ(corners[2], 2);
    EXPECT_FLOAT_EQ(mesh.GetVertex(2).z, 8.0f);
}

TEST(CollisionMesh, ALargeTriangleIsListedByEveryCellItCoversAndNoOther)
{
    Soup soup;
    soup.TriangleInCell(0, 0);                        // triangle 0
    soup.Triangle({2, 2, 0}, {38, 2, 0}, {2, 38, 0}); // triangle 1, the corner half of a square
    CPCollisionMesh mesh;
    ASSERT_TRUE(soup.BuildInto(mesh));
    EXPECT_EQ(CellList(mesh, 0, 0), (std::vector<std::int32_t>{0, 1})) << "ascending";
    EXPECT_EQ(CellList(mesh, 4, 4), std::vector<std::int32_t>{1}) << "wholly inside, no vertex";
    EXPECT_EQ(CellList(mesh, 4, 5), std::vector<std::int32_t>{1}) << "cut by the slanted edge";
    EXPECT_EQ(CellList(mesh, 5, 5), std::vector<std::int32_t>{1}) << "a corner on the slanted edge";
    EXPECT_TRUE(CellList(mesh, 5, 6).empty()) << "beyond the slanted edge";
    EXPECT_EQ(CellList(mesh, 9, 0), std::vector<std::int32_t>{1}) << "holding a vertex";
    EXPECT_TRUE(CellList(mesh, 10, 0).empty()) << "past the far end";
}

TEST(CollisionMesh, TrianglesNamingMissingVerticesAreLeftOutAndReported)
{
    ScopedLogFile log;
    Soup soup;
    soup.TriangleInCell(1, 1);
    soup.indices.insert(soup.indices.end(), {0, 1, 9}); // vertex 9 does not exist
    soup.TriangleInCell(1, 1);
    soup.indices.push_back(0); // a stray index after the last triangle
    CPCollisionMesh mesh;
    ASSERT_TRUE(soup.BuildInto(mesh));
    EXPECT_EQ(mesh.GetTriangleCount(), 3);
    std::int32_t corners[3];
    EXPECT_FALSE(mesh.GetTriangle(1, corners));
    EXPECT_EQ(mesh.GetTriangles()[1].vertex[0], -1);
    EXPECT_EQ(CellList(mesh, 1, 1), (std::vector<std::int32_t>{0, 2}));
    const std::string text = log.Read();
    EXPECT_NE(text.find("1 triangles name vertices the mesh does not have"), std::string::npos) << text;
    EXPECT_NE(text.find("1 indices after the last whole triangle"), std::string::npos) << text;
}

TEST(CollisionMesh, MeshesThatCannotBeGriddedAreRefusedAndLeaveNoMesh)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* what;
        Vector3 far;
        const char* logged;
    };
    const Case cases[] = {
        {"a vertex that is not a number", {nan, 0, 0}, "is not a finite point"},
        {"an infinite vertex", {0, inf, 0}, "is not a finite point"},
        {"a mesh spanning 100 km", {100000, 100000, 0}, "is too large"},
    };
    for (const Case& k : cases) {
        ScopedLogFile log;
        Soup good, bad;
        good.TriangleInCell(0, 0);
        bad.Triangle({0, 0, 0}, {4, 0, 0}, k.far);
        CPCollisionMesh mesh;
        ASSERT_TRUE(good.BuildInto(mesh));
        EXPECT_FALSE(bad.BuildInto(mesh)) << k.what;
        EXPECT_TRUE(mesh.IsEmpty()) << k.what;
        EXPECT_EQ(mesh.GetTriangleCount(), 0) << k.what;
        EXPECT_NE(log.Read().find(k.logged), std::string::npos) << k.what;
        EXPECT_EQ(mesh.Query(V(1, 1, 0), V(2, 2, 0), std::vector<std::int32_t>(10).data(), 10), 0);
    }
}

TEST(CollisionMesh, AQueryTakesTheSampledCellsFirstThenTheWidenedRectangle)
{
    Soup soup;
    soup.TriangleInCell(0, 0); // 0
    soup.TriangleInCell(2, 1); // 1
    soup.TriangleInCell(1, 1); // 2
    soup.TriangleInCell(3, 2); // 3: in the widened rectangle
    soup.TriangleInCell(4, 1); // 4: beyond it
    CPCollisionMesh mesh;
    ASSERT_TRUE(soup.BuildInto(mesh));
    // Corners in cells (1, 1) and (2, 1); the rectangle is x 0..3, y 0..2.
    EXPECT_EQ(RunQuery(mesh, V(6, 6, 0), V(10, 6.5f, 3)), (std::vector<std::int32_t>{2, 1, 0, 3}));
    // Far outside the grid: the edge cell (0, 0) and its neighbours.
    EXPECT_EQ(RunQuery(mesh, V(-500, -500, 0), V(-400, -400, 0)), (std::vector<std::int32_t>{0, 2}));
}

TEST(CollisionMesh, AQueryStopsAtTheFirstCellThatWouldFillTheList)
{
    struct Case {
        int first, second;
        int listed;
    };
    const Case cases[] = {{600, 500, 600}, {600, 399, 999}, {600, 400, 600}, {1000, 0, 0}};
    for (const Case& k : cases) {
        Soup soup;
        soup.TriangleInCell(1, 1);
        soup.TriangleInCell(2, 1);
        soup.indices.clear();
        for (int i = 0; i < k.first; ++i)
            soup.indices.insert(soup.indices.end(), {0, 1, 2});
        for (int i = 0; i < k.second; ++i)
            soup.indices.insert(soup.indices.end(), {3, 4, 5});
        CPCollisionMesh mesh;
        ASSERT_TRUE(soup.BuildInto(mesh));
        EXPECT_EQ(static_cast<int>(RunQuery(mesh, V(6, 6, 0), V(6, 6, 0)).size()), k.listed)
            << k.first << " then " << k.second;
    }
}

// Boxes of every size over ground with crowded and empty cells, the list
// long enough and too short: the query lists what taking its cells one at
// a time lists, in the same order, and stops where that stops.
TEST(CollisionMesh, AQueryListsWhatTakingEachCellInTurnLists)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<float> across(-8.0f, 48.0f), size(0.2f, 9.0f), height(-2.0f, 2.0f);
    Soup soup;
    for (int t = 0; t < 400; ++t) {
        const float x = across(random), y = across(random), s = size(random);
        soup.Triangle({x, y, height(random)}, {x + s, y, height(random)},
                      {x, y + size(random), height(random)});
    }
    CPCollisionMesh mesh;
    ASSERT_TRUE(soup.BuildInto(mesh));
    int stopped = 0;
    for (int box = 0; box < 2000; ++box) {
        const Vector4 a = V(across(random), across(random), 0);
        const Vector4 b = V(a.x + 2.0f * size(random), a.y + 2.0f * size(random), 1);
        for (std::int32_t capacity : {1000, 120, 40, 9}) {
            std::vector<std::int32_t> out(static_cast<std::size_t>(capacity), -7);
            out.resize(static_cast<std::size_t>(mesh.Query(a, b, out.data(), capacity)));
            const std::vector<std::int32_t> expected = CellByCell(mesh, a, b, capacity);
            ASSERT_EQ(out, expected) << "box " << box << ", room for " << capacity;
            stopped += capacity == 120 && CellByCell(mesh, a, b, 1000) != expected ? 1 : 0;
        }
    }
    // Lists cut short were among them.
    EXPECT_GT(stopped, 100);
}

TEST(CollisionMesh, NearestVertexHeightSearchesThePointsCell)
{
    Soup soup;
    soup.Triangle({5, 5, 1}, {7, 5, -5}, {5, 7, -5});
    soup.Triangle({5, 5, 9}, {7, 7, 20}, {7, 5, 30}); // (5, 5) again, later
    CPCollisionMesh mesh;
    ASSERT_TRUE(soup.BuildInto(mesh));
    struct Case {
        const char* what;
        Vector3 p;
        float height;
    };
    const Case cases[] = {
        {"on a vertex", {7, 5, -5}, -5.0f},
        {"nearest in 3D", {7, 6.9f, 19}, 20.0f},
        {"a tie keeps the earlier vertex", {5, 5, 5}, 1.0f},
        {"a cell without triangles", {30, 30, 0}, 0.0f},
        {"nothing within 1000", {6, 6, 2000}, 0.0f},
        {"outside the grid: the edge cell", {-300, -300, 0}, 0.0f},
    };
    for (const Case& k : cases)
        EXPECT_FLOAT_EQ(mesh.GetNearestVertexHeight(k.p), k.height) << k.what;
    CPCollisionMesh empty;
    EXPECT_FLOAT_EQ(empty.GetNearestVertexHeight({0, 0, 0}), 0.0f);
}
