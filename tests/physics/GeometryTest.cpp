#include "physics/Geometry.h"

#include <cmath>

#include <gtest/gtest.h>

#include "PhysicsTestSupport.h"
#include "physics/Sensor.h"

using namespace phtest;

TEST(Geometry, NewGeometryIsAUnitBoxOfUnitMass)
{
    SimulatorPtr sim = MakeSimulator();
    PhGeometry* g = sim->CreateKinematicBody()->AddGeometry();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->kind, kPhGeometryBox);
    EXPECT_FLOAT_EQ(g->shape[0], 0.5f);
    EXPECT_FLOAT_EQ(g->shape[2], 0.5f);
    EXPECT_EQ(g->materialIndex, 0);
    EXPECT_FLOAT_EQ(g->mass, 1.0f);
    EXPECT_VEC3_NEAR(g->massInertia, 2.0f / 3, 2.0f / 3, 2.0f / 3, 1e-7f);
    EXPECT_FLOAT_EQ(g->massExtra[1], 0.5f);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c)
            EXPECT_FLOAT_EQ(g->localTransform.m[r][c], r == c ? 1.0f : 0.0f);
    }
}

TEST(Geometry, BoxSizesAreHalvedAndGiveTheBoxRadius)
{
    struct Case {
        Vector4 sizes;
        Vector4 half;
        float radius;
    };
    const Case cases[] = {
        {V(2, 4, 6), V(1, 2, 3), std::sqrt(14.0f)},
        {V(0, 0, 0), V(0, 0, 0), 0.0f},
        // Half extents 0.0005: squared length 7.5e-7 is below 1e-6.
        {V(0.001f, 0.001f, 0.001f), V(0.0005f, 0.0005f, 0.0005f), 0.0f},
        {V(6, 0, 8), V(3, 0, 4), 5.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sizes.x);
        PhGeometry g;
        g.SetCylinder(1, 1);
        g.SetBoxSize(c.sizes);
        EXPECT_EQ(g.kind, kPhGeometryBox);
        EXPECT_FLOAT_EQ(g.shape[0], c.half.x);
        EXPECT_FLOAT_EQ(g.shape[1], c.half.y);
        EXPECT_FLOAT_EQ(g.shape[2], c.half.z);
        EXPECT_FLOAT_EQ(g.boxRadius, c.radius);
    }
}

TEST(Geometry, CylinderHoldsRadiusSquaredRadiusAndHalfHeight)
{
    PhGeometry g;
    g.SetCylinder(3, 4);
    EXPECT_EQ(g.kind, kPhGeometryCylinder);
    EXPECT_FLOAT_EQ(g.shape[0], 1.5f);
    EXPECT_FLOAT_EQ(g.shape[1], 2.25f);
    EXPECT_FLOAT_EQ(g.shape[2], 2.0f);
    // Its reach is not settled for the stepping: no bounding radius.
    EXPECT_FLOAT_EQ(g.GetBoundingRadius(), 0.0f);
}

TEST(Geometry, TransformAndMaterialAreStored)
{
    PhGeometry g;
    Matrix4 m;
    m.m[0][1] = 1.0f;
    m.m[3][0] = 7.0f;
    g.SetTransform(m);
    g.SetMaterialIndex(12);
    EXPECT_FLOAT_EQ(g.localTransform.m[0][1], 1.0f);
    EXPECT_FLOAT_EQ(g.localTransform.m[3][0], 7.0f);
    EXPECT_FLOAT_EQ(g.localTransform.m[0][0], 0.0f);
    EXPECT_EQ(g.materialIndex, 12);

    // A kind the library does not know has no bounds.
    g.kind = 9;
    Vector4 low, high;
    EXPECT_FALSE(g.GetLocalBounds(low, high));
    EXPECT_FLOAT_EQ(g.GetBoundingRadius(), 0.0f);
}

TEST(Sensor, LineSensorGivesUnitDirectionAndLength)
{
    struct Case {
        Vector4 direction;
        Vector4 unit;
        float length;
    };
    const Case cases[] = {
        {V(0, 0, -2), V(0, 0, -1), 2.0f},
        {V(3, 4, 0), V(0.6f, 0.8f, 0), 5.0f},
        {V(0, 0, 0), V(0, 0, 0), 0.0f},
        // Squared length 2.5e-7 is below 1e-6.
        {V(0.0005f, 0, 0), V(0, 0, 0), 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        PhSensor sensor;
        sensor.SetLineSensor(V(1, 2, 3), c.direction);
        EXPECT_VEC3_NEAR(sensor.GetLinePos(), 1, 2, 3, 0);
        EXPECT_VEC3_NEAR(sensor.direction, c.direction.x, c.direction.y, c.direction.z, 0);
        EXPECT_VEC3_NEAR(sensor.GetLineUnitVector(), c.unit.x, c.unit.y, c.unit.z, 1e-6f);
        EXPECT_FLOAT_EQ(sensor.length, c.length);
        // Nothing detected until the stepping fills it in.
        EXPECT_FLOAT_EQ(sensor.GetDetectDepth(), 0.0f);
        EXPECT_VEC3_NEAR(sensor.GetDetectNormal(), 0, 0, 0, 0);
        EXPECT_VEC3_NEAR(sensor.GetDetectContactPoint(), 0, 0, 0, 0);
    }
}
