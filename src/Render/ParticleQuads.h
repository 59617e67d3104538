#pragma once

#include <cstdint>

#include "Render/MeshVertex.h"
#include "Render/ParticleEffect.h"

// What the quads of one effect share in a frame: the camera's right and up
// and the effect's sizes and life.
struct CPParticleQuadFrame {
    Vector3 right;
    Vector3 up;
    float size = 1.0f;
    float grow = 0.0f;
    float life = 1.0f;
};

// Four camera-facing corners and two triangles per particle: the corners
// stand half the particle's size along the camera's right and up from its
// centre, white, faded by the life the particle has left; the indices are
// offset by `base` and wrap at 65536.
void WriteParticleQuads(const CPParticleEffect::Particle* particles, int count,
                        const CPParticleQuadFrame& frame, std::uint16_t base, CPMeshVertex* vertices,
                        std::uint16_t* indices);

// The same quads one value at a time: the writer above gives the same bits
// four lanes at a time where the processor has them.
void WriteParticleQuadsOneByOne(const CPParticleEffect::Particle* particles, int count,
                                const CPParticleQuadFrame& frame, std::uint16_t base, CPMeshVertex* vertices,
                                std::uint16_t* indices);
