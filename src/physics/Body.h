#pragma once

#include <cstdint>

#include "physics/Geometry.h"
#include "physics/List.h"
#include "physics/Sensor.h"
#include "platform/MathTypes.h"

class PhSimulator;
struct PhContactGroup;
struct PhEndPoint;

// The head every body begins with: its shapes, sensors, bounds and its
// place in the simulator. Bodies are plain records taken from the
// simulator's pools; they are never copied.
struct PhBody {
    PhBody() = default;
    PhBody(const PhBody&) = delete;
    PhBody& operator=(const PhBody&) = delete;

    PhBody* self = this;
    std::uint32_t reserved[7] = {};
    void* userData = nullptr; // the game's own object
    // Covers all the body's geometries (a unit box until the first update).
    PhGeometry boundingShape;
    PhList<PhGeometry> geometries;
    float boundingRadius = 0.0f;
    PhContactGroup* contactGroup = nullptr;
    PhBody* groupNext = nullptr;
    std::int32_t dynamic = 0; // 1 for rigid bodies and particles
    std::int32_t active = 1;
    PhList<PhSensor> sensors;
    std::int32_t inBroadPhase = 0;
    PhSimulator* simulator = nullptr;
    // Local bounds in the body's frame: three half axes and a centre,
    // covering the geometries and the sensor segments.
    Vector4 localAxes[3] = {};
    Vector4 localCentre = {};
    // World bounds, as the broad phase holds them.
    Vector4 worldMin = {};
    Vector4 worldMax = {};
    PhEndPoint* endPoints[3][2] = {};
    std::int32_t bodyIndex = -1;

    bool IsActive() const { return active != 0; }
    // Moves the body between the active and the inactive list of its kind,
    // leaving or re-entering the broad phase. word goes to the broad phase
    // with the body (the library's own callers pass 0).
    void SetActive(int a, std::uint32_t word);

    // A new sensor at the end of the sensor list, or nothing when the
    // sensor pool is empty.
    PhSensor* AddSensor();
    // A new geometry (a unit box) at the end of the geometry list, or
    // nothing when the geometry pool is empty. The first geometry of an
    // active body enters it into the broad phase.
    PhGeometry* AddGeometry();

    void UpdateBoundingInfo();

    // Velocity + angular velocity x r for a dynamic body; zero otherwise.
    Vector4 GetVelocityAtPoint(const Vector4& r) const;

    // World bounds from the local bounds placed by the rotation rows and
    // the position; written to the body and to its broad-phase end points.
    // Nothing for a body without geometries.
    void UpdateWorldBounds(const Vector4 rotationRows[3], const Vector4& position);
};
