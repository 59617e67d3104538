#include "core/AxisBox.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "core/BoundingBox.h"
#include "core/ShadowMatrix.h"
#include "platform/MatrixMath.h"
#include "platform/RowExtremes.h"
#include "platform/VectorMath.h"

void AxisBox::SetFromBoxes(const std::vector<CPBoundingBox>& boxes)
{
    if (boxes.empty()) {
        minimum = {kEmptyExtreme, kEmptyExtreme, kEmptyExtreme};
        maximum = {-kEmptyExtreme, -kEmptyExtreme, -kEmptyExtreme};
        return;
    }
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

void AxisBox::Merge(const AxisBox& other)
{
    Extend(other);
    Recompute();
}

#if defined(__SSE2__)

namespace {

using rowextremes::LoadTriple;
using rowextremes::StoreTriple;

// FloatMin and FloatMax lane by lane: a where it wins or b is a NaN, else b.
__m128 Pick(__m128 a, __m128 b, __m128 aWins)
{
    const __m128 keepA = _mm_or_ps(aWins, _mm_cmpunord_ps(b, b));
    return _mm_or_ps(_mm_and_ps(keepA, a), _mm_andnot_ps(keepA, b));
}

} // namespace

static_assert(offsetof(AxisBox, maximum) == offsetof(AxisBox, minimum) + sizeof(Vector3) &&
                  offsetof(AxisBox, halfSize) == offsetof(AxisBox, maximum) + sizeof(Vector3),
              "the box's triples are read four floats at a time");

void AxisBox::Extend(const AxisBox& other)
{
    // A merge per child of every moved object each frame.
    const __m128 lo = LoadTriple(minimum), otherLo = LoadTriple(other.minimum);
    const __m128 hi = LoadTriple(maximum), otherHi = LoadTriple(other.maximum);
    StoreTriple(Pick(lo, otherLo, _mm_cmplt_ps(lo, otherLo)), minimum);
    StoreTriple(Pick(hi, otherHi, _mm_cmpgt_ps(hi, otherHi)), maximum);
}

#else

void AxisBox::Extend(const AxisBox& other)
{
    minimum = ComponentMin(minimum, other.minimum);
    maximum = ComponentMax(maximum, other.maximum);
}

#endif

void AxisBox::Recompute()
{
    centre = (minimum + maximum) * 0.5f;
    halfSize = (maximum - minimum) * 0.5f;
}

bool AxisBox::IsEmpty() const
{
    return minimum.x > maximum.x || minimum.y > maximum.y || minimum.z > maximum.z;
}

namespace {

#if defined(__SSE2__)

// The images of the box's corners under a matrix that keeps w the same at
// every point (a light at infinity), found from the per-axis extremes: of
// each row's two products the smaller goes into the low sum and the larger
// into the high one, in the order the corner sums take them, and a division
// by the shared w keeps their order, so the result is the one corner by
// corner gives to the bit. The box's triples are read straight into lanes,
// as every shadow-casting object that moved comes here each frame. False,
// with the box untouched, where the box or an image is not finite: the
// corners then decide.
bool WidenBySharedW(AxisBox& box, const Matrix4& m)
{
    const __m128 lo = LoadTriple(box.minimum), hi = LoadTriple(box.maximum);
    __m128 smallest, largest;
    if (!FiniteShadowLaneExtremes(lo, hi, m, smallest, largest))
        return false;
    // Neither side is a NaN here, where FloatMin and FloatMax are the
    // processor's minimum and maximum with the box's own extreme first.
    StoreTriple(_mm_min_ps(lo, smallest), box.minimum);
    StoreTriple(_mm_max_ps(hi, largest), box.maximum);
    return true;
}

#else

// As above, a column at a time (ShadowRowExtremes).
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

#endif

} // namespace

void AxisBox::AddShadow()
{
    if (IsEmpty())
        return;
    const ShadowState& state = GetShadowState();
    const Matrix4& shadow = state.matrix;
    if (state.sharedW && WidenBySharedW(*this, shadow))
        return;
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
