#pragma once

#include <cstdint>

#include "platform/MathTypes.h"

struct PhBody;

// What the stepping hands the game's collision callback for one contact
// between two bodies.
struct PhContact {
    PhBody* bodyA = nullptr;
    PhBody* bodyB = nullptr;
    std::int32_t reserved0[4] = {};
    // 1 a dynamic body, 0 a static side (kinematic body or terrain).
    std::int32_t kindA = 0;
    std::int32_t kindB = 0;
    std::int32_t reserved1[6] = {};
    Vector4 pointOnA = {};
    Vector4 pointOnB = {};
    Vector4 relativeVelocity = {};
    Vector4 normal = {};
};

// One triangle of the level's terrain, as the terrain query hands it over:
// three vertex indices (-1 until set) and three words.
struct PhTerrainTriangle {
    std::int32_t vertex[3] = {-1, -1, -1};
    std::int32_t reserved[3] = {};
};

// The collision callback: called for each contact of the step.
using PhCollisionCallback = void (*)(PhContact* contact);

// The terrain query: given two opposite corners of a body's world box,
// answers the triangle numbers near it (a list of indexCount entries), the
// triangle array and the vertex array they refer to, and the triangle count.
using PhTerrainQueryCallback = void (*)(const Vector4& cornerA, const Vector4& cornerB,
                                        const std::int32_t** indices, const PhTerrainTriangle** triangles,
                                        const Vector4** vertices, std::int32_t* indexCount,
                                        std::int32_t* triangleCount, PhBody* body);

// One of a rigid body's contact slots: the stepping's list of contacts.
struct PhContactSlot {
    PhContact* first = nullptr;
    std::int32_t count = 0;
};
