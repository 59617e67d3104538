#include "physics/PlanGeometry.h"

#include <algorithm>

namespace {

// Positive when p lies left of the directed edge u-v.
inline float Side(const Vector2& p, const Vector2& u, const Vector2& v)
{
    return (p.y - u.y) * (v.x - u.x) - (v.y - u.y) * (p.x - u.x);
}

inline bool RangesOverlap(float a0, float a1, float b0, float b1)
{
    return std::max(a0, a1) >= std::min(b0, b1) && std::max(b0, b1) >= std::min(a0, a1);
}

inline bool PointInTriangle(const Vector2& p, const Vector2& a, const Vector2& b, const Vector2& c)
{
    const bool leftOfForward = Side(p, a, b) > 0.0f || Side(p, b, c) > 0.0f || Side(p, c, a) > 0.0f;
    if (!leftOfForward)
        return true;
    return !(Side(p, c, b) > 0.0f || Side(p, a, c) > 0.0f || Side(p, b, a) > 0.0f);
}

inline bool SegmentsCross(const Vector2& p0, const Vector2& p1, const Vector2& q0, const Vector2& q1)
{
    if (!RangesOverlap(p0.x, p1.x, q0.x, q1.x) || !RangesOverlap(p0.y, p1.y, q0.y, q1.y))
        return false;
    const float d = (q1.y - q0.y) * (p1.x - p0.x) - (q1.x - q0.x) * (p1.y - p0.y);
    if (d == 0.0f)
        return false;
    const float e = (p0.y - q0.y) * (p1.x - p0.x) - (p0.x - q0.x) * (p1.y - p0.y);
    const float f = (p0.y - q0.y) * (q1.x - q0.x) - (p0.x - q0.x) * (q1.y - q0.y);
    const float u = e / d;
    const float t = f / d;
    return u >= 0.0f && u <= 1.0f && t >= 0.0f && t <= 1.0f;
}

} // namespace

bool PlanPointInTriangle(const Vector2& p, const Vector2& a, const Vector2& b, const Vector2& c)
{
    return PointInTriangle(p, a, b, c);
}

bool PlanSegmentsCross(const Vector2& p0, const Vector2& p1, const Vector2& q0, const Vector2& q1)
{
    return SegmentsCross(p0, p1, q0, q1);
}

bool PlanTriangleOverlapsCell(const Vector2 triangle[3], float x0, float y0, float cellSize)
{
    const float x1 = x0 + cellSize;
    const float y1 = y0 + cellSize;
    for (int i = 0; i < 3; ++i) {
        const Vector2& v = triangle[i];
        if (v.x >= x0 && v.x <= x1 && v.y >= y0 && v.y <= y1)
            return true;
    }
    const Vector2 corners[4] = {{x0, y0}, {x1, y0}, {x0, y1}, {x1, y1}};
    for (const Vector2& corner : corners) {
        if (PointInTriangle(corner, triangle[0], triangle[1], triangle[2]))
            return true;
    }
    // Most cells a triangle is tried against lie beside it: when its box
    // misses the cell's, no edge of one can reach the other, and the twelve
    // edge pairs below would each only find that out themselves.
    const float lowX = std::min({triangle[0].x, triangle[1].x, triangle[2].x});
    const float highX = std::max({triangle[0].x, triangle[1].x, triangle[2].x});
    const float lowY = std::min({triangle[0].y, triangle[1].y, triangle[2].y});
    const float highY = std::max({triangle[0].y, triangle[1].y, triangle[2].y});
    if (highX < x0 || lowX > x1 || highY < y0 || lowY > y1)
        return false;
    // The cell's edges c0-c1, c1-c3, c2-c3, c2-c0 against the triangle's.
    const int cellEdges[4][2] = {{0, 1}, {1, 3}, {2, 3}, {2, 0}};
    for (const auto& edge : cellEdges) {
        for (int i = 0; i < 3; ++i) {
            if (SegmentsCross(corners[edge[0]], corners[edge[1]], triangle[i], triangle[(i + 1) % 3]))
                return true;
        }
    }
    return false;
}
