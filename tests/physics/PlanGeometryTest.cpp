#include "physics/PlanGeometry.h"

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
