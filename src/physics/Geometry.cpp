#include "physics/Geometry.h"

#include <cmath>

#include "physics/PhysicsMath.h"

Matrix4 PhGeometry::IdentityTransform() { return phmath::Identity(); }

void PhGeometry::SetBoxSize(float x, float y, float z)
{
    kind = kPhGeometryBox;
    shape[0] = 0.5f * x;
    shape[1] = 0.5f * y;
    shape[2] = 0.5f * z;
    const float squared = shape[0] * shape[0] + shape[1] * shape[1] + shape[2] * shape[2];
    boxRadius = squared < 1e-6f ? 0.0f : std::sqrt(squared);
    reserved1 = 0;
}

void PhGeometry::SetCylinder(float diameter, float height)
{
    kind = kPhGeometryCylinder;
    shape[0] = 0.5f * diameter;
    shape[1] = shape[0] * shape[0];
    shape[2] = 0.5f * height;
}

bool PhGeometry::GetLocalBounds(Vector4& minimum, Vector4& maximum) const
{
    if (kind != kPhGeometryBox && kind != kPhGeometrySphere && kind != kPhGeometryCylinder)
        return false;
    const float(&a)[4][4] = localTransform.m;
    for (int i = 0; i < 3; ++i) {
        float extent = 0.0f;
        if (kind == kPhGeometryBox)
            extent =
                std::fabs(a[0][i]) * shape[0] + std::fabs(a[1][i]) * shape[1] + std::fabs(a[2][i]) * shape[2];
        else if (kind == kPhGeometrySphere)
            extent = shape[0];
        else
            extent = (std::fabs(a[0][i]) + std::fabs(a[2][i])) * shape[0] +
                     std::fabs(a[1][i]) * (shape[2] + shape[0]);
        phmath::SetComponent(minimum, i, a[3][i] - extent);
        phmath::SetComponent(maximum, i, a[3][i] + extent);
    }
    minimum.w = maximum.w = 0.0f;
    return true;
}

float PhGeometry::GetBoundingRadius() const
{
    const Vector4 position = phmath::Row(localTransform, 3);
    const float reach = phmath::Length(position);
    if (kind == kPhGeometryBox) {
        const float squared = shape[0] * shape[0] + shape[1] * shape[1] + shape[2] * shape[2];
        return (squared < 1e-6f ? 0.0f : std::sqrt(squared)) + reach;
    }
    if (kind == kPhGeometrySphere)
        return shape[0] + reach;
    return 0.0f;
}
