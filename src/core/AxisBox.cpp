#include "core/AxisBox.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "core/BoundingBox.h"
#include "core/ShadowMatrix.h"
#include "platform/MatrixMath.h"
#include "platform/RowExtremes.h"
#include "platform/VectorMath.h"

void AxisBox::SetFromBoxList(const std::vector<CPBoundingBox>& boxes)
{
    minimum = boxes.front().minimum;
    maximum = boxes.front().maximum;
    for (const CPBoundingBox& box : boxes) {
        minimum = ComponentMin(minimum, box.minimum);
        maximum = ComponentMax(maximum, box.maximum);
    }
    Recompute();
}

void AxisBox::SetFromBox(const CPBoundingBox& box)
{
    minimum = box.minimum;
    maximum = box.maximum;
    halfSize = (maximum - minimum) * 0.5f;
    centre = minimum + halfSize;
}

#if !defined(__SSE2__)

void AxisBox::Extend(const AxisBox& other)
{
    minimum = ComponentMin(minimum, other.minimum);
    maximum = ComponentMax(maximum, other.maximum);
}

void AxisBox::Recompute()
{
    centre = (minimum + maximum) * 0.5f;
    halfSize = (maximum - minimum) * 0.5f;
}

namespace {

// The images of the box's corners under a matrix that keeps w the same at
// every point, from the per-axis extremes (ShadowRowExtremes), a column at a
// time. False, with the box untouched, where the box or an image is not
// finite: the corners then decide.
bool WidenBySharedW(AxisBox& box, const Matrix4& m)
{
    const float from[3] = {box.minimum.x, box.minimum.y, box.minimum.z};
    const float to[3] = {box.maximum.x, box.maximum.y, box.maximum.z};
    Vector3 low, high;
    if (!ShadowRowExtremes(from, to, m, low, high))
        return false;
    box.minimum = ComponentMin(box.minimum, low);
    box.maximum = ComponentMax(box.maximum, high);
    return true;
}

} // namespace

#endif

bool AxisBox::AddShadowByCorners()
{
    if (IsEmpty())
        return false;
    const ShadowState& state = GetShadowState();
    const Matrix4& shadow = state.matrix;
#if !defined(__SSE2__)
    if (state.sharedW && WidenBySharedW(*this, shadow))
        return true;
#endif
    const Vector3 lo = minimum, hi = maximum;
    for (int i = 0; i < 8; ++i) {
        const Vector3 corner{(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z};
        const Vector4 h = TransformHomogeneous(corner, shadow);
        if (h.w == 0.0f)
            continue;
        const Vector3 image{h.x / h.w, h.y / h.w, h.z / h.w};
        if (!IsFinite(image))
            continue;
        minimum = ComponentMin(minimum, image);
        maximum = ComponentMax(maximum, image);
    }
    return false;
}

bool AxisBox::IntersectSegment(const Vector3& origin, const Vector3& direction, float length) const
{
    const float l = length * 0.5f;
    const Vector3 mid = origin + direction * l;
    const Vector3 v = centre - mid;
    const Vector3& e = halfSize;
    const Vector3 r = direction;
    if (std::fabs(v.x) > std::fabs(r.x) * l + e.x)
        return false;
    if (std::fabs(v.y) > std::fabs(r.y) * l + e.y)
        return false;
    if (std::fabs(v.z) > std::fabs(r.z) * l + e.z)
        return false;
    if (std::fabs(v.y * r.z - v.z * r.y) > e.y * std::fabs(r.z) + e.z * std::fabs(r.y))
        return false;
    if (std::fabs(v.z * r.x - v.x * r.z) > e.x * std::fabs(r.z) + e.z * std::fabs(r.x))
        return false;
    if (std::fabs(v.x * r.y - v.y * r.x) > e.x * std::fabs(r.y) + e.y * std::fabs(r.x))
        return false;
    return true;
}

bool AxisBox::Contains(const Vector3& point) const
{
    return std::fabs(centre.x - point.x) < halfSize.x && std::fabs(centre.y - point.y) < halfSize.y &&
           std::fabs(centre.z - point.z) < halfSize.z;
}

bool AxisBox::IntersectsSphere(const Vector3& point, float radius) const
{
    auto axisDistance = [](float p, float lo, float hi) {
        if (p < lo)
            return lo - p;
        if (p > hi)
            return p - hi;
        return 0.0f;
    };
    const float dx = axisDistance(point.x, minimum.x, maximum.x);
    const float dy = axisDistance(point.y, minimum.y, maximum.y);
    const float dz = axisDistance(point.z, minimum.z, maximum.z);
    return dx * dx + dy * dy + dz * dz <= radius * radius;
}
