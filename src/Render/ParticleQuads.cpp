#include "Render/ParticleQuads.h"

#include <algorithm>
#include <cstddef>

#include "platform/VectorMath.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// A particle's colour: white, its alpha the part of its life left.
std::uint32_t Fade(const CPParticleQuadFrame& frame, float age)
{
    const float left = frame.life > 0.0f ? std::clamp(1.0f - age / frame.life, 0.0f, 1.0f) : 0.0f;
    const auto alpha = static_cast<std::uint32_t>(left * 255.0f);
    return (alpha << 24) | 0xFFFFFFu;
}

// Two triangles of the quad from `first`: 0 2 1 and 0 3 2.
void WriteTriangles(std::uint16_t* triangles, std::uint16_t first)
{
    triangles[0] = first;
    triangles[1] = static_cast<std::uint16_t>(first + 2);
    triangles[2] = static_cast<std::uint16_t>(first + 1);
    triangles[3] = first;
    triangles[4] = static_cast<std::uint16_t>(first + 3);
    triangles[5] = static_cast<std::uint16_t>(first + 2);
}

void PutCorner(CPMeshVertex& vertex, const Vector3& at, std::uint32_t diffuse, float u, float v)
{
    vertex.position = at;
    vertex.normal = {0.0f, 0.0f, 1.0f};
    vertex.diffuse = diffuse;
    vertex.specular = 0;
    vertex.uv1 = {u, v};
    vertex.uv2 = {};
}

#if defined(__SSE2__)

static_assert(sizeof(CPMeshVertex) == 48 && offsetof(CPMeshVertex, normal) == 12 &&
                  offsetof(CPMeshVertex, diffuse) == 24 && offsetof(CPMeshVertex, uv1) == 32,
              "a mesh vertex is written as three lanes of four");

// A vertex as three lanes of four: position and normal x; normal y and z,
// diffuse and specular; both texture-coordinate pairs.
void StoreCorner(CPMeshVertex& vertex, __m128 at, __m128 middle, __m128 uvs)
{
    auto* out = reinterpret_cast<float*>(&vertex);
    _mm_storeu_ps(out, at);
    _mm_storeu_ps(out + 4, middle);
    _mm_storeu_ps(out + 8, uvs);
}

void WriteInLanes(const CPParticleEffect::Particle* particles, int count, const CPParticleQuadFrame& frame,
                  std::uint16_t base, CPMeshVertex* vertices, std::uint16_t* indices)
{
    // The fourth lane of a position is the normal's x, 0.
    const __m128 xyz = _mm_castsi128_ps(_mm_setr_epi32(-1, -1, -1, 0));
    const __m128 right = _mm_setr_ps(frame.right.x, frame.right.y, frame.right.z, 0.0f);
    const __m128 up = _mm_setr_ps(frame.up.x, frame.up.y, frame.up.z, 0.0f);
    const __m128 uvs[4] = {_mm_setr_ps(0.0f, 1.0f, 0.0f, 0.0f), _mm_setr_ps(1.0f, 1.0f, 0.0f, 0.0f),
                           _mm_setr_ps(1.0f, 0.0f, 0.0f, 0.0f), _mm_setr_ps(0.0f, 0.0f, 0.0f, 0.0f)};
    for (int p = 0; p < count; ++p) {
        const CPParticleEffect::Particle& particle = particles[p];
        const float half = frame.size + frame.grow * particle.age;
        const auto diffuse = static_cast<int>(Fade(frame, particle.age));
        const __m128 middle = _mm_castsi128_ps(_mm_setr_epi32(0, 0x3F800000, diffuse, 0));
        const __m128 halves = _mm_set1_ps(half);
        // Position, velocity x: the fourth lane is masked off below.
        const __m128 centre = _mm_loadu_ps(&particle.position.x);
        const __m128 across = _mm_mul_ps(right, halves);
        const __m128 along = _mm_mul_ps(up, halves);
        const __m128 leftSide = _mm_sub_ps(centre, across);
        const __m128 rightSide = _mm_add_ps(centre, across);
        CPMeshVertex* quad = vertices + 4 * p;
        StoreCorner(quad[0], _mm_and_ps(_mm_sub_ps(leftSide, along), xyz), middle, uvs[0]);
        StoreCorner(quad[1], _mm_and_ps(_mm_sub_ps(rightSide, along), xyz), middle, uvs[1]);
        StoreCorner(quad[2], _mm_and_ps(_mm_add_ps(rightSide, along), xyz), middle, uvs[2]);
        StoreCorner(quad[3], _mm_and_ps(_mm_add_ps(leftSide, along), xyz), middle, uvs[3]);
        WriteTriangles(indices + 6 * p, static_cast<std::uint16_t>(base + 4 * p));
    }
}

#endif

} // namespace

void WriteParticleQuadsOneByOne(const CPParticleEffect::Particle* particles, int count,
                                const CPParticleQuadFrame& frame, std::uint16_t base, CPMeshVertex* vertices,
                                std::uint16_t* indices)
{
    for (int p = 0; p < count; ++p) {
        const CPParticleEffect::Particle& particle = particles[p];
        const float half = frame.size + frame.grow * particle.age;
        const std::uint32_t diffuse = Fade(frame, particle.age);
        // Each corner is the centre, plus its side (-1 or 1) times half
        // along the camera's right, plus its side times half along its up;
        // the corners share those terms, so each is taken once.
        const Vector3 leftSide = particle.position + frame.right * (-1.0f * half);
        const Vector3 rightSide = particle.position + frame.right * (1.0f * half);
        const Vector3 down = frame.up * (-1.0f * half), upward = frame.up * (1.0f * half);
        CPMeshVertex* quad = vertices + 4 * p;
        PutCorner(quad[0], leftSide + down, diffuse, 0.0f, 1.0f);
        PutCorner(quad[1], rightSide + down, diffuse, 1.0f, 1.0f);
        PutCorner(quad[2], rightSide + upward, diffuse, 1.0f, 0.0f);
        PutCorner(quad[3], leftSide + upward, diffuse, 0.0f, 0.0f);
        WriteTriangles(indices + 6 * p, static_cast<std::uint16_t>(base + 4 * p));
    }
}

void WriteParticleQuads(const CPParticleEffect::Particle* particles, int count,
                        const CPParticleQuadFrame& frame, std::uint16_t base, CPMeshVertex* vertices,
                        std::uint16_t* indices)
{
#if defined(__SSE2__)
    WriteInLanes(particles, count, frame, base, vertices, indices);
#else
    WriteParticleQuadsOneByOne(particles, count, frame, base, vertices, indices);
#endif
}
