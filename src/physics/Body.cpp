#include "physics/Body.h"

#include <algorithm>
#include <cmath>

#include "physics/BroadPhase.h"
#include "physics/PhysicsMath.h"
#include "physics/RigidBody.h"
#include "physics/Simulator.h"

using namespace phmath;

namespace {

// A running box in the body's frame; empty until the first point.
struct LocalBox {
    Vector4 minimum = {1e6f, 1e6f, 1e6f, 0.0f};
    Vector4 maximum = {-1e6f, -1e6f, -1e6f, 0.0f};
    bool any = false;

    void Add(const Vector4& low, const Vector4& high)
    {
        for (int i = 0; i < 3; ++i) {
            SetComponent(minimum, i, std::min(Component(minimum, i), Component(low, i)));
            SetComponent(maximum, i, std::max(Component(maximum, i), Component(high, i)));
        }
        any = true;
    }
    void Add(const Vector4& point) { Add(point, point); }
};

// Makes shape the axis-aligned box of the given extent in the body frame.
void ShapeFromBox(const LocalBox& box, PhGeometry& shape)
{
    shape = PhGeometry();
    Vector4 half, centre;
    for (int i = 0; i < 3; ++i) {
        const float low = Component(box.minimum, i), high = Component(box.maximum, i);
        SetComponent(half, i, box.any ? 0.5f * (high - low) : 0.0f);
        SetComponent(centre, i, box.any ? 0.5f * (high + low) : 0.0f);
    }
    shape.SetBoxSize(2.0f * half.x, 2.0f * half.y, 2.0f * half.z);
    shape.localTransform.m[3][0] = centre.x;
    shape.localTransform.m[3][1] = centre.y;
    shape.localTransform.m[3][2] = centre.z;
}

} // namespace

void PhBody::SetActive(int a, std::uint32_t word)
{
    if (!simulator || (active != 0) == (a != 0))
        return;
    if (a == 0) {
        simulator->MoveBetweenLists(*this, false);
        simulator->GetBroadPhase().Leave(*this);
        active = 0;
        return;
    }
    simulator->MoveBetweenLists(*this, true);
    if (geometries.count > 0)
        simulator->GetBroadPhase().Enter(*this, word);
    active = 1;
}

PhSensor* PhBody::AddSensor()
{
    if (!simulator)
        return nullptr;
    PhSensor* sensor = simulator->TakeSensor();
    if (sensor)
        sensors.Append(sensor);
    return sensor;
}

PhGeometry* PhBody::AddGeometry()
{
    if (!simulator)
        return nullptr;
    PhGeometry* geometry = simulator->TakeGeometry();
    if (!geometry)
        return nullptr;
    geometries.Append(geometry);
    if (active && !inBroadPhase)
        simulator->GetBroadPhase().Enter(*this, 0);
    return geometry;
}

void PhBody::UpdateBoundingInfo()
{
    const PhGeometry* only = geometries.count == 1 ? geometries.head : nullptr;
    if (only && only->kind == kPhGeometryBox) {
        boundingShape = *only;
        boundingShape.next = boundingShape.prev = nullptr;
        boundingShape.inUse = 0;
    } else {
        LocalBox box;
        for (const PhGeometry* g = geometries.head; g; g = g->next) {
            Vector4 low, high;
            if (g->GetLocalBounds(low, high))
                box.Add(low, high);
        }
        ShapeFromBox(box, boundingShape);
    }

    boundingRadius = 0.0f;
    for (const PhGeometry* g = geometries.head; g; g = g->next)
        boundingRadius = std::max(boundingRadius, g->GetBoundingRadius());

    // The sensor segments widen the shape to the box that also holds them.
    if (sensors.head) {
        LocalBox box;
        Vector4 low, high;
        if ((geometries.count > 0) && boundingShape.GetLocalBounds(low, high))
            box.Add(low, high);
        for (const PhSensor* s = sensors.head; s; s = s->next) {
            box.Add(s->start);
            box.Add(Add(s->start, s->direction));
        }
        ShapeFromBox(box, boundingShape);
    }

    for (int k = 0; k < 3; ++k) {
        Vector4 axis = Row(boundingShape.localTransform, k);
        axis.w = 0.0f;
        localAxes[k] = Scale(axis, boundingShape.shape[k]);
    }
    localCentre = Row(boundingShape.localTransform, 3);
    localCentre.w = 0.0f;
    if (simulator)
        simulator->PrepareGeometries(*this);
}

Vector4 PhBody::GetVelocityAtPoint(const Vector4& r) const
{
    if (dynamic == 0)
        return Vector4{};
    const PhRigidBody& body = static_cast<const PhRigidBody&>(*this);
    Vector4 result = Add(body.velocity, Cross(body.angularVelocity, r));
    result.w = 0.0f;
    return result;
}

void PhBody::UpdateWorldBounds(const Vector4 rotationRows[3], const Vector4& position)
{
    if (geometries.count == 0)
        return;
    const Vector4 centre = Add(MulRows(localCentre, rotationRows), position);
    Vector4 axes[3];
    for (int k = 0; k < 3; ++k)
        axes[k] = MulRows(localAxes[k], rotationRows);
    for (int i = 0; i < 3; ++i) {
        float extent = 0.0f;
        for (const Vector4& axis : axes)
            extent += std::fabs(Component(axis, i));
        SetComponent(worldMin, i, Component(centre, i) - extent);
        SetComponent(worldMax, i, Component(centre, i) + extent);
    }
    worldMin.w = worldMax.w = 0.0f;
    if (simulator)
        simulator->GetBroadPhase().Move(*this);
}
