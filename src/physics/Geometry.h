#pragma once

#include <cstdint>

#include "platform/MathTypes.h"

// The shape kinds the library knows. No operation makes a sphere, but the
// bounds computations recognise one.
enum PhGeometryKind : std::int32_t {
    kPhGeometryBox = 3,
    kPhGeometrySphere = 4,
    kPhGeometryCylinder = 5,
};

// One shape of a body, placed in the body's frame by its local transform.
// A new geometry is a box of sizes (1, 1, 1) with the identity transform.
struct PhGeometry {
    // Box: half extents x, y, z. Cylinder: radius, squared radius, half
    // height (its axis is the local y axis). Sphere: radius.
    float shape[3] = {0.5f, 0.5f, 0.5f};
    std::int32_t reserved0 = 0;
    Matrix4 localTransform = IdentityTransform();
    float boxRadius = 0.8660254f; // |(0.5, 0.5, 0.5)|
    std::int32_t reserved1 = 0;
    std::int32_t kind = kPhGeometryBox;
    std::int32_t materialIndex = 0;
    // The class the response table is looked up by (0 unless set).
    std::int32_t collisionClass = 0;
    // Mass properties the stepping reads: those of a unit box of mass 1.
    Vector4 massInertia = {2.0f / 3.0f, 2.0f / 3.0f, 2.0f / 3.0f, 0.0f};
    Vector4 massCentre = {};
    float mass = 1.0f;
    float massExtra[3] = {0.0f, 0.5f, 0.0f};

    PhGeometry* next = nullptr;
    PhGeometry* prev = nullptr;
    std::uint8_t inUse = 0;

    // Sizes are full edge lengths; the box radius is 0 for a box whose
    // squared half-extent length is below 1e-6.
    void SetBoxSize(float x, float y, float z);
    void SetBoxSize(const Vector4& sizes) { SetBoxSize(sizes.x, sizes.y, sizes.z); }
    void SetCylinder(float diameter, float height);
    void SetTransform(const Matrix4& transform) { localTransform = transform; }
    void SetMaterialIndex(std::int32_t index) { materialIndex = index; }

    // Extent of the shape in the body's frame: minimum and maximum per axis.
    // False for a kind that has no bounds.
    bool GetLocalBounds(Vector4& minimum, Vector4& maximum) const;
    // How far from the body's origin the shape reaches (0 for a kind that
    // has no bounds).
    float GetBoundingRadius() const;

    static Matrix4 IdentityTransform();
};
