#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "PhysicsTestSupport.h"
#include "physics/Contact.h"
#include "physics/Simulator.h"

// A small world for the stepping's scenarios: a simulator with gravity
// (0, 0, -9.8), a triangle-mesh ground answered by the terrain query, and
// helpers that make boxes and run frames.
namespace phtest {

// A square of ground made of a grid of triangles, centred on the origin,
// tilted by an angle (degrees) about the x axis: it rises towards +y.
struct Ground {
    std::vector<Vector4> vertices;
    std::vector<PhTerrainTriangle> triangles;
    std::vector<std::int32_t> indices;

    Ground(float size, int cells, float slopeDegrees = 0.0f)
    {
        const float angle = slopeDegrees * 3.14159265f / 180.0f;
        const float step = size / static_cast<float>(cells);
        for (int j = 0; j <= cells; ++j) {
            for (int i = 0; i <= cells; ++i) {
                const float x = -0.5f * size + step * static_cast<float>(i);
                const float y = -0.5f * size + step * static_cast<float>(j);
                vertices.push_back(Vector4{x, y * std::cos(angle), y * std::sin(angle), 0.0f});
            }
        }
        for (int j = 0; j < cells; ++j) {
            for (int i = 0; i < cells; ++i) {
                const std::int32_t a = j * (cells + 1) + i, b = a + 1, c = a + cells + 1, d = c + 1;
                PhTerrainTriangle first, second;
                first.vertex[0] = a;
                first.vertex[1] = b;
                first.vertex[2] = d;
                second.vertex[0] = a;
                second.vertex[1] = d;
                second.vertex[2] = c;
                triangles.push_back(first);
                triangles.push_back(second);
            }
        }
        for (std::int32_t t = 0; t < static_cast<std::int32_t>(triangles.size()); ++t)
            indices.push_back(t);
    }
};

// The ground the terrain query answers with (every triangle, whatever the
// box), and how often it was asked.
inline const Ground*& CurrentGround()
{
    static const Ground* ground = nullptr;
    return ground;
}
inline int& TerrainQueries()
{
    static int count = 0;
    return count;
}

inline void AnswerWithGround(const Vector4&, const Vector4&, const std::int32_t** indices,
                             const PhTerrainTriangle** triangles, const Vector4** vertices,
                             std::int32_t* indexCount, std::int32_t* triangleCount, PhBody*)
{
    ++TerrainQueries();
    const Ground* ground = CurrentGround();
    *indices = ground ? ground->indices.data() : nullptr;
    *triangles = ground ? ground->triangles.data() : nullptr;
    *vertices = ground ? ground->vertices.data() : nullptr;
    *indexCount = ground ? static_cast<std::int32_t>(ground->indices.size()) : 0;
    *triangleCount = ground ? static_cast<std::int32_t>(ground->triangles.size()) : 0;
}

class SteppingWorld {
  public:
    explicit SteppingWorld(const Ground* ground = nullptr, bool gravity = true)
    {
        const Vector4 down{0.0f, 0.0f, -9.8f, 0.0f};
        simulator = MakeSimulator(PhSizeInfo(), gravity ? &down : nullptr);
        CurrentGround() = ground;
        TerrainQueries() = 0;
        simulator->SetTerrainQueryCallback(AnswerWithGround);
    }
    ~SteppingWorld() { CurrentGround() = nullptr; }

    // A box of full sizes (x, y, z) and mass at a position; the ground's
    // terrain query needs user data, which every test body has.
    PhRigidBody* Box(const Vector4& sizes, float mass, const Vector4& position, int material = 0)
    {
        PhRigidBody* body = simulator->CreateRigidBody();
        PhGeometry* geometry = body->AddGeometry();
        geometry->SetBoxSize(sizes);
        geometry->SetMaterialIndex(material);
        body->SetMass(mass);
        const float x2 = sizes.x * sizes.x, y2 = sizes.y * sizes.y, z2 = sizes.z * sizes.z;
        body->SetInertiaTensor(
            V(mass * (y2 + z2) / 12.0f, mass * (x2 + z2) / 12.0f, mass * (x2 + y2) / 12.0f));
        body->UpdateBoundingInfo();
        body->SetUserData(this);
        body->SetPos(position);
        return body;
    }

    PhKinematicBody* Wall(const Vector4& sizes, const Vector4& position, int material = 0)
    {
        PhKinematicBody* body = simulator->CreateKinematicBody();
        PhGeometry* geometry = body->AddGeometry();
        geometry->SetBoxSize(sizes);
        geometry->SetMaterialIndex(material);
        body->UpdateBoundingInfo();
        body->SetPos(position);
        return body;
    }

    void Run(float seconds, float frame = 1.0f / 60.0f)
    {
        const int frames = static_cast<int>(std::lround(seconds / frame));
        for (int i = 0; i < frames; ++i)
            simulator->Step(frame);
    }

    SimulatorPtr simulator;
};

// Kinetic plus potential energy of a body (gravity 9.8 along -z).
inline double Energy(const PhRigidBody& body)
{
    const Vector4& v = body.velocity;
    const Vector4& w = body.angularVelocity;
    const Vector4& l = body.angularMomentum;
    const double linear = 0.5 * body.mass * (v.x * v.x + v.y * v.y + v.z * v.z);
    const double angular = 0.5 * (w.x * l.x + w.y * l.y + w.z * l.z);
    return linear + angular + body.mass * 9.8 * body.GetPos().z;
}

} // namespace phtest
