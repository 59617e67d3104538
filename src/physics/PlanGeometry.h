#pragma once

#include "platform/MathTypes.h"

// Plan-view (x, y) tests the collision mesh sorts its triangles with.

// True when p lies in the triangle (a, b, c) or on its boundary, whichever
// way the triangle winds.
bool PlanPointInTriangle(const Vector2& p, const Vector2& a, const Vector2& b, const Vector2& c);

// True when the segments p0-p1 and q0-q1 meet, end points included;
// parallel segments never do.
bool PlanSegmentsCross(const Vector2& p0, const Vector2& p1, const Vector2& q0, const Vector2& q1);

// True when the triangle overlaps the closed square cell of the given edge
// length whose lowest corner is (x0, y0).
bool PlanTriangleOverlapsCell(const Vector2 triangle[3], float x0, float y0, float cellSize);
