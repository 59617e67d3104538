#include "physics/PlanGeometry.h"

#include <cstdint>

#include <gtest/gtest.h>

namespace {

struct PointCase {
    const char* what;
    Vector2 p;
    bool inside;
};

struct CrossCase {
    const char* what;
    Vector2 p0, p1, q0, q1;
    bool cross;
};

struct CellCase {
    const char* what;
    Vector2 triangle[3];
    bool overlaps;
};

} // namespace

TEST(PlanGeometry, PointInTriangleCountsTheBoundaryWhicheverWayTheTriangleWinds)
{
    const Vector2 a{0, 0}, b{4, 0}, c{0, 4};
    const PointCase cases[] = {
        {"inside", {1, 1}, true},
        {"on an edge", {2, 0}, true},
        {"on the slanted edge", {2, 2}, true},
        {"a corner", {4, 0}, true},
        {"beyond the slanted edge", {2.5f, 2.5f}, false},
        {"left of the triangle", {-0.5f, 1}, false},
        {"below the triangle", {1, -0.01f}, false},
    };
    for (const PointCase& k : cases) {
        EXPECT_EQ(PlanPointInTriangle(k.p, a, b, c), k.inside) << k.what << ", counter-clockwise";
        EXPECT_EQ(PlanPointInTriangle(k.p, a, c, b), k.inside) << k.what << ", clockwise";
    }
}

TEST(PlanGeometry, SegmentsCrossIncludingTheirEndPointsButNeverWhenParallel)
{
    const CrossCase cases[] = {
        {"an X", {0, 0}, {2, 2}, {0, 2}, {2, 0}, true},
        {"touching end to end", {0, 0}, {1, 0}, {1, 0}, {1, 1}, true},
        {"an end on the other's middle", {1, 0}, {1, 1}, {0, 0}, {2, 0}, true},
        {"parallel and overlapping", {0, 0}, {2, 0}, {1, 0}, {3, 0}, false},
        {"parallel apart", {0, 0}, {2, 0}, {0, 1}, {2, 1}, false},
        {"lines that would meet beyond the ends", {0, 0}, {1, 1}, {3, 0}, {2, 1}, false},
        {"boxes that overlap, segments that miss", {0, 0}, {2, 2}, {2, 0}, {1.5f, 0.4f}, false},
    };
    for (const CrossCase& k : cases) {
        EXPECT_EQ(PlanSegmentsCross(k.p0, k.p1, k.q0, k.q1), k.cross) << k.what;
        EXPECT_EQ(PlanSegmentsCross(k.q0, k.q1, k.p0, k.p1), k.cross) << k.what << ", swapped";
    }
}

TEST(PlanGeometry, ATriangleOverlapsACellByAVertexACornerOrACrossingEdge)
{
    // The cell [4, 8] x [4, 8].
    const CellCase cases[] = {
        {"a vertex inside", {{5, 5}, {20, 5}, {20, 20}}, true},
        {"a vertex on the cell's edge", {{8, 6}, {12, 6}, {12, 9}}, true},
        {"the cell inside a large triangle", {{-100, -100}, {100, -100}, {0, 100}}, true},
        {"a thin sliver passing through", {{0, 5}, {12, 6}, {12, 6.5f}}, true},
        {"beside the cell", {{9, 4}, {12, 4}, {12, 8}}, false},
        {"near a corner, missing it", {{0, 7.5f}, {3.5f, 12}, {0, 12}}, false},
    };
    for (const CellCase& k : cases)
        EXPECT_EQ(PlanTriangleOverlapsCell(k.triangle, 4.0f, 4.0f, 4.0f), k.overlaps) << k.what;
}

namespace {

// The cell test as first written, corner by corner and edge by edge, for
// the faster one to be held to.
bool ReferenceOverlap(const Vector2 t[3], float x0, float y0, float size)
{
    const float x1 = x0 + size;
    const float y1 = y0 + size;
    for (int i = 0; i < 3; ++i)
        if (t[i].x >= x0 && t[i].x <= x1 && t[i].y >= y0 && t[i].y <= y1)
            return true;
    const Vector2 corners[4] = {{x0, y0}, {x1, y0}, {x0, y1}, {x1, y1}};
    for (const Vector2& corner : corners)
        if (PlanPointInTriangle(corner, t[0], t[1], t[2]))
            return true;
    const int edges[4][2] = {{0, 1}, {1, 3}, {2, 3}, {2, 0}};
    for (const auto& edge : edges)
        for (int i = 0; i < 3; ++i)
            if (PlanSegmentsCross(corners[edge[0]], corners[edge[1]], t[i], t[(i + 1) % 3]))
                return true;
    return false;
}

} // namespace

// The collision mesh sorts its triangles with the cell test, which skips
// the edge crossings for cells beside the triangle; a cell it
// answered differently would move a triangle in or out of a cell and change
// what the cars touch. Degenerate triangles (a point, a line) lie inside
// every point their zero sides cannot tell apart, and those answers must
// match too.
TEST(PlanGeometry, TheTriangleCellTestAnswersAsTheCornerByCornerTest)
{
    std::uint32_t state = 12345u;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / static_cast<float>(1u << 24);
    };
    auto coordinate = [&](float spread) {
        // Some coordinates fall on cell lines exactly.
        const float value = (next() - 0.5f) * spread;
        return next() < 0.2f ? 4.0f * static_cast<float>(static_cast<int>(value / 4.0f)) : value;
    };
    int overlaps = 0;
    for (int n = 0; n < 4000; ++n) {
        Vector2 t[3];
        const float spread = n % 3 == 0 ? 6.0f : 30.0f;
        for (Vector2& v : t)
            v = {coordinate(spread), coordinate(spread)};
        if (n % 7 == 0)
            t[1] = t[2] = t[0]; // a point
        else if (n % 7 == 1)
            t[2] = {t[0].x + 2.0f * (t[1].x - t[0].x), t[0].y + 2.0f * (t[1].y - t[0].y)}; // about a line
        for (int x = -5; x < 5; ++x) {
            for (int y = -5; y < 5; ++y) {
                const float x0 = 0.3f + 4.0f * static_cast<float>(x);
                const float y0 = -0.7f + 4.0f * static_cast<float>(y);
                const bool expected = ReferenceOverlap(t, x0, y0, 4.0f);
                ASSERT_EQ(PlanTriangleOverlapsCell(t, x0, y0, 4.0f), expected)
                    << "triangle " << n << ", cell " << x << ", " << y;
                overlaps += expected ? 1 : 0;
            }
        }
    }
    // Both answers occur often enough for the comparison to mean something.
    EXPECT_GT(overlaps, 20000);
    EXPECT_LT(overlaps, 380000);
}
